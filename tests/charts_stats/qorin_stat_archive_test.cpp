#include "ArchiveFixture.h"
#include "QorinStatSupport.h"

#include "charts_stats/QorinStatistics.h"

namespace statstest {
namespace {

using charts::stats::ComputeQorinStatistics;

using QorinStatArchiveTest = ArchiveFixture;

TEST_F(QorinStatArchiveTest, StatisticsOverARecordedArchive)
{
    const CTime start = At(10, 0);
    {
        CQorinArchivData store;
        Use(store);
        SetTime(start - CTimeSpan(30));
        ASSERT_EQ(store.Create(600, 10, 60, Path(QStringLiteral("hala")), CQorinArchivData::Extension(),
                               TRUE, TRUE, QStringLiteral("Linka")),
                  1);
        store.AddConfigRecord(QorinConfig(95));
        for (int i = 0; i < 20; ++i) {
            if (i == 15) {
                SetTime(start + CTimeSpan(i * 60 - 30));
                store.AddConfigRecord(QorinConfig(90));
            }
            SetTime(start + CTimeSpan(i * 60));
            store.AddMeasurementRecord(QorinValues(i < 10 ? 4000 : 8000, 3600, 1200));
            if (i == 9 || i == 19) {
                SetTime(start + CTimeSpan(i * 60 + 30));
                EndBlock(store);
            }
        }
        ASSERT_TRUE(store.WaitWriterIdle(10000));
        store.Close();
    }

    CQorinArchivData reader;
    Use(reader);
    ASSERT_EQ(reader.Open(Path(QStringLiteral("hala.qor"))), 1);
    ASSERT_EQ(reader.ReadHeader(), 1);
    const std::vector<int> used = WrittenSlots(reader, 12);
    ASSERT_EQ(used.size(), 2u);
    reader.Window().Load(reader, used, start, 1200);

    CQorinStatSettings settings;
    std::vector<int> progress;
    const auto results = ComputeQorinStatistics(reader, settings, [&progress](int p) { progress.push_back(p); });
    EXPECT_EQ(settings.filled, 1);
    EXPECT_FLOAT_EQ(settings.nominalCurrent, 100.0f);

    ASSERT_EQ(results.size(), 2u);
    const CQorinStatResult& first = results[0];
    EXPECT_EQ(first.tail.endText, QStringLiteral("10:14:30 10.03.2024"));
    EXPECT_EQ(first.powerFactorText, QStringLiteral("0.95 / 0.95"));
    EXPECT_NEAR(first.currentMin, 20.0f, 1e-4);
    EXPECT_NEAR(first.currentMax, 40.0f, 1e-4);
    EXPECT_EQ(first.currentMaxTime, start + CTimeSpan(600));
    EXPECT_EQ(first.tail.intervalText, QStringLiteral("60 [s]"));

    const CQorinStatResult& second = results[1];
    EXPECT_EQ(second.tail.startText, QStringLiteral("10:14:30 10.03.2024"));
    EXPECT_EQ(second.tail.endText, QStringLiteral("10:20:00 10.03.2024"));
    EXPECT_EQ(second.powerFactorText, QStringLiteral("0.90 / 0.90"));
    EXPECT_NEAR(second.currentAverage, 40.0f, 1e-4);
    // 0.9487 lies above a target of 0.90.
    EXPECT_FLOAT_EQ(second.targetShare[1], 100.0f);
    EXPECT_EQ(second.pfHighestValid, 1);

    ASSERT_FALSE(progress.empty());
    EXPECT_LE(progress.back(), 100);
    EXPECT_GE(progress.back(), 90);
}

} // namespace
} // namespace statstest
