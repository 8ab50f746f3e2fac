#include "analysers_vkt/VKTSettingsFile.h"

#include "analysers_vk/VKSettingsFile.h"

namespace analysers_vkt {

QByteArray VKTSettingsBytes(const CVKTSettings& settings)
{
    return analysers_vk::SettingsFileBytes(settings);
}

bool ParseVKTSettings(const QByteArray& bytes, CVKTSettings& settings, QString& error)
{
    // Starts from the records in force: what the file leaves unread keeps its value.
    return analysers_vk::ParseSettingsFile(bytes, settings, settings, error);
}

bool LoadVKTSettingsFile(const QString& path, CVKTSettings& settings, QString& error)
{
    return analysers_vk::LoadSettingsFile(
        path, [&settings](const QByteArray& bytes, QString& why) { return ParseVKTSettings(bytes, settings, why); },
        error);
}

bool SaveVKTSettingsFile(const QString& path, const CVKTSettings& settings, const QString& folder, QString& error)
{
    // The temporary-file-and-rename writer of the VK files serves as it is.
    return analysers_vk::SaveVKSettingsFile(path, VKTSettingsBytes(settings), folder, error);
}

} // namespace analysers_vkt
