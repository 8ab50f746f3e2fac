#pragma once

#include <QString>

// The settings an instrument records with, checked where they are read: a
// value that cannot run (a measuring interval of 0 would spin its thread, a
// folder that is missing or read-only takes every block) gives a Czech
// message that names the instrument and the value; the instrument must then
// stay inactive while the others start.
namespace archive {

inline constexpr int kMinMeasuringInterval = 1;       // "intervalMereni", seconds
inline constexpr int kMaxMeasuringInterval = 3600;
inline constexpr int kMinRecordsPerBlock = 1;         // "intervalZapisovani", measurements
inline constexpr int kMaxRecordsPerBlock = 1440;
inline constexpr int kMinOverwritePeriod = 0;         // "intervalPrepisovani", seconds
inline constexpr int kMaxOverwritePeriod = 10 * 366 * 86400;

struct RecordingSettings {
    QString instrument;
    int measuringInterval = 0;
    int recordsPerBlock = 0;
    int overwritePeriod = 0;
    QString archivePath; // without the family's extension
    bool recordToFile = false;
};

// Empty when the instrument can run with these settings.
QString CheckRecordingSettings(const RecordingSettings& settings);

// The folder of `archivePath` exists and takes new files; else the message.
QString CheckArchiveFolder(const QString& instrument, const QString& archivePath);

} // namespace archive
