#include "model/VKConfig.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

using vktest::Hex;
using vktest::Image;

namespace {

// VT 22000 V, CT 100 A / 5 A, 500 kVA, flags modem + Aron + direct voltage,
// address 7, speed 8, C3, CAN address 1000, 100 V, C5-C7, -20.0 and 100.0 degrees.
const char* kImage = "000055f0 80000064 01f4 52 07 08 11223344 03e8 0064 a1a2a3 ff38 03e8";

} // namespace

TEST(VKConfig, CtRatioDecodesPrimaryAndSecondary)
{
    const struct {
        DWORD raw;
        double ratio;
    } cases[] = {
        {0x80000005u, 1.0}, {5u, 5.0}, {0x80000064u, 20.0}, {100u, 100.0}, {0x7FFFFFFFu, 2147483647.0}, {0u, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(CVKConfig::GetCtRatio(c.raw), c.ratio, 1e-9) << std::hex << c.raw;
}

TEST(VKConfig, VtRatioDirectThroughTransformerAndWithoutSecondary)
{
    CVKConfig cfg;
    cfg.SetVtPrimary(22000);
    cfg.SetVoltageWord(110);
    EXPECT_DOUBLE_EQ(cfg.GetVtRatio(), 200.0);

    // Direct connection: the word is then the nominal voltage, not a secondary.
    cfg.SetDirectVoltage(TRUE);
    cfg.SetVoltageWord(400);
    EXPECT_DOUBLE_EQ(cfg.GetVtRatio(), 1.0);

    // An unset secondary must not give an infinite ratio.
    cfg.SetDirectVoltage(FALSE);
    cfg.SetVoltageWord(0);
    EXPECT_TRUE(std::isfinite(cfg.GetVtRatio()));
    EXPECT_DOUBLE_EQ(cfg.GetVtRatio(), 1.0);
}

TEST(VKConfig, ConnectionAndParityBits)
{
    const struct {
        BYTE flags;
        int connection;
        int parity;
    } reads[] = {
        {0x00, 0, 0}, {0x20, 1, 0}, {0x10, 2, 0}, {0x30, 2, 0}, {0x04, 0, 1}, {0x08, 0, 2}, {0x0C, 0, 0},
    };
    for (const auto& r : reads) {
        CVKConfig cfg;
        cfg.SetInstallationFlags(r.flags);
        EXPECT_EQ(cfg.GetConnection(), r.connection) << int(r.flags);
        EXPECT_EQ(cfg.GetParity(), r.parity) << int(r.flags);
    }

    const struct {
        BYTE before;
        int connection;
        BYTE after;
    } writes[] = {
        {0x20, 2, 0x30}, // Aron leaves bit 5 as it was
        {0x30, 0, 0x00}, {0x10, 1, 0x20}, {0xCF, 1, 0xEF}, {0xFF, 0, 0xCF},
    };
    for (const auto& w : writes) {
        CVKConfig cfg;
        cfg.SetInstallationFlags(w.before);
        cfg.SetConnection(w.connection);
        EXPECT_EQ(cfg.GetInstallationFlags(), w.after) << int(w.before) << " <- " << w.connection;
    }

    CVKConfig cfg;
    cfg.SetInstallationFlags(0xFF);
    cfg.SetParity(2);
    EXPECT_EQ(cfg.GetInstallationFlags(), 0xFB);
    cfg.SetParity(7);
    EXPECT_EQ(cfg.GetInstallationFlags(), 0xF3);
}

TEST(VKConfig, TemperatureLineFromCalibrationWords)
{
    CVKConfig cfg;
    cfg.SetTemperatureAt4mA(0);
    cfg.SetTemperatureAt20mA(1000);
    double slope, offset;
    cfg.GetTemperatureLine(slope, offset);
    EXPECT_DOUBLE_EQ(slope, 0.625);
    EXPECT_DOUBLE_EQ(offset, -25.0);
    EXPECT_NEAR(cfg.GetTemperature(40), 0.0, 1e-9);
    EXPECT_NEAR(cfg.GetTemperature(120), 50.0, 1e-9);
    EXPECT_NEAR(cfg.GetTemperature(200), 100.0, 1e-9);
    EXPECT_EQ(cfg.GetTemperature(255), kNoValue);

    // Negative calibration points (-20.0 at 4 mA, 80.0 at 20 mA).
    cfg.SetTemperatureAt4mA(-200);
    cfg.SetTemperatureAt20mA(800);
    EXPECT_NEAR(cfg.GetTemperature(40), -20.0, 1e-9);
    EXPECT_NEAR(cfg.GetTemperature(200), 80.0, 1e-9);
}

TEST(VKConfig, ImageFieldsAndRoundTrip)
{
    const auto image = Image(kImage);
    ASSERT_EQ(image.size(), std::size_t(CVKConfig::kImageSize));
    CVKConfig cfg;
    cfg.FromRaw(image.data());
    EXPECT_EQ(cfg.GetVtPrimary(), 22000u);
    EXPECT_DOUBLE_EQ(cfg.GetCtRatio(), 20.0);
    EXPECT_EQ(cfg.GetNominalPower(), 500);
    EXPECT_EQ(cfg.GetConnection(), CVKConfig::Aron);
    EXPECT_TRUE(cfg.GetModem());
    EXPECT_FALSE(cfg.GetModbus());
    EXPECT_DOUBLE_EQ(cfg.GetVtRatio(), 1.0);
    EXPECT_EQ(cfg.GetBusAddress(CVKConfig::InterfaceCan), 1000);
    EXPECT_EQ(cfg.GetBusAddress(CVKConfig::Interface485), 7);
    EXPECT_EQ(cfg.GetTemperatureAt4mA(), -200);
    EXPECT_EQ(cfg.GetTemperatureAt20mA(), 1000);

    BYTE out[CVKConfig::kImageSize] = {};
    cfg.ToRaw(out);
    EXPECT_EQ(std::vector<BYTE>(out, out + CVKConfig::kImageSize), image);
}

TEST(VKConfig, LineSpeedByInterface)
{
    EXPECT_EQ(CVKConfig::GetLineSpeed(CVKConfig::InterfaceCan, 0), 5);
    EXPECT_EQ(CVKConfig::GetLineSpeed(CVKConfig::InterfaceCan, 10), 1000);
    EXPECT_EQ(CVKConfig::GetLineSpeed(CVKConfig::InterfaceCom, 9), 38400);
    EXPECT_EQ(CVKConfig::GetLineSpeed(CVKConfig::Interface485, 10), 0);
    EXPECT_EQ(CVKConfig::GetLineSpeed(CVKConfig::InterfaceCan, 11), 0);
}

TEST(VKConfig, StoredFormKeepsImageOrderLittleEndian)
{
    CVKConfig cfg;
    cfg.FromRaw(Image(kImage).data());
    const QByteArray expected = Hex("f0550000 64000080 f401 52 07 08 44332211 e803 6400 a1a2a3 38ff e803");
    EXPECT_EQ(vktest::StoreFields(cfg).toHex(), expected.toHex());

    CVKConfig loaded;
    ASSERT_TRUE(vktest::LoadFields(expected, loaded));
    BYTE out[CVKConfig::kImageSize] = {};
    loaded.ToRaw(out);
    EXPECT_EQ(std::vector<BYTE>(out, out + CVKConfig::kImageSize), Image(kImage));
}
