#include "platform/Event.h"
#include "platform/ThreadMessages.h"
#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace platform;

namespace {

// Bounds are far above what any of these waits needs; the tests never depend
// on something happening quickly, only on it happening at all.
constexpr int kLongMs = 20000;

constexpr MessageId kWork = WM_APP_NEW_DATA;
constexpr MessageId kBlock = WM_DEVICE_SETTINGS;

// Records what reaches it; kBlock holds the handler until the gate opens.
class RecordingThread : public WorkerThread {
public:
    ~RecordingThread() override { Stop(Event::kInfinite); }

    std::vector<ThreadMessage> handled;
    std::vector<ThreadMessage> discarded;
    std::thread::id initThread, exitThread;
    bool initResult = true;
    Event inHandler{true, false};
    Event gate{true, false};

protected:
    bool InitInstance() override
    {
        initThread = std::this_thread::get_id();
        return initResult;
    }
    int ExitInstance() override
    {
        exitThread = std::this_thread::get_id();
        return 7;
    }
    void OnMessage(const ThreadMessage& message) override
    {
        handled.push_back(message);
        if (message.id == kBlock) {
            inHandler.Set();
            gate.Wait();
        }
    }
    void OnDiscardedMessage(const ThreadMessage& message) override { discarded.push_back(message); }
};

} // namespace

TEST(EventTest, AutoResetReleasesOneWaitPerSet)
{
    Event event(false, true);
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0)) << "a successful wait consumes an auto-reset event";
    event.Set();
    event.Set(); // a second Set before any wait does not count twice
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.IsSet());
}

TEST(EventTest, ManualResetReleasesEveryWaiterUntilReset)
{
    Event event(true, false);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] { released += event.Wait(kLongMs) ? 1 : 0; });
    event.Set();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(released, 3);
    EXPECT_TRUE(event.Wait(0));
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(EventTest, TimedWaitEndsWithoutSignalAndWakesOnSetFromAnotherThread)
{
    Event event;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.Wait(30));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(25));

    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        event.Set();
    });
    EXPECT_TRUE(event.Wait(Event::kInfinite));
    setter.join();
}

TEST(WorkerThreadTest, KeepsEachSendersOrderAcrossThreads)
{
    RecordingThread worker;
    ASSERT_TRUE(worker.PostThreadMessage(kWork, 99, -1)) << "posts before Start wait in the queue";
    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.Start());

    constexpr int kSenders = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&, s] {
            for (int i = 0; i < kEach; ++i) {
                // Half through the handle, half through the object.
                const bool ok = (i % 2) ? PostThreadMessage(worker.Handle(), kWork, s, i)
                                        : worker.PostThreadMessage(kWork, s, i);
                ASSERT_TRUE(ok);
            }
        });
    }
    for (auto& t : senders)
        t.join();
    ASSERT_TRUE(worker.PostThreadMessage(WM_THREAD_END));
    ASSERT_TRUE(worker.Join(kLongMs));

    ASSERT_EQ(worker.handled.size(), 1u + kSenders * kEach + 1u);
    EXPECT_EQ(worker.handled.front().wParam, 99u);
    EXPECT_EQ(worker.handled.back().id, WM_THREAD_END) << "the handler sees WM_THREAD_END too";
    std::vector<std::intptr_t> next(kSenders, 0);
    for (std::size_t i = 1; i + 1 < worker.handled.size(); ++i) {
        const ThreadMessage& m = worker.handled[i];
        ASSERT_LT(m.wParam, std::uintptr_t(kSenders));
        EXPECT_EQ(m.lParam, next[m.wParam]++) << "sender " << m.wParam;
    }
    EXPECT_EQ(worker.initThread, worker.exitThread);
    EXPECT_NE(worker.initThread, std::this_thread::get_id());
    EXPECT_EQ(worker.ExitCode(), 7);
    EXPECT_FALSE(worker.PostThreadMessage(kWork)) << "an ended thread refuses posts";
    EXPECT_FALSE(PostThreadMessage(worker.Handle(), kWork));
}

TEST(WorkerThreadTest, FailedInitSkipsTheLoopButRunsExit)
{
    RecordingThread worker;
    worker.initResult = false;
    worker.PostThreadMessage(kWork);
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.Join(kLongMs));
    EXPECT_TRUE(worker.handled.empty());
    EXPECT_EQ(worker.discarded.size(), 1u);
    EXPECT_EQ(worker.exitThread, worker.initThread);
}

TEST(WorkerThreadTest, MessagesLeftAfterThreadEndAreDiscardedNotLost)
{
    RecordingThread worker;
    ASSERT_TRUE(worker.Start());
    worker.PostThreadMessage(kBlock);
    ASSERT_TRUE(worker.inHandler.Wait(kLongMs));
    worker.PostThreadMessage(WM_THREAD_END);
    worker.PostThreadMessage(kWork, 1);
    worker.PostThreadMessage(kWork, 2);
    worker.gate.Set();
    ASSERT_TRUE(worker.Join(kLongMs));
    ASSERT_EQ(worker.handled.size(), 2u);
    ASSERT_EQ(worker.discarded.size(), 2u);
    EXPECT_EQ(worker.discarded[0].wParam, 1u);
    EXPECT_EQ(worker.discarded[1].wParam, 2u);
}

