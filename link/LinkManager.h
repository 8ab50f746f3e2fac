#pragma once

#include "link/Link.h"
#include "link/LinkClock.h"
#include "link/ModemStatus.h"
#include "link/PortList.h"
#include "link/SerialPort.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <unordered_map>
#include <vector>

class CModemPort;

// All traffic with the instruments. One link per configured instrument,
// handed out by id; one open port per port name however many instruments
// share it; requests on one port one at a time, requests on different
// ports side by side.
//
// Lock order, always in this direction: a modem line lock, the turns of
// the lines in ascending index (see PortQueue), the manager lock, the port
// locks in ascending index, a modem's state lock. Every open port has a line
// of its own (its turn and its port lock), so requests on different ports
// never wait for each other however many ports are open; line 0 serves the
// links without an open port. A request takes the manager lock only to find
// its link, and then its line's turn and port lock.
class CLinkManager {
public:
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
    // How many requests wait for the line of the link; 0 for an unknown id.
    int GetWaitingRequests(DWORD id);

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
        LineTurn turn(*this);
        if (!LockLink(id, link, turn))
            return {};
        auto result = std::invoke(command, *link, std::forward<Args>(args)...);
        FinishRequest(*link, result != 0);
        return result;
    }

private:
    class AllLocks;
    // A request's turn on its line, with the line's port lock; ending it
    // hands the line to the next request.
    class LineTurn {
    public:
        explicit LineTurn(CLinkManager& manager) : m_manager(manager) {}
        LineTurn(const LineTurn&) = delete;
        LineTurn& operator=(const LineTurn&) = delete;
        ~LineTurn() { End(); }
        void Take(const CLink& link, int index);
        void End();

    private:
        CLinkManager& m_manager;
        int m_index = -1;
        std::unique_lock<std::mutex> m_port;
    };

    // Finds the link and takes its line's turn without holding the manager
    // lock while it waits, so that a request queued on one busy port never
    // holds up the requests on the others.
    bool LockLink(DWORD id, std::shared_ptr<CLink>& link, LineTurn& turn);
    void FinishRequest(CLink& link, bool success);
    // A success pauses before the line's next frame and clears the link's
    // failure count; a failure adds to it.
    void CountOutcome(CLink& link, bool success);
    // A question about the link, answered under its port lock as a request
    // is, "no" counting as a failed one. It sends nothing, so it leaves the
    // record of whether the instrument answers alone.
    BOOL LinkQuery(DWORD id, bool (*answer)(const CLink& link));

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

    // The order of the requests on one line. They are served one at a time
    // in order of arrival, except that a request of a link that answers goes
    // before those of silent links, each of which lets at most
    // kYieldRequests such requests pass it. Silent instruments, whose
    // requests hold the line until their time-out, may keep it busy without
    // a pause; an instrument that answers still waits for no more than the
    // request on the line, and a silent one is never held back for good.
    // A link answers when of its last kLastRequests requests at least
    // kAnsweredAtLeast were answered and at most kFailedAtMost were not: one
    // lost reply does not cost an instrument its place, one that answers
    // only some commands (its settings, not its values) is not taken for one
    // that answers, and an instrument has its place from its second answer.
    static constexpr int kLastRequests = 4;
    static constexpr int kAnsweredAtLeast = 2;
    static constexpr int kFailedAtMost = 1;
    struct LastRequests {
        std::uint8_t answered = 0; // a bit each, the newest lowest
        int requests = 0;          // how many of those bits tell, up to kLastRequests
    };
    bool Answers(DWORD id);
    // Each waiter is woken alone when the line is handed to it, so a turn
    // that ends wakes one thread, not every thread queued on the line.
    struct LineWaiter {
        bool answers = false;
        int overtaken = 0;
        bool granted = false;
        std::condition_variable wake;
    };
    struct PortQueue {
        std::mutex lock;
        std::condition_variable free; // for the holders
        bool busy = false;
        int holdersWaiting = 0; // AllLocks, which go before every request
        std::deque<LineWaiter*> waiters; // in order of arrival
    };
    static constexpr int kYieldRequests = 8;
    // A line: the port lock and the order of the requests on one open port
    // (or, for line 0, on the links without one). A line lives as long as
    // the manager; the index of a closed port goes to the next port opened.
    struct PortLine {
        std::mutex port;
        PortQueue queue;
    };
    PortLine& Line(int index);
    int LineCount();
    void TakeTurn(const CLink& link, int index);
    void EndTurn(int index);
    // The whole line, as soon as the request on it ends.
    void HoldLine(int index);
    // Under the queue's lock: hands a free line to the next request.
    static void GrantNext(PortQueue& queue);

    LinkServices m_services;
    std::mutex m_lock;
    // Guards the list itself (not the lines), taken last and alone; lines
    // are added only under the manager lock.
    std::mutex m_linesLock;
    std::vector<std::unique_ptr<PortLine>> m_lines;
    // The last requests of each link by id, under a lock of its own, taken
    // last and alone.
    std::mutex m_answersLock;
    std::unordered_map<DWORD, LastRequests> m_answers;
    std::vector<bool> m_slots; // by line index: taken by an open port; line 0 always
    std::vector<std::shared_ptr<CLink>> m_links;
    std::atomic<DWORD> m_nextId{0};
};
