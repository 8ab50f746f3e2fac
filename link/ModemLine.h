#pragma once

#include "link/LinkClock.h"
#include "link/ModemDialog.h"
#include "link/ModemPort.h"
#include "link/ModemStatus.h"
#include "link/SerialPort.h"
#include "model/PrevodTyp.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>

// A modem's answer to a command, by its verbose result code.
enum class ModemResult { None, Ok, Connect, Ring, NoCarrier, Error, NoDialtone, Busy, NoAnswer };

// The result code of one line the modem sent (CR and LF stripped); None for
// anything else (an echoed command, an empty line).
ModemResult ParseModemResult(const QByteArray& line);

// The stored values of a modem line (section "modemy").
struct ModemLineSettings {
    int baud = 9600; // "_r"
    int retryCount = 0; // "_ks": R of the readers on this line
    DWORD totalKB = 0; // "_pc": kilobytes of finished calls
    DWORD totalSeconds = 0; // "_dc": connected seconds of finished calls
    int connectFlag = 0; // "_nav"
};

// What a modem line needs from its surroundings.
struct ModemServices {
    ILinkClock* clock = nullptr; // the pauses, the countdowns and the dial deadline
    SerialPortOpener opener; // opens the modem's serial device
    ModemDialogStarter dialogs; // empty: no progress dialog
};

// A Hayes AT-command modem on a serial device as a modem line. Dialling
// opens the device, initialises the modem and dials; after CONNECT the
// device is the data port of every link on the line. Hanging up escapes to
// command mode with "+++" between guard times and sends ATH; then the
// device is closed again, so that between calls nothing holds it.
//
// A carrier lost during a call shows as "NO CARRIER" among the data: the
// data port notices it, the call ends (its amount and time go to the
// totals) and the line is failed until the next dial.
class CModemPort : public IModemPort {
public:
    static constexpr int kDialCountdownSeconds = 5;
    static constexpr int kHangUpCountdownSeconds = 7;
    static constexpr int kConnectTimeoutSeconds = 40; // from the dial command to CONNECT
    static constexpr DWORD kRoundMs = 100; // one round of the waits: cancel asked, messages pumped
    static constexpr DWORD kGuardMs = 1000; // silence around the "+++" escape, and after CONNECT
    static constexpr int kCommandReplyMs = 3000; // bound of the wait for a command's result
    // Echo off, verbose result codes, results on, busy and dial tone told.
    static constexpr const char* kInitCommand = "ATE0V1Q0X4";

    CModemPort(const QString& lineName, const QString& devicePath, const ModemLineSettings& settings,
               ModemServices services);
    ~CModemPort() override;
    CModemPort(const CModemPort&) = delete;
    CModemPort& operator=(const CModemPort&) = delete;

    const QString& GetLineName() const { return m_lineName; }
    const QString& GetDevicePath() const { return m_devicePath; }
    int GetBaud() const { return m_baud; }

    // IModemPort
    std::mutex& LineLock() override { return m_lineLock; }
    std::mutex& StateLock() override { return m_stateLock; }
    int GetLineState() const override { return m_lineState; }
    QString GetNumber() const override { return m_number; }
    bool IsWanted() const override { return m_wanted; }
    void SetWanted(bool wanted) override { m_wanted = wanted; }
    int GetRetryCount() const override { return m_retryCount; }
    void AddBytes(int count) override;
    void DropCall() override;
    int Dial(CLink& link, const QString& number) override;
    void HangUp(CLink& link) override;

    // Under StateLock():
    void SetRetryCount(int count) { m_retryCount = count; }
    int GetConnectFlag() const { return m_connectFlag; }
    void SetConnectFlag(int flag) { m_connectFlag = flag; }
    // The line's fields as the connection dialog shows them (the number of
    // links is the manager's to fill in).
    ModemLineState Snapshot() const;
    // Bytes, totals and the wanted flag to 0, the connect time to now.
    void ResetCounters();
    // The values that outlive the program run.
    ModemLineSettings CurrentSettings() const;

    // Ends the call of the line, after the countdown in the dialog; false
    // when the user cancelled and the call stays up. The line lock and the
    // port lock of the line's links are held.
    bool HangUpLine();

private:
    class DataPort;
    enum class Outcome { Connected, Failed, Cancelled };

    // Escapes to command mode, hangs up and closes the device; the call
    // goes to the totals.
    void EndCall();

    std::unique_ptr<IModemDialog> StartDialog(int captionId);
    // Counts down with the text `textId` ("... za %d sekund."); true when
    // the user cancelled (the dialog is then closed).
    bool CountDown(IModemDialog* dialog, int textId, int seconds);
    static bool Cancelled(IModemDialog* dialog);
    static void Status(IModemDialog* dialog, const QString& text);

    // Opens the device and initialises the modem; 0, or the error text id.
    int Configure(std::shared_ptr<ISerialPort>& device);
    Outcome DialAndWait(CLink& link, IModemDialog* dialog, const std::shared_ptr<ISerialPort>& device,
                        const QString& number);
    // The device becomes the link's port for the call; 0, or the error text id.
    int Connect(CLink& link, const std::shared_ptr<ISerialPort>& device);
    // Ends a dial that failed: the device is closed, the line failed, the
    // text goes to the link and the dialog.
    void FailDial(CLink& link, IModemDialog* dialog, int textId);
    // A carrier lost under a running call (seen by the data port).
    void OnCarrierLost(const DataPort* port);

    // Under the state lock:
    void EndCallLocked(bool countCall, int newState);
    void ReleaseDeviceLocked();

    // The AT dialogue on the open device.
    static bool SendCommand(ISerialPort& device, const QByteArray& command);
    // Waits (within the device's read bounds) for a result code.
    static ModemResult WaitResult(ISerialPort& device, int boundMs);

    const QString m_lineName;
    const QString m_devicePath;
    const int m_baud;
    ModemServices m_services;
    std::mutex m_lineLock;
    mutable std::mutex m_stateLock;

    // Guarded by the state lock.
    int m_retryCount;
    int m_lineState = kIdle;
    QString m_number;
    DWORD m_bytes = 0;
    CTime m_connectTime;
    DWORD m_totalKB;
    DWORD m_totalSeconds;
    bool m_wanted;
    int m_connectFlag;
    bool m_callUp = false; // a call was connected and has not been counted yet
    std::shared_ptr<ISerialPort> m_device; // open from the dial to the end of the call
    QByteArray m_savedState; // the device's settings as found
    std::shared_ptr<DataPort> m_data; // the links' port during the call
};
