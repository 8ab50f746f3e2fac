#include "PristrojTestSupport.h"
#include "support/WaitUntil.h"

#include "archive/store/ArchivData.h"
#include "platform/ThreadMessages.h"

#include <chrono>
#include <thread>

using namespace pristrojtest;
using platform::ThreadMessage;

namespace {

std::atomic<int> g_threadsAlive{0};
std::atomic<int> g_entriesGone{0};
// Set by the thread at its end when the test asked it to look at its entry:
// 1 when the entry was still there.
std::atomic<int> g_entryThereAtEnd{-1};

// An entry whose end the test can see.
class CountedPristroj : public CPristroj {
public:
    using CPristroj::CPristroj;
    ~CountedPristroj() override { ++g_entriesGone; }
};

// A measurement thread that answers the entry's messages the way the family
// threads do, and can be held inside a message until released.
class FakeMereni : public CPristrojThread {
public:
    FakeMereni() { ++g_threadsAlive; }
    ~FakeMereni() override
    {
        Stop(platform::Event::kInfinite);
        --g_threadsAlive;
    }

    std::vector<platform::MessageId> Seen()
    {
        std::lock_guard lock(m_lock);
        return m_seen;
    }

    // Messages that wait for `release` before they are handled.
    std::atomic<platform::MessageId> holdOn{0};
    platform::Event release{true, false};
    std::atomic<int> recordFlag{-1};
    std::atomic<int> copiesTaken{0};
    std::atomic<int> blocksSeen{-1};
    // The settings copy becomes the entry's settings, as in the family threads.
    std::atomic<bool> takeCopies{false};
    // At its end the thread looks at its entry once more.
    std::atomic<bool> touchEntryAtEnd{false};

protected:
    void OnMessage(const ThreadMessage& m) override
    {
        {
            std::lock_guard lock(m_lock);
            m_seen.push_back(m.id);
        }
        if (m.id == holdOn.load())
            release.Wait();
        switch (m.id) {
        case platform::WM_DEVICE_ACTIVATE: {
            auto* entry = reinterpret_cast<CPristroj*>(m.wParam);
            m_entry = entry;
            m_archiv = entry->GetArchivData();
            reinterpret_cast<platform::Event*>(m.lParam)->Set();
            break;
        }
        case platform::WM_DEVICE_SETTINGS: {
            std::unique_ptr<CPristroj> copy(reinterpret_cast<CPristroj*>(m.lParam));
            recordFlag = copy->m_zaznamenavat;
            if (takeCopies && m_entry)
                *m_entry = *copy;
            ++copiesTaken;
            reinterpret_cast<platform::Event*>(m.wParam)->Set();
            break;
        }
        case platform::WM_DEVICE_DEACTIVATED:
        case platform::WM_DEVICE_FILE_ERROR:
            reinterpret_cast<platform::Event*>(m.wParam)->Set();
            break;
        case platform::WM_THREAD_END:
            // What a thread still in its last request would touch.
            if (m_archiv)
                blocksSeen = m_archiv->GetBlockRecordCount();
            if (m_entry && touchEntryAtEnd)
                g_entryThereAtEnd = g_entriesGone.load() == 0 && m_entry->m_nazev == QStringLiteral("hala");
            break;
        default:
            break;
        }
    }
    void OnDiscardedMessage(const ThreadMessage& m) override
    {
        if (m.id == platform::WM_DEVICE_SETTINGS)
            delete reinterpret_cast<CPristroj*>(m.lParam);
    }

private:
    std::mutex m_lock;
    std::vector<platform::MessageId> m_seen;
    CArchivData* m_archiv = nullptr;
    CPristroj* m_entry = nullptr;
};

FakeMereni* g_last = nullptr;

using testsupport::WaitUntil;

class ThreadTest : public PristrojTest {
protected:
    void SetUp() override
    {
        PristrojTest::SetUp();
        env->RegisterThreadFactory(CPristroj::kVKT, [](std::shared_ptr<CLinkEnvironment>) {
            auto thread = std::make_unique<FakeMereni>();
            g_last = thread.get();
            return thread;
        });
    }
    ~ThreadTest() override
    {
        // Abandoned threads end on their own; none may outlive the test.
        EXPECT_TRUE(WaitUntil([] { return g_threadsAlive.load() == 0; }));
    }

    // A measuring VKT entry with its thread running.
    std::unique_ptr<CPristroj> StartEntry()
    {
        g_entriesGone = 0;
        std::unique_ptr<CPristroj> entry = std::make_unique<CountedPristroj>(env);
        entry->m_nazev = QStringLiteral("hala");
        entry->SetType(CPristroj::kVKT, TRUE);
        entry->m_zaznamenavat = 0;
        EXPECT_TRUE(entry->StartThread(platform::WM_DEVICE_ACTIVATE));
        EXPECT_EQ(entry->GetThread(), g_last);
        return entry;
    }
};

} // namespace

