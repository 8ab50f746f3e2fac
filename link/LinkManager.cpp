#include "link/LinkManager.h"

#include "link/LinkLog.h"
#include "link/ModemPort.h"
#include "model/Iden.h"

#include <algorithm>
#include <bit>
#include <utility>

// Every line, the manager lock and the port locks, taken in the one order
// that every thread keeps and released the other way round. Each line is
// taken as soon as its current request ends, before the requests queued on
// it; the manager lock, which every request needs for a moment to find its
// link, only once all lines are held, so that the requests on the other
// lines go on while one line finishes a slow request. Lines are added under
// the manager lock: one added while this waited for the lines is taken on a
// second round; one added while these are held is new to every request.
class CLinkManager::AllLocks {
public:
    explicit AllLocks(CLinkManager& manager) : m_manager(manager) { lock(); }
    ~AllLocks()
    {
        if (m_held > 0)
            unlock();
    }
    AllLocks(const AllLocks&) = delete;
    AllLocks& operator=(const AllLocks&) = delete;

    void lock()
    {
        for (;;) {
            const int lines = m_manager.LineCount();
            for (int i = 0; i < lines; ++i)
                m_manager.HoldLine(i);
            m_manager.m_lock.lock();
            if (m_manager.LineCount() == lines) {
                m_held = lines;
                break;
            }
            m_manager.m_lock.unlock();
            for (int i = lines - 1; i >= 0; --i)
                m_manager.EndTurn(i);
        }
        for (int i = 0; i < m_held; ++i)
            m_manager.Line(i).port.lock();
    }
    void unlock()
    {
        for (int i = m_held - 1; i >= 0; --i)
            m_manager.Line(i).port.unlock();
        m_manager.m_lock.unlock();
        for (int i = m_held - 1; i >= 0; --i)
            m_manager.EndTurn(i);
        m_held = 0;
    }

private:
    CLinkManager& m_manager;
    int m_held = 0;
};

CLinkManager::CLinkManager(IPortList& ports, ILinkClock& clock, SerialPortOpener opener)
{
    m_services.ports = &ports;
    m_services.clock = &clock;
    m_services.opener = std::move(opener);
    m_lines.push_back(std::make_unique<PortLine>());
    m_slots.push_back(true);
}

CLinkManager::PortLine& CLinkManager::Line(int index)
{
    std::lock_guard lock(m_linesLock);
    return *m_lines[std::size_t(index)];
}

int CLinkManager::LineCount()
{
    std::lock_guard lock(m_linesLock);
    return int(m_lines.size());
}

CLinkManager::~CLinkManager()
{
    std::vector<DWORD> ids;
    {
        std::lock_guard lock(m_lock);
        for (const auto& link : m_links)
            ids.push_back(link->GetId());
    }
    for (DWORD id : ids)
        Unregister(id);
}

std::shared_ptr<CLink> CLinkManager::FindLocked(DWORD id) const
{
    for (const auto& link : m_links) {
        if (link->GetId() == id)
            return link;
    }
    return nullptr;
}

CLink* CLinkManager::FindOpenPeer(const CLink* self, const QString& portName) const
{
    for (const auto& link : m_links) {
        if (link.get() != self && link->m_portName == portName && link->m_port)
            return link.get();
    }
    return nullptr;
}

void CLinkManager::TakePortSlot(CLink& link)
{
    const auto unused = std::find(m_slots.begin() + 1, m_slots.end(), false);
    if (unused != m_slots.end()) {
        *unused = true;
        link.m_portIndex = int(unused - m_slots.begin());
        return;
    }
    link.m_portIndex = int(m_slots.size());
    m_slots.push_back(true);
    std::lock_guard lock(m_linesLock);
    m_lines.push_back(std::make_unique<PortLine>());
}

void CLinkManager::FreePortSlot(CLink& link)
{
    if (link.m_portIndex != CLink::kFreePortIndex)
        m_slots[std::size_t(link.m_portIndex)] = false;
    link.m_portIndex = CLink::kFreePortIndex;
}

