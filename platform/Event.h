#pragma once

#include <condition_variable>
#include <mutex>

namespace platform {

// A signalled/non-signalled flag that threads wait on, with the semantics of
// a system event object:
// - manual reset: Set releases every waiter and stays signalled until Reset;
// - auto reset: Set releases one waiter (or the next one to arrive) and the
//   event falls back to non-signalled as that waiter returns.
// An event that a waiter may give up on (timed wait) while another thread
// still sets it must outlive both: share it through std::shared_ptr.
class Event {
public:
    static constexpr int kInfinite = -1;

    explicit Event(bool manualReset = false, bool initiallySet = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();

    // Waits until the event is signalled or timeoutMs elapsed (kInfinite or any
    // negative value: no limit). True when signalled; an auto-reset event is
    // consumed by a successful wait.
    bool Wait(int timeoutMs = kInfinite);

    // Non-blocking look at the state (an auto-reset event is not consumed).
    bool IsSet() const;

    bool IsManualReset() const { return m_manualReset; }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cond;
    const bool m_manualReset;
    bool m_set;
};

} // namespace platform
