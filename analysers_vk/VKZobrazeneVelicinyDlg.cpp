#include "analysers_vk/VKZobrazeneVelicinyDlg.h"

#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKFamilyGrafAktual.h"
#include "analysers_vk/VKQuantityGrid.h"
#include "analysers_vk/VKRangeBox.h"
#include "archive/store/ArchivData.h"
#include "archive/store/VKFamilyArchivData.h"
#include "model/ScaleCategories.h"
#include "platform/Settings.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace analysers_vk {

namespace {

// The VK family's scale categories.
constexpr int kVKType = 2;
constexpr int kPowerFactorRow = 2;

// The graph's power-factor axis stops short of -1.
std::vector<VKRangeRow> DialogRangeRows()
{
    std::vector<VKRangeRow> rows = VKRangeRows();
    rows[kPowerFactorRow].low = -0.99;
    return rows;
}

// The graph's data object, whose scale categories the dialog edits; the
// graph hands it only to its own kind.
struct GraphData : CVKFamilyGrafAktual {
    static CArchivData* Of(const CVKFamilyGrafAktual& graph) { return (graph.*(&GraphData::Data))(); }
};

} // namespace

CVKZobrazeneVelicinyDlg::CVKZobrazeneVelicinyDlg(QWidget* parent) : QDialog(parent)
{
    ui::SetHelpId(this, 188);
    setWindowTitle(QStringLiteral("Zobrazené veličiny"));
    auto* layout = new QVBoxLayout(this);
    m_grid = new CVKQuantityGrid(this);
    layout->addWidget(m_grid);
    m_spinac = new QCheckBox(QStringLiteral("Zobrazit relé"), this);
    m_odbDod = new QCheckBox(QStringLiteral("Zobrazení výkonů import/export"), this);
    layout->addWidget(m_spinac);
    layout->addWidget(m_odbDod);
    m_ranges = new CVKRangeBox(QStringLiteral("Rozsahy zobrazovaných veličiny (graf):"), DialogRangeRows(), this);
    layout->addWidget(m_ranges);
    m_ranges->Show(CScaleCategories(kVKType));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole);
    QPushButton* defaults = buttons->addButton(QStringLiteral("Výchozí"), QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CVKZobrazeneVelicinyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, &CVKZobrazeneVelicinyDlg::LoadDefaults);
    layout->addWidget(buttons);
}

QCheckBox* CVKZobrazeneVelicinyDlg::Box(int index) const
{
    return m_grid->Box(index);
}

void CVKZobrazeneVelicinyDlg::SetColour(int index, std::uint32_t colour)
{
    m_grid->SetColour(index, colour);
}

void CVKZobrazeneVelicinyDlg::InsertExtra(QWidget* widget)
{
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, widget);
}

bool CVKZobrazeneVelicinyDlg::TemperatureAvailable(const CVKFamilyGrafAktual& graph) const
{
    return graph.TemperatureAvailable();
}

bool CVKZobrazeneVelicinyDlg::LoadFromGraph(const CVKFamilyGrafAktual& graph)
{
    if (!graph.HasSource())
        return false;
    m_temperature = TemperatureAvailable(graph);
    for (int i = 0; i < kCount; ++i) {
        if (i == CVKQuantityGrid::kI4)
            continue;
        int shown = 0;
        std::uint32_t colour = m_grid->Colour(i);
        graph.GetQuantity(i, shown, colour);
        m_grid->SetShown(i, shown != 0);
        m_grid->SetColour(i, colour);
    }
    m_odbDod->setChecked(graph.IsOdbDod() != 0);
    m_spinac->setChecked(graph.IsSpinac() != 0);
    m_grid->SetTemperatureAvailable(m_temperature);
    CScaleCategories categories = GraphData::Of(graph)->ScaleCategories();
    if (categories.GetCount() == 0)
        categories = CScaleCategories(kVKType);
    m_ranges->Show(categories);
    LoadExtra(graph);
    return true;
}

void CVKZobrazeneVelicinyDlg::StoreToGraph(CVKFamilyGrafAktual& graph) const
{
    graph.SetOdbDod(m_odbDod->isChecked() ? 1 : 0);
    graph.SetSpinac(m_spinac->isChecked() ? 1 : 0);
    for (int i = 0; i < kCount; ++i) {
        if (i == CVKQuantityGrid::kI4)
            continue;
        const bool shown = m_grid->Shown(i) && (i != CVKQuantityGrid::kTemperature || m_temperature);
        graph.SetQuantity(i, shown ? 1 : 0, m_grid->Colour(i));
    }
    CScaleCategories categories(kVKType);
    m_ranges->Take(categories);
    if (CArchivData* data = GraphData::Of(graph)) {
        data->ScaleCategories() = categories;
        // The live series take their ranges from the new set.
        if (auto* family = dynamic_cast<CVKFamilyArchivData*>(data))
            family->MarkSeriesScalesChanged();
    }
    StoreExtra(graph);
}

void CVKZobrazeneVelicinyDlg::LoadDefaults()
{
    platform::Settings settings;
    const platform::SettingsSection section(DefaultsSection());
    m_odbDod->setChecked(settings.GetProfileInt(section, QStringLiteral("isOdbDod"), 0) != 0);
    if (DefaultsHoldRelays())
        m_spinac->setChecked(settings.GetProfileInt(section, QStringLiteral("isSpinac"), 0) != 0);
    for (int i = 0; i < kCount; ++i) {
        if (i == CVKQuantityGrid::kI4)
            continue;
        const QString name = QString::fromLatin1(CVKGrafAktual::QuantityAt(i).name);
        m_grid->SetShown(i, settings.GetProfileInt(section, QStringLiteral("is") + name, i < 6 ? 1 : 0) != 0);
        m_grid->SetColour(i, static_cast<std::uint32_t>(settings.GetProfileInt(
                                 section, QStringLiteral("barva ") + name,
                                 static_cast<int>(CVKGrafAktual::QuantityAt(i).colour))));
    }
    m_grid->SetTemperatureAvailable(m_temperature);
    CScaleCategories categories(kVKType);
    categories.LoadFromSettings(kVKType, settings);
    m_ranges->Show(categories);
    LoadExtraDefaults(settings, section);
}

void CVKZobrazeneVelicinyDlg::accept()
{
    if (!m_ranges->Accepts())
        return;
    if (m_grid->AnyShown() || AnyExtraShown())
        return QDialog::accept();
    ui::ErrorBox(this, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."), ui::MsgButtons::Ok,
                 ui::MsgIcon::Error);
    m_grid->SetShown(0, true);
    m_grid->Box(0)->setFocus();
}

} // namespace analysers_vk
