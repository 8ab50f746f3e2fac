#include "shell/DeviceRegistry.h"

#include <QHash>

#include <algorithm>
#include <climits>
#include <exception>
#include <utility>
#include <vector>

namespace {

const QString kOrderValue = QStringLiteral("poradi");

// The instrument keys in the user's order: the store lists them by name, so
// each key keeps its place in the list; keys without one (written before the
// places were kept) follow in the store's order.
QStringList KeysInListOrder(const platform::Settings& settings)
{
    std::vector<std::pair<int, QString>> keys;
    for (const QString& name : settings.SubSections(platform::SettingsSection(QStringLiteral("pristroje"))))
        keys.emplace_back(settings.GetProfileInt(CDeviceRegistry::Key(name), kOrderValue, INT_MAX), name);
    std::stable_sort(keys.begin(), keys.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList names;
    for (const auto& key : keys)
        names << key.second;
    return names;
}

} // namespace

platform::SettingsSection CDeviceRegistry::Key(const QString& name)
{
    return platform::SettingsSection{QStringLiteral("pristroje"), name};
}

int CDeviceRegistry::LoadInstruments(const platform::Settings& settings, InstrumentList& list, const Pause& pause,
                                     const std::shared_ptr<CLinkEnvironment>& env, bool starting)
{
    // Every value below is read from one reading of the file: a call of its
    // own reads a large file again each time, and a thousand instruments
    // then take hours instead of a moment.
    platform::SettingsBatch oneReading;
    // The first instrument recording into each archive file, however its
    // path is spelt: a later one there stays inactive.
    QHash<QString, const CPristroj*> recording;
    for (const auto& earlier : list)
        if (const QString target = starting ? earlier->ArchiveTarget() : QString();
            !target.isEmpty() && !recording.contains(target))
            recording.insert(target, earlier.get());
    int read = 0;
    for (const QString& name : KeysInListOrder(settings)) {
        if (pause)
            pause(kReadPauseMs);
        try {
            auto entry = std::make_unique<CPristroj>(env);
            entry->LoadSettings(settings, name);
            if (const QString target = starting ? entry->ArchiveTarget() : QString(); !target.isEmpty()) {
                if (const auto first = recording.constFind(target); first != recording.constEnd())
                    entry->KeepInactiveIfArchiveOf(**first);
                else
                    recording.insert(target, entry.get());
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

void CDeviceRegistry::SaveOrder(platform::Settings& settings, const InstrumentList& list)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        settings.WriteProfileInt(Key(list[i]->m_nazev), kOrderValue, int(i));
}

bool CDeviceRegistry::SaveBexorInterval(platform::Settings& settings, const CPristroj& entry, int value)
{
    return settings.WriteProfileInt(Key(entry.m_nazev), QStringLiteral("intervalBexor"), value);
}

bool CDeviceRegistry::RenameKey(platform::Settings& settings, const QString& from, const QString& to)
{
    return settings.MoveSection(Key(from), Key(to));
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
