#pragma once

#include "model/PrevodTyp.h"

// Millisecond pauses that never end early. The pause between frames is
// short (10 ms), where a coarse sleep could round far up or, worse, wake too
// soon; this sleeps on the monotonic high-resolution clock up to an absolute
// deadline instead of spinning.
class CPreciseDelay {
public:
    CPreciseDelay() = default;
    virtual ~CPreciseDelay() = default;

    // Returns after at least `ms` milliseconds; Wait(0) gives up the rest of
    // the time slice once.
    void Wait(DWORD ms) const;
};
