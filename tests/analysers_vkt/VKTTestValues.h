#pragma once

#include "model/AktData.h"

#include <cmath>
#include <numbers>

namespace vkttest {

// A live VKT record of the parts in `flags` (the instrument's part mask):
// 230 V, 5 A and the rest plausible; waveforms are a sine of amplitude
// 8000 in every channel asked for.
inline CAktData MakeValues(WORD flags, int seed = 0)
{
    CAktData v;
    const BYTE reply[2] = {BYTE(flags >> 8), BYTE(flags)};
    v.CreateParts(reply, 2);
    v.SetTemperatureWord(std::int16_t(2150 + seed));
    v.SetFrequencyWord(std::int16_t(5000 + seed));
    for (int i = 0; i < CAktData::kInputs; ++i) {
        if (CAktPhase* ph = v.GetPhase(i)) {
            ph->voltage = WORD(9200 + 10 * i + seed);
            ph->lineVoltage = WORD(16000 + 10 * i + seed);
            ph->current = WORD(25000 + i + seed);
            ph->activePower = 1000.0f + float(i + seed);
            ph->reactivePower = 100.0f + float(i);
            ph->thdU = WORD(150 + i);
            ph->thdI = WORD(800 + i);
        }
    }
    for (int c = 0; c < CAktData::kChannels; ++c) {
        if (CAktOddHarmonics* h = v.GetOddHarmonics(c))
            for (std::size_t n = 0; n < h->values.size(); ++n)
                h->values[n] = WORD(100 * c + n + seed);
        if (CAktEvenHarmonics* h = v.GetEvenHarmonics(c))
            for (std::size_t n = 0; n < h->values.size(); ++n)
                h->values[n] = WORD(50 * c + n);
        if (CAktWave* w = v.GetWave(c))
            for (int n = 0; n < CAktWave::kSamples; ++n)
                w->samples[std::size_t(n)] = std::int16_t(std::lround(8000 * std::sin(2 * std::numbers::pi * n / 64)));
    }
    return v;
}

} // namespace vkttest
