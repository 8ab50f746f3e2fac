#include "analysers_vk/VKRZobrazeneVelicinyDlg.h"

#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKRLineGrid.h"
#include "analysers_vk/VKRangeBox.h"
#include "platform/ui/HtmlHelp.h"

#include <QCheckBox>

namespace analysers_vk {

CVKRZobrazeneVelicinyDlg::CVKRZobrazeneVelicinyDlg(QWidget* parent) : CVKZobrazeneVelicinyDlg(parent)
{
    ui::SetHelpId(this, 209);
    Relays()->setText(QStringLiteral("Zobrazit stav výstupů"));
    Ranges()->setTitle(QStringLiteral("Rozsahy grafu :"));
    m_lines = new CVKRLineGrid(*Grid(), this);
    InsertExtra(m_lines);
}

bool CVKRZobrazeneVelicinyDlg::TemperatureAvailable(const CVKFamilyGrafAktual&) const
{
    return true;
}

void CVKRZobrazeneVelicinyDlg::LoadExtra(const CVKFamilyGrafAktual& graph)
{
    for (int k = 0; k < CVKRLineGrid::kLineCount; ++k) {
        int shown = 0;
        std::uint32_t colour = m_lines->Colour(k);
        if (graph.GetQuantity(CVKRGrafAktual::kFirstLine + k, shown, colour)) {
            m_lines->SetShown(k, shown != 0);
            m_lines->SetColour(k, colour);
        }
    }
}

void CVKRZobrazeneVelicinyDlg::StoreExtra(CVKFamilyGrafAktual& graph) const
{
    for (int k = 0; k < CVKRLineGrid::kLineCount; ++k)
        graph.SetQuantity(CVKRGrafAktual::kFirstLine + k, m_lines->Shown(k) ? 1 : 0, m_lines->Colour(k));
}

void CVKRZobrazeneVelicinyDlg::LoadExtraDefaults(const platform::Settings& settings,
                                                 const platform::SettingsSection& section)
{
    m_lines->Load(settings, section);
}

bool CVKRZobrazeneVelicinyDlg::AnyExtraShown() const
{
    return m_lines->AnyShown();
}

} // namespace analysers_vk
