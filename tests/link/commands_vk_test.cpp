// Requests of the VK and VKR analysers against the simulator: the frames
// sent, what is read back after a write, the texts of failures.
#include "CommandTestSupport.h"

#include "link/CommandsProfiles.h"
#include "link/CommandsVK.h"
#include "link/CommandsVKR.h"
#include "link/CommandsVKT.h"

#include "model/Iden.h"
#include "model/ProfileStatus.h"
#include "model/VKAktData.h"
#include "model/VKConfig.h"
#include "model/VKEnergy.h"
#include "model/VKNoteBook.h"
#include "model/VKOutputConfig.h"
#include "model/VKRAktData.h"
#include "model/VKRConfig.h"
#include "model/VKStatus.h"

using linktest::CheckFailures;
using linktest::CheckRequests;
using linktest::FrameA;
using linktest::Image;
using linktest::RequestCase;
using linktest::SimLine;
using sim::Family;
using sim::Faults;
using sim::Instrument;

namespace {

CIden Firmware(WORD version)
{
    CIden iden;
    iden.version = version;
    return iden;
}

TEST(VKCommands, RequestFrames)
{
    CVKConfig config;
    CVKOutputConfig outputs;
    CVKStatus status;
    CVKAktData values;
    CVKETarif tariff;
    CVKEData energy;
    CVKNoteBook notebook;
    CVKRConfig vkrConfig;
    CVKRAktData vkrValues;
    CTime time;
    BYTE block[commands::kVKInstallationBlockSize] = {};
    const CTime day(2024, 1, 15, 0, 0, 0);
    const std::vector<RequestCase> vk = {
        {"config read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKConfig, config); }, {0x01, 0x03, 0x26, 0x2A}},
        {"config write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKConfig, config); }, {0x01, 31, 0x27}, 32},
        {"outputs read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKOutputConfig, outputs, Firmware(0x21)); },
         {0x01, 0x03, 0x30, 0x34}},
        {"outputs write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKOutputConfig, outputs); }, {0x01, 33, 0x31}, 34},
        {"status read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKStatus, status); }, FrameA(1, 0x14)},
        {"status write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKStatus, status); }, {0x01, 29, 0x23}, 30},
        {"notebook read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKNoteBook, notebook); }, FrameA(1, 0x1F, {0})},
        {"notebook write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKNoteBook, notebook); },
         {0x01, 132, 0x20, 0}, 133},
        {"installation read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKInstallationBlock, block); },
         FrameA(1, 0x28)},
        {"installation write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKInstallationBlock, block); },
         {0x01, 67, 0x29}, 68},
        {"values", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKValues, values); }, FrameA(1, 0x3A)},
        {"archive on", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::SendVKArchiveControl, TRUE); },
         {0x01, 0x04, 0x1C, 0xFF, 0x20}},
        {"archive off", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::SendVKArchiveControl, FALSE); },
         {0x01, 0x04, 0x1C, 0x00, 0x21}},
        // 10:17:05: 17 x 60 + 5 = 1025 seconds past the hour.
        {"clock sync", [&](CLinkManager& m, DWORD id) { return BOOL(m.SyncVKClock(id) == 0); },
         FrameA(1, 0x12, {0x04, 0x01, 0x06})},
        {"tariff read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTariff, tariff); }, FrameA(1, 0x32)},
        {"tariff write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKTariff, tariff); }, {0x01, 9, 0x33}, 10},
        {"energy read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKEnergyData, energy); }, FrameA(1, 0x34)},
        {"energy reset", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ResetVKEnergyMeter); }, FrameA(1, 0x35, {0x01})},
        // January: standard time, sent as it stands.
        {"time set", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::SetVKTime); },
         FrameA(1, 0x10, {0x24, 0x01, 0x15, 0x10, 0x17, 0x05})},
        {"time read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::GetVKTime, time); }, FrameA(1, 0x11)},
        {"profile reset", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ResetVKProfiles); }, FrameA(1, 0x38)},
        {"profile day", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKProfileSettings, day); },
         FrameA(1, 0x37, {0x24, 0x01, 0x15, 0, 0, 0})},
    };
    const std::vector<RequestCase> vkr = {
        {"config read", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKRConfig, vkrConfig); }, FrameA(2, 0x16)},
        {"config write", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKRConfig, vkrConfig); }, {0x02, 19, 0x17}, 20},
        {"values", [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKRValues, vkrValues); }, FrameA(2, 0x3A)},
    };
    SimLine f;
    f.StartLine({Instrument(Family::VK, 1), Instrument(Family::VKR, 2)}, 0);
    const DWORD a = f.OpenLink(1);
    const DWORD b = f.OpenLink(2);
    CheckRequests(f, a, vk, false);
    CheckRequests(f, b, vkr, false);
}

