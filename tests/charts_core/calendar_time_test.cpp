#include "charts_core/CalendarTime.h"

#include <gtest/gtest.h>

using charts::AlignTimeToCalendar;
using charts::FormatDuration;
using platform::CTime;

namespace {

struct AlignCase {
    CTime t;
    int span;
    bool down;
    CTime expected;
};

TEST(AlignTimeToCalendar, GridsOfEveryKind)
{
    const AlignCase cases[] = {
        // Quarter hours from midnight; "down" is strictly before t.
        {CTime(2024, 3, 10, 10, 20, 0), 900, true, CTime(2024, 3, 10, 10, 15, 0)},
        {CTime(2024, 3, 10, 10, 20, 0), 900, false, CTime(2024, 3, 10, 10, 30, 0)},
        {CTime(2024, 3, 10, 10, 15, 0), 900, true, CTime(2024, 3, 10, 10, 0, 0)},
        {CTime(2024, 3, 10, 10, 15, 0), 900, false, CTime(2024, 3, 10, 10, 15, 0)},
        // Days: the midnights around t.
        {CTime(2024, 3, 10, 10, 20, 0), 86400, true, CTime(2024, 3, 10, 0, 0, 0)},
        {CTime(2024, 3, 10, 10, 20, 0), 86400, false, CTime(2024, 3, 11, 0, 0, 0)},
        // Weeks from the Monday on or before 1 January (1 January 2024 is a Monday).
        {CTime(2024, 3, 13, 8, 0, 0), 604800, true, CTime(2024, 3, 11, 0, 0, 0)},
        {CTime(2024, 3, 13, 8, 0, 0), 604800, false, CTime(2024, 3, 18, 0, 0, 0)},
        // 2025 starts on a Wednesday: the grid starts on Monday 30 December 2024.
        {CTime(2025, 1, 2, 8, 0, 0), 604800, true, CTime(2024, 12, 30, 0, 0, 0)},
        // Long spans: the month.
        {CTime(2024, 3, 13, 8, 0, 0), 31 * 86400, true, CTime(2024, 3, 1, 0, 0, 0)},
        {CTime(2024, 3, 13, 8, 0, 0), 31 * 86400, false, CTime(2024, 4, 1, 0, 0, 0)},
        {CTime(2024, 12, 13, 8, 0, 0), 31 * 86400, false, CTime(2025, 1, 1, 0, 0, 0)},
        // Two days: from the first of the month.
        {CTime(2024, 3, 6, 8, 0, 0), 2 * 86400, true, CTime(2024, 3, 5, 0, 0, 0)},
        {CTime(2024, 3, 6, 8, 0, 0), 2 * 86400, false, CTime(2024, 3, 7, 0, 0, 0)},
        // After the autumn change (27 October 2024, a 25-hour day) the two-day
        // grid still ends on local midnights.
        {CTime(2024, 10, 28, 8, 0, 0), 2 * 86400, true, CTime(2024, 10, 27, 0, 0, 0)},
        {CTime(2024, 10, 28, 8, 0, 0), 2 * 86400, false, CTime(2024, 10, 29, 0, 0, 0)},
        {CTime(2024, 10, 29, 0, 30, 0), 2 * 86400, true, CTime(2024, 10, 29, 0, 0, 0)},
    };
    for (const AlignCase& c : cases) {
        EXPECT_EQ(AlignTimeToCalendar(c.t, c.span, c.down).GetTime(), c.expected.GetTime())
            << c.t.Format("%Y-%m-%d %H:%M:%S").toStdString() << " span " << c.span << " down " << c.down;
    }
}

TEST(FormatDuration, UnitsByRange)
{
    const struct {
        int seconds;
        const char* text;
    } cases[] = {
        {330, "05:30 [m:s]"},       {3599, "59:59 [m:s]"},        {3600, "01:00 [h:m]"},
        {7500, "02:05 [h:m]"},      {86399, "24:00 [h:m]"},       {90000, "1,01:00 [d,h:m]"},
        {93900, "1,02:05 [d,h:m]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDuration(c.seconds), QString::fromUtf8(c.text)) << c.seconds;
}

} // namespace
