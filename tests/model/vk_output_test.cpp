#include "model/VKOutputConfig.h"

#include "vk_test_util.h"

#include <gtest/gtest.h>

using vktest::Hex;
using vktest::Image;

namespace {

// Pulse byte: P1 active export and sending, time-sync input, P2 sending;
// relay 0 at 80.50 % above, relay 1 inactive; analog 0 from 4 mA, analog 1 active.
const char* kLong = "8d 03e8 0064 1f72 ffff 00c8 0032 60 fc c5 2b c1 9c 0000 07d0 2710 3a98 5a a5 77";
const char* kShort = "8d 03e8 0064 1f72 ffff 00c8 0032 60 fc c5 2b 5a a5 77";
const char* kRelayFields = "8d e803 721f c800 60 c5 5a 6400 ffff 3200 fc 2b a5 77";
const char* kAnalogFields = "c1 0000 1027 9c d007 983a";

QByteArray ClassTag(int schema)
{
    return Hex(schema == 1 ? "ffff 0100 0f00" : "ffff 0200 0f00") + QByteArray("CVKOutputConfig");
}

} // namespace

TEST(VKOutputConfig, BlockingTimeCodes)
{
    const struct {
        unsigned seconds;
        int code;
        int readBack;
    } cases[] = {
        {3601, 252, 3600}, {2054, 200, 2040}, {2055, 201, 2070}, {0, 0, 0},          {2, 0, 0},
        {3, 1, 5},         {479, 96, 480},    {480, 96, 480},    {488, 97, 495},     {3600, 252, 3600},
        {100000, 252, 3600},
    };
    for (const auto& c : cases) {
        CVKOutputConfig out;
        out.SetBlockingTime(1, c.seconds);
        EXPECT_EQ(out.GetBlockingCode(1), c.code) << c.seconds;
        EXPECT_EQ(out.GetBlockingTime(1), c.readBack) << c.seconds;
    }
    for (int code : {253, 254, 255})
        EXPECT_EQ(CVKOutputConfig::BlockingCodeToSeconds(BYTE(code)), 3600);
    EXPECT_EQ(CVKOutputConfig::BlockingCodeToSeconds(97), 495);
    EXPECT_EQ(CVKOutputConfig::BlockingCodeToSeconds(201), 2070);
}

TEST(VKOutputConfig, RelayLevel)
{
    CVKOutputConfig out;
    BOOL active = TRUE;
    double limit = 0;

    out.SetRelayLevel(0, FALSE, 80.0);
    EXPECT_EQ(out.GetRelayLevelWord(0), 0xFFFF);
    out.GetRelayLevel(0, active, limit);
    EXPECT_FALSE(active);
    EXPECT_EQ(limit, 100.0);

    out.SetRelayLevel(0, TRUE, 80.5);
    EXPECT_EQ(out.GetRelayLevelWord(0), 8050);
    out.GetRelayLevel(0, active, limit);
    EXPECT_TRUE(active);
    EXPECT_NEAR(limit, 80.5, 1e-9);

    // An active limit must never turn into the "inactive" marker or wrap.
    out.SetRelayLevel(1, TRUE, 700.0);
    out.GetRelayLevel(1, active, limit);
    EXPECT_TRUE(active);
    EXPECT_EQ(out.GetRelayLevelWord(1), 0xFFFE);
    out.SetRelayLevel(1, TRUE, -5.0);
    EXPECT_EQ(out.GetRelayLevelWord(1), 0);
}

TEST(VKOutputConfig, TwoBitFieldsNeverSpillIntoNeighbours)
{
    // Pulse kinds: bit 2 (time-sync input) above P1's field, bit 6 above P2's.
    const struct {
        int p, kind;
        BYTE before, after;
    } pulse[] = {
        {1, 3, 0x04, 0x07}, {1, 4, 0x04, 0x04}, {1, 4, 0x07, 0x04}, {1, -1, 0x03, 0x00},
        {2, 2, 0x80, 0xA0}, {2, 4, 0x80, 0x80}, {2, 4, 0xB0, 0x80}, {2, 1, 0x4F, 0x5F},
    };
    for (const auto& c : pulse) {
        CVKOutputConfig out;
        out.SetPulseByte(c.before);
        out.SetPulseOutputKind(c.p, c.kind);
        EXPECT_EQ(out.GetPulseByte(), c.after) << c.p << ' ' << c.kind;
        EXPECT_EQ(out.GetPulseOutputKind(c.p), c.kind >= 0 && c.kind <= 3 ? c.kind : 0);
    }

    // Relay and analog phase: bit 2 above is the quantity's lowest bit.
    for (int phase : {0, 1, 2, 3, 4, 5}) {
        CVKOutputConfig out;
        out.SetRelayQuantity(0, 1);
        out.SetAnalogQuantity(1, 1);
        out.SetRelayPhase(0, phase);
        out.SetAnalogPhase(1, phase);
        EXPECT_EQ(out.GetRelayQuantity(0), 1) << phase;
        EXPECT_EQ(out.GetAnalogQuantity(1), 1) << phase;
        EXPECT_EQ(out.GetRelayPhase(0), phase <= 3 ? phase : 0);
        EXPECT_EQ(out.GetAnalogPhase(1), phase <= 3 ? phase : 0);
    }

    CVKOutputConfig out;
    out.SetRelayPhase(0, 3);
    out.SetRelayFlag6(0, TRUE);
    out.SetRelayAbove(0, TRUE);
    out.SetRelayQuantity(0, 10);
    EXPECT_EQ(out.GetRelayControl(0), 0xEB);
    out.SetRelayQuantity(0, 11); // outside 0-10 clears only the quantity
    EXPECT_EQ(out.GetRelayControl(0), 0xC3);
}