DWORD CLinkManager::Register(const QString& portName, WORD address)
{
    const DWORD id = ++m_nextId;
    AllLocks locks(*this);
    auto link = std::make_shared<CLink>(m_services, id);
    for (const auto& other : m_links) {
        if (other->m_portName == portName) {
            link->m_savedState = other->m_savedState;
            break;
        }
    }
    link->m_portName = portName;
    link->m_address = address;
    m_links.push_back(std::move(link));
    return id;
}

BOOL CLinkManager::Open(DWORD id, const QString& portName, WORD address, const QString& number)
{
    m_services.ports->Refresh();
    IModemPort* modem = nullptr;
    CPortEntry entry;
    if (m_services.ports->Find(portName, entry) && entry.kind == kPortKindModem)
        modem = entry.modem;

    std::unique_lock<std::mutex> lineLock;
    if (modem)
        lineLock = std::unique_lock<std::mutex>(modem->LineLock());
    AllLocks locks(*this);

    if (modem) {
        bool connected = false;
        {
            std::lock_guard state(modem->StateLock());
            connected = modem->GetLineState() == IModemPort::kConnected;
        }
        // A line whose call has ended leaves its links without a port: they
        // wait for the next dial rather than share a dead one.
        if (!connected) {
            for (const auto& other : m_links) {
                if (other->m_modem == modem && other->m_port) {
                    FreePortSlot(*other);
                    other->m_port.reset();
                }
            }
        }
    }

    CLink* peer = nullptr;
    for (const auto& other : m_links) {
        if (other->GetId() != id && other->m_portName == portName && other->m_port) {
            peer = other.get();
            break;
        }
    }
    if (peer) {
        peer->SetError(link_text::kNone);
        if (modem) {
            peer->m_openFlag = 1;
            std::lock_guard state(modem->StateLock());
            // One line, one call: another number cannot share it.
            if (modem->GetNumber() != number)
                return FALSE;
            if (modem->GetLineState() != IModemPort::kConnected && !modem->IsWanted())
                modem->SetWanted(true);
        }
    }

    std::shared_ptr<CLink> link = FindLocked(id);
    if (!link)
        return FALSE;
    link->SetError(link_text::kNone);
    link->m_portName = portName;
    link->m_address = address;

    if (modem) {
        link->m_openFlag = 1;
        link->m_modem = modem;
        link->m_kind = kPortKindModem;
        link->m_purgeBeforeWrite = true;
        std::lock_guard state(modem->StateLock());
        link->m_retryCount = modem->GetRetryCount();
    }

    if (peer) {
        link->m_port = peer->m_port;
        link->m_portIndex = peer->m_portIndex;
        if (!modem) {
            link->m_retryCount = peer->m_retryCount;
            link->m_kind = peer->m_kind;
            link->m_savedState = peer->m_savedState;
            link->m_purgeBeforeWrite = link->m_retryCount > 0;
            // A port whose device is away is tried at once for whoever opens
            // it, who is told why it failed as at a first open.
            if (!link->m_port->IsOpen()) {
                link->Reopen();
                return link->m_port->IsOpen() ? TRUE : FALSE;
            }
        }
        return TRUE;
    }

    BOOL result = FALSE;
    if (!modem) {
        result = link->Open(portName, address);
    } else {
        // Dialling takes seconds: the other ports go on meanwhile; the line
        // lock keeps other opens and closes of this line waiting.
        locks.unlock();
        result = modem->Dial(*link, number);
        locks.lock();
        if (result && link->m_port) {
            // One port, one lock: the others take the slot with the port.
            if (link->m_portIndex == CLink::kFreePortIndex)
                TakePortSlot(*link);
            for (const auto& other : m_links) {
                if (other != link && other->m_portName == portName && other->m_openFlag) {
                    other->m_port = link->m_port;
                    other->m_portIndex = link->m_portIndex;
                }
            }
        }
    }
    // A slot (and with it a port lock of its own) only for a port that is
    // open; a link that keeps its slot from before keeps it.
    if (link->m_port && link->m_portIndex == CLink::kFreePortIndex)
        TakePortSlot(*link);
    return result;
}

