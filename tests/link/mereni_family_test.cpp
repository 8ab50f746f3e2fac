#include "LinkTestSupport.h"
#include "MereniTestSupport.h"

#include "archive/store/ArchivRecord.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "link/MereniController.h"
#include "link/MereniVK.h"
#include "link/MereniVKT.h"
#include "model/VKTBexor.h"
#include "model/VKTPackedTime.h"
#include "platform/StringTable.h"

using namespace mereni_test;
using platform::Event;
using sim::Family;
using sim::Instrument;

namespace {

// A family thread driven from the test, without starting it.
template <class Thread>
class Driven : public Thread {
public:
    explicit Driven(std::shared_ptr<CLinkEnvironment> env) : Thread(std::move(env)) {}
    using Thread::OnIdle;
    using Thread::Poll;
    using Thread::StopRequested;
    int Activate(CPristroj& entry, BOOL giveUp = FALSE)
    {
        Event done(false, false);
        const int result = Thread::Activate(&entry, &done, TRUE, giveUp);
        EXPECT_TRUE(done.IsSet());
        return result;
    }
};

// The standing messages of an archive.
struct MessagesAccess : CArchivData {
    static QStringList Of(CArchivData& data)
    {
        std::lock_guard lock(data.*(&MessagesAccess::listLock));
        return data.*(&MessagesAccess::messages);
    }
};

// One instrument on a simulated line of its own and an entry for it.
class FamilyTest : public MereniTest {
protected:
    ~FamilyTest() override
    {
        entry.reset();
        env->SetLinkManager(nullptr);
    }

    void Start(Instrument instrument, int type)
    {
        line.AddInstrument(instrument);
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;
        const QString port = QString::fromStdString(line.SlavePath());
        ports.Add(port, 0);
        env->SetLinkManager(&manager);
        entry = MakeEntry(type, port);
        // One block holds every record of a test.
        entry->m_intervalZapisovani = 1000;
    }

    CArchivData& Archiv() { return *entry->GetArchivData(); }
    int DataRecords()
    {
        return CountType(Archiv(), kRecordFull) + CountType(Archiv(), kRecordChanged) + CountType(Archiv(), kRecordVKT);
    }

    sim::PtySimulator line;
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    CLinkManager manager{ports, clock, OpenSystemSerialPort};
    std::unique_ptr<CPristroj> entry;
};

// The VKT's live values with its fault state and status byte A replaced.
sim::CommandHandler VKTValues(std::uint8_t fault, std::uint8_t statusA)
{
    return [fault, statusA](Instrument&, const sim::Frame& frame) {
        Instrument plain(Family::VKT, 1);
        sim::Response r = plain.Handle(frame);
        if (r.bytes.size() > 9) {
            r.bytes[r.bytes.size() - 1] = fault;
            r.bytes[r.bytes.size() - 4] = statusA;
        }
        return r;
    };
}

} // namespace

TEST_F(FamilyTest, VKTStateTextsDecideWhatIsStored)
{
    struct Case {
        const char* name;
        std::uint8_t fault;
        std::uint8_t statusA;
        const char* text; // nullptr: no state text
        int type;
        bool stored;
        std::uint8_t storedStatusA;
    };
    const Case cases[] = {
        {"values not valid", 0x02, 0x00, "Signalizace poruchového stavu přístroje (0x2).", kRecordError, false, 0},
        {"other fault", 0x0C, 0x00, "Signalizace poruchového stavu přístroje (0xC).", kRecordCondition, true, 0},
        {"overload of an input not read", 0x00, 0x44, nullptr, 0, true, 0x00},
        {"overload of input 1", 0x00, 0x41, "Některá z veličin (U,I) je přetížena.", kRecordCondition, true, 0x01},
    };
    Instrument vkt(Family::VKT, 1);
    Start(vkt, CPristroj::kVKT);
    // Inputs 1 and 2 with their phase values.
    entry->SetValueMask(0x13);
    Driven<CVKTMereni> thread(env);
    ASSERT_EQ(thread.Activate(*entry), 1);
    auto& store = dynamic_cast<CVKTArchivData&>(Archiv());
    ASSERT_TRUE(thread.Poll(FALSE)); // settings, identification, values

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        line.WithInstrument(1, [&](Instrument& i) { i.SetCommand(0x3A, VKTValues(c.fault, c.statusA)); });
        const int errors = CountType(Archiv(), kRecordError);
        const int conditions = CountType(Archiv(), kRecordCondition);
        const int data = DataRecords();
        ASSERT_TRUE(thread.Poll(FALSE)) << entry->GetErrorText().toStdString();
        EXPECT_EQ(CountType(Archiv(), kRecordError), errors + (c.text && c.type == kRecordError ? 1 : 0));
        EXPECT_EQ(CountType(Archiv(), kRecordCondition), conditions + (c.text && c.type == kRecordCondition ? 1 : 0));
        if (c.text) {
            EXPECT_EQ(Texts(Archiv(), c.type).back(), QString::fromUtf8(c.text));
        }
        EXPECT_EQ(DataRecords(), data + (c.stored ? 1 : 0));
        if (c.stored) {
            CAktData newest;
            int fresh = 0;
            store.GetLatestData(newest, fresh);
            EXPECT_EQ(newest.GetStatusA(), c.storedStatusA);
        }
    }
}

