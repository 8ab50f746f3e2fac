#include "analysers_vk/VKSettingsFile.h"

#include "platform/Archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace analysers_vk {

namespace {

QString FileError(const QString& path, const QString& what)
{
    return QStringLiteral("Soubor nastavení \"%1\" nelze načíst: %2").arg(path, what);
}

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

bool TrySave(const QString& path, const QByteArray& bytes, QString& why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        why = file.errorString();
        return false;
    }
    return true;
}

} // namespace

QByteArray VKSettingsBytes(const CVKSettings& settings)
{
    CVKSettings copy(settings);
    platform::SerialArchive ar;
    copy.config.Serialize(ar);
    copy.status.Serialize(ar);
    copy.outputs.Serialize(ar);
    copy.notebook.Serialize(ar);
    copy.iden.Serialize(ar);
    ar << copy.modem;
    return ar.buffer();
}

bool ParseVKSettings(const QByteArray& bytes, CVKSettings& settings, QString& error)
{
    CVKSettings loaded;
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

bool LoadVKSettingsFile(const QString& path, CVKSettings& settings, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = FileError(path, QStringLiteral("soubor nelze otevřít."));
        return false;
    }
    QString why;
    if (!ParseVKSettings(file.readAll(), settings, why)) {
        error = FileError(path, why);
        return false;
    }
    return true;
}

bool SaveVKSettingsFile(const QString& path, const QByteArray& bytes, const QString& folder, QString& error)
{
    QString why;
    if (TrySave(path, bytes, why))
        return true;
    if (!folder.isEmpty() && !QFileInfo(QFileInfo(path).path()).exists() && QDir().mkdir(folder)
        && TrySave(path, bytes, why))
        return true;
    error = QStringLiteral("Soubor nastavení \"%1\" nelze uložit: %2").arg(path, why);
    return false;
}

} // namespace analysers_vk
