#include "link/LinkTexts.h"

#include "platform/StringTable.h"

namespace link_text {

QString ErrorText(int id)
{
    if (id == kNone)
        return QString();
    if (id == kUnknownError)
        return QStringLiteral("Blíže neidentifikovaná chyba.");
    return platform::LoadString(id);
}

} // namespace link_text
