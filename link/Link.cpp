#include "link/Link.h"

#include "link/LinkLog.h"

#include "link/Frames.h"
#include "link/ModemPort.h"
#include "model/Iden.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

constexpr BYTE kCmdIdentification = 0x01;
constexpr int kIdenReplyA = CIden::kImageSize + frames::kOverheadA; // 18
constexpr int kIdenReplyB = CIden::kImageSize + frames::kOverheadB; // 20
constexpr int kShortReplyB = 7;

// Bounds of a read, from the line speed: the read interval, a per-byte
// allowance of about one character time and a fixed allowance for the
// instrument to start answering.
SerialTimeouts TimeoutsForBaud(int baud)
{
    SerialTimeouts t;
    t.readInterval = 100;
    t.readMultiplier = baud > 0 ? DWORD(9600 / baud + 1) : 1;
    t.readConstant = 715;
    t.writeMultiplier = 10;
    t.writeConstant = 100;
    return t;
}

} // namespace

CLink::CLink(const LinkServices& services, DWORD id) : m_services(services), m_id(id) {}

CLink::~CLink() = default;

BOOL CLink::Open(const QString& portName, WORD address)
{
    m_purgeBeforeWrite = false;
    CPortEntry entry;
    if (m_services.ports == nullptr || !m_services.ports->Find(portName, entry)) {
        SetError(platform::IDS_ERR_PORT_NOT_FOUND);
        return FALSE;
    }
    m_retryCount = entry.retryCount;
    m_kind = entry.kind;
    m_purgeBeforeWrite = m_retryCount > 0;
    m_portName = portName;
    m_address = address;
    // A port whose device is away is tried again now; no other link shares
    // it (the manager would have shared it instead).
    if (m_port && m_port->IsOpen())
        return FALSE;
    m_port.reset();

    QByteArray saved;
    PortFault fault = PortFault::None;
    std::shared_ptr<ISerialPort> device = OpenDevice(entry, saved, fault);
    if (!device) {
        // A device that is not there (yet) is looked for again with every
        // request after a pause, as one that went away: the port is in use
        // as soon as it appears. A busy port is the user's to free.
        if (fault == PortFault::NotFound || fault == PortFault::DeviceGone)
            m_port = std::make_shared<CSharedPort>(nullptr, *m_services.clock, portName);
        return FALSE;
    }
    m_port = std::make_shared<CSharedPort>(std::move(device), *m_services.clock, portName);
    m_savedState = saved;
    return TRUE;
}

std::shared_ptr<ISerialPort> CLink::OpenDevice(const CPortEntry& entry, QByteArray& saved, PortFault& fault)
{
    fault = PortFault::None;
    std::shared_ptr<ISerialPort> port = m_services.opener(DevicePathForPort(m_portName), fault);
    if (!port) {
        // A device that is not there is no busy port: the user is told of
        // a missing port, not of a program that may hold it.
        SetError(fault == PortFault::NotFound ? platform::IDS_ERR_PORT_NOT_FOUND : platform::IDS_ERR_PORT_OPEN);
        return nullptr;
    }
    if (!port->SaveState(saved)) {
        port->Close();
        SetError(platform::IDS_ERR_PORT_TIMEOUTS);
        return nullptr;
    }
    if (!port->SetTimeouts(TimeoutsForBaud(entry.baud))) {
        port->RestoreState(saved);
        port->Close();
        SetError(platform::IDS_ERR_PORT_TIMEOUTS);
        return nullptr;
    }
    if (entry.baud <= 0 || !port->SetLineParameters(entry.baud)) {
        port->RestoreState(saved);
        port->Close();
        SetError(platform::IDS_ERR_PORT_PARAMS);
        return nullptr;
    }
    // Adapters without modem lines (and pseudo-terminals) refuse; the
    // instruments do not need them.
    port->RaiseModemLines();
    return port;
}

void CLink::Close()
{
    m_purgeBeforeWrite = false;
    if (!m_port)
        return;
    m_port->RestoreState(m_savedState);
    m_port->Close();
    m_port.reset();
    m_errorCount = 0;
}

