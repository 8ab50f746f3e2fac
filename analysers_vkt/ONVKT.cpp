#include "analysers_vkt/ONVKT.h"

#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTQuantityGrid.h"
#include "model/ScaleCategories.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QVBoxLayout>

#include <algorithm>

namespace analysers_vkt {

namespace {

constexpr int kVKTType = 4;

const platform::SettingsSection kSection("Obecne nastaveni vkt");

} // namespace

std::vector<analysers_vk::VKRangeRow> VKTRangeRows()
{
    std::vector<analysers_vk::VKRangeRow> rows = analysers_vk::VKRangeRows();
    rows.push_back({"u2", "%", "u2", 0, 2});
    return rows;
}

CONVKT::CONVKT(QWidget* parent) : CGeneralSettingsFamilyPage(QStringLiteral("VKT"), parent)
{
    m_panes = new analysers_vk::CVKPaneChoice(this);
    m_rangeBox = new analysers_vk::CVKRangeBox(QStringLiteral("Rozsahy zobrazovaných veličin (graf):"), VKTRangeRows(), this);
    QVBoxLayout* layout = analysers_vk::LayOutFamilyPage(this, m_panes, m_rangeBox);
    m_grid = new CVKTQuantityGrid(this);
    layout->addWidget(m_grid);
    m_odbDod = new QCheckBox(QStringLiteral("Zobrazení výkonů import/export"), this);
    m_spinac = new QCheckBox(QStringLiteral("Zobrazit log. vstup a přetížení"), this);
    layout->addWidget(m_odbDod);
    layout->addWidget(m_spinac);
    m_offLine = CVKTQuantityGrid::AddOffLineChoice(this, layout);
    layout->addStretch(1);
}

void CONVKT::Load(platform::Settings& settings)
{
    m_panes->Load(settings, kSection);
    m_odbDod->setChecked(settings.GetProfileInt(kSection, QStringLiteral("isOdbDod"), 0) != 0);
    m_spinac->setChecked(settings.GetProfileInt(kSection, QStringLiteral("isSpinac"), 0) != 0);
    m_offLine->setCurrentIndex(std::clamp(settings.GetProfileInt(kSection, QStringLiteral("offLineZob"), 0), 0, 2));
    m_grid->LoadFamilyDefaults(settings);
    CScaleCategories categories(kVKTType);
    categories.LoadFromSettings(kVKTType, settings);
    m_rangeBox->Show(categories);
}

void CONVKT::Save(platform::Settings& settings)
{
    m_panes->Save(settings, kSection);
    settings.WriteProfileInt(kSection, QStringLiteral("isOdbDod"), m_odbDod->isChecked() ? 1 : 0);
    settings.WriteProfileInt(kSection, QStringLiteral("isSpinac"), m_spinac->isChecked() ? 1 : 0);
    settings.WriteProfileInt(kSection, QStringLiteral("offLineZob"), m_offLine->currentIndex());
    m_grid->SaveFamilyDefaults(settings);
    CScaleCategories categories(kVKTType);
    m_rangeBox->Take(categories);
    categories.SaveToSettings(kVKTType, settings);
}

QString CONVKT::CheckRanges() const
{
    return m_rangeBox->Check();
}

bool CONVKT::OnKillActive()
{
    return m_rangeBox->Accepts();
}

void CONVKT::OnOK()
{
    if (m_grid->AnyShown())
        return;
    ui::ErrorBox(this, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."), ui::MsgButtons::Ok,
                 ui::MsgIcon::Error);
    m_grid->SetShown(0, true);
    m_grid->UpdateHeaders();
}

} // namespace analysers_vkt
