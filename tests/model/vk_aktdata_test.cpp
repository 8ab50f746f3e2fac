#include "model/VKAktData.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace {

// A reply with a distinct value in every field.
std::vector<BYTE> SampleImage()
{
    std::vector<BYTE> p(CVKAktData::kImageSize, 0);
    p[0] = 0xFE; // fault -2
    for (int k = 0; k < 3; ++k) {
        CPrevodTyp::PutWord(&p[1 + 2 * k], WORD(2300 + k));
        CPrevodTyp::PutWord(&p[9 + 2 * k], WORD(std::int16_t(-1234 + k)));
        p[17 + k] = BYTE(std::int8_t(-50 + k));
        p[23 + k] = BYTE(std::int8_t(90 + k));
        CPrevodTyp::PutWord(&p[26 + 2 * k], WORD(4000 + k));
        CPrevodTyp::PutDword(&p[32 + 4 * k], DWORD(-1000 - k));
        CPrevodTyp::PutDword(&p[44 + 4 * k], DWORD(2000 + k));
        CPrevodTyp::PutDword(&p[56 + 4 * k], DWORD(3000 + k));
    }
    p[8] = 17;
    CPrevodTyp::PutWord(&p[15], 320);
    p[20] = 128;
    p[21] = 120;
    p[22] = 0x80;
    std::iota(p.begin() + 68, p.end(), BYTE(0)); // both harmonic blocks
    return p;
}

} // namespace

TEST(VKAktData, FieldsOfTheReply)
{
    const auto image = SampleImage();
    CVKAktData d;
    d.FromRaw(image.data());
    EXPECT_EQ(d.GetFaultState(), -2);
    EXPECT_EQ(d.GetU(2), 2302);
    EXPECT_EQ(d.GetI(0), -1234);
    EXPECT_EQ(d.GetI(3), 320);
    EXPECT_EQ(d.GetPF(0), -50);
    EXPECT_EQ(d.GetCos(1), 91);
    EXPECT_EQ(d.GetULine(0), 4000);
    EXPECT_EQ(d.GetP(2), -1002);
    EXPECT_EQ(d.GetQ(1), 2001);
    EXPECT_EQ(d.GetS(0), 3000);
    EXPECT_EQ(d.GetChangeCounter(), 17);
    EXPECT_TRUE(d.HasTotals());
    EXPECT_EQ(d.GetVoltageHarmonics().GetThdCode(0), 0);
    EXPECT_EQ(d.GetVoltageHarmonics().GetHarmonicCode(1, 0), 27);
    EXPECT_EQ(d.GetCurrentHarmonics().GetThdCode(0), 75);
    EXPECT_EQ(d.GetCurrentHarmonics().GetHarmonicCode(2, 23), 149);

    std::vector<BYTE> out(CVKAktData::kImageSize, 0xAA);
    d.ToRaw(out.data());
    EXPECT_EQ(out, image);

    // Signs are the instrument's; values are magnitudes.
    EXPECT_NEAR(CVKAktData::CurrentValue(d.GetI(0), 20.0), 1234 * 0.0003125 * 20.0, 1e-9);
    EXPECT_NEAR(CVKAktData::FactorValue(d.GetPF(0)), 0.50, 1e-12);
    EXPECT_NEAR(CVKAktData::FactorValue(50), 0.50, 1e-12);
    EXPECT_NEAR(CVKAktData::VoltageValue(2300, 10.0), 2300.0, 1e-9);
    EXPECT_NEAR(CVKAktData::PowerValue(-1000, 2.0, 5.0), -0.03125, 1e-12);
    EXPECT_EQ(CVKAktData::VoltageValue(0xFFFF, 1.0), kNoValue);
    EXPECT_EQ(CVKAktData::CurrentValue(0x7FFF, 1.0), kNoValue);
    EXPECT_EQ(CVKAktData::FactorValue(127), kNoValue);
    EXPECT_EQ(CVKAktData::PowerValue(0x7FFFFFFF, 1.0, 1.0), kNoValue);

    for (BYTE layout : {0x81, 0x00}) {
        d.SetPowerLayout(layout);
        EXPECT_FALSE(d.HasTotals());
    }
}

