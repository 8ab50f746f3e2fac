#include "app/StartupProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWindow>

#include <cstdio>

namespace {

class ShownProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && !m_done) {
            auto* window = qobject_cast<QWindow*>(watched);
            if (window && window->isExposed()) {
                m_done = true;
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                          Qt::QueuedConnection);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_done = false;
};

} // namespace

void InstallStartupProbe()
{
    if (qEnvironmentVariableIsEmpty("QORIN_STARTUP_PROBE") || !QCoreApplication::instance())
        return;
    QCoreApplication::instance()->installEventFilter(new ShownProbe(QCoreApplication::instance()));
}
