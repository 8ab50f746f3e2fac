#include "LinkTestSupport.h"
#include "MereniTestSupport.h"
#include "PristrojTestSupport.h"

#include "archive/store/VKArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "model/VKBexor.h"
#include "model/VKTBexor.h"
#include "model/VKTPackedTime.h"
#include "tools/instrument_sim/SimArchive.h"

using namespace pristrojtest;
using sim::Family;
using sim::Instrument;

namespace {

constexpr std::uint8_t kEnergy = 0x34;

class MeterTest : public PristrojTest, public linktest::SimLine {
protected:
    void SetUp() override
    {
        PristrojTest::SetUp();
        StartLine({Instrument(Family::VK, 1)}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&clock);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->SetType(CPristroj::kVK, TRUE);
        ASSERT_TRUE(entry->OpenLink());
        ASSERT_EQ(Archiv().Create(600, 1, 60, dir.filePath(QStringLiteral("hala")), QStringLiteral(".vk"), TRUE,
                                  TRUE, QStringLiteral("hala")),
                  1);
        SetResetTime(0x24, 0x03, 0x01);
    }
    void TearDown() override { entry.reset(); }

    CVKArchivData& Archiv() { return static_cast<CVKArchivData&>(*entry->GetArchivData()); }

    // The day of the meter's last reset (BCD year, month, day at 00:00).
    void SetResetTime(std::uint8_t year, std::uint8_t month, std::uint8_t day)
    {
        line.WithInstrument(1, [&](Instrument& i) {
            auto& image = i.blocks[kEnergy];
            const std::uint8_t bcd[6] = {year, month, day, 0, 0, 0};
            std::copy(bcd, bcd + 6, image.begin() + 48);
        });
    }

    // Entries per block of the meter stream.
    std::vector<DWORD> Blocks()
    {
        std::unique_ptr<CArchivStream> stream;
        CBexorIndex index;
        std::vector<DWORD> out;
        if (Archiv().OpenBexorStream(stream, index)) {
            for (int i = 0; i < index.GetBlockCount(); ++i)
                out.push_back(index.GetEntryCount(i));
        }
        Archiv().ReleaseStream(stream);
        return out;
    }

    std::unique_ptr<CPristroj> entry;
};

} // namespace

TEST_F(MeterTest, SameResetTimeAddsAnEntryAndANewOneStartsABlock)
{
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{1}));
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{2}));

    SetResetTime(0x24, 0x04, 0x01);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{2, 1}));
}

TEST_F(MeterTest, UnreadableMeterLeavesTheArchiveAsItWas)
{
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    sim::Faults bad;
    bad.badChecksum = true;
    line.SetFaults(bad, 3);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{1}));

    // A new period whose tariff cannot be read stores nothing either.
    SetResetTime(0x24, 0x04, 0x01);
    line.SetFaults(bad, 3, 1);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{1}));

    // Other families have no quarter-hour record here.
    entry->SetType(CPristroj::kVKR, TRUE);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
}

// ---- VKT: the meter archive on the grid of its interval clock

namespace {

constexpr std::uint8_t kTariffRead = 0x32;
constexpr std::uint8_t kClockSync = 0x12;

// Registers as the simulated VKT keeps them (the whole part in dword k + 28
// is 1000 + 37 k, every fraction 0.25): tariff 1, active import (k = 12).
constexpr double kImportT1 = 1000 + 37 * 12 + 0.25;

// The program's time as the measurement threads and the archives take it:
// `now` of the fixture.
class ProgramTime : public mereni_test::FakeMereniHost {
public:
    explicit ProgramTime(const CTime& now) : m_now(now) {}
    CTime Now() override { return m_now; }
    std::int64_t NowMs() override { return std::int64_t(m_now.GetTime()) * 1000; }

private:
    const CTime& m_now;
};

// The meter's clock is not set here: it keeps the program's time, which
// the fixture moves.
class VKTMeterTest : public PristrojTest, public linktest::SimLine {
protected:
    void SetUp() override
    {
        PristrojTest::SetUp();
        StartLine({Instrument(Family::VKT, 1)}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&clock);
        env->SetMereniHost(&programTime);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->SetType(CPristroj::kVKT, TRUE);
        ASSERT_TRUE(entry->OpenLink());
        ASSERT_EQ(Archiv().Create(600, 1, 60, dir.filePath(QStringLiteral("rozvodna")), QStringLiteral(".vkt"), TRUE,
                                  TRUE, QStringLiteral("rozvodna")),
                  1);
        entry->SetBexorInterval(0, FALSE); // 15 min
    }
    void TearDown() override
    {
        entry.reset();
        env->SetMereniHost(nullptr);
    }

