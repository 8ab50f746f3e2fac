#include "analysers_vk/ONVK.h"

#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKQuantityGrid.h"
#include "platform/Settings.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace analysers_vk {

namespace {

constexpr int kVKType = 2;

const CONVK::Family kVKFamily{"PJW,PJX", "Obecne nastaveni vk", true};

} // namespace

std::shared_ptr<CVKSharedRanges> CVKSharedRanges::Acquire()
{
    static std::weak_ptr<CVKSharedRanges> alive;
    std::shared_ptr<CVKSharedRanges> ranges = alive.lock();
    if (!ranges) {
        ranges = std::make_shared<CVKSharedRanges>();
        alive = ranges;
    }
    return ranges;
}

CONVK::CONVK(QWidget* parent) : CONVK(kVKFamily, parent) {}

CONVK::~CONVK() = default;

CONVK::CONVK(const Family& family, QWidget* parent)
    : CGeneralSettingsFamilyPage(QString::fromUtf8(family.title), parent), m_family(family),
      m_ranges(CVKSharedRanges::Acquire())
{
    ui::SetHelpId(this, 197);
    m_panes = new CVKPaneChoice(this);
    m_rangeBox = new CVKRangeBox(QStringLiteral("Výchozí rozsahy grafu :"), VKRangeRows(), this);
    m_layout = LayOutFamilyPage(this, m_panes, m_rangeBox);
    m_grid = new CVKQuantityGrid(this);
    m_layout->addWidget(m_grid);
    m_odbDod = new QCheckBox(QStringLiteral("Zobrazení výkonů import/export"), this);
    m_spinac = new QCheckBox(QStringLiteral("Zobrazit stav výstupů"), this);
    m_layout->addWidget(m_odbDod);
    m_layout->addWidget(m_spinac);
    m_layout->addStretch(1);
}

void CONVK::Load(platform::Settings& settings)
{
    const platform::SettingsSection kSection(m_family.section);
    m_panes->Load(settings, kSection);
    m_odbDod->setChecked(settings.GetProfileInt(kSection, QStringLiteral("isOdbDod"), 0) != 0);
    if (m_family.storesSpinac)
        m_spinac->setChecked(settings.GetProfileInt(kSection, QStringLiteral("isSpinac"), 0) != 0);
    for (int i = 0; i < CVKQuantityGrid::kCount; ++i) {
        if (i == CVKQuantityGrid::kI4)
            continue;
        const QString name = QString::fromLatin1(CVKGrafAktual::QuantityAt(i).name);
        m_grid->SetShown(i, settings.GetProfileInt(kSection, QStringLiteral("is") + name, i < 6 ? 1 : 0) != 0);
        m_grid->SetColour(i, static_cast<std::uint32_t>(settings.GetProfileInt(
                                 kSection, QStringLiteral("barva ") + name,
                                 static_cast<int>(CVKGrafAktual::QuantityAt(i).colour))));
    }
    LoadExtra(settings, kSection);
    // The pages of one sheet load one after the other from the same
    // settings, before anything is edited.
    m_ranges->categories.LoadFromSettings(kVKType, settings);
    m_ranges->loaded = true;
    ShowRanges();
}

void CONVK::ShowRanges()
{
    m_rangeBox->Show(m_ranges->categories);
    m_shownRanges = m_rangeBox->Texts();
}

bool CONVK::TakeRanges()
{
    if (!CheckRanges().isEmpty())
        return false;
    m_rangeBox->Take(m_ranges->categories);
    m_shownRanges = m_rangeBox->Texts();
    return true;
}

bool CONVK::OnSetActive()
{
    // The sheet asks the page being left for its edits before it activates
    // this one, so the shared set now holds them; what this page last gave
    // back is in the set too, as it could not be left with ranges that fail.
    if (m_ranges->loaded)
        ShowRanges();
    return CGeneralSettingsFamilyPage::OnSetActive();
}

void CONVK::Save(platform::Settings& settings)
{
    const platform::SettingsSection kSection(m_family.section);
    m_panes->Save(settings, kSection);
    settings.WriteProfileInt(kSection, QStringLiteral("isOdbDod"), m_odbDod->isChecked() ? 1 : 0);
    if (m_family.storesSpinac)
        settings.WriteProfileInt(kSection, QStringLiteral("isSpinac"), m_spinac->isChecked() ? 1 : 0);
    for (int i = 0; i < CVKQuantityGrid::kCount; ++i) {
        if (i == CVKQuantityGrid::kI4)
            continue;
        const QString name = QString::fromLatin1(CVKGrafAktual::QuantityAt(i).name);
        settings.WriteProfileInt(kSection, QStringLiteral("is") + name, m_grid->Shown(i) ? 1 : 0);
        settings.WriteProfileInt(kSection, QStringLiteral("barva ") + name, static_cast<int>(m_grid->Colour(i)));
    }
    SaveExtra(settings, kSection);
    // Only what was changed on this page goes into the shared set: a page
    // left as it was shown does not overwrite the other page's edits.
    if (m_rangeBox->Texts() != m_shownRanges)
        TakeRanges();
    m_ranges->categories.SaveToSettings(kVKType, settings);
}

bool CONVK::OnKillActive()
{
    return m_rangeBox->Accepts() && TakeRanges();
}

void CONVK::OnOK()
{
    if (m_grid->AnyShown() || AnyExtraShown())
        return;
    ui::ErrorBox(this, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."), ui::MsgButtons::Ok,
                 ui::MsgIcon::Error);
    m_grid->SetShown(0, true);
}

} // namespace analysers_vk
