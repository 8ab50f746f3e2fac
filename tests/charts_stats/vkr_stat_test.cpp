#include "ArchiveFixture.h"

#include "archive/store/VKRArchivData.h"
#include "charts_stats/VKFamilyStatEngine.h"
#include "charts_stats/VKRStatistics.h"

#include <cmath>

namespace statstest {
namespace {

using charts::stats::ComputeVKRStatistics;
using platform::CTime;
using platform::CTimeSpan;
constexpr int kPresent = vkstat::kPresent;
constexpr int kMissing = vkstat::kNoValue;
constexpr int kNotApplicable = vkstat::kNotApplicable;

CVKRConfig Config(int connection, DWORD ct = 100)
{
    CVKRConfig c;
    c.SetMode(BYTE(connection << 4));
    c.SetCtPrimary(ct);
    return c;
}

// A balanced load: 230 V, 400 V between lines, 10 A, 2 kW and 0.5 kvar a
// phase, 2 % voltage distortion; phase 3's current distortion is unknown.
CVKRAktData Balanced()
{
    CVKRAktData v;
    for (int i = 0; i < 3; ++i) {
        v.SetUPhase(i, 230.0f);
        v.SetULine(i, 400.0f);
        v.SetI(i, 10.0f);
        v.SetP(i, 2000.0f);
        v.SetQ(i, 500.0f);
        v.SetThdU(i, 200);
        v.SetThdULine(i, 150);
        v.SetThdI(i, 500);
        v.SetAngle(i, 2450); // cos 0.245 rad = 0.970
    }
    v.SetThdI(2, CVKRAktData::kNoValue16);
    return v;
}

class VKRStatTest : public ArchiveFixture {
protected:
    // Ten minutes of the values every 60 s from 10:00 after settings of
    // `first`; then, from 10:10, ten minutes after settings of `second`.
    std::vector<CVKRStatResult> Run(int first, int second, const CVKRAktData& values, CVKRStatSettings& settings)
    {
        CVKRArchivData reader;
        WriteTwentyMinutes(reader, QStringLiteral(".vkr"), Config(first), Config(second),
                           [&values](int) { return values; });
        return ComputeVKRStatistics(reader, settings);
    }
};

TEST_F(VKRStatTest, ThreePhaseArchiveEndToEnd)
{
    CVKRStatSettings settings;
    const auto results = Run(2, 2, Balanced(), settings);
    EXPECT_EQ(settings.filled, 1);
    EXPECT_FLOAT_EQ(settings.nominalVoltage, 230.0f); // no voltage transformer set
    EXPECT_FLOAT_EQ(settings.nominalCurrent, 100.0f);
    EXPECT_FLOAT_EQ(settings.nominalPower, 3.0f * 230.0f * 100.0f);
    ASSERT_EQ(results.size(), 1u);
    const CVKRStatResult& r = results[0];
    EXPECT_EQ(r.settings, &settings);

    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(r.voltages[k].averageState, kPresent) << k;
        EXPECT_NEAR(r.voltages[k].average, k < 3 ? 230.0f : 400.0f, 1e-3) << k;
        EXPECT_EQ(r.voltages[k].windowState, kPresent) << k;
        EXPECT_FLOAT_EQ(r.voltages[k].above115, 0.0f);
        EXPECT_EQ(r.voltageThd[k].averageState, kPresent) << k;
        EXPECT_NEAR(r.voltageThd[k].average, k < 3 ? 2.0f : 1.5f, 1e-4) << k;
    }
    EXPECT_NEAR(r.currents[0].average, 10.0f, 1e-4);
    EXPECT_EQ(r.currentThd[0].averageState, kPresent);
    EXPECT_EQ(r.currentThd[2].averageState, kMissing);

    using E = charts::stats::CVKFamilyStatEngine;
    EXPECT_EQ(r.powers[4 * E::kPImport + 0].averageState, kPresent);
    EXPECT_NEAR(r.powers[4 * E::kPImport + 0].average, 2000.0f, 0.01);
    EXPECT_EQ(r.powers[4 * E::kPExport + 0].averageState, kMissing);
    EXPECT_NEAR(r.powers[4 * E::kPImport + E::kSum].average, 6000.0f, 0.1);
    EXPECT_NEAR(r.powers[4 * E::kS + 0].average, 2300.0f, 0.1);
    EXPECT_NEAR(r.powers[4 * E::kS + E::kSum].average, 6900.0f, 0.1);
    // Nineteen intervals of 60 s after the first record.
    EXPECT_EQ(r.energies[4 * E::kPImport + 0].state, kPresent);
    EXPECT_NEAR(r.energies[4 * E::kPImport + 0].value, 2000.0f * 19 * 60 / 3600, 0.1);
    EXPECT_EQ(r.energies[4 * E::kPExport + 0].state, kMissing);

