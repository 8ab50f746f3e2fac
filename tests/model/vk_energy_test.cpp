#include "model/VKEnergy.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

using vktest::Hex;
using vktest::Image;

TEST(VKETarif, PackedHours)
{
    // Hours 0-3 in byte 0 from bit 0 up; a 3 reads as tariff 1.
    CVKETarif t;
    t.UnpackHours(Image("e4 00 aa 55 ff 12").data());
    const int expected[24] = {0, 1, 2, 0, 0, 0, 0, 0, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0, 2, 0, 1, 0};
    for (int h = 0; h < 24; ++h)
        EXPECT_EQ(t.GetCode(h), expected[h]) << h;

    // A code above 2 is written as 0 and left as 0 in the record.
    t.SetCode(5, 3);
    BYTE packed[CVKETarif::kImageSize];
    t.PackHours(packed);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(packed), 6).toHex(), Hex("24 00 aa 55 00 12").toHex());
    EXPECT_EQ(t.GetCode(5), 0);

    const QByteArray stored = vktest::StoreFields(t);
    ASSERT_EQ(stored.size(), 24);
    for (int h = 0; h < 24; ++h)
        EXPECT_EQ(stored[h], char(t.GetCode(h)));
}

TEST(VKEData, CountersTimesAndScaling)
{
    std::vector<BYTE> image(CVKEData::kImageSize, 0);
    for (int i = 0; i < 12; ++i)
        CPrevodTyp::PutDword(&image[std::size_t(4 * i)], DWORD(100 * i));
    CPrevodTyp::PutDword(&image[20], 1000); // tariff 2, active export
    const auto reset = Image("24 03 31 23 59 58");
    std::copy(reset.begin(), reset.end(), image.begin() + 48);
    CPrevodTyp::PutDword(&image[54 + 12], DWORD(-320000));
    const auto maxTime = Image("24 02 29 12 15 00");
    std::copy(maxTime.begin(), maxTime.end(), image.begin() + 70 + 18);
    image[70 + 1] = 0x13; // month 13 for the first maximum

    CVKEData e;
    e.FromRaw(image.data());
    const int index = CVKEData::CounterIndex(1, CVKEData::ActiveExport);
    EXPECT_EQ(index, 5);
    EXPECT_EQ(e.GetCounter(index), 1000u);
    EXPECT_NEAR(e.GetEnergy(index, 20.0, 40.0), 800.0, 1e-9);
    EXPECT_EQ(e.GetCounter(11), 1100u);
    EXPECT_EQ(e.GetTime(), CTime(2024, 3, 31, 23, 59, 58, 0));
    EXPECT_EQ(e.GetMaximum(3), -320000);
    EXPECT_NEAR(e.GetMaximumPower(3, 1.0, 1.0), -1.0 * 0.001, 1e-12);
    EXPECT_EQ(e.GetMaximumTime(3), CTime(2024, 2, 29, 12, 15, 0, 0));
    EXPECT_FALSE(e.GetMaximumTime(0).IsValid());
    EXPECT_FALSE(e.GetMaximumTime(4).IsValid());
}
