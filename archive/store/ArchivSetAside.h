#pragma once

#include "archive/store/ArchivStorage.h"
#include "platform/Time32.h"

#include <QString>

namespace archive {

// How far ahead of the clock a block start may lie before a header counts as
// implausible: a clock set back a little must not cost a file, a time years
// ahead must not make the ring write after it.
inline constexpr std::int64_t kFutureSlotTolerance = 24 * 3600;

// What a file found where an instrument records holds.
enum class FoundArchive {
    Usable,     // a header that reads whole and fits the clock
    Unfinished, // its creation was cut short: no header and no blocks yet
    Damaged,    // it cannot be recorded into without losing what it holds
};

FoundArchive InspectArchive(Storage& storage, platform::CTime now);
// The file at `path`, looked at without changing a byte of it. `status`:
// NotFound without a file, Locked when another holder has it (the answer
// then means nothing), Failed when it is no compound file at all (Damaged).
FoundArchive InspectArchiveFile(const QString& path, platform::CTime now, StorageStatus* status);

// A name beside `path` that no other file has, saying the file is damaged
// and when it was set aside; it no longer ends like an archive, so no file
// search of the program picks it up again.
QString DamagedFileName(const QString& path, platform::CTime now);

} // namespace archive
