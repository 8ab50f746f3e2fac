#include "analysers_vk/VKSettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace analysers_vk {

namespace {

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

QString SettingsLoadErrorText(const platform::ArchiveError& e)
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

bool LoadSettingsFile(const QString& path, const std::function<bool(const QByteArray&, QString&)>& parse,
                      QString& error)
{
    QFile file(path);
    QString why;
    if (!file.open(QIODevice::ReadOnly))
        why = QStringLiteral("soubor nelze otevřít.");
    else if (parse(file.readAll(), why))
        return true;
    error = QStringLiteral("Soubor nastavení \"%1\" nelze načíst: %2").arg(path, why);
    return false;
}

QByteArray VKSettingsBytes(const CVKSettings& settings)
{
    return SettingsFileBytes(settings);
}

bool ParseVKSettings(const QByteArray& bytes, CVKSettings& settings, QString& error)
{
    return ParseSettingsFile(bytes, CVKSettings(), settings, error);
}

bool LoadVKSettingsFile(const QString& path, CVKSettings& settings, QString& error)
{
    return LoadSettingsFile(
        path, [&settings](const QByteArray& bytes, QString& why) { return ParseVKSettings(bytes, settings, why); },
        error);
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
