// Requests of the VKT analyser (format B) against the simulator: the frames
// sent, what is read back after a write, the texts of failures.
#include "CommandTestSupport.h"

#include "link/CommandsProfiles.h"
#include "link/CommandsVKT.h"

#include "model/AktData.h"
#include "model/Iden.h"
#include "model/ProfileStatus.h"
#include "model/VKTConfig.h"
#include "model/VKTEnergy.h"
#include "model/VKTNoteBook.h"
#include "model/VKTOutputConfig.h"
#include "model/VKTStatus.h"

using linktest::CheckFailures;
using linktest::CheckRequests;
using linktest::FrameB;
using linktest::Image;
using linktest::RequestCase;
using linktest::SimLine;
using sim::Family;
using sim::Faults;
using sim::Instrument;

namespace {

TEST(VKTCommands, RequestFrames)
{
    CVKTConfig config;
    CVKTStatus status;
    CVKTNoteBook notebook;
    CVKTOutputConfig outputs;
    CVKTETarif tariff;
    CVKTEDataRec reading;
    CVKTEData totals;
    CAktData values;
    CProfileStatus profiles;
    CTime time;
    BYTE block[commands::kVKTInstallationBlockSize] = {};
    const CTime day(2024, 1, 15, 0, 0, 0);
    const std::vector<RequestCase> cases = {
        {"config read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTConfig, config); },
         {0x01, 0x00, 0x00, 0x26, 0x02, 0x80}},
        {"config write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTConfig, config); }, {0x01, 0, 35, 0x27}, 41},
        {"status read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTStatus, status); }, FrameB(1, 0x14)},
        {"status write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTStatus, status); }, {0x01, 0, 20, 0x23}, 26},
        {"notebook read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTNoteBook, notebook); }, FrameB(1, 0x1F)},
        {"notebook write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTNoteBook, notebook); },
         {0x01, 0, 64, 0x20}, 70},
        {"outputs read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTOutputConfig, outputs); }, FrameB(1, 0x30)},
        {"outputs write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTOutputConfig, outputs); },
         {0x01, 0, 23, 0x31}, 29},
        {"installation read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTInstallationBlock, block); },
         FrameB(1, 0x28)},
        {"installation write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTInstallationBlock, block); },
         {0x01, 0, 32, 0x29}, 38},
        // Monday 15 January 2024, 10:17:05: second, minute, hour, weekday, day, month, year.
        {"time set", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::SetVKTTime); },
         FrameB(1, 0x10, {0x05, 0x17, 0x10, 0x02, 0x15, 0x01, 0x24})},
        {"time read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::GetVKTTime, time); }, FrameB(1, 0x11)},
        {"clock sync", [&](CLinkManager& m, DWORD id) { return BOOL(m.SyncVKTClock(id) == 0); },
         FrameB(1, 0x12, {0x04, 0x01, 0x07})},
        {"values", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTValues, values, 0x0013); },
         FrameB(1, 0x3A, {0x00, 0x13})},
        {"tariff read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTTariff, tariff); }, FrameB(1, 0x32)},
        {"tariff write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTTariff, tariff); }, {0x01, 0, 8, 0x33}, 14},
        {"meter reading", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTEnergyData, reading); },
         FrameB(1, 0x34, {0x00})},
        {"meter totals", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTEnergyTotals, totals, 42); },
         FrameB(1, 0x34, {42})},
        {"meter reset", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ResetVKTEnergyMeter, 2); }, FrameB(1, 0x35, {0x02})},
        {"profile status", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTProfileStatus, profiles, 1.0); },
         FrameB(1, 0x36)},
        {"profile reset", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ResetVKTProfiles); }, FrameB(1, 0x38)},
        {"profile day", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTProfileSettings, day); },
         FrameB(1, 0x37, {15, 1})},
    };
    SimLine f;
    f.StartLine({Instrument(Family::VKT, 1)}, 0, kPortKindVkt);
    const DWORD id = f.OpenLink(1);
    CheckRequests(f, id, cases, true);
}

class VKTTest : public ::testing::Test, public SimLine {
protected:
    void SetUp() override
    {
        StartLine({Instrument(Family::VKT, 1)}, 0, kPortKindVkt);
        vkt = OpenLink(1);
    }
    template <class Fn>
    void Instr(Fn&& fn)
    {
        line.WithInstrument(1, fn);
    }

