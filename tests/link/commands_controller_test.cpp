// Requests of the power-factor controllers against the simulated Qorin and
// Duskar: the frames sent, the records filled, the texts of failures.
#include "CommandTestSupport.h"

#include "link/CommandsController.h"

#include "model/ControllerAlarms.h"
#include "model/ControllerStatistics.h"
#include "model/DuskarAktData.h"
#include "model/DuskarConfig.h"
#include "model/QorinAktData.h"
#include "model/QorinConfig.h"

using linktest::CheckFailures;
using linktest::CheckRequests;
using linktest::FailureCase;
using linktest::FrameA;
using linktest::RequestCase;
using linktest::SimLine;
using sim::Family;
using sim::Faults;
using sim::Instrument;

namespace {

// The simulator's block pattern: byte i of the block read by command c.
BYTE Pattern(int i, BYTE command)
{
    return BYTE(i * 7 + command);
}

CControllerAlarms Command(WORD v1, WORD v2, WORD v3, DWORD length)
{
    CControllerAlarms c;
    c.V1 = v1;
    c.V2 = v2;
    c.V3 = v3;
    c.payloadLength = length;
    return c;
}

TEST(ControllerCommands, RequestFrames)
{
    CConfig qorin;
    CDuskarConfig duskar;
    CQorinAktData qorinValues;
    CDuskarAktData duskarValues;
    CControllerAlarms alarms;
    CStageSwitchStats stats;
    CStageSwitchState state;
    const std::vector<RequestCase> qorinCases = {
        {"config read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadQorinConfig, qorin); }, {0x01, 0x03, 0x16, 0x1A}},
        {"config write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteQorinConfig, qorin); }, {0x01, 69, 0x17}, 70},
        {"values", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadQorinValues, qorinValues); }, FrameA(1, 0x30)},
        {"summary", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadQorinStatisticsSummary, alarms); }, FrameA(1, 0x14)},
        {"switching", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadQorinSwitchingStatistics, stats, state); },
         FrameA(1, 0x14)},
        {"special functions: lock",
         [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::SendControllerCommand, Command(0, 8 + 1, 0, 4)); },
         FrameA(1, 0x31, {0, 0, 0, 9})},
        {"statistics reset with on-times",
         [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::SendControllerCommand, Command(0x0105, 0, 0x0003, 6)); },
         FrameA(1, 0x31, {0, 0x01, 0x05, 0, 0, 0x03})},
    };
    const std::vector<RequestCase> duskarCases = {
        {"config read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadDuskarConfig, duskar); }, FrameA(2, 0x16)},
        {"config write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteDuskarConfig, duskar); }, {0x02, 83, 0x17}, 84},
        {"values", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadDuskarValues, duskarValues); }, FrameA(2, 0x30)},
        {"summary", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadDuskarStatisticsSummary, alarms); }, FrameA(2, 0x14)},
        {"switching", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadDuskarSwitchingStatistics, stats, state); },
         FrameA(2, 0x14)},
    };
    SimLine f;
    f.StartLine({Instrument(Family::Qorin, 1), Instrument(Family::Duskar, 2)}, 0);
    const DWORD q = f.OpenLink(1);
    const DWORD d = f.OpenLink(2);
    CheckRequests(f, q, qorinCases, false);
    CheckRequests(f, d, duskarCases, false);
    f.line.WithInstrument(1, [](Instrument& i) { EXPECT_EQ(i.lastCommand, (sim::Bytes{0, 0x01, 0x05, 0, 0, 0x03})); });
}

class ControllerTest : public ::testing::Test, public SimLine {
protected:
    void SetUp() override
    {
        StartLine({Instrument(Family::Qorin, 1), Instrument(Family::Duskar, 2)}, 0);
        qorin = OpenLink(1);
        duskar = OpenLink(2);
    }
    void SetBlock(BYTE address, BYTE command, sim::Bytes block)
    {
        line.WithInstrument(address, [&](Instrument& i) { i.blocks[command] = block; });
    }

    DWORD qorin = 0;
    DWORD duskar = 0;
};

