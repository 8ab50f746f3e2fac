#include "analysers_vk/VKR01Doc.h"

#include "analysers_vk/VKRDetail.h"

namespace analysers_vk {

QString CVKR01Doc::DocString()
{
    return QStringLiteral("\nVKR\nVKR\n\n\nVKR01.Document\nVKR Document");
}

CVKR01Doc::~CVKR01Doc() = default;

void CVKR01Doc::OnInstrumentSettings(QWidget* parent)
{
    if (CPristroj* entry = GetPristroj())
        OpenVKRSettings(parent, *entry, m_dialog);
}

} // namespace analysers_vk
