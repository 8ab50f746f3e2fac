#include "archive/store/ArchivIntervalClock.h"

#include <gtest/gtest.h>

using platform::CTime;

namespace {

TEST(ArchivIntervalClock, NextTimeOnTheGrid)
{
    CArchivIntervalClock clock;
    const struct {
        int code;
        CTime base;
        CTime expected;
    } cases[] = {
        {0, CTime(2024, 3, 10, 10, 7, 0), CTime(2024, 3, 10, 10, 15, 0)},
        {0, CTime(2024, 3, 10, 10, 15, 0), CTime(2024, 3, 10, 10, 30, 0)}, // on the grid: one period later
        {1, CTime(2024, 3, 10, 10, 7, 0), CTime(2024, 3, 10, 11, 0, 0)},
        {-2, CTime(2024, 3, 10, 10, 7, 0), CTime(2024, 3, 10, 11, 0, 0)},  // -2 selects entry 1
        {3, CTime(2024, 3, 10, 10, 7, 0), CTime(2024, 3, 11, 0, 0, 0)},
        {0, CTime(1999, 12, 31, 23, 0, 0), CTime(2000, 1, 1, 0, 0, 0)},    // before the epoch
    };
    for (const auto& c : cases) {
        clock.SetIntervalCode(c.code);
        EXPECT_EQ(clock.NextTime(c.base).GetTime(), c.expected.GetTime()) << c.code;
    }
}

TEST(ArchivIntervalClock, CodesOutsideTheTableStayInIt)
{
    for (int code : {5, 99, -6, -1000, 1 << 30}) {
        CArchivIntervalClock clock;
        clock.SetIntervalCode(code);
        EXPECT_EQ(clock.GetIntervalSeconds(), 900) << code;
        EXPECT_EQ(clock.Get(), code);
    }
}

TEST(ArchivIntervalClock, BoundaryWindowAndOverdue)
{
    CArchivIntervalClock clock;
    CTime now = CTime(2024, 3, 10, 10, 15, 30);
    clock.SetTimeSource([&now]() { return now; });
    EXPECT_EQ(clock.IsAtBoundary(CTime(2024, 3, 10, 10, 15, 30)), 1);
    EXPECT_EQ(clock.IsAtBoundary(CTime(2024, 3, 10, 10, 16, 30)), 0);

    // Without a start the default (just after the epoch) is long overdue.
    EXPECT_EQ(clock.IsBeforeNextTime(), 0);
    EXPECT_EQ(clock.CheckOverdue(), 1);
    EXPECT_EQ(clock.GetRecordNumber(), 0);

    clock.SetStartOnce(CTime(2024, 3, 10, 10, 7, 0));
    clock.SetStartOnce(CTime(2024, 3, 10, 9, 0, 0)); // only once
    EXPECT_EQ(clock.GetStart().GetTime(), CTime(2024, 3, 10, 10, 7, 0).GetTime());
    EXPECT_EQ(clock.CheckOverdue(), 0); // 10:15:30 is not a minute past 10:15
    now = CTime(2024, 3, 10, 10, 16, 1);
    EXPECT_EQ(clock.CheckOverdue(), 1);
    CTime record = CTime(2024, 3, 10, 10, 14, 0);
    clock.SetLinkedRecord([&record]() { return record; });
    EXPECT_EQ(clock.CheckOverdue(), 0);

    // A start not yet reached keeps earlier instants off the boundary.
    EXPECT_EQ(clock.IsAtBoundary(CTime(2024, 3, 10, 10, 0, 30)), 0);

    clock.AdvanceStart();
    EXPECT_EQ(clock.GetStart().GetTime(), CTime(2024, 3, 10, 10, 15, 0).GetTime());
    clock.SetStartBefore(CTime(2024, 3, 10, 10, 31, 0));
    EXPECT_EQ(clock.GetStart().GetTime(), CTime(2024, 3, 10, 10, 15, 0).GetTime());
    const int number = clock.GetRecordNumber();
    EXPECT_GE(number, 1);
    EXPECT_LE(number, 64);
}

} // namespace
