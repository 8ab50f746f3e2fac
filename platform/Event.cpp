#include "platform/Event.h"

#include <chrono>

namespace platform {

Event::Event(bool manualReset, bool initiallySet) : m_manualReset(manualReset), m_set(initiallySet) {}

void Event::Set()
{
    // Notified under the lock: a waiter that wakes may destroy the event at
    // once (an event on the waiter's stack), and Set must not touch it after.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = true;
    if (m_manualReset)
        m_cond.notify_all();
    else
        m_cond.notify_one();
}

void Event::Reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

bool Event::Wait(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto signalled = [this] { return m_set; };
    if (timeoutMs < 0) {
        m_cond.wait(lock, signalled);
    } else {
        // steady_clock so that a change of the wall clock neither shortens nor
        // stretches the wait.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        if (!m_cond.wait_until(lock, deadline, signalled))
            return false;
    }
    if (!m_manualReset)
        m_set = false;
    return true;
}

bool Event::IsSet() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_set;
}

} // namespace platform
