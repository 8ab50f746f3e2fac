#include "model/ProfileStatus.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

using vktest::Hex;
using vktest::Image;

namespace {

// Day entries: 10 A at 15.3.2023 10:59:45; 7 A with a time starting with 0
// (absent); 2.5 A at 1.1.2023; none. Maximum entries: 20 A at 15.3.2023
// 10:59:45, the others none. Day 15.3.2023, time C 15.3.2023 10:59 (its
// seconds byte is the flag D byte, 1), byte 81 set, kind 2, reset 1.1.2023.
const char* kVKT = "41200000 6fb3170a2d  40e00000 00b3170a2d  40200000 0101170000  00000000 0000000000"
                   "41a00000 6fb3170a2d  00000000 0000000000  00000000 0000000000  00000000 0000000000"
                   "0f031700 6fb3170a 01 01 00 02 01011700";

// Current date 15.3.2023 10:00; day times L1 08:30, L2 without month, L3
// 09:00, sum 09:30; day currents 100, 16, 0x7FFF, sum 0x7FFF; maximum times
// 1.1.2023 12:00 (all); maximum currents 0x200, 0xFFFF, 1, sum 0xFFFF; reset
// 1.1.2023; CT 100 A / 5 A; selected day 14.3.2023; time C without month.
const char* kVK = "230315100000 230315083000 23ff15083000 230315090000 230315093000"
                  "0064 0010 7fff 7fff"
                  "230101120000 230101120000 230101120000 230101120000"
                  "0200 ffff 0001 ffff"
                  "230101000000 80000064 00000000000000000000000000000000 00"
                  "230314000000 23ff00000000 0000000000000000000000";

} // namespace

TEST(ProfileStatus, VKTReplyDecodes)
{
    const auto image = Image(kVKT);
    ASSERT_EQ(int(image.size()), CProfileStatus::kVKTImageSize);
    CProfileStatus st;
    st.FromRawVKT(image.data(), 5.0);
    EXPECT_TRUE(st.IsDayPresent(0));
    EXPECT_FLOAT_EQ(st.GetDayValue(0), 50.0f);
    EXPECT_EQ(st.GetDayTime(0), CTime(2023, 3, 15, 10, 59, 45));
    EXPECT_FALSE(st.IsDayPresent(1)); // its float does not matter
    EXPECT_FLOAT_EQ(st.GetDayValue(1), 0.0f);
    EXPECT_TRUE(st.IsDayPresent(2));
    EXPECT_FALSE(st.IsDayPresent(3));
    EXPECT_FLOAT_EQ(st.GetMaximumValue(0), 100.0f);
    EXPECT_FALSE(st.IsMaximumPresent(1));
    EXPECT_EQ(st.GetFlagD(), 1);
    EXPECT_EQ(st.GetFlagC(), 1);
    EXPECT_EQ(st.GetTimeC(), CTime(2023, 3, 15, 10, 59, 1));
    EXPECT_EQ(st.GetSelectedDay(), CTime(2023, 3, 15, 0, 0, 0));
    EXPECT_EQ(st.GetCurrentDate(), CTime(2023, 3, 15, 0, 0, 0));
    EXPECT_EQ(st.GetResetTime(), CTime(2023, 1, 1, 0, 0, 0));

    // Flag C needs kind 1 or 2; without byte 81 neither time C nor the day is taken.
    auto other = image;
    other[83] = 3;
    CProfileStatus kind3;
    kind3.FromRawVKT(other.data(), 1.0);
    EXPECT_EQ(kind3.GetFlagC(), 0);
    EXPECT_EQ(kind3.GetTimeC(), CTime(2023, 3, 15, 10, 59, 1));
    other[81] = 0;
    CProfileStatus none;
    none.FromRawVKT(other.data(), 1.0);
    EXPECT_EQ(none.GetFlagC(), 0);
    EXPECT_EQ(none.GetTimeC(), CTime(0));
    EXPECT_EQ(none.GetSelectedDay(), CTime(0));
    EXPECT_EQ(none.GetCurrentDate(), CTime(2023, 3, 15, 0, 0, 0));
}

TEST(ProfileStatus, VKReplyDecodes)
{
    const auto image = Image(kVK);
    ASSERT_EQ(int(image.size()), CProfileStatus::kVKImageSize);
    CProfileStatus st;
    st.FromRawVK(image.data());
    const double scale = 0.0003125 * 20; // 100 A primary with a 5 A secondary
    EXPECT_EQ(st.GetCurrentDate(), CTime(2023, 3, 15, 10, 0, 0));
    EXPECT_TRUE(st.IsDayPresent(0));
    EXPECT_FLOAT_EQ(st.GetDayValue(0), float(100 * scale));
    EXPECT_EQ(st.GetDayTime(0), CTime(2023, 3, 15, 8, 30, 0));
    EXPECT_FALSE(st.IsDayPresent(1)); // no month
    EXPECT_FALSE(st.IsDayPresent(2)); // 0x7FFF marks a phase absent
    EXPECT_TRUE(st.IsDayPresent(3)); // ... but not the sum
    EXPECT_FLOAT_EQ(st.GetDayValue(3), float(32767 * scale));
    EXPECT_TRUE(st.IsMaximumPresent(1)); // 0xFFFF is -1 for a phase
    EXPECT_FLOAT_EQ(st.GetMaximumValue(1), float(-scale));
    EXPECT_FALSE(st.IsMaximumPresent(3)); // ... and absent for the sum
    EXPECT_EQ(st.GetResetTime(), CTime(2023, 1, 1, 0, 0, 0));
    EXPECT_EQ(st.GetFlagD(), 1);
    EXPECT_EQ(st.GetSelectedDay(), CTime(2023, 3, 14, 0, 0, 0));
    EXPECT_EQ(st.GetFlagC(), 0);

    auto noDate = image;
    noDate[1] = 0xFF;
    const CTime before = CTime::GetCurrentTime();
    st.FromRawVK(noDate.data());
    EXPECT_GE(st.GetCurrentDate(), before + CTimeSpan(1, 0, 0, 0));
    EXPECT_LE(st.GetCurrentDate(), CTime::GetCurrentTime() + CTimeSpan(1, 0, 0, 0));
}

TEST(ProfileStatus, StoredFormWithoutFlagsWhichFollowTheTimes)
{
    const auto image = Image(kVKT);
    CProfileStatus st;
    st.FromRawVKT(image.data(), 1.0);
    const QByteArray stored = vktest::StoreFields(st);
    ASSERT_EQ(stored.size(), 4 * 16 + 4 + 4 + 1 + 1 + 4 + 4);
    // Maximum value and time, then day value and time, for L1.
    const DWORD t = CTime(2023, 3, 15, 10, 59, 45).GetTime();
    const QByteArray time(reinterpret_cast<const char*>(&t), 4);
    EXPECT_EQ(stored.left(16), Hex("0000a041") + time + Hex("00002041") + time);

    CProfileStatus loaded;
    ASSERT_TRUE(vktest::LoadFields(stored, loaded));
    for (int k = 0; k < CProfileStatus::kEntries; ++k) {
        EXPECT_EQ(loaded.IsDayPresent(k), st.IsDayPresent(k)) << k;
        EXPECT_EQ(loaded.IsMaximumPresent(k), st.IsMaximumPresent(k)) << k;
    }
    EXPECT_EQ(vktest::StoreFields(loaded), stored);
}
