#include "model/AktData.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <numbers>

using vktest::Hex;
using vktest::Image;

namespace {

// Live reply, selection 0x0013 (inputs 0 and 1 with phase values):
// U L-N 230 / 231 V, U L-L 400 / 401 V, I 10 / 5 A, P 2000 / -1000 W,
// Q 500 / 0 var, angle 0.1 / -0.1 rad, THD U 2.5 / 1 %, THD I none / 5 %,
// 25.12 degrees, 50.01 Hz, relay 0x19, overload 0, flags 0x20 (current of
// input 1), change counter 7, no fault.
const char* kLiveReply = "0013 23f0 2418 3e80 3ea8 c350 61a8 44fa0000 c47a0000 43fa0000 00000000"
                         " 03e8 fc18 00fa 0064 ffff 01f4 09d0 1389 19 00 20 07 00";

CAktData Live(const char* hex)
{
    const auto reply = Image(hex);
    CAktData d;
    EXPECT_TRUE(d.CreateParts(reply.data(), int(reply.size())));
    EXPECT_TRUE(d.FromRawParts(reply.data() + 2, int(reply.size()) - 2));
    return d;
}

// A live record with the given selection and empty parts.
CAktData WithSelection(WORD selection)
{
    const BYTE sel[2] = {BYTE(selection >> 8), BYTE(selection)};
    CAktData d;
    d.CreateParts(sel, 2);
    return d;
}

float NoValueFloat()
{
    return std::bit_cast<float>(0xFFFFFFFFu);
}

// Status whose description has the given selection bytes.
CVKTStatus StatusWith(std::initializer_list<std::pair<int, BYTE>> selection)
{
    CVKTStatus status;
    for (const auto& [n, v] : selection)
        status.GetArch().SetSelection(n, v);
    return status;
}

// s0 = 0x13 (U L-N of inputs 0, 1 with min/max), s1 = 0x08 (unbalance),
// s5 = 0x08 (angle of input 3), s6 = 0x31 (P of input 0 with min/max, import
// and export apart), s8 = 0x09 (S of input 0 and three-phase), s10 = 0x15
// (frequency with min/max, relay), s11 = 0x01 and s12 = 0x03 (voltage
// harmonics of input 0, orders 1 and 3).
CVKTStatus DescribedStatus()
{
    return StatusWith({{CVKTArch::SelVoltage, 0x13},
                       {CVKTArch::SelLineVoltage, 0x08},
                       {CVKTArch::SelCos, 0x08},
                       {CVKTArch::SelActivePower, 0x31},
                       {CVKTArch::SelApparentPower, 0x09},
                       {CVKTArch::SelFlags, 0x15},
                       {CVKTArch::SelHarmonics, 0x01},
                       {CVKTArch::SelOrders, 0x03}});
}

// The instrument's record body for DescribedStatus(): status bytes; U L-N
// averages, minima, maxima; unbalance 1.5 %; P average (1500, -200), minimum
// (marker, -300), maximum (2500, marker); S 1600 and 4800; angle 0.0256 rad;
// frequency 50.00, 49.90, 50.10; harmonics 100 % and 3 %; relay 0x08.
const char* kDescribedBody = "01 00 23f0 2418 2328 238c 24b8 24e0 0096"
                             " 44bb8000 c3480000 d0d0d0d0 c3960000 451c4000 d0d0d0d0"
                             " 44c80000 45960000 0100 1388 137e 1392 2710 012c 08";

// The same values in the program's order (each input's average, minimum and
// maximum together), little-endian, no-value markers as stored.
const char* kDescribedPacked = "01 00 f023 2823 b824 1824 8c23 e024 9600"
                               " 0080bb44 000048c3 ffffffff 000096c3 00401c45 ffffffff"
                               " 0000c844 00009645 0001 8813 7e13 9213 1027 2c01 08";

CAktData Described()
{
    CAktData d;
    d.SetArchiveLayout(DescribedStatus());
    const auto body = Image(kDescribedBody);
    EXPECT_TRUE(d.FromRaw(body.data(), int(body.size())));
    return d;
}

} // namespace

