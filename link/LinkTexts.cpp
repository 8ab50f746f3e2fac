#include "link/LinkTexts.h"

#include "platform/StringTable.h"

namespace link_text {

QString ErrorText(int id)
{
    if (id == kNone)
        return QString();
    return platform::LoadString(id);
}

} // namespace link_text
