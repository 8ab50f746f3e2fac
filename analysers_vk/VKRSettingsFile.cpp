#include "analysers_vk/VKRSettingsFile.h"

#include "analysers_vk/VKSettingsFile.h"
#include "platform/Archive.h"

#include <QFile>

namespace analysers_vk {

QByteArray VKRSettingsBytes(const CVKRSettings& settings)
{
    CVKRSettings copy(settings);
    platform::SerialArchive ar;
    copy.config.Serialize(ar);
    copy.iden.Serialize(ar);
    return ar.buffer();
}

bool ParseVKRSettings(const QByteArray& bytes, CVKRSettings& settings, QString& error)
{
    CVKRSettings loaded;
    try {
        platform::SerialArchive ar(bytes);
        loaded.config.Serialize(ar);
        loaded.iden.Serialize(ar);
    } catch (const platform::ArchiveError& e) {
        error = e.Text();
        return false;
    }
    settings = loaded;
    return true;
}

bool LoadVKRSettingsFile(const QString& path, CVKRSettings& settings, QString& error)
{
    QFile file(path);
    QString why;
    if (!file.open(QIODevice::ReadOnly))
        why = QStringLiteral("soubor nelze otevřít.");
    else if (ParseVKRSettings(file.readAll(), settings, why))
        return true;
    error = QStringLiteral("Soubor nastavení \"%1\" nelze načíst: %2").arg(path, why);
    return false;
}

bool SaveVKRSettingsFile(const QString& path, const CVKRSettings& settings, const QString& folder, QString& error)
{
    return SaveVKSettingsFile(path, VKRSettingsBytes(settings), folder, error);
}

} // namespace analysers_vk
