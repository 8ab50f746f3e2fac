#include "model/DuskarAktData.h"
#include "model/DuskarConfig.h"

#include "controller_test_util.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <array>

using platform::ArchiveError;

namespace {

using Image = std::array<BYTE, CDuskarConfig::kImageSize>;

Image RandomDuskarImage(unsigned seed)
{
    return controller_test::RandomImage<CDuskarConfig::kImageSize>(seed);
}

Image CountingDuskarImage()
{
    return controller_test::CountingImage<CDuskarConfig::kImageSize>();
}

using controller_test::Store;

TEST(DuskarConfigImage, RandomImagesComeBackUnchanged)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const Image image = RandomDuskarImage(seed);
        CDuskarConfig config;
        config.FromRaw(image.data());

        // Bytes 1 and 77 are the caller's.
        Image out{};
        out[1] = 0xA1;
        out[77] = 0xA2;
        CDuskarConfig(config).ToRaw(out.data());
        Image want = image;
        want[1] = 0xA1;
        want[77] = 0xA2;
        EXPECT_EQ(out, want) << "seed " << seed;
    }
}

TEST(DuskarConfigImage, QorinOnlyFieldsStayOutOfTheImage)
{
    CDuskarConfig config;
    config.byteA = 0x11;
    config.thdLimit = 0x22;
    config.transistorSpeed = 0x33;
    config.tarif1.t0 = 0x44;
    const Image image = CountingDuskarImage();
    config.FromRaw(image.data());
    EXPECT_EQ(config.byteA, 0x11);
    EXPECT_EQ(config.thdLimit, 0x22);
    EXPECT_EQ(config.transistorSpeed, 0x33);
    EXPECT_EQ(config.tarif1.t0, 0x44);

    EXPECT_EQ(config.duskarTarif1.t0, 0x03);
    EXPECT_EQ(config.duskarTarif1.t2, 0x04);
    EXPECT_EQ(config.duskarTarif1.t1, 0x05);
    EXPECT_EQ(config.thyristorSection, 0x14);
    EXPECT_EQ(config.thyristorSpeed, 0x36);
    EXPECT_EQ(config.switchCountLimit, 0x46);
    EXPECT_EQ(config.switchTemperature[1], 0x3F);
    EXPECT_EQ(config.evaluationWindows, 0x4D);
    EXPECT_EQ(config.wordK, 0x4F50);
}

// Settings-file stream: every byte below is traced to its image offset
// (image byte i holds i + 1).
TEST(DuskarConfigSerialize, GoldenBytes)
{
    const Image image = CountingDuskarImage();
    CDuskarConfig config;
    config.FromRaw(image.data());

    const QByteArray expected = QByteArray::fromHex(
        "01"                                              // format
        "ffff 0100 0c00 4344 7573 6b61 7254 6172 6966"    // new class CDuskarTarif, schema 1
        "04 05 07 06 03"                                  // tariff 1: t2 t1 t4 t3 t0
        "0180"                                            // known class 1
        "09 0a 0c 0b 08"                                  // tariff 2
        "0e0d"                                            // ratio word
        "0f 10 11 12 13"                                  // bytes 14-18
        "1615 1817 1a19 1c1b 1e1d 201f 2221"              // stage currents 1-7
        "2423 2625 2827 2a29 2c2b 2e2d 302f"              // stage currents 8-14
        "3231 3433"                                       // regulated, switched off
        "35"                                              // byte 52
        "3837 3a39"                                       // alarm signalling, action
        "46 4b 4c"                                        // bytes 69, 74, 75
        "504f"                                            // word K
        "3b 3c 3d 14"                                     // bytes 58, 59, 60, 19
        "3e 40 42 45"                                     // P0 Q0 THD0 D4
        "3f 41 43 45"                                     // P1 Q1 THD1 D4
        "44 47 48 36 49 4a 4d");                          // bytes 67, 70, 71, 53, 72, 73, 76
    EXPECT_EQ(Store(config).toHex(' '), expected.toHex(' '));
}

