#pragma once

// The scheduled-download thread as the tests run it: the application's own
// messages under a clock of the test, and idle pauses of a millisecond.
#include "link/DownloadControl.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace shelltest {

class ClockedMessages : public CDownloadControlMessages {
public:
    using CDownloadControlMessages::CDownloadControlMessages;
    CTime Now() override { return CTime(now.load()); }
    std::atomic<CTime::time_type> now{0};
};

// The thread's waits are counted in pauses.
class QuickControl : public CDownloadControl {
public:
    using CDownloadControl::CDownloadControl;

protected:
    void IdleSleep(int) override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
};

} // namespace shelltest
