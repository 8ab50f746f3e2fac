#include "model/VKTEnergy.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

using vktest::Hex;
using vktest::Image;

namespace {

std::vector<BYTE> MeterImage()
{
    // Every register 12 + 0.5; group 5 register 2 has 1000 whole, group 2
    // register 3 has 7 whole; time 15.3.2023 10:59.
    std::vector<BYTE> image(CVKTEData::kImageSize);
    for (int k = 0; k < 28; ++k) {
        CPrevodTyp::PutFloat(&image[std::size_t(4 * k)], 0.5f);
        CPrevodTyp::PutDword(&image[std::size_t(4 * (k + 28))], 12);
    }
    CPrevodTyp::PutDword(&image[4 * 35], 1000);
    CPrevodTyp::PutDword(&image[4 * 54], 7);
    const auto time = Image("6fb3170a");
    std::memcpy(&image[224], time.data(), 4);
    return image;
}

} // namespace

TEST(VKTETarif, CodesPackFourToAByteAndCodeThreeReadsAsZero)
{
    const auto image = Image("e4 1b 00 aa 55 ff 0060");
    CVKTETarif tarif;
    tarif.FromRaw(image.data());
    const BYTE expected[24] = {0, 1, 2, 0, 0, 2, 1, 0, 0, 0, 0, 0, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0};
    for (int h = 0; h < 24; ++h)
        EXPECT_EQ(tarif.GetCode(h), expected[h]) << h;
    EXPECT_EQ(tarif.GetInterval(), 96);

    BYTE out[CVKTETarif::kImageSize];
    tarif.SetCode(23, 3); // set by hand: still written as 0
    tarif.ToRaw(out);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out), 8), Hex("24 18 00 aa 55 00 0060"));

    EXPECT_EQ(vktest::StoreFields(tarif), Hex("000102000002010000000000020202020101010100000003 6000"));
    EXPECT_EQ(CVKTETarif::IntervalOfCode(3), 96);
    EXPECT_EQ(CVKTETarif::CodeOfInterval(672), 4);
    EXPECT_EQ(CVKTETarif::CodeOfInterval(5), -1);
}

TEST(VKTEData, RegistersAreWholePlusFractionWithExportsNegated)
{
    const auto image = MeterImage();
    CVKTEData data;
    data.FromRaw(image.data());
    for (int g = 0; g < CVKTEData::kGroups; ++g) {
        for (int r = 0; r < CVKTEData::kRegisters; ++r) {
            double expected = 12.5;
            if (g == 5 && r == 2)
                expected = 1000.5;
            if (g == 2 && r == 3)
                expected = 7.5;
            if (r == 1 || r == 3)
                expected = -expected;
            EXPECT_DOUBLE_EQ(data.GetRegister(g, r), expected) << g << "/" << r;
        }
    }
    EXPECT_EQ(data.GetTime(), CTime(2023, 3, 15, 10, 59, 0));

    // Register by register, the groups 0..6 of each, then the time.
    const QByteArray stored = vktest::StoreFields(data);
    ASSERT_EQ(stored.size(), 28 * 8 + 4);
    double v = 0.0;
    std::memcpy(&v, stored.constData() + 8 * (3 * 7 + 2), 8);
    EXPECT_DOUBLE_EQ(v, -7.5);
    std::memcpy(&v, stored.constData() + 8 * (2 * 7 + 5), 8);
    EXPECT_DOUBLE_EQ(v, 1000.5);
    CVKTEData loaded;
    ASSERT_TRUE(vktest::LoadFields(stored, loaded));
    EXPECT_EQ(vktest::StoreFields(loaded), stored);
}

TEST(VKTEData, GroupPowerFactor)
{
    CVKTEData data;
    data.SetRegister(0, 0, 5.0);
    data.SetRegister(0, 1, -2.0);
    data.SetRegister(0, 2, 6.0);
    data.SetRegister(0, 3, -2.0);
    EXPECT_DOUBLE_EQ(data.GetPowerFactor(0), 0.6);
    EXPECT_DOUBLE_EQ(data.GetPowerFactor(1), 10000.0);
}

TEST(VKTEDataRec, MaximaWithoutTimeAreStoredWithoutOne)
{
    std::vector<BYTE> image = MeterImage();
    image.resize(CVKTEDataRec::kImageSize);
    const auto rest = Image("1f021700"                 // reset time: 31 February
                            "447a0000 6fb3170a2d"      // L1: 1000 W at 15.3.2023 10:59:45
                            "44fa0000 000000002d"      // L2: no time
                            "00000000 0000000000"      // L3: none
                            "45bb8000 0101170000"      // three-phase at 1.1.2023
                            "0101170c");               // maxima reset 1.1.2023 12:00
    std::memcpy(&image[228], rest.data(), rest.size());
    CVKTEDataRec rec;
    rec.FromRaw(image.data());
    EXPECT_EQ(rec.GetResetTime(), CTime(2000, 1, 1, 0, 0, 0));
    EXPECT_EQ(rec.GetMaximaResetTime(), CTime(2023, 1, 1, 12, 0, 0));
    EXPECT_FLOAT_EQ(rec.GetMaximum(0), 1000.0f);
    EXPECT_TRUE(rec.HasMaximumTime(0));
    EXPECT_EQ(rec.GetMaximumTime(0), CTime(2023, 3, 15, 10, 59, 45));
    EXPECT_FALSE(rec.HasMaximumTime(1));
    EXPECT_EQ(rec.GetMaximumTime(1), CTime(0));
    EXPECT_FALSE(rec.HasMaximumTime(2));
    EXPECT_TRUE(rec.HasMaximumTime(3));
    EXPECT_DOUBLE_EQ(rec.GetData().GetRegister(5, 2), 1000.5);

    const QByteArray stored = vktest::StoreFields(rec);
    const QByteArray maxima = stored.mid(228, 4 * 8 + 2 * 4 + 8);
    EXPECT_EQ(maxima.left(12), Hex("00007a44 01000000") + maxima.mid(8, 4)); // value, flag, time
    EXPECT_EQ(maxima.mid(12, 8), Hex("0000fa44 00000000")); // no time follows
    EXPECT_EQ(stored.size(), 228 + 4 * 8 + 2 * 4 + 2 * 4);
    CVKTEDataRec loaded;
    ASSERT_TRUE(vktest::LoadFields(stored, loaded));
    EXPECT_EQ(loaded.GetMaximumTime(3), rec.GetMaximumTime(3));
    EXPECT_FALSE(loaded.HasMaximumTime(1));
    EXPECT_EQ(vktest::StoreFields(loaded), stored);
}
