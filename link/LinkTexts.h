#pragma once

#include "platform/StringIds.h"

#include <QString>

// The link keeps its last error as a string-table id.
namespace link_text {

// No error text (a link just opened).
inline constexpr int kNone = 0;
// The text of a link that has not yet been opened.
inline constexpr int kUnknownError = platform::IDS_ERR_UNSPECIFIED;

// Text of an error id, empty for kNone.
QString ErrorText(int id);

} // namespace link_text
