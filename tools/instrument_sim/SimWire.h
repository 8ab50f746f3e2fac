#pragma once

#include "tools/instrument_sim/SimInstrument.h"

#include <chrono>
#include <optional>

namespace sim {

// Cuts the byte stream of the line into request frames of either format.
// Noise is skipped a byte at a time; a frame that never completes is given
// up after a pause of the line.
class FrameParser {
public:
    using Clock = std::chrono::steady_clock;

    void Feed(const std::uint8_t* p, std::size_t n, Clock::time_point now);
    // The next whole frame, if one is there.
    std::optional<Frame> Next(Clock::time_point now);
    std::size_t Pending() const { return m_buffer.size(); }
    int SkippedBytes() const { return m_skipped; }

private:
    enum class Match { Frame, Incomplete, None };
    Match TryA(Frame& frame, std::size_t& length) const;
    Match TryB(Frame& frame, std::size_t& length) const;

    Bytes m_buffer;
    Clock::time_point m_lastByte{};
    int m_skipped = 0;
};

// The bytes of a reply on the line, faults applied (except silence, delay
// and closing, which are the line's business).
Bytes EncodeReply(const Instrument& instrument, const Frame& request, const Response& response, const Faults& faults);

} // namespace sim
