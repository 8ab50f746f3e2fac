#include "model/VKTPackedTime.h"
#include "model/VKTStatus.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

using vktest::Hex;
using vktest::Image;

namespace {

CTime Local(int y, int mo, int d, int h, int mi, int s)
{
    return CTime(y, mo, d, h, mi, s);
}

// State 0x08 (error), 0x01; capacity 30711; wrapped write position -5; newest
// 15.3.2023 10:59:45, oldest 1.1.2023 0:00:00; words 0x1234, (abcd unused),
// 0x5678; description: 900 s, s0 = 0x17, s2 = 0x04, s13 = 1, start at once.
const char* kStatus = "08 01 000077f7 fffffffb 6fb3170a2d 0101170000 1234 abcd 5678"
                      " 0384 17 00 04 00 00 00 00 00 00 00 00 00 00 01 ffffffff";

} // namespace

TEST(VKTPackedTime, MinuteBitsAreSplitOverTheFirstTwoBytes)
{
    BYTE p[4] = {};
    PackRecordTime(Local(2023, 3, 15, 10, 59, 0), p);
    EXPECT_EQ(p[0] >> 5, 0x3);
    EXPECT_EQ(p[1] >> 4, 0xB);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(p), 4), Hex("6fb3170a"));
    EXPECT_EQ(UnpackRecordTimeNoSec(p), Local(2023, 3, 15, 10, 59, 0));
    const BYTE withSeconds[5] = {0x6F, 0xB3, 0x17, 0x0A, 45};
    EXPECT_EQ(UnpackRecordTime(withSeconds), Local(2023, 3, 15, 10, 59, 45));
}

TEST(VKTPackedTime, SummerTimeIsPackedAsStandardTimeAndReadBack)
{
    const CTime summer = Local(2023, 7, 15, 12, 30, 0);
    BYTE p[4] = {};
    PackRecordTime(summer, p);
    EXPECT_EQ(p[3], 11); // the instrument keeps standard time
    EXPECT_EQ(UnpackRecordTimeNoSec(p), summer);

    BYTE clock[7] = {};
    const CTime t = Local(2023, 7, 15, 12, 30, 45); // a Saturday
    PackClockBcd(t, clock);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(clock), 7), Hex("45301107150723"));
    EXPECT_EQ(UnpackClockBcd(clock), t);
}

TEST(VKTPackedTime, ClockChangesPackAsStandardTimeAndComeBack)
{
    const struct {
        CTime::time_type utc;
        const char* record; // 4-byte record time
        const char* clock;  // s m h weekday d m y
    } cases[] = {
        {1711846799, "7fb31801", "59590101310324"}, // 01:59:59, last second before the spring change
        {1711846800, "1f031802", "00000201310324"}, // 03:00 summer time, first second after it
        {1711848600, "3fe31802", "00300201310324"}, // 03:30 summer time
        {1711850399, "7fb31802", "59590201310324"}, // 03:59:59 summer time, end of the first hour
        {1729989000, "3bea1801", "00300101271024"}, // 02:30 summer time, before the autumn change
        {1729992600, "3bea1802", "00300201271024"}, // 02:30 winter time, after it
    };
    for (const auto& c : cases) {
        BYTE record[4] = {};
        PackRecordTime(CTime(c.utc), record);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(record), 4).toHex().toStdString(), c.record) << c.utc;
        EXPECT_EQ(UnpackRecordTimeNoSec(record).GetTime(), c.utc - c.utc % 60) << c.utc;

        BYTE clock[7] = {};
        PackClockBcd(CTime(c.utc), clock);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(clock), 7).toHex().toStdString(), c.clock) << c.utc;
        EXPECT_EQ(UnpackClockBcd(clock).GetTime(), c.utc) << c.utc;
    }
}

TEST(VKTPackedTime, TimesThatDoNotExistReadAsTheOrigin)
{
    const CTime origin = Local(2000, 1, 1, 0, 0, 0);
    const struct {
        const char* bytes;
        const char* what;
    } cases[] = {
        {"1f02170000", "31 February"}, {"0100170000", "month 0"}, {"0001170000", "day 0"},
        {"010117180000", "hour 24"},   {"01011700 3c", "second 60"}, {"ff ff ff ff ff", "all ones"},
    };
    for (const auto& c : cases) {
        const auto b = Image(c.bytes);
        EXPECT_EQ(UnpackRecordTime(b.data()), origin) << c.what;
    }
    const auto clock = Image("00 00 00 01 01 13 23"); // month 13
    EXPECT_EQ(UnpackClockBcd(clock.data()), origin);
}

