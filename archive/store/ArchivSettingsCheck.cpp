#include "archive/store/ArchivSettingsCheck.h"

#include "archive/store/ArchivHeader.h"
#include "platform/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>

namespace archive {

namespace {

QString Refused(const QString& instrument, const QString& entry, const QString& value, const QString& allowed)
{
    return QString::fromUtf8("Přístroj %1: nastavení \"%2\" má neplatnou hodnotu %3 (povoleno %4).")
        .arg(instrument, entry, value, allowed);
}

const char kStaysInactive[] = " Přístroj zůstává neaktivní.";

// Control characters would garble the message itself.
QString Printable(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QChar(0xFFFD);
    }
    return text;
}

QString Span(int low, int high)
{
    return QString::fromUtf8("%1 až %2").arg(low).arg(high);
}

} // namespace

QString InvalidValue(const QString& instrument, const char* entry, int value, int low, int high)
{
    return Refused(instrument, QString::fromLatin1(entry), QString::number(value), Span(low, high));
}

QString OutOfRange(const QString& instrument, const char* entry, int value, int low, int high)
{
    return InvalidValue(instrument, entry, value, low, high) + QString::fromUtf8(kStaysInactive);
}

QString UnreadableValue(const QString& instrument, const QString& entry, const QString& text, int low, int high)
{
    constexpr int kShown = 40; // of a damaged file's bytes, enough to tell them
    QString shown = Printable(text.left(kShown));
    if (text.size() > kShown)
        shown += QChar(0x2026);
    return Refused(instrument, entry, QString::fromUtf8("„%1“").arg(shown),
                   low <= high ? Span(low, high) : QString::fromUtf8("celé číslo"))
           + QString::fromUtf8(kStaysInactive)
           + QString::fromUtf8(" V souboru nastavení zůstává hodnota, jak je, dokud nastavení přístroje nezměníte.");
}

QString CheckRecordingSettings(const RecordingSettings& s)
{
    if (s.measuringInterval < kMinMeasuringInterval || s.measuringInterval > kMaxMeasuringInterval)
        return OutOfRange(s.instrument, "intervalMereni", s.measuringInterval, kMinMeasuringInterval,
                          kMaxMeasuringInterval);
    if (s.recordsPerBlock < kMinRecordsPerBlock || s.recordsPerBlock > kMaxRecordsPerBlock)
        return OutOfRange(s.instrument, "intervalZapisovani", s.recordsPerBlock, kMinRecordsPerBlock,
                          kMaxRecordsPerBlock);
    if (s.overwritePeriod < kMinOverwritePeriod || s.overwritePeriod > kMaxOverwritePeriod)
        return OutOfRange(s.instrument, "intervalPrepisovani", s.overwritePeriod, kMinOverwritePeriod,
                          kMaxOverwritePeriod);
    return s.recordToFile ? CheckArchiveFolder(s.instrument, s.archivePath) : QString();
}

bool IsPlainFileName(const QString& name)
{
    const bool control =
        std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
    return !control && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
           && !name.contains(QStringLiteral("..")) && !name.contains(QLatin1Char(':'));
}

QString CheckInstrumentName(const QString& instrument)
{
    if (!instrument.trimmed().isEmpty() && IsPlainFileName(instrument))
        return QString();
    return QString::fromUtf8("Přístroj %1: název přístroje nesmí být prázdný ani obsahovat znaky „/“, „\\“, "
                             "„:“, „..“ či řídicí znaky, protože z něj vzniká název souboru archivu. "
                             "Přístroj zůstává neaktivní.")
        .arg(Printable(instrument));
}

QString CheckArchivePathLength(const QString& instrument, const QString& archivePath)
{
    const int pathLimit = kHeaderNameSize - 1 - kArchiveNameSuffix;
    constexpr int kFileNameLimit = 255 - kArchiveNameSuffix;
    const QString fileName = QFileInfo(archivePath).fileName();
    if (platform::ToCp1250(archivePath).size() <= pathLimit && QFile::encodeName(fileName).size() <= kFileNameLimit)
        return QString();
    return QString::fromUtf8("Přístroj %1: cesta k souboru archivu \"%2\" je příliš dlouhá (nejvýše %3 znaků, "
                             "název souboru nejvýše %4). Přístroj zůstává neaktivní.")
        .arg(instrument, QDir::toNativeSeparators(archivePath))
        .arg(pathLimit)
        .arg(kFileNameLimit);
}

QString DescribeUnusableArchive(const QString& path)
{
    const QFileInfo file(path);
    if (file.isSymLink() && !file.exists())
        return QString::fromUtf8("na místě souboru je odkaz na neexistující soubor");
    if (file.exists() && !file.isFile())
        return QString::fromUtf8("na místě souboru je složka, roura nebo zařízení, ne obyčejný soubor");
    if (file.exists() && !file.isWritable())
        return QString::fromUtf8("do souboru nelze zapisovat");
    if (!file.exists() && !QFileInfo(file.absolutePath()).isWritable())
        return QString::fromUtf8("ve složce nelze vytvořit soubor");
    if (file.exists())
        return QString::fromUtf8("soubor nelze otevřít (možná jej používá jiný program)");
    return QString::fromUtf8("soubor nelze vytvořit");
}

QString CannotRecordNotice(const QString& instrument, const QString& path, bool declined)
{
    return QString::fromUtf8("Přístroj %1: do archivu \"%2\" nelze zaznamenávat: %3. "
                             "Přístroj dál měří, ale nezaznamenává.")
        .arg(instrument, QDir::toNativeSeparators(path),
             declined ? QString::fromUtf8("soubor již existuje a nebyl přepsán") : DescribeUnusableArchive(path));
}

QString CheckArchiveFolder(const QString& instrument, const QString& archivePath)
{
    const QString folder = QFileInfo(archivePath).absolutePath();
    if (archivePath.isEmpty() || !QFileInfo(folder).isDir())
        return QString::fromUtf8("Přístroj %1: složka archivu \"%2\" neexistuje. Přístroj zůstává neaktivní.")
            .arg(instrument, QDir::toNativeSeparators(folder));
    // Permission bits do not tell (a read-only mount, another owner): a file
    // is tried.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".zapis-XXXXXX")));
    if (!probe.open())
        return QString::fromUtf8("Přístroj %1: do složky archivu \"%2\" nelze zapisovat. Přístroj zůstává neaktivní.")
            .arg(instrument, QDir::toNativeSeparators(folder));
    return QString();
}

} // namespace archive