TEST(VKTAktDataLive, SelectionDecidesPartsAndReplySize)
{
    EXPECT_EQ(CAktData::GetLiveRawSize(0x0013), 9 + 40);
    EXPECT_EQ(CAktData::GetLiveRawSize(0x00B1), 9 + 20 + 50); // voltage harmonics of input 0, all orders
    EXPECT_EQ(CAktData::GetLiveRawSize(0x0101), 9 + 128); // a waveform, no phase values
    EXPECT_EQ(CAktData::GetLiveRawSize(0x0091), 9 + 20); // bit 7 alone adds no harmonics

    const CAktData d = WithSelection(0x0013);
    EXPECT_TRUE(d.GetPhase(0) && d.GetPhase(1));
    EXPECT_FALSE(d.GetPhase(2) || d.GetPhase(3));
    EXPECT_TRUE(d.HasTotalActivePower(1, 0, 0));
    EXPECT_FALSE(d.HasTotalActivePower(2, 0, 0));
    EXPECT_FALSE(d.HasTotalActivePower(0, 0, 0));

    const CAktData even = WithSelection(0x0091);
    for (int c = 0; c < CAktData::kChannels; ++c)
        EXPECT_FALSE(even.GetOddHarmonics(c) || even.GetEvenHarmonics(c)) << c;
    const CAktData both = WithSelection(0x00B1);
    EXPECT_TRUE(both.GetOddHarmonics(0) && both.GetEvenHarmonics(0));
    EXPECT_FALSE(both.GetOddHarmonics(4));
}

TEST(VKTAktDataLive, ReplyDecodesToScaledValues)
{
    const CAktData d = Live(kLiveReply);
    EXPECT_DOUBLE_EQ(d.GetVoltage(0, CAktData::Average), 230.0);
    EXPECT_DOUBLE_EQ(d.GetVoltage(1, CAktData::Maximum), 231.0); // live: every kind is the value
    EXPECT_DOUBLE_EQ(d.GetLineVoltage(1, 0), 401.0);
    EXPECT_DOUBLE_EQ(d.GetCurrent(0, 0), 10.0);
    EXPECT_DOUBLE_EQ(d.GetActivePower(1, 0, 0), -1000.0);
    EXPECT_DOUBLE_EQ(d.GetReactivePower(0, 0, 0), 500.0);
    EXPECT_DOUBLE_EQ(d.GetCosPhi(1), -0.1);
    EXPECT_DOUBLE_EQ(d.GetThdU(0, 0), 2.5);
    EXPECT_TRUE(d.IsThdIMissing(0, 0));
    EXPECT_DOUBLE_EQ(d.GetThdI(1, 0), 5.0);
    EXPECT_DOUBLE_EQ(d.GetTemperature(0), 25.12);
    EXPECT_DOUBLE_EQ(d.GetFrequency(2), 50.01);
    EXPECT_EQ(d.GetRelayState(), 0x19);
    EXPECT_EQ(d.GetChangeCounter(), 7);
    EXPECT_TRUE(d.HasPhaseFlag(1));
    EXPECT_FALSE(d.HasPhaseFlag(0));
    EXPECT_DOUBLE_EQ(d.GetApparentPower(0, 0), 2300.0);
    EXPECT_DOUBLE_EQ(d.GetPowerFactor(0, 0), 2000.0 / 2300.0);
    EXPECT_DOUBLE_EQ(d.GetTotalActivePower(1, 0, 0), 1000.0);
    EXPECT_DOUBLE_EQ(d.GetTotalApparentPower(1, 0), 2300.0 + 9240 * 25000 * 5e-6);

    // A short reply is refused before anything is read.
    const auto reply = Image(kLiveReply);
    CAktData shortOne = d;
    EXPECT_FALSE(shortOne.FromRawParts(reply.data() + 2, int(reply.size()) - 3));
    EXPECT_FALSE(CAktData().CreateParts(reply.data(), 1));
}

