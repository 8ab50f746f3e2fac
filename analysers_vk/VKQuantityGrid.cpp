#include "analysers_vk/VKQuantityGrid.h"

#include "analysers_vk/VKGrafAktual.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
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

struct RowDef {
    const char* title;
    std::array<int, CVKQuantityGrid::kColumns> cells; // -1: no three-phase total
};

constexpr RowDef kRowDefs[CVKQuantityGrid::kRows] = {
    {"U", {0, 1, 2, -1}},       {"I", {3, 4, 5, -1}},       {"PF", {7, 8, 9, 33}},
    {"cos", {12, 13, 14, -1}},  {"THDU", {27, 28, 29, -1}}, {"THDI", {30, 31, 32, -1}},
    {"P", {18, 19, 20, 34}},    {"Q", {21, 22, 23, 35}},    {"S", {24, 25, 26, 36}},
};

const char* const kColumnTitles[CVKQuantityGrid::kColumns] = {"1", "2", "3", "3F"};

// Frequency, temperature and the line voltages, below the table; the box
// labelled "U12:" carries U3,1, and so on.
struct SingleDef {
    const char* label;
    int quantity;
};

constexpr SingleDef kSingles[] = {
    {"Frekvence:", 10}, {"Teplota:", 11}, {"U12:", 15}, {"U23:", 16}, {"U31:", 17},
};

} // namespace

int HeaderState(const bool* flags, int count, int total)
{
    int set = 0;
    for (int i = 0; i < count; ++i)
        set += flags[i] ? 1 : 0;
    if (set == count && total != 0)
        return 1;
    if (set == 0 && total != 1)
        return 0;
    return 2;
}

QCheckBox* CVKQuantityGrid::NewHeader(const QString& text, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setTristate(true);
    // The header's text stands left of its box. That direction would mirror
    // its alignment in the grid too: the grids align headers absolutely, so
    // that the row headers' boxes stand in one column and each column's
    // header over its cells, however wide the face draws the text.
    box->setLayoutDirection(Qt::RightToLeft);
    return box;
}

int CVKQuantityGrid::CellQuantity(int row, int column)
{
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns)
        return -1;
    return kRowDefs[row].cells[std::size_t(column)];
}

CVKQuantityGrid::CVKQuantityGrid(QWidget* parent) : QWidget(parent)
{
    m_layout = new QGridLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setHorizontalSpacing(4);
    m_layout->setVerticalSpacing(1);
    for (int i = 0; i < kCount; ++i)
        m_colours[i] = CVKGrafAktual::QuantityAt(i).colour;
    auto addCell = [this](int i, int row, int column, const QString& text) {
        m_boxes[i] = new QCheckBox(text, this);
        m_boxes[i]->setAccessibleName(QString::fromLatin1(CVKGrafAktual::QuantityAt(i).name));
        m_swatches[i] = new QPushButton(this);
        m_swatches[i]->setFixedSize(18, 14);
        m_swatches[i]->setAccessibleName(QString::fromLatin1(CVKGrafAktual::QuantityAt(i).name));
        connect(m_swatches[i], &QPushButton::clicked, this, [this, i] { PickColour(i); });
        connect(m_boxes[i], &QCheckBox::toggled, this, [this] { UpdateHeaders(); });
        auto* cell = new QHBoxLayout;
        m_cells[i] = cell;
        cell->setSpacing(3);
        cell->addWidget(m_boxes[i]);
        cell->addWidget(m_swatches[i]);
        cell->addStretch(1);
        m_layout->addLayout(cell, row, column);
        SetColour(i, m_colours[i]);
    };
    for (int c = 0; c < kColumns; ++c) {
        m_columnHeaders[std::size_t(c)] = NewHeader(QString::fromLatin1(kColumnTitles[c]), this);
        m_layout->addWidget(m_columnHeaders[std::size_t(c)], 0, c + 1, Qt::AlignLeft | Qt::AlignAbsolute);
        connect(m_columnHeaders[std::size_t(c)], &QCheckBox::clicked, this, [this, c] { ColumnClicked(c); });
    }
    for (int r = 0; r < kRows; ++r) {
        m_rowHeaders[std::size_t(r)] = NewHeader(QString::fromLatin1(kRowDefs[r].title), this);
        m_layout->addWidget(m_rowHeaders[std::size_t(r)], r + 1, 0, Qt::AlignRight | Qt::AlignAbsolute);
        connect(m_rowHeaders[std::size_t(r)], &QCheckBox::clicked, this, [this, r] { RowClicked(r); });
        for (int c = 0; c < kColumns; ++c)
            if (const int q = kRowDefs[r].cells[std::size_t(c)]; q >= 0)
                addCell(q, r + 1, c + 1, QString());
    }
    int row = kRows + 1;
    int line = 0;
    for (const SingleDef& single : kSingles) {
        auto* label = new QLabel(QString::fromUtf8(single.label), this);
        m_layout->addWidget(label, row, 0, Qt::AlignRight);
        addCell(single.quantity, row, 1, QString());
        if (single.quantity >= kLineVoltages[0])
            m_lineLabels[std::size_t(line++)] = label;
        ++row;
    }
    m_layout->setColumnStretch(kColumns + 1, 1);
    UpdateHeaders();
}

