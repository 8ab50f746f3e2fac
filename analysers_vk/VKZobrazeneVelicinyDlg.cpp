#include "analysers_vk/VKZobrazeneVelicinyDlg.h"

#include "analysers_vk/VKGrafAktual.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace analysers_vk {

namespace {

constexpr int kI4 = 6;
constexpr int kTemperature = 11;

QColor ToColor(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

std::uint32_t FromColor(const QColor& c)
{
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}

} // namespace

CVKZobrazeneVelicinyDlg::CVKZobrazeneVelicinyDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Zobrazené veličiny"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    int cell = 0;
    for (int i = 0; i < kCount; ++i) {
        m_colours[i] = CVKGrafAktual::QuantityAt(i).colour;
        if (i == kI4)
            continue;
        m_boxes[i] = new QCheckBox(QString::fromLatin1(CVKGrafAktual::QuantityAt(i).name), this);
        m_swatches[i] = new QPushButton(this);
        m_swatches[i]->setFixedSize(18, 14);
        connect(m_swatches[i], &QPushButton::clicked, this, [this, i] { PickColour(i); });
        const int row = cell / 4, column = (cell % 4) * 2;
        grid->addWidget(m_swatches[i], row, column);
        grid->addWidget(m_boxes[i], row, column + 1);
        SetColour(i, m_colours[i]);
        ++cell;
    }
    m_spinac = new QCheckBox(QStringLiteral("Zobrazit relé"), this);
    m_odbDod = new QCheckBox(QStringLiteral("Zobrazení výkonů import/export"), this);
    layout->addWidget(m_spinac);
    layout->addWidget(m_odbDod);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole);
    QPushButton* defaults = buttons->addButton(QStringLiteral("Výchozí"), QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CVKZobrazeneVelicinyDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(defaults, &QPushButton::clicked, this, &CVKZobrazeneVelicinyDlg::LoadDefaults);
    layout->addWidget(buttons);
}

void CVKZobrazeneVelicinyDlg::SetColour(int index, std::uint32_t colour)
{
    m_colours[index] = colour;
    if (QPushButton* swatch = m_swatches[index])
        swatch->setStyleSheet(QStringLiteral("background-color: %1; border: 2px solid black;")
                                  .arg(ToColor(colour).name()));
}

void CVKZobrazeneVelicinyDlg::PickColour(int index)
{
    const QColor chosen = QColorDialog::getColor(ToColor(m_colours[index]), this);
    if (chosen.isValid())
        SetColour(index, FromColor(chosen));
}

void CVKZobrazeneVelicinyDlg::ApplyTemperatureRule()
{
    m_boxes[kTemperature]->setEnabled(m_temperature);
    m_swatches[kTemperature]->setEnabled(m_temperature);
    if (!m_temperature)
        m_boxes[kTemperature]->setChecked(false);
}

bool CVKZobrazeneVelicinyDlg::LoadFromGraph(const CVKGrafAktual& graph)
{
    if (!graph.HasSource())
        return false;
    m_temperature = graph.HasVariantFlag();
    for (int i = 0; i < kCount; ++i) {
        if (i == kI4)
            continue;
        int shown = 0;
        std::uint32_t colour = m_colours[i];
        graph.GetQuantity(i, shown, colour);
        m_boxes[i]->setChecked(shown != 0);
        SetColour(i, colour);
    }
    m_odbDod->setChecked(graph.IsOdbDod() != 0);
    m_spinac->setChecked(graph.IsSpinac() != 0);
    ApplyTemperatureRule();
    return true;
}

void CVKZobrazeneVelicinyDlg::StoreToGraph(CVKGrafAktual& graph) const
{
    graph.SetOdbDod(m_odbDod->isChecked() ? 1 : 0);
    graph.SetSpinac(m_spinac->isChecked() ? 1 : 0);
    for (int i = 0; i < kCount; ++i) {
        if (i == kI4)
            continue;
        const bool shown = m_boxes[i]->isChecked() && (i != kTemperature || m_temperature);
        graph.SetQuantity(i, shown ? 1 : 0, m_colours[i]);
    }
}

void CVKZobrazeneVelicinyDlg::LoadDefaults()
{
    platform::Settings settings;
    const platform::SettingsSection section("Obecne nastaveni vk");
    m_odbDod->setChecked(settings.GetProfileInt(section, QStringLiteral("isOdbDod"), 0) != 0);
    m_spinac->setChecked(settings.GetProfileInt(section, QStringLiteral("isSpinac"), 0) != 0);
    for (int i = 0; i < kCount; ++i) {
        if (i == kI4)
            continue;
        const QString name = QString::fromLatin1(CVKGrafAktual::QuantityAt(i).name);
        m_boxes[i]->setChecked(settings.GetProfileInt(section, QStringLiteral("is") + name, i < 6 ? 1 : 0) != 0);
        SetColour(i, static_cast<std::uint32_t>(settings.GetProfileInt(
                         section, QStringLiteral("barva ") + name,
                         static_cast<int>(CVKGrafAktual::QuantityAt(i).colour))));
    }
    ApplyTemperatureRule();
}

void CVKZobrazeneVelicinyDlg::accept()
{
    for (int i = 0; i < kCount; ++i)
        if (m_boxes[i] && m_boxes[i]->isChecked() && m_boxes[i]->isEnabled())
            return QDialog::accept();
    ui::ErrorBox(this, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."), ui::MsgButtons::Ok,
                 ui::MsgIcon::Error);
    m_boxes[0]->setChecked(true);
    m_boxes[0]->setFocus();
}

} // namespace analysers_vk
