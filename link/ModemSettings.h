#pragma once

#include "link/ModemLine.h"
#include "link/PortList.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace platform {
class Settings;
}

// The section of the modem lines' values, each named by the line's name
// followed by "_r", "_ks", "_pc", "_dc" or "_nav".
inline constexpr const char* kModemSection = "modemy";

// The stored values of a line, defaults for those not stored.
ModemLineSettings ReadModemLineSettings(const platform::Settings& settings, const QString& line);
// All five values.
void WriteModemLineSettings(platform::Settings& settings, const QString& line, const ModemLineSettings& values);
// The three the general settings page shows: baud, retries and the connect
// flag; the totals are left as they are.
void WriteModemLinePageSettings(platform::Settings& settings, const QString& line, int baud, int retryCount, int connectFlag);

// A modem found on the machine: the line's name and the serial device it
// answers on.
struct ModemLineInfo {
    QString name;
    QString devicePath;
};
using ModemLineSource = std::function<std::vector<ModemLineInfo>()>;

// Which serial port carries a modem is the user's word, kept in "modemy" as
// the port's name followed by "_modem" (1 a modem, 0 none). Without a word
// the system's description of the port decides: a port it describes as a
// modem is one.
bool IsModemPort(const platform::Settings& settings, const QString& port, const QString& description);
void MarkModemPort(platform::Settings& settings, const QString& port, bool modem);

// The modem line on a serial port (a listed port, or a device path): named
// by the port's description and name, "modem (<port>)" for a port that the
// system does not describe.
ModemLineInfo ModemLineOnPort(const QString& port, const QString& description);

// The modem lines among the machine's `ports`, and the device paths (a
// pseudo-terminal, a /dev/serial/by-id link) that the user made modems.
std::vector<ModemLineInfo> ModemLinesOf(const std::vector<CSerialPortInfo>& ports,
                                        const platform::Settings& settings);

// The machine's modem lines, by the program's settings.
ModemLineSource SystemModemLineSource();

// Adds one kind-2 entry per modem line, described "modem", with a modem
// record made from its stored values; `owned` keeps the records. Lines
// already listed are skipped (a refresh finds them all).
void EnumerateModemLines(CPortList& ports, bool refresh, std::vector<std::unique_ptr<CModemPort>>& owned,
                         const ModemServices& services, const platform::Settings& settings,
                         const ModemLineSource& source = SystemModemLineSource());
// Lists one line while the program runs. A record of `owned` for the same
// line (listed before and taken away since, perhaps still in a call) serves
// again: one device, one modem. False when the line is listed already.
bool AddModemLine(CPortList& ports, std::vector<std::unique_ptr<CModemPort>>& owned, const ModemServices& services,
                  const platform::Settings& settings, const ModemLineInfo& line);

// Writes the totals ("_pc", "_dc") of every modem line of the list.
void SaveModemSettings(const CPortList& ports, platform::Settings& settings);
