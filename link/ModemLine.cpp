#include "link/ModemLine.h"

#include "link/Link.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <atomic>

namespace {

// Reads result codes out of the modem's bytes, one line at a time.
class ResultReader {
public:
    ModemResult Feed(BYTE b)
    {
        if (b == '\r' || b == '\n') {
            const ModemResult result = ParseModemResult(m_line);
            m_line.clear();
            return result;
        }
        if (m_line.size() < 128)
            m_line.append(char(b));
        return ModemResult::None;
    }

private:
    QByteArray m_line;
};

bool IsFinal(ModemResult result)
{
    return result != ModemResult::None && result != ModemResult::Ring;
}

// The text of a dial that ended with `result`.
int DialFailureText(ModemResult result)
{
    switch (result) {
    case ModemResult::Busy:
        return platform::IDS_MODEM_BUSY;
    case ModemResult::Error:
        // The modem refused the dial command.
        return platform::IDS_MODEM_NOT_FOUND;
    default:
        // NO CARRIER, NO DIALTONE, NO ANSWER: the call went down.
        return platform::IDS_MODEM_HUNG_UP;
    }
}

constexpr char kNoCarrier[] = "NO CARRIER";
constexpr int kNoCarrierLength = int(sizeof kNoCarrier) - 1;

} // namespace

ModemResult ParseModemResult(const QByteArray& received)
{
    const QByteArray line = received.trimmed().toUpper();
    if (line == "OK")
        return ModemResult::Ok;
    if (line.startsWith("CONNECT"))
        return ModemResult::Connect;
    if (line == "RING")
        return ModemResult::Ring;
    if (line == kNoCarrier)
        return ModemResult::NoCarrier;
    if (line == "ERROR")
        return ModemResult::Error;
    if (line == "NO DIALTONE" || line == "NO DIAL TONE")
        return ModemResult::NoDialtone;
    if (line == "BUSY")
        return ModemResult::Busy;
    if (line == "NO ANSWER")
        return ModemResult::NoAnswer;
    return ModemResult::None;
}

// The links' port during a call: the modem's device, watched for the
// modem's "NO CARRIER" among the data. Once the call has ended every use
// fails as on a closed handle. Used under the line's port lock, like any
// port; ended under the modem's state lock by a holder of that port lock.
class CModemPort::DataPort final : public ISerialPort {
public:
    DataPort(CModemPort& owner, std::shared_ptr<ISerialPort> device) : m_owner(owner), m_device(std::move(device)) {}

    // Under the modem's state lock.
    void Kill()
    {
        m_dead = true;
        m_device.reset();
    }

    bool SaveState(QByteArray& state) override { return !m_dead && m_device->SaveState(state); }
    bool RestoreState(const QByteArray& state) override { return !m_dead && m_device->RestoreState(state); }
    bool SetTimeouts(const SerialTimeouts& timeouts) override { return !m_dead && m_device->SetTimeouts(timeouts); }
    bool SetLineParameters(int baud) override { return !m_dead && m_device->SetLineParameters(baud); }
    bool RaiseModemLines() override { return !m_dead && m_device->RaiseModemLines(); }

    bool Purge() override
    {
        if (m_dead)
            return false;
        // What waits may be the modem telling that the call is gone.
        const int waiting = std::min(m_device->BytesWaiting(), 256);
        if (waiting > 0) {
            BYTE buf[256];
            PortFault fault = PortFault::None;
            const int got = m_device->Read(buf, waiting, fault);
            if (got > 0 && CarrierLost(buf, got))
                return false;
        }
        return m_device->Purge();
    }

    void ClearError() override
    {
        if (!m_dead)
            m_device->ClearError();
    }

    bool Write(const BYTE* data, int count, int& written, PortFault& fault) override
    {
        written = 0;
        if (m_dead) {
            fault = PortFault::InvalidHandle;
            return false;
        }
        return m_device->Write(data, count, written, fault);
    }

    int Read(BYTE* data, int count, PortFault& fault) override
    {
        if (m_dead) {
            fault = PortFault::InvalidHandle;
            return -1;
        }
        const int got = m_device->Read(data, count, fault);
        if (got > 0 && CarrierLost(data, got)) {
            fault = PortFault::InvalidHandle;
            return -1;
        }
        return got;
    }

    int BytesWaiting() override { return m_dead ? 0 : m_device->BytesWaiting(); }

    // The device is the modem's: a link that gives the port up only stops
    // using it.
    void Close() override {}

private:
    // Looks for the result code across reads; ends the call when it is there.
    bool CarrierLost(const BYTE* data, int count)
    {
        m_tail.append(reinterpret_cast<const char*>(data), count);
        const bool lost = m_tail.contains(kNoCarrier);
        if (m_tail.size() > kNoCarrierLength)
            m_tail = m_tail.right(kNoCarrierLength - 1);
        if (lost)
            m_owner.OnCarrierLost(this);
        return lost;
    }

