#include "shell/DeviceRegistry.h"

#include <algorithm>
#include <exception>

platform::SettingsSection CDeviceRegistry::Key(const QString& name)
{
    return platform::SettingsSection{QStringLiteral("pristroje"), name};
}

int CDeviceRegistry::LoadInstruments(const platform::Settings& settings, InstrumentList& list, const Pause& pause,
                                     const std::shared_ptr<CLinkEnvironment>& env)
{
    int read = 0;
    for (const QString& name : settings.SubSections(platform::SettingsSection(QStringLiteral("pristroje")))) {
        if (pause)
            pause(kReadPauseMs);
        try {
            auto entry = std::make_unique<CPristroj>(env);
            entry->LoadSettings(settings, name);
            for (const auto& earlier : list) {
                if (entry->KeepInactiveIfArchiveOf(*earlier))
                    break;
            }
            list.push_back(std::move(entry));
            ++read;
        } catch (const std::exception&) {
            break;
        }
    }
    return read;
}

void CDeviceRegistry::SaveDeviceSettings(platform::Settings& settings, const CPristroj& entry)
{
    entry.SaveSettings(settings);
}

bool CDeviceRegistry::SaveBexorInterval(platform::Settings& settings, const CPristroj& entry, int value)
{
    return settings.WriteProfileInt(Key(entry.m_nazev), QStringLiteral("intervalBexor"), value);
}

int CDeviceRegistry::DeviceIndex(const InstrumentList& list, const QString& name, const QString& defaultName)
{
    auto find = [&list](const QString& wanted) {
        const auto it =
            std::find_if(list.begin(), list.end(), [&wanted](const auto& entry) { return entry->m_nazev == wanted; });
        return it == list.end() ? -1 : int(it - list.begin());
    };
    int index = name.isEmpty() ? -1 : find(name);
    if (index < 0)
        index = defaultName.isEmpty() ? -1 : find(defaultName);
    return std::max(index, 0);
}