namespace {

// Idles three times per empty spell, then sleeps until a message comes.
class IdleThread : public WorkerThread {
public:
    ~IdleThread() override { Stop(Event::kInfinite); }

    std::mutex mutex;
    std::vector<long> trace; // idle counts; -1 marks a message
    Event asleep; // auto-reset: once per spell

protected:
    void OnMessage(const ThreadMessage&) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        trace.push_back(-1);
    }
    bool OnIdle(long count) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            trace.push_back(count);
        }
        if (count < 2)
            return true;
        asleep.Set();
        return false;
    }
};

} // namespace

TEST(WorkerThreadTest, IdleHookRunsWhileItAsksAndRestartsCountingAfterAMessage)
{
    IdleThread worker;
    ASSERT_TRUE(worker.Start());
    ASSERT_TRUE(worker.asleep.Wait(kLongMs));
    worker.PostThreadMessage(kWork);
    ASSERT_TRUE(worker.asleep.Wait(kLongMs));
    ASSERT_TRUE(worker.Stop(kLongMs));
    std::lock_guard<std::mutex> lock(worker.mutex);
    EXPECT_EQ(worker.trace, (std::vector<long>{0, 1, 2, -1, 0, 1, 2}));
}

namespace {

// Idle code that sleeps "a long time" the interruptible way.
class SleepyThread : public WorkerThread {
public:
    ~SleepyThread() override { Stop(Event::kInfinite); }

    Event sleeping; // auto-reset: once per idle spell
    std::atomic<int> wakeResult{-1};

protected:
    bool OnIdle(long) override
    {
        sleeping.Set();
        wakeResult = WaitForMessage(10 * 60 * 1000) ? 1 : 0;
        return false;
    }
};

} // namespace

TEST(WorkerThreadTest, InterruptibleIdleWaitEndsOnMessageAndOnStop)
{
    for (const bool byMessage : {true, false}) {
        SCOPED_TRACE(byMessage ? "message" : "stop");
        SleepyThread worker;
        ASSERT_TRUE(worker.Start());
        ASSERT_TRUE(worker.sleeping.Wait(kLongMs));
        if (byMessage) {
            worker.PostThreadMessage(kWork);
            // Asleep again: the ten-minute wait ended early for the message.
            ASSERT_TRUE(worker.sleeping.Wait(kLongMs));
        }
        EXPECT_TRUE(worker.Stop(kLongMs));
        EXPECT_EQ(worker.wakeResult, 1);
    }
}

namespace {

class BusyThread : public WorkerThread {
public:
    explicit BusyThread(std::shared_ptr<Event> gate, std::shared_ptr<Event> destroyed)
        : m_gate(std::move(gate)), m_destroyed(std::move(destroyed))
    {
    }
    ~BusyThread() override
    {
        Stop(Event::kInfinite);
        m_destroyed->Set();
    }

    Event busy{true, false};

protected:
    void OnMessage(const ThreadMessage&) override
    {
        busy.Set();
        m_gate->Wait();
    }

private:
    std::shared_ptr<Event> m_gate;
    std::shared_ptr<Event> m_destroyed;
};

} // namespace

TEST(WorkerThreadTest, StopIsBoundedWhenBusyAndAnAbandonedThreadFreesItself)
{
    auto gate = std::make_shared<Event>(true, false);
    auto destroyed = std::make_shared<Event>(true, false);
    auto worker = std::make_unique<BusyThread>(gate, destroyed);
    ASSERT_TRUE(worker->Start());
    worker->PostThreadMessage(kWork);
    ASSERT_TRUE(worker->busy.Wait(kLongMs));

    EXPECT_FALSE(worker->Stop(20)) << "a busy thread is never killed";
    EXPECT_TRUE(worker->IsRunning());
    const ThreadHandle handle = worker->Handle();

    EXPECT_FALSE(StopOrAbandon(worker, 20));
    EXPECT_EQ(worker, nullptr);
    EXPECT_FALSE(destroyed->IsSet());

    gate->Set(); // the handler returns, the loop sees the stop request
    ASSERT_TRUE(destroyed->Wait(kLongMs)) << "the thread deletes itself when it ends";
    EXPECT_FALSE(PostThreadMessage(handle, kWork));
}

TEST(WorkerThreadTest, AbandoningAnEndedThreadDeletesItAtOnce)
{
    auto gate = std::make_shared<Event>(true, true);
    auto destroyed = std::make_shared<Event>(true, false);
    auto* worker = new BusyThread(gate, destroyed);
    ASSERT_TRUE(worker->Start());
    worker->PostThreadMessage(WM_THREAD_END);
    ASSERT_TRUE(worker->Join(kLongMs));
    worker->DeleteWhenFinished();
    EXPECT_TRUE(destroyed->IsSet());
}

TEST(WorkerThreadTest, UnknownHandlesRefusePosts)
{
    EXPECT_FALSE(PostThreadMessage(0, kWork));
    ThreadHandle handle = 0;
    {
        RecordingThread worker;
        handle = worker.Handle();
        EXPECT_NE(handle, 0u);
        EXPECT_TRUE(PostThreadMessage(handle, kWork));
    }
    EXPECT_FALSE(PostThreadMessage(handle, kWork));
}