class VKTest : public ::testing::Test, public SimLine {
protected:
    void SetUp() override
    {
        StartLine({Instrument(Family::VK, 1), Instrument(Family::VKR, 2)}, 0);
        vk = OpenLink(1);
        vkr = OpenLink(2);
    }
    template <class Fn>
    void Instr(Fn&& fn)
    {
        line.WithInstrument(1, fn);
    }

    DWORD vk = 0;
    DWORD vkr = 0;
};

TEST_F(VKTest, WhatIsWrittenIsReadBack)
{
    CVKConfig config;
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKConfig, config));
    config.SetCtRatioDword(0x80000000u | 250);
    ASSERT_TRUE(manager.Request(vk, commands::WriteVKConfig, config)) << Error(vk).toStdString();
    CVKConfig configBack;
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKConfig, configBack));
    EXPECT_EQ(Image(configBack), Image(config));

    Instr([](Instrument& i) { i.SetVersion(122); });
    CVKOutputConfig outputs;
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKOutputConfig, outputs, Firmware(122))) << Error(vk).toStdString();
    outputs.SetAnalogEnd(1, 80.0);
    ASSERT_TRUE(manager.Request(vk, commands::WriteVKOutputConfig, outputs));
    CVKOutputConfig outputsBack;
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKOutputConfig, outputsBack, Firmware(122)));
    EXPECT_DOUBLE_EQ(outputsBack.GetAnalogEnd(1), 80.0);

    BYTE block[commands::kVKInstallationBlockSize];
    for (int i = 0; i < commands::kVKInstallationBlockSize; ++i)
        block[i] = BYTE(200 - i);
    ASSERT_TRUE(manager.Request(vk, commands::WriteVKInstallationBlock, block));
    BYTE blockBack[commands::kVKInstallationBlockSize] = {};
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKInstallationBlock, blockBack));
    EXPECT_TRUE(std::equal(std::begin(block), std::end(block), std::begin(blockBack)));

    CVKETarif tariff;
    for (int h = 0; h < CVKETarif::kHours; ++h)
        tariff.SetCode(h, BYTE(h % 3));
    ASSERT_TRUE(manager.Request(vk, commands::WriteVKTariff, tariff));
    CVKETarif tariffBack;
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKTariff, tariffBack));
    for (int h = 0; h < CVKETarif::kHours; ++h)
        EXPECT_EQ(tariffBack.GetCode(h), h % 3) << h;

    ASSERT_TRUE(manager.Request(vk, commands::SetVKTime));
    CTime time;
    ASSERT_TRUE(manager.Request(vk, commands::GetVKTime, time));
    EXPECT_EQ(time, clock.CurrentTime());

    CVKRConfig vkrConfig;
    ASSERT_TRUE(manager.Request(vkr, commands::ReadVKRConfig, vkrConfig)) << Error(vkr).toStdString();
    std::vector<BYTE> image = Image(vkrConfig);
    image[0] ^= 0x55;
    vkrConfig.FromRaw(image.data());
    ASSERT_TRUE(manager.Request(vkr, commands::WriteVKRConfig, vkrConfig));
    CVKRConfig vkrBack;
    ASSERT_TRUE(manager.Request(vkr, commands::ReadVKRConfig, vkrBack));
    EXPECT_EQ(Image(vkrBack), Image(vkrConfig));
}

TEST(AnalyserClocks, AreSetInStandardTime)
{
    SimLine f;
    f.StartLine({Instrument(Family::VK, 1), Instrument(Family::VKT, 2)}, 0);
    const DWORD vk = f.OpenLink(1);
    const DWORD vkt = f.OpenLink(2);
    // Monday 15 July 2024, 10:17:05 summer time: 9:17:05 on the instruments.
    f.clock.wall = CTime(2024, 7, 15, 10, 17, 5).GetTime();
    ASSERT_TRUE(f.manager.Request(vk, commands::SetVKTime)) << f.Error(vk).toStdString();
    ASSERT_TRUE(f.manager.Request(vkt, commands::SetVKTTime)) << f.Error(vkt).toStdString();
    f.line.WithInstrument(1, [](Instrument& i) { EXPECT_EQ(i.blocks[0x11], (sim::Bytes{0x24, 0x07, 0x15, 0x09, 0x17, 0x05})); });
    f.line.WithInstrument(2, [](Instrument& i) {
        EXPECT_EQ(i.blocks[0x11], (sim::Bytes{0x05, 0x17, 0x09, 0x02, 0x15, 0x07, 0x24}));
    });
    // Read back, the same instant.
    CTime time;
    ASSERT_TRUE(f.manager.Request(vk, commands::GetVKTime, time));
    EXPECT_EQ(time, f.clock.CurrentTime());
    ASSERT_TRUE(f.manager.Request(vkt, commands::GetVKTTime, time));
    EXPECT_EQ(time, f.clock.CurrentTime());
    // Minutes and seconds past the hour do not move with summer time.
    EXPECT_EQ(f.manager.SyncVKClock(vk), 0);
    f.line.WithInstrument(1, [](Instrument& i) { EXPECT_EQ(i.lastSyncSeconds, 1025); });
}

