#pragma once

#include "link/LinkClock.h"
#include "link/SerialPort.h"

#include <QString>

#include <cstdint>
#include <memory>

// The open port of one port name, shared by every link on it (for a modem
// line, the data port of its call). Used under the port's lock, like the
// device itself.
//
// A serial device that goes away under it (an adapter unplugged, a port
// removed: a read or write that fails on the device, not one that merely
// times out) is closed at once, so that the system may give the name to the
// device again when it comes back. Every link on the port then fails its
// requests until one of them opens the device again (CLink::Prepare); the
// tries come after pauses that double from kFirstReopenSeconds up to
// kMaxReopenSeconds, so a port that stays away costs an open now and then
// and a port that is back is in use again within the longest pause.
//
// A modem's data port comes and goes with its call, which the modem code
// looks after: such a port is passed through as it is and never reopened.
class CSharedPort final : public ISerialPort {
public:
    static constexpr std::int64_t kFirstReopenSeconds = 1;
    static constexpr std::int64_t kMaxReopenSeconds = 30;

    // A serial device opened by a link; `device` may be null for a device
    // that is missing already, which is then tried again as a lost one.
    CSharedPort(std::shared_ptr<ISerialPort> device, ILinkClock& clock, const QString& name);
    // A modem's data port.
    explicit CSharedPort(std::shared_ptr<ISerialPort> modemData);

    // The pause before reopen try `tries` (0: the first after the loss).
    static std::int64_t ReopenPauseSeconds(int tries);

    // False while the device is away (and after Close).
    bool IsOpen() const { return m_device != nullptr; }
    // The device went away and has not been opened again.
    bool IsGone() const { return m_reopens && !m_device; }
    // Gone, and the pause since the loss or the last try has passed.
    bool IsReopenDue() const;
    // The result of a try: the device opened and set up again, or null.
    void Reopened(std::shared_ptr<ISerialPort> device);

    bool SaveState(QByteArray& state) override;
    bool RestoreState(const QByteArray& state) override;
    bool SetTimeouts(const SerialTimeouts& timeouts) override;
    bool SetLineParameters(int baud) override;
    bool RaiseModemLines() override;
    bool Purge() override;
    void ClearError() override;
    bool Write(const BYTE* data, int count, int& written, PortFault& fault) override;
    int Read(BYTE* data, int count, PortFault& fault) override;
    int BytesWaiting() override;
    void Close() override;

private:
    // Closes a device that failed with `fault` when that means it is gone.
    void NoteFault(PortFault fault);

    std::shared_ptr<ISerialPort> m_device;
    ILinkClock* m_clock = nullptr;
    QString m_name; // for the diagnostics
    bool m_reopens = false;
    int m_tries = 0;           // tries that found nothing since the loss
    std::int64_t m_since = 0;  // link-clock seconds of the loss or the last try
};
