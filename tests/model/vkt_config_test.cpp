#include "model/VKTConfig.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

using vktest::Hex;
using vktest::Image;

namespace {

// VT 400, VT4 100, CT 100 A / 5 A, CT4 50, 50 Hz, star, address 7, 115200 Bd,
// Modbus with no parity and a modem, 192.168.0.1:502, 100 V, 5 W, display
// 0x25, reserved 01..06.
const char* kImage = "0190 0064 8064 0032 0032 02 07 05 81 c0a80001 01f6 42c80000 40a00000 25 010203040506";

} // namespace

TEST(VKTConfig, CurrentRatiosFollowTheSharedSecondary)
{
    const struct {
        WORD ct;
        WORD ct4;
        double ratio;
        double ratio4;
    } cases[] = {
        {0x8064, 0x0064, 20.0, 20.0}, // 5 A secondary serves the fourth input too
        {0x0064, 0x8064, 100.0, 100.0}, // bit 15 of the fourth word itself does not count
        {0xFFFF, 0xFFFF, 1.0, 1.0}, // the marker is not 32767 × 0.2
        {0x8001, 0x0005, 0.2, 1.0},
    };
    for (const auto& c : cases) {
        CVKTConfig cfg;
        cfg.SetCtPrimary(c.ct);
        cfg.SetCt4(c.ct4);
        EXPECT_NEAR(cfg.GetRatio(), c.ratio, 1e-12) << std::hex << c.ct;
        EXPECT_NEAR(cfg.GetCt4Ratio(), c.ratio4, 1e-12) << std::hex << c.ct4;
    }
}

TEST(VKTConfig, VoltageRatiosAndTheUnsetMarker)
{
    CVKTConfig cfg;
    cfg.SetVtPrimary(0xFFFF);
    cfg.SetVt4(0xFFFF);
    EXPECT_TRUE(cfg.IsVtRatioUnset());
    EXPECT_DOUBLE_EQ(cfg.GetPrimary(), 1.0);
    EXPECT_DOUBLE_EQ(cfg.GetSecondVtRatio(), 1.0);
    cfg.SetVtPrimary(400);
    cfg.SetVt4(65000);
    EXPECT_FALSE(cfg.IsVtRatioUnset());
    EXPECT_DOUBLE_EQ(cfg.GetPrimary(), 400.0);
    EXPECT_DOUBLE_EQ(cfg.GetSecondVtRatio(), 65000.0);
}

TEST(VKTConfig, ImageDecodesAndSurvivesTheRoundTrip)
{
    const auto image = Image(kImage);
    ASSERT_EQ(int(image.size()), CVKTConfig::kImageSize);
    CVKTConfig cfg;
    cfg.FromRaw(image.data());
    EXPECT_EQ(cfg.GetVtPrimary(), 400);
    EXPECT_EQ(cfg.GetVt4(), 100);
    EXPECT_EQ(cfg.GetNominalFrequency(), 50);
    EXPECT_EQ(cfg.GetConnection(), CVKTConfig::Star);
    EXPECT_EQ(cfg.GetBusAddress(), 7);
    EXPECT_EQ(cfg.GetLineSpeed(), 5);
    EXPECT_EQ(cfg.GetRemoteOptions(), 0x81);
    EXPECT_EQ(cfg.GetIpAddress(), 0xC0A80001u);
    EXPECT_EQ(cfg.GetIpPort(), 502);
    EXPECT_FLOAT_EQ(cfg.GetNominalVoltage(), 100.0f);
    EXPECT_FLOAT_EQ(cfg.GetNominalPower(), 5.0f);
    EXPECT_EQ(cfg.GetDisplay(), 0x25);

    std::vector<BYTE> out(CVKTConfig::kImageSize, 0xEE);
    cfg.ToRaw(out.data());
    EXPECT_EQ(out, image);
}

TEST(VKTConfig, StoredFormHasNoDisplayByteAndKeepsTheReservedBytes)
{
    const auto image = Image(kImage);
    CVKTConfig cfg;
    cfg.FromRaw(image.data());
    // VT, CT, VT4, CT4, frequency; connection, address, speed, options; IP,
    // port, nominal voltage and power; reserved bytes.
    const QByteArray expected = Hex("9001 6480 6400 3200 3200 02 07 05 81 0100a8c0 f601 0000c842 0000a040 010203040506");
    EXPECT_EQ(vktest::StoreFields(cfg), expected);

    CVKTConfig loaded;
    loaded.SetDisplay(0x11);
    ASSERT_TRUE(vktest::LoadFields(expected, loaded));
    std::vector<BYTE> out(CVKTConfig::kImageSize);
    loaded.ToRaw(out.data());
    auto withOldDisplay = image;
    withOldDisplay[28] = 0x11; // loading leaves the display byte as it was
    EXPECT_EQ(out, withOldDisplay);
}
