#include "analysers_vk/VKRLineGrid.h"

#include "analysers_vk/VKQuantityGrid.h"
#include "analysers_vk/VKRGrafAktual.h"
#include "charts/GraphPainter.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
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

static QCheckBox* LineHeader(const QString& text, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setTristate(true);
    box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

CVKRLineGrid::CVKRLineGrid(CVKQuantityGrid& phases, QWidget* parent)
    : QGroupBox(parent), m_phases(phases)
{
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(1);
    const char* const columns[kLineCount] = {"12", "23", "31"};
    const char* const rows[2] = {"UL-L", "THDU"};
    for (int r = 0; r < 2; ++r) {
        m_rowHeaders[std::size_t(r)] = LineHeader(QString::fromLatin1(rows[r]), this);
        grid->addWidget(m_rowHeaders[std::size_t(r)], r + 1, 0, Qt::AlignRight);
    }
    phases.TakeOutLineVoltages();
    for (int i = 0; i < kLineCount; ++i) {
        m_columnHeaders[std::size_t(i)] = LineHeader(QString::fromLatin1(columns[i]), this);
        grid->addWidget(m_columnHeaders[std::size_t(i)], 0, i + 1, Qt::AlignLeft);
        const int voltage = CVKQuantityGrid::kLineVoltages[std::size_t(i)];
        auto* upper = new QHBoxLayout;
        upper->setSpacing(3);
        upper->addWidget(phases.Box(voltage));
        upper->addWidget(phases.Swatch(voltage));
        upper->addStretch(1);
        grid->addLayout(upper, 1, i + 1);
        m_boxes[std::size_t(i)] = new QCheckBox(this);
        m_boxes[std::size_t(i)]->setAccessibleName(QString::fromLatin1(Name(i)));
        m_swatches[std::size_t(i)] = new QPushButton(this);
        m_swatches[std::size_t(i)]->setFixedSize(18, 14);
        auto* lower = new QHBoxLayout;
        lower->setSpacing(3);
        lower->addWidget(m_boxes[std::size_t(i)]);
        lower->addWidget(m_swatches[std::size_t(i)]);
        lower->addStretch(1);
        grid->addLayout(lower, 2, i + 1);
        connect(m_swatches[std::size_t(i)], &QPushButton::clicked, this, [this, i] {
            const QColor chosen = QColorDialog::getColor(ColorFromRef(Colour(i)), this);
            if (chosen.isValid())
                SetColour(i, FromColor(chosen));
        });
        SetColour(i, DefaultColour(i));
        for (QCheckBox* box : {phases.Box(voltage), m_boxes[std::size_t(i)]})
            connect(box, &QCheckBox::toggled, this, &CVKRLineGrid::UpdateHeaders);
        // A click on a clear header chooses its boxes, on any other clears them.
        connect(m_columnHeaders[std::size_t(i)], &QCheckBox::clicked, this, [this, i] {
            const bool on = m_columnHeaders[std::size_t(i)]->property("headerState").toInt() == 0;
            SetFlag(0, i, on);
            SetFlag(1, i, on);
            UpdateHeaders();
        });
    }
    for (int r = 0; r < 2; ++r)
        connect(m_rowHeaders[std::size_t(r)], &QCheckBox::clicked, this, [this, r] {
            const bool on = m_rowHeaders[std::size_t(r)]->property("headerState").toInt() == 0;
            for (int i = 0; i < kLineCount; ++i)
                SetFlag(r, i, on);
            UpdateHeaders();
        });
    grid->setColumnStretch(kLineCount + 1, 1);
    UpdateHeaders();
}

bool CVKRLineGrid::Flag(int row, int column) const
{
    return row == 0 ? m_phases.Shown(CVKQuantityGrid::kLineVoltages[std::size_t(column)]) : Shown(column);
}

void CVKRLineGrid::SetFlag(int row, int column, bool on)
{
    if (row == 0)
        m_phases.Box(CVKQuantityGrid::kLineVoltages[std::size_t(column)])->setChecked(on);
    else
        m_boxes[std::size_t(column)]->setChecked(on);
}

void CVKRLineGrid::UpdateHeaders()
{
    auto set = [](QCheckBox* header, int state) {
        header->setCheckState(state == 1 ? Qt::Checked : state == 0 ? Qt::Unchecked : Qt::PartiallyChecked);
        header->setProperty("headerState", state);
    };
    for (int r = 0; r < 2; ++r) {
        bool flags[kLineCount];
        for (int i = 0; i < kLineCount; ++i)
            flags[i] = Flag(r, i);
        set(m_rowHeaders[std::size_t(r)], HeaderState(flags, kLineCount));
    }
    for (int i = 0; i < kLineCount; ++i) {
        const bool flags[2] = {Flag(0, i), Flag(1, i)};
        set(m_columnHeaders[std::size_t(i)], HeaderState(flags, 2));
    }
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