TEST_F(ControllerTest, ConfigurationWrittenIsReadBack)
{
    CConfig config;
    ASSERT_TRUE(manager.Request(qorin, commands::ReadQorinConfig, config)) << Error(qorin).toStdString();
    EXPECT_EQ(config.byteA, Pattern(1, 0x16));
    config.SetCtRatio(400, 5);
    config.thdLimit = 17;
    ASSERT_TRUE(manager.Request(qorin, commands::WriteQorinConfig, config)) << Error(qorin).toStdString();
    CConfig back;
    ASSERT_TRUE(manager.Request(qorin, commands::ReadQorinConfig, back));
    BYTE written[CConfig::kImageSize];
    BYTE read[CConfig::kImageSize];
    config.ToRaw(written);
    back.ToRaw(read);
    EXPECT_TRUE(std::equal(std::begin(written), std::end(written), std::begin(read)));
    EXPECT_EQ(back.GetCtPrimaryCurrent(), 400);

    CDuskarConfig dconfig;
    ASSERT_TRUE(manager.Request(duskar, commands::ReadDuskarConfig, dconfig)) << Error(duskar).toStdString();
    dconfig.thyristorSpeed = 9;
    ASSERT_TRUE(manager.Request(duskar, commands::WriteDuskarConfig, dconfig));
    CDuskarConfig dback;
    ASSERT_TRUE(manager.Request(duskar, commands::ReadDuskarConfig, dback));
    EXPECT_EQ(dback.thyristorSpeed, 9);
    // The bytes the image does not use go out as zeros.
    line.WithInstrument(2, [](Instrument& i) {
        EXPECT_EQ(i.blocks[0x16][1], 0);
        EXPECT_EQ(i.blocks[0x16][77], 0);
    });
}

TEST_F(ControllerTest, ValuesAreDecoded)
{
    CQorinAktData values;
    ASSERT_TRUE(manager.Request(qorin, commands::ReadQorinValues, values)) << Error(qorin).toStdString();
    EXPECT_EQ(values.current, WORD(Pattern(9, 0x30) << 8 | Pattern(10, 0x30)));
    EXPECT_EQ(values.stageMask, WORD(Pattern(28, 0x30) << 8 | Pattern(29, 0x30)));
    CDuskarAktData dvalues;
    ASSERT_TRUE(manager.Request(duskar, commands::ReadDuskarValues, dvalues)) << Error(duskar).toStdString();
    EXPECT_EQ(dvalues.state, Pattern(56, 0x30));
}

// The statistics head: per-stage low counts, flag word, alarm words,
// version and model, then the block.
sim::Bytes StatisticsBlock(std::size_t size, BYTE version, WORD flags)
{
    sim::Bytes block(size, 0);
    block[1] = 5; // stage 1: low count
    block[15] = BYTE(flags >> 8);
    block[16] = BYTE(flags);
    block[22] = 0x00;
    block[23] = 0x09; // alarms 0 and 3
    block[29] = version;
    block[33] = 3; // model
    block[34 + 12] = 0;
    block[34 + 13] = 3; // stage 1: 3 x 64 switchings
    return block;
}

TEST_F(ControllerTest, QorinStatisticsInEitherLengthWithOrWithoutRetries)
{
    // A reply of neither length is refused.
    SetBlock(1, 0x14, StatisticsBlock(90, 40, 0));
    CControllerAlarms refused;
    EXPECT_FALSE(manager.Request(qorin, commands::ReadQorinStatisticsSummary, refused));
    EXPECT_EQ(Error(qorin), linktest::kBadReply);

    // Each case opens the port anew with its own retry count.
    manager.Close(qorin);
    manager.Close(duskar);
    struct Case {
        std::size_t block;
        int retries;
    } cases[] = {{104, 0}, {76, 0}, {104, 2}, {76, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.block + 4 << "-byte reply, retries " << c.retries);
        ports.Add(port, c.retries);
        const DWORD id = OpenLink(1);
        SetBlock(1, 0x14, StatisticsBlock(c.block, c.block == 104 ? 40 : 31, 0));
        CStageSwitchStats stats;
        CStageSwitchState state;
        ASSERT_TRUE(manager.Request(id, commands::ReadQorinSwitchingStatistics, stats, state)) << Error(id).toStdString();
        EXPECT_EQ(stats.GetSwitchCount(0, state), 197);
        EXPECT_EQ(stats.GetOnTimeHours(0), 0);
        CControllerAlarms alarms;
        ASSERT_TRUE(manager.Request(id, commands::ReadQorinStatisticsSummary, alarms)) << Error(id).toStdString();
        EXPECT_EQ(alarms.V0, 0x0009);
        EXPECT_EQ(line.NoiseBytes(), 0);
        manager.Unregister(id);
    }
}

