#pragma once

#include "analysers_vk/VKZobrazeneVelicinyDlg.h"

namespace analysers_vk {

class CVKRLineGrid;

// "Zobrazené veličiny" of a VKR's graph: the VK dialog with the VKR's
// defaults and the three line-to-line voltage distortions. A VKR measures
// its temperature whatever its variant, so the temperature is always
// offered and goes back to the graph with the rest; the output-state box
// goes back to the graph as well.
class CVKRZobrazeneVelicinyDlg : public CVKZobrazeneVelicinyDlg {
    Q_OBJECT
public:
    explicit CVKRZobrazeneVelicinyDlg(QWidget* parent = nullptr);

    CVKRLineGrid* Lines() const { return m_lines; }

protected:
    bool TemperatureAvailable(const CVKFamilyGrafAktual& graph) const override;
    const char* DefaultsSection() const override { return "Obecne nastaveni vkr"; }
    bool DefaultsHoldRelays() const override { return false; }
    void LoadExtra(const CVKFamilyGrafAktual& graph) override;
    void StoreExtra(CVKFamilyGrafAktual& graph) const override;
    void LoadExtraDefaults(const platform::Settings& settings, const platform::SettingsSection& section) override;
    bool AnyExtraShown() const override;

private:
    CVKRLineGrid* m_lines = nullptr;
};

} // namespace analysers_vk