TEST(VKTArch, RecordSizeFollowsTheSelection)
{
    const struct {
        std::vector<std::pair<int, BYTE>> selection;
        int size;
    } cases[] = {
        {{}, 8},
        {{{CVKTArch::SelVoltage, 0x17}}, 26},
        {{{CVKTArch::SelHarmonics, 0x10}, {CVKTArch::SelOrders, 0x19}}, 8 + 26},
        {{{CVKTArch::SelHarmonics, 0x10}, {CVKTArch::SelOrders, 0x99}}, 8 + 50},
        {{{CVKTArch::SelCos, 0x1F}}, 8 + 8}, // bit 4 of s5 does not triple
        {{{CVKTArch::SelActivePower, 0x3F}}, 8 + 4 * 4 * 3 * 2},
        {{{CVKTArch::SelApparentPower, 0x0B}}, 8 + 4 * 3},
        {{{CVKTArch::SelFlags, 0x37}}, 8 + 1 + 2 * 6},
        {{{CVKTArch::SelFlags, 0x13}}, 8 + 2 * 4},
    };
    for (const auto& c : cases) {
        CVKTArch arch;
        for (const auto& [n, v] : c.selection)
            arch.SetSelection(n, v);
        EXPECT_EQ(arch.GetRecordSize(), c.size) << c.size;
    }
}

TEST(VKTArch, StartTimeAtOnceValidAndInvalid)
{
    CVKTArch arch;
    BOOL atOnce = FALSE;
    CTime before = CTime::GetCurrentTime();
    CTime t = arch.GetStartTime(atOnce);
    EXPECT_TRUE(atOnce);
    EXPECT_GE(t, before);
    EXPECT_LE(t, CTime::GetCurrentTime());

    const CTime start = Local(2024, 2, 29, 8, 15, 0);
    arch.SetStartTime(start, FALSE);
    EXPECT_EQ(arch.GetStartTime(atOnce), start);
    EXPECT_FALSE(atOnce);

    // 31 February: the current time plus a minute.
    const auto image = Image("0384 0000000000000000000000000000 1f021700");
    arch.FromRaw(image.data());
    before = CTime::GetCurrentTime();
    t = arch.GetStartTime(atOnce);
    EXPECT_FALSE(atOnce);
    EXPECT_GE(t, before + CTimeSpan(60));
    EXPECT_LE(t, CTime::GetCurrentTime() + CTimeSpan(60));

    arch.SetStartTime(start, TRUE);
    BYTE raw[CVKTArch::kImageSize];
    arch.ToRaw(raw);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(raw + 16), 4), Hex("ffffffff"));
}

TEST(VKTStatus, ImageAndStoredForm)
{
    const auto image = Image(kStatus);
    ASSERT_EQ(int(image.size()), CVKTStatus::kImageSize);
    CVKTStatus status;
    status.FromRaw(image.data());
    EXPECT_TRUE(status.IsErrorState());
    EXPECT_EQ(status.GetCapacity(), 30711u);
    EXPECT_EQ(status.GetWritePosition(), -5);
    EXPECT_EQ(status.GetNewestTime(), Local(2023, 3, 15, 10, 59, 45));
    EXPECT_EQ(status.GetOldestTime(), Local(2023, 1, 1, 0, 0, 0));
    EXPECT_EQ(status.GetArch().GetInterval(), 900);
    EXPECT_EQ(status.GetRecordSize(), 8 + 18 + 2);

    std::vector<BYTE> out(CVKTStatus::kImageSize, 0xEE);
    status.ToRaw(out.data());
    auto expected = image;
    expected[22] = expected[23] = 0; // bytes without meaning
    EXPECT_EQ(out, expected);

    // States, counters, the five pairs of newest and oldest time bytes, the
    // three words, then the description: interval, selection, start time.
    const QByteArray stored = Hex("08 01 f7770000 fbffffff 6f01 b301 1717 0a00 2d00 3412 0000 7856"
                                  " 8403 17 00 04 00 00 00 00 00 00 00 00 00 00 01 ffffffff");
    EXPECT_EQ(vktest::StoreFields(status), stored);
    CVKTStatus loaded;
    ASSERT_TRUE(vktest::LoadFields(stored, loaded));
    loaded.ToRaw(out.data());
    EXPECT_EQ(out, expected);
}