TEST_F(FamilyTest, VKTMeterRequestsWaitForTheHoldAndArePacedAfterAFailure)
{
    Start(Instrument(Family::VKT, 1), CPristroj::kVKT);
    Driven<CVKTMereni> thread(env); // holds until now + 20 s
    ASSERT_EQ(thread.Activate(*entry), 1);
    auto& store = dynamic_cast<CVKTArchivData&>(Archiv());
    store.IntervalClock().SetTimeSource([this] { return mhost.Now(); });
    store.IntervalClock().SetIntervalCode(0);
    mhost.window = FakeMereniHost::Window::Ignore;
    mhost.waitCapMs = 0;
    auto requests = [&] { return mhost.Sends(platform::WM_QUARTER_HOUR).size(); };

    struct Step {
        int advance;
        std::size_t requests;
    };
    // 10 s: held; 21 s: the first request; 1 s later: held back (a retry
    // near the start waits 11 s for the last attempt of any VKT thread);
    // 11 s after the failure: the retry.
    const Step steps[] = {{10, 0}, {11, 1}, {1, 1}, {10, 2}};
    for (const Step& s : steps) {
        mhost.Advance(s.advance);
        thread.OnIdle(0);
        EXPECT_EQ(requests(), s.requests);
    }
    // The main window's handler learns the synchronisation tries.
    EXPECT_EQ(mhost.Sends(platform::WM_QUARTER_HOUR).back().lParam, 4);
    EXPECT_EQ(mhost.Sends(platform::WM_QUARTER_HOUR).back().wParam, reinterpret_cast<std::uintptr_t>(entry.get()));
}

