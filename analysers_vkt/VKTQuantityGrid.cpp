#include "analysers_vkt/VKTQuantityGrid.h"

#include "analysers_vk/VKQuantityGrid.h"
#include "analysers_vkt/VKTGrafAktual.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace analysers_vkt {

namespace {

// Rows in the order of the VK table, the fourth phase beside the other three.
const CVKTQuantityGrid::Row kGridRows[CVKTQuantityGrid::kRows] = {
    {"U", {0, 1, 2, 3}, CVKTQuantityGrid::kNoTotal},       {"I", {4, 5, 6, 7}, CVKTQuantityGrid::kNoTotal},
    {"PF", {8, 9, 10, 12}, 11},                             {"cos", {15, 16, 17, 18}, CVKTQuantityGrid::kNoTotal},
    {"THDU", {38, 39, 40, 41}, CVKTQuantityGrid::kNoTotal}, {"THDI", {42, 43, 44, 45}, CVKTQuantityGrid::kNoTotal},
    {"P", {23, 24, 25, 27}, 26},                            {"Q", {28, 29, 30, 32}, 31},
    {"S", {33, 34, 35, 37}, 36},
};

// Where the header columns stand: phases 1 to 3, the "3F" totals, then the
// fourth phase, which came to the VK table last.
constexpr int kHeaderColumns = 5;
constexpr const char* kColumnTitles[kHeaderColumns] = {"1", "2", "3", "4", "3F"};
constexpr int kLayoutColumn[kHeaderColumns] = {1, 2, 3, 5, 4};

struct Single {
    const char* label;
    int index;
};
const Single kSingles[] = {{"Frekvence:", 13}, {"Teplota:", 14}, {"U12:", 19},
                           {"U23:", 20},       {"U31:", 21},     {"Nesymetrie:", 22}};

QColor ToColor(std::uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

std::uint32_t FromColor(const QColor& c)
{
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}

Qt::CheckState ToCheck(int state)
{
    return state == 1 ? Qt::Checked : state == 0 ? Qt::Unchecked : Qt::PartiallyChecked;
}

} // namespace

const CVKTQuantityGrid::Row& CVKTQuantityGrid::RowAt(int row)
{
    return kGridRows[std::clamp(row, 0, kRows - 1)];
}

int CVKTQuantityGrid::RowState(const std::array<bool, 4>& phases, int mode)
{
    const bool all = phases[0] && phases[1] && phases[2] && phases[3];
    const bool none = !phases[0] && !phases[1] && !phases[2] && !phases[3];
    if (all && mode != 0)
        return 1;
    if (none && mode != 1)
        return 0;
    return 2;
}

CVKTQuantityGrid::CVKTQuantityGrid(QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    auto box = [this](int index) {
        m_colours[std::size_t(index)] = CVKTGrafAktual::QuantityAt(index).colour;
        auto* check = new QCheckBox(this);
        check->setAccessibleName(CVKTGrafAktual::NameAt(index));
        m_boxes[std::size_t(index)] = check;
        auto* swatch = new QPushButton(this);
        swatch->setFixedSize(18, 14);
        swatch->setAccessibleName(CVKTGrafAktual::NameAt(index));
        m_swatches[std::size_t(index)] = swatch;
        connect(swatch, &QPushButton::clicked, this, [this, index] { PickColour(index); });
        connect(check, &QCheckBox::clicked, this, &CVKTQuantityGrid::UpdateHeaders);
        SetColour(index, m_colours[std::size_t(index)]);
        auto* cell = new QWidget(this);
        auto* layout = new QHBoxLayout(cell);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(3);
        layout->addWidget(check);
        layout->addWidget(swatch);
        layout->addStretch(1);
        return cell;
    };
    for (int c = 0; c < kHeaderColumns; ++c) {
        m_columnHeaders[std::size_t(c)] = analysers_vk::CVKQuantityGrid::NewHeader(QString::fromLatin1(kColumnTitles[c]), this);
        grid->addWidget(m_columnHeaders[std::size_t(c)], 0, kLayoutColumn[c], Qt::AlignLeft | Qt::AlignAbsolute);
        connect(m_columnHeaders[std::size_t(c)], &QCheckBox::clicked, this, [this, c] { ClickColumn(c); });
    }
    for (int r = 0; r < kRows; ++r) {
        m_rowHeaders[std::size_t(r)] = analysers_vk::CVKQuantityGrid::NewHeader(QString::fromLatin1(kGridRows[r].title), this);
        grid->addWidget(m_rowHeaders[std::size_t(r)], r + 1, 0, Qt::AlignRight | Qt::AlignAbsolute);
        connect(m_rowHeaders[std::size_t(r)], &QCheckBox::clicked, this, [this, r] { ClickRow(r); });
        for (int p = 0; p < 4; ++p)
            grid->addWidget(box(kGridRows[r].phases[std::size_t(p)]), r + 1, kLayoutColumn[p]);
        if (kGridRows[r].total != kNoTotal)
            grid->addWidget(box(kGridRows[r].total), r + 1, kLayoutColumn[4]);
    }
    // The single quantities below the table, each under the row headers.
    int row = kRows + 1;
    for (const Single& single : kSingles) {
        grid->addWidget(new QLabel(QString::fromUtf8(single.label), this), row, 0, Qt::AlignRight);
        grid->addWidget(box(single.index), row++, 1);
    }
    grid->setColumnStretch(kHeaderColumns + 1, 1);
    UpdateHeaders();
}

void CVKTQuantityGrid::SetColour(int index, std::uint32_t colour)
{
    m_colours[std::size_t(index)] = colour;
    if (QPushButton* swatch = m_swatches[std::size_t(index)])
        swatch->setStyleSheet(
            QStringLiteral("background-color: %1; border: 2px solid %1;").arg(ToColor(colour).name()));
}

bool CVKTQuantityGrid::Shown(int index) const
{
    return index >= 0 && index < kCount && m_boxes[std::size_t(index)]->isChecked();
}

void CVKTQuantityGrid::SetShown(int index, bool shown)
{
    if (index >= 0 && index < kCount)
        m_boxes[std::size_t(index)]->setChecked(shown);
}

bool CVKTQuantityGrid::AnyShown() const
{
    for (int i = 0; i < kCount; ++i)
        if (Shown(i))
            return true;
    return false;
}

int CVKTQuantityGrid::ColumnState(int column) const
{
    int set = 0, count = 0;
    for (const Row& row : kGridRows) {
        const int index = column < 4 ? row.phases[std::size_t(column)] : row.total;
        if (index == kNoTotal)
            continue;
        ++count;
        set += Shown(index) ? 1 : 0;
    }
    return set == count ? 1 : set == 0 ? 0 : 2;
}

void CVKTQuantityGrid::UpdateHeaders()
{
    for (int r = 0; r < kRows; ++r) {
        const Row& row = kGridRows[r];
        const std::array<bool, 4> phases{Shown(row.phases[0]), Shown(row.phases[1]), Shown(row.phases[2]),
                                         Shown(row.phases[3])};
        const int mode = row.total == kNoTotal ? 2 : Shown(row.total) ? 1 : 0;
        const int state = RowState(phases, mode);
        m_rowHeaders[std::size_t(r)]->setCheckState(ToCheck(state));
        m_rowHeaders[std::size_t(r)]->setProperty("headerState", state);
    }
    for (int c = 0; c < 5; ++c) {
        const int state = ColumnState(c);
        m_columnHeaders[std::size_t(c)]->setCheckState(ToCheck(state));
        m_columnHeaders[std::size_t(c)]->setProperty("headerState", state);
    }
}

// A click on a clear header chooses all its quantities; on a chosen or a
// partly chosen one it clears them (the box's next state, indeterminate or
// clear, counts as clear). The state before the click decides: the box has
// already moved on by Qt's own cycle when the click arrives.
void CVKTQuantityGrid::ClickRow(int r)
{
    const Row& row = kGridRows[r];
    const bool on = m_rowHeaders[std::size_t(r)]->property("headerState").toInt() == 0;
    for (int index : row.phases)
        SetShown(index, on);
    if (row.total != kNoTotal)
        SetShown(row.total, on);
    UpdateHeaders();
}

void CVKTQuantityGrid::ClickColumn(int column)
{
    const bool on = m_columnHeaders[std::size_t(column)]->property("headerState").toInt() == 0;
    for (const Row& row : kGridRows) {
        const int index = column < 4 ? row.phases[std::size_t(column)] : row.total;
        if (index != kNoTotal)
            SetShown(index, on);
    }
    UpdateHeaders();
}

void CVKTQuantityGrid::LoadFamilyDefaults(const platform::Settings& settings)
{
    const platform::SettingsSection section("Obecne nastaveni vkt");
    constexpr int kShownByDefault = 8;
    for (int i = 0; i < kCount; ++i) {
        const QString name = CVKTGrafAktual::NameAt(i);
        SetShown(i, settings.GetProfileInt(section, QStringLiteral("is") + name, i < kShownByDefault ? 1 : 0) != 0);
        SetColour(i, static_cast<std::uint32_t>(settings.GetProfileInt(
                         section, QStringLiteral("barva ") + name, static_cast<int>(CVKTGrafAktual::QuantityAt(i).colour))));
    }
    UpdateHeaders();
}

void CVKTQuantityGrid::SaveFamilyDefaults(platform::Settings& settings) const
{
    const platform::SettingsSection section("Obecne nastaveni vkt");
    for (int i = 0; i < kCount; ++i) {
        const QString name = CVKTGrafAktual::NameAt(i);
        settings.WriteProfileInt(section, QStringLiteral("is") + name, Shown(i) ? 1 : 0);
        settings.WriteProfileInt(section, QStringLiteral("barva ") + name, static_cast<int>(Colour(i)));
    }
}

QComboBox* CVKTQuantityGrid::AddOffLineChoice(QWidget* owner, QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("U off-line záznamu zobrazovat:"), owner));
    auto* choice = new QComboBox(owner);
    choice->addItems({QStringLiteral("průměry"), QStringLiteral("maxima"), QStringLiteral("minima")});
    row->addWidget(choice);
    row->addStretch();
    layout->addLayout(row);
    return choice;
}

void CVKTQuantityGrid::PickColour(int index)
{
    const QColor chosen = QColorDialog::getColor(ToColor(m_colours[std::size_t(index)]), this);
    if (chosen.isValid())
        SetColour(index, FromColor(chosen));
}

} // namespace analysers_vkt