TEST(DuskarConfigSerialize, LoadKeepsTheSecondOverheatingLimitAndNoMode)
{
    const Image image = RandomDuskarImage(5);
    CDuskarConfig original;
    original.FromRaw(image.data());
    original.mode = 0x25;
    QByteArray stream = Store(original);
    // The two copies of D4 sit 4 and 8 bytes after bytes 58, 59, 60, 19.
    const qsizetype rounds = stream.size() - 7 - 8;
    stream[rounds + 3] = char(0x01);
    stream[rounds + 7] = char(0x02);

    CDuskarConfig loaded;
    loaded.mode = 0x24;
    SerialArchive in(stream);
    loaded.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(loaded.mode, 0);
    EXPECT_EQ(loaded.GetAutoStageDetection(), 0);
    EXPECT_EQ(loaded.overheatingLimit, 0x02);

    Image out{};
    loaded.ToRaw(out.data());
    Image want = image;
    want[0] = 0;
    want[1] = 0;
    want[68] = 0x02;
    want[77] = 0;
    EXPECT_EQ(out, want);
}

TEST(DuskarConfigSerialize, UnknownFormatIsRejected)
{
    CDuskarConfig original;
    QByteArray stream = Store(original);
    stream[0] = char(2);

    CDuskarConfig dest;
    dest.vtCode = 77;
    try {
        SerialArchive in(stream);
        dest.Serialize(in);
        FAIL() << "format 2 was accepted";
    } catch (const ArchiveError& e) {
        EXPECT_EQ(e.cause(), ArchiveError::BadClass);
    }
    const auto load = [](SerialArchive& ar, CDuskarConfig& c) { c.Serialize(ar); };
    EXPECT_FALSE(platform::LoadInto(stream, dest, load).isEmpty());
    EXPECT_EQ(dest.vtCode, 77);
    // A Qorin stream is no Duskar configuration either.
    CConfig qorin;
    SerialArchive ar;
    qorin.Serialize(ar);
    QByteArray qorinStream = ar.buffer();
    qorinStream[0] = char(1);
    EXPECT_FALSE(platform::LoadInto(qorinStream, dest, load).isEmpty());
}

TEST(DuskarConfigAccessors, CurrentTransformerRatio)
{
    const std::pair<WORD, int> cases[] = {{2000, 1}, {1990, 9950}, {0x8000 + 9000, 9000}, {0x8000 + 9951, 1},
                                          {0, 1},    {0x8000, 1},  {1, 5}};
    for (const auto& [word, ratio] : cases) {
        CDuskarConfig config;
        config.ctRatio = word;
        EXPECT_EQ(config.GetCtRatio(), ratio) << word;
        EXPECT_DOUBLE_EQ(CPrevodTyp::DecodeCtRatio(word), ratio) << word;
    }
}

TEST(DuskarConfigAccessors, VoltageTransformerRatio)
{
    const std::pair<BYTE, int> decode[] = {{0, 1}, {1, 10}, {100, 1000}, {101, 1100}, {140, 5000}, {141, 1}, {255, 1}};
    for (const auto& [code, ratio] : decode) {
        CDuskarConfig config;
        config.vtCode = code;
        EXPECT_EQ(config.GetVtRatio(), ratio) << int(code);
    }
    const std::pair<int, BYTE> encode[] = {{-5, 0},     {1, 0},     {9, 0},      {10, 1},   {1000, 100},
                                           {1050, 100}, {1100, 101}, {5000, 140}, {5001, 0}};
    for (const auto& [ratio, code] : encode) {
        CDuskarConfig config;
        config.SetVtRatio(ratio);
        EXPECT_EQ(config.vtCode, code) << ratio;
    }

    struct Step {
        int from, to;
        BOOL moved;
    };
    const Step up[] = {{0, 1, FALSE}, {1, 10, TRUE}, {990, 1000, TRUE}, {1000, 1100, TRUE},
                       {4900, 5000, TRUE}, {5000, 5000, FALSE}, {7000, 5000, FALSE}};
    for (const Step& s : up) {
        int r = s.from;
        EXPECT_EQ(CDuskarConfig::StepVtRatioUp(r), s.moved) << s.from;
        EXPECT_EQ(r, s.to) << s.from;
    }
    const Step down[] = {{10, 1, FALSE}, {20, 10, TRUE}, {1000, 990, TRUE}, {1100, 1000, TRUE},
                         {1050, 1000, TRUE}, {5000, 4900, TRUE}, {6000, 5000, FALSE}};
    for (const Step& s : down) {
        int r = s.from;
        EXPECT_EQ(CDuskarConfig::StepVtRatioDown(r), s.moved) << s.from;
        EXPECT_EQ(r, s.to) << s.from;
    }
}