TEST(VKAktData, ClearAndHasAnyValue)
{
    CVKAktData d;
    EXPECT_FALSE(d.HasAnyValue()); // a fresh record holds no values
    d.FromRaw(SampleImage().data());
    d.Clear();
    EXPECT_FALSE(d.HasAnyValue());
    EXPECT_EQ(d.GetFaultState(), 0);
    EXPECT_EQ(d.GetU(0), 0xFFFF);
    EXPECT_EQ(d.GetI(1), 0x7FFF);
    EXPECT_EQ(d.GetCos(2), 127);
    EXPECT_EQ(d.GetS(2), 0x7FFFFFFF);
    EXPECT_EQ(d.GetFrequencyCode(), 255);
    EXPECT_EQ(d.GetVoltageHarmonics().GetHarmonicCode(2, 23), 255);
    // Fields without a marker keep their value.
    EXPECT_EQ(d.GetChangeCounter(), 17);
    EXPECT_EQ(d.GetI(3), 320);
    EXPECT_EQ(d.GetPowerLayout(), 0x80);

    const std::function<void(CVKAktData&)> oneValue[] = {
        [](CVKAktData& r) { r.SetU(2, 0xFFFE); },
        [](CVKAktData& r) { r.SetI(0, 0); },
        [](CVKAktData& r) { r.SetPF(1, 0); },
        [](CVKAktData& r) { r.SetCos(2, -100); },
        [](CVKAktData& r) { r.SetULine(1, 0); },
        [](CVKAktData& r) { r.SetP(0, 0); },
        [](CVKAktData& r) { r.SetQ(2, -1); },
        [](CVKAktData& r) { r.SetS(1, 0); },
        [](CVKAktData& r) { r.SetFrequencyCode(254); },
        [](CVKAktData& r) { r.SetTemperatureCode(0); },
        [](CVKAktData& r) { r.GetVoltageHarmonics().SetThdCode(2, 0); },
        [](CVKAktData& r) { r.GetCurrentHarmonics().SetThdCode(0, 10); },
    };
    for (std::size_t i = 0; i < std::size(oneValue); ++i) {
        CVKAktData r;
        oneValue[i](r);
        EXPECT_TRUE(r.HasAnyValue()) << i;
    }
    // Neither harmonic codes nor I4 count.
    CVKAktData r;
    r.GetCurrentHarmonics().SetHarmonicCode(0, 0, 5);
    r.SetI(3, 100);
    EXPECT_FALSE(r.HasAnyValue());
}

TEST(VKAktData, AronConnectionMovesValues)
{
    CVKAktData d;
    d.FromRaw(SampleImage().data());
    const CVKAktData before = d;
    d.ApplyAronConnection();

    EXPECT_EQ(d.GetULine(0), 2300);
    EXPECT_EQ(d.GetULine(1), 0xFFFF);
    EXPECT_EQ(d.GetULine(2), 2301);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(d.GetU(k), 0xFFFF);
        EXPECT_EQ(d.GetPF(k), 127);
        EXPECT_EQ(d.GetCos(k), 127);
        EXPECT_EQ(d.GetS(k), 0x7FFFFFFF);
    }
    EXPECT_EQ(d.GetP(0), -1000);
    EXPECT_EQ(d.GetP(1), 0x7FFFFFFF);
    EXPECT_EQ(d.GetP(2), -1001);
    EXPECT_EQ(d.GetQ(1), 0x7FFFFFFF);
    EXPECT_EQ(d.GetQ(2), 2001);
    EXPECT_EQ(d.GetI(0), before.GetI(0));
    EXPECT_EQ(d.GetI(1), before.GetI(2));
    EXPECT_EQ(d.GetI(2), before.GetI(1));
    const CVKHarmonicBlock& u = d.GetVoltageHarmonics();
    EXPECT_EQ(u.GetThdCode(2), before.GetVoltageHarmonics().GetThdCode(1));
    EXPECT_EQ(u.GetHarmonicCode(2, 5), before.GetVoltageHarmonics().GetHarmonicCode(1, 5));
    EXPECT_EQ(u.GetThdCode(1), 255);
    EXPECT_EQ(u.GetHarmonicCode(1, 5), 255);
    EXPECT_EQ(u.GetThdCode(0), before.GetVoltageHarmonics().GetThdCode(0));
    const CVKHarmonicBlock& i = d.GetCurrentHarmonics();
    EXPECT_EQ(i.GetHarmonicCode(1, 7), before.GetCurrentHarmonics().GetHarmonicCode(2, 7));
    EXPECT_EQ(i.GetThdCode(2), before.GetCurrentHarmonics().GetThdCode(1));
    EXPECT_EQ(d.GetFaultState(), before.GetFaultState());
    EXPECT_EQ(d.GetFrequencyCode(), before.GetFrequencyCode());

    // The exchanges undo themselves: currents and current harmonics return.
    d.ApplyAronConnection();
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(d.GetI(k), before.GetI(k));
    BYTE a[CVKAktData::kImageSize], b[CVKAktData::kImageSize];
    d.ToRaw(a);
    before.ToRaw(b);
    EXPECT_TRUE(std::equal(a + 143, a + 218, b + 143));
}

TEST(VKCodeScales, Frequency)
{
    const struct {
        BYTE code;
        double hz;
    } cases[] = {{0, 37.2}, {100, 47.2}, {128, 50.0}, {178, 55.0}, {179, 55.5}, {200, 66.0}, {254, 93.0}, {255, kNoValue}};
    for (const auto& c : cases)
        EXPECT_NEAR(CPrevodTyp::DecodeVKFrequency(c.code), c.hz, 1e-9) << int(c.code);
}

TEST(VKCodeScales, ThdAndHarmonicLevels)
{
    const struct {
        BYTE code;
        double percent;
    } thd[] = {{0, 0.0}, {100, 50.0}, {101, 52.5}, {200, 300.0}, {201, 310.0}, {254, 840.0}, {255, kNoValue}};
    for (const auto& c : thd)
        EXPECT_NEAR(CPrevodTyp::DecodeVKThd(c.code), c.percent, 1e-9) << int(c.code);

    const struct {
        BYTE code;
        double percent;
    } four[] = {{0, 0.0},    {50, 5.0},   {51, 5.5},    {70, 15.0},  {71, 17.5},
                {90, 65.0},  {91, 70.0},  {126, 245.0}, {127, -1.0}, {255, -1.0}};
    for (const auto& c : four)
        EXPECT_NEAR(CPrevodTyp::DecodeFourSegmentPercent(c.code), c.percent, 1e-9) << int(c.code);
}
