#include "model/DuskarTarif.h"
#include "model/QorinAktData.h"
#include "model/QorinConfig.h"

#include "controller_test_util.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <array>
#include <cmath>
#include <limits>

using platform::ArchiveError;

namespace {

using controller_test::RandomImage;
using Image = std::array<BYTE, CConfig::kImageSize>;

Image CountingImage()
{
    return controller_test::CountingImage<CConfig::kImageSize>();
}

using controller_test::Store;

TEST(QorinConfigImage, RandomImagesComeBackUnchanged)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const auto image = RandomImage<CConfig::kImageSize>(seed);
        CConfig config;
        config.FromRaw(image.data());
        std::array<BYTE, CConfig::kImageSize> out{};
        config.ToRaw(out.data());
        EXPECT_EQ(out, image) << "seed " << seed;

        // The copy is what the sheet hands on; it keeps the mode byte too.
        const CConfig copy(config);
        std::array<BYTE, CConfig::kImageSize> copied{};
        copy.ToRaw(copied.data());
        EXPECT_EQ(copied, image) << "seed " << seed;
    }
}

TEST(QorinConfigImage, FieldsSitAtTheirOffsets)
{
    const auto image = CountingImage();
    CConfig config;
    config.FromRaw(image.data());
    EXPECT_EQ(config.mode, 0x01);
    // The instrument keeps the two regulation times the other way round.
    EXPECT_EQ(config.tarif1.t0, 0x03);
    EXPECT_EQ(config.tarif1.t2, 0x04);
    EXPECT_EQ(config.tarif1.t1, 0x05);
    EXPECT_EQ(config.tarif2.t4, 0x0C);
    EXPECT_EQ(config.ctRatio, 0x0D0E);
    EXPECT_EQ(config.stageCurrents[0], 0x1516);
    EXPECT_EQ(config.stageCurrents[13], 0x2F30);
    EXPECT_EQ(config.reactorLimit, 0x35);
    EXPECT_EQ(config.switchCountLimit, 0x3C);
    EXPECT_EQ(config.wordK, 0x4142);

    // Stage currents are signed.
    std::array<BYTE, CConfig::kImageSize> negative{};
    negative[20] = 0xFF;
    negative[21] = 0xFE;
    config.FromRaw(negative.data());
    EXPECT_EQ(config.stageCurrents[0], -2);
}

// The stream order of settings files: every byte below is traced to its
// image offset (image byte i holds i + 1).
TEST(QorinConfigSerialize, GoldenBytes)
{
    const auto image = CountingImage();
    CConfig config;
    config.FromRaw(image.data());

    const QByteArray expected = QByteArray::fromHex(
        "02"                                     // byte A
        "ffff 0100 0600 435461726966"            // new class CTarif, schema 1
        "04 05 07 06 03"                         // tariff 1: t2 t1 t4 t3 t0
        "0180"                                   // known class 1
        "09 0a 0c 0b 08"                         // tariff 2
        "0e0d"                                   // ratio word
        "0f 10 11 12 13 14"                      // bytes 14-19
        "1615 1817 1a19 1c1b 1e1d 201f 2221"     // stage currents 1-7
        "2423 2625 2827 2a29 2c2b 2e2d 302f"     // stage currents 8-14
        "3231 3433"                              // regulated, switched off
        "35 36"                                  // bytes 52, 53
        "3837 3a39"                              // alarm signalling, action
        "3b 3c 3d 3e 3f 40"                      // bytes 58-63
        "4241");                                 // word K
    EXPECT_EQ(Store(config).toHex(' '), expected.toHex(' '));
}

TEST(QorinConfigSerialize, LoadKeepsEverythingButTheModeByte)
{
    const auto image = RandomImage<CConfig::kImageSize>(7);
    CConfig original;
    original.FromRaw(image.data());
    original.mode = 0x0F;
    const QByteArray stream = Store(original);

    CConfig loaded;
    loaded.mode = 0x05;
    SerialArchive in(stream);
    loaded.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(loaded.mode, 0);

    std::array<BYTE, CConfig::kImageSize> out{};
    loaded.ToRaw(out.data());
    auto want = image;
    want[0] = 0;
    EXPECT_EQ(out, want);
}

