#include "model/VKRAktData.h"
#include "model/VKRConfig.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

using vktest::Hex;
using vktest::Image;

namespace {

CVKRConfig ConfigOf(const char* hex)
{
    CVKRConfig cfg;
    cfg.FromRaw(Image(hex).data());
    return cfg;
}

} // namespace

TEST(VKRConfig, TransformerRatios)
{
    const struct {
        const char* ratios; // bytes 0-7
        double vt, ct;
        bool vtUnset, ctUnset;
    } cases[] = {
        {"ffffffff 00000064", 1.0, 100.0, true, false},
        {"00000bb8 ffffffff", 30.0, 1.0, false, true},
        {"000055f0 80000064", 220.0, 20.0, false, false},
        {"00000000 80000005", 0.0, 1.0, false, false},
        {"fffffffe 7fffffff", 42949672.94, 2147483647.0, false, false},
    };
    for (const auto& c : cases) {
        const QByteArray hex = QByteArray(c.ratios) + " 0032 20 01 02 7fff 21";
        const CVKRConfig cfg = ConfigOf(hex.constData());
        EXPECT_NEAR(cfg.GetVtRatio(), c.vt, 1e-6) << c.ratios;
        EXPECT_NEAR(cfg.GetCtRatio(), c.ct, 1e-6) << c.ratios;
        EXPECT_EQ(bool(cfg.IsVtRatioUnset()), c.vtUnset) << c.ratios;
        EXPECT_EQ(bool(cfg.IsCtRatioUnset()), c.ctUnset) << c.ratios;
    }
}

TEST(VKRConfig, ImageRoundTripAndStoredForm)
{
    // The display mask starts on an odd offset (13).
    const char* image = "000055f0 80000064 003c 4f 11 03 5a3c 23";
    const CVKRConfig cfg = ConfigOf(image);
    EXPECT_EQ(cfg.GetDefaultFrequency(), 60);
    EXPECT_EQ(cfg.GetConnection(), CVKRConfig::Aron);
    EXPECT_EQ(cfg.GetAddress(), 0x11);
    EXPECT_EQ(cfg.GetLineSpeed(), 19200);
    EXPECT_EQ(cfg.GetDisplayMask(), 0x5A3C);
    EXPECT_TRUE(cfg.IsShown(2));
    EXPECT_FALSE(cfg.IsShown(0));
    EXPECT_EQ(cfg.GetDisplayMode(), 2);
    EXPECT_EQ(cfg.GetDefaultQuantity(), 2);

    BYTE raw[CVKRConfig::kImageSize] = {};
    cfg.ToRaw(raw);
    EXPECT_EQ(std::vector<BYTE>(std::begin(raw), std::end(raw)), Image(image));

    CVKRConfig copy = cfg;
    const QByteArray stored = vktest::StoreFields(copy);
    EXPECT_EQ(stored.toHex(), Hex("f0550000 64000080 3c00 4f 11 03 3c5a 23").toHex());
    CVKRConfig loaded;
    ASSERT_TRUE(vktest::LoadFields(stored, loaded));
    loaded.ToRaw(raw);
    EXPECT_EQ(std::vector<BYTE>(std::begin(raw), std::end(raw)), Image(image));
}

TEST(VKRConfig, ModeSpeedAndDisplayFields)
{
    CVKRConfig cfg = ConfigOf("ffffffff ffffffff 0032 4f 01 05 0000 37");
    EXPECT_EQ(cfg.GetConnection(), 4);
    cfg.SetConnection(CVKRConfig::Star);
    EXPECT_EQ(cfg.GetMode(), 0x2F);
    cfg.SetMode(0xFF);
    cfg.SetConnection(CVKRConfig::Delta);
    EXPECT_EQ(cfg.GetMode(), 0x3F); // bit 7 written as 0

    EXPECT_EQ(cfg.GetLineSpeed(), 0); // code 5 has no speed
    EXPECT_EQ(cfg.GetDisplayMode(), 1); // 3 reads as 1
    cfg.SetDisplayMode(0);
    cfg.SetDefaultQuantity(14);
    EXPECT_EQ(cfg.GetDisplay(), 0x0F);
    cfg.SetShown(14, TRUE);
    cfg.SetShown(15, TRUE); // no such quantity
    EXPECT_EQ(cfg.GetDisplayMask(), 0x4000);
}

