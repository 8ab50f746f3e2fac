#include "link/ModemSettings.h"

#include "link/SerialPortInfo.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"

namespace {

QString ValueName(const QString& line, const char* suffix)
{
    return line + QLatin1String(suffix);
}

} // namespace

ModemLineSettings ReadModemLineSettings(const platform::Settings& settings, const QString& line)
{
    ModemLineSettings v;
    v.baud = settings.GetProfileInt(kModemSection, ValueName(line, "_r"), 9600);
    v.retryCount = settings.GetProfileInt(kModemSection, ValueName(line, "_ks"), 0);
    v.totalKB = DWORD(settings.GetProfileInt(kModemSection, ValueName(line, "_pc"), 0));
    v.totalSeconds = DWORD(settings.GetProfileInt(kModemSection, ValueName(line, "_dc"), 0));
    v.connectFlag = settings.GetProfileInt(kModemSection, ValueName(line, "_nav"), 0);
    return v;
}

void WriteModemLinePageSettings(platform::Settings& settings, const QString& line, int baud, int retryCount, int connectFlag)
{
    settings.WriteProfileInt(kModemSection, ValueName(line, "_r"), baud);
    settings.WriteProfileInt(kModemSection, ValueName(line, "_ks"), retryCount);
    settings.WriteProfileInt(kModemSection, ValueName(line, "_nav"), connectFlag);
}

void WriteModemLineSettings(platform::Settings& settings, const QString& line, const ModemLineSettings& values)
{
    WriteModemLinePageSettings(settings, line, values.baud, values.retryCount, values.connectFlag);
    settings.WriteProfileInt(kModemSection, ValueName(line, "_pc"), int(values.totalKB));
    settings.WriteProfileInt(kModemSection, ValueName(line, "_dc"), int(values.totalSeconds));
}

ModemLineSource SystemModemLineSource()
{
    return [] {
        std::vector<ModemLineInfo> lines;
        std::vector<CSerialPortInfo> ports;
        try {
            EnumerateSerialPorts(ports, false);
        } catch (const QString&) {
            return lines;
        }
        for (const CSerialPortInfo& port : ports) {
            const QString described = port.friendlyName + QLatin1Char(' ') + port.description;
            if (!described.contains(QLatin1String("modem"), Qt::CaseInsensitive))
                continue;
            ModemLineInfo line;
            line.name = !port.friendlyName.isEmpty()
                ? port.friendlyName
                : port.description + QStringLiteral(" (") + port.portName + QLatin1Char(')');
            line.devicePath = port.devicePath.isEmpty() ? port.portName : port.devicePath;
            lines.push_back(line);
        }
        return lines;
    };
}

void EnumerateModemLines(CPortList& ports, bool refresh, std::vector<std::unique_ptr<CModemPort>>& owned,
                         const ModemServices& services, const platform::Settings& settings,
                         const ModemLineSource& source)
{
    for (const ModemLineInfo& line : source()) {
        CPortEntry listed;
        if (refresh && ports.Find(line.name, listed))
            continue;
        const ModemLineSettings values = ReadModemLineSettings(settings, line.name);
        auto modem = std::make_unique<CModemPort>(line.name, line.devicePath, values, services);
        CPortEntry entry;
        entry.name = line.name;
        entry.baud = values.baud;
        entry.kind = kPortKindModem;
        entry.description = platform::LoadString(platform::IDS_PORT_MODEM);
        entry.modem = modem.get();
        ports.AddModemLine(entry);
        owned.push_back(std::move(modem));
    }
}

void SaveModemSettings(const CPortList& ports, platform::Settings& settings)
{
    for (const CPortEntry& entry : ports.Entries()) {
        auto* modem = dynamic_cast<CModemPort*>(entry.modem);
        if (entry.kind != kPortKindModem || !modem)
            continue;
        ModemLineSettings values;
        {
            std::lock_guard lock(modem->StateLock());
            values = modem->CurrentSettings();
        }
        settings.WriteProfileInt(kModemSection, ValueName(entry.name, "_pc"), int(values.totalKB));
        settings.WriteProfileInt(kModemSection, ValueName(entry.name, "_dc"), int(values.totalSeconds));
    }
}
