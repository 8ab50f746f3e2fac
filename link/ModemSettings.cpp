#include "link/ModemSettings.h"

#include "link/SerialPortInfo.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"

namespace {

QString ValueName(const QString& line, const char* suffix)
{
    return line + QLatin1String(suffix);
}

constexpr char kPortMarkSuffix[] = "_modem";

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

bool IsModemPort(const platform::Settings& settings, const QString& port, const QString& description)
{
    const int word = settings.GetProfileInt(kModemSection, ValueName(port, kPortMarkSuffix), -1);
    if (word >= 0)
        return word != 0;
    return (description + QLatin1Char(' ') + port).contains(QLatin1String("modem"), Qt::CaseInsensitive);
}

void MarkModemPort(platform::Settings& settings, const QString& port, bool modem)
{
    settings.WriteProfileInt(kModemSection, ValueName(port, kPortMarkSuffix), modem ? 1 : 0);
}

ModemLineInfo ModemLineOnPort(const QString& port, const QString& description)
{
    const QString described =
        description.isEmpty() || description == port ? platform::LoadString(platform::IDS_PORT_MODEM) : description;
    return {described + QStringLiteral(" (") + port + QLatin1Char(')'), port};
}

std::vector<ModemLineInfo> ModemLinesOf(const std::vector<CSerialPortInfo>& ports,
                                        const platform::Settings& settings)
{
    std::vector<ModemLineInfo> lines;
    QStringList listed;
    for (const CSerialPortInfo& port : ports) {
        listed << port.portName;
        if (!IsModemPort(settings, port.portName, port.description))
            continue;
        ModemLineInfo line = ModemLineOnPort(port.portName, port.description);
        if (!port.devicePath.isEmpty())
            line.devicePath = port.devicePath;
        lines.push_back(line);
    }
    // A device path is no port of the enumeration: only the user's word
    // makes it a modem.
    const QString suffix = QLatin1String(kPortMarkSuffix);
    for (const QString& value : settings.Entries(kModemSection)) {
        if (!value.endsWith(suffix))
            continue;
        const QString port = value.chopped(suffix.size());
        if (IsDevicePathName(port) && !listed.contains(port) && IsModemPort(settings, port, QString()))
            lines.push_back(ModemLineOnPort(port, QString()));
    }
    return lines;
}

ModemLineSource SystemModemLineSource()
{
    return [] {
        std::vector<CSerialPortInfo> ports;
        try {
            EnumerateSerialPorts(ports, false);
        } catch (const QString&) {
            ports.clear();
        }
        return ModemLinesOf(ports, platform::Settings());
    };
}

bool AddModemLine(CPortList& ports, std::vector<std::unique_ptr<CModemPort>>& owned, const ModemServices& services,
                  const platform::Settings& settings, const ModemLineInfo& line)
{
    if (ports.IsListed(line.name))
        return false;
    CModemPort* modem = nullptr;
    for (const auto& known : owned) {
        if (known->GetLineName() == line.name)
            modem = known.get();
    }
    const ModemLineSettings values = ReadModemLineSettings(settings, line.name);
    if (!modem) {
        owned.push_back(std::make_unique<CModemPort>(line.name, line.devicePath, values, services));
        modem = owned.back().get();
    }
    CPortEntry entry;
    entry.name = line.name;
    entry.baud = modem->GetBaud();
    entry.kind = kPortKindModem;
    entry.description = platform::LoadString(platform::IDS_PORT_MODEM);
    entry.modem = modem;
    ports.AddModemLine(entry);
    return true;
}

void EnumerateModemLines(CPortList& ports, [[maybe_unused]] bool refresh,
                         std::vector<std::unique_ptr<CModemPort>>& owned,
                         const ModemServices& services, const platform::Settings& settings,
                         const ModemLineSource& source)
{
    for (const ModemLineInfo& line : source())
        AddModemLine(ports, owned, services, settings, line);
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
