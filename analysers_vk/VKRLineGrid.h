#pragma once

#include <QGroupBox>

#include <array>
#include <cstdint>

class QCheckBox;
class QPushButton;

namespace platform {
class Settings;
class SettingsSection;
}

namespace analysers_vk {

class CVKQuantityGrid;

// The VKR's line quantities: a row "UL-L" with the line voltages of the
// phase grid and a row "THDU" with the three line-to-line voltage
// distortions ("THDU1,2", "THDU2,3", "THDU3,1"), under the columns "12",
// "23" and "31"; row and column headers choose or clear their boxes as the
// phase grid's do. Shared by the family settings page and the
// displayed-quantities dialog.
class CVKRLineGrid : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kLineCount = 3;
    static const char* Name(int line);
    static std::uint32_t DefaultColour(int line);

    // The line voltages' boxes move from `phases` into this table.
    explicit CVKRLineGrid(CVKQuantityGrid& phases, QWidget* parent = nullptr);

    // Row 0 "UL-L", row 1 "THDU"; columns "12", "23", "31".
    QCheckBox* RowHeader(int row) const { return m_rowHeaders[std::size_t(row)]; }
    QCheckBox* ColumnHeader(int column) const { return m_columnHeaders[std::size_t(column)]; }
    void UpdateHeaders();

    QCheckBox* Box(int line) const { return m_boxes[std::size_t(line)]; }
    QPushButton* Swatch(int line) const { return m_swatches[std::size_t(line)]; }
    std::uint32_t Colour(int line) const { return m_colours[std::size_t(line)]; }
    void SetColour(int line, std::uint32_t colour);
    bool Shown(int line) const;
    void SetShown(int line, bool shown);
    bool AnyShown() const;

    // "is" + name (default 0) and "barva " + name of each line.
    void Load(const platform::Settings& settings, const platform::SettingsSection& section);
    void Save(platform::Settings& settings, const platform::SettingsSection& section) const;

private:
    bool Flag(int row, int column) const;
    void SetFlag(int row, int column, bool on);

    CVKQuantityGrid& m_phases;
    std::array<QCheckBox*, 2> m_rowHeaders{};
    std::array<QCheckBox*, kLineCount> m_columnHeaders{};
    std::array<QCheckBox*, kLineCount> m_boxes{};
    std::array<QPushButton*, kLineCount> m_swatches{};
    std::array<std::uint32_t, kLineCount> m_colours{};
};

} // namespace analysers_vk