BOOL CLink::Prepare()
{
    if (m_modem) {
        std::lock_guard lock(m_modem->StateLock());
        if (m_modem->GetLineState() != IModemPort::kConnected) {
            SetError(platform::IDS_MODEM_NOT_CONNECTED);
            return FALSE;
        }
    }
    if (m_port && m_port->IsReopenDue())
        Reopen();
    if (!m_port || !m_port->IsOpen()) {
        SetError(platform::IDS_ERR_DEVICE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

void CLink::Reopen()
{
    CPortEntry entry;
    QByteArray found; // the state to put back at close stays the one first found
    PortFault fault = PortFault::None;
    std::shared_ptr<ISerialPort> device;
    if (m_services.ports && m_services.ports->Find(m_portName, entry))
        device = OpenDevice(entry, found, fault);
    m_port->Reopened(std::move(device));
}

void CLink::CountModemBytes(int count)
{
    if (m_modem && count >= 1) {
        std::lock_guard lock(m_modem->StateLock());
        m_modem->AddBytes(count);
    }
}

BOOL CLink::Write(const BYTE* data, int count, int& written)
{
    written = 0;
    if (!m_port)
        return FALSE;
    // A reply that came too late for the last request must not be taken
    // for the answer to this one.
    if (m_purgeBeforeWrite)
        m_port->Purge();
    PortFault fault = PortFault::None;
    if (!m_port->Write(data, count, written, fault)) {
        if (m_modem && fault == PortFault::InvalidHandle && ++m_reopenCount >= 6) {
            {
                std::lock_guard lock(m_modem->StateLock());
                m_modem->DropCall();
            }
            m_port->Close();
            m_port.reset();
            m_reopenCount = 0;
        }
        return FALSE;
    }
    if (m_modem && written >= 1 && written <= count) {
        m_reopenCount = 0;
        CountModemBytes(written);
    }
    return TRUE;
}

BOOL CLink::SendFrame(const BYTE* frame, int count)
{
    int written = 0;
    if (!Write(frame, count, written) || written != count) {
        SetError(platform::IDS_ERR_SEND_REQUEST);
        return FALSE;
    }
    return TRUE;
}

int CLink::HeadFrameLength(Head head, const BYTE* buf, int kept, int count, std::span<const int> shorter) const
{
    const BYTE address = BYTE(m_address);
    switch (head) {
    case Head::A:
        if (frames::IsHeadA(buf, kept, address, count))
            return count;
        for (int length : shorter) {
            if (frames::IsHeadA(buf, kept, address, length))
                return length;
        }
        return 0;
    case Head::B:
        return frames::IsHeadB(buf, kept, address, count) ? count : 0;
    case Head::BAnyAddress:
        return kept >= 1 && frames::IsHeadB(buf, kept, buf[0], count) ? count : 0;
    case Head::Identification:
        // Either the format-A reply or the head of the format-B one, whose
        // CRC follows the bytes read.
        if (frames::IsHeadA(buf, kept, address, count))
            return count;
        if (frames::IsHeadB(buf, kept, address, count + 2))
            return count + 2;
        return 0;
    }
    return 0;
}

int CLink::ReadReply(BYTE* buf, int count, Head head, std::span<const int> shorter, bool inStream)
{
    if (!m_port)
        return -1;
    int retries = m_retryCount;
    if (retries > 0)
        m_services.clock->Sleep(100);
    int kept = 0;
    for (;;) {
        PortFault fault = PortFault::None;
        const int got = m_port->Read(buf + kept, count - kept, fault);
        if (got < 0)
            return -1;
        CountModemBytes(got);
        kept += got;
        const int frameLen = HeadFrameLength(head, buf, kept, count, shorter);
        if (retries < 1 || (frameLen > 0 && kept >= std::min(frameLen, count))) {
            // More bytes than the frame: the reply cannot be trusted, and
            // what is left of it must not meet the next request. Within a
            // stream the next reply may wait already; only this read counts.
            const int whole = frameLen > 0 ? frameLen : count;
            const int received = kept + (inStream ? 0 : m_port->BytesWaiting());
            if (kept >= std::min(whole, count) && received > whole) {
                m_port->ClearError();
                if (!inStream)
                    m_port->Purge();
                return -1;
            }
            return kept;
        }
        while (kept > 2 && HeadFrameLength(head, buf, kept, count, shorter) == 0) {
            std::memmove(buf, buf + 1, std::size_t(kept - 1));
            --kept;
        }
        --retries;
    }
}

int CLink::ReadReplyA(BYTE* buf, int count)
{
    return ReadReply(buf, count, Head::A);
}

int CLink::ReadReplyB(BYTE* buf, int count)
{
    return ReadReply(buf, count, Head::B);
}

int CLink::ReadPlain(BYTE* buf, int count)
{
    if (!m_port)
        return -1;
    PortFault fault = PortFault::None;
    const int got = m_port->Read(buf, count, fault);
    CountModemBytes(got);
    return got;
}

void CLink::CountError()
{
    if (++m_errorCount > 3) {
        m_services.clock->Sleep(500);
        if (m_port)
            m_port->Purge();
        m_errorCount = 0;
    }
}

BYTE* CLink::ReplyBuffer(int count)
{
    // Two spare bytes: the identification may read a CRC behind its 18 bytes.
    if (m_reply.size() < std::size_t(count) + 2)
        m_reply.resize(std::size_t(count) + 2);
    return m_reply.data();
}

BOOL CLink::CheckReplyA(const BYTE* reply, int kept, int replyLen, std::span<const int> shorter, int sumTextId,
                        BYTE* out, int& got)
{
    got = 0;
    bool known = kept == replyLen;
    for (int length : shorter)
        known = known || kept == length;
    if (!known || reply[0] != BYTE(m_address) || reply[1] != BYTE(kept - 1) || reply[2] != 0) {
        SetError(platform::IDS_ERR_BAD_REPLY);
        return FALSE;
    }
    if (frames::Sum8(reply, std::size_t(kept - 1)) != reply[kept - 1]) {
        SetError(sumTextId);
        return FALSE;
    }
    got = kept;
    if (out && kept > frames::kOverheadA)
        std::memcpy(out, reply + frames::kHeadA, std::size_t(kept - frames::kOverheadA));
    return TRUE;
}

BOOL CLink::SendRequestA(BYTE command, const BYTE* data, int dataLen)
{
    if (dataLen < 0 || dataLen > frames::kMaxDataA) {
        SetError(platform::IDS_ERR_SEND_REQUEST);
        return FALSE;
    }
    const int n = frames::BuildRequestA(m_request.data(), frames::WireAddress(m_address), command, data, dataLen);
    return SendFrame(m_request.data(), n);
}

BOOL CLink::SendRequestB(BYTE command, const BYTE* data, int dataLen)
{
    if (dataLen < 0 || dataLen + frames::kOverheadB > int(m_request.size())) {
        SetError(platform::IDS_ERR_SEND_REQUEST);
        return FALSE;
    }
    const int n = frames::BuildRequestB(m_request.data(), frames::WireAddress(m_address), command, data, dataLen);
    return SendFrame(m_request.data(), n);
}

BOOL CLink::ReceiveA(int replyLen, std::span<const int> shorter, int sumTextId, BYTE* out, int& got, bool inStream)
{
    got = 0;
    if (replyLen < frames::kOverheadA || replyLen > frames::kMaxFrameA) {
        SetError(platform::IDS_ERR_BAD_REPLY);
        return FALSE;
    }
    BYTE* reply = ReplyBuffer(replyLen);
    const int kept = ReadReply(reply, replyLen, Head::A, shorter, inStream);
    return CheckReplyA(reply, kept, replyLen, shorter, sumTextId, out, got);
}

BOOL CLink::ExchangeA(BYTE command, const BYTE* data, int dataLen, int replyLen, int sumTextId, BYTE* out)
{
    if (replyLen < frames::kOverheadA || replyLen > frames::kMaxFrameA) {
        SetError(platform::IDS_ERR_SEND_REQUEST);
        return FALSE;
    }
    int got = 0;
    const BOOL ok = SendRequestA(command, data, dataLen) && ReceiveA(replyLen, {}, sumTextId, out, got);
    LogExchange(command, ok);
    return ok;
}

BOOL CLink::ExchangeAckA(BYTE command, const BYTE* data, int dataLen, int sumTextId)
{
    return ExchangeA(command, data, dataLen, frames::kOverheadA, sumTextId, nullptr);
}

BOOL CLink::ReceiveB(BYTE command, int replyLen, int sumTextId, BYTE* out, bool refusalTested, int& kept,
                     bool inStream)
{
    BYTE* reply = ReplyBuffer(replyLen);
    kept = ReadReply(reply, replyLen, Head::B, {}, inStream);
    const int l = replyLen - frames::kOverheadB;
    const BYTE echoed = refusalTested ? BYTE(reply[3] & ~frames::kRefusedBit) : reply[3];
    if (kept != replyLen || reply[0] != BYTE(m_address) || reply[1] != BYTE(l >> 8) || reply[2] != BYTE(l)
        || echoed != command) {
        SetError(platform::IDS_ERR_BAD_REPLY);
        return FALSE;
    }
    if (refusalTested && (reply[3] & frames::kRefusedBit)) {
        SetError(platform::IDS_ERR_DEVICE_REFUSED);
        return FALSE;
    }
    if (!frames::CheckCrc(reply, std::size_t(replyLen - 2))) {
        SetError(sumTextId);
        return FALSE;
    }
    if (out && l > 0)
        std::memcpy(out, reply + frames::kHeadB, std::size_t(l));
    return TRUE;
}

BOOL CLink::ExchangeB(BYTE command, const BYTE* data, int dataLen, int replyLen, int sumTextId, BYTE* out,
                      bool refusalTested)
{
    if (replyLen < frames::kOverheadB || replyLen > 0xFFFF + frames::kOverheadB) {
        SetError(platform::IDS_ERR_SEND_REQUEST);
        return FALSE;
    }
    int kept = 0;
    const BOOL ok =
        SendRequestB(command, data, dataLen) && ReceiveB(command, replyLen, sumTextId, out, refusalTested, kept);
    LogExchange(command, ok);
    return ok;
}

void CLink::LogExchange(BYTE command, BOOL ok) const
{
    if (ok)
        qCDebug(lcLinkExchange, "%s address %u command 0x%02X: ok", qPrintable(m_portName), unsigned(m_address),
                unsigned(command));
    else
        qCDebug(lcLinkExchange, "%s address %u command 0x%02X: %s", qPrintable(m_portName), unsigned(m_address),
                unsigned(command), qPrintable(GetErrorText()));
}

BOOL CLink::ExchangeShortB(BYTE command, const BYTE* data, int dataLen, int sumTextId, BYTE* result)
{
    if (!SendRequestB(command, data, dataLen))
        return FALSE;
    BYTE* reply = ReplyBuffer(kShortReplyB);
    const int kept = ReadReplyB(reply, kShortReplyB);
    if (kept != kShortReplyB || reply[0] != BYTE(m_address) || reply[1] != 0 || reply[2] != 1
        || BYTE(reply[3] & ~frames::kRefusedBit) != command) {
        SetError(platform::IDS_ERR_BAD_REPLY);
        return FALSE;
    }
    // A refusal stands whatever its CRC says.
    if (reply[3] & frames::kRefusedBit) {
        SetError(platform::IDS_ERR_DEVICE_REFUSED);
        return FALSE;
    }
    if (!frames::CheckCrc(reply, 5)) {
        SetError(sumTextId);
        return FALSE;
    }
    if (result)
        *result = reply[4];
    return TRUE;
}

BOOL CLink::ReadA(BYTE command, int dataLen, int sumTextId, BYTE* out)
{
    return Prepare() && ExchangeA(command, nullptr, 0, dataLen + frames::kOverheadA, sumTextId, out);
}

BOOL CLink::WriteA(BYTE command, const BYTE* data, int dataLen, int sumTextId)
{
    return Prepare() && ExchangeAckA(command, data, dataLen, sumTextId);
}

BOOL CLink::ReadB(BYTE command, int dataLen, int sumTextId, BYTE* out, const BYTE* request, int requestLen,
                  bool refusalTested)
{
    return Prepare()
        && ExchangeB(command, request, requestLen, dataLen + frames::kOverheadB, sumTextId, out, refusalTested);
}

BOOL CLink::WriteB(BYTE command, const BYTE* data, int dataLen, int sumTextId, BYTE* result)
{
    return Prepare() && ExchangeShortB(command, data, dataLen, sumTextId, result);
}

CTime CLink::CurrentTime() const
{
    return m_services.clock->CurrentTime();
}

WORD CLink::SecondsPastHour() const
{
    std::tm tm{};
    CurrentTime().GetLocalTm(tm);
    return WORD(tm.tm_min * 60 + tm.tm_sec);
}

void CLink::PurgeLine()
{
    if (m_port)
        m_port->Purge();
}

BOOL CLink::ReadIdentification(CIden& iden)
{
    if (!Prepare())
        return FALSE;
    if (m_kind == kPortKindVkt) {
        BYTE data[CIden::kImageSize];
        if (!ExchangeB(kCmdIdentification, nullptr, 0, kIdenReplyB, platform::IDS_ERR_ACK_CHECKSUM, data))
            return FALSE;
        iden.FromReply(data);
        return TRUE;
    }

    if (!SendRequestA(kCmdIdentification, nullptr, 0))
        return FALSE;
    BYTE* reply = ReplyBuffer(kIdenReplyB);
    const int kept = ReadReply(reply, kIdenReplyA, Head::Identification);
    const BYTE address = BYTE(m_address);
    if (kept == kIdenReplyA && reply[0] == address && reply[1] == 0 && reply[2] == CIden::kImageSize
        && reply[3] == kCmdIdentification) {
        if (ReadPlain(reply + kIdenReplyA, 2) != 2) {
            SetError(platform::IDS_ERR_BAD_REPLY);
            return FALSE;
        }
        if (!frames::CheckCrc(reply, kIdenReplyA)) {
            SetError(platform::IDS_ERR_ACK_CHECKSUM);
            return FALSE;
        }
        iden.FromReply(reply + frames::kHeadB);
        return TRUE;
    }
    if (kept == kIdenReplyA && reply[0] == address && reply[1] == kIdenReplyA - 1 && reply[2] == 0) {
        if (frames::Sum8(reply, kIdenReplyA - 1) != reply[kIdenReplyA - 1]) {
            SetError(platform::IDS_ERR_ACK_CHECKSUM);
            return FALSE;
        }
        iden.FromReply(reply + frames::kHeadA);
        return TRUE;
    }
    SetError(platform::IDS_ERR_BAD_REPLY);
    return FALSE;
}

int CLink::ReadIdentificationProbe(CIden& iden)
{
    if (!Prepare())
        return -1;
    if (!SendRequestB(kCmdIdentification, nullptr, 0))
        return -1;
    BYTE* reply = ReplyBuffer(kIdenReplyB);
    // The address is what the probe is to learn: any address heads a reply.
    const int kept = ReadReply(reply, kIdenReplyB, Head::BAnyAddress);
    if (kept < 0) {
        SetError(platform::IDS_ERR_SEND_REQUEST);
        return -1;
    }
    if (kept != kIdenReplyB || reply[1] != 0 || reply[2] != CIden::kImageSize || reply[3] != kCmdIdentification) {
        SetError(platform::IDS_ERR_BAD_REPLY);
        return -1;
    }
    if (!frames::CheckCrc(reply, kIdenReplyA)) {
        SetError(platform::IDS_ERR_ACK_CHECKSUM);
        return -1;
    }
    // Only a reply that passed every check tells the address.
    m_address = reply[0];
    iden.FromReply(reply + frames::kHeadB);
    return reply[0];
}

void CLink::AttachPort(std::shared_ptr<ISerialPort> port)
{
    m_port = port ? std::make_shared<CSharedPort>(std::move(port)) : nullptr;
}
