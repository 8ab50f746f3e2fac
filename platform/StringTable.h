#pragma once

#include "platform/StringIds.h"

#include <QString>

#include <vector>

namespace platform {

// The text of a string id (see StringIds.h); empty for an unknown id.
QString LoadString(int id);

// Every id of the table, ascending.
std::vector<int> AllStringIds();

} // namespace platform
