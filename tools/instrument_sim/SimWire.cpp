#include "tools/instrument_sim/SimWire.h"

#include "tools/instrument_sim/SimChecksums.h"

namespace sim {

namespace {

// A frame head that has not been completed within this time is noise.
constexpr auto kStaleFrame = std::chrono::milliseconds(200);
constexpr std::size_t kMaxDataB = 1024;

void PutCrc(Bytes& frame)
{
    const std::uint16_t crc = Crc16(frame.data(), frame.size());
    frame.push_back(std::uint8_t(crc >> 8));
    frame.push_back(std::uint8_t(crc & 0xFF));
}

} // namespace

void FrameParser::Feed(const std::uint8_t* p, std::size_t n, Clock::time_point now)
{
    m_buffer.insert(m_buffer.end(), p, p + n);
    if (n > 0)
        m_lastByte = now;
}

FrameParser::Match FrameParser::TryA(Frame& frame, std::size_t& length) const
{
    if (m_buffer.size() < 2)
        return Match::Incomplete;
    const std::size_t n = std::size_t(m_buffer[1]) + 1;
    if (n < 4)
        return Match::None;
    if (m_buffer.size() < n)
        return Match::Incomplete;
    if (Sum8(m_buffer.data(), n - 1) != m_buffer[n - 1])
        return Match::None;
    frame.format = Format::A;
    frame.address = m_buffer[0];
    frame.command = m_buffer[2];
    frame.data.assign(m_buffer.begin() + 3, m_buffer.begin() + std::ptrdiff_t(n - 1));
    length = n;
    return Match::Frame;
}

FrameParser::Match FrameParser::TryB(Frame& frame, std::size_t& length) const
{
    if (m_buffer.size() < 3)
        return Match::Incomplete;
    const std::size_t l = std::size_t(m_buffer[1]) << 8 | m_buffer[2];
    if (l > kMaxDataB)
        return Match::None;
    const std::size_t n = l + 6;
    if (m_buffer.size() < n)
        return Match::Incomplete;
    const std::uint16_t crc = Crc16(m_buffer.data(), n - 2);
    if (m_buffer[n - 2] != std::uint8_t(crc >> 8) || m_buffer[n - 1] != std::uint8_t(crc & 0xFF))
        return Match::None;
    frame.format = Format::B;
    frame.address = m_buffer[0];
    frame.command = m_buffer[3];
    frame.data.assign(m_buffer.begin() + 4, m_buffer.begin() + std::ptrdiff_t(n - 2));
    length = n;
    return Match::Frame;
}

std::optional<Frame> FrameParser::Next(Clock::time_point now)
{
    while (!m_buffer.empty()) {
        Frame frame;
        std::size_t length = 0;
        const Match a = TryA(frame, length);
        const Match b = a == Match::Frame ? Match::None : TryB(frame, length);
        if (a == Match::Frame || b == Match::Frame) {
            m_buffer.erase(m_buffer.begin(), m_buffer.begin() + std::ptrdiff_t(length));
            return frame;
        }
        const bool waiting = a == Match::Incomplete || b == Match::Incomplete;
        if (waiting && now - m_lastByte < kStaleFrame)
            return std::nullopt;
        m_buffer.erase(m_buffer.begin());
        ++m_skipped;
    }
    return std::nullopt;
}

Bytes EncodeReply(const Instrument& instrument, const Frame& request, const Response& response, const Faults& faults)
{
    Bytes frame;
    const std::uint8_t address = std::uint8_t(instrument.GetAddress() + (faults.wrongAddress ? 1 : 0));
    if (response.kind == Response::Kind::Raw) {
        frame = response.bytes;
        if (faults.wrongAddress && !frame.empty())
            frame[0] = address;
    } else if (instrument.GetFormat() == Format::A) {
        const Bytes& data = response.kind == Response::Kind::Data ? response.bytes : Bytes{};
        frame.push_back(address);
        frame.push_back(std::uint8_t(data.size() + 3));
        frame.push_back(faults.refusal ? 1 : 0);
        frame.insert(frame.end(), data.begin(), data.end());
        frame.push_back(Sum8(frame.data(), frame.size()));
    } else {
        const std::uint8_t echoed = std::uint8_t(request.command | (faults.refusal ? 0x80 : 0));
        frame.push_back(address);
        if (response.kind == Response::Kind::Data) {
            frame.push_back(std::uint8_t(response.bytes.size() >> 8));
            frame.push_back(std::uint8_t(response.bytes.size() & 0xFF));
            frame.push_back(echoed);
            frame.insert(frame.end(), response.bytes.begin(), response.bytes.end());
        } else {
            frame.insert(frame.end(), {0, 1, echoed, response.result});
        }
        PutCrc(frame);
    }
    if (faults.badChecksum && !frame.empty())
        frame.back() = std::uint8_t(frame.back() + 1);

    Bytes line(std::size_t(faults.strayBytes), std::uint8_t(0xEE));
    line.insert(line.end(), frame.begin(), frame.end());
    line.insert(line.end(), std::size_t(faults.extraBytes), std::uint8_t(0x5A));
    return line;
}

} // namespace sim
