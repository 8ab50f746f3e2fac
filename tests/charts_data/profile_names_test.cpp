// Profile file names and what the profile settings dialog shows of a status.
#include "charts_data/ProfileNames.h"

#include <gtest/gtest.h>

namespace {

using platform::CTime;

struct StatusEntry {
    float value = 0;
    CTime time;
};

// A status through its stored form (the only way in besides instrument
// images).
CProfileStatus Status(const std::array<StatusEntry, 4>& maximum, const std::array<StatusEntry, 4>& day, CTime timeC,
                      CTime selectedDay, BYTE flagD, BYTE flagC, CTime currentDate, CTime resetTime)
{
    SerialArchive out;
    for (std::size_t k = 0; k < 4; ++k)
        out << maximum[k].value << maximum[k].time << day[k].value << day[k].time;
    out << timeC << selectedDay << flagD << flagC << currentDate << resetTime;
    SerialArchive in(out.buffer());
    CProfileStatus status;
    status.Serialize(in);
    return status;
}

TEST(ProfileNamesTest, FileNamesCarryTheKindAndTheProfileDay)
{
    const CTime march5(2009, 3, 5, 0, 0, 0);
    const CTime june30(2024, 6, 30, 0, 0, 0);
    const CProfileStatus status = Status({}, {}, march5, june30, 1, 1, CTime(), CTime());
    EXPECT_EQ(charts::ProfileFileName(QStringLiteral("/data/hala"), true, status),
              QStringLiteral("/data/hala_MP_Y09D0305.pro"));
    EXPECT_EQ(charts::ProfileFileName(QStringLiteral("/data/hala"), false, status),
              QStringLiteral("/data/hala_SP_Y24D0630.pro"));
}

// An instrument can flag a profile as held without dating it; a name
// without its day ("hala_SP_") would be no profile file at all.
TEST(ProfileNamesTest, AProfileWithoutADayHasNoFileName)
{
    const CTime march5(2009, 3, 5, 0, 0, 0);
    const struct {
        const char* name;
        CTime timeC;
        CTime selectedDay;
        bool maximum;
        bool dated;
    } cases[] = {
        {"selected, day 0", march5, CTime(), false, false},
        {"selected, day invalid", march5, CTime(CTime::kInvalid), false, false},
        {"maximum, day 0", CTime(), march5, true, false},
        {"maximum, day invalid", CTime(CTime::kInvalid), march5, true, false},
        {"selected, dated", CTime(), march5, false, true},
        {"maximum, dated", march5, CTime(), true, true},
    };
    for (const auto& c : cases) {
        const CProfileStatus status = Status({}, {}, c.timeC, c.selectedDay, 1, 1, CTime(), CTime());
        EXPECT_EQ(charts::HasProfileDay(status, c.maximum), c.dated) << c.name;
        EXPECT_EQ(charts::ProfileFileName(QStringLiteral("/data/hala"), c.maximum, status).isEmpty(), !c.dated)
            << c.name;
    }
}

TEST(ProfileNamesTest, AStatusWithoutTimesShowsDashesAndOffersNoDownload)
{
    const CTime now(2024, 6, 15, 12, 30, 0);
    const charts::CProfileSettingsValues none =
        charts::ProfileSettingsValues(Status({}, {}, CTime(), CTime(), 0, 0, CTime(2024, 3, 1, 0, 0, 0),
                                             CTime(2024, 1, 2, 3, 4, 5)),
                                      now);
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(none.maximumValue[k], QStringLiteral("--"));
        EXPECT_EQ(none.maximumTime[k], QStringLiteral("--"));
        EXPECT_EQ(none.selectedValue[k], QStringLiteral("--"));
        EXPECT_EQ(none.selectedTime[k], QStringLiteral("--"));
    }
    EXPECT_EQ(none.selectedDay, QStringLiteral("--"));
    EXPECT_EQ(none.heading, QStringLiteral("Hodnota [A]"));
    EXPECT_EQ(none.resetTime, QStringLiteral("02.01.24 03:04:05"));
    EXPECT_FALSE(none.canDownloadSelected);
    EXPECT_FALSE(none.canDownloadMaximum);
    // 1 March lies before 15 June: the day to select is next year's.
    EXPECT_EQ(none.dayToSelect.GetTime(), CTime(2025, 3, 1, 12, 30, 0).GetTime());
}

TEST(ProfileNamesTest, PresentEntriesShowValuesAndTimes)
{
    std::array<StatusEntry, 4> maximum{};
    maximum[2] = {12.3456f, CTime(2024, 6, 1, 8, 15, 0)};
    std::array<StatusEntry, 4> day{};
    day[0] = {1.5f, CTime(2024, 6, 10, 23, 59, 0)};
    const CTime now(2024, 6, 15, 12, 30, 0);
    const charts::CProfileSettingsValues v = charts::ProfileSettingsValues(
        Status(maximum, day, CTime(2024, 6, 1, 0, 0, 0), CTime(2024, 6, 10, 0, 0, 0), 1, 2,
               CTime(2024, 6, 20, 0, 0, 0), CTime()),
        now);
    EXPECT_EQ(v.maximumValue[2], QStringLiteral("12.346"));
    EXPECT_EQ(v.maximumTime[2], QStringLiteral("01.06.24 08:15"));
    EXPECT_EQ(v.maximumValue[0], QStringLiteral("--"));
    EXPECT_EQ(v.selectedValue[0], QStringLiteral("1.500"));
    EXPECT_EQ(v.selectedTime[0], QStringLiteral("23:59"));
    EXPECT_EQ(v.selectedDay, QStringLiteral("10.06.24"));
    EXPECT_TRUE(v.canDownloadSelected);
    EXPECT_TRUE(v.canDownloadMaximum); // flag C 2 counts as 1
    EXPECT_EQ(v.dayToSelect.GetTime(), CTime(2024, 6, 20, 12, 30, 0).GetTime());
}

} // namespace
