// What the VK and VKR values dialogs and front panels are given of the
// newest measurement.
#include "VKArchivTestSupport.h"

#include "archive/store/VKDisplayValues.h"
#include "archive/store/VKRDisplayValues.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace vktest;

// Ratios 1: V "%0.1f", A "%0.3f", W "%0.0f", all multipliers 1.
CVKDisplaySettings Settings(double vt = 1.0, double ct = 1.0, int mode2 = 0)
{
    CVKDisplaySettings s;
    s.scales.TakeVoltageRatio(float(vt));
    s.scales.TakeCurrentRatio(float(ct));
    s.connectionMode2 = mode2;
    return s;
}

// Phase powers of 320000 codes: 1 W, 1 var, 1 VA each at ratios 1.
CVKAktData PowerValues(std::int32_t p1, std::int32_t p2, std::int32_t p3)
{
    CVKAktData v = VKValues(0);
    v.SetP(0, p1);
    v.SetP(1, p2);
    v.SetP(2, p3);
    for (int k = 0; k < 3; ++k) {
        v.SetQ(k, 0);
        v.SetS(k, 320000 * 100);
    }
    return v;
}

// ---- VK ------------------------------------------------------------------------

TEST(VKDisplayValues, BeforeTheFirstMeasurementNothingReadsAsANumber)
{
    const CVKValueTexts t = archive::vk::FormatValues(VKValues(3), 0, Settings());
    EXPECT_FALSE(t.hasValues);
    for (const auto* texts : {&t.u, &t.pf, &t.cosPhi, &t.uLine, &t.thdU, &t.p, &t.q, &t.s, &t.i, &t.thdI})
        for (const QString& text : *texts)
            EXPECT_EQ(text, "--");
    for (const QString& text : {t.frequency, t.temperature, t.p3, t.q3, t.s3, t.pf3})
        EXPECT_EQ(text, "--");
    for (const auto* bars : {&t.voltageOdd, &t.voltageEven, &t.currentOdd, &t.currentEven})
        for (float bar : *bars)
            EXPECT_EQ(bar, -1.0f);

    // Nothing to lay out or caption for either.
    CVKValuesLayout layout;
    EXPECT_FALSE(layout.Take(t));

    for (int kind = 0; kind <= 11; ++kind) {
        const CVKPanelValues panel = archive::vk::PanelValues(VKValues(3), 0, Settings(), kind);
        EXPECT_EQ(panel.out, (std::array<float, 3>{-1e12f, -1e12f, -1e12f})) << kind;
        EXPECT_EQ(panel.bits, (std::array<int, 2>{0, 0})) << kind;
    }
}