TEST(QorinConfigSerialize, DamagedStreamsFailAndLeaveTheRecord)
{
    const auto image = RandomImage<CConfig::kImageSize>(8);
    CConfig original;
    original.FromRaw(image.data());
    const QByteArray stream = Store(original);

    CConfig dest;
    dest.wordK = 0x1234;
    const auto load = [](SerialArchive& ar, CConfig& c) { c.Serialize(ar); };

    // Cut short.
    EXPECT_FALSE(platform::LoadInto(stream.left(stream.size() - 1), dest, load).isEmpty());
    EXPECT_EQ(dest.wordK, 0x1234);

    // Tariffs of the other family.
    SerialArchive foreign;
    foreign << original.byteA;
    CDuskarTarif tarif;
    foreign.WriteObject(&tarif);
    foreign.WriteObject(&tarif);
    foreign.Write(stream.constData() + 23, stream.size() - 23);
    EXPECT_FALSE(platform::LoadInto(foreign.buffer(), dest, load).isEmpty());
    EXPECT_EQ(dest.wordK, 0x1234);
}

TEST(QorinConfigAccessors, CurrentTransformerRatio)
{
    struct Case {
        int primary, secondary;
        WORD word;
    };
    const Case cases[] = {
        {49750, 1, 9950}, {49751, 1, 9950}, {40000, 1, 8000}, {-1, 1, 0},
        {7, 1, 1}, {100, 5, 0x8000 | 20}, {100, 2, 0x8000 | 20},
    };
    for (const Case& c : cases) {
        CConfig config;
        config.SetCtRatio(c.primary, c.secondary);
        EXPECT_EQ(config.ctRatio, c.word) << c.primary << "/" << c.secondary;
    }

    CConfig config;
    config.ctRatio = 0x8000 | 20;
    EXPECT_EQ(config.GetCtPrimaryCurrent(), 100);
    EXPECT_EQ(config.GetCtSecondaryCurrent(), 5);
    config.ctRatio = 9950;
    EXPECT_EQ(config.GetCtPrimaryCurrent(), 49750);
    EXPECT_EQ(config.GetCtSecondaryCurrent(), 1);
}

TEST(QorinConfigAccessors, VoltageConnection)
{
    struct Read {
        BYTE byte;
        int type;
    };
    const Read reads[] = {{0x00, 0}, {0x07, 0}, {0x0F, 0}, {0x08, 0}, {0x03, 3}, {0x09, 7}, {0x0E, 12}};
    for (const Read& r : reads) {
        CConfig config;
        config.voltageConnection = r.byte;
        EXPECT_EQ(config.GetVoltageConnection(), r.type) << int(r.byte);
    }

    // Every type comes back, and "not set" is sent as 0, never as 0xFF/0xF7.
    struct Write {
        int type;
        BYTE old;
        BYTE byte;
    };
    const Write writes[] = {
        {0, 0x00, 0x00}, {0, 0x08, 0x00}, {-1, 0x08, 0x00}, {-100, 0x00, 0x00},
        {6, 0x08, 0x06}, {7, 0x00, 0x09}, {12, 0x00, 0x0E}, {13, 0x00, 0x0E}, {99, 0x00, 0x0E},
    };
    for (const Write& w : writes) {
        CConfig config;
        config.voltageConnection = w.old;
        config.SetVoltageConnection(w.type);
        EXPECT_EQ(config.voltageConnection, w.byte) << w.type;
    }
    for (int type = 0; type <= 12; ++type) {
        CConfig config;
        config.SetVoltageConnection(type);
        EXPECT_EQ(config.GetVoltageConnection(), type);
    }
}

TEST(QorinConfigAccessors, StageCurrentsSurviveThePage)
{
    // Whatever the page reads, it writes back the same word.
    CConfig config;
    for (int w = -32768; w <= 32767; w += CConfig::kStageCount) {
        for (int i = 0; i < CConfig::kStageCount; ++i)
            config.stageCurrents[i] = short(std::min(w + i, 32767));
        CConfig before = config;
        float amps[CConfig::kStageCount];
        config.GetStageCurrents(amps);
        config.SetStageCurrents(amps);
        for (int i = 0; i < CConfig::kStageCount; ++i)
            ASSERT_EQ(config.stageCurrents[i], before.stageCurrents[i]);
    }

    float amps[CConfig::kStageCount] = {-0.00049f, 8.0f, -8.0f, 20.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f};
    config.SetStageCurrents(amps);
    EXPECT_EQ(config.stageCurrents[0], -1);             // toward zero
    EXPECT_EQ(config.stageCurrents[1], 32000);
    EXPECT_EQ(config.stageCurrents[2], -32000);
    EXPECT_EQ(config.stageCurrents[3], short(80000 - 65536)); // low 16 bits
    EXPECT_EQ(config.stageCurrents[4], CConfig::kStageNotSet);
}

