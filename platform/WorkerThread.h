#pragma once

#include "platform/Event.h"
#include "platform/ThreadMessages.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

struct ThreadMessage {
    MessageId id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// Process-unique number of a message receiver (a worker thread, or a QObject
// that stands for the application thread, see WindowMessage.h). 0 is never
// given out, and a number is never given out twice, so a post to a receiver
// that has ended fails instead of reaching somebody else.
using ThreadHandle = std::uint32_t;

// Anything that takes thread messages by handle.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // False when the receiver no longer takes messages.
    virtual bool Post(const ThreadMessage& message) = 0;
};

// The registry holds sinks weakly: once the sink is gone, posts fail.
ThreadHandle RegisterMessageSink(const std::shared_ptr<MessageSink>& sink);
void UnregisterMessageSink(ThreadHandle handle);

// Posts to the receiver registered under `thread`; false when there is none
// (never registered, ended, or its queue is closed).
bool PostThreadMessage(ThreadHandle thread, MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

class WorkerQueue;

// A thread with a message queue and an idle hook, in the manner of a
// user-interface thread:
//
//   InitInstance; then, until WM_THREAD_END or a stop request:
//     dispatch every queued message to OnMessage (WM_THREAD_END reaches the
//     handler too, then ends the loop);
//     with the queue empty call OnIdle(0), OnIdle(1), ... while it returns
//     true; when it returns false, sleep until the next message arrives
//     (the count starts at 0 again after a message);
//   messages still queued go to OnDiscardedMessage (so that heap payloads can
//   be freed); ExitInstance.
//
// Ownership: the owner ends the thread with Stop(timeout). A thread is never
// terminated; when Stop times out the owner must not free the object (the
// thread still runs its code and data), it hands it over with
// DeleteWhenFinished() instead, and the thread deletes itself when its loop
// ends. StopOrAbandon() below does both steps for a unique_ptr owner.
// Destroying a thread object that still runs blocks until it ends: derived
// classes whose hooks use their own members stop the thread in their own
// destructor (or their owner does) before those members go.
class WorkerThread {
public:
    WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    virtual ~WorkerThread();

    // Starts the thread; false when it was started before or could not start.
    // Messages posted before Start wait in the queue.
    bool Start();

    // The handle for PostThreadMessage(ThreadHandle, ...), valid from construction.
    ThreadHandle Handle() const { return m_handle; }

    // From any thread; false once the loop has ended.
    bool PostThreadMessage(MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    // Asks the loop to end after the message or idle call in progress, and
    // wakes WaitForMessage. Does not wait.
    void RequestStop();

    // Waits up to timeoutMs (Event::kInfinite: no limit) for the thread to end
    // and joins it. True when it has ended (or was never started); false at
    // once when called on the thread itself.
    bool Join(int timeoutMs);

    // RequestStop + Join. False on time-out; the thread is left running.
    bool Stop(int timeoutMs);

    bool IsRunning() const;
    // ExitInstance's result; -1 when a hook threw.
    int ExitCode() const;

    // Gives up ownership: the object deletes itself when its loop has ended,
    // at once when it has already ended. The caller must not touch it again.
    void DeleteWhenFinished();

protected:
    // Run on the thread before the loop; false skips the loop (ExitInstance still runs).
    virtual bool InitInstance();
    // Run on the thread last; the result is the exit code.
    virtual int ExitInstance();
    virtual void OnMessage(const ThreadMessage& message);
    // Return true to be called again while the queue stays empty.
    virtual bool OnIdle(long count);
    // A message that was queued when the loop ended and was never dispatched.
    virtual void OnDiscardedMessage(const ThreadMessage& message);

    // For idle code: sleeps up to timeoutMs but returns early, with true, as
    // soon as a message is waiting or a stop was requested.
    bool WaitForMessage(int timeoutMs);
    bool StopRequested() const;

private:
    void Run();
    void Loop();

    std::shared_ptr<WorkerQueue> m_queue;
    ThreadHandle m_handle;
    Event m_finished{true, false};

    mutable std::mutex m_lifeMutex;
    std::thread m_thread;
    std::thread::id m_threadId;
    bool m_started = false;
    bool m_ended = false;
    bool m_deleteWhenFinished = false;
    int m_exitCode = 0;
};

// Ends an owned thread within timeoutMs; on time-out hands it over to delete
// itself later. Either way `thread` is empty afterwards. True when it ended.
template <class T>
bool StopOrAbandon(std::unique_ptr<T>& thread, int timeoutMs)
{
    if (!thread)
        return true;
    if (thread->Stop(timeoutMs)) {
        thread.reset();
        return true;
    }
    thread.release()->DeleteWhenFinished();
    return false;
}

} // namespace platform