    // Reads a record, changes one byte of its image, writes it and reads
    // it back.
    template <class Record, class Read, class Write>
    void ExpectRoundTrip(Read read, Write write, int byte)
    {
        SCOPED_TRACE(byte);
        Record record;
        ASSERT_TRUE(read(record)) << Error(vkt).toStdString();
        const std::vector<BYTE> before = Image(record);
        std::vector<BYTE> image = before;
        image[std::size_t(byte)] ^= 0x21;
        record.FromRaw(image.data());
        ASSERT_TRUE(write(record)) << Error(vkt).toStdString();
        Record back;
        ASSERT_TRUE(read(back));
        EXPECT_EQ(Image(back), Image(record));
        EXPECT_NE(Image(back), before);
    }

    DWORD vkt = 0;
};

TEST_F(VKTTest, WhatIsWrittenIsReadBack)
{
    ExpectRoundTrip<CVKTConfig>([&](CVKTConfig& r) { return manager.Request(vkt, commands::ReadVKTConfig, r); },
                                [&](const CVKTConfig& r) { return manager.Request(vkt, commands::WriteVKTConfig, r); }, 2);
    ExpectRoundTrip<CVKTNoteBook>([&](CVKTNoteBook& r) { return manager.Request(vkt, commands::ReadVKTNoteBook, r); },
                                  [&](const CVKTNoteBook& r) { return manager.Request(vkt, commands::WriteVKTNoteBook, r); }, 40);
    ExpectRoundTrip<CVKTOutputConfig>([&](CVKTOutputConfig& r) { return manager.Request(vkt, commands::ReadVKTOutputConfig, r); },
                                      [&](const CVKTOutputConfig& r) { return manager.Request(vkt, commands::WriteVKTOutputConfig, r); }, 5);
    ExpectRoundTrip<CVKTETarif>([&](CVKTETarif& r) { return manager.Request(vkt, commands::ReadVKTTariff, r); },
                                [&](const CVKTETarif& r) { return manager.Request(vkt, commands::WriteVKTTariff, r); }, 0);

    // The status write sends the archive description only.
    CVKTStatus status;
    ASSERT_TRUE(manager.Request(vkt, commands::ReadVKTStatus, status));
    status.GetArch().SetStartTime(CTime(2024, 2, 1, 8, 0, 0), FALSE);
    ASSERT_TRUE(manager.Request(vkt, commands::WriteVKTStatus, status));
    CVKTStatus back;
    ASSERT_TRUE(manager.Request(vkt, commands::ReadVKTStatus, back));
    EXPECT_EQ(Image(back.GetArch()), Image(status.GetArch()));

    BYTE block[commands::kVKTInstallationBlockSize] = {'A', 'T', 'Z'};
    ASSERT_TRUE(manager.Request(vkt, commands::WriteVKTInstallationBlock, block));
    BYTE blockBack[commands::kVKTInstallationBlockSize] = {};
    ASSERT_TRUE(manager.Request(vkt, commands::ReadVKTInstallationBlock, blockBack));
    EXPECT_TRUE(std::equal(std::begin(block), std::end(block), std::begin(blockBack)));

    ASSERT_TRUE(manager.Request(vkt, commands::SetVKTTime));
    CTime time;
    ASSERT_TRUE(manager.Request(vkt, commands::GetVKTTime, time));
    EXPECT_EQ(time, clock.CurrentTime());
}

TEST_F(VKTTest, ValuesComeInThePartsTheMaskAsksFor)
{
    CAktData values;
    ASSERT_TRUE(manager.Request(vkt, commands::ReadVKTValues, values, 0x0013)) << Error(vkt).toStdString();
    EXPECT_EQ(values.GetSelection(), 0x0013);
    EXPECT_TRUE(values.HasVoltage(0, CAktData::Average));
    EXPECT_TRUE(values.HasVoltage(1, CAktData::Average));
    EXPECT_FALSE(values.HasVoltage(2, CAktData::Average));
    EXPECT_DOUBLE_EQ(values.GetFrequency(CAktData::Average), 50.0);
    EXPECT_EQ(values.GetWave(0), nullptr);

    ASSERT_TRUE(manager.Request(vkt, commands::ReadVKTValues, values, 0x01F1)) << Error(vkt).toStdString();
    EXPECT_NE(values.GetWave(0), nullptr);
    EXPECT_FALSE(values.HasVoltage(1, CAktData::Average));
    EXPECT_DOUBLE_EQ(values.GetFrequency(CAktData::Average), 50.0);

    // Parts echoed that do not fit the reply's length leave the record alone.
    Instr([](Instrument& i) {
        i.SetCommand(0x3A, [](Instrument&, const sim::Frame&) {
            sim::Bytes reply(2 + 9 + 40, 0);
            reply[1] = 0x11; // one input, where the reply carries two
            return sim::Response::Data(reply);
        });
    });
    EXPECT_FALSE(manager.Request(vkt, commands::ReadVKTValues, values, 0x0013));
    EXPECT_EQ(Error(vkt), linktest::kBadReply);
    EXPECT_EQ(values.GetSelection(), 0x01F1);
}

