#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QPushButton;

namespace analysers_vk {

// The check boxes and colour swatches of the VK graph's quantities (all but
// I4), shared by the family settings page and the displayed-quantities
// dialog. A swatch opens the colour dialog for the colour it shows.
class CVKQuantityGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCount = 37;
    static constexpr int kI4 = 6;
    static constexpr int kTemperature = 11;

    explicit CVKQuantityGrid(QWidget* parent = nullptr);

    QCheckBox* Box(int index) const { return m_boxes[index]; }
    QPushButton* Swatch(int index) const { return m_swatches[index]; }
    std::uint32_t Colour(int index) const { return m_colours[index]; }
    void SetColour(int index, std::uint32_t colour);
    bool Shown(int index) const;
    void SetShown(int index, bool shown);
    bool AnyShown() const;
    // The temperature box and swatch only with the instrument's variant bit.
    void SetTemperatureAvailable(bool available);

private:
    void PickColour(int index);

    std::array<QCheckBox*, kCount> m_boxes{};
    std::array<QPushButton*, kCount> m_swatches{};
    std::array<std::uint32_t, kCount> m_colours{};
};

} // namespace analysers_vk
