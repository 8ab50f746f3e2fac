#include "model/VKStatus.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <numeric>

using vktest::Hex;

namespace {

// 3 voltages, 3 currents with power factor, frequency, two active phase
// powers with import and export apart, 5 harmonic orders in level mode,
// THD and harmonics of voltage and current in three phases.
CVKStatus TypicalRecording()
{
    CVKStatus s;
    s.SetVoltageRecording(0, 3, 0);
    s.SetCurrentRecording(0, 3, 0);
    s.SetPowerFactorRecording(0, 1, 0);
    s.SetFrequencyRecording(TRUE, 0);
    s.SetPowerRecording(2, 0, TRUE);
    BOOL sel[CVKStatus::kHarmonicOrders] = {};
    for (int j : {0, 1, 3, 5, 23})
        sel[j] = TRUE;
    s.SetHarmonicSelection(sel);
    s.SetRecordMode(FALSE);
    s.SetVoltageHarmonicsMode(2);
    s.SetCurrentHarmonicsMode(2);
    return s;
}

} // namespace

TEST(VKStatus, RecordPeriodList)
{
    const struct {
        BYTE minutes, seconds;
        int index;
        int periodSeconds;
    } cases[] = {
        {0x00, 0x05, 0, 5},  {0x00, 0x30, 4, 30},  {0x01, 0x00, 5, 60},   {0x10, 0x00, 11, 600},
        {0x60, 0x00, 16, 3600}, {0x00, 0x45, 0, 45}, // not on the list, minutes 0
        {0x07, 0x00, 5, 420},                          // not on the list, minutes set
    };
    for (const auto& c : cases) {
        BYTE image[CVKStatus::kImageSize] = {};
        image[40] = c.minutes;
        image[41] = c.seconds;
        CVKStatus s;
        s.FromRaw(image);
        EXPECT_EQ(s.GetRecordPeriodIndex(), c.index) << std::hex << int(c.minutes) << ' ' << int(c.seconds);
        EXPECT_EQ(s.GetRecordPeriodSeconds(), c.periodSeconds);
    }

    CVKStatus s;
    s.SetRecordPeriodIndex(13);
    EXPECT_EQ(s.GetPeriodMinutesBcd(), 0x15);
    EXPECT_EQ(s.GetRecordPeriodSeconds(), 900);
    s.SetRecordPeriodIndex(17);
    EXPECT_EQ(s.GetRecordPeriodIndex(), 0);
    EXPECT_EQ(s.GetPeriodSecondsBcd(), 0x05);
}

TEST(VKStatus, RecordSize)
{
    CVKStatus s = TypicalRecording();
    EXPECT_EQ(s.GetRecordSize(), 68);

    // Apparent power is never split into import and export.
    s.SetPowerRecording(2, 2, TRUE);
    EXPECT_EQ(s.GetRecordSize(), 60);

    // Spectrum mode counts the orders in the low byte, whatever else bits 0-23 hold.
    s = TypicalRecording();
    BOOL all[CVKStatus::kHarmonicOrders];
    std::fill(std::begin(all), std::end(all), TRUE);
    s.SetHarmonicSelection(all);
    s.SetRecordMode(TRUE);
    s.SetRecordedHarmonicsCount(10);
    EXPECT_EQ(s.GetRecordSize(), 32 + 11 * 6);

    // One three-phase power, temperature, voltage THD only in phase 1.
    CVKStatus t;
    t.SetVoltageRecording(0, 1, 0);
    t.SetTemperatureRecording(TRUE, 0);
    t.SetPowerRecording(4, 1, TRUE);
    t.SetVoltageHarmonicsMode(1);
    EXPECT_EQ(t.GetRecordSize(), 2 + 1 + 8 + 1);
}

TEST(VKStatus, RecordLayoutColumns)
{
    const CVKStatus s = TypicalRecording();
    DWORD layout[CVKStatus::kLayoutColumns];
    std::fill(std::begin(layout), std::end(layout), 7u);
    s.BuildRecordLayout(layout);

    std::vector<int> expected = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 12, 14, 17, 18, 20, 21, 22, 95, 96, 97};
    for (int block : {23, 47, 71, 98, 122, 146})
        for (int j : {0, 1, 3, 5, 23})
            expected.push_back(block + j);
    std::vector<int> set;
    for (int i = 0; i < CVKStatus::kLayoutColumns; ++i) {
        ASSERT_LE(layout[i], 1u) << i;
        if (layout[i])
            set.push_back(i);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(set, expected);

    // cos phi, temperature, one three-phase reactive power, spectrum mode.
    CVKStatus t = s;
    t.SetPowerFactorRecording(0, 2, 0);
    t.SetTemperatureRecording(TRUE, 0);
    t.SetPowerRecording(4, 1, FALSE);
    t.SetRecordMode(TRUE);
    t.BuildRecordLayout(layout);
    for (int i : {6, 11, 13, 15, 20, 95})
        EXPECT_EQ(layout[i], 1u) << i;
    for (int i : {12, 14, 17, 23, 98})
        EXPECT_EQ(layout[i], 0u) << i;
}

