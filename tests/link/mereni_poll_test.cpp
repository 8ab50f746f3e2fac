#include "LinkTestSupport.h"
#include "MereniTestSupport.h"

#include "archive/store/ArchivRecord.h"
#include "archive/store/VKArchivImport.h"
#include "link/DownloadImport.h"
#include "link/DownloadRoutines.h"
#include "tools/instrument_sim/SimArchive.h"

#include <QFile>

#include <map>

using namespace mereni_test;
using sim::Family;
using sim::Instrument;

namespace {

// How often each data record's time is in an archive file.
std::map<std::uint32_t, int> DataTimes(const QString& path)
{
    std::map<std::uint32_t, int> times;
    CVKDownloadArchivData reader;
    if (reader.OpenByPath(path) && reader.OpenFirstBlock()) {
        do {
            for (const CArchivRecord& record : reader.CurrentBlock())
                if (record.IsData())
                    ++times[record.time];
        } while (reader.ReadNextBlock());
    }
    return times;
}

class PollTest : public MereniTest, public linktest::SimLine {
protected:
    void SetUp() override
    {
        MereniTest::SetUp();
        env->SetLinkManager(&manager);
        CMereni::RegisterFactories(*env);
    }
    ~PollTest() override { env->SetLinkManager(nullptr); }

    // A VK analyser that gives measured values.
    static Instrument Analyser()
    {
        Instrument analyser(Family::VK, 1);
        analyser.SetVersion(130);
        return analyser;
    }
    // The analyser on the line records until `records` data records are in
    // its file; then the clock stands at the next block hand-over, and a
    // settings round trip lets that hand-over end: no poll falls due from
    // here on.
    void RecordThenStand(std::unique_ptr<CPristroj>& entry, std::size_t records,
                         const Instrument& analyser = Analyser())
    {
        StartLine({analyser}, 0);
        mhost.autoAdvance = true;
        entry = MakeEntry(CPristroj::kVK, port);
        ASSERT_TRUE(entry->StartThread(platform::WM_DEVICE_ACTIVATE_RECORD));
        ASSERT_EQ(entry->m_merit, 1) << entry->GetErrorText().toStdString();
        const QString file = entry->GetArchivData()->GetFilePath();
        ASSERT_TRUE(WaitFor([&] { return DataTimes(file).size() >= records; }));
        mhost.standAtHandOver = true;
        ASSERT_TRUE(WaitFor([&] { return !mhost.autoAdvance; }));
        ASSERT_TRUE(entry->PostSettings(1, true));
    }
};

struct FamilyCase {
    const char* name;
    Family family;
    int type;
    std::function<void(Instrument&)> prepare;
};

// The program's side of a merge into the file of a recording instrument.
class RecordedFileImportHost : public IDownloadImportHost {
public:
    RecordedFileImportHost(CPristroj& live, linktest::PortLog& line) : m_live(live), m_line(line) {}
    void ShowError(const QString& text, const QString& caption) override { errors.push_back(caption + ": " + text); }
    void OpenArchiveFile(const QString&) override {}
    CPristroj* FindDevice(const QString&) override { return &m_live; }
    // Called for the downloaded records' archive, then for the recorded
    // file once the recording is paused: how the recording stood then and
    // whether its thread was asking the instrument.
    void PrepareArchive(CArchivData&) override
    {
        if (++m_prepared < 2)
            return;
        pausedRecording = m_live.m_zaznamenavat == 0;
        instrumentAsked = m_line.HeldWrites() > 0;
    }

    std::vector<QString> errors;
    bool pausedRecording = false;
    bool instrumentAsked = false;

private:
    CPristroj& m_live;
    linktest::PortLog& m_line;
    int m_prepared = 0;
};

// Controller state "regulating" (S2 code 6) at the values' offset.
std::function<void(Instrument&)> Regulating(std::size_t offset)
{
    return [offset](Instrument& i) { i.blocks[0x30][offset] = 6; };
}

} // namespace

