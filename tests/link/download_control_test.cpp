// The scheduled-download thread against a simulated analyser, with the test
// playing the application (temporary name, import) and a clock of its own:
// the most overdue task runs, its records since the last download reach the
// file, and an instrument that cannot be reached is given up.
#include "DownloadTestSupport.h"
#include "support/DownloadControlSupport.h"
#include "support/WaitUntil.h"

#include "link/DownloadControl.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKStatus.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

using namespace downloadtest;
using sim::Family;

namespace {

// The application: the messages it got, in order, and the time.
class TestApplication : public IDownloadControlHost {
public:
    struct Message {
        platform::MessageId id = 0;
        std::int64_t time = 0;
        int task = -1;
    };

    void PostMakeTempName(int taskIndex) override { Push({platform::WM_APP_MAKE_TEMP_NAME, 0, taskIndex}); }
    // The import runs when the message arrives: the thread re-posts the
    // message every 50 idle pauses until it has run.
    void PostDownloadedFile(CTime newest, int taskIndex) override
    {
        const Message m{platform::WM_APP_DOWNLOADED_FILE, std::int64_t(newest.GetTime()), taskIndex};
        if (onDownloaded)
            onDownloaded(m);
        Push(m);
    }
    CTime Now() override { return CTime(now.load()); }

    // The next message, or none within a generous bound.
    bool Next(Message& out)
    {
        std::unique_lock lock(m_lock);
        if (!m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return !m_queue.empty(); }))
            return false;
        out = m_queue.front();
        m_queue.pop_front();
        return true;
    }

    std::atomic<CTime::time_type> now{0};
    std::function<void(const Message&)> onDownloaded;

private:
    void Push(const Message& m)
    {
        {
            std::lock_guard lock(m_lock);
            m_queue.push_back(m);
        }
        m_changed.notify_all();
    }
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Message> m_queue;
};

class ControlTest : public DownloadTest {
protected:
    void TearDown() override
    {
        testsupport::EndDownloadControl(control);
        DownloadTest::TearDown();
    }

    // A recording VK analyser with 80 records a minute apart in a ring of 50
    // (records 30 to 79 kept); the newest record's time.
    CTime StartVKWithRecords()
    {
        StartAnalyser(Family::VK);
        SetVKRecording();
        Fill(50, 12, 80);
        const CTime newest(2024, 1, 15, 10, 0, 0);
        line.WithInstrument(1, [&](sim::Instrument& i) { CPrevodTyp::TimeToBcd(i.blocks[0x14].data() + 28, newest); });
        return newest;
    }
    // The run ends with the task up to date and nothing counted against it.
    void ExpectDoneWithoutFailure(CTask& task, CTime newest)
    {
        ASSERT_TRUE(WaitFor([&] { return !task.m_running; }));
        std::lock_guard list(tasks.ListLock());
        EXPECT_EQ(task.m_lastTime, newest);
        EXPECT_EQ(task.m_failures, 0);
        EXPECT_EQ(task.m_error, 0);
    }
    CTask* AddTask(const QString& instrument, CTime lastRun)
    {
        CTask* task = tasks.Add();
        task->m_active = 1;
        task->m_pristroj = instrument;
        task->m_interval = 0; // 8 h
        task->m_lastTime = lastRun;
        return task;
    }
    // The application's answer to WM_APP_MAKE_TEMP_NAME.
    void GiveCopy(const CPristroj& source)
    {
        std::lock_guard outer(tasks.OuterLock());
        if (!tasks.m_downloadCopy) {
            tasks.m_downloadCopy = std::make_unique<CPristroj>(source);
            tasks.m_tempName = tempPath;
        }
    }
    // The application takes each finished file: `file` gets what it held.
    void ImportInto(DownloadFileContent& file)
    {
        app.onDownloaded = [this, &file](const TestApplication::Message&) {
            file = ReadVKFile(tempPath);
            std::lock_guard outer(tasks.OuterLock());
            tasks.m_downloadImported = true;
            tasks.m_downloadCopy.reset();
        };
    }
    // Starts the control and answers its first message, the request for a
    // temporary name, as the application does, with a copy of `source`
    // (the instrument on the line when none is given).
    TestApplication::Message StartAndGiveCopy(const CPristroj* source = nullptr)
    {
        control = std::make_unique<testsupport::QuickDownloadControl>(tasks, app, std::chrono::milliseconds(0));
        EXPECT_TRUE(control->Start());
        TestApplication::Message m;
        EXPECT_TRUE(app.Next(m));
        EXPECT_EQ(m.id, platform::WM_APP_MAKE_TEMP_NAME);
        GiveCopy(source ? *source : *entry);
        return m;
    }
    template <class Pred>
    bool WaitFor(Pred done)
    {
        // Bounded by real time, not by a count of short sleeps, and long
        // enough for a thread starved by a busy machine.
        return testsupport::WaitUntil(
            [&] {
                std::lock_guard list(tasks.ListLock());
                return done();
            },
            120000);
    }

