#pragma once

#include "platform/StringIds.h"

#include <QString>

#include <vector>

namespace platform {

// The text of a string id (see StringIds.h); empty for an unknown id.
QString LoadString(int id);

// The status-bar prompt of command `id`: the first line of its prompt
// string (the second line is the button's tip); empty when the command has
// none.
QString CommandPrompt(int id);

// Every id of the table, ascending.
std::vector<int> AllStringIds();

} // namespace platform
