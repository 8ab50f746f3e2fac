#pragma once
// Archive files for the screens tool, written through the program's own
// archive store on a clock of our own, so that pictures show real records.
#include "platform/Time32.h"

#include <QString>

namespace screens {

// Writes a VK archive `folder/baseName.extension` of `intervals` one-minute
// measurements from `start` on (one settings record first), named after
// `instrument`. Returns the file's path; empty when the store refused.
QString WriteVKArchive(const QString& folder, const QString& baseName, const QString& extension,
                       const QString& instrument, platform::CTime start, int intervals);

} // namespace screens
