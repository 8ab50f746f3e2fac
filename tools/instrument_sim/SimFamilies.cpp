// The memory and command table of each instrument family.
#include "tools/instrument_sim/SimArchive.h"
#include "tools/instrument_sim/SimChecksums.h"
#include "tools/instrument_sim/SimInstrument.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace sim {

namespace {

// A settings or values block: read command, write command (0: read only),
// bytes.
struct BlockRow {
    std::uint8_t read;
    std::uint8_t write;
    std::size_t size;
};

void AddBlocks(Instrument& self, std::initializer_list<BlockRow> rows)
{
    for (const BlockRow& row : rows) {
        Bytes block(row.size);
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = std::uint8_t(i * 7 + row.read);
        self.blocks[row.read] = std::move(block);
        self.SetCommand(row.read, ReadBlock(row.read));
        if (row.write)
            self.SetCommand(row.write, WriteBlock(row.read));
    }
}

// A format-A frame given whole: [address][N-1][bytes...][sum].
Response RawA(const Instrument& self, Bytes body)
{
    Bytes frame{self.GetAddress(), std::uint8_t(body.size() + 2)};
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(Sum8(frame.data(), frame.size()));
    return Response::Raw(std::move(frame));
}

// A command that carries `size` data bytes and is acknowledged; `take`
// keeps what it carried.
CommandHandler Acknowledged(std::size_t size, std::function<void(Instrument&, const Bytes&)> take)
{
    return [size, take = std::move(take)](Instrument& self, const Frame& frame) {
        if (frame.data.size() != size)
            return Response::None();
        take(self, frame.data);
        return Response::Ack();
    };
}

// Clock blocks hold a valid time: 15 January 2024, 12:00:00, a Monday.
const Bytes kClockA = {0x24, 0x01, 0x15, 0x12, 0x00, 0x00}; // year, month, day, hour, minute, second
const Bytes kClockB = {0x00, 0x00, 0x12, 0x02, 0x15, 0x01, 0x24}; // second ... weekday, day, month, year

constexpr std::uint8_t kStatus = 0x14;
constexpr std::uint8_t kProfileData = 0x36;
constexpr std::uint8_t kProfileSettings = 0x37;
constexpr std::uint8_t kEnergy = 0x34;
constexpr std::uint8_t kNoteBook = 0x1F;
constexpr std::size_t kPage = 128;

void KeepProfileSettings(Instrument& self, const Bytes& data)
{
    self.blocks[kProfileSettings] = data;
}

void InstallController(Instrument& self, std::size_t config, std::size_t values, std::size_t statistics)
{
    AddBlocks(self, {{0x16, 0x17, config}, {0x30, 0, values}, {kStatus, 0, statistics}});
    // Special functions and statistics resets: a command word and its
    // parameters, up to six bytes.
    self.SetCommand(0x31, [](Instrument& s, const Frame& frame) {
        if (frame.data.empty() || frame.data.size() > 6)
            return Response::None();
        s.lastCommand = frame.data;
        return Response::Ack();
    });
}

void InstallClockSyncA(Instrument& self)
{
    self.SetCommand(0x12, [](Instrument& s, const Frame& frame) {
        if (frame.data.size() != 3 || frame.data[2] != 6)
            return Response::None();
        s.lastSyncSeconds = frame.data[0] << 8 | frame.data[1];
        // The acknowledgement's status byte is the answer.
        return RawA(s, {s.syncResult});
    });
}

void InstallVK(Instrument& self)
{
    AddBlocks(self, {{0x26, 0x27, 28}, {kStatus, 0, 52}, {0x28, 0x29, 64}, {0x3A, 0, 218}, {0x32, 0x33, 6},
                     {kEnergy, 0, 94}, {0x11, 0x10, 6}, {0x39, 0, 24}, {kProfileData, 0, 96}});
    self.blocks[0x11] = kClockA;
    self.blocks[kStatus][0] = 0; // no error state
    self.blocks[0x39][0] = 0; // the profiles can be read

    // Outputs: firmware above 121 has the analog outputs as well.
    self.blocks[0x30] = Bytes(30);
    for (std::size_t i = 0; i < 30; ++i)
        self.blocks[0x30][i] = std::uint8_t(0x30 + 3 * i);
    self.SetCommand(0x30, [](Instrument& s, const Frame&) {
        const int version = s.identification[6] << 8 | s.identification[7];
        const Bytes& block = s.blocks[0x30];
        return Response::Data(version > 121 ? block : Bytes(block.begin(), block.begin() + 20));
    });
    self.SetCommand(0x31, WriteBlock(0x30));

    // The status write carries the recording settings only.
    self.SetCommand(0x23, [](Instrument& s, const Frame& frame) {
        struct Run {
            std::size_t offset, length;
        };
        static const Run kRuns[] = {{6, 10}, {40, 2}, {34, 6}, {3, 4}, {48, 4}};
        if (frame.data.size() != 26)
            return Response::None();
        std::size_t at = 0;
        for (const Run& run : kRuns) {
            std::copy_n(frame.data.begin() + std::ptrdiff_t(at), run.length,
                        s.blocks[kStatus].begin() + std::ptrdiff_t(run.offset));
            at += run.length;
        }
        return Response::Ack();
    });

    // The notebook in six pages of 128 bytes.
    self.blocks[kNoteBook] = Bytes(6 * kPage);
    for (std::size_t i = 0; i < self.blocks[kNoteBook].size(); ++i)
        self.blocks[kNoteBook][i] = std::uint8_t('A' + i % 26);
    self.SetCommand(kNoteBook, [](Instrument& s, const Frame& frame) {
        if (frame.data.size() != 1 || frame.data[0] >= 6)
            return Response::None();
        const auto page = s.blocks[kNoteBook].begin() + std::ptrdiff_t(frame.data[0] * kPage);
        Bytes reply{frame.data[0]};
        reply.insert(reply.end(), page, page + std::ptrdiff_t(kPage));
        return Response::Data(std::move(reply));
    });
    self.SetCommand(0x20, [](Instrument& s, const Frame& frame) {
        if (frame.data.size() != 1 + kPage || frame.data[0] >= 6)
            return Response::None();
        std::copy(frame.data.begin() + 1, frame.data.end(),
                  s.blocks[kNoteBook].begin() + std::ptrdiff_t(frame.data[0] * kPage));
        // Acknowledged with the page's number.
        return RawA(s, {0, frame.data[0]});
    });

    self.SetCommand(0x1C, Acknowledged(1, [](Instrument& s, const Bytes& d) { s.archiveControl = d[0]; }));
    InstallClockSyncA(self);
    self.SetCommand(0x35, Acknowledged(1, [](Instrument& s, const Bytes& d) {
        s.lastEnergyReset = d[0];
        std::fill_n(s.blocks[kEnergy].begin(), 48, std::uint8_t(0)); // the counters
    }));
    self.SetCommand(0x38, Acknowledged(0, [](Instrument& s, const Bytes&) {
        ++s.profileResets;
        std::fill(s.blocks[kProfileData].begin(), s.blocks[kProfileData].end(), std::uint8_t(0));
    }));
    self.SetCommand(kProfileSettings, Acknowledged(6, KeepProfileSettings));
    self.SetCommand(0x16, ArchiveBlockA());
    self.SetCommand(0x3B, ArchiveStreamA());
}

void InstallVKR(Instrument& self)
{
    AddBlocks(self, {{0x16, 0x17, 16}, {0x3A, 0, 90}});
    // The configuration read and the archive block read share their code:
    // the archive request carries data.
    self.SetCommand(0x16, [config = ReadBlock(0x16), archive = ArchiveBlockA()](Instrument& s, const Frame& frame) {
        return frame.data.empty() ? config(s, frame) : archive(s, frame);
    });
    self.SetCommand(0x3B, ArchiveStreamA());
}

// Data bytes of the VKT's measured values for a part mask.
std::size_t VKTValuesSize(unsigned mask)
{
    std::size_t size = 9;
    const bool phases = mask & 0x10;
    for (unsigned input = 0; input < 4; ++input) {
        if (phases && (mask >> input & 1))
            size += 20;
    }
    for (unsigned channel = 0; channel < 8; ++channel) {
        const bool inputSelected = mask >> (channel % 4) & 1;
        const bool harmonics = mask & (channel < 4 ? 0x20 : 0x40);
        if (inputSelected && harmonics)
            size += (mask & 0x80) ? 50 : 26;
        if (mask >> (8 + channel) & 1)
            size += 128;
    }
    return size;
}

// The active and reactive powers of the phase values, as an analyser
// measures them from each input's voltage, current and phase angle: the
// counting pattern of the other values, read as floats, would be powers of
// up to 1e38 W that no input can carry.
void PutVKTPowers(std::uint8_t* data, unsigned mask)
{
    if (!(mask & 0x10))
        return;
    const std::size_t inputs = std::size_t(std::popcount(mask & 0x0Fu));
    const auto word = [data](std::size_t offset) { return unsigned(data[offset]) << 8 | data[offset + 1]; };
    for (std::size_t k = 0; k < inputs; ++k) {
        const double voltage = word(2 * k) * 0.025;
        const double current = word(4 * inputs + 2 * k) * 0.0002;
        const double angle = std::int16_t(word(14 * inputs + 2 * k)) * 0.0001;
        const double apparent = voltage * current;
        PutBE32(data + 6 * inputs + 4 * k, std::bit_cast<std::uint32_t>(float(apparent * std::cos(angle))));
        PutBE32(data + 10 * inputs + 4 * k, std::bit_cast<std::uint32_t>(float(apparent * std::sin(angle))));
    }
}

constexpr std::size_t kMeterRegisters = 228;

std::tm MeterTime(int year, int month, int day, int hour, int minute)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    return tm;
}