    CVKTArchivData& Archiv() { return static_cast<CVKTArchivData&>(*entry->GetArchivData()); }

    // The meter's own time of its reading (the PC's is `now`), and of its
    // last reset.
    void SetMeter(CTime reading, CTime reset)
    {
        line.WithInstrument(1, [&](Instrument& i) {
            PackRecordTime(reading, i.blocks[kEnergy].data() + 224);
            PackRecordTime(reset, i.blocks[kEnergy].data() + 228);
        });
    }
    // The registers the meter kept at the grid instant `t` (import of
    // tariff 1 `import`), under the record number the clock gives it.
    void KeepTotals(int number, CTime t, std::uint32_t import)
    {
        line.WithInstrument(1, [&](Instrument& i) {
            sim::Bytes image(i.blocks[kEnergy].begin(), i.blocks[kEnergy].begin() + 228);
            sim::PutBE32(image.data() + 4 * 40, import);
            PackRecordTime(t, image.data() + 224);
            i.meterTotals[number] = image;
        });
    }
    std::vector<int> MeterReads()
    {
        std::vector<int> out;
        line.WithInstrument(1, [&](Instrument& i) { out = i.meterReads; });
        return out;
    }
    int Sent(std::uint8_t command)
    {
        int n = 0;
        for (const auto& w : log.Writes())
            n += w.size() > 3 && w[3] == command ? 1 : 0;
        return n;
    }

    struct Block {
        CTime key;
        DWORD interval = 0;
        float multiplier = 0;
        std::vector<CVKTEData> entries;
    };
    std::vector<Block> Blocks()
    {
        std::unique_ptr<CArchivStream> stream;
        CVKTBexorIndex index;
        std::vector<Block> out;
        if (Archiv().OpenBexorStream(stream, index)) {
            for (int n = 0; n < index.GetBlockCount(); ++n) {
                CVKTBexorBlock block;
                EXPECT_TRUE(index.ReadBlock(*stream, n, block));
                out.push_back({index.GetKey(n), block.GetIntervalCode(), block.GetMultiplier(), block.GetEntries()});
            }
        }
        Archiv().ReleaseStream(stream);
        return out;
    }
    std::vector<CTime> EntryTimes(const Block& block)
    {
        std::vector<CTime> out;
        for (const CVKTEData& e : block.entries)
            out.push_back(e.GetTime());
        return out;
    }

    CTime now{2024, 1, 15, 11, 59, 0};
    ProgramTime programTime{now};
    std::unique_ptr<CPristroj> entry;
};

const CTime kJanuary(2024, 1, 1, 0, 0, 0);

} // namespace

