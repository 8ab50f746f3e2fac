#include "platform/WorkerThread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <unordered_map>
#include <utility>

namespace platform {

namespace {

struct SinkRegistry {
    std::mutex mutex;
    std::unordered_map<ThreadHandle, std::weak_ptr<MessageSink>> sinks;
    ThreadHandle last = 0;
};

SinkRegistry& Registry()
{
    // Never destroyed: threads may still post while static objects go away.
    static SinkRegistry* registry = new SinkRegistry;
    return *registry;
}

} // namespace

ThreadHandle RegisterMessageSink(const std::shared_ptr<MessageSink>& sink)
{
    SinkRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    ThreadHandle handle = ++registry.last;
    if (handle == 0) // wrapped after four billion registrations
        handle = ++registry.last;
    registry.sinks[handle] = sink;
    return handle;
}

void UnregisterMessageSink(ThreadHandle handle)
{
    SinkRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.sinks.erase(handle);
}

bool PostThreadMessage(ThreadHandle thread, MessageId id, std::uintptr_t wParam, std::intptr_t lParam)
{
    std::shared_ptr<MessageSink> sink;
    {
        SinkRegistry& registry = Registry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        const auto it = registry.sinks.find(thread);
        if (it == registry.sinks.end())
            return false;
        sink = it->second.lock();
    }
    // Posted outside the registry lock: a sink may take its own locks.
    return sink && sink->Post(ThreadMessage{id, wParam, lParam});
}

// The queue outlives the thread object while a poster still holds it through
// the registry; once closed it refuses every post.
class WorkerQueue : public MessageSink {
public:
    enum class Next { Message, Empty, Stop };

    bool Post(const ThreadMessage& message) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_closed)
                return false;
            m_messages.push_back(message);
        }
        m_cond.notify_all();
        return true;
    }

    Next TryPop(ThreadMessage& message)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stop)
            return Next::Stop;
        if (m_messages.empty())
            return Next::Empty;
        message = m_messages.front();
        m_messages.pop_front();
        return Next::Message;
    }

    // True when a message is waiting or a stop was requested.
    bool Wait(int timeoutMs)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto ready = [this] { return m_stop || !m_messages.empty(); };
        if (timeoutMs < 0) {
            m_cond.wait(lock, ready);
            return true;
        }
        return m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }

    void RequestStop()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_cond.notify_all();
    }

    bool StopRequested() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_stop;
    }

    // Refuses further posts and hands back what was still queued.
    std::deque<ThreadMessage> Close()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        return std::exchange(m_messages, {});
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    std::deque<ThreadMessage> m_messages;
    bool m_stop = false;
    bool m_closed = false;
};

WorkerThread::WorkerThread()
    : m_queue(std::make_shared<WorkerQueue>()), m_handle(RegisterMessageSink(m_queue))
{
}

WorkerThread::~WorkerThread()
{
    UnregisterMessageSink(m_handle);
    // Reached with a joinable thread only when the owner destroys a running
    // thread: wait for it rather than leave it running on freed memory.
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_queue->RequestStop();
        m_thread.join();
    }
    m_queue->Close();
}

bool WorkerThread::Start()
{
    std::lock_guard<std::mutex> lock(m_lifeMutex);
    if (m_started)
        return false;
    try {
        m_thread = std::thread([this] { Run(); });
        m_threadId = m_thread.get_id();
    } catch (const std::system_error&) {
        return false;
    }
    m_started = true;
    return true;
}

bool WorkerThread::PostThreadMessage(MessageId id, std::uintptr_t wParam, std::intptr_t lParam)
{
    return m_queue->Post(ThreadMessage{id, wParam, lParam});
}

void WorkerThread::RequestStop()
{
    m_queue->RequestStop();
}

bool WorkerThread::StopRequested() const
{
    return m_queue->StopRequested();
}

bool WorkerThread::WaitForMessage(int timeoutMs)
{
    return m_queue->Wait(timeoutMs);
}

bool WorkerThread::Join(int timeoutMs)
{
    {
        std::lock_guard<std::mutex> lock(m_lifeMutex);
        if (!m_started || m_ended)
            return true;
        // The thread cannot end while it waits for itself.
        if (m_threadId == std::this_thread::get_id())
            return false;
    }
    if (!m_finished.Wait(timeoutMs))
        return false;
    std::lock_guard<std::mutex> lock(m_lifeMutex);
    if (m_thread.joinable())
        m_thread.join(); // the loop has ended: returns at once
    return true;
}

bool WorkerThread::Stop(int timeoutMs)
{
    RequestStop();
    return Join(timeoutMs);
}

bool WorkerThread::IsRunning() const
{
    std::lock_guard<std::mutex> lock(m_lifeMutex);
    return m_started && !m_ended;
}

int WorkerThread::ExitCode() const
{
    std::lock_guard<std::mutex> lock(m_lifeMutex);
    return m_exitCode;
}

void WorkerThread::DeleteWhenFinished()
{
    {
        std::lock_guard<std::mutex> lock(m_lifeMutex);
        if (m_started && !m_ended) {
            m_deleteWhenFinished = true;
            m_thread.detach();
            return;
        }
    }
    if (m_thread.joinable())
        m_thread.join();
    delete this;
}

bool WorkerThread::InitInstance()
{
    return true;
}

int WorkerThread::ExitInstance()
{
    return 0;
}

void WorkerThread::OnMessage(const ThreadMessage&) {}

bool WorkerThread::OnIdle(long)
{
    return false;
}

void WorkerThread::OnDiscardedMessage(const ThreadMessage&) {}

void WorkerThread::Loop()
{
    long idleCount = 0;
    bool idle = true;
    for (;;) {
        ThreadMessage message;
        switch (m_queue->TryPop(message)) {
        case WorkerQueue::Next::Stop:
            return;
        case WorkerQueue::Next::Message:
            OnMessage(message);
            if (message.id == WM_THREAD_END)
                return;
            idle = true;
            idleCount = 0;
            break;
        case WorkerQueue::Next::Empty:
            if (idle)
                idle = OnIdle(idleCount++);
            else
                m_queue->Wait(Event::kInfinite);
            break;
        }
    }
}

void WorkerThread::Run()
{
    int exitCode = -1;
    try {
        if (InitInstance())
            Loop();
        for (const ThreadMessage& message : m_queue->Close())
            OnDiscardedMessage(message);
        exitCode = ExitInstance();
    } catch (...) {
        // A hook that throws ends this thread only; the owner sees exit code -1.
        m_queue->Close();
    }

    bool deleteSelf = false;
    {
        std::lock_guard<std::mutex> lock(m_lifeMutex);
        m_ended = true;
        m_exitCode = exitCode;
        deleteSelf = m_deleteWhenFinished;
    }
    if (deleteSelf) {
        delete this; // the owner gave the object up and waits for nobody
        return;
    }
    m_finished.Set();
}

} // namespace platform