    CModemPort& m_owner;
    std::shared_ptr<ISerialPort> m_device;
    std::atomic<bool> m_dead{false};
    QByteArray m_tail;
};

CModemPort::CModemPort(const QString& lineName, const QString& devicePath, const ModemLineSettings& settings,
                       ModemServices services)
    : m_lineName(lineName)
    , m_devicePath(devicePath)
    , m_baud(settings.baud)
    , m_services(std::move(services))
    , m_retryCount(settings.retryCount)
    , m_totalKB(settings.totalKB)
    , m_totalSeconds(settings.totalSeconds)
    , m_wanted(settings.connectFlag != 0)
    , m_connectFlag(settings.connectFlag)
{
    if (!m_services.clock)
        m_services.clock = &SystemLinkClock();
    if (!m_services.opener)
        m_services.opener = OpenSystemSerialPort;
    m_connectTime = m_services.clock->CurrentTime();
}

CModemPort::~CModemPort()
{
    std::lock_guard lock(m_stateLock);
    ReleaseDeviceLocked();
}

void CModemPort::AddBytes(int count)
{
    if (count > 0)
        m_bytes += DWORD(count);
}

void CModemPort::DropCall()
{
    EndCallLocked(true, kFailed);
}

ModemLineState CModemPort::Snapshot() const
{
    ModemLineState s;
    s.retryCount = m_retryCount;
    s.lineState = m_lineState;
    s.number = m_number;
    s.bytes = m_bytes;
    s.connectTime = m_connectTime;
    s.totalKB = m_totalKB;
    s.totalSeconds = m_totalSeconds;
    s.wanted = m_wanted;
    s.connectFlag = m_connectFlag;
    return s;
}

void CModemPort::ResetCounters()
{
    m_bytes = 0;
    m_totalKB = 0;
    m_totalSeconds = 0;
    m_wanted = false;
    m_connectTime = m_services.clock->CurrentTime();
}

ModemLineSettings CModemPort::CurrentSettings() const
{
    ModemLineSettings s;
    s.baud = m_baud;
    s.retryCount = m_retryCount;
    s.totalKB = m_totalKB;
    s.totalSeconds = m_totalSeconds;
    s.connectFlag = m_connectFlag;
    return s;
}

void CModemPort::EndCallLocked(bool countCall, int newState)
{
    // Only a call that was connected has an amount and a duration: a dial
    // that failed adds nothing (its "connect time" is that of an older call).
    if (countCall && m_callUp) {
        m_totalKB += CallKilobytes(m_bytes);
        const std::int64_t seconds =
            std::int64_t(m_services.clock->CurrentTime().GetTime()) - std::int64_t(m_connectTime.GetTime());
        if (seconds > 0)
            m_totalSeconds += DWORD(seconds);
    }
    m_callUp = false;
    ReleaseDeviceLocked();
    m_lineState = newState;
}

void CModemPort::ReleaseDeviceLocked()
{
    if (m_data) {
        m_data->Kill();
        m_data.reset();
    }
    if (m_device) {
        m_device->RestoreState(m_savedState);
        m_device->Close();
        m_device.reset();
    }
}

void CModemPort::OnCarrierLost(const DataPort* port)
{
    std::lock_guard lock(m_stateLock);
    if (m_data.get() == port)
        EndCallLocked(true, kFailed);
}

std::unique_ptr<IModemDialog> CModemPort::StartDialog(int captionId)
{
    if (!m_services.dialogs)
        return nullptr;
    std::unique_ptr<IModemDialog> dialog = m_services.dialogs();
    if (dialog)
        dialog->SetCaption(platform::LoadString(captionId));
    return dialog;
}

bool CModemPort::Cancelled(IModemDialog* dialog)
{
    return dialog && dialog->QueryCancel();
}

void CModemPort::Status(IModemDialog* dialog, const QString& text)
{
    if (dialog)
        dialog->SetStatus(text);
}

bool CModemPort::CountDown(IModemDialog* dialog, int textId, int seconds)
{
    const QString text = platform::LoadString(textId);
    const DWORD total = DWORD(seconds) * 1000;
    int shown = -1;
    for (DWORD elapsed = 0; elapsed < total; elapsed += kRoundMs) {
        const int left = int((total - elapsed + 999) / 1000);
        if (left != shown) {
            shown = left;
            Status(dialog, FormatModemText(text, {left}));
        }
        if (Cancelled(dialog)) {
            dialog->Close();
            return true;
        }
        m_services.clock->Sleep(kRoundMs);
    }
    return false;
}