TEST_F(ThreadTest, SettingsReachTheRunningThreadAsACopyItOwns)
{
    auto entry = StartEntry();
    FakeMereni* thread = g_last;

    entry->PostSettings(TRUE);
    EXPECT_EQ(thread->recordFlag, 1);
    EXPECT_EQ(thread->copiesTaken, 1);
    // The entry itself changes only when the thread takes the settings.
    EXPECT_FALSE(entry->m_zaznamenavat);

    // The same flag again: nothing to send.
    entry->m_zaznamenavat = 1;
    entry->PostSettings(TRUE);
    EXPECT_EQ(thread->copiesTaken, 1);

    // A thread too busy to answer in time still gets a copy that lives
    // until it has taken it.
    host.waitCapMs = 20;
    thread->holdOn = platform::WM_DEVICE_SETTINGS;
    entry->PostSettings(FALSE);
    EXPECT_EQ(host.Waits().back(), CPristroj::kThreadWaitMs);
    thread->release.Set();
    EXPECT_TRUE(WaitUntil([&] { return thread->copiesTaken.load() == 2; }));
    EXPECT_EQ(thread->recordFlag, 0);
    host.waitCapMs = 5000;
}

TEST_F(ThreadTest, ApplyingEditsToAMeasuringEntryGoesThroughTheThread)
{
    auto entry = StartEntry();
    FakeMereni* thread = g_last;
    host.instruments = {entry.get()};
    host.answer = true;

    for (bool modem : {false, true}) {
        host.modemPort = modem ? entry->m_com : QString();
        CPristroj edited(*entry);
        edited.m_intervalMereni = modem ? 7 : 8;
        EXPECT_TRUE(entry->ApplyChanges(nullptr, edited));
        EXPECT_EQ(host.Waits().back(), modem ? CPristroj::kModemSettingsWaitMs : CPristroj::kThreadWaitMs);
        EXPECT_EQ(entry->GetThread(), thread);
    }
    EXPECT_EQ(thread->copiesTaken, 2);

    // Measuring switched off: the thread gets the settings and its end.
    CPristroj edited(*entry);
    edited.m_merit = 0;
    EXPECT_TRUE(entry->ApplyChanges(nullptr, edited));
    EXPECT_EQ(entry->GetThread(), nullptr);
    EXPECT_FALSE(entry->m_merit);
    EXPECT_EQ(host.saves, 3);
}

// A rename reaches the thread with the other settings; what the program
// keeps under the old name is moved at once. A thread too busy to take the
// new name within the wait leaves the entry its old one for a while: what is
// stored is what the thread will take, under the new name, so the old name
// never gets a key again.
TEST_F(ThreadTest, ARenameIsKeptUnderTheNewNameAlsoBeforeTheThreadTakesIt)
{
    auto entry = StartEntry();
    FakeMereni* thread = g_last;
    thread->takeCopies = true;
    host.instruments = {entry.get()};
    host.answer = true;

    CPristroj first(*entry);
    first.m_nazev = QStringLiteral("hala 1");
    EXPECT_TRUE(entry->ApplyChanges(nullptr, first));
    EXPECT_EQ(entry->m_nazev, QStringLiteral("hala 1"));
    ASSERT_EQ(host.renames.size(), 1u);
    EXPECT_EQ(host.renames[0], std::make_pair(QStringLiteral("hala"), QStringLiteral("hala 1")));
    EXPECT_EQ(host.savedNames.back(), QStringLiteral("hala 1"));

    host.waitCapMs = 20;
    thread->holdOn = platform::WM_DEVICE_SETTINGS;
    CPristroj second(*entry);
    second.m_nazev = QStringLiteral("hala 2");
    second.m_intervalMereni = 5;
    EXPECT_TRUE(entry->ApplyChanges(nullptr, second));
    EXPECT_EQ(entry->m_nazev, QStringLiteral("hala 1")) << "not taken yet";
    ASSERT_EQ(host.renames.size(), 2u);
    EXPECT_EQ(host.renames[1], std::make_pair(QStringLiteral("hala 1"), QStringLiteral("hala 2")));
    EXPECT_EQ(host.savedNames.back(), QStringLiteral("hala 2"));
    thread->release.Set();
    EXPECT_TRUE(WaitUntil([&] { return thread->copiesTaken.load() == 2; }));
    host.waitCapMs = 5000;
    EXPECT_EQ(entry->m_nazev, QStringLiteral("hala 2"));
    EXPECT_EQ(entry->m_intervalMereni, 5);

    // Settings without a new name move nothing.
    CPristroj third(*entry);
    third.m_intervalMereni = 7;
    EXPECT_TRUE(entry->ApplyChanges(nullptr, third));
    EXPECT_EQ(host.renames.size(), 2u);
}