// The VKT meter by the thread's clock, the only clock of the test: the
// thread asks at each instant of the 15-minute grid, the window reads the
// reading (data byte 0); an instant that went by unread is fetched
// afterwards from the registers the meter kept for it, asked for by the
// instant's record number, and goes into the archive at its own time.
TEST_F(FamilyTest, VKTMeterInstantsAndAMissedOneComeThroughTheThread)
{
    constexpr std::uint8_t kEnergy = 0x34;
    const CTime reset(2024, 1, 1, 0, 0, 0);
    const auto meterAt = [&](CTime reading) {
        line.WithInstrument(1, [&](Instrument& i) {
            PackRecordTime(reading, i.blocks[kEnergy].data() + 224);
            PackRecordTime(reset, i.blocks[kEnergy].data() + 228);
        });
    };
    const auto at = [&](CTime t) { mhost.nowMs = std::int64_t(t.GetTime()) * 1000; };

    Start(Instrument(Family::VKT, 1), CPristroj::kVKT);
    entry->m_synchronizovat = TRUE;
    entry->SetBexorInterval(0, FALSE); // 15 min
    Driven<CVKTMereni> thread(env);
    ASSERT_EQ(thread.Activate(*entry), 1);
    mhost.readsMeter = true;

    meterAt(CTime(2024, 1, 15, 10, 0, 0));
    at(CTime(2024, 1, 15, 10, 0, 25)); // past the hold after activation
    thread.OnIdle(0);

    // 10:15 goes by; its registers are kept under its record number.
    const CTime missed(2024, 1, 15, 10, 15, 0);
    const int number = int((missed.GetTime() - CArchivIntervalClock::Epoch().GetTime() + 60) / 900 % 64 + 1);
    line.WithInstrument(1, [&](Instrument& i) {
        sim::Bytes kept(i.blocks[kEnergy].begin(), i.blocks[kEnergy].begin() + 228);
        PackRecordTime(missed, kept.data() + 224);
        i.meterTotals[number] = kept;
    });
    meterAt(CTime(2024, 1, 15, 10, 30, 0));
    at(CTime(2024, 1, 15, 10, 30, 15));
    thread.OnIdle(0);

    std::vector<int> asked;
    line.WithInstrument(1, [&](Instrument& i) { asked = i.meterReads; });
    EXPECT_EQ(asked, (std::vector<int>{0, 0, number}));
    auto& store = dynamic_cast<CVKTArchivData&>(Archiv());
    std::unique_ptr<CArchivStream> stream;
    CVKTBexorIndex index;
    ASSERT_TRUE(store.OpenBexorStream(stream, index));
    ASSERT_EQ(index.GetBlockCount(), 1);
    CVKTBexorBlock block;
    ASSERT_TRUE(index.ReadBlock(*stream, 0, block));
    store.ReleaseStream(stream);
    std::vector<CTime> times;
    for (const CVKTEData& e : block.GetEntries())
        times.push_back(e.GetTime());
    const CTime lastRead(2024, 1, 15, 10, 30, 15);
    EXPECT_EQ(times, (std::vector<CTime>{CTime(2024, 1, 15, 10, 0, 25), missed, lastRead}));
    EXPECT_EQ(store.IntervalClock().NextTime(), CTime(2024, 1, 15, 10, 45, 0));
}

TEST_F(FamilyTest, VKWithOldFirmwareIsRefusedThroughTheMainThread)
{
    Instrument old(Family::VK, 1);
    old.SetVersion(114);
    Start(old, CPristroj::kVK);
    Driven<CVKMereni> thread(env);
    EXPECT_EQ(thread.Activate(*entry), 0);
    EXPECT_EQ(entry->m_merit, 0);
    EXPECT_TRUE(thread.StopRequested());
    const auto boxes = mhost.Boxes();
    ASSERT_EQ(boxes.size(), 1U);
    EXPECT_EQ(boxes[0].caption, QStringLiteral("INFO"));
    EXPECT_FALSE(boxes[0].text.isEmpty());
}

TEST_F(FamilyTest, VKFirmwareThatCannotSynchroniseIsReportedOnce)
{
    Instrument vk(Family::VK, 1);
    vk.SetVersion(118);
    Start(vk, CPristroj::kVK);
    entry->m_synchronizovat = 1;
    Driven<CVKMereni> thread(env);
    ASSERT_EQ(thread.Activate(*entry), 1);
    const QString notSupported = platform::LoadString(platform::IDS_SYNC_NOT_SUPPORTED);
    ASSERT_TRUE(thread.Poll(FALSE));
    EXPECT_EQ(MessagesAccess::Of(Archiv()), QStringList{notSupported});
    // Every 8 hours another attempt, and nothing more to say.
    for (int i = 0; i < 3; ++i) {
        mhost.Advance(CClockSync::kPeriod + 1);
        ASSERT_TRUE(thread.Poll(TRUE));
    }
    EXPECT_EQ(MessagesAccess::Of(Archiv()), QStringList{notSupported});
    int syncSeconds = 0;
    line.WithInstrument(1, [&](Instrument& i) { syncSeconds = i.lastSyncSeconds; });
    EXPECT_EQ(syncSeconds, -1) << "never asked to synchronise";
}