// One instrument of each family on a simulated line: activation reads, polls
// that queue measurement records, a finished block handed to the main
// window, whose event the thread waits for, and the block in the file.
TEST_F(PollTest, EachFamilyPollsQueuesAndHandsOverItsBlocks)
{
    const FamilyCase cases[] = {
        {"Qorin", Family::Qorin, CPristroj::kQorin, Regulating(32)},
        {"Duskar", Family::Duskar, CPristroj::kDuskar, Regulating(56)},
        {"VK", Family::VK, CPristroj::kVK, [](Instrument& i) { i.SetVersion(130); }},
        {"VKR", Family::VKR, CPristroj::kVKR, [](Instrument& i) { i.blocks[0x3A][89] = 0; }}, // no state bits
        {"VKT", Family::VKT, CPristroj::kVKT, [](Instrument&) {}},
    };
    for (const FamilyCase& c : cases) {
        SCOPED_TRACE(c.name);
        Instrument instrument(c.family, 1);
        c.prepare(instrument);
        sim::PtySimulator simulated;
        simulated.AddInstrument(instrument);
        std::string error;
        ASSERT_TRUE(simulated.Start(error)) << error;
        const QString path = QString::fromStdString(simulated.SlavePath());
        ports.Add(path, 0);

        mhost.Clear();
        mhost.autoAdvance = true;
        auto entry = MakeEntry(c.type, path);
        ASSERT_TRUE(entry->StartThread(platform::WM_DEVICE_ACTIVATE_RECORD));
        ASSERT_EQ(entry->m_merit, 1) << entry->GetErrorText().toStdString();
        CArchivData& archiv = *entry->GetArchivData();

        // Sent, and the thread waited for the main window's answer. The
        // send itself is awaited: a VKT's quarter-hour meter reading also
        // waits 2 s, and a run that crosses a quarter hour of the wall
        // clock sees that wait first.
        ASSERT_TRUE(WaitFor([&] {
            if (mhost.Sends(platform::WM_DATA_READY).empty())
                return false;
            const auto waits = mhost.Waits();
            return std::find(waits.begin(), waits.end(), CMereni::kHandOverWaitMs) != waits.end();
        }));
        const auto handed = mhost.Sends(platform::WM_DATA_READY);
        ASSERT_FALSE(handed.empty());
        EXPECT_EQ(handed[0].wParam, reinterpret_cast<std::uintptr_t>(entry.get()));
        EXPECT_GE(handed[0].lParam, 1);
        EXPECT_GT(mhost.CountPosted(platform::WM_APP_NEW_DATA), 0);
        EXPECT_NE(archiv.GetNewestDataTime().GetTime(), 0U);
        EXPECT_EQ(CountType(archiv, kRecordError), 0) << (Texts(archiv, kRecordError).empty() ? std::string() : Texts(archiv, kRecordError)[0].toStdString());
        EXPECT_TRUE(QFile::exists(archiv.GetFilePath())) << archiv.GetFilePath().toStdString();

        entry.reset();
        mhost.autoAdvance = false;
        simulated.Stop();
    }
}

TEST_F(PollTest, SilentInstrumentWithGiveUpLeavesTheEntryInactive)
{
    StartLine({Instrument(Family::Qorin, 1)}, 0);
    line.SetFaults(sim::Faults{true}, 1000);
    auto entry = MakeEntry(CPristroj::kQorin, port);
    ASSERT_TRUE(entry->StartThread(platform::WM_DEVICE_ACTIVATE_RECORD_SYNC));
    EXPECT_EQ(entry->m_merit, 0);
    // Three tries of the settings read: 1 + 3 + 5 on top of the start value.
    auto* thread = dynamic_cast<CMereni*>(entry->GetThread());
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->GetFailScore(), 10);
}

// The main thread pauses a recording (to merge a download into its file)
// and waits for the thread meanwhile, so it takes no hand-over: the thread
// writes its last block itself rather than waiting for the main window,
// every record reaches the file before the main thread goes on, and after
// the resumption the recording goes on in the same file, one record per
// measuring interval. It resumes two seconds before a boundary of its
// 20-second blocks, when the block begun has no poll instant left.
TEST_F(PollTest, PausedRecordingWritesItsLastBlockWhileTheMainThreadWaits)
{
    std::unique_ptr<CPristroj> entry;
    ASSERT_NO_FATAL_FAILURE(RecordThenStand(entry, 4));
    CArchivData& archiv = *entry->GetArchivData();
    const QString file = archiv.GetFilePath();
    mhost.window = FakeMereniHost::Window::Ignore;
    const std::size_t handed = mhost.Sends(platform::WM_DATA_READY).size();
    // The records of the block being filled and of those not yet written.
    std::vector<std::uint32_t> measured;
    for (const CArchivRecord& record : ListsAccess::All(archiv))
        if (record.IsData())
            measured.push_back(record.time);

    ASSERT_TRUE(entry->PostSettings(0));
    EXPECT_EQ(entry->m_zaznamenavat, 0);
    EXPECT_EQ(mhost.Sends(platform::WM_DATA_READY).size(), handed);
    EXPECT_EQ(archiv.GetQueuedBlockCount(), 0);
    const std::map<std::uint32_t, int> paused = DataTimes(file);
    for (std::uint32_t time : measured)
        EXPECT_EQ(paused.count(time), 1u) << time;
    for (const auto& [time, count] : paused)
        EXPECT_EQ(count, 1) << time;

    // Resumed: new records after the kept ones, in the same file.
    const std::int64_t pausedAt = mhost.nowMs / 1000;
    const std::int64_t resumedAt = pausedAt + 40 - (pausedAt + 2) % 20;
    mhost.nowMs = resumedAt * 1000;
    mhost.window = FakeMereniHost::Window::Take;
    ASSERT_TRUE(entry->PostSettings(1));
    mhost.autoAdvance = true;
    ASSERT_TRUE(WaitFor([&] { return DataTimes(file).size() >= paused.size() + 4; }));
    EXPECT_EQ(archiv.GetFilePath(), file);
    const std::map<std::uint32_t, int> resumed = DataTimes(file);
    for (const auto& [time, count] : resumed)
        EXPECT_EQ(count, 1) << time;
    for (const auto& [time, count] : paused)
        EXPECT_EQ(resumed.count(time), 1u) << time;
    std::int64_t previous = resumedAt;
    for (auto it = resumed.lower_bound(std::uint32_t(resumedAt)); it != resumed.end(); ++it) {
        EXPECT_GE(std::int64_t(it->first) - previous, entry->m_intervalMereni / 2) << it->first;
        previous = it->first;
    }
    entry.reset();
}