    CTaskList tasks;
    TestApplication app;
    std::unique_ptr<testsupport::QuickDownloadControl> control;
};

TEST_F(ControlTest, MostOverdueTaskBringsItsNewRecords)
{
    const CTime newest = StartVKWithRecords();
    const CTime lastRun(newest.GetTime() - 9 * 60); // the time of record 70
    // 300 s overdue; once the records up to 79 are in, no longer due.
    app.now = lastRun.GetTime() + 8 * 3600 + 300;
    AddTask(QStringLiteral("Jiný"), CTime(lastRun.GetTime() + 200)); // due, but less overdue
    CTask* task = AddTask(entry->m_nazev, lastRun);
    DownloadFileContent file;
    ImportInto(file);
    TestApplication::Message m = StartAndGiveCopy();
    EXPECT_EQ(m.task, task->m_index);
    do
        ASSERT_TRUE(app.Next(m));
    while (m.id == platform::WM_APP_MAKE_TEMP_NAME);
    ASSERT_EQ(m.id, platform::WM_APP_DOWNLOADED_FILE);
    EXPECT_EQ(m.task, task->m_index);
    EXPECT_EQ(m.time, std::int64_t(newest.GetTime()));
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(file.numbers, Range(70, 79));

    ExpectDoneWithoutFailure(*task, newest);
}

// A task last run after the instrument's newest record (the instrument's
// clock behind the computer's, or a task made while it did not record)
// fetches the newest record again, never the ring's oldest one dated after
// the newest.
TEST_F(ControlTest, LastRunAfterTheNewestRecordFetchesOnlyTheNewestAgain)
{
    const CTime newest = StartVKWithRecords();
    const CTime lastRun(newest.GetTime() + 60);
    app.now = lastRun.GetTime() + 8 * 3600 + 300;
    AddTask(entry->m_nazev, lastRun);
    DownloadFileContent file;
    ImportInto(file);
    TestApplication::Message m = StartAndGiveCopy();
    do
        ASSERT_TRUE(app.Next(m));
    while (m.id == platform::WM_APP_MAKE_TEMP_NAME);
    ASSERT_EQ(m.id, platform::WM_APP_DOWNLOADED_FILE);
    EXPECT_EQ(m.time, std::int64_t(newest.GetTime()));
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(file.numbers, Range(79, 79));
}

// An application busy with a dialog takes the finished file only after many
// reminders; waiting for it is no failure, and the task ends with its records.
TEST_F(ControlTest, FileTakenLateAfterManyRepostsStillCompletesTheTask)
{
    const CTime newest = StartVKWithRecords();
    const CTime lastRun(newest.GetTime() - 9 * 60);
    app.now = lastRun.GetTime() + 8 * 3600 + 300;
    CTask* task = AddTask(entry->m_nazev, lastRun);
    constexpr int kBusyPosts = 2 * CTaskList::kRetryLimit;
    std::atomic<int> posts{0};
    app.onDownloaded = [&](const TestApplication::Message&) {
        if (++posts <= kBusyPosts)
            return;
        std::lock_guard outer(tasks.OuterLock());
        tasks.m_downloadImported = true;
        tasks.m_downloadCopy.reset();
    };
    StartAndGiveCopy();

    ExpectDoneWithoutFailure(*task, newest);
    EXPECT_GT(posts.load(), kBusyPosts);
}

// The application took the file but could not import it: the task keeps
// its last download (the next run fetches the same records) and the run
// counts as failed.
TEST_F(ControlTest, FailedImportLeavesTheTasksLastDownload)
{
    const CTime newest = StartVKWithRecords();
    const CTime lastRun(newest.GetTime() - 9 * 60);
    app.now = lastRun.GetTime() + 8 * 3600 + 300;
    CTask* task = AddTask(entry->m_nazev, lastRun);
    std::atomic<int> handOvers{0};
    app.onDownloaded = [&](const TestApplication::Message&) {
        std::lock_guard outer(tasks.OuterLock());
        if (tasks.m_downloadCopy)
            ++handOvers;
        tasks.m_downloadCopy.reset(); // not imported
    };
    StartAndGiveCopy();

    ASSERT_TRUE(WaitFor([&] {
        std::lock_guard list(tasks.ListLock());
        return handOvers.load() > 0 && task->m_failures > 0;
    }));
    std::lock_guard list(tasks.ListLock());
    EXPECT_EQ(task->m_lastTime, lastRun);
}

