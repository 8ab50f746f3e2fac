#pragma once

#include "platform/Time32.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace testsupport {

// Time that moves only when the test moves it, readable from any thread.
// Copies share one time, so a copy handed to the code under test (or its
// Source) moves with the test's.
class FakeClock {
public:
    void Set(platform::CTime t) { m_now->store(std::int64_t(t.GetTime())); }
    void Advance(int seconds) { m_now->fetch_add(seconds); }
    platform::CTime Get() const { return platform::CTime(platform::CTime::time_type(m_now->load())); }
    // The clock as a time source for code that asks "now" through a function.
    std::function<platform::CTime()> Source() const
    {
        auto now = m_now;
        return [now] { return platform::CTime(platform::CTime::time_type(now->load())); };
    }

private:
    std::shared_ptr<std::atomic<std::int64_t>> m_now = std::make_shared<std::atomic<std::int64_t>>(0);
};

} // namespace testsupport
