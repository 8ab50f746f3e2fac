#pragma once

#include "link/SerialPort.h"
#include "model/PrevodTyp.h"

#include <QString>

#include <functional>
#include <vector>

// One serial port of the machine, as listed for the user and the port list.
struct CSerialPortInfo {
    QString devicePath; // what to open
    QString portName; // "ttyUSB0", "COM5"
    QString friendlyName; // "USB Serial Port (COM5)"
    DWORD usbFlag = 0; // the port sits on the USB bus
    QString description; // short text for lists
    QString usbProduct; // the USB product string, when the port has one
};

// A port as the system reports it, before the list rules apply.
struct SerialPortSource {
    QString portName;
    QString devicePath;
    QString friendlyName; // may be empty
    QString description; // may be empty
    QString usbProduct; // may be empty
    bool usb = false;
};

// The system's ports (QSerialPortInfo, with the USB product string where the
// system tells it).
std::vector<SerialPortSource> SystemSerialPortSources();

// True for a port of the VKT 44 analyser's own USB interface: its
// description or its USB product begins with "ZRT VKT 44".
bool IsVktPort(const CSerialPortInfo& port);

// Fills `ports` with the machine's serial ports. With `probe` every port is
// opened once and a port that cannot be opened (missing, or held by another
// program) is left out. Throws the error text (QString) of a failed system
// call. The source and the opener are the system's unless given.
void EnumerateSerialPorts(std::vector<CSerialPortInfo>& ports, bool probe);
void EnumerateSerialPorts(std::vector<CSerialPortInfo>& ports, bool probe,
                          const std::function<std::vector<SerialPortSource>()>& source,
                          const SerialPortOpener& opener);
