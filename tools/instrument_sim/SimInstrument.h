#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

using Bytes = std::vector<std::uint8_t>;

enum class Format { A, B };
enum class Family { Qorin, Duskar, VK, VKR, VKT };

// A request as it came off the line.
struct Frame {
    Format format = Format::A;
    std::uint8_t address = 0;
    std::uint8_t command = 0;
    Bytes data;
};

// What the instrument answers. Data: format A [a][N-1][0][data][sum],
// format B [a][L][command][data][CRC]. Ack: format A [a][3][0][sum],
// format B the short reply [a][0][1][command][result][CRC]. Raw: the bytes
// as given (the checksum included), for the odd replies of a few commands.
struct Response {
    enum class Kind { None, Data, Ack, Raw };
    Kind kind = Kind::None;
    Bytes bytes;
    std::uint8_t result = 0;

    static Response None() { return {}; }
    static Response Data(Bytes data) { return {Kind::Data, std::move(data), 0}; }
    static Response Ack(std::uint8_t result = 0) { return {Kind::Ack, {}, result}; }
    static Response Raw(Bytes bytes) { return {Kind::Raw, std::move(bytes), 0}; }
};

// Misbehaviour on demand, applied to the next replies.
struct Faults {
    bool silence = false; // no reply at all
    int lateMs = 0; // the reply comes this much later
    int strayBytes = 0; // noise on the line before the reply
    bool badChecksum = false; // sum or CRC off by one
    bool wrongAddress = false; // another instrument's address in the head
    bool refusal = false; // format B: bit 7 of the echoed command; format A: status 1
    int extraBytes = 0; // bytes behind the frame, sent with it
    bool closeLine = false; // the line goes dead instead of answering
};

class Instrument;
using CommandHandler = std::function<Response(Instrument&, const Frame&)>;

// One simulated instrument on the line: its bus address, frame format and
// command table. The table is filled per family and may be extended or
// changed by tests (SetCommand).
class Instrument {
public:
    Instrument(Family family, std::uint8_t address);
    Instrument(Family family, std::uint8_t address, Format format);

    Family GetFamily() const { return m_family; }
    Format GetFormat() const { return m_format; }
    std::uint8_t GetAddress() const { return m_address; }

    void SetCommand(std::uint8_t command, CommandHandler handler);
    // The reply to a request addressed to this instrument.
    Response Handle(const Frame& frame);

    // The identification image (number, model, family, version big-endian,
    // then six bytes).
    std::array<std::uint8_t, 14> identification{};
    // Memory blocks by the command that reads them.
    std::map<std::uint8_t, Bytes> blocks;

    // Answers the identification whatever address it is asked at (an
    // instrument alone on a line of its own, asked for its address).
    bool answersAnyAddress = false;

    // Requests answered (or left unanswered) so far.
    int requestCount = 0;

private:
    Family m_family;
    std::uint8_t m_address;
    Format m_format;
    std::map<std::uint8_t, CommandHandler> m_commands;
};

// Handlers of the plain block commands: a read answers the stored block, a
// write of exactly the block's size stores it and acknowledges.
CommandHandler ReadBlock(std::uint8_t readCommand);
CommandHandler WriteBlock(std::uint8_t readCommand);

Format DefaultFormat(Family family);
bool ParseFamily(const std::string& name, Family& family);

} // namespace sim
