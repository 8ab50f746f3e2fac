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

// "THDU L-L": the check boxes and colour swatches of the VKR's three
// line-to-line voltage distortions ("THDU1,2", "THDU2,3", "THDU3,1"),
// shared by the family settings page and the displayed-quantities dialog.
class CVKRLineGrid : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kLineCount = 3;
    static const char* Name(int line);
    static std::uint32_t DefaultColour(int line);

    explicit CVKRLineGrid(QWidget* parent = nullptr);

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
    std::array<QCheckBox*, kLineCount> m_boxes{};
    std::array<QPushButton*, kLineCount> m_swatches{};
    std::array<std::uint32_t, kLineCount> m_colours{};
};

} // namespace analysers_vk