IModemPort* CLinkManager::CloseLocked(CLink& link)
{
    link.m_openFlag = 0;
    if (link.m_port && FindOpenPeer(&link, link.m_portName)) {
        // The others go on using the port.
        link.m_port.reset();
        link.m_purgeBeforeWrite = false;
        link.m_portIndex = CLink::kFreePortIndex;
        return nullptr;
    }
    FreePortSlot(link);
    if (!link.m_modem) {
        link.Close();
        return nullptr;
    }
    return link.m_modem;
}

void CLinkManager::HangUp(const std::shared_ptr<CLink>& link, IModemPort* modem)
{
    std::lock_guard line(modem->LineLock());
    std::lock_guard port(Line(link->m_portIndex).port);
    modem->HangUp(*link);
}

std::shared_ptr<CLink> CLinkManager::CloseLink(DWORD id)
{
    std::shared_ptr<CLink> link;
    IModemPort* modem = nullptr;
    {
        AllLocks locks(*this);
        link = FindLocked(id);
        if (!link)
            return nullptr;
        modem = CloseLocked(*link);
    }
    if (modem)
        HangUp(link, modem);
    return link;
}

void CLinkManager::Close(DWORD id)
{
    CloseLink(id);
}

void CLinkManager::Unregister(DWORD id)
{
    const std::shared_ptr<CLink> link = CloseLink(id);
    if (!link)
        return;
    AllLocks locks(*this);
    link->m_registered = false;
    std::erase(m_links, link);
    std::lock_guard answers(m_answersLock);
    m_answers.erase(id);
}

bool CLinkManager::LockLink(DWORD id, std::shared_ptr<CLink>& link, LineTurn& turn)
{
    for (;;) {
        int index = CLink::kFreePortIndex;
        {
            std::lock_guard lock(m_lock);
            link = FindLocked(id);
            if (!link)
                return false;
            index = link->m_portIndex;
        }
        turn.Take(*link, index);
        // Both change only under every port lock: stable while one is held.
        if (!link->m_registered)
            return false;
        if (link->m_portIndex == index)
            return true;
        turn.End();
    }
}

void CLinkManager::LineTurn::Take(const CLink& link, int index)
{
    End();
    m_manager.TakeTurn(link, index);
    m_index = index;
    // A modem's hang-up takes the port lock without a turn.
    m_port = std::unique_lock<std::mutex>(m_manager.Line(index).port);
}

void CLinkManager::LineTurn::End()
{
    if (m_index < 0)
        return;
    m_port.unlock();
    m_manager.EndTurn(std::exchange(m_index, -1));
}

void CLinkManager::TakeTurn(const CLink& link, int index)
{
    PortQueue& queue = Line(index).queue;
    LineWaiter waiter;
    waiter.answers = Answers(link.GetId());
    std::unique_lock lock(queue.lock);
    queue.waiters.push_back(&waiter);
    GrantNext(queue);
    waiter.wake.wait(lock, [&waiter] { return waiter.granted; });
}

void CLinkManager::HoldLine(int index)
{
    PortQueue& queue = Line(index).queue;
    std::unique_lock lock(queue.lock);
    ++queue.holdersWaiting;
    queue.free.wait(lock, [&queue] { return !queue.busy; });
    --queue.holdersWaiting;
    queue.busy = true;
}

void CLinkManager::EndTurn(int index)
{
    PortQueue& queue = Line(index).queue;
    std::lock_guard lock(queue.lock);
    queue.busy = false;
    if (queue.holdersWaiting > 0)
        queue.free.notify_one();
    else
        GrantNext(queue);
}