TEST_F(FamilyTest, VKRStateAndOverloadTexts)
{
    Instrument vkr(Family::VKR, 1);
    auto& values = vkr.blocks[0x3A];
    for (std::size_t k : {12U, 16U, 20U})
        values[k] = 0x3F; // currents within range
    values[0] = 0xBF; // phase 1 and 3 voltages overloaded
    values[8] = 0xBF;
    values[89] = 0;
    Start(vkr, CPristroj::kVKR);
    Driven<CVKRMereni> thread(env);
    ASSERT_EQ(thread.Activate(*entry), 1);
    ASSERT_TRUE(thread.Poll(FALSE));
    EXPECT_EQ(Texts(Archiv(), kRecordCondition), std::vector<QString>{QStringLiteral("Překročeno maximální napěti (L1,L3)")});
    EXPECT_EQ(CountType(Archiv(), kRecordFull), 1);

    // A configuration error: the text once per poll, no values.
    line.WithInstrument(1, [](Instrument& i) { i.blocks[0x3A][89] = 0x01; });
    ASSERT_TRUE(thread.Poll(FALSE));
    EXPECT_EQ(Texts(Archiv(), kRecordError), std::vector<QString>{QStringLiteral("Chyba konfigurace přístroje.")});
    EXPECT_EQ(DataRecords(), 1);
    EXPECT_EQ(Archiv().HasNewData(), 0);
}

TEST_F(FamilyTest, ControllerStateCodes)
{
    struct Case {
        const char* name;
        std::uint8_t s2;
        const char* text;
        int type;
        bool stored;
        int state; // the archive's state word after the poll
    };
    const Case cases[] = {
        {"start-up", 0x01, mereni_texts::kStartUp, kRecordError, false, 0x11},
        {"recognition", 0x02, mereni_texts::kRecognition, kRecordError, false, 0x12},
        {"manual", 0x4F, mereni_texts::kManual, kRecordCondition, true, 1},
    };
    Start(Instrument(Family::Qorin, 1), CPristroj::kQorin);
    Driven<CQorinMereni> thread(env);
    ASSERT_EQ(thread.Activate(*entry), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        line.WithInstrument(1, [&](Instrument& i) { i.blocks[0x30][32] = c.s2; });
        const int data = DataRecords();
        ASSERT_TRUE(thread.Poll(FALSE));
        EXPECT_EQ(Texts(Archiv(), c.type).back(), QString::fromUtf8(c.text));
        EXPECT_EQ(DataRecords(), data + (c.stored ? 1 : 0));
        EXPECT_EQ(Archiv().HasNewData(), c.state);
    }
    // Manual mode with a voltage outage: the outage text comes first.
    EXPECT_EQ(Texts(Archiv(), kRecordCondition).front(), QString::fromUtf8(mereni_texts::kNoVoltage));
}

TEST_F(FamilyTest, VKQuarterHourRecordIsAskedForWithinItsMinute)
{
    Instrument vk(Family::VK, 1);
    vk.SetVersion(130);
    vk.identification[3] |= 0x04; // the variant with a meter archive
    Start(vk, CPristroj::kVK);
    Driven<CVKMereni> thread(env); // its quarter began at 10:00:00
    ASSERT_EQ(thread.Activate(*entry), 1);
    ASSERT_TRUE(thread.Poll(FALSE)); // settings and identification
    mhost.window = FakeMereniHost::Window::Ignore;
    mhost.waitCapMs = 0;
    auto requests = [&] { return mhost.Sends(platform::WM_QUARTER_HOUR).size(); };

    struct Step {
        int at; // seconds after 10:00:00
        std::size_t requests;
    };
    // Unanswered within the minute: asked again; from 959 s on the quarter
    // is dropped and the next one waits for 10:30.
    const Step steps[] = {{899, 0}, {900, 1}, {958, 2}, {959, 2}, {1700, 2}, {1800, 3}};
    const std::int64_t start = std::int64_t(platform::CTime(2024, 1, 15, 10, 0, 0).GetTime()) * 1000;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.at);
        mhost.nowMs = start + std::int64_t(s.at) * 1000;
        thread.OnIdle(0);
        EXPECT_EQ(requests(), s.requests);
    }
    EXPECT_EQ(mhost.Sends(platform::WM_QUARTER_HOUR).back().lParam, 0);
}
