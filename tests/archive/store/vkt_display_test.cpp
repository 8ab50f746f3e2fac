// What the VKT front panel and measured-values dialog are given of the
// newest measurement.
#include "vkt_archiv_support.h"

#include "archive/store/VKTDisplayValues.h"
#include "archive/store/VKTFormats.h"

#include <gtest/gtest.h>

namespace {

using namespace storetest::vkt;
using Panel = CVKTPanelValues;

constexpr WORD kAllInputs = 0x1F;     // inputs 1 to 4 with their phase values
constexpr WORD kWithHarmonics = 0xFF; // and the harmonics of both kinds

CVKTDisplaySettings Settings(int connection, float vt = 1.0f, float ct = 1.0f, float vt4 = 1.0f, float ct4 = 1.0f)
{
    CVKTDisplaySettings s;
    s.connectionType = connection;
    s.voltageRatio = vt;
    s.currentRatio = ct;
    s.voltageRatio4 = vt4;
    s.currentRatio4 = ct4;
    ChooseVoltageFormat(std::max(vt, vt4), s.voltage.format, s.voltage.multiplier);
    ChooseCurrentFormat(std::max(ct, ct4), s.current.format, s.current.multiplier);
    ChoosePowerFormat(std::max(vt, vt4) * std::max(ct, ct4), s.power.format, s.power.multiplier);
    return s;
}

Panel Screen(const CAktData& v, int screen, const CVKTDisplaySettings& s = Settings(CVKTConfig::FourPhase))
{
    return archive::vkt::PanelValues(v, 1, s, screen);
}

// ---- Panel ---------------------------------------------------------------------

TEST(VKTPanelValues, NoMeasurementOrInvalidValuesShowNoValueOnEveryDisplay)
{
    const CAktData v = MakeValues(kAllInputs);
    const Panel before = archive::vkt::PanelValues(v, 0, Settings(2), 1);
    EXPECT_EQ(before.flags, 0x8888);
    EXPECT_EQ(before.values, (std::array<float, 4>{}));

    CAktData invalid = MakeValues(kAllInputs);
    invalid.SetFaultState(1);
    const Panel p = Screen(invalid, 1);
    EXPECT_EQ(p.flags, 0x18888);
    EXPECT_EQ(p.values, (std::array<float, 4>{}));

    // Another fault still shows the values, with bit 16.
    CAktData fault = MakeValues(kAllInputs);
    fault.SetFaultState(4);
    const Panel shown = Screen(fault, 1);
    EXPECT_EQ(shown.flags, Panel::kFaultState);
    EXPECT_FLOAT_EQ(shown.values[0], 230.0f);

    // A screen the panel does not have leaves the displays alone.
    const Panel unknown = Screen(MakeValues(kAllInputs), 61);
    EXPECT_EQ(unknown.flags, 0);
    EXPECT_EQ(unknown.values, (std::array<float, 4>{}));
}

TEST(VKTPanelValues, ScreensGiveTheirQuantityScaledByTheChannelsRatios)
{
    const CAktData v = MakeValues(kWithHarmonics);
    const CVKTDisplaySettings s = Settings(CVKTConfig::FourPhase, 10.0f, 20.0f, 2.0f, 4.0f);
    const struct {
        int screen;
        std::array<float, 4> values;
    } cases[] = {
        {0, {4000.0f, 4002.5f, 4005.0f, 160.3f}},        // line voltages x 10; unbalance word x 0.01
        {1, {2300.0f, 2302.5f, 2305.0f, 461.5f}},        // ratio 4 on display 4
        {2, {100.0f, 100.004f, 100.008f, 20.0024f}},     // 5 A x 20, x 4
        {3, {200000.0f, 200200.0f, 200400.0f, 600600.0f}}, // P x 200, three-phase sum
        {7, {0.0f, 0.0f, 0.0f, 0.0f}},
        {8, {1.5f, 1.51f, 1.52f, 1.53f}},
        {19, {0.04f, 0.54f, 1.04f, 1.54f}},                // 10th voltage harmonic
        {35, {0.08f * 20, 0.1f * 20, 0.12f * 20, 0.14f * 4}}, // fundamental current
        {60, {0.0f, 50.0f, 0.0f, 21.5f}},
    };
    for (const auto& c : cases) {
        const Panel p = Screen(v, c.screen, s);
        for (std::size_t d = 0; d < 4; ++d)
            EXPECT_NEAR(p.values[d], c.values[d], 1e-3 * std::max(1.0f, std::fabs(c.values[d])))
                << "screen " << c.screen << " display " << d + 1;
    }
    EXPECT_EQ(Screen(v, 60, s).flags, 0x0404);
    EXPECT_EQ(Screen(v, 19, s).flags, 0);
}

TEST(VKTPanelValues, ConnectionTypeDecidesWhichDisplaysExist)
{
    const CAktData v = MakeValues(kAllInputs);
    const struct {
        int connection;
        int screen;
        int flags;
    } cases[] = {
        {CVKTConfig::Aron, 1, 0x4444},     // no phase voltages at all
        {CVKTConfig::Aron, 3, 0x0444},     // only the three-phase power
        {CVKTConfig::Aron, 2, 0x4040},     // no current of input 2 or 4
        {CVKTConfig::Single, 0, 0x4444},   // no line voltages, no unbalance
        {CVKTConfig::TwoPhase, 0, 0x4440}, // U1,2 only, no unbalance
        {CVKTConfig::TwoPhase, 3, 0x0400}, // no phase 3; the total of phases 1 and 2
        {CVKTConfig::Single, 3, 0x4440},   // phase 1 and no total
        {CVKTConfig::Star, 2, 0x4000},     // input 4 only with four phases
    };
    for (const auto& c : cases)
        EXPECT_EQ(Screen(v, c.screen, Settings(c.connection)).flags, c.flags)
            << "connection " << c.connection << " screen " << c.screen;

    const Panel aron = Screen(v, 3, Settings(CVKTConfig::Aron, 10.0f, 20.0f));
    EXPECT_FLOAT_EQ(aron.values[3], (1000.0f + 1002.0f) * 200.0f); // P1 + P3

    // An input the record does not hold has no value on its display.
    EXPECT_EQ(Screen(MakeValues(0x17), 1).flags, 0x4000);
}

TEST(VKTPanelValues, OverloadAndZeroFlags)
{
    CAktData v = MakeValues(kWithHarmonics);
    v.SetStatusA(0x01 | 0x20); // voltage 1 and current 2 overloaded
    v.SetStatusB(0x04);        // voltage 3 zeroed
    v.GetPhase(3)->thdI = 0xFFFF;
    const CVKTDisplaySettings fourPhases = Settings(CVKTConfig::FourPhase);
    const struct {
        int screen;
        int flags;
    } cases[] = {
        {0, 0x8101},  // U1,2 and U3,1 touch voltage 1; no unbalance beside it
        {1, 0x0201},  // U1 still shown; U3 zero
        {2, 0x0010},  // I2 shown with its overload
        {3, 0x1211},  // phase 3 zero; the total marked overloaded
        {6, 0x8211},  // no three-phase factor when a phase in use is overloaded
        {7, 0x0888},  // angles: overloaded or zeroed phases have none
        {8, 0x0808},  // THD U of overloaded or zeroed voltages
        {9, 0x8080},  // THD I: overload of input 2, no value on input 4
        {12, 0x0808}, // harmonics as THD
    };
    for (const auto& c : cases)
        EXPECT_EQ(Screen(v, c.screen, fourPhases).flags, c.flags) << "screen " << c.screen;
    EXPECT_EQ(Screen(v, 1).values[2], 0.0f);
    EXPECT_FLOAT_EQ(Screen(v, 1).values[0], 230.0f);
}

TEST(VKTPanelValues, ThreePhasePowerFactorIsAtMostOne)
{
    CAktData v = MakeValues(kAllInputs);
    for (int i = 0; i < 3; ++i)
        v.GetPhase(i)->activePower = 5000.0f; // above U x I = 1150 VA
    const Panel p = Screen(v, 6, Settings(CVKTConfig::Star));
    EXPECT_EQ(p.values[3], 1.0f);
    EXPECT_EQ(p.values[0], 1.0f);
    EXPECT_EQ(p.flags, 0);
}

// ---- Dialog --------------------------------------------------------------------

constexpr std::array<bool, 4> kAllRows{true, true, true, true};

TEST(VKTValueTexts, NoMeasurementShowsNothing)
{
    CAktData invalid = MakeValues(kAllInputs);
    invalid.SetFaultState(2);
    for (const auto& [values, newData] : {std::pair{MakeValues(kAllInputs), 0}, std::pair{invalid, 1}}) {
        const CVKTValueTexts t = archive::vkt::FormatValues(values, newData, Settings(5), kAllRows, 0);
        EXPECT_FALSE(t.hasValues);
        EXPECT_EQ(t.u, (std::array<QString, 4>{}));
        EXPECT_EQ(t.frequency, QString());
    }
}

TEST(VKTValueTexts, ChannelsScaledByTheirRatiosAndTheLiveMultipliers)
{
    const CAktData v = MakeValues(kAllInputs);
    // Voltage 100 (kV, "%0.4f"), current 20 ("%0.3f"), power 2000 (MW, "%0.5f").
    const CVKTValueTexts t =
        archive::vkt::FormatValues(v, 1, Settings(CVKTConfig::FourPhase, 100.0f, 20.0f, 2.0f, 4.0f), kAllRows, 0);
    EXPECT_TRUE(t.hasValues);
    EXPECT_EQ(t.valuesKind, QStringLiteral("aktuální"));
    EXPECT_EQ(t.u, (std::array<QString, 4>{"23.0000", "23.0250", "23.0500", "0.4615"}));
    EXPECT_EQ(t.uLine, (std::array<QString, 4>{"40.0000", "40.0250", "40.0500", "-N-"}));
    EXPECT_EQ(t.i, (std::array<QString, 4>{"100.000", "100.004", "100.008", "20.002"}));
    EXPECT_EQ(t.p[0], "2.00000"); // 1000 W x 2000
    EXPECT_EQ(t.p[3], "0.00802"); // 1003 W x 8
    EXPECT_EQ(t.cosPhi[0], "L+1.00");
    EXPECT_EQ(t.thdU[1], "1.5");
    EXPECT_EQ(t.thdI[2], "8.0");
    EXPECT_EQ(t.unbalance, "160.3"); // the fourth input's word with four phases
    EXPECT_EQ(t.frequency, "50.00");
    EXPECT_EQ(t.temperature, "22"); // 21.5 with no decimals
    EXPECT_EQ(t.voltageMultiplier, 1000);
    EXPECT_EQ(t.powerMultiplier, 1000000);
}

TEST(VKTValueTexts, RowsMarksAndMissingChannels)
{
    CAktData v = MakeValues(kAllInputs);
    v.SetStatusA(0x04); // voltage 3 overloaded
    v.SetStatusB(0x11); // input 1 zeroed
    v.SetRelayState(0x19);
    const std::array<bool, 4> rows{true, true, true, false};
    const CVKTValueTexts t = archive::vkt::FormatValues(v, 1, Settings(CVKTConfig::Aron), rows, 0);
    EXPECT_EQ(t.u[0], "0.0");
    EXPECT_EQ(t.u[2], "E230.5");
    EXPECT_EQ(t.u[3], "-N-"); // the dialog has no row for input 4
    EXPECT_EQ(t.i[0], "0.0");
    EXPECT_EQ(t.i[1], "-N-");
    EXPECT_EQ(t.p[0], "-N-"); // no phase powers with Aron
    EXPECT_EQ(t.unbalance, "-N-");
    EXPECT_EQ(t.outputState, "1 / 1 1");
}

TEST(VKTValueTexts, UnbalanceText)
{
    CAktData v = MakeValues(kAllInputs);
    const auto unbalance = [&v](int connection) {
        return archive::vkt::FormatValues(v, 1, Settings(connection), kAllRows, 0).unbalance;
    };
    EXPECT_EQ(unbalance(CVKTConfig::FourPhase), "160.3");
    EXPECT_EQ(unbalance(CVKTConfig::Star), "0.1"); // from the three line voltages
    EXPECT_EQ(unbalance(CVKTConfig::TwoPhase), "-N-");
    v.SetStatusA(0x04);
    EXPECT_EQ(unbalance(CVKTConfig::Star), "--");
}

TEST(VKTValueTexts, HarmonicBarsWithoutValues)
{
    CAktData v = MakeValues(kWithHarmonics);
    v.SetStatusA(0x01); // voltage 1 overloaded
    for (WORD& h : v.GetOddHarmonics(4 + 1)->values)
        h = 0xFFFF; // no current harmonics stored for input 2
    const CVKTValueTexts t = archive::vkt::FormatValues(v, 1, Settings(CVKTConfig::Star, 1.0f, 10.0f), kAllRows, 0);
    EXPECT_EQ(t.voltageOdd[0][0], -0.99f);
    EXPECT_FLOAT_EQ(t.voltageOdd[1][1], 1.01f);
    EXPECT_FLOAT_EQ(t.voltageEven[2][4], 1.04f);
    EXPECT_EQ(t.currentOdd[1][0], -1000000.0f);
    EXPECT_FLOAT_EQ(t.currentOdd[0][0], 400 * 0.0002f * 10);
    EXPECT_EQ(t.voltageOdd[3][0], -1000000.0f); // no input 4 with Star
    EXPECT_EQ(t.currentOdd[3][0], -10000000.0f);

    const CVKTValueTexts none =
        archive::vkt::FormatValues(MakeValues(kAllInputs), 1, Settings(CVKTConfig::Star), kAllRows, 0);
    EXPECT_EQ(none.voltageEven[0][0], -1000000.0f);
    EXPECT_EQ(none.currentEven[0][0], -10000000.0f);
}

TEST(VKTValueTexts, StoreGivesItsRatiosAndNewestValues)
{
    CVKTArchivData store;
    store.AddConfigRecord(MakeConfig(100, 50, CVKTConfig::FourPhase, 200, 100));
    store.AddMeasurementRecord(MakeValues(kAllInputs));
    EXPECT_FLOAT_EQ(archive::vkt::GetPanelValues(store, 1).values[0], 23000.0f);
    EXPECT_FLOAT_EQ(archive::vkt::GetPanelValues(store, 1).values[3], 230.75f * 200);
    const CVKTValueTexts t = archive::vkt::FillValuesDialog(store, kAllRows, 0);
    EXPECT_EQ(t.connectionType, CVKTConfig::FourPhase);
    EXPECT_EQ(t.i[0], "250.00");
}

} // namespace