TEST(DuskarConfigAccessors, NominalVoltage)
{
    const std::pair<BYTE, int> decode[] = {{0, 50}, {9, 50}, {10, 55}, {11, 58}, {12, 60}, {150, 750}, {200, 750}};
    for (const auto& [code, volts] : decode) {
        CDuskarConfig config;
        config.nominalVoltageCode = code;
        EXPECT_EQ(config.GetNominalVoltage(), volts) << int(code);
    }
    const std::pair<int, BYTE> encode[] = {{0, 9}, {50, 9}, {55, 10}, {58, 11}, {60, 12}, {233, 47}, {751, 150}, {900, 150}};
    for (const auto& [volts, code] : encode) {
        CDuskarConfig config;
        config.SetNominalVoltage(volts);
        EXPECT_EQ(config.nominalVoltageCode, code) << volts;
    }

    struct Step {
        int from, factor, to;
        BOOL ok;
    };
    const Step snap[] = {{40, 1, 50, FALSE}, {52, 1, 50, TRUE},   {56, 1, 55, TRUE},      {58, 1, 58, TRUE},
                         {232, 1, 235, TRUE}, {760, 1, 750, FALSE}, {2320, 10, 2350, TRUE}, {100, 0, 100, TRUE}};
    for (const Step& s : snap) {
        int v = s.from;
        EXPECT_EQ(CDuskarConfig::SnapNominalVoltage(v, s.factor), s.ok) << s.from;
        EXPECT_EQ(v, s.to) << s.from;
    }
    const Step up[] = {{40, 1, 50, FALSE}, {50, 1, 55, TRUE}, {55, 1, 58, TRUE}, {58, 1, 60, TRUE},
                       {60, 1, 65, TRUE},  {745, 1, 750, TRUE}, {750, 1, 750, FALSE}, {600, 10, 650, TRUE}};
    for (const Step& s : up) {
        int v = s.from;
        EXPECT_EQ(CDuskarConfig::StepNominalVoltageUp(v, s.factor), s.ok) << s.from;
        EXPECT_EQ(v, s.to) << s.from;
    }
    // From 55 the step reaches 50; it must not stay at 55.
    const Step down[] = {{50, 1, 50, FALSE}, {55, 1, 50, TRUE},  {58, 1, 55, TRUE},   {60, 1, 58, TRUE},
                         {65, 1, 60, TRUE},  {750, 1, 745, TRUE}, {800, 1, 750, FALSE}, {550, 10, 500, TRUE}};
    for (const Step& s : down) {
        int v = s.from;
        EXPECT_EQ(CDuskarConfig::StepNominalVoltageDown(v, s.factor), s.ok) << s.from;
        EXPECT_EQ(v, s.to) << s.from;
    }
}