TEST(AnalyserClocks, SynchronisationReportsTheInstrumentsAnswerOrFailure)
{
    struct Case {
        const char* what;
        Family family;
        int kind;
        int (CLinkManager::*sync)(DWORD);
        Faults fault;
        QString text;
    } cases[] = {
        {"VK", Family::VK, kPortKindSerial, &CLinkManager::SyncVKClock, Faults{.badChecksum = true}, linktest::kBadAckSum},
        {"VKT", Family::VKT, kPortKindVkt, &CLinkManager::SyncVKTClock, Faults{.refusal = true}, linktest::kRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimLine f;
        f.StartLine({Instrument(c.family, 1)}, 0, c.kind);
        const DWORD id = f.OpenLink(1);
        for (BYTE answer : {BYTE(0), BYTE(3)}) {
            f.line.WithInstrument(1, [&](Instrument& i) { i.syncResult = answer; });
            EXPECT_EQ((f.manager.*c.sync)(id), answer);
        }
        f.line.WithInstrument(1, [](Instrument& i) { EXPECT_EQ(i.lastSyncSeconds, 1025); });
        f.line.SetFaults(c.fault);
        EXPECT_EQ((f.manager.*c.sync)(id), -1);
        EXPECT_EQ(f.Error(id), c.text);
        // A link that cannot be readied synchronised nothing.
        f.manager.Close(id);
        EXPECT_EQ((f.manager.*c.sync)(id), -1);
        EXPECT_EQ(f.Error(id), QStringLiteral("Zařízení nenalezeno."));
        EXPECT_EQ((f.manager.*c.sync)(999), -1);
    }
}

TEST_F(VKTest, StatusWriteSendsTheRecordingSettingsOnly)
{
    Instr([](Instrument& i) { i.FillArchive(0, 500, 20, 120); });
    CVKStatus status;
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKStatus, status));
    status.SetRecordPeriodIndex(7);
    status.SetCyclic(!status.GetCyclic());
    std::vector<BYTE> image(CVKStatus::kImageSize);
    status.ToRaw(image.data());
    image[16] = 0x77; // capacity: the instrument's own
    status.FromRaw(image.data());
    ASSERT_TRUE(manager.Request(vk, commands::WriteVKStatus, status));
    CVKStatus back;
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKStatus, back));
    EXPECT_EQ(back.GetRecordPeriodIndex(), 7);
    EXPECT_EQ(back.GetCyclic(), status.GetCyclic());
    std::vector<BYTE> backImage(CVKStatus::kImageSize);
    back.ToRaw(backImage.data());
    EXPECT_EQ(backImage[16], 0); // 500 records, high byte first
    EXPECT_EQ(backImage[23], 120);
}

TEST_F(VKTest, NoteBookTravelsInSixPages)
{
    CVKNoteBook notebook;
    notebook.SetRecordName(QStringLiteral("Rozvodna"));
    notebook.SetLine(3, QStringLiteral("Napětí L1"));
    notebook.SetLine(19, QStringLiteral("poslední na stránce 5"));
    notebook.SetLine(20, QStringLiteral("jen v souboru"));
    log.ClearWrites();
    ASSERT_TRUE(manager.Request(vk, commands::WriteVKNoteBook, notebook)) << Error(vk).toStdString();
    EXPECT_EQ(log.Writes().size(), 6u);
    log.ClearWrites();
    CVKNoteBook back;
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKNoteBook, back)) << Error(vk).toStdString();
    const auto writes = log.Writes();
    ASSERT_EQ(writes.size(), 6u);
    for (BYTE page = 0; page < 6; ++page)
        EXPECT_EQ(writes[page], FrameA(1, 0x1F, {page}));
    EXPECT_EQ(back.GetRecordName(), QStringLiteral("Rozvodna"));
    EXPECT_EQ(back.GetLine(3), QStringLiteral("Napětí L1"));
    EXPECT_EQ(back.GetLine(19), QStringLiteral("poslední na stránce 5"));
    EXPECT_EQ(back.GetLine(20), QString());

    // A page acknowledged under another number is not written.
    Instr([](Instrument& i) {
        i.SetCommand(0x20, [](Instrument& s, const sim::Frame& frame) {
            const sim::Bytes body{3, 0, BYTE(frame.data[0] + 1)};
            sim::Bytes raw{s.GetAddress()};
            raw.insert(raw.end(), body.begin(), body.end());
            raw.push_back(sim::Sum8(raw.data(), raw.size()));
            return sim::Response::Raw(raw);
        });
    });
    EXPECT_FALSE(manager.Request(vk, commands::WriteVKNoteBook, notebook));
    EXPECT_EQ(Error(vk), linktest::kBadReply);
}