TEST_F(ControlTest, UnreachableInstrumentIsGivenUpAfterSixFailures)
{
    StartAnalyser(Family::VK);
    CPristroj away(*entry);
    away.m_com = QStringLiteral("/dev/qorin-none");
    const CTime lastRun(2024, 1, 15, 1, 0, 0);
    app.now = lastRun.GetTime() + 9 * 3600;
    CTask* task = AddTask(entry->m_nazev, lastRun);
    StartAndGiveCopy(&away);
    ASSERT_TRUE(WaitFor([&] { return task->m_error != 0; }));
    ASSERT_TRUE(WaitFor([&] { return !task->m_running; }));
    std::lock_guard outer(tasks.OuterLock()); // outer before list
    std::lock_guard list(tasks.ListLock());
    EXPECT_EQ(task->m_lastTime, lastRun);
    EXPECT_EQ(task->m_penInterval, 28800 / 3);
    EXPECT_FALSE(QFile::exists(tempPath));
    EXPECT_EQ(tasks.m_downloadCopy, nullptr);
}

TEST_F(ControlTest, TaskRemovedWhileItRunsEndsItsRun)
{
    StartAnalyser(Family::VK);
    SetVKRecording();
    Fill(50, 12, 80);
    app.now = CTime(2024, 1, 15, 10, 0, 0).GetTime();
    const int index = AddTask(entry->m_nazev, CTime(app.now.load() - 9 * 3600))->m_index;
    // The task manager removes the task while the thread reads the status.
    line.WithInstrument(1, [&](sim::Instrument& i) {
        i.SetCommand(0x14, [&, read = sim::ReadBlock(0x14)](sim::Instrument& self, const sim::Frame& frame) {
            tasks.Remove(index);
            return read(self, frame);
        });
    });
    StartAndGiveCopy();
    bool freed = false;
    for (int i = 0; i < 30000 && !freed; ++i) {
        {
            std::lock_guard outer(tasks.OuterLock());
            freed = tasks.m_downloadCopy == nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(freed);
    EXPECT_FALSE(QFile::exists(tempPath));
    std::lock_guard list(tasks.ListLock());
    EXPECT_TRUE(tasks.m_tasks.empty());
}

TEST(TaskDue, OverdueSecondsFollowTheTaskKind)
{
    struct Case {
        const char* name;
        int interval;
        BOOL synch;
        CTime lastRun;
        CTime synchTime;
        int synchDay;
        CTime dueAt;
    };
    const CTime six(2024, 1, 1, 6, 0, 0);
    const Case cases[] = {
        {"daily", 2, 0, CTime(2024, 3, 10, 10, 0, 0), CTime(), 0, CTime(2024, 3, 11, 10, 0, 0)},
        {"daily at 06:00", 2, 1, CTime(2024, 3, 10, 15, 0, 0), six, 0, CTime(2024, 3, 11, 6, 0, 0)},
        {"two days from an even day", 3, 1, CTime(2024, 3, 10, 15, 0, 0), six, 0, CTime(2024, 3, 11, 6, 0, 0)},
        {"weekly on Monday", 4, 1, CTime(2024, 3, 13, 15, 0, 0), six, 0, CTime(2024, 3, 18, 6, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTaskList list;
        CTask* task = list.Add();
        task->m_active = 1;
        task->m_interval = c.interval;
        task->m_synch = c.synch;
        task->m_lastTime = c.lastRun;
        task->m_synchTime = c.synchTime;
        task->m_synchDay = c.synchDay;
        EXPECT_EQ(list.DueSeconds(*task, c.dueAt), 0);
        EXPECT_EQ(list.DueSeconds(*task, CTime(c.dueAt.GetTime() + 1800)), 1800);
        task->m_active = 0;
        EXPECT_EQ(list.DueSeconds(*task, CTime(c.dueAt.GetTime() + 1800)), 0);
        list.RunNow(task->m_index);
        EXPECT_EQ(list.DueSeconds(*task, c.dueAt), -1);
    }
}

} // namespace

namespace {

TEST_F(ControlTest, TaskListRoundTripsThroughTheSettings)
{
    platform::Settings settings;
    settings.WriteProfileInt({QStringLiteral("tasks"), QStringLiteral("X1")}, QStringLiteral("index"), 7);
    CTask* kept = tasks.Add();
    kept->m_active = 1;
    kept->m_pristroj = QStringLiteral("Hala č. 2");
    kept->m_lastTime = CTime(2024, 1, 15, 10, 0, 0);
    kept->m_interval = 4;
    kept->m_penInterval = 9600;
    const int removed = tasks.Add()->m_index;
    tasks.Save(settings);
    tasks.Remove(removed);
    tasks.Save(settings);

    CTaskList loaded;
    loaded.Load(settings);
    ASSERT_EQ(loaded.m_tasks.size(), 1u);
    const CTask& task = *loaded.m_tasks.front();
    EXPECT_EQ(task.m_index, kept->m_index);
    EXPECT_EQ(task.m_pristroj, kept->m_pristroj);
    EXPECT_EQ(task.m_lastTime, kept->m_lastTime);
    EXPECT_EQ(task.m_interval, 4);
    EXPECT_EQ(task.m_penInterval, 9600);
    EXPECT_EQ(loaded.m_nextIndex, 2);
    EXPECT_EQ(settings.GetProfileInt({QStringLiteral("tasks"), QStringLiteral("X1")}, QStringLiteral("index"), 0), 7);
}

} // namespace