TEST(VKDisplayValues, EachPanelQuantityHasItsOwnNoValueMarker)
{
    CVKAktData none; // every code is a no-value code
    CVKDisplaySettings s = Settings();
    s.variantBit0 = 1;
    const struct {
        int kind;
        std::array<float, 3> out;
    } cases[] = {
        {0, {-1e17f, -1e17f, -1e17f}}, {1, {-1e17f, -1e17f, -1e17f}}, {2, {-2.0f, -2.0f, -2.0f}},
        {3, {-1.0f, -1.0f, -1.0f}},    {4, {-2.0f, -2.0f, -2.0f}},    {5, {2.0f, 100.0f, 100000.0f}},
        {6, {-1e12f, -1e12f, -1e12f}}, {7, {-1e12f, -1e12f, -1e12f}}, {8, {-1e12f, -1e12f, -1e12f}},
        {9, {-1e14f, -1e12f, -1e12f}}, {10, {-1.0f, -1.0f, -1.0f}},   {11, {-1.0f, -1.0f, -1.0f}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(archive::vk::PanelValues(none, 1, s, c.kind).out, c.out) << "kind " << c.kind;

    const CVKValueTexts t = archive::vk::FormatValues(none, 1, s);
    EXPECT_TRUE(t.hasValues);
    for (const auto* texts : {&t.u, &t.pf, &t.cosPhi, &t.uLine, &t.thdU, &t.p, &t.q, &t.s, &t.i, &t.thdI})
        EXPECT_EQ(*texts, (std::array<QString, 3>{"--", "--", "--"}));
    for (const QString& text : {t.frequency, t.temperature, t.p3, t.q3, t.s3, t.pf3})
        EXPECT_EQ(text, "--");
}

TEST(VKDisplayValues, DialogShowsMagnitudesThePanelKeepsSigns)
{
    CVKAktData v = VKValues(0);
    v.SetI(1, -3200);
    v.SetPF(1, -90);
    v.SetCos(1, -50);
    const CVKValueTexts t = archive::vk::FormatValues(v, 1, Settings());
    EXPECT_EQ(t.i[1], "1.000");
    EXPECT_EQ(t.pf[1], "0.90");
    EXPECT_EQ(t.cosPhi[1], "-0.50");
    EXPECT_EQ(archive::vk::PanelValues(v, 1, Settings(), 1).out[1], -1.0f);
    EXPECT_FLOAT_EQ(archive::vk::PanelValues(v, 1, Settings(), 2).out[1], -0.9f);
    EXPECT_FLOAT_EQ(archive::vk::PanelValues(v, 1, Settings(), 4).out[1], -0.5f);
}

TEST(VKDisplayValues, RatiosScaleTheValuesAndTheMultipliersDivideTheTexts)
{
    CVKAktData v = VKValues(0);
    v.SetU(0, 2300);        // 230 V secondary
    v.SetULine(0, 4000);    // 400 V
    v.SetI(0, 16000);       // 5 A
    v.SetP(0, 320000 * 1000); // 1 kW secondary
    // VT 100 (kV, "%0.3f"), CT 400 (A, "%0.1f"), power 40000 (MW, "%0.3f").
    const CVKDisplaySettings s = Settings(100, 400);
    const CVKValueTexts t = archive::vk::FormatValues(v, 1, s);
    EXPECT_EQ(t.u[0], "23.000");
    EXPECT_EQ(t.uLine[0], "40.000");
    EXPECT_EQ(t.i[0], "2000.0");
    EXPECT_EQ(t.p[0], "40.000");
    EXPECT_EQ(t.voltageMultiplier, 1000);
    EXPECT_EQ(t.powerMultiplier, 1000000);

    // The panel gets volts, amperes and watts.
    EXPECT_FLOAT_EQ(archive::vk::PanelValues(v, 1, s, 0).out[0], 23000.0f);
    EXPECT_FLOAT_EQ(archive::vk::PanelValues(v, 1, s, 3).out[0], 40000.0f);
    EXPECT_FLOAT_EQ(archive::vk::PanelValues(v, 1, s, 1).out[0], 2000.0f);
    EXPECT_FLOAT_EQ(archive::vk::PanelValues(v, 1, s, 6).out[0], 4e7f);
}

TEST(VKDisplayValues, ConnectionMode2LeavesOutThePhasePowersAndPhase2OfTheTotals)
{
    const CVKAktData v = PowerValues(320000 * 10, CVKAktData::kNoPower, 320000 * 30);
    const CVKValueTexts t = archive::vk::FormatValues(v, 1, Settings(1, 1, 1));
    EXPECT_EQ(t.p, (std::array<QString, 3>{"--", "--", "--"}));
    EXPECT_EQ(t.q, (std::array<QString, 3>{"--", "--", "--"}));
    EXPECT_EQ(t.s, (std::array<QString, 3>{"--", "--", "--"}));
    EXPECT_EQ(t.p3, "40");
    EXPECT_EQ(t.q3, "0");
    EXPECT_EQ(t.s3, "40");
    EXPECT_EQ(t.pf3, "1.00");
    const CVKPanelValues panel = archive::vk::PanelValues(v, 1, Settings(1, 1, 1), 9);
    EXPECT_EQ(panel.connectionMode2, 1);
    EXPECT_FLOAT_EQ(panel.out[0], 40.0f);

    // Without mode 2 a missing P2 leaves no total.
    EXPECT_EQ(archive::vk::FormatValues(v, 1, Settings()).p3, "--");
    EXPECT_EQ(archive::vk::PanelValues(v, 1, Settings(), 9).out[0], -1e14f);
}

TEST(VKDisplayValues, TotalsLayoutHidesPhasePAndThreePhaseFactorButNotOnThePanel)
{
    CVKAktData v = PowerValues(320000 * 10, 320000 * 20, 320000 * 30);
    v.SetPowerLayout(0x80);
    const CVKValueTexts t = archive::vk::FormatValues(v, 1, Settings());
    EXPECT_EQ(t.p, (std::array<QString, 3>{"--", "--", "--"}));
    EXPECT_EQ(t.q[0], "0");
    EXPECT_EQ(t.p3, "10"); // the instrument's own total in the first slot
    EXPECT_EQ(t.pf3, "--");

    // The panel sums the slots whatever the layout.
    EXPECT_FLOAT_EQ(archive::vk::PanelValues(v, 1, Settings(), 9).out[0], 60.0f);
    EXPECT_FLOAT_EQ(archive::vk::PanelValues(v, 1, Settings(), 5).out[0], 1.0f);
}

TEST(VKDisplayValues, PanelPassesFlagBits0And1)
{
    CVKAktData v = VKValues(0);
    const struct {
        BYTE flags;
        std::array<int, 2> bits;
    } cases[] = {{0x00, {0, 0}}, {0x01, {1, 0}}, {0x02, {0, 2}}, {0x83, {1, 2}}};
    for (const auto& c : cases) {
        v.SetPowerLayout(c.flags);
        EXPECT_EQ(archive::vk::PanelValues(v, 1, Settings(), 0).bits, c.bits) << int(c.flags);
    }
}

TEST(VKDisplayValues, TemperatureNeedsVariantBit0)
{
    CVKAktData v = VKValues(0);
    v.SetTemperatureCode(100);
    CVKDisplaySettings s = Settings();
    s.temperatureSlope = 0.5f;
    s.temperatureOffset = -10.0f;
    EXPECT_EQ(archive::vk::FormatValues(v, 1, s).temperature, "--");
    EXPECT_EQ(archive::vk::PanelValues(v, 1, s, 5).out[2], 100000.0f);
    s.variantBit0 = 1;
    EXPECT_EQ(archive::vk::FormatValues(v, 1, s).temperature, "40.0");
    EXPECT_FLOAT_EQ(archive::vk::PanelValues(v, 1, s, 5).out[2], 40.0f);
}

TEST(VKDisplayValues, HarmonicEntriesGoToTheOddAndEvenBarsOfTheirPhase)
{
    CVKAktData v = VKValues(0);
    v.GetVoltageHarmonics().SetHarmonicCode(1, 5, 30); // 3.0 %
    v.GetVoltageHarmonics().SetHarmonicCode(1, 4, 20); // 2.0 %
    v.GetCurrentHarmonics().SetHarmonicCode(2, 23, 127); // no value
    const CVKValueTexts t = archive::vk::FormatValues(v, 1, Settings());
    EXPECT_FLOAT_EQ(t.voltageOdd[12 + 2], 3.0f);
    EXPECT_FLOAT_EQ(t.voltageEven[12 + 2], 2.0f);
    EXPECT_EQ(t.currentOdd[24 + 11], -1.0f);
}

TEST(VKDisplayValues, LayoutIsBuiltAgainOnlyWhenItsFlagsChange)
{
    CVKDisplaySettings s = Settings();
    CVKValuesLayout layout;
    EXPECT_TRUE(layout.Take(archive::vk::FormatValues(VKValues(0), 1, s)));
    EXPECT_FALSE(layout.Take(archive::vk::FormatValues(VKValues(1), 1, s)));
    s.connectionMode2 = 1;
    EXPECT_TRUE(layout.Take(archive::vk::FormatValues(VKValues(1), 1, s)));
    s.variantBit0 = 1;
    EXPECT_TRUE(layout.Take(archive::vk::FormatValues(VKValues(1), 1, s)));
    EXPECT_FALSE(layout.Take(archive::vk::FormatValues(VKValues(1), 1, s)));
}

TEST(VKDisplayValues, CaptionsChangeOnceWithTheirMultiplier)
{
    CValuesDialogCaptions captions(kVKValuesDialogCaptionIds);
    const std::vector<CValuesDialogCaption> first = captions.Update(1, 1, 1);
    EXPECT_EQ(first, (std::vector<CValuesDialogCaption>{{1281, "P[W]"},
                                                        {1282, "Q[var]"},
                                                        {1283, "S[VA]"},
                                                        {1159, "U L-N[V]"},
                                                        {1160, "U L-L[V]"},
                                                        {1161, "I[A]"}}));
    EXPECT_TRUE(captions.Update(1, 1, 1).empty());
    EXPECT_EQ(captions.Update(1, 1, 1000),
              (std::vector<CValuesDialogCaption>{{1281, "P[kW]"}, {1282, "Q[kvar]"}, {1283, "S[kVA]"}}));
    EXPECT_TRUE(captions.Update(1, 1, 1000).empty());
    EXPECT_EQ(captions.Update(1000, 1000, 1000000),
              (std::vector<CValuesDialogCaption>{{1281, "P[MW]"},
                                                 {1282, "Q[Mvar]"},
                                                 {1283, "S[MVA]"},
                                                 {1159, "U L-N[kV]"},
                                                 {1160, "U L-L[kV]"},
                                                 {1161, "I[kA]"}}));
}

TEST(VKDisplayValues, StoreGivesItsNewestValuesWithItsSettings)
{
    CVKArchivData store;
    EXPECT_EQ(archive::vk::FillValuesDialog(store).u[0], "--");
    store.AddConfigRecord(VKConfig(10000, 400, CVKConfig::Aron)); // VT 100, CT 400, mode 2
    CVKAktData v = VKValues(0);
    v.SetU(0, 2300);
    store.AddMeasurementRecord(v);
    const CVKValueTexts t = archive::vk::FillValuesDialog(store);
    EXPECT_EQ(t.u[0], "23.000");
    EXPECT_EQ(t.connectionMode2, 1);
    EXPECT_EQ(t.p[0], "--");
    const CVKPanelValues panel = archive::vk::GetPanelValues(store, 0);
    EXPECT_FLOAT_EQ(panel.out[0], 23000.0f);
    EXPECT_EQ(panel.connectionMode2, 1);
}

// ---- VKR -----------------------------------------------------------------------

CVKRDisplaySettings VKRSettings(int connectionType)
{
    CVKRDisplaySettings s;
    s.connectionType = connectionType;
    return s;
}

TEST(VKRDisplayValues, InvalidOrNoMeasurementShowsNoNumber)
{
    CVKRAktData invalid = VKRValues(1);
    invalid.SetStatus(CVKRAktData::EepromChecksumError);
    for (const auto& [values, newData] : {std::pair{VKRValues(1), 0}, std::pair{invalid, 1}}) {
        const CVKRValueTexts t = archive::vkr::FormatValues(values, newData, VKRSettings(2));
        EXPECT_FALSE(t.hasValues);
        for (const auto* texts : {&t.u, &t.i, &t.pf, &t.cosPhi, &t.uLine, &t.p, &t.q, &t.s, &t.thdU, &t.thdI,
                                  &t.thdULine})
            EXPECT_EQ(*texts, (std::array<QString, 3>{"--", "--", "--"}));
        for (const QString& text : {t.frequency, t.temperature, t.pf3, t.p3, t.q3, t.s3})
            EXPECT_EQ(text, "--");
        for (int kind = 1; kind <= 15; ++kind) {
            const CVKRPanelValues panel = archive::vkr::PanelValues(values, newData, 2, kind);
            EXPECT_EQ(panel.out, (std::array<float, 3>{-1e12f, -1e12f, -1e12f})) << kind;
            EXPECT_EQ(panel.connectionType, 2);
        }
    }
}

TEST(VKRDisplayValues, ConnectionTypeHidesWhatTheWiringDoesNotMeasure)
{
    const CVKRAktData v = VKRValues(0);
    const CVKRValueTexts aron = archive::vkr::FormatValues(v, 1, VKRSettings(CVKRConfig::Aron));
    EXPECT_EQ(aron.i, (std::array<QString, 3>{"5.000", "-N-", "7.000"}));
    for (const auto* texts : {&aron.pf, &aron.cosPhi, &aron.p, &aron.q, &aron.s})
        EXPECT_EQ(*texts, (std::array<QString, 3>{"-N-", "-N-", "-N-"}));
    EXPECT_EQ(aron.p3, "4000"); // P1 + P3
    const CVKRValueTexts two = archive::vkr::FormatValues(v, 1, VKRSettings(CVKRConfig::TwoPhases));
    EXPECT_EQ(two.uLine, (std::array<QString, 3>{"400.0", "-N-", "-N-"}));
    EXPECT_EQ(two.p3, "3000"); // P1 + P2
    const CVKRValueTexts one = archive::vkr::FormatValues(v, 1, VKRSettings(CVKRConfig::OnePhase));
    EXPECT_EQ(one.p3, "-N-");
    EXPECT_EQ(one.u, (std::array<QString, 3>{"230.0", "-N-", "-N-"}));
}

TEST(VKRDisplayValues, NegativeQuantitiesShowTheirMagnitudeAfterE)
{
    CVKRAktData v = VKRValues(0);
    v.SetI(1, -6.0f);
    v.SetUPhase(2, -232.0f);
    v.SetULine(0, -400.0f);
    const CVKRValueTexts t = archive::vkr::FormatValues(v, 1, VKRSettings(CVKRConfig::Star));
    EXPECT_EQ(t.i, (std::array<QString, 3>{"5.000", "E6.000", "7.000"}));
    EXPECT_EQ(t.u[2], "E232.0");
    EXPECT_EQ(t.uLine[0], "E400.0");
    EXPECT_EQ(t.p, (std::array<QString, 3>{"1000", "E2000", "3000"})); // by the current's sign
    EXPECT_EQ(t.q[1], "E200");
    EXPECT_EQ(t.s, (std::array<QString, 3>{"1150", "E1386", "E1624"}));
}

TEST(VKRDisplayValues, PanelSignFlagsAndMissingValues)
{
    CVKRAktData v = VKRValues(0);
    v.SetI(1, -6.0f);
    v.SetThdU(0, CVKRAktData::kNoValue16);
    v.SetTemperature(CVKRAktData::kNoValue16);
    const int star = CVKRConfig::Star;
    const CVKRPanelValues current = archive::vkr::PanelValues(v, 1, star, 3);
    EXPECT_EQ(current.out, (std::array<float, 3>{5.0f, 6.0f, 7.0f}));
    EXPECT_EQ(current.connectionType, star | (1 << 29));
    EXPECT_EQ(archive::vkr::PanelValues(v, 1, star, 4).connectionType, star | (1 << 29));
    EXPECT_EQ(archive::vkr::PanelValues(v, 1, star, 5).connectionType, star | (1 << 29));
    EXPECT_EQ(archive::vkr::PanelValues(v, 1, CVKRConfig::Aron, 5).connectionType, CVKRConfig::Aron);
    EXPECT_EQ(archive::vkr::PanelValues(v, 1, star, 12).out[0], 1e14f);
    // A temperature without a value is no temperature of -327.68 degrees.
    EXPECT_EQ(archive::vkr::PanelValues(v, 1, star, 15).out[1], 1e14f);
    EXPECT_FLOAT_EQ(archive::vkr::PanelValues(v, 1, star, 14).out[1], 49.98f);

    CVKRAktData idle = VKRValues(0);
    for (int k = 0; k < 3; ++k)
        idle.SetI(k, 0.0f);
    EXPECT_EQ(archive::vkr::PanelValues(idle, 1, star, 9).out[1], 1e14f);
    EXPECT_EQ(archive::vkr::PanelValues(idle, 1, star, 8).out, (std::array<float, 3>{1e14f, 1e14f, 1e14f}));
}

TEST(VKRDisplayValues, StoreGivesItsConnectionTypeAndFormats)
{
    CVKRArchivData store;
    store.AddConfigRecord(VKRConfig(100, 1000, CVKRConfig::Aron));
    store.AddMeasurementRecord(VKRValues(0));
    const CVKRValueTexts t = archive::vkr::FillValuesDialog(store);
    EXPECT_EQ(t.connectionType, CVKRConfig::Aron);
    EXPECT_EQ(t.i[1], "-N-");
    EXPECT_EQ(archive::vkr::GetPanelValues(store, 2).connectionType, CVKRConfig::Aron);
}

} // namespace