TEST(DuskarConfigAccessors, ThdLimit)
{
    const std::pair<BYTE, float> decode[] = {{0, 2.0f},   {4, 2.0f},     {5, 2.5f},     {100, 50.0f},
                                             {101, 52.5f}, {160, 200.0f}, {200, 200.0f}, {255, 200.0f}};
    for (const auto& [code, value] : decode) {
        CDuskarConfig config;
        config.thdLimitCode[1] = code;
        EXPECT_FLOAT_EQ(config.GetThdLimit(1), value) << int(code);
    }
    const std::pair<float, BYTE> encode[] = {{1.0f, 4}, {-7.0f, 4}, {2.5f, 5}, {50.0f, 100}, {52.5f, 101}, {200.0f, 160}, {1e9f, 160}};
    for (const auto& [value, code] : encode) {
        CDuskarConfig config;
        config.SetThdLimit(value, 0);
        EXPECT_EQ(config.thdLimitCode[0], code) << value;
        EXPECT_EQ(config.thdLimitCode[1], 0) << value;
    }

    struct Step {
        float from, to;
        BOOL ok;
    };
    const Step snap[] = {{2.7f, 2.5f, TRUE}, {62.0f, 62.5f, TRUE}, {1.0f, 2.0f, FALSE}, {50.4f, 50.5f, TRUE},
                         {201.0f, 200.0f, TRUE}, {250.0f, 200.0f, FALSE}};
    for (const Step& s : snap) {
        float v = s.from;
        EXPECT_EQ(CDuskarConfig::SnapThdLimit(v), s.ok) << s.from;
        EXPECT_FLOAT_EQ(v, s.to) << s.from;
    }
    const Step up[] = {{1.0f, 2.0f, FALSE}, {2.0f, 2.5f, TRUE}, {49.5f, 50.0f, TRUE}, {50.0f, 52.5f, TRUE},
                       {197.5f, 200.0f, TRUE}, {200.0f, 200.0f, FALSE}};
    for (const Step& s : up) {
        float v = s.from;
        EXPECT_EQ(CDuskarConfig::StepThdLimitUp(v), s.ok) << s.from;
        EXPECT_FLOAT_EQ(v, s.to) << s.from;
    }
    const Step down[] = {{2.0f, 2.0f, FALSE}, {2.5f, 2.0f, TRUE}, {50.0f, 49.5f, TRUE}, {52.5f, 50.0f, TRUE},
                         {200.0f, 197.5f, TRUE}, {300.0f, 200.0f, FALSE}};
    for (const Step& s : down) {
        float v = s.from;
        EXPECT_EQ(CDuskarConfig::StepThdLimitDown(v), s.ok) << s.from;
        EXPECT_FLOAT_EQ(v, s.to) << s.from;
    }
}

TEST(DuskarConfigAccessors, ChlLimit)
{
    const std::pair<BYTE, int> decode[] = {{0, 80}, {79, 80}, {80, 80}, {150, 150}, {151, 155}, {156, 180}, {200, 180}, {255, 180}};
    for (const auto& [code, value] : decode) {
        CDuskarConfig config;
        config.chlLimitCode = code;
        EXPECT_EQ(config.GetChlLimit(), value) << int(code);
    }
    const std::pair<int, BYTE> encode[] = {{-3, 0}, {100, 100}, {150, 150}, {155, 151}, {181, 156}, {500, 156}};
    for (const auto& [value, code] : encode) {
        CDuskarConfig config;
        config.SetChlLimit(value);
        EXPECT_EQ(config.chlLimitCode, code) << value;
    }

    struct Step {
        int from, to;
        BOOL ok;
    };
    const Step snap[] = {{70, 80, FALSE}, {120, 120, TRUE}, {152, 150, TRUE}, {153, 155, TRUE}, {181, 180, TRUE}, {190, 180, FALSE}};
    for (const Step& s : snap) {
        int v = s.from;
        EXPECT_EQ(CDuskarConfig::SnapChlLimit(v), s.ok) << s.from;
        EXPECT_EQ(v, s.to) << s.from;
    }
    const Step up[] = {{70, 80, FALSE}, {80, 81, TRUE}, {150, 155, TRUE}, {170, 175, TRUE}, {175, 180, TRUE}, {178, 180, FALSE}};
    for (const Step& s : up) {
        int v = s.from;
        EXPECT_EQ(CDuskarConfig::StepChlLimitUp(v), s.ok) << s.from;
        EXPECT_EQ(v, s.to) << s.from;
    }
    const Step down[] = {{80, 80, FALSE}, {81, 80, TRUE}, {155, 150, TRUE}, {180, 175, TRUE}, {185, 180, FALSE}};
    for (const Step& s : down) {
        int v = s.from;
        EXPECT_EQ(CDuskarConfig::StepChlLimitDown(v), s.ok) << s.from;
        EXPECT_EQ(v, s.to) << s.from;
    }
}

TEST(DuskarConfigAccessors, VoltageConnectionAndDetection)
{
    CDuskarConfig config;
    config.voltageConnection = 0xAF;
    int type = -1, ln = -1;
    config.GetVoltageConnection(type, ln);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(ln, 1);

    struct Case {
        int type, ln;
        BYTE byte;
    };
    // The high nibble is carried; a type outside the list never spills into it.
    const Case cases[] = {{3, 0, 0xA3}, {6, 1, 0xAE}, {0, 1, 0xA8}, {9, 0, 0xA6}, {-1, 0, 0xA0}};
    for (const Case& c : cases) {
        config.voltageConnection = 0xAF;
        config.SetVoltageConnection(c.type, c.ln);
        EXPECT_EQ(config.voltageConnection, c.byte) << c.type;
    }

    config.mode = 0x49;
    for (int mode : {1, 2, 0}) {
        config.SetAutoStageDetection(mode);
        EXPECT_EQ(config.GetAutoStageDetection(), mode);
        EXPECT_EQ(config.mode & ~0x24, 0x49);
    }
    config.mode = 0x20; // bit 5 alone is no detection
    EXPECT_EQ(config.GetAutoStageDetection(), 0);
}

