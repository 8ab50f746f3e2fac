#pragma once

#include <QObject>

#include <functional>

class CMavexApp;
class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread: the
// handler only writes a byte to a pipe, and the pipe's notifier runs
// `onSignal` from the event loop, where the program may leave the way it
// leaves from its menu. Later signals are ignored once the first was taken
// (the exit is on its way). One object per process; where the platform has
// no such signals the object does nothing.
class CSignalExit : public QObject {
public:
    explicit CSignalExit(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
    ~CSignalExit() override;
    CSignalExit(const CSignalExit&) = delete;
    CSignalExit& operator=(const CSignalExit&) = delete;

    bool IsInstalled() const { return m_notifier != nullptr; }

private:
    void OnReadable();

    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
    bool m_taken = false;
};

// What the program does on such a signal: what the main window's exit does
// (the window's state and every setting saved, the download thread ended),
// without its question, and then out of every event loop; the application's
// exit ends the measurement threads and writes their open blocks.
std::function<void(int signal)> ExitOnSignal(CMavexApp& app);
