#include "analysers_vk/VKGrafAktual.h"

#include "archive/store/VKArchivData.h"
#include "link/Pristroj.h"

#include <algorithm>

namespace analysers_vk {

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

const CVKGrafAktual::Quantity kQuantities[CVKGrafAktual::kQuantityCount] = {
    {"U1", 0, 0, "U", Rgb(132, 13, 8)},       {"U2", 0, 0, "U", Rgb(244, 85, 85)},
    {"U3", 0, 0, "U", Rgb(221, 175, 175)},    {"I1", 1, 1, "I", Rgb(8, 34, 137)},
    {"I2", 1, 1, "I", Rgb(32, 95, 232)},      {"I3", 1, 1, "I", Rgb(159, 184, 234)},
    {"I4", 1, 1, "I", Rgb(87, 69, 165)},      {"PF1", 2, 2, "PF,cos", Rgb(130, 10, 126)},
    {"PF2", 2, 2, "PF,cos", Rgb(209, 39, 203)}, {"PF3", 2, 2, "PF,cos", Rgb(237, 163, 234)},
    {"Fr", 3, 3, "Fr", Rgb(255, 0, 0)},       {"T", 4, 6, "T", Rgb(106, 226, 106)},
    {"cos1", 2, 2, "PF,cos", Rgb(3, 56, 16)}, {"cos2", 2, 2, "PF,cos", Rgb(25, 183, 65)},
    {"cos3", 2, 2, "PF,cos", Rgb(137, 249, 137)}, {"U3,1", 0, 0, "U", Rgb(15, 5, 1)},
    {"U1,2", 0, 0, "U", Rgb(102, 98, 97)},    {"U2,3", 0, 0, "U", Rgb(193, 193, 193)},
    {"P1", 5, 4, "P,Q,S", Rgb(109, 4, 18)},   {"P2", 5, 4, "P,Q,S", Rgb(183, 7, 30)},
    {"P3", 5, 4, "P,Q,S", Rgb(244, 122, 138)}, {"Q1", 5, 4, "P,Q,S", Rgb(84, 102, 28)},
    {"Q2", 5, 4, "P,Q,S", Rgb(144, 181, 23)}, {"Q3", 5, 4, "P,Q,S", Rgb(209, 239, 110)},
    {"S1", 5, 4, "P,Q,S", Rgb(4, 79, 75)},    {"S2", 5, 4, "P,Q,S", Rgb(71, 140, 136)},
    {"S3", 5, 4, "P,Q,S", Rgb(164, 219, 216)}, {"THDU1", 6, 5, "THD", Rgb(137, 93, 11)},
    {"THDU2", 6, 5, "THD", Rgb(191, 138, 40)}, {"THDU3", 6, 5, "THD", Rgb(244, 207, 137)},
    {"THDI1", 6, 5, "THD", Rgb(68, 64, 4)},   {"THDI2", 6, 5, "THD", Rgb(145, 139, 50)},
    {"THDI3", 6, 5, "THD", Rgb(237, 222, 24)}, {"3PF", 2, 2, "PF,cos", Rgb(186, 80, 175)},
    {"3P", 5, 4, "P,Q,S", Rgb(234, 21, 53)},  {"3Q", 5, 4, "P,Q,S", Rgb(157, 219, 35)},
    {"3S", 5, 4, "P,Q,S", Rgb(49, 226, 194)},
};

constexpr int kBandLines = 10;
constexpr int kBandHalfLines = 5;

const CVKFamilyGrafAktual::Family kFamily{
    kQuantities, 7, 6, "Obecne nastaveni vk", kBandLines, kBandHalfLines, false, false, 2,
};

} // namespace

const CVKGrafAktual::Quantity& CVKGrafAktual::QuantityAt(int index)
{
    return kQuantities[std::clamp(index, 0, kQuantityCount - 1)];
}

CVKGrafAktual::Layout CVKGrafAktual::ComputeLayout(const QRect& client, int logPixelsY, bool reserveBand)
{
    return LayoutFor(client, logPixelsY, reserveBand, kBandLines, kBandHalfLines);
}

CVKGrafAktual::CVKGrafAktual(QWidget* parent) : CVKFamilyGrafAktual(kFamily, parent) {}

CVKGrafAktual::~CVKGrafAktual() = default;

bool CVKGrafAktual::HasVariantFlag() const
{
    const CArchivData* data = Entry() ? Entry()->GetArchivData() : Data();
    const auto* vk = dynamic_cast<const CVKArchivData*>(data);
    return vk && vk->HasVariantBit0();
}

void CVKGrafAktual::GetAllQuantities(std::array<int, 36>& shown, std::array<std::uint32_t, 36>& colours) const
{
    std::size_t out = 0;
    for (int i = 0; i < kQuantityCount; ++i) {
        if (i == 6)
            continue;
        ListQuantity(i, shown[out], colours[out]);
        ++out;
    }
}

} // namespace analysers_vk
