#include "support/WaitUntil.h"

#include <chrono>
#include <thread>

namespace testsupport {

bool WaitUntil(const std::function<bool()>& done, int limitMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace testsupport
