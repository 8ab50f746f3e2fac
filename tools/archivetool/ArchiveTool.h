#pragma once
// The archive tool's commands, callable in-process (the tests do):
//
//   archivetool info FILE                     family, instrument, slots, blocks, time range
//   archivetool csv FILE OUT [--from T] [--to T]
//                                             the value list's CSV export of the window
//   archivetool records FILE                  one line per record: time, type, length, summary
//
// Times T are local, "YYYY-MM-DD HH:MM[:SS]" or with a "T" between. Exit
// status 0 on success, 1 for a bad command line, 2 for a file that cannot
// be read as an archive (or a block of it that is damaged).
#include "archive/store/ArchivRecord.h"

#include <QStringList>
#include <QTextStream>

namespace archivetool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitBadFile = 2;

// `args` without the program name.
int Run(const QStringList& args, QTextStream& out, QTextStream& err);

// Every record of the archive at `path` (its family by the file's ending),
// block after block in time order, and the instrument it names. False with
// a Czech `error` when the file is no archive or a block is damaged (the
// records before it are kept).
bool ReadArchiveRecords(const QString& path, CArchivRecordList& records, QString& instrument, QString& error);

} // namespace archivetool