TEST(VKRAktData, ReplyFieldsAndClear)
{
    std::vector<BYTE> p(CVKRAktData::kImageSize, 0);
    for (int k = 0; k < 3; ++k) {
        CPrevodTyp::PutFloat(&p[std::size_t(4 * k)], 230.5f + float(k));
        CPrevodTyp::PutFloat(&p[std::size_t(12 + 4 * k)], 5.25f);
        CPrevodTyp::PutFloat(&p[std::size_t(24 + 4 * k)], 400.0f);
        CPrevodTyp::PutFloat(&p[std::size_t(36 + 4 * k)], -1500.0f);
        CPrevodTyp::PutWord(&p[std::size_t(48 + 2 * k)], 0x8000);
        CPrevodTyp::PutWord(&p[std::size_t(54 + 2 * k)], 123);
        CPrevodTyp::PutWord(&p[std::size_t(60 + 2 * k)], WORD(-5));
        CPrevodTyp::PutWord(&p[std::size_t(66 + 2 * k)], WORD(200 + k));
        CPrevodTyp::PutFloat(&p[std::size_t(72 + 4 * k)], 75.0f);
    }
    CPrevodTyp::PutWord(&p[84], WORD(-1050));
    CPrevodTyp::PutWord(&p[86], 4998);
    p[88] = 9;
    p[89] = 0x81;

    CVKRAktData d;
    d.FromRaw(p.data());
    EXPECT_EQ(d.GetUPhase(2), 232.5f);
    EXPECT_EQ(d.GetI(0), 5.25f);
    EXPECT_EQ(d.GetULine(1), 400.0f);
    EXPECT_EQ(d.GetP(0), -1500.0f);
    EXPECT_EQ(d.GetQ(2), 75.0f);
    EXPECT_EQ(d.GetAngle(0), CVKRAktData::kNoValue16);
    EXPECT_EQ(d.GetThdU(1), 123);
    EXPECT_EQ(d.GetThdI(2), -5);
    EXPECT_EQ(d.GetThdULine(2), 202);
    EXPECT_EQ(d.GetTemperature(), -1050);
    EXPECT_EQ(d.GetFrequency(), 4998);
    EXPECT_EQ(d.GetChangeCounter(), 9);

    const struct {
        BYTE status;
        bool invalid;
    } status[] = {{0x81, true}, {0x02, true}, {0x70, false}, {0x8C, false}};
    for (const auto& s : status) {
        d.SetStatus(s.status);
        EXPECT_EQ(bool(d.HasInvalidValues()), s.invalid) << int(s.status);
    }
    d.SetStatus(0x81);
    EXPECT_TRUE(d.GetStatus() & CVKRAktData::ConfigError);
    EXPECT_TRUE(d.GetStatus() & CVKRAktData::NoFrequency);

    d.Clear();
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(d.GetUPhase(k), 0.0f);
        EXPECT_EQ(d.GetQ(k), 0.0f);
        EXPECT_EQ(d.GetAngle(k), CVKRAktData::kNoValue16);
        EXPECT_EQ(d.GetThdU(k), CVKRAktData::kNoValue16);
        EXPECT_EQ(d.GetThdI(k), CVKRAktData::kNoValue16);
        EXPECT_EQ(d.GetThdULine(k), CVKRAktData::kNoValue16);
    }
    EXPECT_EQ(d.GetTemperature(), 0);
    EXPECT_EQ(d.GetStatus(), 0);
    EXPECT_EQ(d.GetChangeCounter(), 0);
}