// The 4-byte form of a record time (no seconds).
void PutMeterTime(std::uint8_t* p, const std::tm& tm)
{
    std::uint8_t packed[5];
    PutPackedTime(packed, tm);
    std::copy_n(packed, 4, p);
}

// A meter reading as a VKT answers it: the 28 registers (fractions, then
// whole parts), the time of the reading, the time of the last reset, four
// maxima with their times, the time the maxima were reset. Read at the
// clock blocks' time, 15 January 2024 12:00; reset on 1 January.
Bytes VKTMeterReading()
{
    Bytes r(272, 0);
    for (std::size_t k = 0; k < 28; ++k) {
        PutBE32(r.data() + 4 * k, 0x3E800000); // 0.25
        PutBE32(r.data() + 4 * (k + 28), std::uint32_t(1000 + 37 * k));
    }
    PutMeterTime(r.data() + 224, MeterTime(2024, 1, 15, 12, 0));
    PutMeterTime(r.data() + 228, MeterTime(2024, 1, 1, 0, 0));
    for (std::size_t k = 0; k < 4; ++k) {
        std::uint8_t* maximum = r.data() + 232 + 9 * k;
        PutBE32(maximum, 0x44FA0000); // 2000.0 W
        PutPackedTime(maximum + 4, MeterTime(2024, 1, 10 + int(k), 8, 15));
    }
    PutMeterTime(r.data() + 268, MeterTime(2024, 1, 8, 0, 0));
    return r;
}

