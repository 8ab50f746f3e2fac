#pragma once

#include "link/Pristroj.h"
#include "platform/Settings.h"

#include <functional>
#include <memory>
#include <vector>

// The instrument keys under "pristroje": one key per instrument, named after
// it, read into the application's instrument list at start-up and written
// back at exit and whenever an instrument changes.
class CDeviceRegistry {
public:
    using InstrumentList = std::vector<std::unique_ptr<CPristroj>>;
    using Pause = std::function<void(int ms)>;

    // The pause before each key is read at start-up.
    static constexpr int kReadPauseMs = 500;

    // Appends an entry per instrument key, in the list's order as SaveOrder
    // kept it (keys without a place after those with one), pausing
    // before each; returns the number of keys read, which becomes the
    // instrument counter. A key that cannot be read ends the enumeration;
    // the instruments already read stay.
    // The entries work in `env`. With `starting`, the instruments are about
    // to start: one that would record into an earlier one's archive file
    // stays inactive with a notice. Without it nothing starts, so nothing is
    // refused.
    static int LoadInstruments(const platform::Settings& settings, InstrumentList& list, const Pause& pause,
                               const std::shared_ptr<CLinkEnvironment>& env = nullptr, bool starting = true);

    // Writes every value of the instrument's key; "intervalBexor" is the
    // meter-archive interval of a VKT analyser and 0 for any other type.
    static void SaveDeviceSettings(platform::Settings& settings, const CPristroj& entry);
    // The same for callers outside the start-up and exit: sections are named
    // in full, so there is no profile path to set around the write.
    static void SaveDeviceSettingsUnderKey(platform::Settings& settings, const CPristroj& entry)
    {
        SaveDeviceSettings(settings, entry);
    }
    // Keeps each instrument's place in the list ("poradi") in its key, so the
    // next start lists them as the user left them, not by name.
    static void SaveOrder(platform::Settings& settings, const InstrumentList& list);
    static bool SaveBexorInterval(platform::Settings& settings, const CPristroj& entry, int value);
    // The key of the instrument renamed from `from` becomes the key `to`,
    // with every value and sub-key the old one held; the old one is gone.
    static bool RenameKey(platform::Settings& settings, const QString& from, const QString& to);

    // Position of the instrument `name` in the list; for an empty or unknown
    // name the position of `defaultName` (the general value
    // "pristrojProTQRS"), and 0 when that names none either.
    static int DeviceIndex(const InstrumentList& list, const QString& name, const QString& defaultName);

    static platform::SettingsSection Key(const QString& name);
};