TEST_F(VKTTest, EnergyMeterAndProfiles)
{
    CVKTEData totals;
    ASSERT_TRUE(manager.Request(vkt, commands::ReadVKTEnergyTotals, totals, 7)) << Error(vkt).toStdString();
    EXPECT_NE(totals.GetRegister(0, 0), 0.0);
    ASSERT_TRUE(manager.Request(vkt, commands::ResetVKTEnergyMeter, 2));
    CVKTEDataRec reading;
    ASSERT_TRUE(manager.Request(vkt, commands::ReadVKTEnergyData, reading)) << Error(vkt).toStdString();
    ASSERT_TRUE(manager.Request(vkt, commands::ReadVKTEnergyTotals, totals, 7));
    EXPECT_EQ(totals.GetRegister(0, 0), 0.0);
    Instr([](Instrument& i) { EXPECT_EQ(i.lastEnergyReset, 2); });

    CProfileStatus profiles;
    ASSERT_TRUE(manager.Request(vkt, commands::ReadVKTProfileStatus, profiles, 1.0)) << Error(vkt).toStdString();
    ASSERT_TRUE(manager.Request(vkt, commands::WriteVKTProfileSettings, CTime(2023, 12, 31, 23, 0, 0)));
    Instr([](Instrument& i) { EXPECT_EQ(i.blocks[0x37], (sim::Bytes{31, 12})); });
    ASSERT_TRUE(manager.Request(vkt, commands::ResetVKTProfiles));
    Instr([](Instrument& i) { EXPECT_EQ(i.profileResets, 1); });
}

TEST_F(VKTTest, AProbeOnALinkThatCannotBeReadiedFails)
{
    manager.Close(vkt);
    CIden iden;
    int address = 7;
    EXPECT_FALSE(manager.ReadIdentificationProbe(vkt, iden, address));
    EXPECT_EQ(address, 7);
    EXPECT_EQ(Error(vkt), QStringLiteral("Zařízení nenalezeno."));
}

TEST_F(VKTTest, FailuresLeaveTheirTexts)
{
    CVKTConfig config;
    CAktData values;
    CVKTEDataRec reading;
    CVKTEData totals;
    CProfileStatus profiles;
    CTime time;
    const Faults badCrc{.badChecksum = true};
    const Faults refused{.refusal = true};
    auto readConfig = [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTConfig, config); };
    auto writeConfig = [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTConfig, config); };
    auto readReading = [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTEnergyData, reading); };
    auto readProfiles = [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTProfileStatus, profiles, 1.0); };
    CheckFailures(*this, vkt,
                  {
                      {"config CRC", badCrc, readConfig, linktest::kBadSum},
                      {"values CRC", badCrc, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTValues, values, 0x11); },
                       linktest::kBadAckSum},
                      {"time CRC", badCrc, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::GetVKTTime, time); },
                       linktest::kBadAckSum},
                      {"write CRC", badCrc, writeConfig, linktest::kBadAckSum},
                      {"write refused", refused, writeConfig, linktest::kRefused},
                      {"profile reset CRC", badCrc, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ResetVKTProfiles); },
                       linktest::kBadSum},
                      {"profile day CRC", badCrc,
                       [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTProfileSettings, CTime(2024, 3, 1, 0, 0, 0)); },
                       linktest::kBadSum},
                      // Reads that tell a refusal apart; the others take it for a wrong head.
                      {"meter reading refused", refused, readReading, linktest::kRefused},
                      {"meter totals refused", refused,
                       [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTEnergyTotals, totals, 1); }, linktest::kRefused},
                      {"profile status refused", refused, readProfiles, linktest::kRefused},
                      {"config refused", refused, readConfig, linktest::kBadReply},
                      {"another address", Faults{.wrongAddress = true}, readReading, linktest::kBadReply},
                  });
}

} // namespace