TEST(VKStatus, ValueChoiceShiftsWithSamplingBasis)
{
    // Voltage: basis 1 samples at the voltage extreme (min/max only).
    const struct {
        int m, choiceIn, stored, choiceOut;
    } voltage[] = {
        {0, 2, 2, 2}, {1, 0, 1, 0}, {1, 1, 2, 1}, {3, 2, 3, 0}, {0, 5, 0, 0}, {1, 3, 0, 0},
    };
    for (const auto& c : voltage) {
        CVKStatus s;
        s.SetVoltageByte(0xC8);
        s.SetVoltageRecording(c.m, 2, c.choiceIn);
        EXPECT_EQ((s.GetVoltageByte() >> 4) & 3, c.stored) << c.m << ' ' << c.choiceIn;
        EXPECT_EQ(s.GetVoltageByte() & 0xC8, 0xC8); // other bits kept
        int phases = -1, choice = -1;
        s.GetVoltageRecording(c.m, phases, choice);
        EXPECT_EQ(phases, 2);
        EXPECT_EQ(choice, c.choiceOut);
    }

    // Current: the same with basis 2; the power-factor bits stay.
    CVKStatus s;
    s.SetCurrentByte(0xC8);
    s.SetCurrentRecording(2, 7, 1);
    EXPECT_EQ(s.GetCurrentByte(), 0xE8);
    int phases, choice;
    s.GetCurrentRecording(2, phases, choice);
    EXPECT_EQ(phases, 0);
    EXPECT_EQ(choice, 1);

    // Power factor: bases 4 and 5 shift, 1-3 force a plain sample.
    const struct {
        int m, kind, choiceIn, stored, choiceOut;
    } pf[] = {
        {0, 1, 2, 2, 2}, {4, 2, 1, 2, 1}, {5, 1, 0, 1, 0}, {2, 2, 1, 3, 0}, {4, 1, 3, 0, 0},
    };
    for (const auto& c : pf) {
        CVKStatus p;
        p.SetPowerFactorRecording(c.m, c.kind, c.choiceIn);
        EXPECT_EQ(p.GetCurrentByte() >> 6, c.stored) << c.m << ' ' << c.choiceIn;
        int kind, ch;
        p.GetPowerFactorRecording(c.m, kind, ch);
        EXPECT_EQ(kind, c.kind);
        EXPECT_EQ(ch, c.choiceOut);
    }
    CVKStatus off;
    off.SetPowerFactorRecording(0, 2, 0);
    off.SetPowerFactorRecording(0, 0, 0);
    int kind, ch;
    off.GetPowerFactorRecording(0, kind, ch);
    EXPECT_EQ(kind, 0);
}

TEST(VKStatus, PowerTemperatureAndSamplingFields)
{
    CVKStatus s;
    s.SetPowerWord(0xFF0B);
    s.SetSamplingByte(0x01);
    s.SetPowerRecording(5, 1, FALSE);
    EXPECT_EQ(s.GetPowerWord(), 0x0004);
    EXPECT_EQ(s.GetSamplingByte(), 0x41);
    int count, kind;
    BOOL apart;
    s.GetPowerRecording(count, kind, apart);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(kind, 1);
    EXPECT_FALSE(apart);
    s.SetPowerRecording(3, 7, TRUE);
    EXPECT_EQ(s.GetPowerWord(), 0x000B);
    EXPECT_EQ(s.GetSamplingByte() >> 6, 0);

    s.SetTemperatureByte(0x0E);
    s.SetTemperatureRecording(TRUE, 2);
    EXPECT_EQ(s.GetTemperatureByte(), 0x21);
    s.SetTemperatureRecording(FALSE, 4);
    EXPECT_EQ(s.GetTemperatureByte(), 0x00);

    s.SetSamplingMode(5);
    EXPECT_EQ(s.GetSamplingMode(), 5);
    s.SetSamplingMode(6);
    EXPECT_EQ(s.GetSamplingMode(), 0);
    EXPECT_TRUE(s.GetCyclic());
}

