#include "model/ControllerAlarms.h"
#include "model/ControllerStatistics.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Head = std::array<BYTE, CStageSwitchState::kImageSize>;

Head MakeHead(WORD version, WORD model)
{
    Head head{};
    for (int i = 0; i < CStageSwitchState::kStageCount; ++i)
        head[std::size_t(1 + i)] = BYTE(5 + i);
    CPrevodTyp::PutWord(&head[15], 0x000A);
    CPrevodTyp::PutWord(&head[22], 0x0101);
    CPrevodTyp::PutWord(&head[24], 0x0200);
    CPrevodTyp::PutWord(&head[28], version);
    CPrevodTyp::PutWord(&head[32], model);
    return head;
}

TEST(ControllerSwitchState, Head)
{
    const Head raw = MakeHead(0x0120, 4);
    CStageSwitchState head;
    head.FromRaw(raw.data());
    EXPECT_EQ(head.countLow[0], 5);
    EXPECT_EQ(head.countLow[13], 18);
    EXPECT_EQ(head.flags, 0x000A);
    EXPECT_EQ(head.alarm0, 0x0101);
    EXPECT_EQ(head.alarm1, 0x0200);
    EXPECT_EQ(head.version, 0x0120);
    EXPECT_EQ(head.GetVersionByte(), 0x20);
    EXPECT_EQ(head.model, 4);

    struct Case {
        WORD model, version;
        BOOL has;
    };
    const Case cases[] = {
        {16, 0, TRUE}, {22, 0, TRUE}, {15, 31, FALSE}, {15, 32, TRUE}, {1, 16, FALSE}, {2, 17, TRUE}, {5, 0x0110, FALSE},
    };
    for (const Case& c : cases) {
        head.model = c.model;
        head.version = c.version;
        EXPECT_EQ(head.HasStageTimeCounters(), c.has) << c.model << " " << c.version;
    }
}

TEST(ControllerSwitchStats, QorinBlock)
{
    std::array<BYTE, CStageSwitchStats::kQorinBlockSize> block{};
    for (int i = 0; i < 12; ++i)
        block[std::size_t(i)] = BYTE(0xA0 + i);
    for (int i = 0; i < CStageSwitchStats::kStageCount; ++i) {
        CPrevodTyp::PutWord(&block[std::size_t(12 + 2 * i)], WORD(3 + i));
        CPrevodTyp::PutWord(&block[std::size_t(42 + 2 * i)], WORD(10 + i));
    }
    CPrevodTyp::PutWord(&block[40], 0xBEEF);

    CStageSwitchState head;
    const Head raw = MakeHead(31, 4);
    head.FromRaw(raw.data());
    CStageSwitchStats stats;
    stats.FromRawQorin(block.data(), head);
    EXPECT_EQ(stats.W0, 0xA0A1);
    EXPECT_EQ(stats.B1, 0xA2);
    EXPECT_EQ(stats.B2, 0xA3);
    EXPECT_EQ(stats.B10, 0xA4);
    EXPECT_EQ(stats.B3, 0xA5);
    EXPECT_EQ(stats.B4_9[5], 0xAB);
    EXPECT_EQ(stats.W1, 0xBEEF);
    EXPECT_EQ(stats.GetSwitchCount(0, head), 197); // 3 x 64 + 5
    EXPECT_EQ(stats.GetSwitchCount(13, head), 16 * 64 + 18);
    // Firmware 31 sends no on-times.
    for (int i = 0; i < CStageSwitchStats::kStageCount; ++i)
        EXPECT_EQ(stats.GetOnTimeHours(i), 0);

    const Head newer = MakeHead(32, 4);
    head.FromRaw(newer.data());
    stats.FromRawQorin(block.data(), head);
    EXPECT_EQ(stats.GetOnTimeHours(0), 20);
    EXPECT_EQ(stats.GetOnTimeHours(13), 46);
    EXPECT_EQ(stats.GetOnTimeHours(14), 0);
}