TEST_F(ControllerTest, QorinValuesTakeNoCurrentAndNoVoltageFromTheStatistics)
{
    // Version 20 of model 3 keeps no on-times.
    auto values = [](BYTE state) {
        sim::Bytes block(35, 0);
        block[1] = 20;
        block[5] = 3;
        block[19] = 95; // power factor 0.95
        block[32] = state;
        return block;
    };
    SetBlock(1, 0x14, StatisticsBlock(76, 20, 0x0002)); // no current
    struct Case {
        const char* what;
        BYTE state;
        int statisticsFaults; // -1: statistics not read
        BYTE expected;
    } cases[] = {
        {"state 5, statistics read", 0xC5, 0, 0x85},
        {"state 7, statistics read", 0x07, 0, 0x87},
        {"state 6, no statistics", 0xC6, -1, 0xC6},
        {"statistics fail: flags cleared", 0xC5, 1, 0x05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetBlock(1, 0x30, values(c.state));
        if (c.statisticsFaults > 0)
            line.SetFaults(Faults{.badChecksum = true}, c.statisticsFaults, 1);
        log.ClearWrites();
        CQorinAktData v;
        ASSERT_TRUE(manager.Request(qorin, commands::ReadQorinValues, v)) << Error(qorin).toStdString();
        EXPECT_EQ(v.state, c.expected);
        EXPECT_EQ(log.Writes().size(), c.statisticsFaults < 0 ? 1u : 2u);
        line.ClearFaults();
    }
}

TEST_F(ControllerTest, DuskarStatistics)
{
    sim::Bytes block = StatisticsBlock(144, 40, 0);
    block[34 + 80] = 0;
    block[34 + 81] = 10; // stage 1 on-time: 10 x 2 h
    block[34 + 52] = 0;
    block[34 + 53] = 3;
    SetBlock(2, 0x14, block);
    CStageSwitchStats stats;
    CStageSwitchState state;
    ASSERT_TRUE(manager.Request(duskar, commands::ReadDuskarSwitchingStatistics, stats, state)) << Error(duskar).toStdString();
    EXPECT_EQ(stats.GetSwitchCount(0, state), 197);
    EXPECT_EQ(stats.GetOnTimeHours(0), 20);
    CControllerAlarms alarms;
    ASSERT_TRUE(manager.Request(duskar, commands::ReadDuskarStatisticsSummary, alarms));
    EXPECT_EQ(alarms.GetDuskarAlarmTexts().size(), 2);
}

TEST_F(ControllerTest, FailuresLeaveTheirTexts)
{
    CConfig config;
    CQorinAktData values;
    CControllerAlarms alarms;
    CDuskarConfig dconfig;
    auto readConfig = [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadQorinConfig, config); };
    auto writeConfig = [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteQorinConfig, config); };
    auto readValues = [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadQorinValues, values); };
    auto summary = [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadQorinStatisticsSummary, alarms); };
    auto command = [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::SendControllerCommand, Command(0, 8, 0, 4)); };
    CheckFailures(*this, qorin,
                  {
                      {"config sum", Faults{.badChecksum = true}, readConfig, linktest::kBadSum},
                      {"config write sum", Faults{.badChecksum = true}, writeConfig, linktest::kBadAckSum},
                      {"values sum", Faults{.badChecksum = true}, readValues, linktest::kBadAckSum},
                      {"statistics sum", Faults{.badChecksum = true}, summary, linktest::kBadAckSum},
                      {"command sum", Faults{.badChecksum = true}, command, linktest::kBadAckSum},
                      {"status not 0", Faults{.refusal = true}, readConfig, linktest::kBadReply},
                      {"another address", Faults{.wrongAddress = true}, readValues, linktest::kBadReply},
                      {"noise without retries", Faults{.strayBytes = 1}, writeConfig, linktest::kBadReply},
                  });
    CheckFailures(*this, duskar,
                  {
                      {"config sum", Faults{.badChecksum = true},
                       [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadDuskarConfig, dconfig); }, linktest::kBadSum},
                  });
    // Unknown link: nothing sent, no text.
    EXPECT_FALSE(manager.Request(999, commands::ReadQorinConfig, config));
}

} // namespace
