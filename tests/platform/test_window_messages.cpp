#include "platform/Event.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using namespace platform;

namespace {

constexpr int kLongMs = 20000;

// A GUI-thread object that takes private messages by id.
class Receiver : public QObject, public MessageDispatcher {
public:
    Receiver()
    {
        SetMessageHandler(WM_DATA_READY, [this](std::uintptr_t w, std::intptr_t l) {
            got.push_back({WM_DATA_READY, w, l});
            onGuiThread = onGuiThread && QObject::thread() == QThread::currentThread();
            // The hand-over: the sender waits on the event passed in wParam.
            if (auto* event = reinterpret_cast<Event*>(w))
                event->Set();
            return std::intptr_t(0);
        });
        SetMessageHandler(WM_DIAL_QUERY_CANCEL, [this](std::uintptr_t, std::intptr_t l) {
            got.push_back({WM_DIAL_QUERY_CANCEL, 0, l});
            return l * 2;
        });
    }

    bool event(QEvent* e) override { return DispatchMessageEvent(e) || QObject::event(e); }

    std::vector<ThreadMessage> got;
    bool onGuiThread = true;
};

// Runs `work` on another thread while this (the GUI) thread keeps its event
// loop turning, as the application does while measurement threads hand over.
template <class Work>
void RunBesideEventLoop(Work work)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLongMs);
    while (!done && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    QCoreApplication::processEvents();
}

} // namespace

TEST(WindowMessageTest, PostWaitsForTheEventLoopButSendOnTheSameThreadIsImmediate)
{
    Receiver receiver;
    ASSERT_TRUE(PostMessageTo(&receiver, WM_DATA_READY, 0, 1));
    EXPECT_TRUE(receiver.got.empty());
    ASSERT_TRUE(SendNotifyMessageTo(&receiver, WM_DATA_READY, 0, 2));
    ASSERT_EQ(receiver.got.size(), 1u);
    EXPECT_EQ(receiver.got[0].lParam, 2);

    EXPECT_EQ(SendMessageTo(&receiver, WM_DIAL_QUERY_CANCEL, 0, 21), 42);

    QCoreApplication::processEvents();
    ASSERT_EQ(receiver.got.size(), 3u);
    EXPECT_EQ(receiver.got[2].lParam, 1) << "the posted message arrives last";

    EXPECT_FALSE(PostMessageTo(nullptr, WM_DATA_READY));
    EXPECT_FALSE(SendNotifyMessageTo(nullptr, WM_DATA_READY));
    std::intptr_t result = -1;
    EXPECT_FALSE(SendMessageTimeoutTo(&receiver, WM_FIND_DEVICE, 0, 0, 0, &result)) << "no handler for the id";
    EXPECT_EQ(result, 0);
}

TEST(WindowMessageTest, HandOverFromAWorkerThreadRunsOnTheGuiThread)
{
    Receiver receiver;
    std::vector<bool> handedOver;
    std::intptr_t answer = 0;
    bool unhandled = true;
    RunBesideEventLoop([&] {
        for (int i = 0; i < 3; ++i) {
            Event done; // auto-reset, as an instrument's event
            SendNotifyMessageTo(&receiver, WM_DATA_READY, reinterpret_cast<std::uintptr_t>(&done), i);
            handedOver.push_back(done.Wait(kLongMs));
        }
        answer = SendMessageTo(&receiver, WM_DIAL_QUERY_CANCEL, 0, 5);
        unhandled = SendMessageTimeoutTo(&receiver, WM_FIND_DEVICE, 0, 0, kLongMs);
    });
    EXPECT_EQ(handedOver, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(receiver.onGuiThread);
    EXPECT_EQ(answer, 10);
    EXPECT_FALSE(unhandled) << "a message nobody handles still completes the send";
}

TEST(WindowMessageTest, CrossThreadSendTimesOutWhenTheEventLoopDoesNotRun)
{
    Receiver receiver;
    bool delivered = true;
    std::thread worker([&] { delivered = SendMessageTimeoutTo(&receiver, WM_DIAL_QUERY_CANCEL, 0, 1, 50); });
    worker.join();
    EXPECT_FALSE(delivered);
    // Handled late, after the sender gave up: nothing of the sender is touched.
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.got.size(), 1u);
}

TEST(WindowMessageTest, QObjectReachableByThreadHandleUntilItsReceiverGoes)
{
    Receiver target;
    ThreadHandle handle = 0;
    {
        ThreadMessageReceiver receiver(&target);
        handle = receiver.Handle();
        bool posted = false;
        RunBesideEventLoop([&] { posted = PostThreadMessage(handle, WM_DATA_READY, 0, 77); });
        EXPECT_TRUE(posted);
        ASSERT_EQ(target.got.size(), 1u);
        EXPECT_EQ(target.got[0].lParam, 77);
    }
    EXPECT_FALSE(PostThreadMessage(handle, WM_DATA_READY));
}
