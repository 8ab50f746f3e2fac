#include "controllers/settings/SettingsFile.h"

#include "model/DuskarConfig.h"
#include "model/Iden.h"
#include "platform/Archive.h"

#include <QFile>
#include <QSaveFile>

namespace controllers {

namespace {

QString FileError(const QString& path, const QString& what)
{
    return QStringLiteral("Soubor nastavení \"%1\" nelze načíst: %2").arg(path, what);
}

// The other family's file, a record of an unknown version or a cut file all
// end in an archive error; the user gets one Czech sentence for each.
QString LoadErrorText(const platform::ArchiveError& e)
{
    switch (e.cause()) {
    case platform::ArchiveError::BadClass:
        return QStringLiteral("soubor nepatří tomuto typu přístroje nebo je neznámé verze.");
    case platform::ArchiveError::BadSchema:
        return QStringLiteral("soubor je neznámé verze.");
    case platform::ArchiveError::EndOfFile:
    case platform::ArchiveError::BadIndex:
        return QStringLiteral("soubor je poškozen.");
    case platform::ArchiveError::Generic:
        break;
    }
    return e.Text();
}

bool ReadFile(const QString& path, QByteArray& bytes, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = FileError(path, QStringLiteral("soubor nelze otevřít."));
        return false;
    }
    bytes = file.readAll();
    return true;
}

} // namespace

QByteArray QorinSettingsBytes(const CConfig& config)
{
    platform::SerialArchive ar;
    CConfig copy(config);
    copy.Serialize(ar);
    return ar.buffer();
}

QByteArray DuskarSettingsBytes(const CDuskarConfig& config, const CIden& iden)
{
    platform::SerialArchive ar;
    CDuskarConfig copy(config);
    CIden idenCopy(iden);
    copy.Serialize(ar);
    idenCopy.Serialize(ar);
    return ar.buffer();
}

bool ParseQorinSettings(const QByteArray& bytes, CConfig& config, QString& error)
{
    CConfig loaded;
    try {
        platform::SerialArchive ar(bytes);
        loaded.Serialize(ar);
    } catch (const platform::ArchiveError& e) {
        error = LoadErrorText(e);
        return false;
    }
    config = loaded;
    return true;
}

bool ParseDuskarSettings(const QByteArray& bytes, CDuskarConfig& config, CIden& iden, QString& error)
{
    CDuskarConfig loaded;
    CIden loadedIden;
    try {
        platform::SerialArchive ar(bytes);
        loaded.Serialize(ar);
        loadedIden.Serialize(ar);
    } catch (const platform::ArchiveError& e) {
        error = LoadErrorText(e);
        return false;
    }
    config = loaded;
    iden = loadedIden;
    return true;
}

bool LoadQorinSettingsFile(const QString& path, CConfig& config, QString& error)
{
    QByteArray bytes;
    if (!ReadFile(path, bytes, error))
        return false;
    QString why;
    if (!ParseQorinSettings(bytes, config, why)) {
        error = FileError(path, why);
        return false;
    }
    return true;
}

bool LoadDuskarSettingsFile(const QString& path, CDuskarConfig& config, CIden& iden, QString& error)
{
    QByteArray bytes;
    if (!ReadFile(path, bytes, error))
        return false;
    QString why;
    if (!ParseDuskarSettings(bytes, config, iden, why)) {
        error = FileError(path, why);
        return false;
    }
    return true;
}

bool SaveSettingsFile(const QString& path, const QByteArray& bytes, QString& error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("Soubor nastavení \"%1\" nelze uložit: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace controllers