TEST_F(ThreadTest, TypeChangeDeactivatesAndEndsTheThread)
{
    auto entry = StartEntry();
    FakeMereni* thread = g_last;
    host.instruments = {entry.get()};
    host.answer = true;

    CPristroj edited(*entry);
    edited.SetType(CPristroj::kVKR, TRUE);
    edited.m_merit = 0;
    std::vector<platform::MessageId> seen;
    {
        // Keep the fake alive to read what it saw: hold its end.
        thread->holdOn = platform::WM_THREAD_END;
        host.waitCapMs = 20;
        EXPECT_TRUE(entry->ApplyChanges(nullptr, edited));
        // The join gave up after its short cap; the thread may not have
        // taken its end from the queue yet on a busy machine.
        EXPECT_TRUE(WaitUntil([&] {
            seen = thread->Seen();
            return !seen.empty() && seen.back() == platform::WM_THREAD_END;
        }));
        thread->release.Set();
    }
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2], platform::WM_DEVICE_DEACTIVATED);
    EXPECT_EQ(seen.back(), platform::WM_THREAD_END);
    EXPECT_EQ(entry->GetThread(), nullptr);
    EXPECT_EQ(entry->GetType(), CPristroj::kVKR);
}

TEST_F(ThreadTest, FileErrorIsHandedToTheThreadOfARecordingEntry)
{
    auto entry = StartEntry();
    FakeMereni* thread = g_last;
    entry->StopOnFileError(); // not recording: nothing to stop
    entry->m_zaznamenavat = 1;
    entry->StopOnFileError();
    const auto seen = thread->Seen();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), platform::WM_DEVICE_FILE_ERROR), 1);
}

TEST_F(ThreadTest, DestructionEndsTheThreadAndWaitsTwentySeconds)
{
    auto entry = StartEntry();
    entry.reset();
    ASSERT_EQ(host.joins.size(), 1u);
    EXPECT_EQ(host.joins[0], CPristroj::kThreadEndWaitMs);
    EXPECT_EQ(g_threadsAlive, 0);
}

TEST_F(ThreadTest, AThreadThatOutlivesItsEntryKeepsTheArchiveItUses)
{
    auto entry = StartEntry();
    FakeMereni* thread = g_last;
    thread->holdOn = platform::WM_THREAD_END;
    host.waitCapMs = 20;
    entry.reset(); // the join times out
    EXPECT_EQ(g_threadsAlive, 1);

    // The thread goes on with the archive after its entry is gone.
    thread->release.Set();
    EXPECT_TRUE(WaitUntil([] { return g_threadsAlive.load() == 0; }));
}

// An entry let go while its thread is still in a request is not freed under
// the thread: the thread takes it along and it goes when the thread ends.
TEST_F(ThreadTest, DisposedEntryLivesUntilAThreadThatEndedLateIsDone)
{
    auto entry = StartEntry();
    FakeMereni* thread = g_last;
    thread->holdOn = platform::WM_THREAD_END;
    thread->touchEntryAtEnd = true;
    g_entryThereAtEnd = -1;
    host.waitCapMs = 20;
    CPristroj::Dispose(std::move(entry)); // the join times out
    EXPECT_EQ(host.joins.back(), CPristroj::kThreadEndWaitMs);
    EXPECT_EQ(g_threadsAlive, 1);
    EXPECT_EQ(g_entriesGone, 0);

    thread->release.Set();
    // The thread's object goes first and the entry it took along after it:
    // wait for both.
    EXPECT_TRUE(WaitUntil([] { return g_threadsAlive.load() == 0 && g_entriesGone.load() == 1; }));
    EXPECT_EQ(g_entryThereAtEnd, 1);
    EXPECT_EQ(g_entriesGone, 1);
}

TEST_F(ThreadTest, DisposedEntryWhoseThreadEndsInTimeGoesAtOnce)
{
    auto entry = StartEntry();
    FakeMereni* thread = g_last;
    CPristroj::Dispose(std::move(entry));
    EXPECT_EQ(g_entriesGone, 1);
    EXPECT_EQ(g_threadsAlive, 0);
    (void)thread;

    // Without a thread there is nothing to wait for.
    CPristroj::Dispose(std::make_unique<CountedPristroj>(env));
    EXPECT_EQ(g_entriesGone, 2);
    CPristroj::Dispose(nullptr);
}

TEST_F(ThreadTest, DestroyingAnEntryWithoutAThreadNeitherPostsNorWaits)
{
    {
        CPristroj entry(env);
        entry.SetType(CPristroj::kVKT, TRUE);
    }
    EXPECT_TRUE(host.joins.empty());
    EXPECT_TRUE(host.Waits().empty());
    EXPECT_EQ(host.sleeps, 0);
}
