#include "analysers_vkt/VKTGrafAktual.h"

#include "archive/store/ArchivData.h"
#include "charts/GraphPainter.h"

#include <algorithm>
#include <vector>

namespace analysers_vkt {

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16);
}

const CVKTGrafAktual::Quantity kQuantities[CVKTGrafAktual::kQuantityCount] = {
    {"U1", 0, 0, "U", Rgb(132, 13, 8)}, {"U2", 0, 0, "U", Rgb(207, 20, 42)},
    {"U3", 0, 0, "U", Rgb(244, 85, 85)}, {"U4", 0, 0, "U", Rgb(221, 175, 175)},
    {"I1", 1, 1, "I", Rgb(8, 34, 137)}, {"I2", 1, 1, "I", Rgb(87, 69, 165)},
    {"I3", 1, 1, "I", Rgb(32, 95, 232)}, {"I4", 1, 1, "I", Rgb(159, 184, 234)},
    {"PF1", 2, 2, "PF,cos", Rgb(102, 8, 99)}, {"PF2", 2, 2, "PF,cos", Rgb(171, 34, 166)},
    {"PF3", 2, 2, "PF,cos", Rgb(209, 39, 203)}, {"3PF", 2, 2, "PF,cos", Rgb(186, 80, 175)},
    {"PF4", 2, 2, "PF,cos", Rgb(237, 163, 234)}, {"Fr", 3, 3, "Fr", Rgb(255, 0, 0)},
    {"T", 4, 6, "T", Rgb(106, 226, 106)}, {"cos1", 2, 2, "PF,cos", Rgb(3, 56, 16)},
    {"cos2", 2, 2, "PF,cos", Rgb(10, 110, 33)}, {"cos3", 2, 2, "PF,cos", Rgb(25, 183, 65)},
    {"cos4", 2, 2, "PF,cos", Rgb(137, 249, 137)}, {"U3,1", 0, 0, "U", Rgb(15, 5, 1)},
    {"U1,2", 0, 0, "U", Rgb(102, 98, 97)}, {"U2,3", 0, 0, "U", Rgb(193, 193, 193)},
    {"_u2", 7, 7, "u2", Rgb(249, 79, 199)}, {"P1", 5, 4, "P,Q,S", Rgb(109, 4, 18)},
    {"P2", 5, 4, "P,Q,S", Rgb(183, 7, 30)}, {"P3", 5, 4, "P,Q,S", Rgb(239, 105, 121)},
    {"3P", 5, 4, "P,Q,S", Rgb(234, 21, 53)}, {"P4", 5, 4, "P,Q,S", Rgb(250, 145, 163)},
    {"Q1", 5, 4, "P,Q,S", Rgb(60, 76, 10)}, {"Q2", 5, 4, "P,Q,S", Rgb(84, 102, 28)},
    {"Q3", 5, 4, "P,Q,S", Rgb(144, 181, 23)}, {"3Q", 5, 4, "P,Q,S", Rgb(157, 219, 35)},
    {"Q4", 5, 4, "P,Q,S", Rgb(209, 239, 110)}, {"S1", 5, 4, "P,Q,S", Rgb(0, 69, 65)},
    {"S2", 5, 4, "P,Q,S", Rgb(18, 55, 80)}, {"S3", 5, 4, "P,Q,S", Rgb(71, 140, 136)},
    {"3S", 5, 4, "P,Q,S", Rgb(49, 226, 194)}, {"S4", 5, 4, "P,Q,S", Rgb(164, 219, 216)},
    {"THDU1", 6, 5, "THD", Rgb(103, 68, 0)}, {"THDU2", 6, 5, "THD", Rgb(141, 94, 15)},
    {"THDU3", 6, 5, "THD", Rgb(191, 138, 40)}, {"THDU4", 6, 5, "THD", Rgb(244, 207, 137)},
    {"THDI1", 6, 5, "THD", Rgb(60, 76, 3)}, {"THDI2", 6, 5, "THD", Rgb(91, 87, 29)},
    {"THDI3", 6, 5, "THD", Rgb(145, 139, 50)}, {"THDI4", 6, 5, "THD", Rgb(237, 222, 24)},
};

constexpr int kBandLines = 18;
constexpr int kBandHalfLines = 16;

// The first eight quantities (U1-U4, I1-I4) are shown by default.
const analysers_vk::CVKFamilyGrafAktual::Family kFamily{
    kQuantities, CVKTGrafAktual::kGroupCount, 8, "Obecne nastaveni vkt", kBandLines, kBandHalfLines, true, true, 4,
};

} // namespace

const CVKTGrafAktual::Quantity& CVKTGrafAktual::QuantityAt(int index)
{
    return kQuantities[std::clamp(index, 0, kQuantityCount - 1)];
}

QString CVKTGrafAktual::NameAt(int index)
{
    return QString::fromLatin1(QuantityAt(index).name);
}

CVKTGrafAktual::Layout CVKTGrafAktual::ComputeLayout(const QRect& client, int logPixelsY, bool reserveBand)
{
    return LayoutFor(client, logPixelsY, reserveBand, kBandLines, kBandHalfLines);
}

CVKTGrafAktual::CVKTGrafAktual(QWidget* parent) : CVKFamilyGrafAktual(kFamily, parent) {}

CVKTGrafAktual::~CVKTGrafAktual() = default;

void CVKTGrafAktual::GetAllQuantities(std::array<int, kQuantityCount>& shown,
                                      std::array<std::uint32_t, kQuantityCount>& colours) const
{
    for (int i = 0; i < kQuantityCount; ++i)
        ListQuantity(i, shown[std::size_t(i)], colours[std::size_t(i)]);
}

void CVKTGrafAktual::DrawBand(CGraphPainter& painter, const CGraphRect& band)
{
    // The outputs' runs under the plot, over the same time window, from the
    // runs the store extracts with the curves.
    std::array<CSwitchRows, 3> channels;
    for (int c = 0; c < 3; ++c) {
        const archive::CStageLists& lists = Data()->GraphStageLists(c);
        channels[std::size_t(c)] = CSwitchRows(lists.data(), lists.size());
    }
    painter.DrawChannelBars(channels, band, Data()->SeriesRegistry().GraphSpan(), X0(), X1());
}

} // namespace analysers_vkt
