#include "model/VKTNoteBook.h"
#include "model/VKTOutputConfig.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

using vktest::Hex;
using vktest::Image;

namespace {

// Mode 0x9D (P1 and P2 active export and sending, synchronisation input),
// pulse constants 1000 and 20, limits 50.0 and unset, hysteresis 150 and 2,
// blocking 10 and 0, settings 0x4A (P, above, L3) and 0xC5.
const char* kImage = "9d 03e8 0014 42480000 ffffffff 0096 0002 000a 0000 4a c5";

} // namespace

TEST(VKTOutputConfig, ImageRoundTripAndStoredForm)
{
    const auto image = Image(kImage);
    ASSERT_EQ(int(image.size()), CVKTOutputConfig::kImageSize);
    CVKTOutputConfig out;
    out.FromRaw(image.data());
    EXPECT_EQ(out.GetOutputMode(1), 1);
    EXPECT_EQ(out.GetOutputMode(2), 1);
    EXPECT_TRUE(out.GetSyncInput());
    EXPECT_TRUE(out.GetSending(1));
    EXPECT_TRUE(out.GetSending(2));
    EXPECT_EQ(out.GetPulseConstant(0), 1000);
    EXPECT_EQ(out.GetHysteresis(0), 150);
    EXPECT_EQ(out.GetBlockingTime(0), 10);
    EXPECT_EQ(out.GetQuantity(0), 4);
    EXPECT_TRUE(out.GetFlag(0));
    EXPECT_EQ(out.GetFunction(0), 2);

    std::vector<BYTE> raw(CVKTOutputConfig::kImageSize, 0xEE);
    out.ToRaw(raw.data());
    EXPECT_EQ(raw, image);

    // Mode; then per output: pulse constant, limit bits, hysteresis, blocking, setting.
    const QByteArray stored = Hex("9d e803 00004842 9600 0a00 4a 1400 ffffffff 0200 0000 c5");
    EXPECT_EQ(vktest::StoreFields(out), stored);
    CVKTOutputConfig loaded;
    ASSERT_TRUE(vktest::LoadFields(stored, loaded));
    loaded.ToRaw(raw.data());
    EXPECT_EQ(raw, image);
}

TEST(VKTOutputConfig, ModeSettersTouchOnlyTheirOwnBits)
{
    CVKTOutputConfig out;
    out.SetModeByte(0xFF);
    out.SetOutputMode(1, 2);
    EXPECT_EQ(out.GetModeByte(), 0xFE);
    out.SetOutputMode(2, 0);
    EXPECT_EQ(out.GetModeByte(), 0xCE);

    // 4 does not fit the two bits: it must not reach the synchronisation bit
    // (output 1) or bit 6 (output 2).
    out.SetModeByte(0x00);
    out.SetOutputMode(1, 4);
    out.SetOutputMode(2, 4);
    EXPECT_EQ(out.GetModeByte(), 0x00);
    out.SetModeByte(0xFF);
    out.SetOutputMode(1, 4);
    out.SetOutputMode(7, -1); // any n other than 1 is output 2
    EXPECT_EQ(out.GetModeByte(), 0xCC);
}

TEST(VKTOutputConfig, RelaySettingsClearOnValuesOutsideTheirRange)
{
    CVKTOutputConfig out;
    out.SetQuantity(0, 12);
    out.SetFunction(0, 6);
    out.SetFlag(0, TRUE);
    EXPECT_EQ(out.GetSettingByte(0), 0xCE);
    out.SetQuantity(0, 13);
    EXPECT_EQ(out.GetSettingByte(0), 0x0E);
    out.SetQuantity(1, 5);
    out.SetFunction(1, 3);
    out.SetFunction(1, 7);
    EXPECT_EQ(out.GetSettingByte(1), 0x50);
    // A bad index changes nothing.
    out.SetQuantity(2, 3);
    EXPECT_EQ(out.GetSettingByte(0), 0x0E);
    EXPECT_EQ(out.GetSettingByte(1), 0x50);
}

TEST(VKTOutputConfig, LimitMarkerMeansNotActive)
{
    CVKTOutputConfig out;
    BOOL set = TRUE;
    float value = 0.0f;
    out.GetLimit(0, set, value);
    EXPECT_FALSE(set);
    EXPECT_FLOAT_EQ(value, 100.0f);
    out.SetLimit(1, TRUE, 42.5f);
    out.GetLimit(1, set, value);
    EXPECT_TRUE(set);
    EXPECT_FLOAT_EQ(value, 42.5f);
    out.SetLimit(1, FALSE, 42.5f);
    out.GetLimit(1, set, value);
    EXPECT_FALSE(set);
    EXPECT_FLOAT_EQ(value, 100.0f);
}

TEST(VKTNoteBook, FullTextsSurviveImageAndStoredForm)
{
    std::vector<BYTE> image(CVKTNoteBook::kImageSize);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = BYTE(0x41 + i % 26); // no terminator anywhere
    CVKTNoteBook note;
    note.FromRaw(image.data());
    std::vector<BYTE> out(CVKTNoteBook::kImageSize);
    note.ToRaw(out.data());
    EXPECT_EQ(out, image);

    const QByteArray stored = vktest::StoreFields(note);
    EXPECT_EQ(stored, QByteArray(reinterpret_cast<const char*>(image.data()), int(image.size())));
    CVKTNoteBook loaded;
    ASSERT_TRUE(vktest::LoadFields(stored, loaded));
    EXPECT_EQ(loaded.GetText2(), note.GetText2());
    EXPECT_THROW(vktest::LoadFields(stored.left(40), loaded), platform::ArchiveError);
}