TEST(VKTAktDataLive, AbsentValuesAreNoValueNotAReadOfMissingParts)
{
    const CAktData d = Live(kLiveReply);
    EXPECT_FALSE(d.HasVoltage(2, 0));
    EXPECT_EQ(d.GetVoltage(2, 0), kNoValue);
    EXPECT_EQ(d.GetCurrent(3, 0), kNoValue);
    EXPECT_EQ(d.GetPowerFactor(3, 0), kNoValue);
    EXPECT_EQ(d.GetActivePower(0, 0, 1), kNoValue); // live records have no components
    EXPECT_EQ(d.GetTotalActivePower(2, 0, 0), kNoValue);
    EXPECT_EQ(d.GetVoltageUnbalance(0), kNoValue);
    EXPECT_EQ(d.GetHarmonicValue(true, 0, 0), kNoValue);
    EXPECT_EQ(d.GetVoltage(-1, 0), kNoValue);
    EXPECT_EQ(d.GetVoltage(0, 3), kNoValue);
    EXPECT_TRUE(d.AreHarmonicsEmpty(0));
    const CAktData empty;
    EXPECT_EQ(empty.GetCosPhi(0), kNoValue);
    EXPECT_EQ(empty.GetTotalPowerFactor(2, 0), kNoValue);
}

TEST(VKTAktDataLive, PowerFactorSentinels)
{
    const struct {
        WORD voltage;
        WORD current;
        float p;
        double expected;
    } cases[] = {
        {0, 50000, 100.0f, CAktData::kNoPowerFactor}, // U = 0: no apparent power
        {9200, 0, 0.0f, CAktData::kNoPowerFactor},
        {9200, 50000, 2300.5f, 1.0}, // |P| slightly above S
        {9200, 50000, -2300.5f, 1.0},
        {9200, 50000, -1150.0f, 0.5},
    };
    for (const auto& c : cases) {
        CAktData d = WithSelection(0x0017);
        for (int i = 0; i < 3; ++i) {
            d.GetPhase(i)->voltage = c.voltage;
            d.GetPhase(i)->current = c.current;
            d.GetPhase(i)->activePower = c.p;
        }
        EXPECT_DOUBLE_EQ(d.GetPowerFactor(0, 0), c.expected) << c.voltage << " " << c.p;
        EXPECT_DOUBLE_EQ(d.GetTotalPowerFactor(2, 0), c.expected) << c.voltage << " " << c.p;
    }
}

TEST(VKTAktDataLive, VoltageUnbalanceComputedOrStored)
{
    CAktData three = WithSelection(0x0017);
    for (int i = 0; i < 3; ++i)
        three.GetPhase(i)->lineVoltage = 16000;
    EXPECT_NEAR(three.GetVoltageUnbalance(0), 0.0, 1e-3);
    for (int i = 0; i < 3; ++i)
        three.GetPhase(i)->lineVoltage = 0;
    EXPECT_EQ(three.GetVoltageUnbalance(0), CAktData::kNoUnbalance);

    CAktData fourth = WithSelection(0x0018);
    fourth.GetPhase(3)->lineVoltage = 250;
    EXPECT_DOUBLE_EQ(fourth.GetVoltageUnbalance(1), 2.5);
}

TEST(VKTAktDataLive, HarmonicsInterleaveOddAndEvenOrders)
{
    // Selection 0x00B1: phase values and all voltage harmonics of input 0;
    // each harmonic word holds its own order.
    QByteArray reply = Hex("00b1") + QByteArray(20, '\0');
    for (int order = 1; order <= 25; ++order)
        reply += Hex(QByteArray::number(order * 100, 16).rightJustified(4, '0').constData());
    reply += QByteArray(9, '\0');
    const auto* p = reinterpret_cast<const BYTE*>(reply.constData());
    CAktData d;
    ASSERT_TRUE(d.CreateParts(p, int(reply.size())));
    ASSERT_TRUE(d.FromRawParts(p + 2, int(reply.size()) - 2));
    for (int n = 0; n < 25; ++n)
        EXPECT_NEAR(d.GetHarmonicValue(true, 0, n), (n + 1) * 1.0, 1e-9) << n;
    EXPECT_FALSE(d.HasHarmonic(false, 0, 0));
    EXPECT_FALSE(d.HasHarmonic(true, 0, 25));

    // The program's full form keeps the orders ascending; a difference
    // against itself holds only masks.
    const QByteArray full = d.PackFull();
    ASSERT_EQ(full.size(), CAktData::kHeaderSize + CAktData::kPhaseSize + 50);
    EXPECT_EQ(full.mid(30, 6), Hex("6400 c800 2c01"));
    EXPECT_EQ(d.PackDifference(d), Hex("00 00 00000000"));

    // Reading without harmonics stops after the header and the phase.
    CAktData reader;
    EXPECT_EQ(reader.UnpackNoHarmonics(reinterpret_cast<const BYTE*>(full.constData()), int(full.size()), true),
              CAktData::kHeaderSize + CAktData::kPhaseSize);
    EXPECT_TRUE(reader.GetOddHarmonics(0));
}

