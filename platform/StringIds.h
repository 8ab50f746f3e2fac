#pragma once

// Named ids of the program's texts (the table is res/strings.inc).
namespace platform {

#define QORIN_STRING(id, name, text) inline constexpr int name = id;
#include "res/strings.inc"
#undef QORIN_STRING

} // namespace platform