void InstallVKT(Instrument& self)
{
    AddBlocks(self, {{0x26, 0x27, 35}, {kStatus, 0, 46}, {0x1F, 0x20, 64}, {0x30, 0x31, 23}, {0x28, 0x29, 32},
                     {0x11, 0x10, 7}, {0x32, 0x33, 8}, {kProfileData, 0, 88}, {kEnergy, 0, 272}});
    self.blocks[0x11] = kClockB;
    self.blocks[kStatus][0] = 0; // no error state

    // The status write carries the archive description, the status's last 20 bytes.
    self.SetCommand(0x23, Acknowledged(20, [](Instrument& s, const Bytes& d) {
        std::copy(d.begin(), d.end(), s.blocks[kStatus].begin() + 26);
    }));
    self.blocks[kEnergy] = VKTMeterReading();
    // Data byte 0: the meter reading with its maxima; otherwise the
    // registers kept at the grid instant of that record number, or the
    // reading's registers (its first 228 bytes).
    self.SetCommand(kEnergy, [](Instrument& s, const Frame& frame) {
        if (frame.data.size() != 1)
            return Response::None();
        s.meterReads.push_back(frame.data[0]);
        const Bytes& reading = s.blocks[kEnergy];
        if (frame.data[0] == 0)
            return Response::Data(reading);
        const auto kept = s.meterTotals.find(frame.data[0]);
        if (kept != s.meterTotals.end())
            return Response::Data(kept->second);
        return Response::Data(Bytes(reading.begin(), reading.begin() + kMeterRegisters));
    });
    self.SetCommand(0x35, Acknowledged(1, [](Instrument& s, const Bytes& d) {
        s.lastEnergyReset = d[0];
        std::fill_n(s.blocks[kEnergy].begin(), 224, std::uint8_t(0)); // the registers
    }));
    self.SetCommand(0x3A, [](Instrument&, const Frame& frame) {
        if (frame.data.size() != 2)
            return Response::None();
        const unsigned mask = unsigned(frame.data[0]) << 8 | frame.data[1];
        Bytes reply{frame.data[0], frame.data[1]};
        const std::size_t size = VKTValuesSize(mask);
        for (std::size_t i = 0; i < size; ++i)
            reply.push_back(std::uint8_t(i * 3));
        PutVKTPowers(reply.data() + 2, mask);
        // Temperature 25, frequency 50.00 Hz, relays, status A and B,
        // settings counter, fault state.
        const Bytes tail = {0x00, 0x19, 0x13, 0x88, 0x01, 0x02, 0x03, 0x04, 0x00};
        std::copy(tail.begin(), tail.end(), reply.end() - std::ptrdiff_t(tail.size()));
        return Response::Data(std::move(reply));
    });
    self.SetCommand(0x12, [](Instrument& s, const Frame& frame) {
        if (frame.data.size() != 3 || frame.data[2] != 7)
            return Response::None();
        s.lastSyncSeconds = frame.data[0] << 8 | frame.data[1];
        return Response::Ack(s.syncResult);
    });
    self.SetCommand(0x38, Acknowledged(0, [](Instrument& s, const Bytes&) {
        ++s.profileResets;
        std::fill(s.blocks[kProfileData].begin(), s.blocks[kProfileData].end(), std::uint8_t(0));
    }));
    self.SetCommand(kProfileSettings, Acknowledged(2, KeepProfileSettings));
    self.SetCommand(0x16, ArchiveReadB());
}

} // namespace

void InstallFamily(Instrument& instrument)
{
    switch (instrument.GetFamily()) {
    case Family::Qorin:
        InstallController(instrument, 66, 35, 104);
        break;
    case Family::Duskar:
        InstallController(instrument, 80, 60, 144);
        break;
    case Family::VK:
        InstallVK(instrument);
        break;
    case Family::VKR:
        InstallVKR(instrument);
        break;
    case Family::VKT:
        InstallVKT(instrument);
        break;
    }
}

} // namespace sim
