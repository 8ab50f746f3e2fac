#pragma once

#include "platform/StringIds.h"

#include <QString>

// The link keeps its last error as a string-table id.
namespace link_text {

// No error text (a link just opened).
inline constexpr int kNone = 0;
// "Blíže neidentifikovaná chyba.": the text of a link that has not yet been
// opened. It has no entry in the program's table, so the link keeps it here.
inline constexpr int kUnknownError = -1;

// Text of an error id, empty for kNone.
QString ErrorText(int id);

} // namespace link_text