TEST(VKStatus, HarmonicsWord)
{
    CVKStatus s;
    s.SetHarmonicsWord(0xF0000000u);
    EXPECT_EQ(s.GetVoltageHarmonicsMode(), 2); // 3 reads as 2
    EXPECT_EQ(s.GetCurrentHarmonicsMode(), 2);
    s.SetVoltageHarmonicsMode(1);
    s.SetCurrentHarmonicsMode(3);
    EXPECT_EQ(s.GetHarmonicsWord(), 0x10000000u);

    s.SetRecordMode(FALSE);
    EXPECT_EQ(s.GetHarmonicsWord(), 0x11000000u);
    s.SetRecordMode(TRUE);
    EXPECT_TRUE(s.GetRecordMode());

    // All 24 orders are a valid count and must read back.
    for (int n : {0, 10, 24}) {
        s.SetRecordedHarmonicsCount(n);
        EXPECT_EQ(s.GetRecordedHarmonicsCount(), n);
    }
    s.SetRecordedHarmonicsCount(25);
    EXPECT_EQ(s.GetRecordedHarmonicsCount(), 0);
    s.SetHarmonicsWord(0x030000FFu);
    EXPECT_EQ(s.GetRecordedHarmonicsCount(), 0);

    BOOL sel[CVKStatus::kHarmonicOrders] = {};
    sel[0] = sel[23] = TRUE;
    s.SetHarmonicSelection(sel);
    EXPECT_EQ(s.GetHarmonicsWord(), 0x03800001u);
    BOOL back[CVKStatus::kHarmonicOrders];
    s.GetHarmonicSelection(back);
    EXPECT_TRUE(std::equal(std::begin(sel), std::end(sel), std::begin(back)));
}

TEST(VKStatus, ArchiveTimes)
{
    // Newest record 15 January 2024 10:00:00 (standard time), period 10 s.
    auto status = [](DWORD count) {
        BYTE image[CVKStatus::kImageSize] = {};
        const BYTE newest[6] = {0x24, 0x01, 0x15, 0x10, 0x00, 0x00};
        std::copy(newest, newest + 6, image + 28);
        image[41] = 0x10;
        CPrevodTyp::PutDword(image + 20, count);
        CVKStatus s;
        s.FromRaw(image);
        return s;
    };
    const CTime newest(2024, 1, 15, 10, 0, 0, 0);
    EXPECT_EQ(status(1).GetNewestRecordTime(), newest);
    EXPECT_EQ(status(1).GetOldestRecordTime(), newest);
    EXPECT_EQ(status(3).GetOldestRecordTime(), newest - CTimeSpan(20));
    EXPECT_FALSE(status(0).GetNewestRecordTime().IsValid());
    EXPECT_FALSE(status(0).GetOldestRecordTime().IsValid());
    // A count reaching before 1970 is no time either.
    EXPECT_FALSE(status(0xFFFFFFFFu).GetOldestRecordTime().IsValid());

    BYTE bad[CVKStatus::kImageSize] = {};
    bad[29] = 0x13; // month 13
    CPrevodTyp::PutDword(bad + 20, 5);
    CVKStatus s;
    s.FromRaw(bad);
    EXPECT_FALSE(s.GetNewestRecordTime().IsValid());
    EXPECT_FALSE(s.GetOldestRecordTime().IsValid());
}

TEST(VKStatus, RecordStart)
{
    const CTime now = CTime::GetCurrentTime();
    CVKStatus s;
    CTime t;
    BOOL atOnce = FALSE;
    s.GetRecordStartTime(t, atOnce); // month byte 0
    EXPECT_TRUE(atOnce);
    EXPECT_GE(t, now + CTimeSpan(59));
    EXPECT_LE(t, now + CTimeSpan(120));

    const CTime later = now + CTimeSpan(3 * 86400);
    s.SetRecordStartTime(later, FALSE);
    s.GetRecordStartTime(t, atOnce);
    EXPECT_FALSE(atOnce);
    EXPECT_EQ(t, later);

    s.SetRecordStartTime(CTime(2001, 1, 1, 0, 0, 0), FALSE); // in the past: now
    s.GetRecordStartTime(t, atOnce);
    EXPECT_FALSE(atOnce);
    EXPECT_GE(t, now);

    s.SetRecordStartTime(later, TRUE);
    EXPECT_TRUE(std::all_of(s.GetStartImage(), s.GetStartImage() + 6, [](BYTE b) { return b == 0; }));

    // An impossible start date reads as "at once".
    BYTE image[CVKStatus::kImageSize] = {};
    image[34] = 0x24;
    image[35] = 0x02;
    image[36] = 0x31;
    s.FromRaw(image);
    s.GetRecordStartTime(t, atOnce);
    EXPECT_TRUE(atOnce);
}

TEST(VKStatus, StoredFormInterleavesClockImages)
{
    BYTE image[CVKStatus::kImageSize];
    std::iota(std::begin(image), std::end(image), BYTE(0));
    CVKStatus s;
    s.FromRaw(image);
    const QByteArray expected = Hex("00010203 0504 060708090a0b0c0d0e0f 13121110 17161514 1b1a1918"
                                    "1c221d231e241f25 20262127 2829 2b2a 2c2d2e2f 33323130");
    EXPECT_EQ(vktest::StoreFields(s).toHex(), expected.toHex());

    CVKStatus loaded;
    ASSERT_TRUE(vktest::LoadFields(expected, loaded));
    BYTE out[CVKStatus::kImageSize] = {};
    loaded.ToRaw(out);
    EXPECT_TRUE(std::equal(std::begin(out), std::end(out), std::begin(image)));
}
