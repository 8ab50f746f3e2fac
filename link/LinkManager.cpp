#include "link/LinkManager.h"

#include "link/LinkLog.h"
#include "link/ModemPort.h"
#include "model/Iden.h"

#include <algorithm>

// The manager lock and the 16 port locks, taken in the one order that every
// thread keeps and released the other way round.
class CLinkManager::AllLocks {
public:
    explicit AllLocks(CLinkManager& manager) : m_manager(manager) { lock(); }
    ~AllLocks()
    {
        if (m_held)
            unlock();
    }
    AllLocks(const AllLocks&) = delete;
    AllLocks& operator=(const AllLocks&) = delete;

    void lock()
    {
        m_manager.m_lock.lock();
        for (std::mutex& m : m_manager.m_portLocks)
            m.lock();
        m_held = true;
    }
    void unlock()
    {
        for (int i = kPortLocks - 1; i >= 0; --i)
            m_manager.m_portLocks[std::size_t(i)].unlock();
        m_manager.m_lock.unlock();
        m_held = false;
    }

private:
    CLinkManager& m_manager;
    bool m_held = false;
};

CLinkManager::CLinkManager(IPortList& ports, ILinkClock& clock, SerialPortOpener opener)
{
    m_services.ports = &ports;
    m_services.clock = &clock;
    m_services.opener = std::move(opener);
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
    for (int i = 0; i < kPortSlots; ++i) {
        if (!m_slots[std::size_t(i)]) {
            m_slots[std::size_t(i)] = true;
            link.m_portIndex = i;
            return;
        }
    }
    // Beyond fifteen open ports the rest share the last lock.
    link.m_portIndex = CLink::kFreePortIndex;
}

void CLinkManager::FreePortSlot(CLink& link)
{
    if (link.m_portIndex >= 0 && link.m_portIndex < kPortSlots)
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
    std::lock_guard port(m_portLocks[std::size_t(link->m_portIndex)]);
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
}

bool CLinkManager::LockLink(DWORD id, std::shared_ptr<CLink>& link, std::unique_lock<std::mutex>& portLock)
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
        // A slot beyond the locks would index past them; the request fails
        // instead.
        if (!QORIN_VERIFY(index >= 0 && index < kPortLocks))
            return false;
        std::unique_lock<std::mutex> held;
        TakePortLock(*link, index, held);
        // Both change only under every port lock: stable while one is held.
        if (!link->m_registered)
            return false;
        if (link->m_portIndex == index) {
            portLock = std::move(held);
            return true;
        }
    }
}

void CLinkManager::TakePortLock(CLink& link, int index, std::unique_lock<std::mutex>& held)
{
    PortQueue& queue = m_queues[std::size_t(index)];
    std::mutex& port = m_portLocks[std::size_t(index)];
    if (!link.LastRequestFailed()) {
        {
            std::lock_guard lock(queue.lock);
            ++queue.answeredWaiting;
        }
        held = std::unique_lock<std::mutex>(port);
        std::lock_guard lock(queue.lock);
        if (--queue.answeredWaiting == 0)
            queue.answeredLeft.notify_all();
        return;
    }
    const auto until = std::chrono::steady_clock::now() + kYieldBound;
    for (;;) {
        {
            std::unique_lock lock(queue.lock);
            queue.answeredLeft.wait_until(lock, until, [&queue] { return queue.answeredWaiting == 0; });
        }
        held = std::unique_lock<std::mutex>(port);
        bool yield = false;
        {
            std::lock_guard lock(queue.lock);
            // One that answers came while this one waited for the line.
            yield = queue.answeredWaiting > 0 && std::chrono::steady_clock::now() < until;
        }
        if (!yield)
            return;
        held.unlock();
    }
}

void CLinkManager::FinishRequest(CLink& link, bool success)
{
    link.SetLastRequestFailed(!success);
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

// The two queries send nothing: a "no" is an answer, not a failed request,
// so it neither counts towards the purge nor costs the pause.
BOOL CLinkManager::IsModemLink(DWORD id)
{
    std::lock_guard lock(m_lock);
    const auto link = FindLocked(id);
    return link && link->m_modem ? TRUE : FALSE;
}

BOOL CLinkManager::IsLinkKind3(DWORD id)
{
    std::lock_guard lock(m_lock);
    const auto link = FindLocked(id);
    return link && link->m_kind == kPortKindVkt ? TRUE : FALSE;
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
