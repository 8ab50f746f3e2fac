#include "analysers_vk/ONVKR.h"

#include "platform/Settings.h"
#include "platform/ui/HtmlHelp.h"

#include <QVBoxLayout>

namespace analysers_vk {

namespace {

const CONVK::Family kVKRFamily{"VKR,VKN", "Obecne nastaveni vkr", false};

} // namespace

CONVKR::CONVKR(QWidget* parent) : CONVK(kVKRFamily, parent)
{
    ui::SetHelpId(this, 208);
    m_lines = new CVKRLineGrid(*Grid(), this);
    // Below the grid of the phase quantities, above the other choices.
    PageLayout()->insertWidget(1, m_lines);
}

void CONVKR::LoadExtra(platform::Settings& settings, const platform::SettingsSection& section)
{
    m_lines->Load(settings, section);
}

void CONVKR::SaveExtra(platform::Settings& settings, const platform::SettingsSection& section)
{
    m_lines->Save(settings, section);
}

bool CONVKR::AnyExtraShown() const
{
    return m_lines->AnyShown();
}

} // namespace analysers_vk
