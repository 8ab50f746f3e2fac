#include "analysers_vk/VKRGrafAktual.h"

#include "analysers_vk/VKGrafAktual.h"

#include <algorithm>

namespace analysers_vk {

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

// The VK's quantities under the VK numbers, the line distortions after them.
const std::array<CVKRGrafAktual::Quantity, CVKRGrafAktual::kQuantityCount> kQuantities = [] {
    std::array<CVKRGrafAktual::Quantity, CVKRGrafAktual::kQuantityCount> table{};
    for (int i = 0; i < CVKGrafAktual::kQuantityCount; ++i)
        table[std::size_t(i)] = CVKGrafAktual::QuantityAt(i);
    table[37] = {"THDU1,2", 6, 5, "THD", Rgb(14, 14, 144)};
    table[38] = {"THDU2,3", 6, 5, "THD", Rgb(96, 96, 192)};
    table[39] = {"THDU3,1", 6, 5, "THD", Rgb(160, 160, 209)};
    return table;
}();

constexpr int kBandLines = 10;
constexpr int kBandHalfLines = 5;

// A VKR measures its temperature whatever its variant.
const CVKFamilyGrafAktual::Family kFamily{
    kQuantities, 7, 6, "Obecne nastaveni vkr", kBandLines, kBandHalfLines, false, false, 2,
};

} // namespace

const CVKRGrafAktual::Quantity& CVKRGrafAktual::QuantityAt(int index)
{
    return kQuantities[std::size_t(std::clamp(index, 0, kQuantityCount - 1))];
}

CVKRGrafAktual::Layout CVKRGrafAktual::ComputeLayout(const QRect& client, int logPixelsY, bool reserveBand)
{
    return LayoutFor(client, logPixelsY, reserveBand, kBandLines, kBandHalfLines);
}

CVKRGrafAktual::CVKRGrafAktual(QWidget* parent) : CVKFamilyGrafAktual(kFamily, parent) {}

CVKRGrafAktual::~CVKRGrafAktual() = default;

void CVKRGrafAktual::GetAllQuantities(std::array<int, 36>& shown, std::array<std::uint32_t, 36>& colours,
                                      std::array<int, kLineCount>& lineShown,
                                      std::array<std::uint32_t, kLineCount>& lineColours) const
{
    std::size_t out = 0;
    for (int i = 0; i < kFirstLine; ++i) {
        if (i == 6)
            continue;
        ListQuantity(i, shown[out], colours[out]);
        ++out;
    }
    for (int k = 0; k < kLineCount; ++k)
        ListQuantity(kFirstLine + k, lineShown[std::size_t(k)], lineColours[std::size_t(k)]);
}

} // namespace analysers_vk
