#pragma once

#include "link/Link.h"
#include "link/LinkClock.h"
#include "link/ModemStatus.h"
#include "link/PortList.h"
#include "link/SerialPort.h"

#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <vector>

class CModemPort;

// All traffic with the instruments. One link per configured instrument,
// handed out by id; one open port per port name however many instruments
// share it; requests on one port one at a time, requests on different
// ports side by side.
//
// Lock order, always in this direction: a modem line lock, the manager
// lock, the port locks 0 to 15 ascending, a modem's state lock.
class CLinkManager {
public:
    static constexpr int kPortLocks = 16;
    static constexpr int kPortSlots = 15;
    static constexpr DWORD kPauseAfterRequest = 10; // ms, with the port still held

    explicit CLinkManager(IPortList& ports, ILinkClock& clock = SystemLinkClock(),
                          SerialPortOpener opener = OpenSystemSerialPort);
    CLinkManager(const CLinkManager&) = delete;
    CLinkManager& operator=(const CLinkManager&) = delete;
    virtual ~CLinkManager();

    DWORD Register(const QString& portName, WORD address);
    BOOL Open(DWORD id, const QString& portName, WORD address, const QString& number);
    void Close(DWORD id);
    void Unregister(DWORD id);

    // A copy of the link's last error text; empty for an unknown id.
    QString GetErrorText(DWORD id);
    int GetErrorId(DWORD id);
    BOOL IsModemLink(DWORD id);
    BOOL IsLinkKind3(DWORD id);
    int GetPortRetryCount(const QString& portName);

    // Modem lines (ModemManager.cpp).
    // New retry count and connect flag of the line named `lineName`.
    void ApplyModemSettings(const QString& lineName, int retryCount, int connectFlag);
    // The line's fields and the number of links using it.
    ModemLineState GetModemState(CModemPort& modem);
    void ResetModemCounters(CModemPort& modem);
    // Ends the line's call (the connection dialog's button).
    void HangUpModem(CModemPort& modem);

    // Success with the learnt address on the analyser's own port, success
    // with address -1 after a plain identification elsewhere.
    BOOL ReadIdentificationProbe(DWORD id, CIden& iden, int& address);

    // The instruments' commands are functions over the link (one file per
    // family, link/Commands*.h) and run through Request below, e.g.
    //   manager.Request(id, commands::ReadVKConfig, config);
    // Only the operations that are more than one command of the link are
    // named here.
    // The instrument's answer (0: its clock is in step), or -1 when the
    // synchronisation failed.
    int SyncVKClock(DWORD id);
    // As SyncVKClock.
    int SyncVKTClock(DWORD id);
    // Two requests; another request may come between them.
    BOOL ReadVKProfileStatus(DWORD id, CProfileStatus& status);

    // Runs one request of a link under its port lock: `command(CLink&,
    // args...)` returns non-zero on success. A failure is counted (the fourth
    // in a row pauses and purges the line); a success is followed by the
    // pause between frames. 0 for an unknown id.
    template <class Command, class... Args>
    auto Request(DWORD id, Command&& command, Args&&... args) -> std::invoke_result_t<Command&, CLink&, Args...>
    {
        std::shared_ptr<CLink> link;
        std::unique_lock<std::mutex> portLock;
        if (!LockLink(id, link, portLock))
            return {};
        auto result = std::invoke(command, *link, std::forward<Args>(args)...);
        FinishRequest(*link, result != 0);
        return result;
    }

private:
    class AllLocks;

    // Finds the link and takes its port lock without holding the manager
    // lock while it waits, so that a request queued on one busy port never
    // holds up the requests on the others.
    bool LockLink(DWORD id, std::shared_ptr<CLink>& link, std::unique_lock<std::mutex>& portLock);
    void FinishRequest(CLink& link, bool success);

    // Under the manager lock:
    std::shared_ptr<CLink> FindLocked(DWORD id) const;
    CLink* FindOpenPeer(const CLink* self, const QString& portName) const;
    void TakePortSlot(CLink& link);
    void FreePortSlot(CLink& link);
    // Closes or detaches; returns the modem whose call must be ended, if any.
    IModemPort* CloseLocked(CLink& link);
    void HangUp(const std::shared_ptr<CLink>& link, IModemPort* modem);
    // Close of a link, the call of a modem line ended outside the manager
    // lock; the link, or null for an unknown id.
    std::shared_ptr<CLink> CloseLink(DWORD id);

    // Requests of links whose last request was answered go first on their
    // line: a request of a silent instrument yields to them (for a bounded
    // time), so that its time-outs do not use up the intervals of the
    // instruments that answer.
    struct PortQueue {
        std::mutex lock;
        std::condition_variable answeredLeft;
        int answeredWaiting = 0;
    };
    static constexpr std::chrono::milliseconds kYieldBound{3000};
    void TakePortLock(CLink& link, int index, std::unique_lock<std::mutex>& held);

    LinkServices m_services;
    std::mutex m_lock;
    std::array<std::mutex, kPortLocks> m_portLocks;
    std::array<PortQueue, kPortLocks> m_queues;
    std::array<bool, kPortSlots> m_slots{};
    std::vector<std::shared_ptr<CLink>> m_links;
    std::atomic<DWORD> m_nextId{0};
};
