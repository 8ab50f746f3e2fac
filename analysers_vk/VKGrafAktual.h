#pragma once

#include "analysers_vk/VKFamilyGrafAktual.h"

#include <array>
#include <cstdint>

namespace analysers_vk {

// The trend graph of the VK form views over the VK's 37 quantities.
class CVKGrafAktual : public CVKFamilyGrafAktual {
    Q_OBJECT
public:
    static constexpr int kQuantityCount = 37;

    static const Quantity& QuantityAt(int index);
    // Band under the plot: used when 10 f is less than the client height.
    static Layout ComputeLayout(const QRect& client, int logPixelsY, bool reserveBand);

    explicit CVKGrafAktual(QWidget* parent = nullptr);
    ~CVKGrafAktual() override;

    // Every quantity but I4 (index 6).
    void GetAllQuantities(std::array<int, 36>& shown, std::array<std::uint32_t, 36>& colours) const;

    // Variant bit 0 of the bound instrument's identification: the
    // temperature exists only with it.
    bool HasVariantFlag() const;
    bool TemperatureAvailable() const override { return HasVariantFlag(); }
};

} // namespace analysers_vk
