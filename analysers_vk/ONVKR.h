#pragma once

#include "analysers_vk/ONVK.h"

#include "analysers_vk/VKRLineGrid.h"

#include <cstdint>

namespace analysers_vk {

// The VKR family's page of the general settings sheet: the VK page's
// choices kept under "Obecne nastaveni vkr", with the three line-to-line
// voltage distortions in a table with the line voltages; its default graph
// ranges are the one set it shares with the VK page.
class CONVKR : public CONVK {
    Q_OBJECT
public:
    static constexpr int kLineCount = 3;
    // "THDU1,2", "THDU2,3", "THDU3,1" and their default colours.
    static const char* LineName(int line) { return CVKRLineGrid::Name(line); }
    static std::uint32_t LineColour(int line) { return CVKRLineGrid::DefaultColour(line); }

    explicit CONVKR(QWidget* parent = nullptr);

    QCheckBox* Line(int line) const { return m_lines->Box(line); }
    CVKRLineGrid* Lines() const { return m_lines; }
    std::uint32_t LineColourShown(int line) const { return m_lines->Colour(line); }

protected:
    void LoadExtra(platform::Settings& settings, const platform::SettingsSection& section) override;
    void SaveExtra(platform::Settings& settings, const platform::SettingsSection& section) override;
    bool AnyExtraShown() const override;

private:
    CVKRLineGrid* m_lines = nullptr;
};

} // namespace analysers_vk
