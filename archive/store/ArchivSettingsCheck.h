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

// What is wrong with a value `entry` of the instrument's settings outside
// low..high, said alike wherever such a value is refused.
QString InvalidValue(const QString& instrument, const char* entry, int value, int low, int high);
// The same for settings read at start: the instrument stays inactive.
QString OutOfRange(const QString& instrument, const char* entry, int value, int low, int high);

// The message for a value `entry` stored as `text` that reads as no number
// (low > high: any whole number would do). It tells that the file keeps
// the text until the user changes the instrument's settings.
QString UnreadableValue(const QString& instrument, const QString& entry, const QString& text, int low, int high);

// Empty when the instrument can run with these settings.
QString CheckRecordingSettings(const RecordingSettings& settings);

// True when `name` can be a file's name in a folder and stays there: no
// folder separator, no "..", no drive (a colon) and no control character.
bool IsPlainFileName(const QString& name);

// The instrument's name as read from the settings becomes its archive's file
// name: empty when it can be, else the message.
QString CheckInstrumentName(const QString& instrument);

// Room a recording adds to the archive path: the period suffix of the file
// name ("_Y24D0115H10") and the family's extension.
inline constexpr int kArchiveNameSuffix = 16;

// The archive path with its suffix fits the header's name (kHeaderNameSize
// bytes with the terminator) and the system's limit on one file name: empty
// when it does, else the message.
QString CheckArchivePathLength(const QString& instrument, const QString& archivePath);

// Why the archive file `path` (with its extension) can be neither opened nor
// created for recording, as far as the file system tells; a Czech phrase.
QString DescribeUnusableArchive(const QString& path);

// What the user is told when the instrument `instrument` measures on but its
// recording into `path` (with its extension) stopped, the reason included:
// `declined` when the user chose not to write over the existing file.
QString CannotRecordNotice(const QString& instrument, const QString& path, bool declined = false);

// The folder of `archivePath` exists and takes new files; else the message.
QString CheckArchiveFolder(const QString& instrument, const QString& archivePath);

} // namespace archive
