#pragma once

#include "analysers_vk/VKFamilyGrafAktual.h"

#include <array>
#include <cstdint>

namespace analysers_vk {

// The trend graph of the VKR form views: the VK's 37 quantities and the
// distortions of the three line-to-line voltages.
class CVKRGrafAktual : public CVKFamilyGrafAktual {
    Q_OBJECT
public:
    static constexpr int kQuantityCount = 40;
    static constexpr int kFirstLine = 37;
    static constexpr int kLineCount = 3;

    static const Quantity& QuantityAt(int index);
    // Band under the plot: used when 10 f is less than the client height.
    static Layout ComputeLayout(const QRect& client, int logPixelsY, bool reserveBand);

    explicit CVKRGrafAktual(QWidget* parent = nullptr);
    ~CVKRGrafAktual() override;

    // Every quantity of the VK list but I4 (index 6), then the three line
    // distortions (37-39).
    void GetAllQuantities(std::array<int, 36>& shown, std::array<std::uint32_t, 36>& colours,
                          std::array<int, kLineCount>& lineShown,
                          std::array<std::uint32_t, kLineCount>& lineColours) const;
};

} // namespace analysers_vk
