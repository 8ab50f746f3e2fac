#include "platform/ui/InstrumentTask.h"

#include "platform/ui/WaitDlg.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <thread>

namespace ui {

bool RunInstrumentTask(QWidget* parent, const std::function<bool()>& task, const QString& text)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return task();

    // The wait cursor goes with the exchange, not with the command: a
    // message box or dialog that follows gets the ordinary pointer back,
    // whichever way the exchange ended.
    struct WaitCursor {
        WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
        ~WaitCursor() { QApplication::restoreOverrideCursor(); }
        WaitCursor(const WaitCursor&) = delete;
        WaitCursor& operator=(const WaitCursor&) = delete;
    } cursor;
    std::atomic<bool> done{false};
    bool result = false;
    QEventLoop loop;
    std::thread worker([&] {
        result = task();
        done.store(true);
        // By name, so that no functor made on this thread is run and freed
        // on two threads behind Qt's uninstrumented reference count.
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });

    QPointer<CWaitDlg> wait = new CWaitDlg(parent);
    wait->setWindowModality(Qt::ApplicationModal);
    wait->SetText(text.isEmpty() ? QStringLiteral("Probíhá komunikace s přístrojem...") : text);
    // A dialog that waits for its data lends the wait its title; anything
    // else says what is going on.
    const auto* owner = parent ? qobject_cast<const QDialog*>(parent->window()) : nullptr;
    wait->setWindowTitle(owner && !owner->windowTitle().isEmpty() ? owner->windowTitle()
                                                                  : QStringLiteral("Komunikace s přístrojem"));
    wait->show();
    if (!done.load())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (wait)
        wait->close();
    return result;
}

bool RetryThreeTimes(const std::function<bool()>& call, const std::function<void(int)>& sleep, int pause1,
                     int pause2)
{
    const int pauses[2] = {pause1, pause2};
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (call())
            return true;
        if (attempt < 2 && sleep)
            sleep(pauses[attempt]);
    }
    return false;
}

} // namespace ui
