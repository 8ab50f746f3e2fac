#include "QorinStatSupport.h"

#include "charts_stats/QorinStatistics.h"

#include <cmath>

namespace statstest {
namespace {

using charts::stats::ComputeQorinStatistics;

// Ten minutes of one steady measurement every 60 s after settings with the
// given instrument key.
CQorinStatResult Steady(const CQorinAktData& values, CQorinStatSettings settings, int key = 95)
{
    const CTime start = At(10, 0);
    CArchivRecordList block{SettingsRecord(start - CTimeSpan(30), QorinConfig(key))};
    AddMeasurements(block, start, 60, 11, values);
    const auto results = ComputeQorinStatistics(MakeWindow({block}, start, 600), settings);
    EXPECT_EQ(results.size(), 1u);
    return results.front();
}

CQorinStatSettings Nominal()
{
    CQorinStatSettings s;
    s.nominalCurrent = 100.0f;
    s.filled = 1;
    return s;
}

TEST(QorinStatValues, SteadyInductiveLoadBelowTheTarget)
{
    // 20 A at 72000/80000 active, power factor 0.9487 below 0.95.
    const CQorinStatResult r = Steady(QorinValues(4000, 3600, 1200), Nominal());
    ASSERT_EQ(r.currentAverageValid, 1);
    EXPECT_NEAR(r.currentAverage, 20.0f, 1e-4);
    EXPECT_NEAR(r.currentMax, 20.0f, 1e-4);
    EXPECT_EQ(r.currentWindowValid, 1);
    EXPECT_NEAR(r.currentWindowMax, 20.0f, 1e-4);
    EXPECT_FLOAT_EQ(r.currentAbove50, 0.0f);
    EXPECT_EQ(r.thdAverageValid, 1);
    EXPECT_FLOAT_EQ(r.thdAverage, 10.0f);
    EXPECT_EQ(r.thdMaxValid, 1);

    const float watts = 220.0f * 0.00075f;
    EXPECT_EQ(r.powerAverageValid[0], 1);
    EXPECT_EQ(r.powerAverageValid[1], 0);
    EXPECT_NEAR(r.powerAverage[0], 72000 * watts, 0.5);
    EXPECT_EQ(r.powerWindowValid[0], 1);
    EXPECT_NEAR(r.powerWindowMax[0], 72000 * watts, 0.5);

    EXPECT_FLOAT_EQ(r.targetShare[0], 100.0f);
    EXPECT_FLOAT_EQ(r.targetShare[1], 0.0f);
    EXPECT_FLOAT_EQ(r.targetShare2[0], 100.0f);
    const double tanPhi = std::tan(std::acos(0.95));
    EXPECT_EQ(r.missingAverageValid[0], 1);
    EXPECT_EQ(r.missingAverageValid[1], 0);
    EXPECT_NEAR(r.missingAverage[0], (72000 * tanPhi - 24000) * watts, 1.0);
    EXPECT_EQ(r.missingWindowMinValid[0], 1);
    EXPECT_NEAR(r.missingWindowMin[0], (72000 * tanPhi - 24000) * watts, 1.0);

    const double pf = 3600 / std::sqrt(3600.0 * 3600 + 1200.0 * 1200);
    EXPECT_EQ(r.pfLowestValid, 1);
    EXPECT_NEAR(r.pfLowest, pf, 1e-5);
    EXPECT_EQ(r.pfHighestValid, 0);
    EXPECT_EQ(r.pfAverageValid[0], 1);
    EXPECT_NEAR(r.pfAverage[0], pf, 1e-5);
    EXPECT_EQ(r.pfWindowLowestValid, 1);
    EXPECT_FLOAT_EQ(r.pfBelow095, 100.0f);
    EXPECT_FLOAT_EQ(r.pfExport, 0.0f);
    EXPECT_EQ(r.powerFactorText, QStringLiteral("0.95 / 0.95"));
    EXPECT_EQ(r.tail.intervalText, QStringLiteral("60 [s]"));
}

TEST(QorinStatValues, ExportIsAPositiveMagnitudeAboveTheTargetWithANegativeFactor)
{
    const CQorinStatResult r = Steady(QorinValues(4000, -3600, 1200), Nominal());
    const float watts = 220.0f * 0.00075f;
    EXPECT_EQ(r.powerAverageValid[0], 0);
    ASSERT_EQ(r.powerAverageValid[1], 1);
    EXPECT_NEAR(r.powerAverage[1], 72000 * watts, 0.5);
    EXPECT_NEAR(r.powerMax[1], 72000 * watts, 0.5);
    // The window keeps the sign of the active power.
    EXPECT_NEAR(r.powerWindowMin[1], -72000 * watts, 0.5);
    EXPECT_FLOAT_EQ(r.pfExport, 100.0f);
    EXPECT_FLOAT_EQ(r.targetShare[1], 100.0f);
    EXPECT_EQ(r.pfHighestValid, 1);
    EXPECT_EQ(r.pfLowestValid, 0);
    EXPECT_NEAR(r.pfHighest, -3600 / std::sqrt(3600.0 * 3600 + 1200.0 * 1200), 1e-5);
}

// The shares by power factor over a mix: inductive below 0.95, exactly 1
// (no reactive part) and export. Below 1.00 counts only the inductive
// ones: a factor of 1 is not below it, and an export one lies above 1.
TEST(QorinStatValues, ShareBelowOneCountsOnlyFactorsBelowOne)
{
    const CTime start = At(10, 0);
    CArchivRecordList block{SettingsRecord(start - CTimeSpan(30), QorinConfig(95))};
    AddMeasurements(block, start, 60, 4, QorinValues(4000, 3600, 1200));
    AddMeasurements(block, start + CTimeSpan(240), 60, 3, QorinValues(4000, 3600, 0));
    AddMeasurements(block, start + CTimeSpan(420), 60, 4, QorinValues(4000, -3600, 1200));
    CQorinStatSettings settings = Nominal();
    const auto results = ComputeQorinStatistics(MakeWindow({block}, start, 660), settings);
    ASSERT_EQ(results.size(), 1u);
    const CQorinStatResult& r = results.front();
    EXPECT_NEAR(r.pfBelow100, 400.0f / 11, 1e-3);
    EXPECT_NEAR(r.pfBelow095, 400.0f / 11, 1e-3);
    EXPECT_NEAR(r.pfExport, 400.0f / 11, 1e-3);
    // All export: none below 1.00.
    EXPECT_FLOAT_EQ(Steady(QorinValues(4000, -3600, 1200), Nominal()).pfBelow100, 0.0f);
}

struct EdgeCase {
    const char* name;
    CQorinAktData values;
    int key;
    int fromInstrument;
    float required;
    const char* text;
};

TEST(QorinStatValues, EdgeCasesOfTheTargetAndTheInputs)
{
    const EdgeCase cases[] = {
        {"capacitive required factor", QorinValues(4000, 3600, 1200), 95, 0, -0.95f, "-0.95 / 0.95"},
        {"instrument key", QorinValues(4000, 3600, 1200), 95, 1, 0.5f, "0.95 / 0.95"},
        {"key outside the range", QorinValues(4000, 3600, 1200), 127, 1, 0.9f, "--/--"},
        {"negative key", QorinValues(4000, 3600, 1200), -98, 1, 0.9f, "-0.98 / -0.98"},
    };
    for (const EdgeCase& c : cases) {
        CQorinStatSettings s = Nominal();
        s.fromInstrument = c.fromInstrument;
        s.requiredPowerFactor = c.required;
        const CQorinStatResult r = Steady(c.values, s, c.key);
        EXPECT_EQ(r.powerFactorText, QString::fromLatin1(c.text)) << c.name;
        // Any factor is at or below a capacitive target (1.05 inside).
        if (c.required < 0 && !c.fromInstrument) {
            EXPECT_FLOAT_EQ(r.targetShare[0], 100.0f) << c.name;
        }
        // An instrument value outside the range falls back to the settings:
        // 0.9487 is above 0.9, and no value is lost to a target of no number.
        if (c.key == 127) {
            EXPECT_FLOAT_EQ(r.targetShare[1], 100.0f) << c.name;
            EXPECT_EQ(r.missingAverageValid[1], 1) << c.name;
            EXPECT_FALSE(std::isnan(r.missingAverage[1])) << c.name;
        }
    }
}

TEST(QorinStatValues, MissingOrZeroPartsGiveNoPowerFactor)
{
    // No active or reactive current at all: empty power and factor fields,
    // 0 % on both sides.
    {
        const CQorinStatResult r = Steady(QorinValues(4000, 0x7FFF, 0x7FFF), Nominal());
        EXPECT_EQ(r.currentAverageValid, 1);
        EXPECT_EQ(r.powerAverageValid[0] | r.powerAverageValid[1], 0);
        EXPECT_EQ(r.missingAverageValid[0] | r.missingAverageValid[1], 0);
        EXPECT_EQ(r.pfLowestValid | r.pfHighestValid | r.pfAverageValid[0] | r.pfAverageValid[1], 0);
        EXPECT_FLOAT_EQ(r.targetShare[0] + r.targetShare[1] + r.targetShare2[0] + r.targetShare2[1], 0.0f);
        EXPECT_FLOAT_EQ(r.powerAbove50[0], 0.0f);
    }
    // Both parts zero: a record without power factor, a non-hit on both sides.
    {
        const CQorinStatResult r = Steady(QorinValues(4000, 0, 0), Nominal());
        EXPECT_EQ(r.powerAverageValid[0], 1);
        EXPECT_FLOAT_EQ(r.powerAverage[0], 0.0f);
        EXPECT_EQ(r.pfLowestValid | r.pfHighestValid, 0);
        EXPECT_FLOAT_EQ(r.targetShare[0] + r.targetShare[1], 0.0f);
    }
}

TEST(QorinStatValues, AbsentThdLeavesItsFieldsWhileTheCurrentFills)
{
    for (const CQorinAktData& v : {QorinValues(4000, 3600, 1200, 255), QorinValues(800, 720, 240)}) {
        const CQorinStatResult r = Steady(v, Nominal());
        EXPECT_EQ(r.currentAverageValid, 1);
        EXPECT_EQ(r.thdAverageValid, 0);
        EXPECT_EQ(r.thdMaxValid, 0);
        EXPECT_EQ(r.thdWindowValid, 0);
    }
}

TEST(QorinStatValues, TransformerWordOfZeroMeansRatioOne)
{
    CQorinAktData v = QorinValues(4000, 3600, 1200);
    v.ctWord = 0;
    const CQorinStatResult r = Steady(v, Nominal());
    EXPECT_NEAR(r.currentAverage, 1.0f, 1e-5);
}

TEST(QorinStatValues, CurrentLimitSharesFollowTheNominalCurrent)
{
    CQorinStatSettings s = Nominal();
    s.nominalCurrent = 30.0f; // 20 A is above 50 % but below 100 %
    const CQorinStatResult r = Steady(QorinValues(4000, 3600, 1200), s);
    EXPECT_FLOAT_EQ(r.currentAbove50, 100.0f);
    EXPECT_FLOAT_EQ(r.currentAbove100, 0.0f);
    EXPECT_FLOAT_EQ(r.powerAbove50[0], 100.0f);
    EXPECT_FLOAT_EQ(r.powerAbove100[0], 0.0f);
}

} // namespace
} // namespace statstest
