#pragma once
// Archive files for the screens tool, written through the program's own
// archive store on a clock of our own, so that pictures show real records.
#include "platform/Time32.h"

#include <QString>

class QWidget;

namespace screens {

// Writes a VK archive `folder/baseName.extension` of `intervals` one-minute
// measurements from `start` on (one settings record first), named after
// `instrument`. Returns the file's path; empty when the store refused.
QString WriteVKArchive(const QString& folder, const QString& baseName, const QString& extension,
                       const QString& instrument, platform::CTime start, int intervals);

// Puts an archive window into `mode` (0 graph, 1 list, 2 statistics) by its
// range bar's tab, as the user does: the bar's caption and buttons follow.
void PickArchiveMode(QWidget* view, int mode);

} // namespace screens