TEST_F(VKTMeterTest, EachBoundaryAddsAReadingAndAResetBeginsABlock)
{
    SetMeter(CTime(2024, 1, 15, 12, 0, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 0, 20);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    now = CTime(2024, 1, 15, 12, 15, 10);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));

    std::vector<Block> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].key, kJanuary);
    EXPECT_EQ(blocks[0].interval, 0u);
    EXPECT_EQ(blocks[0].multiplier, Archiv().GetRatioU() * Archiv().GetRatioI());
    EXPECT_EQ(EntryTimes(blocks[0]), (std::vector<CTime>{CTime(2024, 1, 15, 12, 0, 20), CTime(2024, 1, 15, 12, 15, 10)}));
    EXPECT_DOUBLE_EQ(blocks[0].entries[0].GetRegister(0, 0), kImportT1);
    EXPECT_DOUBLE_EQ(blocks[0].entries[0].GetRegister(0, 1), -kImportT1 - 4 * 37);
    // The full reading each time (data byte 0); the tariff once, for the block.
    EXPECT_EQ(MeterReads(), (std::vector<int>{0, 0}));
    EXPECT_EQ(Sent(kTariffRead), 1);

    // Asked too late for 12:30 (and with no way to fetch it later, the
    // clocks not being kept in step), nothing is stored and the clock waits
    // for 12:45: the thread has no reason to ask again and again before.
    now = CTime(2024, 1, 15, 12, 31, 30);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks()[0].entries.size(), 2u);
    EXPECT_EQ(Archiv().IntervalClock().NextTime(), CTime(2024, 1, 15, 12, 45, 0));

    // The meter was zeroed: its readings go into a block of the new period,
    // under the tariff read again.
    const CTime zeroed(2024, 1, 15, 12, 22, 0);
    SetMeter(CTime(2024, 1, 15, 12, 45, 0), zeroed);
    now = CTime(2024, 1, 15, 12, 45, 5);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    blocks = Blocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].key, zeroed);
    EXPECT_EQ(EntryTimes(blocks[1]), (std::vector<CTime>{now}));
    EXPECT_EQ(Sent(kTariffRead), 2);
}

struct SyncCase {
    const char* name;
    BOOL synchronise;
    int deviation;       // synchronisation tries the thread still owes
    std::uint8_t inStep; // the instrument's answer to a synchronisation
    int syncs;           // synchronisations sent
    bool fetched;        // the 12:15 registers were read and stored
};

class VKTMissedInstantTest : public VKTMeterTest, public ::testing::WithParamInterface<SyncCase> {};