    EXPECT_EQ(r.powerFactors[0].averageState, kPresent);
    EXPECT_NEAR(r.powerFactors[0].average, 2000.0f / 2300.0f, 1e-4);
    EXPECT_FLOAT_EQ(r.powerFactors[0].classShare, 100.0f);
    EXPECT_EQ(r.powerFactors[4].worstState, kMissing);
    EXPECT_NEAR(r.powerFactors[0].worst, 2000.0 / std::sqrt(2000.0 * 2000 + 500 * 500), 1e-4);
    EXPECT_EQ(r.powerFactors[0].windowState, kPresent);
    EXPECT_EQ(r.displacement[0].state[0], kPresent);
    EXPECT_NEAR(r.displacement[0].worst[0], std::cos(0.245), 1e-4);
    EXPECT_EQ(r.unbalance.averageState, kPresent);
    EXPECT_NEAR(r.unbalance.average, 0.0f, 1e-3);
    EXPECT_EQ(r.tail.intervalText, QStringLiteral("60 [s]"));
}

TEST_F(VKRStatTest, ConnectionModesDecideWhatFills)
{
    using E = charts::stats::CVKFamilyStatEngine;
    // A change of connection splits the window; the second segment follows
    // the new connection.
    struct Case {
        int mode;
        std::array<int, 6> voltage;
        std::array<int, 3> current;
        int phase2Power;
        int sumPower;
        float sumP;
    };
    const Case cases[] = {
        {0, {kPresent, kNotApplicable, kNotApplicable, kNotApplicable, kNotApplicable, kNotApplicable},
         {kPresent, kNotApplicable, kNotApplicable}, kNotApplicable, kNotApplicable, 0.0f},
        {1, {kPresent, kPresent, kNotApplicable, kPresent, kNotApplicable, kNotApplicable},
         {kPresent, kPresent, kNotApplicable}, kPresent, kPresent, 4000.0f},
        {4, {kPresent, kPresent, kPresent, kPresent, kPresent, kPresent}, {kPresent, kNotApplicable, kPresent},
         kNotApplicable, kPresent, 4000.0f},
    };
    for (const Case& c : cases) {
        CVKRStatSettings settings;
        const auto results = Run(2, c.mode, Balanced(), settings);
        ASSERT_EQ(results.size(), 2u) << c.mode;
        EXPECT_EQ(results[0].tail.endText, QStringLiteral("10:09:50 10.03.2024"));
        const CVKRStatResult& r = results[1];
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(r.voltages[k].averageState, c.voltage[k]) << c.mode << " voltage " << k;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(r.currents[k].averageState, c.current[k]) << c.mode << " current " << k;
            EXPECT_EQ(r.currentThd[k].averageState == kNotApplicable, c.current[k] == kNotApplicable) << c.mode;
        }
        EXPECT_EQ(r.powers[4 * E::kPImport + 1].averageState, c.phase2Power) << c.mode;
        // A phase that is not measured has no power factor or energy either.
        EXPECT_EQ(r.powerFactors[1].averageState == kNotApplicable, c.phase2Power == kNotApplicable) << c.mode;
        EXPECT_EQ(r.energies[4 * E::kPImport + 1].state == kNotApplicable, c.phase2Power == kNotApplicable) << c.mode;
        EXPECT_EQ(r.energies[4 * E::kPImport + E::kSum].state == kNotApplicable, c.sumPower == kNotApplicable) << c.mode;
        EXPECT_EQ(r.displacement[0].state[0], kNotApplicable) << c.mode;
        EXPECT_EQ(r.powers[4 * E::kPImport + E::kSum].averageState, c.sumPower) << c.mode;
        if (c.sumPower == kPresent) {
            EXPECT_NEAR(r.powers[4 * E::kPImport + E::kSum].average, c.sumP, 0.1) << c.mode;
        }
        // Only a full three-wire set of line voltages gives the unbalance.
        EXPECT_EQ(r.unbalance.averageState, c.mode == 4 ? kPresent : kNotApplicable) << c.mode;
    }
}

TEST(VKFamilyWorstPowerFactor, FarthestFromUnityOnTheShiftedScale)
{
    struct Case {
        float min, max, worst;
        bool fromMax;
    };
    const Case cases[] = {
        {0.90f, 1.08f, 0.90f, false}, // 2 - 1.08 = 0.92 is not below 0.90
        {0.90f, 1.15f, 0.85f, true},
        {1.02f, 1.05f, 0.95f, true}, // every factor negative near -1
        {0.80f, 0.95f, 0.80f, false},
    };
    for (const Case& c : cases) {
        bool fromMax = false;
        EXPECT_NEAR(charts::stats::WorstPowerFactor(c.min, c.max, fromMax), c.worst, 1e-6) << c.min << " " << c.max;
        EXPECT_EQ(fromMax, c.fromMax) << c.min << " " << c.max;
    }
}

TEST_F(VKRStatTest, ExportPowerAndAnEmptyWindow)
{
    CVKRAktData v = Balanced();
    for (int i = 0; i < 3; ++i) {
        v.SetP(i, -1500.0f);
        v.SetQ(i, -200.0f);
    }
    CVKRStatSettings settings;
    const auto results = Run(2, 2, v, settings);
    ASSERT_EQ(results.size(), 1u);
    const CVKRStatResult& r = results[0];
    using E = charts::stats::CVKFamilyStatEngine;
    EXPECT_EQ(r.powers[4 * E::kPImport].averageState, kMissing);
    EXPECT_NEAR(r.powers[4 * E::kPExport].average, 1500.0f, 0.01);
    EXPECT_NEAR(r.powers[4 * E::kQExport].average, 200.0f, 0.01);
    EXPECT_EQ(r.powerFactors[4].worstState, kPresent); // Q < 0 class
    EXPECT_FLOAT_EQ(r.powerFactors[4].classShare, 100.0f);
    EXPECT_FLOAT_EQ(r.powerFactors[0].classShare, 0.0f);

    // Nothing loaded: one result without values; the texts remain.
    CVKRArchivData empty;
    CVKRStatSettings untouched;
    const auto none = ComputeVKRStatistics(empty, untouched);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(untouched.filled, 0);
    EXPECT_EQ(none[0].voltages[0].averageState, kMissing);
    EXPECT_EQ(none[0].energies[0].state, kMissing);
    EXPECT_EQ(none[0].tail.intervalText, QStringLiteral("--"));
}

} // namespace
} // namespace statstest
