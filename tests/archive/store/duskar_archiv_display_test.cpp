#include "ControllerTestSupport.h"

#include "archive/store/DuskarArchivData.h"

namespace storetest {
namespace {

using Cells = std::array<std::uint32_t, 4>;
constexpr std::uint32_t B = CControllerPanelImage::kBlank;
constexpr std::uint32_t D = CControllerPanelImage::kDash;

CDuskarAktData Values()
{
    CDuskarAktData v = CDuskarArchivData::NoValues();
    v.model = 19;
    v.ctWord = 0x8001;
    v.freqCode = 78;
    v.current = 4000; // 1 A
    v.activeCurrent = 3600;
    v.reactiveCurrent = -1200;
    v.missingCurrent = 300;
    v.word1E = -25;
    v.cosPhi = 95;
    v.thdUCode = 10;
    v.thdICode = 40;
    for (int i = 0; i < 9; ++i) {
        v.harmonicU[i] = BYTE(i);
        v.harmonicI[i] = BYTE(10 + i);
    }
    v.voltage = 2300;
    v.voltageP = 2300;
    v.chlCode = 30;
    v.vtCode = 0;
    v.state = 3;
    v.flags = 0;
    v.stageMask = 0x0003;
    v.byte28 = 40;
    v.byte4B = 5;
    return v;
}

TEST(DuskarArchivDisplay, ValuesWindowTexts)
{
    using archive::controller::FormatDuskarValues;
    const CVKRatioScales ratio1; // V "%0.1f", A "%0.3f", W "%0.0f"
    CDuskarValueTexts t = FormatDuskarValues(Values(), 0x12, ratio1);
    EXPECT_EQ(t.mode, "AP");
    EXPECT_EQ(t.voltage, "--");
    EXPECT_EQ(t.harmonicBarsI[0], 101.0);

    t = FormatDuskarValues(Values(), 1, ratio1);
    EXPECT_EQ(t.mode, "");
    EXPECT_EQ(t.cosPhi, "0.95");
    EXPECT_EQ(t.angle, "-25");
    EXPECT_EQ(t.frequency, "50.0");
    EXPECT_EQ(t.voltage, "230.0");
    EXPECT_EQ(t.current, "1.000");
    EXPECT_EQ(t.activeCurrent, "0.900");
    EXPECT_EQ(t.reactiveCurrent, "C0.300");
    EXPECT_EQ(t.activePower, "621");
    EXPECT_EQ(t.reactivePower, "C207");
    EXPECT_EQ(t.missingPower, "L52"); // 51.75 W
    EXPECT_EQ(t.lowVoltage, "1");
    EXPECT_EQ(t.thdU, "5.0");
    EXPECT_EQ(t.thdI, "20.0");
    EXPECT_EQ(t.chl, "30");
    EXPECT_DOUBLE_EQ(t.harmonicBarsI[2], 1.2);
    EXPECT_DOUBLE_EQ(t.harmonicBarsU[8], 0.8);
    EXPECT_EQ(t.stages[1], TRUE);
    EXPECT_EQ(t.stages[2], FALSE);
    EXPECT_EQ(t.progress, 40);
    EXPECT_EQ(t.layoutModel19Or21, TRUE);
    EXPECT_EQ(t.layoutModel17Or18, FALSE);

    // Current too small to measure (5-A secondary: below 200), voltage
    // without value, a power without its voltage word.
    CDuskarAktData v = Values();
    v.current = 150;
    v.voltage = -1;
    v.voltageP = -1;
    v.cosPhi = 127;
    v.byte4B = 0;
    t = FormatDuskarValues(v, 1, ratio1);
    EXPECT_EQ(t.thdI, "--");
    EXPECT_EQ(t.harmonicBarsI[0], 101.0);
    EXPECT_EQ(t.thdU, "--");
    EXPECT_EQ(t.voltage, "--");
    EXPECT_EQ(t.activePower, "--");
    EXPECT_EQ(t.reactivePower, "--");
    EXPECT_EQ(t.cosPhi, "--");
    EXPECT_EQ(t.angle, "--");
    EXPECT_EQ(t.chl, "--");
    EXPECT_EQ(t.lowVoltage, "0");
    // Bit 15 clear: the limit is 40.
    v.ctWord = 1;
    v.current = 150;
    EXPECT_EQ(FormatDuskarValues(v, 1, ratio1).thdI, "20.0");
}

TEST(DuskarArchivDisplay, FrontPanelImage)
{
    struct Case {
        const char* what;
        std::function<void(CDuskarAktData&)> set;
        int state;
        int selector;
        Cells cells;
        int decimals;
        std::uint32_t lamps; // besides the stage lamps of 0x0003
    };
    const Case cases[] = {
        {"no data yet", [](CDuskarAktData&) {}, 0, 1, {B, D, D, D}, 0, 0},
        {"power factor", [](CDuskarAktData&) {}, 1, 1, {B, 0, 9, 5}, 2, 1u << 14},
        {"P=0 is always P", [](CDuskarAktData& v) { v.state = 0x13; }, 1, 1, {B, 22, 15, 0}, 0, 1u << 14},
        {"flag lamps", [](CDuskarAktData& v) { v.flags = 0x35; }, 1, 9, {B, B, B, B}, 0,
         (1u << 17) | (1u << 18) | (1u << 20) | (1u << 21)},
        {"manual mode lamp", [](CDuskarAktData& v) { v.state = 0x0F; }, 1, 9, {B, B, B, B}, 0, 1u << 19},
        {"current 1 A", [](CDuskarAktData&) {}, 1, 2, {B, 1, 0, 0}, 2, 1u << 15},
        {"current 0.05 A", [](CDuskarAktData& v) { v.current = 200; }, 1, 2, {0, 0, 5, 0}, 3, 1u << 15},
        {"current 2500 A", [](CDuskarAktData& v) { v.ctWord = 0x8000 | 2500; }, 1, 2, {2, 5, 0, 0}, 0, 1u << 15},
        {"current without value", [](CDuskarAktData& v) { v.current = 0xFFFF; }, 1, 2, {D, B, B, B}, 0, 1u << 15},
        {"voltage 230 V", [](CDuskarAktData&) {}, 1, 3, {B, 2, 3, 0}, 0, 1u << 16},
        {"voltage 92 kV", [](CDuskarAktData& v) { v.vtCode = 40; }, 1, 3, {B, 9, 2, 0}, 1, 1u << 16},
        {"voltage without value", [](CDuskarAktData& v) { v.voltage = -1; }, 1, 3, {D, B, B, B}, 0, 1u << 16},
    };
    for (const Case& c : cases) {
        CDuskarAktData v = Values();
        c.set(v);
        const CControllerPanelImage image = archive::controller::FormatDuskarPanel(v, c.state, c.selector);
        EXPECT_EQ(image.cells, c.cells) << c.what;
        EXPECT_EQ(image.decimals, c.decimals) << c.what;
        EXPECT_EQ(image.lamps, c.lamps | (c.state == 0 ? 0u : 0x0003u)) << c.what;
    }
}

TEST(DuskarArchivDisplay, StoreShowsItsNewestValuesWithItsScales)
{
    CDuskarArchivData store;
    EXPECT_EQ(store.FormatValues().mode, "Výpadek dat");
    CDuskarAktData v = Values();
    v.vtCode = 40; // 400: kV with two decimals
    store.AddMeasurementRecord(v);
    EXPECT_EQ(store.FormatValues().voltage, "92.00");
    EXPECT_EQ(store.FormatStatusTexts(3).cells, (Cells{B, 9, 2, 0}));
}

} // namespace
} // namespace storetest
