#pragma once

#include "analysers_vk/VKSettingsGroups.h"
#include "platform/Archive.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace analysers_vk {

// VK settings files (".vks"): one serialisation archive without a header of
// its own holding the configuration, the recording status, the outputs, the
// notebook, the identification and the modem text, in that order.
//
// Loading reads into temporaries and hands everything over only when the
// whole file was read; otherwise `error` holds a Czech text and the
// settings are untouched. Saving writes a temporary file beside the target
// and renames it, so a failed save leaves an existing file whole.
QByteArray VKSettingsBytes(const CVKSettings& settings);
bool ParseVKSettings(const QByteArray& bytes, CVKSettings& settings, QString& error);
bool LoadVKSettingsFile(const QString& path, CVKSettings& settings, QString& error);
// When the target's folder is missing and `folder` is given, that folder is
// created (one level) and the save tried once more.
bool SaveVKSettingsFile(const QString& path, const QByteArray& bytes, const QString& folder, QString& error);

// The VK and VKT files share their layout and their reading.
QString SettingsLoadErrorText(const platform::ArchiveError& e);
template <class Settings>
void SerializeSettingsFile(platform::SerialArchive& ar, Settings& settings)
{
    settings.config.Serialize(ar);
    settings.status.Serialize(ar);
    settings.outputs.Serialize(ar);
    settings.notebook.Serialize(ar);
    settings.iden.Serialize(ar);
    if (ar.IsStoring())
        ar << settings.modem;
    else
        ar >> settings.modem;
}
template <class Settings>
QByteArray SettingsFileBytes(Settings copy)
{
    platform::SerialArchive ar;
    SerializeSettingsFile(ar, copy);
    return ar.buffer();
}
// Reads `bytes` into `loaded` and hands it to `settings` only when all of them were read.
template <class Settings>
bool ParseSettingsFile(const QByteArray& bytes, Settings loaded, Settings& settings, QString& error)
{
    try {
        platform::SerialArchive ar(bytes);
        SerializeSettingsFile(ar, loaded);
    } catch (const platform::ArchiveError& e) {
        error = SettingsLoadErrorText(e);
        return false;
    }
    settings = loaded;
    return true;
}
// Reads the file at `path` with `parse`; `error` names the file when it fails.
bool LoadSettingsFile(const QString& path, const std::function<bool(const QByteArray&, QString&)>& parse,
                      QString& error);

} // namespace analysers_vk
