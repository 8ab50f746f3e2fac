#include "link/LinkClock.h"

#include "link/PreciseDelay.h"

#include <chrono>
#include <thread>

namespace {

class SystemClock final : public ILinkClock {
public:
    std::int64_t NowSeconds() override
    {
        return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    void Sleep(DWORD ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    void PreciseWait(DWORD ms) override { m_delay.Wait(ms); }

private:
    CPreciseDelay m_delay;
};

} // namespace

ILinkClock& SystemLinkClock()
{
    static SystemClock clock;
    return clock;
}
