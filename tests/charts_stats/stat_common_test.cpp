#include "charts_stats/StatCommon.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using charts::stats::CStatEngineCore;
using charts::stats::CStatTail;
using charts::stats::GetListStatusCode;
using platform::CTime;

CArchivRecord Rec(std::uint32_t time, std::uint8_t type, QByteArray data = {})
{
    return {time, type, std::move(data)};
}

QByteArray Word(std::uint32_t value)
{
    QByteArray out;
    archive::AppendU32(out, value);
    return out;
}

TEST(StatListInterval, IntervalOfABlockComesFromItsWordStatusOrRecordSpacing)
{
    const std::uint32_t t0 = 1700000000;
    struct Case {
        const char* name;
        CArchivRecordList records;
        int expected;
    };
    const Case cases[] = {
        {"five records 60 s apart", {Rec(t0, 2), Rec(t0 + 60, 3), Rec(t0 + 120, 3), Rec(t0 + 180, 3), Rec(t0 + 240, 3)}, 60},
        {"one-word record first", {Rec(t0, 2), Rec(t0 + 1, 13, Word(900)), Rec(t0 + 60, 3)}, 900},
        {"a zero word gives nothing", {Rec(t0, 13, Word(0)), Rec(t0, 2), Rec(t0 + 10, 3)}, 10},
        {"four records", {Rec(t0, 2), Rec(t0 + 10, 3), Rec(t0 + 20, 3), Rec(t0 + 30, 4)}, 10},
        {"three records", {Rec(t0, 2), Rec(t0 + 15, 3), Rec(t0 + 30, 12)}, 16},
        {"two records", {Rec(t0, 2), Rec(t0 + 7, 3)}, 7},
        {"one record", {Rec(t0, 2)}, -1},
        {"no data", {Rec(t0, 1), Rec(t0, 11)}, -1},
        {"five at one time restart the count", {Rec(t0, 2), Rec(t0, 3), Rec(t0, 3), Rec(t0, 3), Rec(t0, 3), Rec(t0 + 5, 3), Rec(t0 + 10, 3)}, 5},
        {"status before data gives its period", {Rec(t0, 10, Word(300)), Rec(t0, 2), Rec(t0 + 60, 3)}, 300},
        {"status after data is only a record", {Rec(t0, 2), Rec(t0, 10, Word(300)), Rec(t0 + 60, 3)}, 60},
    };
    const charts::stats::StatusPeriodFn period = [](const CArchivRecord& r) {
        return int(archive::ReadU32(r.data.constData()));
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetListStatusCode(c.records, period), c.expected) << c.name;
    // Without a status reader the status record is passed over.
    EXPECT_EQ(GetListStatusCode(cases[9].records), 60);
}

TEST(StatTail, TextsOfASegment)
{
    const CTime start(2024, 3, 10, 10, 0, 0);
    CStatEngineCore core;
    CStatTail tail;

    // Empty: start and end texts, no interval.
    core.BeginSegment(start);
    core.FillTail(tail, start + platform::CTimeSpan(600));
    EXPECT_EQ(tail.startText, QStringLiteral("10:00:00 10.03.2024"));
    EXPECT_EQ(tail.endText, QStringLiteral("10:10:00 10.03.2024"));
    EXPECT_EQ(tail.lengthText, QStringLiteral("10:00 [m:s]"));
    EXPECT_EQ(tail.coveredText, QStringLiteral("00:00 [m:s] (0.0%)"));
    EXPECT_EQ(tail.intervalText, QStringLiteral("--"));
    EXPECT_EQ(tail.segmentStart, start);

    // Records every 60 s over a segment shorter than they cover: the share
    // stops at 100 %; intervals of 1 s mean nothing.
    EXPECT_TRUE(core.TakeInterval(60, true));
    EXPECT_FALSE(core.TakeInterval(1, true));
    for (int i = 0; i <= 10; ++i)
        core.AddCovered(start + platform::CTimeSpan(i * 60));
    core.FillTail(tail, start + platform::CTimeSpan(300));
    EXPECT_EQ(tail.coveredText, QStringLiteral("05:00 [m:s] (100.0%)"));
    EXPECT_EQ(tail.intervalText, QStringLiteral("60 [s]"));
    core.TakeInterval(30, true);
    core.TakeInterval(20, false); // before the window: current, not in the range
    EXPECT_EQ(core.Interval(), 20);
    core.FillTail(tail, start + platform::CTimeSpan(300));
    EXPECT_EQ(tail.intervalText, QStringLiteral("30-60 [s]"));

    // A segment of no length divides by nothing.
    core.FillTail(tail, start);
    EXPECT_EQ(tail.lengthText, QStringLiteral("00:00 [m:s]"));
    EXPECT_EQ(tail.coveredText, QStringLiteral("00:00 [m:s] (0.0%)"));

    // A segment that ends before it starts has no length or cover.
    core.FillTail(tail, start - platform::CTimeSpan(5));
    EXPECT_TRUE(tail.lengthText.isEmpty());
    EXPECT_TRUE(tail.coveredText.isEmpty());
    EXPECT_FALSE(tail.endText.isEmpty());
}

TEST(StatProgress, AWindowShorterThanOneIntervalStillEndsAtAHundred)
{
    std::vector<int> shown;
    const charts::stats::ProgressFn report = [&shown](int p) { shown.push_back(p); };
    charts::stats::CStatProgress progress(report, 30);
    progress.Step(60);
    progress.Step(60);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), 100);

    shown.clear();
    charts::stats::CStatProgress steady(report, 600);
    for (int i = 0; i < 10; ++i)
        steady.Step(60);
    EXPECT_EQ(shown.back(), 100);
    EXPECT_EQ(shown.front(), 10);
}

} // namespace
