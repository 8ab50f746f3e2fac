#include "app/SignalExit.h"

#include "platform/Settings.h"
#include "shell/MainFrame.h"
#include "shell/MavexApp.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};

extern "C" void OnSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}
#endif

} // namespace

CSignalExit::CSignalExit(std::function<void(int signal)> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
#ifdef Q_OS_UNIX
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CSignalExit::OnReadable);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        ::sigaction(s, &action, nullptr);
#endif
}

CSignalExit::~CSignalExit()
{
#ifdef Q_OS_UNIX
    if (!m_notifier)
        return;
    for (int s : kSignals)
        std::signal(s, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
#endif
}

void CSignalExit::OnReadable()
{
#ifdef Q_OS_UNIX
    unsigned char byte = 0;
    int signal = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        signal = byte;
    if (signal == 0 || m_taken)
        return;
    m_taken = true;
    if (m_onSignal)
        m_onSignal(signal);
#endif
}

std::function<void(int signal)> ExitOnSignal(CMavexApp& app)
{
    return [&app](int) {
        app.HoldSettingsUntilExit();
        if (CMainFrame* frame = app.MainFrame()) {
            platform::Settings settings;
            frame->SaveState(settings);
        }
        app.StopThreadSynchronised();
        // Out of a dialog's loop at once; a signal taken before the main loop
        // ran leaves it as soon as it starts.
        QCoreApplication::exit(0);
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    };
}
