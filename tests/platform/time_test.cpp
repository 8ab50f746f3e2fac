#include "platform/Time32.h"

#include <gtest/gtest.h>

#include <cstdlib>

using platform::CTime;
using platform::CTimeSpan;

// The test environment sets TZ=Europe/Prague; the checks below rely on it.
class LocalTime : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_STREQ(std::getenv("TZ"), "Europe/Prague"); }
};

TEST_F(LocalTime, FieldsAcrossDaylightSavingChanges)
{
    struct Case { unsigned utc; int y, mo, d, h, mi, s; };
    const Case cases[] = {
        {1711846799u, 2024, 3, 31, 1, 59, 59}, // last second of winter time (00:59:59 UTC)
        {1711846800u, 2024, 3, 31, 3, 0, 0},   // 02:00 does not exist
        {1729990799u, 2024, 10, 27, 2, 59, 59}, // first 02:59:59 (summer, 00:59:59 UTC)
        {1729990800u, 2024, 10, 27, 2, 0, 0},   // the hour repeats in winter time
        {1704067200u, 2024, 1, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utc);
        const CTime t(c.utc);
        EXPECT_EQ(t.GetYear(), c.y);
        EXPECT_EQ(t.GetMonth(), c.mo);
        EXPECT_EQ(t.GetDay(), c.d);
        EXPECT_EQ(t.GetHour(), c.h);
        EXPECT_EQ(t.GetMinute(), c.mi);
        EXPECT_EQ(t.GetSecond(), c.s);
    }
}

TEST_F(LocalTime, BuildFromFieldsWithDaylightFlag)
{
    // The repeated hour in October: the flag picks the instant.
    EXPECT_EQ(CTime(2024, 10, 27, 2, 30, 0, 1).GetTime(), 1729989000u);
    EXPECT_EQ(CTime(2024, 10, 27, 2, 30, 0, 0).GetTime(), 1729992600u);
    // Fields read as standard time in summer give the instant one hour later.
    EXPECT_EQ(CTime(2024, 7, 1, 12, 0, 0, 0) - CTime(2024, 7, 1, 12, 0, 0, -1), CTimeSpan(3600));
    EXPECT_EQ(CTime(2024, 1, 1, 1, 0, 0).GetTime(), 1704067200u);
}

TEST_F(LocalTime, ImpossibleDatesAreInvalid)
{
    const int bad[][6] = {{2024, 13, 1, 0, 0, 0}, {2023, 2, 29, 0, 0, 0}, {2024, 4, 31, 0, 0, 0},
                          {2024, 1, 1, 24, 0, 0}, {2024, 1, 0, 0, 0, 0}, {1969, 12, 31, 0, 0, 0},
                          {2165, 1, 1, 0, 0, 0}};
    for (const auto& f : bad) {
        const CTime t(f[0], f[1], f[2], f[3], f[4], f[5]);
        EXPECT_FALSE(t.IsValid()) << f[0] << "-" << f[1] << "-" << f[2] << " " << f[3];
        EXPECT_EQ(t.GetTime(), 0xFFFFFFFFu);
        EXPECT_EQ(t.Format(QStringLiteral("%d")), QString());
    }
    EXPECT_TRUE(CTime(2024, 2, 29, 23, 59, 59).IsValid());
}

TEST_F(LocalTime, Format)
{
    const CTime t(2024, 3, 5, 7, 8, 9);
    EXPECT_EQ(t.Format(QStringLiteral("%d.%m.%y %H:%M:%S")), QStringLiteral("05.03.24 07:08:09"));
    EXPECT_EQ(t.Format(QStringLiteral("%#d.%#m.%Y")), QStringLiteral("5.3.2024"));
    EXPECT_EQ(t.Format(QStringLiteral("_Y%yD%m%dH%H")), QStringLiteral("_Y24D0305H07"));
    EXPECT_EQ(t.Format(QStringLiteral("%j %% %a")), QStringLiteral("065 % Tue"));
    EXPECT_EQ(t.FormatGmt(QStringLiteral("%H")), QStringLiteral("06"));
}

TEST(TimeSpan, Components)
{
    const CTimeSpan s(1, 2, 3, 4);
    EXPECT_EQ(s.GetTotalSeconds(), 93784);
    EXPECT_EQ(s.GetDays(), 1);
    EXPECT_EQ(s.GetHours(), 2);
    EXPECT_EQ(s.GetMinutes(), 3);
    EXPECT_EQ(s.GetSeconds(), 4);
    EXPECT_EQ((CTime(100u) + s).GetTime(), 93884u);
}
