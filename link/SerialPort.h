#pragma once

#include "model/PrevodTyp.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// What went wrong with a port call, in terms the link reacts to.
enum class PortFault {
    None,
    DeviceGone, // the device went away under an open handle (USB adapter unplugged)
    InvalidHandle, // the handle is no longer valid (a modem line that dropped)
    Busy, // another program holds the port
    NotFound,
    Other,
};

// Bounds of one read or write, in milliseconds: a read ends when it has its
// bytes, when `readInterval` passes between two bytes, or when
// readMultiplier x bytes + readConstant passes in all.
struct SerialTimeouts {
    DWORD readInterval = 0;
    DWORD readMultiplier = 0;
    DWORD readConstant = 0;
    DWORD writeMultiplier = 0;
    DWORD writeConstant = 0;
};

// One open serial device (a serial port, a USB adapter, a pseudo-terminal or
// a connected modem's data port). A port is shared by every link on it; the
// link manager's port lock keeps one request at a time on it, so a port need
// not be safe for concurrent calls.
class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    // The device's own settings as found, so that closing can put them back.
    virtual bool SaveState(QByteArray& state) = 0;
    virtual bool RestoreState(const QByteArray& state) = 0;

    virtual bool SetTimeouts(const SerialTimeouts& timeouts) = 0;
    // baud, no parity, 8 data bits, 1 stop bit; raw bytes, no flow control.
    virtual bool SetLineParameters(int baud) = 0;
    // Raises DTR and RTS; a device without modem lines refuses, which the
    // caller ignores.
    virtual bool RaiseModemLines() = 0;

    // Drops whatever waits in the transmit and receive buffers.
    virtual bool Purge() = 0;
    virtual void ClearError() = 0;

    // Writes the whole buffer within the write bounds; `written` tells how
    // many bytes went out. False with `fault` on a failed call.
    virtual bool Write(const BYTE* data, int count, int& written, PortFault& fault) = 0;
    // Reads up to `count` bytes within the read bounds; returns how many
    // arrived (0 on a time-out), or -1 on a failed call with `fault`.
    virtual int Read(BYTE* data, int count, PortFault& fault) = 0;
    // Bytes received and not yet read.
    virtual int BytesWaiting() = 0;

    virtual void Close() = 0;
};

// Opens a device for exclusive use. nullptr with `fault` on failure.
using SerialPortOpener = std::function<std::shared_ptr<ISerialPort>(const QString& devicePath, PortFault& fault)>;

// The system's opener.
std::shared_ptr<ISerialPort> OpenSystemSerialPort(const QString& devicePath, PortFault& fault);

// The device to open for a port name: an absolute path as given; on Windows
// COM10 and above through the "\\.\COMn" form, lower numbers by name; on
// other systems a bare name lives under /dev.
QString DevicePathForPort(const QString& portName, bool windowsNames);
QString DevicePathForPort(const QString& portName);

// True when the port name is a device path of its own (a pseudo-terminal in
// tests, a device link such as /dev/serial/by-id/...).
bool IsDevicePathName(const QString& portName);