bool CModemPort::SendCommand(ISerialPort& device, const QByteArray& command)
{
    int written = 0;
    PortFault fault = PortFault::None;
    return device.Write(reinterpret_cast<const BYTE*>(command.constData()), int(command.size()), written, fault)
        && written == int(command.size());
}

ModemResult CModemPort::WaitResult(ISerialPort& device, int boundMs)
{
    SerialTimeouts t;
    t.readConstant = DWORD(boundMs);
    t.writeMultiplier = 10;
    t.writeConstant = 100;
    device.SetTimeouts(t);
    ResultReader reader;
    // A modem that talks on and on without a result is as good as silent.
    for (int i = 0; i < 1024; ++i) {
        BYTE b = 0;
        PortFault fault = PortFault::None;
        if (device.Read(&b, 1, fault) != 1)
            return ModemResult::None;
        const ModemResult result = reader.Feed(b);
        if (IsFinal(result))
            return result;
    }
    return ModemResult::None;
}

int CModemPort::Configure(std::shared_ptr<ISerialPort>& device)
{
    PortFault fault = PortFault::None;
    std::shared_ptr<ISerialPort> opened = m_services.opener(DevicePathForPort(m_devicePath), fault);
    if (!opened)
        return platform::IDS_MODEM_NOT_FOUND;
    QByteArray saved;
    if (!opened->SaveState(saved)) {
        opened->Close();
        return platform::IDS_MODEM_NOT_FOUND;
    }
    {
        std::lock_guard lock(m_stateLock);
        m_device = opened;
        m_savedState = saved;
    }
    if (m_baud <= 0 || !opened->SetLineParameters(m_baud)) {
        std::lock_guard lock(m_stateLock);
        ReleaseDeviceLocked();
        return platform::IDS_ERR_PORT_PARAMS;
    }
    // DTR up: the modem takes commands, and drops a call when the device
    // is closed.
    opened->RaiseModemLines();
    opened->Purge();
    if (!SendCommand(*opened, QByteArray(kInitCommand) + '\r')
        || WaitResult(*opened, kCommandReplyMs) != ModemResult::Ok) {
        std::lock_guard lock(m_stateLock);
        ReleaseDeviceLocked();
        return platform::IDS_MODEM_NOT_FOUND;
    }
    device = std::move(opened);
    return 0;
}

void CModemPort::FailDial(CLink& link, IModemDialog* dialog, int textId)
{
    {
        std::lock_guard lock(m_stateLock);
        ReleaseDeviceLocked();
        m_lineState = kFailed;
    }
    link.SetError(textId);
    Status(dialog, platform::LoadString(textId));
    if (dialog)
        dialog->Done(IModemDialog::kFinished);
}

int CModemPort::Connect(CLink& link, const std::shared_ptr<ISerialPort>& device)
{
    SerialTimeouts t;
    {
        std::lock_guard lock(m_stateLock);
        // Lines with retries wait longer between the bytes of a reply.
        t.readInterval = m_retryCount > 0 ? 715 : 200;
        t.readMultiplier = m_retryCount > 0 ? 0 : 5;
    }
    t.readConstant = 1000;
    t.writeMultiplier = 10;
    t.writeConstant = 100;
    if (!device->SetTimeouts(t))
        return platform::IDS_ERR_PORT_TIMEOUTS;
    // The rest of the CONNECT line and whatever the far end sent while the
    // call came up are no reply to anything.
    m_services.clock->Sleep(kGuardMs);
    device->Purge();
    std::lock_guard lock(m_stateLock);
    m_data = std::make_shared<DataPort>(*this, device);
    m_connectTime = m_services.clock->CurrentTime();
    m_bytes = 0;
    m_callUp = true;
    m_lineState = kConnected;
    link.AttachPort(m_data);
    return 0;
}

