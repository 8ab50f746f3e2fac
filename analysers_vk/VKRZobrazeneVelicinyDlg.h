#pragma once

#include "analysers_vk/VKZobrazeneVelicinyDlg.h"

namespace analysers_vk {

// "Zobrazené veličiny" of a VKR's graph: the VK dialog with the VKR's
// defaults. A VKR measures its temperature whatever its variant, so the
// temperature is always offered and goes back to the graph with the rest;
// the output-state box goes back to the graph as well.
class CVKRZobrazeneVelicinyDlg : public CVKZobrazeneVelicinyDlg {
    Q_OBJECT
public:
    explicit CVKRZobrazeneVelicinyDlg(QWidget* parent = nullptr);

protected:
    bool TemperatureAvailable(const CVKGrafAktual& graph) const override;
    const char* DefaultsSection() const override { return "Obecne nastaveni vkr"; }
    bool DefaultsHoldRelays() const override { return false; }
};

} // namespace analysers_vk
