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

// One segment of a split: its end (10.03.2024), length and required factor
// (null: none in force).
struct Segment {
    const char* end;
    const char* length;
    const char* key;
};

void ExpectSegments(const std::vector<CQorinStatResult>& results, const std::vector<Segment>& segments,
                    const CQorinStatSettings& settings)
{
    ASSERT_EQ(results.size(), segments.size());
    QString from = QStringLiteral("10:00:00 10.03.2024");
    for (std::size_t k = 0; k < results.size(); ++k) {
        const CQorinStatResult& r = results[k];
        const Segment& e = segments[k];
        const QString end = QLatin1String(e.end) + QStringLiteral(" 10.03.2024");
        EXPECT_EQ(r.tail.startText, from) << k;
        EXPECT_EQ(r.tail.endText, end) << k;
        EXPECT_EQ(r.tail.lengthText, QString::fromLatin1(e.length)) << k;
        if (e.key)
            EXPECT_TRUE(r.powerFactorText.endsWith(QStringLiteral("/ ") + QLatin1String(e.key)))
                << k << ": " << r.powerFactorText.toStdString();
        else
            EXPECT_EQ(r.powerFactorText, QStringLiteral("--/--")) << k;
        // A segment of no length has only its texts.
        const bool empty = r.tail.lengthText == QStringLiteral("00:00 [m:s]");
        EXPECT_EQ(r.currentAverageValid, empty ? 0 : 1) << k;
        if (empty) {
            EXPECT_EQ(r.tail.coveredText, QStringLiteral("00:00 [m:s] (0.0%)")) << k;
            EXPECT_EQ(r.tail.intervalText, QStringLiteral("--")) << k;
        }
        EXPECT_EQ(r.settings, &settings);
        from = end;
    }
}

constexpr int kOneBlock = 1 << 30;

// Settings records at the given offsets from 10:00 (seconds, key in
// hundredths) among measurements every 60 s from 10:00 to 10:10; the
// records from `secondBlock` seconds on make a block of their own.
struct SplitCase {
    const char* name;
    std::vector<std::pair<int, int>> settings;
    std::vector<Segment> segments;
    int secondBlock = kOneBlock;
};

TEST(QorinStatWalk, SegmentsSplitWhereTheRequiredPowerFactorChangesInsideTheWindow)
{
    const SplitCase cases[] = {
        {"change before the window", {{-120, 90}, {-60, 95}}, {{"10:10:00", "10:00 [m:s]", "0.95"}}},
        {"same key twice", {{-60, 95}, {300, 95}}, {{"10:10:00", "10:00 [m:s]", "0.95"}}},
        {"same key again at the window start", {{-60, 95}, {0, 95}}, {{"10:10:00", "10:00 [m:s]", "0.95"}}},
        // What held before keeps a segment of no length.
        {"another key at the window start",
         {{-60, 95}, {0, 90}},
         {{"10:00:00", "00:00 [m:s]", "0.95"}, {"10:10:00", "10:00 [m:s]", "0.90"}}},
        // Nothing held before it in the block: it governs from the start,
        // and a later change in the block does not reach back to the start.
        {"first key at the window start",
         {{0, 90}, {300, 95}},
         {{"10:05:00", "05:00 [m:s]", "0.90"}, {"10:10:00", "05:00 [m:s]", "0.95"}}},
        {"block at the window start with the key before it",
         {{-60, 90}, {0, 90}},
         {{"10:10:00", "10:00 [m:s]", "0.90"}},
         0},
        {"change just after the window start",
         {{-60, 95}, {1, 90}},
         {{"10:00:01", "00:01 [m:s]", "0.95"}, {"10:10:00", "09:59 [m:s]", "0.90"}}},
        {"change inside the window",
         {{-60, 95}, {300, 90}},
         {{"10:05:00", "05:00 [m:s]", "0.95"}, {"10:10:00", "05:00 [m:s]", "0.90"}}},
        // The first block's first settings govern its records before them.
        {"first key inside the window", {{300, 95}}, {{"10:10:00", "10:00 [m:s]", "0.95"}}},
        {"first key in a later block",
         {{300, 95}},
         {{"10:05:00", "05:00 [m:s]", nullptr}, {"10:10:00", "05:00 [m:s]", "0.95"}},
         300},
        {"no settings at all", {}, {{"10:10:00", "10:00 [m:s]", nullptr}}},
    };
    const CTime start = At(10, 0);
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        CArchivRecordList blocks[2];
        const auto blockOf = [&](int offset) -> CArchivRecordList& { return blocks[offset >= c.secondBlock]; };
        for (int i = 0; i <= 10; ++i) {
            for (const auto& [offset, key] : c.settings)
                if (offset <= i * 60 && (i == 0 || offset > (i - 1) * 60))
                    blockOf(offset).push_back(SettingsRecord(start + CTimeSpan(offset), QorinConfig(key)));
            blockOf(i * 60).push_back(FullRecord(start + CTimeSpan(i * 60), QorinValues(4000, 3600, 1200)));
        }
        std::vector<CArchivRecordList> window{blocks[0]};
        if (c.secondBlock != kOneBlock)
            window.push_back(blocks[1]);
        // Settings still to be filled from the archive split it the same.
        for (const bool filled : {true, false}) {
            SCOPED_TRACE(filled ? "filled" : "unfilled");
            CQorinStatSettings settings = filled ? Filled() : CQorinStatSettings();
            ExpectSegments(ComputeQorinStatistics(MakeWindow(window, start, 600), settings), c.segments, settings);
        }
    }
}