TEST(VKTAktDataPack, FullFormLayout)
{
    const CAktData d = Live(kLiveReply);
    EXPECT_EQ(d.PackFull(), Hex("13 d009 8913 19 00 20 07 00"
                                " f023 803e 50c3 0000fa44 0000fa43 e803 fa00 ffff"
                                " 1824 a83e a861 00007ac4 00000000 18fc 6400 f401"));
}

TEST(VKTAktDataPack, DifferenceAgainstAnIdenticalRecordIsAllMasks)
{
    const CAktData d = Live(kLiveReply);
    const CAktData same = d;
    EXPECT_EQ(d.PackDifference(same), Hex("00 00 00"));
}

TEST(VKTAktDataPack, DifferenceCarriesChangesAndUnpacksOntoThePrevious)
{
    const CAktData before = Live(kLiveReply);
    CAktData after = before;
    after.SetTemperatureWord(2600);
    after.GetPhase(1)->activePower = 1234.5f;
    after.GetPhase(0)->reactivePower = NoValueFloat(); // a change to no value is a change

    const QByteArray diff = after.PackDifference(before);
    EXPECT_EQ(diff, Hex("02 280a 10 ffffffff 08 0050 9a44"));

    CAktData reader = before;
    const auto* p = reinterpret_cast<const BYTE*>(diff.constData());
    ASSERT_EQ(reader.Unpack(p, int(diff.size()), false), int(diff.size()));
    EXPECT_EQ(reader.PackFull(), after.PackFull());

    // An unchanged marker is not written again.
    EXPECT_EQ(after.PackDifference(after), Hex("00 00 00"));
}

TEST(VKTAktDataPack, PartsThePreviousRecordLackedAreWrittenWhole)
{
    const CAktData d = Live(kLiveReply);
    CAktData previous = WithSelection(0x0011);
    *previous.GetPhase(0) = *d.GetPhase(0);
    previous.GetPhase(0)->current = 0;
    // Header: selection, temperature, frequency, relay, flags B and counter
    // changed; input 0: only its current; input 1 is new: every field.
    const QByteArray expected = Hex("6f 13 d009 8913 19 20 07"
                                    " 04 50c3"
                                    " ff 1824 a83e a861 00007ac4 00000000 18fc 6400 f401");
    EXPECT_EQ(d.PackDifference(previous), expected);

    // Without a previous record every phase field counts as changed.
    QByteArray phases;
    d.PackPhases(phases, false, nullptr);
    EXPECT_EQ(phases.size(), 2 * (1 + CAktData::kPhaseSize));
    EXPECT_EQ(phases.at(0), char(0xFF));
    EXPECT_EQ(phases.at(21), char(0xFF));
}

TEST(VKTAktDataPack, FullFormRoundTripRecreatesParts)
{
    const CAktData d = Live(kLiveReply);
    const QByteArray full = d.PackFull();
    CAktData reader = WithSelection(0x00F7); // other parts: re-created to match
    const auto* p = reinterpret_cast<const BYTE*>(full.constData());
    ASSERT_EQ(reader.Unpack(p, int(full.size()), true), int(full.size()));
    EXPECT_EQ(reader.GetSelection(), 0x0013);
    EXPECT_FALSE(reader.GetPhase(2));
    EXPECT_FALSE(reader.GetOddHarmonics(0));
    EXPECT_EQ(reader.PackFull(), full);

    // A short buffer reads nothing and changes nothing.
    CAktData untouched = WithSelection(0x0011);
    const QByteArray before = untouched.PackFull();
    EXPECT_EQ(untouched.Unpack(p, int(full.size()) - 1, true), 0);
    EXPECT_EQ(untouched.PackFull(), before);
    EXPECT_EQ(untouched.Unpack(p, 0, false), 0);
}

