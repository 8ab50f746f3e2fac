#pragma once

// The scheduled-download thread as the tests run it, with idle pauses of
// the test's choosing, and its end as the program ends it at exit.
#include "link/DownloadControl.h"
#include "platform/Event.h"
#include "platform/ThreadMessages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

namespace testsupport {

// Each idle pause lasts `pause`: none passes a countdown at once; a
// millisecond leaves a test that runs an event loop its turn.
class QuickDownloadControl : public CDownloadControl {
public:
    QuickDownloadControl(CTaskList& tasks, IDownloadControlHost& host, std::chrono::milliseconds pause)
        : CDownloadControl(tasks, host), m_pause(pause)
    {
    }

protected:
    void IdleSleep(int) override
    {
        if (m_pause.count() > 0)
            std::this_thread::sleep_for(m_pause);
        else
            std::this_thread::yield();
    }

private:
    const std::chrono::milliseconds m_pause;
};

// Ends the thread (if any) and lets it go. The hooks are virtual: the thread
// ends before the object goes.
inline void EndDownloadControl(std::unique_ptr<QuickDownloadControl>& control)
{
    if (!control)
        return;
    platform::Event done(true, false);
    control->PostThreadMessage(platform::WM_THREAD_END, reinterpret_cast<std::uintptr_t>(&done));
    EXPECT_TRUE(done.Wait(30000));
    EXPECT_TRUE(control->Join(30000));
    control.reset();
}

} // namespace testsupport
