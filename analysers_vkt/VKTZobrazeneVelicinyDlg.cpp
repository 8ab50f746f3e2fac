#include "analysers_vkt/VKTZobrazeneVelicinyDlg.h"

#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTQuantityGrid.h"
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
    return true;
}

void CVKTZobrazeneVelicinyDlg::StoreToGraph(CVKTGrafAktual& graph) const
{
    graph.SetOdbDod(m_odbDod->isChecked() ? 1 : 0);
    graph.SetSpinac(m_spinac->isChecked() ? 1 : 0);
    graph.SetOffLineZob(m_offLine->currentIndex());
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
}

void CVKTZobrazeneVelicinyDlg::accept()
{
    if (m_grid->AnyShown())
        return QDialog::accept();
    ui::ErrorBox(this, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."), ui::MsgButtons::Ok,
                 ui::MsgIcon::Error);
    m_grid->SetShown(0, true);
    m_grid->UpdateHeaders();
    m_grid->Box(0)->setFocus();
}

} // namespace analysers_vkt
