#include "QorinStatSupport.h"

#include "charts_stats/QorinStatistics.h"

#include <cmath>

namespace statstest {
namespace {

using charts::stats::ComputeQorinStatistics;

CQorinStatSettings Filled()
{
    CQorinStatSettings s;
    s.nominalCurrent = 100.0f;
    s.filled = 1;
    return s;
}

// Settings records at the given offsets from 10:00 (seconds, key in
// hundredths) among measurements every 60 s from 10:00 to 10:10.
struct SplitCase {
    const char* name;
    std::vector<std::pair<int, int>> settings;
    std::size_t segments;
    const char* firstEnd;
    const char* firstLength;
    const char* firstKey; // the first segment's required factor; null: none
};

TEST(QorinStatWalk, SegmentsSplitWhereTheRequiredPowerFactorChangesInsideTheWindow)
{
    const SplitCase cases[] = {
        {"change before the window", {{-120, 90}, {-60, 95}}, 1, "10:10:00 10.03.2024", "10:00 [m:s]", "0.95"},
        {"same key twice", {{-60, 95}, {300, 95}}, 1, "10:10:00 10.03.2024", "10:00 [m:s]", "0.95"},
        // In force from the window start: no empty segment before it.
        {"change at the window start", {{-60, 95}, {0, 90}}, 1, "10:10:00 10.03.2024", "10:00 [m:s]", "0.90"},
        {"first key at the window start", {{0, 90}, {300, 95}}, 2, "10:05:00 10.03.2024", "05:00 [m:s]", "0.90"},
        {"change inside the window", {{-60, 95}, {300, 90}}, 2, "10:05:00 10.03.2024", "05:00 [m:s]", "0.95"},
        {"first key inside the window", {{300, 95}}, 2, "10:05:00 10.03.2024", "05:00 [m:s]", nullptr},
        {"no settings at all", {}, 1, "10:10:00 10.03.2024", "10:00 [m:s]", nullptr},
    };
    const CTime start = At(10, 0);
    for (const SplitCase& c : cases) {
        CArchivRecordList block;
        for (int i = 0; i <= 10; ++i) {
            for (const auto& [offset, key] : c.settings)
                if (offset <= i * 60 && (i == 0 || offset > (i - 1) * 60))
                    block.push_back(SettingsRecord(start + CTimeSpan(offset), QorinConfig(key)));
            block.push_back(FullRecord(start + CTimeSpan(i * 60), QorinValues(4000, 3600, 1200)));
        }
        CQorinStatSettings settings = Filled();
        const auto results = ComputeQorinStatistics(MakeWindow({block}, start, 600), settings);
        ASSERT_EQ(results.size(), c.segments) << c.name;
        EXPECT_EQ(results.front().tail.endText, QString::fromLatin1(c.firstEnd)) << c.name;
        EXPECT_EQ(results.front().tail.lengthText, QString::fromLatin1(c.firstLength)) << c.name;
        if (c.firstKey)
            EXPECT_TRUE(results.front().powerFactorText.endsWith(QStringLiteral("/ ") + QLatin1String(c.firstKey)))
                << c.name << ": " << results.front().powerFactorText.toStdString();
        else
            EXPECT_EQ(results.front().powerFactorText, QStringLiteral("--/--")) << c.name;
        EXPECT_EQ(results.back().tail.endText, QStringLiteral("10:10:00 10.03.2024")) << c.name;
        for (const CQorinStatResult& r : results)
            EXPECT_EQ(r.settings, &settings);
    }
}

// A block that begins at the window start with new settings: they govern
// the whole window, which stays one segment.
TEST(QorinStatWalk, SettingsHeadingABlockAtTheWindowStartGovernItsFirstSegment)
{
    const CTime start = At(10, 0);
    CArchivRecordList before{SettingsRecord(start - CTimeSpan(120), QorinConfig(95))};
    AddMeasurements(before, start - CTimeSpan(120), 60, 2, QorinValues(4000, 3600, 1200));
    CArchivRecordList from{SettingsRecord(start, QorinConfig(90))};
    AddMeasurements(from, start, 60, 11, QorinValues(4000, 3600, 1200));
    CQorinStatSettings settings = Filled();
    const auto results = ComputeQorinStatistics(MakeWindow({before, from}, start, 600), settings);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results.front().tail.startText, QStringLiteral("10:00:00 10.03.2024"));
    EXPECT_EQ(results.front().tail.lengthText, QStringLiteral("10:00 [m:s]"));
    EXPECT_TRUE(results.front().powerFactorText.endsWith(QStringLiteral("/ 0.90")))
        << results.front().powerFactorText.toStdString();
    EXPECT_EQ(results.front().currentAverageValid, 1);
}

TEST(QorinStatWalk, DefaultsComeFromTheFirstBlocksSettingsOnlyWhileUnfilled)
{
    const CTime start = At(10, 0);
    CArchivRecordList block{SettingsRecord(start - CTimeSpan(30), QorinConfig(95, 0x8000 | 40))};
    AddMeasurements(block, start, 60, 5, QorinValues(4000, 3600, 1200));

    CQorinStatSettings settings;
    settings.requiredPowerFactor = 0.8f;
    ComputeQorinStatistics(MakeWindow({block}, start, 600), settings);
    EXPECT_EQ(settings.filled, 1);
    EXPECT_FLOAT_EQ(settings.nominalCurrent, 200.0f); // 40 x 5 A
    EXPECT_FLOAT_EQ(settings.nominalVoltage, 220.0f);
    EXPECT_FLOAT_EQ(settings.nominalPower, 3.0f * 220.0f * 200.0f);
    EXPECT_NEAR(settings.nominalVoltageLine, 381.05f, 0.01f);
    EXPECT_EQ(settings.fromInstrument, 1);
    EXPECT_FLOAT_EQ(settings.requiredPowerFactor, 0.8f);

    // What the user set stays.
    settings.nominalCurrent = 55.0f;
    ComputeQorinStatistics(MakeWindow({block}, start, 600), settings);
    EXPECT_FLOAT_EQ(settings.nominalCurrent, 55.0f);

    // Without settings in the first block nothing is taken.
    CArchivRecordList bare;
    AddMeasurements(bare, start, 60, 5, QorinValues(4000, 3600, 1200));
    CQorinStatSettings untouched;
    ComputeQorinStatistics(MakeWindow({bare, block}, start, 600), untouched);
    EXPECT_EQ(untouched.filled, 0);
    EXPECT_FLOAT_EQ(untouched.nominalCurrent, CQorinStatSettings().nominalCurrent);
}

TEST(QorinStatWalk, AnEmptyWindowGivesOneResultWithoutValues)
{
    CQorinStatSettings settings = Filled();
    for (const CArchivWindow& window : {MakeWindow({}, At(10, 0), 600), MakeWindow({{}}, At(10, 0), 600)}) {
        std::vector<int> progress;
        const auto results =
            ComputeQorinStatistics(window, settings, [&progress](int p) { progress.push_back(p); });
        ASSERT_EQ(results.size(), 1u);
        const CQorinStatResult& r = results.front();
        EXPECT_EQ(r.currentAverageValid, 0);
        EXPECT_EQ(r.currentExtremesValid, 0);
        EXPECT_EQ(r.currentWindowValid, 0);
        EXPECT_EQ(r.thdAverageValid, 0);
        EXPECT_EQ(r.powerAverageValid[0] | r.powerAverageValid[1], 0);
        EXPECT_EQ(r.pfLowestValid | r.pfHighestValid, 0);
        EXPECT_FLOAT_EQ(r.currentAbove50, 0.0f);
        EXPECT_FLOAT_EQ(r.targetShare[0], 0.0f);
        EXPECT_EQ(r.tail.startText, QStringLiteral("10:00:00 10.03.2024"));
        EXPECT_EQ(r.tail.endText, QStringLiteral("10:10:00 10.03.2024"));
        EXPECT_EQ(r.tail.intervalText, QStringLiteral("--"));
        EXPECT_EQ(r.powerFactorText, QStringLiteral("--/--"));
        EXPECT_TRUE(progress.empty());
    }
}

TEST(QorinStatWalk, RecordsAfterTheWindowEndAddNothing)
{
    const CTime start = At(10, 0);
    CArchivRecordList block{SettingsRecord(start - CTimeSpan(30), QorinConfig(95))};
    AddMeasurements(block, start, 60, 5, QorinValues(4000, 3600, 1200));
    AddMeasurements(block, start + CTimeSpan(301), 60, 5, QorinValues(8000, 3600, 1200));
    CQorinStatSettings settings = Filled();
    const auto results = ComputeQorinStatistics(MakeWindow({block}, start, 300), settings);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FLOAT_EQ(results[0].currentMax, 20.0f);
}

} // namespace
} // namespace statstest