void CLinkManager::GrantNext(PortQueue& queue)
{
    if (queue.busy || queue.holdersWaiting > 0 || queue.waiters.empty())
        return;
    auto next = queue.waiters.begin();
    if (!(*next)->answers) {
        const auto answering = std::find_if(next, queue.waiters.end(), [](const LineWaiter* w) { return w->answers; });
        const bool yielded = std::any_of(next, answering,
                                         [](const LineWaiter* w) { return w->overtaken >= kYieldRequests; });
        if (answering != queue.waiters.end() && !yielded) {
            std::for_each(next, answering, [](LineWaiter* w) { ++w->overtaken; });
            next = answering;
        }
    }
    LineWaiter& granted = **next;
    granted.granted = true;
    queue.waiters.erase(next);
    queue.busy = true;
    granted.wake.notify_one();
}

bool CLinkManager::Answers(DWORD id)
{
    std::lock_guard lock(m_answersLock);
    const auto found = m_answers.find(id);
    if (found == m_answers.end())
        return false;
    const int answered = std::popcount(found->second.answered);
    return answered >= kAnsweredAtLeast && found->second.requests - answered <= kFailedAtMost;
}

void CLinkManager::FinishRequest(CLink& link, bool success)
{
    {
        std::lock_guard lock(m_answersLock);
        LastRequests& last = m_answers[link.GetId()];
        last.answered = std::uint8_t(((last.answered << 1) | (success ? 1 : 0)) & ((1 << kLastRequests) - 1));
        last.requests = std::min(last.requests + 1, kLastRequests);
    }
    CountOutcome(link, success);
}

void CLinkManager::CountOutcome(CLink& link, bool success)
{
    if (!success) {
        link.CountError();
        return;
    }
    // The next frame on this line must not follow the reply too closely.
    m_services.clock->PreciseWait(kPauseAfterRequest);
    link.ResetErrorCount();
}

QString CLinkManager::GetErrorText(DWORD id)
{
    return link_text::ErrorText(GetErrorId(id));
}

int CLinkManager::GetErrorId(DWORD id)
{
    std::lock_guard lock(m_lock);
    const auto link = FindLocked(id);
    return link ? link->GetErrorId() : link_text::kNone;
}

BOOL CLinkManager::LinkQuery(DWORD id, bool (*answer)(const CLink& link))
{
    std::shared_ptr<CLink> link;
    LineTurn turn(*this);
    if (!LockLink(id, link, turn))
        return FALSE;
    const bool yes = answer(*link);
    CountOutcome(*link, yes);
    return yes ? TRUE : FALSE;
}

BOOL CLinkManager::IsModemLink(DWORD id)
{
    return LinkQuery(id, [](const CLink& link) { return link.m_modem != nullptr; });
}

BOOL CLinkManager::IsLinkKind3(DWORD id)
{
    return LinkQuery(id, [](const CLink& link) { return link.m_kind == kPortKindVkt; });
}

int CLinkManager::GetPortRetryCount(const QString& portName)
{
    CPortEntry entry;
    if (!m_services.ports->Find(portName, entry))
        return 0;
    if (entry.kind == kPortKindModem && entry.modem) {
        std::lock_guard state(entry.modem->StateLock());
        return entry.modem->GetRetryCount();
    }
    return entry.retryCount;
}

int CLinkManager::GetWaitingRequests(DWORD id)
{
    int index = CLink::kFreePortIndex;
    {
        std::lock_guard lock(m_lock);
        const auto link = FindLocked(id);
        if (!link)
            return 0;
        index = link->m_portIndex;
    }
    PortQueue& queue = Line(index).queue;
    std::lock_guard lock(queue.lock);
    return int(queue.waiters.size());
}

BOOL CLinkManager::ReadIdentificationProbe(DWORD id, CIden& iden, int& address)
{
    return Request(id, [&](CLink& link) -> BOOL {
        if (link.GetKind() != kPortKindVkt) {
            address = -1;
            return link.ReadIdentification(iden);
        }
        const int learnt = link.ReadIdentificationProbe(iden);
        if (learnt < 0)
            return FALSE;
        address = learnt;
        return TRUE;
    });
}
