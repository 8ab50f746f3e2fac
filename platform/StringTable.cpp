#include "platform/StringTable.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace platform {

namespace {

struct StringEntry {
    int id;
    const char* text; // UTF-8
};

constexpr StringEntry kStrings[] = {
#define QORIN_STRING(id, name, text) {id, text},
#include "res/strings.inc"
#undef QORIN_STRING
};

constexpr bool StrictlyAscending()
{
    for (std::size_t i = 1; i < std::size(kStrings); ++i) {
        if (kStrings[i - 1].id >= kStrings[i].id)
            return false;
    }
    return true;
}

// The names, in the order of kStrings: a command's prompt is told from the
// other texts that happen to share its id by its name.
constexpr std::string_view kNames[] = {
#define QORIN_STRING(id, name, text) #name,
#include "res/strings.inc"
#undef QORIN_STRING
};
static_assert(std::size(kNames) == std::size(kStrings));

// Lookup is a binary search; a duplicate id would make it ambiguous.
static_assert(StrictlyAscending(), "res/strings.inc must be sorted by id, each id once");

// The named ids come from the same table through the build; a stale copy
// of them would show here.
#define QORIN_STRING(id, name, text) static_assert(name == (id), "string id " #name " out of date");
#include "res/strings.inc"
#undef QORIN_STRING

const StringEntry* Find(int id)
{
    const auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                     [](const StringEntry& entry, int key) { return entry.id < key; });
    return it == std::end(kStrings) || it->id != id ? nullptr : it;
}

} // namespace

QString LoadString(int id)
{
    const StringEntry* entry = Find(id);
    return entry ? QString::fromUtf8(entry->text) : QString();
}

QString CommandPrompt(int id)
{
    const StringEntry* entry = Find(id);
    if (!entry || !kNames[std::size_t(entry - std::begin(kStrings))].starts_with("IDS_PROMPT_"))
        return QString();
    return QString::fromUtf8(entry->text).section(QLatin1Char('\n'), 0, 0);
}

std::vector<int> AllStringIds()
{
    std::vector<int> ids;
    ids.reserve(std::size(kStrings));
    for (const StringEntry& entry : kStrings)
        ids.push_back(entry.id);
    return ids;
}

} // namespace platform