TEST(VKOutputConfig, LongAndShortImages)
{
    CVKOutputConfig out;
    out.FromRawLong(Image(kLong).data());
    EXPECT_EQ(out.GetPulseOutputKind(1), 1);
    EXPECT_TRUE(out.GetPulseSending(1));
    EXPECT_TRUE(out.GetPulseSending(2));
    EXPECT_TRUE(out.GetTimeSyncInput());
    EXPECT_NEAR(out.GetPulseConstant(0), 100.0, 1e-9);
    EXPECT_NEAR(out.GetHysteresis(0), 2.0, 1e-9);
    EXPECT_EQ(out.GetBlockingTime(0), 480);
    EXPECT_TRUE(out.GetRelayAbove(0));
    EXPECT_TRUE(out.GetRelayFlag6(0));
    EXPECT_EQ(out.GetRelayQuantity(1), 10);
    EXPECT_TRUE(out.GetAnalogFrom4mA(0));
    EXPECT_TRUE(out.GetAnalogActive(1));
    EXPECT_EQ(out.GetAnalogQuantity(1), 7);
    EXPECT_NEAR(out.GetAnalogEnd(1), 150.0, 1e-9);

    BYTE raw[CVKOutputConfig::kLongImageSize] = {};
    out.ToRaw(raw);
    EXPECT_EQ(std::vector<BYTE>(std::begin(raw), std::end(raw)), Image(kLong));

    // Older firmware: no analog part; R3 and O1 move to the end of the long image.
    out.FromRawShort(Image(kShort).data());
    out.ToRaw(raw);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(raw), sizeof raw).toHex(),
              Hex("8d 03e8 0064 1f72 ffff 00c8 0032 60 fc c5 2b 0000 00000000 00000000 5a a5 77").toHex());
}

TEST(VKOutputConfig, StoredFormOfSchema2)
{
    CVKOutputConfig out;
    out.FromRawLong(Image(kLong).data());
    platform::SerialArchive ar;
    ar.WriteObject(&out);
    const QByteArray expected = ClassTag(2) + Hex(kRelayFields) + Hex(kAnalogFields);
    EXPECT_EQ(ar.buffer().toHex(), expected.toHex());

    platform::SerialArchive in(expected);
    const auto loaded = in.ReadObjectOf<CVKOutputConfig>();
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(in.AtEnd());
    BYTE raw[CVKOutputConfig::kLongImageSize] = {};
    loaded->ToRaw(raw);
    EXPECT_EQ(std::vector<BYTE>(std::begin(raw), std::end(raw)), Image(kLong));
}

TEST(VKOutputConfig, Schema1FileLoadsWithoutAnalogPart)
{
    // As an older program version wrote it: class tag with schema 1, no analog fields.
    const QByteArray file = ClassTag(1) + Hex(kRelayFields);
    platform::SerialArchive in(file);
    const auto loaded = in.ReadObjectOf<CVKOutputConfig>();
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(in.AtEnd());
    BOOL active;
    double limit;
    loaded->GetRelayLevel(0, active, limit);
    EXPECT_TRUE(active);
    EXPECT_NEAR(limit, 80.5, 1e-9);
    EXPECT_EQ(loaded->GetBlockingTime(1), 3600);
    EXPECT_FALSE(loaded->GetAnalogActive(1));

    // Loaded in place, the analog part keeps what the record held.
    CVKOutputConfig existing;
    existing.FromRawLong(Image(kLong).data());
    existing.SetRelayLevel(0, FALSE, 0);
    platform::SerialArchive fields(Hex(kRelayFields));
    fields.SetObjectSchema(1);
    existing.Serialize(fields);
    EXPECT_TRUE(fields.AtEnd());
    BYTE raw[CVKOutputConfig::kLongImageSize] = {};
    existing.ToRaw(raw);
    EXPECT_EQ(std::vector<BYTE>(std::begin(raw), std::end(raw)), Image(kLong));
}