TEST(VKTAktDataDescribed, InstrumentRecordDecodes)
{
    const CAktData d = Described();
    EXPECT_EQ(d.GetRawSize(0), 61);
    EXPECT_EQ(DescribedStatus().GetRecordSize() - 6, 61);
    EXPECT_EQ(d.GetStatusA(), 0x01);
    EXPECT_DOUBLE_EQ(d.GetVoltage(0, CAktData::Average), 230.0);
    EXPECT_DOUBLE_EQ(d.GetVoltage(0, CAktData::Minimum), 225.0);
    EXPECT_DOUBLE_EQ(d.GetVoltage(0, CAktData::Maximum), 235.0);
    EXPECT_DOUBLE_EQ(d.GetVoltage(1, CAktData::Minimum), 227.5);
    EXPECT_EQ(d.GetVoltage(2, 0), kNoValue);
    EXPECT_DOUBLE_EQ(d.GetVoltageUnbalance(0), 1.5);
    EXPECT_FALSE(d.HasVoltageUnbalance(CAktData::Maximum));
    // The angle of input 3 has a place although no other value of it is recorded.
    EXPECT_DOUBLE_EQ(d.GetCosPhi(3), 0.0256);
    EXPECT_DOUBLE_EQ(d.GetFrequency(0), 50.0);
    EXPECT_DOUBLE_EQ(d.GetFrequency(1), 49.9);
    EXPECT_DOUBLE_EQ(d.GetFrequency(2), 50.1);
    EXPECT_FALSE(d.HasTemperature(0));
    EXPECT_EQ(d.GetRelayState(), 0x08);
    EXPECT_DOUBLE_EQ(d.GetHarmonicValue(true, 0, 0), 100.0);
    EXPECT_DOUBLE_EQ(d.GetHarmonicValue(true, 0, 2), 3.0);
    EXPECT_FALSE(d.HasHarmonic(true, 0, 1)); // odd orders only
    EXPECT_FALSE(d.HasHarmonic(true, 0, 4)); // above the recorded orders
    EXPECT_DOUBLE_EQ(d.GetApparentPower(0, 0), 1600.0);
    EXPECT_DOUBLE_EQ(d.GetTotalApparentPower(2, 0), 4800.0);
    EXPECT_FALSE(d.HasTotalActivePower(2, 0, 0));
}