TEST(QorinConfigAccessors, StageFlagsKeepTheTopBits)
{
    CConfig config;
    config.regulatedStages = 0xC000;
    config.switchedOffStages = 0xFFFF;
    BOOL flags[CConfig::kStageCount] = {};
    flags[0] = TRUE;
    flags[13] = 5;
    config.SetStageFlagsA(flags);
    config.SetStageFlagsB(flags);
    EXPECT_EQ(config.regulatedStages, 0xE001);
    EXPECT_EQ(config.switchedOffStages, 0xE001);

    BOOL back[CConfig::kStageCount];
    config.GetStageFlagsB(back);
    for (int i = 0; i < CConfig::kStageCount; ++i)
        EXPECT_EQ(back[i] != 0, i == 0 || i == 13);
}

TEST(QorinConfigAccessors, AlarmFlags)
{
    CConfig config;
    BOOL signal[CConfig::kAlarmCount] = {TRUE, FALSE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, FALSE};
    config.alarmSignal = 0xFFFF;
    config.SetAlarmSignalFlags(signal);
    EXPECT_EQ(config.alarmSignal, 0x0102); // rebuilt from 0: bits 9-15 end clear
    BOOL back[CConfig::kAlarmCount];
    config.GetAlarmSignalFlags(back);
    for (int i = 0; i < CConfig::kAlarmCount; ++i)
        EXPECT_EQ(back[i] != 0, signal[i] != 0) << i;

    struct Case {
        BOOL flags[CConfig::kAlarmActionCount];
        WORD word;
    };
    const Case cases[] = {
        {{TRUE, TRUE, TRUE, TRUE, TRUE, TRUE}, 38},
        {{FALSE, TRUE, TRUE, TRUE, TRUE, TRUE}, 39},
        {{TRUE, FALSE, TRUE, TRUE, TRUE, FALSE}, 38 | 0x0008 | 0x0100},
        {{FALSE, FALSE, FALSE, FALSE, FALSE, FALSE}, 0x01FF},
    };
    for (const Case& c : cases) {
        config.SetAlarmActionFlags(c.flags);
        EXPECT_EQ(config.alarmAction, c.word);
        BOOL actions[CConfig::kAlarmActionCount];
        config.GetAlarmActionFlags(actions);
        for (int i = 0; i < CConfig::kAlarmActionCount; ++i)
            EXPECT_EQ(actions[i] != 0, c.flags[i] != 0) << i;
    }
}

TEST(QorinConfigAccessors, CkAndCounts)
{
    CConfig config;
    const std::pair<BYTE, float> reads[] = {{0, 0.01f}, {1, 0.01f}, {100, 1.0f}, {200, 2.0f}, {250, 2.0f}};
    for (const auto& [byte, value] : reads) {
        config.ck = byte;
        EXPECT_FLOAT_EQ(config.GetCk(), value) << int(byte);
    }
    const std::pair<float, BYTE> writes[] = {{1.234f, 123}, {0.005f, 1}, {2.0f, 200}, {-3.0f, 0}, {10.0f, 255}};
    for (const auto& [value, byte] : writes) {
        config.SetCk(value);
        EXPECT_EQ(config.ck, byte) << value;
    }

    config.SetCapacitorCount(12, 3);
    EXPECT_EQ(config.capacitorCount, 0x3C);
    EXPECT_EQ(config.GetCapacitorCount(), 12);
    EXPECT_EQ(config.GetCapacitorCountHigh(), 3);

    config.transistorSection = 0xA3;
    config.SetTransistorStageCount(6);
    EXPECT_EQ(config.transistorSection, 0xA6);
    EXPECT_EQ(config.GetTransistorStageCount(), 6);
}