TEST_P(VKTMissedInstantTest, IsFetchedByItsRecordNumberOnlyWhileTheClocksAreInStep)
{
    const SyncCase& c = GetParam();
    entry->m_synchronizovat = c.synchronise;
    line.WithInstrument(1, [&](Instrument& i) { i.syncResult = c.inStep; });

    SetMeter(CTime(2024, 1, 15, 12, 0, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 0, 20);
    ASSERT_TRUE(entry->ReadEnergyMeterRecord(0));

    // 12:15 went by (the program was busy); at 12:30 the meter names the
    // instant by its record number.
    const CTime missed(2024, 1, 15, 12, 15, 0);
    const int number = int((missed.GetTime() - CArchivIntervalClock::Epoch().GetTime() + 60) / 900 % 64 + 1);
    KeepTotals(number, missed, 5000);
    SetMeter(CTime(2024, 1, 15, 12, 30, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 30, 15);
    log.ClearWrites();
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(c.deviation));

    EXPECT_EQ(Sent(kClockSync), c.syncs);
    const std::vector<Block> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    if (c.fetched) {
        EXPECT_EQ(MeterReads(), (std::vector<int>{0, 0, number}));
        EXPECT_EQ(EntryTimes(blocks[0]), (std::vector<CTime>{CTime(2024, 1, 15, 12, 0, 20), missed, now}));
        EXPECT_DOUBLE_EQ(blocks[0].entries[1].GetRegister(0, 0), 5000.25);
    } else {
        EXPECT_EQ(MeterReads(), (std::vector<int>{0, 0}));
        EXPECT_EQ(EntryTimes(blocks[0]), (std::vector<CTime>{CTime(2024, 1, 15, 12, 0, 20), now}));
    }
    EXPECT_EQ(Archiv().IntervalClock().NextTime(), CTime(2024, 1, 15, 12, 45, 0));
}

INSTANTIATE_TEST_SUITE_P(Sync, VKTMissedInstantTest,
                         ::testing::Values(SyncCase{"InStep", TRUE, 0, 0, 0, true},
                                           SyncCase{"BroughtIntoStep", TRUE, 3, 0, 1, true},
                                           SyncCase{"StillOff", TRUE, 3, 1, 2, false},
                                           SyncCase{"NotSynchronised", FALSE, 0, 0, 0, false}),
                         [](const ::testing::TestParamInfo<SyncCase>& info) { return std::string(info.param.name); });

TEST_F(VKTMeterTest, AFailedReadStoresNothingAndKeepsTheReadingForTheNextCall)
{
    SetMeter(CTime(2024, 1, 15, 12, 0, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 0, 20);
    sim::Faults bad;
    bad.badChecksum = true;

    // The tariff of a new block cannot be read: no block, nothing pending.
    line.SetFaults(bad, 3, 1);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
    EXPECT_TRUE(Blocks().empty());
    EXPECT_EQ(Archiv().GetPendingMeterRecord(), nullptr);

    // The next call begins it.
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    ASSERT_EQ(Blocks().size(), 1u);
    EXPECT_EQ(Blocks()[0].entries.size(), 1u);

    // The registers of a missed instant cannot be read: the reading taken
    // at 12:30 waits, and goes in after them once they can.
    entry->m_synchronizovat = TRUE;
    const CTime missed(2024, 1, 15, 12, 15, 0);
    const int number = int((missed.GetTime() - CArchivIntervalClock::Epoch().GetTime() + 60) / 900 % 64 + 1);
    KeepTotals(number, missed, 5000);
    SetMeter(CTime(2024, 1, 15, 12, 30, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 30, 15);
    line.SetFaults(bad, 3, 1);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks()[0].entries.size(), 1u);
    ASSERT_NE(Archiv().GetPendingMeterRecord(), nullptr);

    now = CTime(2024, 1, 15, 12, 30, 40);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(EntryTimes(Blocks()[0]),
              (std::vector<CTime>{CTime(2024, 1, 15, 12, 0, 20), missed, CTime(2024, 1, 15, 12, 30, 15)}));
}

TEST_F(VKTMeterTest, AMeterKeptOutOfTheArchiveIsNotAsked)
{
    entry->SetBexorInterval(~1, FALSE);
    now = CTime(2024, 1, 15, 12, 0, 20);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_TRUE(MeterReads().empty());
    EXPECT_TRUE(Blocks().empty());
}

namespace {

// The meter answers its reading but never the registers of a kept instant
// (the reply comes short).
void RefuseKeptTotals(Instrument& i)
{
    i.SetCommand(kEnergy, [](Instrument& s, const sim::Frame& frame) {
        if (frame.data.size() != 1)
            return sim::Response::None();
        s.meterReads.push_back(frame.data[0]);
        if (frame.data[0] == 0)
            return sim::Response::Data(s.blocks[kEnergy]);
        return sim::Response::Data(sim::Bytes(8, 0));
    });
}

} // namespace

TEST_F(VKTMeterTest, AnInstantThatCannotBeFetchedIsGivenUpWhenTheNextOneComes)
{
    entry->m_synchronizovat = TRUE;
    SetMeter(CTime(2024, 1, 15, 12, 0, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 0, 20);
    ASSERT_TRUE(entry->ReadEnergyMeterRecord(0));
    line.WithInstrument(1, RefuseKeptTotals);

    // 12:15 went by; at 12:30 its registers are asked for, in vain, and
    // asked for again while 12:30 is the newest instant.
    const CTime missed(2024, 1, 15, 12, 15, 0);
    const int number = int((missed.GetTime() - CArchivIntervalClock::Epoch().GetTime() + 60) / 900 % 64 + 1);
    SetMeter(CTime(2024, 1, 15, 12, 30, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 30, 15);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
    now = CTime(2024, 1, 15, 12, 40, 0);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks()[0].entries.size(), 1u);

    // 12:45 has come: 12:15 is given up, the reading of 12:30 goes in, and
    // 12:45 is read as any instant.
    now = CTime(2024, 1, 15, 12, 45, 5);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Archiv().IntervalClock().NextTime(), CTime(2024, 1, 15, 12, 45, 0));
    SetMeter(CTime(2024, 1, 15, 12, 45, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 45, 9);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(EntryTimes(Blocks()[0]), (std::vector<CTime>{CTime(2024, 1, 15, 12, 0, 20),
                                                          CTime(2024, 1, 15, 12, 30, 15), now}));
    EXPECT_EQ(Archiv().IntervalClock().NextTime(), CTime(2024, 1, 15, 13, 0, 0));
    const std::vector<int> asked = {0, 0, number, number, number, number, number, number, number, number, number, 0};
    EXPECT_EQ(MeterReads(), asked);
}

TEST_F(VKTMeterTest, AnotherIntervalStartsTheClockOverOnItsGrid)
{
    entry->m_synchronizovat = TRUE;
    entry->SetBexorInterval(3, FALSE); // a day
    SetMeter(CTime(2024, 1, 15, 0, 0, 0), kJanuary);
    now = CTime(2024, 1, 15, 0, 0, 20);
    ASSERT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Archiv().IntervalClock().NextTime(), CTime(2024, 1, 16, 0, 0, 0));

    // At 12:15:30 the user sets a quarter hour: none of the morning's
    // quarter hours is due, and 12:15, its minute still running, is read.
    now = CTime(2024, 1, 15, 12, 15, 30);
    entry->SetBexorInterval(0, FALSE);
    EXPECT_EQ(Archiv().IntervalClock().NextTime(), CTime(2024, 1, 15, 12, 15, 0));
    SetMeter(CTime(2024, 1, 15, 12, 15, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 15, 40);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(MeterReads(), (std::vector<int>{0, 0}));
    EXPECT_EQ(EntryTimes(Blocks()[0]), (std::vector<CTime>{CTime(2024, 1, 15, 0, 0, 20), now}));
    EXPECT_EQ(Archiv().IntervalClock().NextTime(), CTime(2024, 1, 15, 12, 30, 0));
}

// The registers of a missed instant never come; when the next instant comes
// and the missed one is given up, the reading of the instant that has just
// come is still taken and stored in the same call, also when the period's
// block is begun only then.
struct GiveUpCase {
    const char* name;
    bool begun; // a reading of 12:00 began the period's block
};

class VKTGiveUpTest : public VKTMeterTest, public ::testing::WithParamInterface<GiveUpCase> {};

TEST_P(VKTGiveUpTest, StillReadsTheInstantThatHasCome)
{
    const GiveUpCase& c = GetParam();
    entry->m_synchronizovat = TRUE;
    std::vector<CTime> stored;
    if (c.begun) {
        SetMeter(CTime(2024, 1, 15, 12, 0, 0), kJanuary);
        now = CTime(2024, 1, 15, 12, 0, 20);
        ASSERT_TRUE(entry->ReadEnergyMeterRecord(0));
        stored.push_back(now);
    }
    line.WithInstrument(1, RefuseKeptTotals);

    // Asked at 12:16:30 only: 12:15 is missed and its registers refused.
    const CTime missed(2024, 1, 15, 12, 15, 0);
    const int number = int((missed.GetTime() - CArchivIntervalClock::Epoch().GetTime() + 60) / 900 % 64 + 1);
    SetMeter(CTime(2024, 1, 15, 12, 16, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 16, 30);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));

    // 12:30 has come: 12:15 is given up and 12:30 read at once.
    SetMeter(CTime(2024, 1, 15, 12, 30, 0), kJanuary);
    now = CTime(2024, 1, 15, 12, 30, 10);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    stored.push_back(now);
    const std::vector<Block> blocks = Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].key, kJanuary);
    EXPECT_EQ(EntryTimes(blocks[0]), stored);
    EXPECT_EQ(Archiv().IntervalClock().NextTime(), CTime(2024, 1, 15, 12, 45, 0));
    std::vector<int> asked(c.begun ? 2 : 1, 0);
    asked.insert(asked.end(), 6, number);
    asked.push_back(0);
    EXPECT_EQ(MeterReads(), asked);
}

INSTANTIATE_TEST_SUITE_P(Block, VKTGiveUpTest,
                         ::testing::Values(GiveUpCase{"BegunBefore", true}, GiveUpCase{"NeverBegun", false}),
                         [](const ::testing::TestParamInfo<GiveUpCase>& info) { return std::string(info.param.name); });
