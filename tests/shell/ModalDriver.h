#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace shelltest {

// Gives `command` and, from inside the modal loop it starts, hands the modal
// window of class `Window` to `drive`, which must end it. False when no
// such window came.
template <class Window>
bool WithModal(const std::function<void()>& command, const std::function<void(Window&)>& drive)
{
    bool came = false;
    QTimer driver;
    driver.setSingleShot(true);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (auto* window = qobject_cast<Window*>(QApplication::activeModalWidget())) {
            came = true;
            drive(*window);
        }
    });
    driver.start(0);
    command();
    return came;
}

} // namespace shelltest
