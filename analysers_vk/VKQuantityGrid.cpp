#include "analysers_vk/VKQuantityGrid.h"

#include "analysers_vk/VKGrafAktual.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QPushButton>

namespace analysers_vk {

namespace {

QColor ToColor(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

std::uint32_t FromColor(const QColor& c)
{
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}

} // namespace

CVKQuantityGrid::CVKQuantityGrid(QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
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
}

void CVKQuantityGrid::SetColour(int index, std::uint32_t colour)
{
    m_colours[index] = colour;
    if (QPushButton* swatch = m_swatches[index])
        swatch->setStyleSheet(
            QStringLiteral("background-color: %1; border: 2px solid %1;").arg(ToColor(colour).name()));
}

bool CVKQuantityGrid::Shown(int index) const
{
    return m_boxes[index] && m_boxes[index]->isChecked();
}

void CVKQuantityGrid::SetShown(int index, bool shown)
{
    if (m_boxes[index])
        m_boxes[index]->setChecked(shown);
}

bool CVKQuantityGrid::AnyShown() const
{
    for (int i = 0; i < kCount; ++i)
        if (Shown(i) && m_boxes[i]->isEnabled())
            return true;
    return false;
}

void CVKQuantityGrid::SetTemperatureAvailable(bool available)
{
    m_boxes[kTemperature]->setEnabled(available);
    m_swatches[kTemperature]->setEnabled(available);
    if (!available)
        m_boxes[kTemperature]->setChecked(false);
}

void CVKQuantityGrid::PickColour(int index)
{
    const QColor chosen = QColorDialog::getColor(ToColor(m_colours[index]), this);
    if (chosen.isValid())
        SetColour(index, FromColor(chosen));
}

} // namespace analysers_vk
