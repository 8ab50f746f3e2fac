#pragma once

#include "link/LinkEnvironment.h"
#include "platform/Event.h"
#include "platform/WorkerThread.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class CPristroj;
class QObject;

// The thread that polls one instrument entry. The family threads derive from
// it and register a factory per instrument type with the link environment; the entry only creates,
// starts, posts to and ends them.
//
// When an owner gives up waiting for the thread to end, it does not free
// what the thread may still use: it hands its shared parts to the thread
// (KeepAlive), marks the owner gone and lets the thread delete itself when
// its loop ends. Thread code checks IsOwnerGone() before it touches the
// entry again after a long request.
class CPristrojThread : public platform::WorkerThread {
public:
    bool IsOwnerGone() const { return m_ownerGone.load(); }

    // Called by the entry on its own thread before it abandons the thread.
    void Abandon(std::shared_ptr<void> keepAlive)
    {
        m_keepAlive.push_back(std::move(keepAlive));
        m_ownerGone = true;
    }

private:
    std::atomic<bool> m_ownerGone{false};
    std::vector<std::shared_ptr<void>> m_keepAlive;
};

// What the entry asks of the program around it: the message boxes (texts
// and captions given as they are to be shown), the application's
// instrument list, panels, live documents and settings, and the waits.
// The default answers No, shows nothing and knows no instruments.
class IPristrojHost {
public:
    virtual ~IPristrojHost() = default;

    // Yes/No box with a question icon, No as the default button.
    virtual bool AskYesNo(QObject* parent, const QString& text, const QString& caption);
    // Box with a stop icon and an OK button.
    virtual void ShowError(QObject* parent, const QString& text, const QString& caption);

    // Every entry of the application's instrument list.
    virtual std::vector<CPristroj*> Instruments();
    virtual bool IsPanelOpen(CPristroj& entry);
    virtual void ClosePanel(CPristroj& entry);
    // Closes the entry's live document.
    virtual void CloseLiveDocument(CPristroj& entry);
    // True when the port name is a modem line.
    virtual bool IsModemPort(const QString& portName);
    virtual void SaveDeviceSettings(CPristroj& entry);
    // The instrument `entry` was renamed from `from` to `to`: what the
    // program keeps under the old name (its settings key, the windows that
    // keep their state there, the download tasks that name it) goes to the
    // new one, and nothing of the old name is left.
    virtual void RenameDevice(CPristroj& entry, const QString& from, const QString& to);
    virtual void SaveBexorInterval(CPristroj& entry, int code);
    // The entry's archive starts (on) or stops feeding the live graphs.
    virtual void SetGraphFeed(CPristroj& entry, bool on);

    // Waits of the entry on its thread; tests replace them to keep time.
    virtual bool WaitEvent(platform::Event& event, int timeoutMs);
    virtual bool JoinThread(CPristrojThread& thread, int timeoutMs);
    virtual void Sleep(int ms);
};