// A download merged into the file the analyser records into: the recording
// pauses while the merge runs. The instrument answers nothing until the
// merge is over, and the merge goes ahead all the same: the recorder
// confirms the pause once its file is closed and the resumption once it is
// open again, and asks the instrument only then. Every record, downloaded
// or recorded, is in the file once, and the recording goes on in it.
TEST_F(PollTest, MergePausesTheRecordingWithoutWaitingForTheInstrument)
{
    Instrument analyser = Analyser();
    sim::RecordVKVoltagesAndCurrents(analyser);
    analyser.FillArchive(0, 50, 12, 80);
    // The newest of the instrument's records two seconds before the
    // recording starts, the others a minute apart before it.
    CPrevodTyp::TimeToBcd(analyser.blocks[0x14].data() + 28, CTime(2024, 1, 15, 10, 0, 0));
    std::unique_ptr<CPristroj> entry;
    ASSERT_NO_FATAL_FAILURE(RecordThenStand(entry, 2, analyser));
    const QString file = entry->GetArchivData()->GetFilePath();

    CDownloadJob job;
    job.m_pristroj = *entry;
    job.m_tempPath = dir.filePath(QStringLiteral("temp100002.tmp"));
    DownloadVKArchiveProc(&job);
    ASSERT_EQ(job.m_result, kDownloadOk);

    RecordedFileImportHost host(*entry, log);
    log.HoldWrites();
    CDownloadTarget target;
    target.mode = 1;
    target.existingFile = file;
    EXPECT_EQ(ImportVKArchive(job, target, host), kImportDone);
    EXPECT_TRUE(host.errors.empty()) << host.errors.front().toStdString();
    EXPECT_TRUE(host.pausedRecording);
    EXPECT_FALSE(host.instrumentAsked);
    EXPECT_EQ(entry->m_zaznamenavat, 1);
    // Resumed, not merely told to: the recording's start is queued.
    const std::vector<QString> states = Texts(*entry->GetArchivData(), kRecordState);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), QStringLiteral("Začátek záznamu dat.(10 s)"));
    log.ReleaseWrites();

    const std::map<std::uint32_t, int> merged = DataTimes(file);
    for (const auto& [time, count] : merged)
        EXPECT_EQ(count, 1) << time;
    EXPECT_EQ(merged.count(std::uint32_t(CTime(2024, 1, 15, 9, 11, 0).GetTime())), 1u);
    EXPECT_EQ(merged.count(std::uint32_t(CTime(2024, 1, 15, 10, 0, 0).GetTime())), 1u);
    mhost.autoAdvance = true;
    ASSERT_TRUE(WaitFor([&] { return DataTimes(file).size() >= merged.size() + 2; }));
    EXPECT_EQ(entry->GetArchivData()->GetFilePath(), file);
    entry.reset();
}

// Pausing and resuming a recording while its instrument is slow to answer
// (here: not at all until let): both are confirmed at once, because the
// thread takes the resumption before it asks the instrument anything; its
// read of the instrument after a resumption comes only once the resumption
// is confirmed, so whoever resumed does not wait it out.
TEST_F(PollTest, ResumptionIsTakenBeforeTheInstrumentIsAskedAgain)
{
    std::unique_ptr<CPristroj> entry;
    ASSERT_NO_FATAL_FAILURE(RecordThenStand(entry, 2));
    CArchivData& archiv = *entry->GetArchivData();
    const QString file = archiv.GetFilePath();

    // Both are confirmed although no request gets an answer: the thread
    // has not begun a read before it took the resumption.
    log.HoldWrites();
    ASSERT_TRUE(entry->PostSettings(0));
    ASSERT_TRUE(entry->PostSettings(1));
    const std::vector<QString> states = Texts(archiv, kRecordState);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back(), QStringLiteral("Začátek záznamu dat.(10 s)"));
    // Then the instrument is asked again.
    EXPECT_TRUE(WaitFor([&] { return log.HeldWrites() > 0; }));

    log.ReleaseWrites();
    const std::size_t before = DataTimes(file).size();
    mhost.autoAdvance = true;
    ASSERT_TRUE(WaitFor([&] { return DataTimes(file).size() >= before + 2; }));
    EXPECT_EQ(archiv.GetFilePath(), file);
    entry.reset();
}
