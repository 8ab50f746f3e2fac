#include "link/PreciseDelay.h"

#include <chrono>
#include <thread>

void CPreciseDelay::Wait(DWORD ms) const
{
    using Clock = std::chrono::steady_clock;
    if (ms == 0) {
        std::this_thread::yield();
        return;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
    // sleep_until may come back early on a signal; the loop holds the bound.
    while (Clock::now() < deadline)
        std::this_thread::sleep_until(deadline);
}