TEST(DuskarConfigAccessors, AlarmFlags)
{
    CDuskarConfig config;
    BOOL signal[CDuskarConfig::kAlarmCount];
    for (int i = 0; i < CDuskarConfig::kAlarmCount; ++i)
        signal[i] = i != 12;
    config.alarmSignal = 0xE000;
    config.SetAlarmSignalFlags(signal);
    EXPECT_EQ(config.alarmSignal, 0x1000);
    BOOL back[CDuskarConfig::kAlarmCount];
    config.GetAlarmSignalFlags(back);
    for (int i = 0; i < CDuskarConfig::kAlarmCount; ++i)
        EXPECT_EQ(back[i] != 0, signal[i] != 0) << i;

    BOOL actions[CDuskarConfig::kAlarmActionCount] = {TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE};
    config.SetAlarmActionFlags(actions);
    EXPECT_EQ(config.alarmAction, 1282);
    actions[0] = FALSE;
    config.SetAlarmActionFlags(actions);
    EXPECT_EQ(config.alarmAction, 1283);
    actions[0] = TRUE;
    actions[7] = FALSE; // alarm 9
    actions[9] = FALSE; // alarm 12
    config.SetAlarmActionFlags(actions);
    EXPECT_EQ(config.alarmAction, 1282 | 0x0200 | 0x1000);
    BOOL actionsBack[CDuskarConfig::kAlarmActionCount];
    config.GetAlarmActionFlags(actionsBack);
    for (int i = 0; i < CDuskarConfig::kAlarmActionCount; ++i)
        EXPECT_EQ(actionsBack[i] != 0, actions[i] != 0) << i;
}

TEST(DuskarAktDataTest, FieldsSitAtTheirOffsets)
{
    std::array<BYTE, CDuskarAktData::kImageSize> raw{};
    for (int i = 0; i < CDuskarAktData::kImageSize; ++i)
        raw[std::size_t(i)] = BYTE(i + 1);
    CDuskarAktData v;
    v.FromRaw(raw.data());
    EXPECT_EQ(v.word0, 0x0102);
    EXPECT_EQ(v.ctWord, 0x0708);
    EXPECT_EQ(v.freqCode, 0x09);
    EXPECT_EQ(v.current, 0x0A0B);
    EXPECT_EQ(v.word18, 0x0C0D);
    EXPECT_EQ(v.activeCurrent, 0x0E0F);
    EXPECT_EQ(v.reactiveCurrent, 0x1011);
    EXPECT_EQ(v.word1E, 0x1213);
    EXPECT_EQ(v.cosPhi, 0x14);
    EXPECT_EQ(v.thdUCode, 0x15);
    EXPECT_EQ(v.thdICode, 0x16);
    EXPECT_EQ(v.harmonicU[0], 0x17);
    EXPECT_EQ(v.harmonicU[8], 0x1F);
    EXPECT_EQ(v.harmonicI[0], 0x20);
    EXPECT_EQ(v.harmonicI[8], 0x28);
    EXPECT_EQ(v.voltage, 0x292A);
    EXPECT_EQ(v.voltageP, 0x2B2C);
    EXPECT_EQ(v.chlCode, 0x2D);
    EXPECT_EQ(v.missingCurrent, 0x2E2F);
    EXPECT_EQ(v.temperature, 0x30);
    EXPECT_EQ(v.byte4B, 0x31);
    EXPECT_EQ(v.byte45, 0x32);
    EXPECT_EQ(v.vtCode, 0x33);
    EXPECT_EQ(v.byte4C, 0x34);
    EXPECT_EQ(v.stageMask, 0x3536);
    EXPECT_EQ(v.byte24, 0x37);
    EXPECT_EQ(v.byte25, 0x38);
    EXPECT_EQ(v.state, 0x39);
    EXPECT_EQ(v.flags, 0x3A);
    EXPECT_EQ(v.byte28, 0x3B);
    EXPECT_EQ(v.byte21, 0x3C);

    // Signed fields.
    raw[17] = 0xFF;
    raw[18] = 0xF6;
    raw[47] = 0xF1;
    v.FromRaw(raw.data());
    EXPECT_EQ(v.word1E, -10);
    EXPECT_EQ(v.temperature, -15);
}

