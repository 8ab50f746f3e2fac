#include "platform/ui/EntryName.h"

#include <vector>

namespace ui {

namespace {

std::vector<CEntryName*>& Names()
{
    static std::vector<CEntryName*> names;
    return names;
}

} // namespace

CEntryName::CEntryName()
{
    Names().push_back(this);
}

CEntryName::~CEntryName()
{
    std::erase(Names(), this);
}

void CEntryName::Rename(const QString& from, const QString& to)
{
    if (from.isEmpty() || from == to)
        return;
    for (CEntryName* name : Names()) {
        if (name->m_name != from)
            continue;
        name->m_name = to;
        if (name->m_renamed)
            name->m_renamed(to);
    }
}

} // namespace ui
