#pragma once

#include "model/PrevodTyp.h"

#include <cstdint>

// Time as the links see it: the pauses between and around requests and the
// seconds of the reopen back-off. Tests put a fake in place to run the
// timing rules without waiting.
class ILinkClock {
public:
    virtual ~ILinkClock() = default;
    // Monotonic seconds; only differences are used.
    virtual std::int64_t NowSeconds() = 0;
    // A plain pause (before a read with retries, after repeated failures).
    virtual void Sleep(DWORD ms) = 0;
    // The exact pause after a good request (CPreciseDelay).
    virtual void PreciseWait(DWORD ms) = 0;
    // The computer's time, which setting and synchronising an instrument's
    // clock hand over.
    virtual CTime CurrentTime() { return CTime::GetCurrentTime(); }
};

// The real clock, shared by every manager that is not given another.
ILinkClock& SystemLinkClock();
