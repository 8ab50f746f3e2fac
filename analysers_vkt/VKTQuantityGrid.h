#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QPushButton;

namespace platform {
class Settings;
}

namespace analysers_vkt {

// The 46 quantities of the VKT graph as check boxes with colour swatches:
// nine rows over four phase columns (PF, P, Q and S with a "3F" total) and
// the single quantities, with tri-state row and column headers. Shared by
// the family settings page and the displayed-quantities dialog; boxes are
// addressed by the quantity's index in the VKT name table.
class CVKTQuantityGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCount = 46;
    static constexpr int kRows = 9;
    static constexpr int kTemperature = 14;
    static constexpr int kNoTotal = -1;

    struct Row {
        const char* title;
        std::array<int, 4> phases;
        int total;
    };
    static const Row& RowAt(int row);
    // Header value over four phase flags and mode m (rows with a total:
    // 1 when it is set, else 0; other rows 2): 1 when all four are set and
    // m is not 0, 0 when none is and m is not 1, else 2.
    static int RowState(const std::array<bool, 4>& phases, int mode);

    explicit CVKTQuantityGrid(QWidget* parent = nullptr);

    QCheckBox* Box(int index) const { return m_boxes[std::size_t(index)]; }
    QPushButton* Swatch(int index) const { return m_swatches[std::size_t(index)]; }
    QCheckBox* RowHeader(int row) const { return m_rowHeaders[std::size_t(row)]; }
    // Columns 0..3 are the phases, 4 the "3F" totals.
    QCheckBox* ColumnHeader(int column) const { return m_columnHeaders[std::size_t(column)]; }
    std::uint32_t Colour(int index) const { return m_colours[std::size_t(index)]; }
    void SetColour(int index, std::uint32_t colour);
    bool Shown(int index) const;
    void SetShown(int index, bool shown);
    bool AnyShown() const;
    // Recomputes every header from the boxes.
    void UpdateHeaders();
    // The family defaults of "Obecne nastaveni vkt": "is" + name (U1-U4 and
    // I1-I4 shown when unset) and "barva " + name.
    void LoadFamilyDefaults(const platform::Settings& settings);
    void SaveFamilyDefaults(platform::Settings& settings) const;

    // "U off-line záznamu zobrazovat:" with its three choices, added to
    // `layout` of `owner`.
    static QComboBox* AddOffLineChoice(QWidget* owner, QBoxLayout* layout);

private:
    void PickColour(int index);
    void ClickRow(int row);
    void ClickColumn(int column);
    int ColumnState(int column) const;

    std::array<QCheckBox*, kCount> m_boxes{};
    std::array<QPushButton*, kCount> m_swatches{};
    std::array<std::uint32_t, kCount> m_colours{};
    std::array<QCheckBox*, kRows> m_rowHeaders{};
    std::array<QCheckBox*, 5> m_columnHeaders{};
};

} // namespace analysers_vkt
