#include "ControllerTestSupport.h"

#include "archive/store/QorinArchivData.h"

namespace storetest {
namespace {

using Cells = std::array<std::uint32_t, 4>;
constexpr std::uint32_t B = CControllerPanelImage::kBlank;
constexpr std::uint32_t D = CControllerPanelImage::kDash;

CQorinAktData Values()
{
    CQorinAktData v;
    v.model = 4;
    v.ctWord = 0x8001;
    v.current = 4000; // 1 A
    v.activeCurrent = 3600;
    v.reactiveCurrent = -120;
    v.cosPhi = 95;
    v.thdCode = 40; // 20 %
    for (int i = 0; i < 6; ++i)
        v.harmonicCode[i] = BYTE(10 + i); // 1.0 .. 1.5 %
    v.state = 3;
    v.flags = 0;
    v.stageMask = 0x2005;
    v.byte34 = 60;
    return v;
}

TEST(QorinArchivDisplay, ValuesWindowTexts)
{
    using archive::controller::FormatQorinValues;
    const struct {
        int state;
        const char* mode;
    } missing[] = {{0, "Výpadek dat"}, {0x11, "Test"}, {0x12, "AP"}, {0x14, "AC"}, {0x18, "Výpadek dat"}};
    for (const auto& c : missing) {
        const CQorinValueTexts t = FormatQorinValues(Values(), c.state);
        EXPECT_EQ(t.mode, QString::fromUtf8(c.mode)) << c.state;
        EXPECT_EQ(t.cosPhi, "--");
        EXPECT_EQ(t.reactiveCurrent, "--");
        EXPECT_EQ(t.harmonicBars[0], 101.0);
        EXPECT_EQ(t.stages[0], FALSE);
    }

    const struct {
        BYTE state;
        const char* mode;
    } modes[] = {{0x0F, "Ručně"}, {0x46, ""}, {0xC3, "U=0"}, {0x83, "I=0"}, {0x33, "P=0"}, {0x23, "C=0"}, {0x03, ""}};
    for (const auto& c : modes) {
        CQorinAktData v = Values();
        v.state = c.state;
        EXPECT_EQ(FormatQorinValues(v, 1).mode, QString::fromUtf8(c.mode)) << int(c.state);
    }

    CQorinAktData v = Values();
    v.harmonicCode[5] = 200; // 60 %: beyond the bars
    CQorinValueTexts t = FormatQorinValues(v, 1);
    EXPECT_EQ(t.cosPhi, "0.95");
    EXPECT_EQ(t.thd, "20.0");
    EXPECT_EQ(t.current, "1.00");
    EXPECT_EQ(t.activeCurrent, "0.90");
    EXPECT_EQ(t.reactiveCurrent, "C0.03");
    const double bars[6] = {1.0, 1.1, 1.2, 1.3, 1.4, 101.0};
    for (int i = 0; i < 6; ++i)
        EXPECT_DOUBLE_EQ(t.harmonicBars[std::size_t(i)], bars[i]) << i;
    EXPECT_EQ(t.stages[0], TRUE);
    EXPECT_EQ(t.stages[1], FALSE);
    EXPECT_EQ(t.stages[13], TRUE);
    EXPECT_EQ(t.progress, 60);
    EXPECT_EQ(t.modelIndex, 4);
    EXPECT_EQ(t.layoutModel3Or5, FALSE);

    v.ctWord = 0x8000 | 100;
    v.model = 5;
    t = FormatQorinValues(v, 1);
    EXPECT_EQ(t.current, "100");
    EXPECT_EQ(t.activeCurrent, "90.0");
    EXPECT_EQ(t.reactiveCurrent, "C3.00");
    EXPECT_EQ(t.layoutModel3Or5, TRUE);

    v.current = 999; // below 0.25 A
    v.activeCurrent = 32767;
    v.cosPhi = 127;
    t = FormatQorinValues(v, 1);
    EXPECT_EQ(t.thd, "--");
    EXPECT_EQ(t.harmonicBars[0], 101.0);
    EXPECT_EQ(t.activeCurrent, "--");
    EXPECT_EQ(t.cosPhi, "--");
}

TEST(QorinArchivDisplay, FrontPanelImage)
{
    struct Case {
        const char* what;
        std::function<void(CQorinAktData&)> set;
        int state;
        int selector;
        Cells cells;
        int decimals;
        std::uint32_t lamps; // besides the stage lamps of 0x2005
        std::uint32_t result;
    };
    const Case cases[] = {
        {"no data yet", [](CQorinAktData&) {}, 0, 1, {B, D, D, D}, 0, 0, 1},
        {"power factor", [](CQorinAktData&) {}, 1, 1, {B, 0, 9, 5}, 2, 1u << 14, 0},
        {"negative power factor", [](CQorinAktData& v) { v.cosPhi = -45; }, 1, 1, {D, 0, 4, 5}, 2, 1u << 14, 0},
        {"power factor one", [](CQorinAktData& v) { v.cosPhi = 100; }, 1, 1, {B, 1, 0, 0}, 2, 1u << 14, 0},
        {"power factor none", [](CQorinAktData& v) { v.cosPhi = 127; }, 1, 1, {B, D, D, D}, 0, 1u << 14, 0},
        {"U=0 stays on the power factor", [](CQorinAktData& v) { v.state = 0x43; }, 1, 1, {B, 21, 15, 0}, 0,
         1u << 14, 1},
        {"P=0", [](CQorinAktData& v) { v.state = 0x13; }, 1, 1, {B, 22, 15, 0}, 0, 1u << 14, 1},
        {"automatic mode word", [](CQorinAktData& v) { v.state = 0; }, 1, 1, {10, 11, 12, 13}, 0, 0, 1},
        {"AP", [](CQorinAktData& v) { v.state = 2; }, 1, 2, {B, B, 10, 22}, 0, 0, 1},
        {"AC from the data state", [](CQorinAktData&) {}, 0x14, 2, {B, B, 10, 16}, 0, 0, 1},
        {"manual mode lamp", [](CQorinAktData& v) { v.state = 0x0F; }, 1, 2, {B, 1, 0, 0}, 2,
         (1u << 15) | (1u << 20), 0},
        {"current in hundredths", [](CQorinAktData& v) { v.current = 200; }, 1, 2, {B, 0, 0, 5}, 2, 1u << 15, 0},
        {"current in whole amperes", [](CQorinAktData& v) { v.ctWord = 0x8000 | 100; }, 1, 2, {B, 1, 0, 0}, 0,
         1u << 15, 0},
        {"current beyond the cells", [](CQorinAktData& v) { v.ctWord = 0x8000 | 2000; }, 1, 2, {B, D, D, D}, 0,
         1u << 15, 0},
        {"THD", [](CQorinAktData&) {}, 1, 3, {B, B, 2, 0}, 0, 1u << 16, 0},
        {"THD of a small current", [](CQorinAktData& v) { v.current = 999; }, 1, 3, {B, D, D, D}, 0, 1u << 16, 0},
        {"negative active current", [](CQorinAktData& v) { v.activeCurrent = -400; }, 1, 21, {20, 0, 1, 0}, 2,
         (1u << 15) | (1u << 21), 0},
        {"capacitive reactive current", [](CQorinAktData&) {}, 1, 22, {16, 0, 0, 3}, 2, 1u << 15, 0},
        {"inductive reactive current", [](CQorinAktData& v) { v.reactiveCurrent = 400; }, 1, 22, {19, 0, 1, 0}, 2,
         1u << 15, 0},
        {"harmonic 5", [](CQorinAktData&) {}, 1, 36, {B, B, 1, 5}, 1, 1u << 16, 0},
        {"harmonic beyond the cells", [](CQorinAktData& v) { v.harmonicCode[0] = 200; }, 1, 31, {B, D, D, D}, 0,
         1u << 16, 0},
        {"flag lamps", [](CQorinAktData& v) { v.flags = 0x3F; }, 1, 0, {B, B, B, B}, 0,
         (1u << 17) | (1u << 18) | (1u << 21) | (1u << 22), 6},
    };
    for (const Case& c : cases) {
        CQorinAktData v = Values();
        c.set(v);
        const CControllerPanelImage image = archive::controller::FormatQorinPanel(v, c.state, c.selector);
        EXPECT_EQ(image.cells, c.cells) << c.what;
        EXPECT_EQ(image.decimals, c.decimals) << c.what;
        const std::uint32_t stages = c.state == 0 ? 0 : 0x2005;
        EXPECT_EQ(image.lamps, c.lamps | stages) << c.what;
        EXPECT_EQ(image.result, c.result) << c.what;
    }

    // Models 1 and 2 number their upper stages the other way round.
    CQorinAktData v = Values();
    v.model = 1;
    v.stageMask = 0x0041;
    EXPECT_EQ(archive::controller::FormatQorinPanel(v, 1, 0).lamps, (1u << 0) | (1u << 13));
}

TEST(QorinArchivDisplay, StoreShowsItsNewestValues)
{
    CQorinArchivData store;
    EXPECT_EQ(store.FormatValues().mode, "Výpadek dat");
    EXPECT_EQ(store.FormatStatusTexts(1).cells, (Cells{B, D, D, D}));
    store.AddMeasurementRecord(Values());
    EXPECT_EQ(store.FormatValues().cosPhi, "0.95");
    EXPECT_EQ(store.FormatStatusTexts(1).cells, (Cells{B, 0, 9, 5}));
}

} // namespace
} // namespace storetest
