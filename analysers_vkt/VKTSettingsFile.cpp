#include "analysers_vkt/VKTSettingsFile.h"

#include "analysers_vk/VKSettingsFile.h"
#include "platform/Archive.h"

#include <QFile>

namespace analysers_vkt {

namespace {

QString LoadErrorText(const platform::ArchiveError& e)
{
    switch (e.cause()) {
    case platform::ArchiveError::BadClass:
    case platform::ArchiveError::BadSchema:
        return QStringLiteral("soubor nepatří tomuto typu přístroje nebo je neznámé verze.");
    case platform::ArchiveError::EndOfFile:
        return QStringLiteral("soubor je zkrácen.");
    case platform::ArchiveError::BadIndex:
        return QStringLiteral("soubor je poškozen.");
    case platform::ArchiveError::Generic:
        break;
    }
    return e.Text();
}

} // namespace

QByteArray VKTSettingsBytes(const CVKTSettings& settings)
{
    CVKTSettings copy(settings);
    platform::SerialArchive ar;
    copy.config.Serialize(ar);
    copy.status.Serialize(ar);
    copy.outputs.Serialize(ar);
    copy.notebook.Serialize(ar);
    copy.iden.Serialize(ar);
    ar << copy.modem;
    return ar.buffer();
}

bool ParseVKTSettings(const QByteArray& bytes, CVKTSettings& settings, QString& error)
{
    CVKTSettings loaded(settings);
    try {
        platform::SerialArchive ar(bytes);
        loaded.config.Serialize(ar);
        loaded.status.Serialize(ar);
        loaded.outputs.Serialize(ar);
        loaded.notebook.Serialize(ar);
        loaded.iden.Serialize(ar);
        ar >> loaded.modem;
    } catch (const platform::ArchiveError& e) {
        error = LoadErrorText(e);
        return false;
    }
    settings = loaded;
    return true;
}

bool LoadVKTSettingsFile(const QString& path, CVKTSettings& settings, QString& error)
{
    QFile file(path);
    QString why;
    if (!file.open(QIODevice::ReadOnly))
        why = QStringLiteral("soubor nelze otevřít.");
    else if (ParseVKTSettings(file.readAll(), settings, why))
        return true;
    error = QStringLiteral("Soubor nastavení \"%1\" nelze načíst: %2").arg(path, why);
    return false;
}

bool SaveVKTSettingsFile(const QString& path, const CVKTSettings& settings, const QString& folder, QString& error)
{
    // The temporary-file-and-rename writer of the VK files serves as it is.
    return analysers_vk::SaveVKSettingsFile(path, VKTSettingsBytes(settings), folder, error);
}

} // namespace analysers_vkt