TEST(QorinAktDataTest, FieldsSitAtTheirOffsets)
{
    const auto image = RandomImage<CQorinAktData::kImageSize>(3);
    auto raw = image;
    raw[32] &= 0x3F; // keep the power factor
    CQorinAktData v;
    v.FromRaw(raw.data());
    const auto word = [&](int at) { return WORD(raw[std::size_t(at)] << 8 | raw[std::size_t(at) + 1]); };
    EXPECT_EQ(v.word0, word(0));
    EXPECT_EQ(v.word1, word(2));
    EXPECT_EQ(v.model, word(4));
    EXPECT_EQ(v.ctWord, word(6));
    EXPECT_EQ(v.byte8, raw[8]);
    EXPECT_EQ(v.current, word(9));
    EXPECT_EQ(v.word11, word(11));
    EXPECT_EQ(v.activeCurrent, std::int16_t(word(13)));
    EXPECT_EQ(v.reactiveCurrent, std::int16_t(word(15)));
    EXPECT_EQ(v.word17, word(17));
    EXPECT_EQ(v.cosPhi, std::int8_t(raw[19]));
    EXPECT_EQ(v.thdCode, raw[20]);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(v.harmonicCode[i], raw[std::size_t(21 + i)]);
    EXPECT_EQ(v.byte27, raw[27]);
    EXPECT_EQ(v.stageMask, word(28));
    EXPECT_EQ(v.byte30, raw[30]);
    EXPECT_EQ(v.byte31, raw[31]);
    EXPECT_EQ(v.state, raw[32]);
    EXPECT_EQ(v.flags, raw[33]);
    EXPECT_EQ(v.byte34, raw[34]);
}

TEST(QorinAktDataTest, PowerFactorRules)
{
    std::array<BYTE, CQorinAktData::kImageSize> raw{};
    raw[19] = 95;
    for (BYTE state : {BYTE(0x40), BYTE(0x80), BYTE(0xC5)}) {
        raw[32] = state;
        CQorinAktData v;
        v.FromRaw(raw.data());
        EXPECT_EQ(v.cosPhi, 127) << int(state);
    }
    raw[32] = 0x3F;
    CQorinAktData v;
    v.FromRaw(raw.data());
    EXPECT_EQ(v.cosPhi, 95);

    // -1.00 becomes 1.00 on a copy; a later no-power state wins.
    v.cosPhi = std::int8_t(156);
    CQorinAktData copy(v);
    EXPECT_EQ(copy.cosPhi, 100);
    CQorinAktData assigned;
    v.state = 0x80;
    assigned = v;
    EXPECT_EQ(assigned.cosPhi, 127);
}

TEST(QorinAktDataTest, NoValueMarkers)
{
    CQorinAktData v;
    EXPECT_EQ(v.thdCode, 0xFF);
    EXPECT_EQ(v.current, 0xFFFF);
    EXPECT_EQ(v.activeCurrent, -1);
    EXPECT_EQ(v.reactiveCurrent, -1);
    EXPECT_EQ(v.ctWord, 0x8001);
    EXPECT_EQ(v.cosPhi, 127);
    EXPECT_EQ(v.stageMask, 0);

    v.word0 = 0x1234;
    v.stageMask = 0x00FF;
    v.SetNoValue();
    EXPECT_EQ(v.word0, 0x1234);
    EXPECT_EQ(v.stageMask, 0);
    EXPECT_EQ(v.GetThdI(), kNoValue);
}

TEST(QorinAktDataTest, ThdAndHarmonicsNeedAQuarterAmpere)
{
    struct Case {
        WORD current;
        BYTE code;
        double thd, harmonic;
    };
    const Case cases[] = {
        {999, 10, kNoValue, kNoValue}, {1000, 10, 5.0, 1.0},     {4000, 0, 0.0, 0.0},
        {4000, 100, 50.0, 10.0},       {4000, 101, 52.5, 10.5}, {4000, 200, 300.0, 60.0},
        {4000, 201, 310.0, 62.5},      {4000, 254, 840.0, 195.0}, {4000, 255, kNoValue, kNoValue},
    };
    for (const Case& c : cases) {
        CQorinAktData v;
        v.current = c.current;
        v.thdCode = c.code;
        v.harmonicCode[5] = c.code;
        EXPECT_DOUBLE_EQ(v.GetThdI(), c.thd) << c.current << " " << int(c.code);
        EXPECT_DOUBLE_EQ(v.GetHarmonicI(5), c.harmonic) << c.current << " " << int(c.code);
    }
    CQorinAktData v;
    v.current = 4000;
    EXPECT_EQ(v.GetHarmonicI(6), kNoValue);
    EXPECT_EQ(v.GetHarmonicI(-1), kNoValue);
}

TEST(QorinAktDataTest, StageTimeCounters)
{
    struct Case {
        WORD model, version;
        BOOL has;
    };
    const Case cases[] = {
        {1, 16, FALSE}, {1, 17, TRUE}, {2, 0x0110, FALSE}, {3, 31, FALSE}, {3, 32, TRUE}, {6, 0xFF20, TRUE},
    };
    for (const Case& c : cases) {
        CQorinAktData v;
        v.model = c.model;
        v.word0 = c.version;
        EXPECT_EQ(v.HasStageTimeCounters(), c.has) << c.model << " " << c.version;
    }
}

} // namespace
