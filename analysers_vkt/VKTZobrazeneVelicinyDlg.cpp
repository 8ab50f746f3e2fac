#include "analysers_vkt/VKTZobrazeneVelicinyDlg.h"

#include "analysers_vk/VKRangeBox.h"
#include "analysers_vkt/ONVKT.h"
#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTQuantityGrid.h"
#include "archive/store/ArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "model/ScaleCategories.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace analysers_vkt {

namespace {

constexpr int kVKTType = 4;
constexpr int kPowerFactorRow = 2;

// The graph's power-factor axis stops short of -1.
std::vector<analysers_vk::VKRangeRow> DialogRangeRows()
{
    std::vector<analysers_vk::VKRangeRow> rows = VKTRangeRows();
    rows[kPowerFactorRow].low = -0.99;
    return rows;
}

// The graph's data object, whose scale categories the dialog edits; the
// graph hands it only to its own kind.
struct GraphData : analysers_vk::CVKFamilyGrafAktual {
    static CArchivData* Of(const analysers_vk::CVKFamilyGrafAktual& graph) { return (graph.*(&GraphData::Data))(); }
};

} // namespace

CVKTZobrazeneVelicinyDlg::CVKTZobrazeneVelicinyDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Zobrazené veličiny"));
    auto* layout = new QVBoxLayout(this);
    m_grid = new CVKTQuantityGrid(this);
    layout->addWidget(m_grid);
    m_spinac = new QCheckBox(QStringLiteral("Zobrazení vstupů a přetížení"), this);
    m_odbDod = new QCheckBox(QStringLiteral("Zobrazení výkonů import/export"), this);
    layout->addWidget(m_spinac);
    layout->addWidget(m_odbDod);
    m_offLine = CVKTQuantityGrid::AddOffLineChoice(this, layout);
    m_ranges =
        new analysers_vk::CVKRangeBox(QStringLiteral("Rozsahy zobrazovaných veličiny (graf):"), DialogRangeRows(), this);
    layout->addWidget(m_ranges);
    m_ranges->Show(CScaleCategories(kVKTType));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole);
    QPushButton* defaults = buttons->addButton(QStringLiteral("Výchozí"), QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CVKTZobrazeneVelicinyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, &CVKTZobrazeneVelicinyDlg::LoadDefaults);
    layout->addWidget(buttons);
}

bool CVKTZobrazeneVelicinyDlg::LoadFromGraph(const CVKTGrafAktual& graph)
{
    if (!graph.HasSource())
        return false;
    // Every quantity, the temperature too: a VKT always measures it.
    for (int i = 0; i < kCount; ++i) {
        int shown = 0;
        std::uint32_t colour = m_grid->Colour(i);
        graph.GetQuantity(i, shown, colour);
        m_grid->SetShown(i, shown != 0);
        m_grid->SetColour(i, colour);
    }
    m_grid->UpdateHeaders();
    m_odbDod->setChecked(graph.IsOdbDod() != 0);
    m_spinac->setChecked(graph.IsSpinac() != 0);
    m_offLine->setCurrentIndex(std::clamp(graph.OffLineZob(), 0, 2));
    CScaleCategories categories = GraphData::Of(graph)->ScaleCategories();
    if (categories.GetCount() == 0)
        categories = CScaleCategories(kVKTType);
    m_ranges->Show(categories);
    return true;
}

void CVKTZobrazeneVelicinyDlg::StoreToGraph(CVKTGrafAktual& graph) const
{
    graph.SetOdbDod(m_odbDod->isChecked() ? 1 : 0);
    graph.SetSpinac(m_spinac->isChecked() ? 1 : 0);
    graph.SetOffLineZob(m_offLine->currentIndex());
    CScaleCategories categories(kVKTType);
    m_ranges->Take(categories);
    if (CArchivData* data = GraphData::Of(graph)) {
        data->ScaleCategories() = categories;
        // The live series take their ranges from the new set.
        if (auto* family = dynamic_cast<CVKTArchivData*>(data))
            family->MarkSeriesScalesChanged();
    }
    for (int i = 0; i < kCount; ++i)
        graph.SetQuantity(i, m_grid->Shown(i) ? 1 : 0, m_grid->Colour(i));
}

void CVKTZobrazeneVelicinyDlg::LoadDefaults()
{
    platform::Settings settings;
    const platform::SettingsSection section("Obecne nastaveni vkt");
    m_odbDod->setChecked(settings.GetProfileInt(section, QStringLiteral("isOdbDod"), 0) != 0);
    m_spinac->setChecked(settings.GetProfileInt(section, QStringLiteral("isSpinac"), 0) != 0);
    m_offLine->setCurrentIndex(std::clamp(settings.GetProfileInt(section, QStringLiteral("offLineZob"), 0), 0, 2));
    m_grid->LoadFamilyDefaults(settings);
    CScaleCategories categories(kVKTType);
    categories.LoadFromSettings(kVKTType, settings);
    m_ranges->Show(categories);
}

void CVKTZobrazeneVelicinyDlg::accept()
{
    if (!m_ranges->Accepts())
        return;
    if (m_grid->AnyShown())
        return QDialog::accept();
    ui::ErrorBox(this, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."), ui::MsgButtons::Ok,
                 ui::MsgIcon::Error);
    m_grid->SetShown(0, true);
    m_grid->UpdateHeaders();
    m_grid->Box(0)->setFocus();
}

} // namespace analysers_vkt
