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

// The machine's serial ports that the system describes as modems.
ModemLineSource SystemModemLineSource();

// Adds one kind-2 entry per modem line, described "modem", with a modem
// record made from its stored values; `owned` keeps the records. With
// `refresh` lines already listed are skipped.
void EnumerateModemLines(CPortList& ports, bool refresh, std::vector<std::unique_ptr<CModemPort>>& owned,
                         const ModemServices& services, const platform::Settings& settings,
                         const ModemLineSource& source = SystemModemLineSource());

// Writes the totals ("_pc", "_dc") of every modem line of the list.
void SaveModemSettings(const CPortList& ports, platform::Settings& settings);
