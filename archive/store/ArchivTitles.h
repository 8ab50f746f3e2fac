#pragma once

#include <QString>

// Titles derived from an archive's path. A period file is named
// base + "_Y" + yy + "D" + mmdd + "H" + hh + extension.
namespace archive {

// The path up to and including its last separator.
QString DirectoryOf(const QString& path);
// The period file's base; otherwise the name before the extension, or an
// empty string when the name does not contain the extension.
QString BaseTitleOf(const QString& path, const QString& extension);
// The period file's base and date, "Linka (10.3.2024)"; otherwise as
// BaseTitleOf.
QString PeriodTitleOf(const QString& path, const QString& extension);

} // namespace archive