TEST_F(VKTest, OutputReplyLengthFollowsTheFirmware)
{
    struct Case {
        WORD instrument;
        WORD told;
        bool good;
    } cases[] = {{121, 121, true}, {122, 122, true}, {121, 122, false}, {122, 121, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "firmware " << c.instrument << ", told " << c.told);
        Instr([&](Instrument& i) { i.SetVersion(c.instrument); });
        CVKOutputConfig outputs;
        EXPECT_EQ(manager.Request(vk, commands::ReadVKOutputConfig, outputs, Firmware(c.told)), c.good ? TRUE : FALSE);
        if (!c.good) {
            EXPECT_EQ(Error(vk), linktest::kBadReply);
        }
    }
}

TEST_F(VKTest, EnergyMeterAndProfiles)
{
    CVKEData energy;
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKEnergyData, energy));
    EXPECT_NE(energy.GetCounter(0), 0u);
    ASSERT_TRUE(manager.Request(vk, commands::ResetVKEnergyMeter));
    ASSERT_TRUE(manager.Request(vk, commands::ReadVKEnergyData, energy));
    EXPECT_EQ(energy.GetCounter(0), 0u);
    Instr([](Instrument& i) { EXPECT_EQ(i.lastEnergyReset, 1); });

    log.ClearWrites();
    CProfileStatus profiles;
    ASSERT_TRUE(manager.ReadVKProfileStatus(vk, profiles)) << Error(vk).toStdString();
    EXPECT_EQ(log.Writes(), (std::vector<std::vector<BYTE>>{FrameA(1, 0x39), FrameA(1, 0x36)}));
    ASSERT_TRUE(manager.Request(vk, commands::WriteVKProfileSettings, CTime(2023, 12, 31, 0, 0, 0)));
    Instr([](Instrument& i) { EXPECT_EQ(i.blocks[0x37], (sim::Bytes{0x23, 0x12, 0x31, 0, 0, 0})); });
    ASSERT_TRUE(manager.Request(vk, commands::ResetVKProfiles));
    Instr([](Instrument& i) { EXPECT_EQ(i.profileResets, 1); });

    // An instrument in its error state refuses the profiles, whatever its sum.
    Instr([](Instrument& i) { i.blocks[0x39][0] = 1; });
    log.ClearWrites();
    EXPECT_FALSE(manager.ReadVKProfileStatus(vk, profiles));
    EXPECT_EQ(Error(vk), QStringLiteral("Přístroj je v chybovém stavu\nData nemohou být přijata."));
    EXPECT_EQ(log.Writes().size(), 1u);
}

TEST_F(VKTest, FailuresLeaveTheirTexts)
{
    CVKConfig config;
    CVKAktData values;
    CVKStatus status;
    CVKETarif tariff;
    CVKRAktData vkrValues;
    CTime time;
    const Faults badSum{.badChecksum = true};
    CheckFailures(*this, vk,
                  {
                      {"config sum", badSum, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKConfig, config); },
                       linktest::kBadSum},
                      {"status sum", badSum, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKStatus, status); },
                       linktest::kBadSum},
                      {"values sum", badSum, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKValues, values); },
                       linktest::kBadAckSum},
                      {"tariff sum", badSum, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKTariff, tariff); },
                       linktest::kBadAckSum},
                      {"time sum", badSum, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::GetVKTime, time); },
                       linktest::kBadAckSum},
                      {"write sum", badSum, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::WriteVKConfig, config); },
                       linktest::kBadAckSum},
                      {"archive control sum", badSum,
                       [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::SendVKArchiveControl, TRUE); }, linktest::kBadAckSum},
                      {"profile reset sum", badSum, [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ResetVKProfiles); },
                       linktest::kBadSum},
                      {"status not 0", Faults{.refusal = true},
                       [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKValues, values); }, linktest::kBadReply},
                      {"another address", Faults{.wrongAddress = true},
                       [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ResetVKEnergyMeter); }, linktest::kBadReply},
                  });
    CheckFailures(*this, vkr,
                  {
                      {"VKR values sum", badSum,
                       [&](CLinkManager& m, DWORD id) { return m.Request(id, commands::ReadVKRValues, vkrValues); }, linktest::kBadAckSum},
                  });
}

} // namespace