TEST(ControllerSwitchStats, DuskarBlock)
{
    std::array<BYTE, CStageSwitchStats::kDuskarBlockSize> block{};
    for (int i = 0; i < 18; ++i)
        block[std::size_t(i)] = BYTE(0xC0 + i);
    for (int i = 0; i < CStageSwitchStats::kStageCount; ++i) {
        CPrevodTyp::PutWord(&block[std::size_t(52 + 2 * i)], WORD(100 + i));
        CPrevodTyp::PutWord(&block[std::size_t(80 + 2 * i)], WORD(200 + i));
    }
    CPrevodTyp::PutWord(&block[108], 0x1234);

    CStageSwitchState head; // on-times are read whatever the head says
    CStageSwitchStats stats;
    stats.FromRawDuskar(block.data(), head);
    EXPECT_EQ(stats.W0, 0xC0C1);
    EXPECT_EQ(stats.B1, 0xD1);
    EXPECT_EQ(stats.B2, 0xCE);
    EXPECT_EQ(stats.B10, 0xC2);
    EXPECT_EQ(stats.B3, 0xCF);
    EXPECT_EQ(stats.B4_9[0], 0xC5);
    EXPECT_EQ(stats.B4_9[5], 0xCA);
    EXPECT_EQ(stats.switchCounts[13], 113);
    EXPECT_EQ(stats.onTimes[0], 200);
    EXPECT_EQ(stats.W1, 0x1234);
}

TEST(ControllerAlarmsTest, AlarmWordsAndTexts)
{
    CControllerAlarms alarms;
    EXPECT_TRUE(alarms.GetQorinAlarmTexts().isEmpty());
    EXPECT_TRUE(alarms.GetDuskarAlarmTexts().isEmpty());

    const Head raw = MakeHead(0, 0);
    alarms.FromRaw(raw.data());
    EXPECT_EQ(alarms.V0, 0x0101);
    EXPECT_EQ(alarms.V1, 0x0200);

    // Bits 0 and 8 from V0, bit 9 from V1; Qorin knows only bits 0-8.
    EXPECT_EQ(alarms.GetQorinAlarmTexts(),
              QStringList({QStringLiteral("Alarm - podproud."), QStringLiteral("Alarm - výpadek stupně.")}));
    EXPECT_EQ(alarms.GetDuskarAlarmTexts(),
              QStringList({QStringLiteral("Alarm - podproud."), QStringLiteral("Alarm - chyba kompenzace."),
                           QStringLiteral("Alarm - zpětné napájení.")}));

    alarms.V0 = 0;
    alarms.V1 = 0xFFFF;
    EXPECT_EQ(alarms.GetQorinAlarmTexts().size(), 9);
    EXPECT_EQ(alarms.GetQorinAlarmTexts().at(4), QStringLiteral("Alarm - překročení meze THD. "));
    EXPECT_EQ(alarms.GetDuskarAlarmTexts().size(), 13);
    EXPECT_EQ(alarms.GetDuskarAlarmTexts().at(12), QStringLiteral("Alarm - přehřátí. "));
}

TEST(ControllerAlarmsTest, CommandPayloads)
{
    // Statistics reset on a controller without on-time counters.
    CControllerAlarms reset;
    reset.V1 = 0x2005;
    std::array<BYTE, CControllerAlarms::kPayloadSize> payload{};
    reset.ToRaw(payload.data());
    EXPECT_EQ(reset.GetSendLength(), 4);
    EXPECT_EQ(payload, (std::array<BYTE, 6>{0x00, 0x20, 0x05, 0x00, 0x00, 0x00}));

    // Special functions: lock and reinitialise.
    CControllerAlarms special;
    special.V2 = 8 + 1 + 4;
    special.V3 = 0x1234;
    special.payloadLength = 6;
    special.ToRaw(payload.data());
    EXPECT_EQ(payload, (std::array<BYTE, 6>{0x00, 0x00, 0x00, 0x0D, 0x12, 0x34}));
    EXPECT_EQ(special.GetSendLength(), 6);

    CControllerAlarms copy(special);
    EXPECT_EQ(copy.V3, 0x1234);
    copy.payloadLength = 1000;
    EXPECT_EQ(copy.GetSendLength(), 6);
}

} // namespace