void CVKQuantityGrid::TakeOutLineVoltages()
{
    for (std::size_t k = 0; k < kLineVoltages.size(); ++k) {
        m_lineLabels[k]->hide();
        const int q = kLineVoltages[k];
        m_cells[q]->removeWidget(m_boxes[q]);
        m_cells[q]->removeWidget(m_swatches[q]);
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

void CVKQuantityGrid::SetHeader(QCheckBox* header, int state)
{
    header->setCheckState(state == 1 ? Qt::Checked : state == 0 ? Qt::Unchecked : Qt::PartiallyChecked);
    header->setProperty("headerState", state);
}

void CVKQuantityGrid::UpdateHeaders()
{
    for (int r = 0; r < kRows; ++r) {
        bool flags[3];
        for (int c = 0; c < 3; ++c)
            flags[c] = Shown(kRowDefs[r].cells[std::size_t(c)]);
        const int total = kRowDefs[r].cells[kTotalColumn];
        SetHeader(m_rowHeaders[std::size_t(r)], HeaderState(flags, 3, total < 0 ? -1 : Shown(total) ? 1 : 0));
    }
    for (int c = 0; c < kColumns; ++c) {
        bool flags[kRows];
        int count = 0;
        for (const RowDef& row : kRowDefs)
            if (const int q = row.cells[std::size_t(c)]; q >= 0)
                flags[count++] = Shown(q);
        SetHeader(m_columnHeaders[std::size_t(c)], HeaderState(flags, count));
    }
}

// A click on a clear header chooses all its quantities; on a chosen or a
// partly chosen one it clears them (the box's next state, indeterminate or
// clear, counts as clear).
void CVKQuantityGrid::RowClicked(int row)
{
    const bool on = m_rowHeaders[std::size_t(row)]->property("headerState").toInt() == 0;
    for (int q : kRowDefs[row].cells)
        if (q >= 0)
            m_boxes[q]->setChecked(on);
    UpdateHeaders();
}

void CVKQuantityGrid::ColumnClicked(int column)
{
    const bool on = m_columnHeaders[std::size_t(column)]->property("headerState").toInt() == 0;
    for (const RowDef& row : kRowDefs)
        if (const int q = row.cells[std::size_t(column)]; q >= 0)
            m_boxes[q]->setChecked(on);
    UpdateHeaders();
}

void CVKQuantityGrid::PickColour(int index)
{
    const QColor chosen = QColorDialog::getColor(ToColor(m_colours[index]), this);
    if (chosen.isValid())
        SetColour(index, FromColor(chosen));
}

} // namespace analysers_vk
