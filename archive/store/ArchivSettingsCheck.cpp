#include "archive/store/ArchivSettingsCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace archive {

namespace {

QString OutOfRange(const QString& instrument, const char* entry, int value, int low, int high)
{
    return QString::fromUtf8("Přístroj %1: nastavení \"%2\" má neplatnou hodnotu %3 (povoleno %4 až %5). "
                             "Přístroj zůstává neaktivní.")
        .arg(instrument, QString::fromLatin1(entry))
        .arg(value)
        .arg(low)
        .arg(high);
}

} // namespace

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
