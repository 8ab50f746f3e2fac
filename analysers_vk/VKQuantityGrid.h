#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QPushButton;

namespace analysers_vk {

// The check boxes and colour swatches of the VK graph's quantities (all but
// I4), shared by the family settings page and the displayed-quantities
// dialog. The phase quantities stand in a table of rows U to S and columns
// 1, 2, 3 and the three-phase total 3F; each row and column has a header
// box that shows whether all, none or some of its quantities are chosen and
// chooses or clears them all. Frequency, temperature and the line voltages
// stand below, outside any header. A swatch opens the colour dialog for the
// colour it shows.
class CVKQuantityGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCount = 37;
    static constexpr int kI4 = 6;
    static constexpr int kTemperature = 11;
    static constexpr int kRows = 9;
    static constexpr int kColumns = 4; // 1, 2, 3, 3F
    static constexpr int kTotalColumn = 3;
    // The line voltages in the order of their boxes "U12:", "U23:", "U31:".
    static constexpr std::array<int, 3> kLineVoltages{15, 16, 17};

    explicit CVKQuantityGrid(QWidget* parent = nullptr);

    QCheckBox* Box(int index) const { return m_boxes[index]; }
    QPushButton* Swatch(int index) const { return m_swatches[index]; }
    QCheckBox* RowHeader(int row) const { return m_rowHeaders[std::size_t(row)]; }
    QCheckBox* ColumnHeader(int column) const { return m_columnHeaders[std::size_t(column)]; }
    std::uint32_t Colour(int index) const { return m_colours[index]; }
    void SetColour(int index, std::uint32_t colour);
    bool Shown(int index) const;
    void SetShown(int index, bool shown);
    bool AnyShown() const;
    // The temperature box and swatch only with the instrument's variant bit.
    void SetTemperatureAvailable(bool available);
    // The quantity of a table cell, -1 for a cell without one.
    static int CellQuantity(int row, int column);
    // A row or column header: a three-state box with its text on the left.
    static QCheckBox* NewHeader(const QString& text, QWidget* parent);

    // Where a family places the line-voltage boxes: the VKR shows them in
    // its own table of line quantities, without their labels.
    void TakeOutLineVoltages();

private:
    void PickColour(int index);
    void RowClicked(int row);
    void ColumnClicked(int column);
    void UpdateHeaders();
    static void SetHeader(QCheckBox* header, int state);

    QGridLayout* m_layout = nullptr;
    std::array<QCheckBox*, kCount> m_boxes{};
    std::array<QPushButton*, kCount> m_swatches{};
    std::array<QHBoxLayout*, kCount> m_cells{};
    std::array<std::uint32_t, kCount> m_colours{};
    std::array<QCheckBox*, kRows> m_rowHeaders{};
    std::array<QCheckBox*, kColumns> m_columnHeaders{};
    std::array<QWidget*, 3> m_lineLabels{};
};

// The state of a header box over `count` flags: 1 all set, 0 none, 2 some.
// `total` is -1 for a row without a three-phase total, else its flag: a row
// with a total is all set only with it and clear only without it.
int HeaderState(const bool* flags, int count, int total = -1);

} // namespace analysers_vk