CModemPort::Outcome CModemPort::DialAndWait(CLink& link, IModemDialog* dialog,
                                             const std::shared_ptr<ISerialPort>& device, const QString& number)
{
    {
        std::lock_guard lock(m_stateLock);
        m_lineState = kDialling;
    }
    Status(dialog, platform::LoadString(platform::IDS_MODEM_DIALLING));
    // Tone dialling.
    if (!SendCommand(*device, "ATDT" + number.toLatin1() + '\r')) {
        FailDial(link, dialog, platform::IDS_MODEM_NOT_FOUND);
        return Outcome::Failed;
    }
    const std::int64_t start = m_services.clock->NowSeconds();
    ResultReader reader;
    ModemResult result = ModemResult::None;
    for (;;) {
        const int waiting = std::min(device->BytesWaiting(), 64);
        if (waiting > 0) {
            BYTE buf[64];
            PortFault fault = PortFault::None;
            const int got = device->Read(buf, waiting, fault);
            if (got < 0) {
                FailDial(link, dialog, platform::IDS_MODEM_NOT_FOUND);
                return Outcome::Failed;
            }
            for (int i = 0; i < got && !IsFinal(result); ++i)
                result = reader.Feed(buf[i]);
            if (IsFinal(result))
                break;
            continue;
        }
        const bool cancelled = Cancelled(dialog);
        const bool late = m_services.clock->NowSeconds() - start > kConnectTimeoutSeconds;
        if (cancelled || late) {
            // Any character stops a dial in progress; ATH makes sure.
            SendCommand(*device, "\rATH\r");
            {
                std::lock_guard lock(m_stateLock);
                ReleaseDeviceLocked();
                m_lineState = kFailed;
            }
            if (cancelled) {
                dialog->Close();
                return Outcome::Cancelled;
            }
            link.SetError(platform::IDS_MODEM_CONNECT_TIMEOUT);
            Status(dialog, platform::LoadString(platform::IDS_MODEM_CONNECT_TIMEOUT));
            if (dialog)
                dialog->Done(IModemDialog::kFinished);
            return Outcome::Failed;
        }
        m_services.clock->Sleep(kRoundMs);
    }
    if (result != ModemResult::Connect) {
        FailDial(link, dialog, DialFailureText(result));
        return Outcome::Failed;
    }
    if (const int failure = Connect(link, device)) {
        FailDial(link, dialog, failure);
        return Outcome::Failed;
    }
    if (dialog)
        dialog->Close();
    return Outcome::Connected;
}

int CModemPort::Dial(CLink& link, const QString& number)
{
    bool otherCall = false;
    {
        std::lock_guard lock(m_stateLock);
        if (m_lineState == kConnected && m_data) {
            // The call outlived a hang-up that the user cancelled: it serves
            // again, but only for the number it was made to.
            if (m_number == number) {
                link.AttachPort(m_data);
                return 1;
            }
            otherCall = true;
        }
    }
    if (otherCall)
        EndCall();
    {
        std::lock_guard lock(m_stateLock);
        m_number = number;
    }
    std::unique_ptr<IModemDialog> dialog = StartDialog(platform::IDS_MODEM_CAPTION_CONNECT);
    if (CountDown(dialog.get(), platform::IDS_MODEM_DIAL_COUNTDOWN, kDialCountdownSeconds))
        return 1;
    Status(dialog.get(), platform::LoadString(platform::IDS_MODEM_CONFIGURING));
    std::shared_ptr<ISerialPort> device;
    if (const int failure = Configure(device)) {
        FailDial(link, dialog.get(), failure);
        return 0;
    }
    if (Cancelled(dialog.get())) {
        {
            std::lock_guard lock(m_stateLock);
            ReleaseDeviceLocked();
        }
        dialog->Close();
        return 1;
    }
    return DialAndWait(link, dialog.get(), device, number) == Outcome::Failed ? 0 : 1;
}

void CModemPort::EndCall()
{
    std::shared_ptr<ISerialPort> device;
    {
        std::lock_guard lock(m_stateLock);
        device = m_device;
    }
    if (device) {
        // Back to command mode: the escape needs a second of silence on
        // either side.
        device->Purge();
        m_services.clock->Sleep(kGuardMs);
        SendCommand(*device, "+++");
        m_services.clock->Sleep(kGuardMs);
        WaitResult(*device, kCommandReplyMs);
        SendCommand(*device, "ATH\r");
        WaitResult(*device, kCommandReplyMs);
    }
    std::lock_guard lock(m_stateLock);
    EndCallLocked(true, kIdle);
}

bool CModemPort::HangUpLine()
{
    {
        std::lock_guard lock(m_stateLock);
        if (m_lineState != kConnected || !m_device) {
            // The call is gone already (lost, failed or never made).
            EndCallLocked(true, kIdle);
            return true;
        }
    }
    std::unique_ptr<IModemDialog> dialog = StartDialog(platform::IDS_MODEM_CAPTION_HANGUP);
    if (CountDown(dialog.get(), platform::IDS_MODEM_HANGUP_COUNTDOWN, kHangUpCountdownSeconds))
        return false;
    if (dialog) {
        dialog->Done(IModemDialog::kHangingUp);
        dialog->SetStatus(platform::LoadString(platform::IDS_MODEM_HANGING_UP));
    }
    EndCall();
    if (dialog)
        dialog->Close();
    return true;
}

void CModemPort::HangUp(CLink& link)
{
    // A cancel leaves the call up, and the link with it, for the next open
    // of the line.
    if (HangUpLine())
        link.AttachPort(nullptr);
}
