#pragma once

#include "platform/ui/WaitDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

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

// Gives `command` and hands each modal window that comes up while it runs to
// `hand`, once, from a timer that also fires in the windows' own loops: a
// window may come only after the program has talked to an instrument under
// its wait dialog (which ends by itself and is not handed). The hand ends
// the window; one still up `limitMs` after it was handed is rejected as a
// failure, so that a hand that missed does not hang the test. The number of
// windows handed.
inline int HandModals(const std::function<void()>& command, const std::function<void(QWidget&)>& hand,
                      int limitMs = 120000)
{
    int handed = 0;
    bool busy = false;
    std::vector<QPointer<QWidget>> seen;
    QElapsedTimer since;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (busy || !modal || !modal->isVisible() || qobject_cast<ui::CWaitDlg*>(modal))
            return;
        for (const QPointer<QWidget>& known : seen)
            if (known == modal) {
                if (since.elapsed() > limitMs) {
                    ADD_FAILURE() << "still up: " << modal->windowTitle().toStdString();
                    if (auto* dialog = qobject_cast<QDialog*>(modal))
                        dialog->reject();
                }
                return;
            }
        seen.emplace_back(modal);
        since.start();
        const QScopedValueRollback<bool> inHand(busy, true);
        ++handed;
        hand(*modal);
    });
    timer.start(20);
    command();
    return handed;
}

} // namespace shelltest