TEST(VKTAktDataDescribed, ImportAndExportComponents)
{
    const CAktData d = Described();
    const struct {
        int kind;
        int component;
        double expected;
    } cases[] = {
        {CAktData::Average, 0, 1300.0}, {CAktData::Average, 1, 1500.0}, {CAktData::Average, 2, -200.0},
        // The minimum's first component was the instrument's no-value pattern.
        {CAktData::Minimum, 0, -300.0}, {CAktData::Minimum, 1, 0.0},     {CAktData::Minimum, 2, -300.0},
        {CAktData::Maximum, 0, 2500.0}, {CAktData::Maximum, 2, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(d.GetActivePower(0, c.kind, c.component), c.expected) << c.kind << "/" << c.component;
    EXPECT_DOUBLE_EQ(d.GetPowerFactor(0, CAktData::Average), 1300.0 / 1600.0);
    EXPECT_FALSE(d.HasPowerFactor(0, CAktData::Minimum)); // S has no minimum here
    EXPECT_EQ(d.GetPowerFactor(0, CAktData::Minimum), kNoValue);
}

TEST(VKTAktDataDescribed, ProgramFormGroupsEachInputAndReadsBack)
{
    const CAktData d = Described();
    const QByteArray packed = d.Pack();
    EXPECT_EQ(packed, Hex(kDescribedPacked));

    CAktData reader;
    reader.SetArchiveLayout(DescribedStatus());
    const auto* p = reinterpret_cast<const BYTE*>(packed.constData());
    EXPECT_EQ(reader.Unpack(p, int(packed.size()) - 1, true), 0);
    ASSERT_EQ(reader.Unpack(p, int(packed.size()), true), 61);
    EXPECT_EQ(reader.Pack(), packed);
    EXPECT_DOUBLE_EQ(reader.GetActivePower(0, CAktData::Minimum, 0), -300.0);

    reader.ClearArchived();
    EXPECT_FALSE(reader.IsDescribed());
    EXPECT_TRUE(reader.Pack().isEmpty());
}

TEST(VKTAktDataDescribed, SizeMatchesTheDescriptionForEverySelection)
{
    // Orders above 25 are carried in the record but have no place in it.
    const std::initializer_list<std::pair<int, BYTE>> selections[] = {
        {{CVKTArch::SelVoltage, 0x1F}, {CVKTArch::SelCurrent, 0x0F}, {CVKTArch::SelThdI, 0x17}},
        {{CVKTArch::SelActivePower, 0x3F}, {CVKTArch::SelReactivePower, 0x2F}, {CVKTArch::SelApparentPower, 0x1F}},
        {{CVKTArch::SelFlags, 0x37}, {CVKTArch::SelHarmonics, 0x81}, {CVKTArch::SelOrders, 0xFF}},
        {{CVKTArch::SelCos, 0x1F}, {CVKTArch::SelHarmonics, 0xFF}, {CVKTArch::SelOrders, 0x19}},
    };
    for (const auto& sel : selections) {
        const CVKTStatus status = StatusWith(sel);
        CAktData d;
        d.SetArchiveLayout(status);
        const int size = status.GetRecordSize() - 6;
        const std::vector<BYTE> body(std::size_t(size), 0x5A);
        EXPECT_FALSE(d.FromRaw(body.data(), size - 1));
        EXPECT_TRUE(d.FromRaw(body.data(), size));
        EXPECT_EQ(d.Pack().size(), size);
    }
}

TEST(VKTAktDataDescribed, LeadingCurrentHarmonicsDecideEmptiness)
{
    CAktData live = WithSelection(0x00D1);
    live.GetOddHarmonics(4)->values.fill(0xFFFF);
    live.GetOddHarmonics(4)->values[7] = 10; // beyond the seven looked at
    EXPECT_TRUE(live.AreHarmonicsEmpty(0));
    live.GetOddHarmonics(4)->values[6] = 10;
    EXPECT_FALSE(live.AreHarmonicsEmpty(0));

    CAktData described;
    described.SetArchiveLayout(StatusWith({{CVKTArch::SelHarmonics, 0x10}, {CVKTArch::SelOrders, 0x19}}));
    CAktData copy = described;
    EXPECT_TRUE(copy.GetOddHarmonics(4));
    QByteArray body(2 + 26, char(0xFF));
    body[2 + 2 * 9] = 0; // order 19 of 25 is recorded
    auto* p = reinterpret_cast<const BYTE*>(body.constData());
    ASSERT_TRUE(described.FromRaw(p, int(body.size())));
    EXPECT_FALSE(described.AreHarmonicsEmpty(0));
}

TEST(VKTAktWave, PeaksRmsAndPhase)
{
    CAktWave w;
    for (int n = 0; n < CAktWave::kSamples; ++n)
        w.samples[std::size_t(n)] = std::int16_t(std::lround(1000.0 * std::sin(2 * std::numbers::pi * n / 64 + 0.5)));
    std::int16_t hi = 0, lo = 0;
    w.GetPeaks(hi, lo);
    EXPECT_NEAR(hi, 1000, 2);
    EXPECT_NEAR(lo, -1000, 2);
    EXPECT_NEAR(w.GetRms(), 1000.0 / std::sqrt(2.0), 1.0);
    EXPECT_NEAR(w.GetPhase(), 0.5, 1e-3);

    w.samples.fill(300); // peaks start from 0
    w.GetPeaks(hi, lo);
    EXPECT_EQ(hi, 300);
    EXPECT_EQ(lo, 0);
}
