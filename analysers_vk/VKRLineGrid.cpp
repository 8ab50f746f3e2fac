#include "analysers_vk/VKRLineGrid.h"

#include "analysers_vk/VKRGrafAktual.h"
#include "charts/GraphPainter.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include <algorithm>

namespace analysers_vk {

namespace {

std::uint32_t FromColor(const QColor& c)
{
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}

int Index(int line)
{
    return CVKRGrafAktual::kFirstLine + std::clamp(line, 0, CVKRLineGrid::kLineCount - 1);
}

} // namespace

const char* CVKRLineGrid::Name(int line)
{
    return CVKRGrafAktual::QuantityAt(Index(line)).name;
}

std::uint32_t CVKRLineGrid::DefaultColour(int line)
{
    return CVKRGrafAktual::QuantityAt(Index(line)).colour;
}

CVKRLineGrid::CVKRLineGrid(QWidget* parent) : QGroupBox(QStringLiteral("THDU L-L"), parent)
{
    auto* row = new QHBoxLayout(this);
    for (int i = 0; i < kLineCount; ++i) {
        m_boxes[std::size_t(i)] = new QCheckBox(QString::fromLatin1(Name(i)), this);
        m_swatches[std::size_t(i)] = new QPushButton(this);
        m_swatches[std::size_t(i)]->setFixedSize(24, 16);
        row->addWidget(m_boxes[std::size_t(i)]);
        row->addWidget(m_swatches[std::size_t(i)]);
        connect(m_swatches[std::size_t(i)], &QPushButton::clicked, this, [this, i] {
            const QColor chosen = QColorDialog::getColor(ColorFromRef(Colour(i)), this);
            if (chosen.isValid())
                SetColour(i, FromColor(chosen));
        });
        SetColour(i, DefaultColour(i));
    }
    row->addStretch(1);
}

void CVKRLineGrid::SetColour(int line, std::uint32_t colour)
{
    m_colours[std::size_t(line)] = colour;
    m_swatches[std::size_t(line)]->setStyleSheet(
        QStringLiteral("background-color: %1;").arg(ColorFromRef(colour).name()));
}

bool CVKRLineGrid::Shown(int line) const
{
    return m_boxes[std::size_t(line)]->isChecked();
}

void CVKRLineGrid::SetShown(int line, bool shown)
{
    m_boxes[std::size_t(line)]->setChecked(shown);
}

bool CVKRLineGrid::AnyShown() const
{
    return std::any_of(m_boxes.begin(), m_boxes.end(), [](const QCheckBox* box) { return box->isChecked(); });
}

void CVKRLineGrid::Load(const platform::Settings& settings, const platform::SettingsSection& section)
{
    for (int i = 0; i < kLineCount; ++i) {
        const QString name = QString::fromLatin1(Name(i));
        SetShown(i, settings.GetProfileInt(section, QStringLiteral("is") + name, 0) != 0);
        SetColour(i, std::uint32_t(settings.GetProfileInt(section, QStringLiteral("barva ") + name,
                                                          int(DefaultColour(i)))));
    }
}

void CVKRLineGrid::Save(platform::Settings& settings, const platform::SettingsSection& section) const
{
    for (int i = 0; i < kLineCount; ++i) {
        const QString name = QString::fromLatin1(Name(i));
        settings.WriteProfileInt(section, QStringLiteral("is") + name, Shown(i) ? 1 : 0);
        settings.WriteProfileInt(section, QStringLiteral("barva ") + name, int(Colour(i)));
    }
}

} // namespace analysers_vk
