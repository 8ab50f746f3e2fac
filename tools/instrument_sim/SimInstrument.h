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
// Stream: several data replies, one after the other, to one request.
struct Response {
    enum class Kind { None, Data, Ack, Raw, Stream };
    Kind kind = Kind::None;
    Bytes bytes;
    std::uint8_t result = 0;
    std::vector<Bytes> stream;

    static Response None() { return {}; }
    static Response Data(Bytes data) { return {Kind::Data, std::move(data), 0, {}}; }
    static Response Ack(std::uint8_t result = 0) { return {Kind::Ack, {}, result, {}}; }
    static Response Raw(Bytes bytes) { return {Kind::Raw, std::move(bytes), 0, {}}; }
    static Response Stream(std::vector<Bytes> replies) { return {Kind::Stream, {}, 0, std::move(replies)}; }
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

// Memory of fixed-size records kept as a ring: an analyser's archive, or
// another memory area read the same way.
struct ArchiveArea {
    std::size_t capacity = 0; // records
    // Slots the ring goes round: the capacity, but one less for the VKT
    // archive, whose last slot stays unused.
    std::size_t places = 0;
    std::size_t recordSize = 0;
    std::uint64_t written = 0; // records written since the memory was cleared
    Bytes memory;

    // `count` records from slot `index` on; slots beyond the ring wrap.
    Bytes Read(std::uint64_t index, std::size_t count) const;
};

class Instrument;
using CommandHandler = std::function<Response(Instrument&, const Frame&)>;

// One simulated instrument on the line: its bus address, frame format and
// command table, and the memory its commands read and write. The table is
// filled per family and may be extended or changed by tests (SetCommand).
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

    // The firmware version word of the identification.
    void SetVersion(std::uint16_t version);

    // Writes records 0 to count - 1 into the ring of memory area `area`
    // (capacity records of recordSize bytes), the later ones over the
    // earlier once the ring is full; the status block tells the result for
    // area 0.
    void FillArchive(std::uint8_t area, std::size_t capacity, std::size_t recordSize, std::uint64_t count);
    // What record `number` holds: its number (big-endian) and then bytes
    // that count on from it.
    static Bytes ArchiveRecord(std::uint64_t number, std::size_t size);

    // The identification image (number, model, family, version big-endian,
    // then six bytes).
    std::array<std::uint8_t, 14> identification{};
    // Memory blocks by the command that reads them.
    std::map<std::uint8_t, Bytes> blocks;
    // Archive memory by area.
    std::map<std::uint8_t, ArchiveArea> archives;

    // Answers the identification whatever address it is asked at (an
    // instrument alone on a line of its own, asked for its address).
    bool answersAnyAddress = false;

    // What the last commands without a block of their own carried.
    std::uint8_t syncResult = 0; // the answer to a clock synchronisation
    int lastSyncSeconds = -1; // the seconds past the hour it was given
    int archiveControl = -1; // the last archive mode switched to (0x00, 0xFF)
    Bytes lastCommand; // a controller command's bytes
    int lastEnergyReset = -1; // the data byte of the last meter reset
    // VKT meter: the registers (228-byte images) it kept at the instants of
    // its recording interval, by the instant's record number 1..64; a
    // number not kept answers the registers as they are now.
    std::map<int, Bytes> meterTotals;
    std::vector<int> meterReads; // the data byte of every meter read
    int profileResets = 0;

    // Requests answered (or left unanswered) so far.
    int requestCount = 0;

private:
    void UpdateArchiveStatus();

    Family m_family;
    std::uint8_t m_address;
    Format m_format;
    std::map<std::uint8_t, CommandHandler> m_commands;
};

// Handlers of the plain block commands: a read answers the stored block, a
// write of exactly the block's size stores it and acknowledges.
CommandHandler ReadBlock(std::uint8_t readCommand);
CommandHandler WriteBlock(std::uint8_t readCommand);

// Fills the memory and the command table of the instrument's family.
void InstallFamily(Instrument& instrument);

Format DefaultFormat(Family family);
bool ParseFamily(const std::string& name, Family& family);

} // namespace sim