// A block that begins at the window start with new settings: the settings
// before it keep a segment of no length that carries only its texts, and
// the new ones govern the whole window. The records before the window add
// nothing to either.
TEST(QorinStatWalk, SettingsHeadingABlockAtTheWindowStartLeaveAnEmptyFirstSegment)
{
    const CTime start = At(10, 0);
    CArchivRecordList before{SettingsRecord(start - CTimeSpan(120), QorinConfig(95))};
    AddMeasurements(before, start - CTimeSpan(120), 60, 2, QorinValues(4000, 3600, 1200));
    CArchivRecordList from{SettingsRecord(start, QorinConfig(90))};
    AddMeasurements(from, start, 60, 11, QorinValues(4000, 3600, 1200));
    CQorinStatSettings settings = Filled();
    const auto results = ComputeQorinStatistics(MakeWindow({before, from}, start, 600), settings);
    ASSERT_EQ(results.size(), 2u);

    struct Expected {
        const char* end;
        const char* length;
        const char* covered;
        const char* key;
        int valid;
    };
    const Expected expected[] = {
        {"10:00:00 10.03.2024", "00:00 [m:s]", "00:00 [m:s] (0.0%)", "0.95", 0},
        {"10:10:00 10.03.2024", "10:00 [m:s]", "10:00 [m:s] (100.0%)", "0.90", 1},
    };
    for (std::size_t k = 0; k < 2; ++k) {
        const CQorinStatResult& r = results[k];
        const Expected& e = expected[k];
        EXPECT_EQ(r.tail.startText, QStringLiteral("10:00:00 10.03.2024")) << k;
        EXPECT_EQ(r.tail.endText, QString::fromLatin1(e.end)) << k;
        EXPECT_EQ(r.tail.lengthText, QString::fromLatin1(e.length)) << k;
        EXPECT_EQ(r.tail.coveredText, QString::fromLatin1(e.covered)) << k;
        EXPECT_TRUE(r.powerFactorText.endsWith(QStringLiteral("/ ") + QLatin1String(e.key)))
            << k << ": " << r.powerFactorText.toStdString();
        EXPECT_EQ(r.currentAverageValid, e.valid) << k;
    }
    EXPECT_EQ(results[0].tail.intervalText, QStringLiteral("--"));
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
