#pragma once

// Named ids of the program's texts. The ids come from the table
// (res/strings.inc) through a header the build writes anew only when an id
// changes (cmake/Qorin.cmake), so editing a text rebuilds the string table
// alone; the table's check that every id has its text stays in
// StringTable.cpp.
namespace platform {

#include "platform/StringIdList.inc"

} // namespace platform