TEST(DuskarAktDataTest, PowerFactorRules)
{
    std::array<BYTE, CDuskarAktData::kImageSize> raw{};
    raw[19] = 156; // -1.00
    raw[56] = 0x40;
    CDuskarAktData v;
    v.FromRaw(raw.data());
    EXPECT_EQ(v.cosPhi, 127);

    raw[56] = 0x0F;
    v.FromRaw(raw.data());
    EXPECT_EQ(v.cosPhi, -100);
    // Unlike the Qorin record, a copy keeps -1.00.
    CDuskarAktData copy(v);
    EXPECT_EQ(copy.cosPhi, -100);
    v.state = 0x80;
    copy = v;
    EXPECT_EQ(copy.cosPhi, 127);
}

TEST(DuskarAktDataTest, ThdAndHarmonicsNeedSignal)
{
    struct Case {
        WORD ctWord, current;
        std::int16_t voltage;
        int kind;
        bool valid;
    };
    const Case cases[] = {
        {0x8000, 199, 0, CDuskarAktData::kCurrent, false}, {0x8000, 200, 0, CDuskarAktData::kCurrent, true},
        {0x0000, 39, 0, CDuskarAktData::kCurrent, false},  {0x0000, 40, 0, CDuskarAktData::kCurrent, true},
        {0x0000, 0, 299, CDuskarAktData::kVoltage, false}, {0x0000, 0, 300, CDuskarAktData::kVoltage, true},
        {0x0000, 0, 300, 7, true},                         {0x0000, 0, -1, CDuskarAktData::kVoltage, false},
    };
    for (const Case& c : cases) {
        CDuskarAktData v;
        v.ctWord = c.ctWord;
        v.current = c.current;
        v.voltage = c.voltage;
        v.thdICode = 101;
        v.thdUCode = 101;
        v.harmonicI[8] = 101;
        v.harmonicU[8] = 101;
        EXPECT_DOUBLE_EQ(v.GetThd(c.kind), c.valid ? 52.5 : kNoValue) << c.current << " " << c.voltage;
        EXPECT_DOUBLE_EQ(v.GetHarmonic(8, c.kind), c.valid ? 10.5 : kNoValue) << c.current << " " << c.voltage;
        EXPECT_EQ(v.GetHarmonic(9, c.kind), kNoValue);
    }
}

TEST(DuskarAktDataTest, FrequencyChlAndRatios)
{
    const std::pair<BYTE, double> frequency[] = {{0, 42.2}, {78, 50.0}, {254, 67.6}, {255, 101.0}};
    for (const auto& [code, hz] : frequency) {
        CDuskarAktData v;
        v.freqCode = code;
        EXPECT_DOUBLE_EQ(v.GetFrequency(), hz) << int(code);
    }

    struct Chl {
        BYTE code;
        std::int16_t voltage;
        double percent;
    };
    const Chl chl[] = {{100, 299, kNoValue}, {100, -1, kNoValue}, {0, 300, 0.0},     {150, 300, 150.0},
                       {151, 300, 155.0},    {200, 300, 400.0},  {201, 300, 410.0}, {250, 300, 900.0},
                       {251, 300, kNoValue}, {255, 2300, kNoValue}};
    for (const Chl& c : chl) {
        CDuskarAktData v;
        v.chlCode = c.code;
        v.voltage = c.voltage;
        EXPECT_DOUBLE_EQ(v.GetChl(), c.percent) << int(c.code) << " " << c.voltage;
    }

    CDuskarAktData v;
    v.ctWord = 0x8000 + 250;
    v.vtCode = 101;
    EXPECT_DOUBLE_EQ(v.GetCtRatio(), 250.0);
    EXPECT_DOUBLE_EQ(v.GetVtRatio(), 1100.0);
}

} // namespace
