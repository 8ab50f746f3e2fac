#include "tools/instrument_sim/SimArchive.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <ctime>

namespace sim {

namespace {

void AppendBE32(Bytes& out, std::uint32_t v)
{
    const std::size_t at = out.size();
    out.resize(at + 4);
    PutBE32(out.data() + at, v);
}

// Area 0 is the archive whose state the status block reports.
constexpr std::uint8_t kMainArea = 0;
constexpr std::uint8_t kStatusBlock = 0x14;

// The newest record of a filled archive is dated by the clock blocks'
// time, 15 January 2024 12:00:00 (standard time, as the instruments keep).
std::tm NewestRecordTime()
{
    std::tm tm{};
    tm.tm_year = 124;
    tm.tm_mon = 0;
    tm.tm_mday = 15;
    tm.tm_hour = 12;
    return tm;
}

// The calendar fields `seconds` earlier (no time zone: the fields are the
// instrument's own).
std::tm Earlier(std::tm tm, std::int64_t seconds)
{
    const std::time_t t = timegm(&tm) - std::time_t(seconds);
    std::tm out{};
    gmtime_r(&t, &out);
    return out;
}

std::uint8_t Bcd(int v)
{
    return std::uint8_t((v / 10) << 4 | (v % 10));
}

// The profiles of the default memory: the selected one is the whole day
// before the clock's; the maximal one has run since its reset two days
// before the clock's, and the status dates it by the clock.
constexpr int kSelectedProfileDay = 14;
constexpr int kResetDay = 13;

std::tm January2024(int day, int hour, int minute)
{
    std::tm tm{};
    tm.tm_year = 124;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    return tm;
}

// Year - 2000, month, day, hour, minute, second, BCD.
void PutBcdTime(std::uint8_t* p, const std::tm& tm)
{
    const std::uint8_t fields[] = {Bcd(tm.tm_year - 100), Bcd(tm.tm_mon + 1), Bcd(tm.tm_mday),
                                   Bcd(tm.tm_hour),       Bcd(tm.tm_min),     Bcd(tm.tm_sec)};
    std::copy(std::begin(fields), std::end(fields), p);
}

void PutBE16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v >> 8);
    p[1] = std::uint8_t(v);
}

// Phases L1..L3 and their sum: when each peaked on the selected day and
// since the reset, and by how much (VK current words, 0.0003125 A x ratio).
struct ProfilePeak {
    int hour, minute;
    std::uint16_t word;
};
constexpr ProfilePeak kDayPeaks[4] = {{8, 15, 3200}, {9, 30, 3040}, {10, 45, 3360}, {9, 30, 9600}};
constexpr ProfilePeak kMaximumPeaks[4] = {{18, 0, 3520}, {18, 5, 3360}, {18, 10, 3680}, {18, 5, 10560}};
constexpr std::uint32_t kVKCtRatio = 100;

// The VK status in its two replies: 24 bytes of block 0x39 (its first byte,
// the year of the current date, 0: the profiles can be read), then 96 of
// block 0x36.
void ServeVKProfileStatus(Instrument& instrument)
{
    Bytes image(120, 0);
    std::tm current = January2024(15, 12, 0);
    current.tm_year = 100;
    PutBcdTime(image.data(), current);
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t day = k < 3 ? 6 + 6 * k : 24;
        const std::size_t maximum = k < 3 ? 38 + 6 * k : 56;
        PutBcdTime(image.data() + day, January2024(kSelectedProfileDay, kDayPeaks[k].hour, kDayPeaks[k].minute));
        PutBcdTime(image.data() + maximum, January2024(kResetDay, kMaximumPeaks[k].hour, kMaximumPeaks[k].minute));
        PutBE16(image.data() + 30 + 2 * k, kDayPeaks[k].word);
        PutBE16(image.data() + 62 + 2 * k, kMaximumPeaks[k].word);
    }
    PutBcdTime(image.data() + 70, January2024(kResetDay, 0, 0));
    PutBE32(image.data() + 76, kVKCtRatio);
    PutBcdTime(image.data() + 97, January2024(kSelectedProfileDay, 0, 0));
    PutBcdTime(image.data() + 103, NewestRecordTime());
    instrument.blocks[0x39].assign(image.begin(), image.begin() + 24);
    instrument.blocks[0x36].assign(image.begin() + 24, image.end());
}

// The VKT status, 88 bytes: the peaks as floats (which the program scales by
// its current ratio) with packed times.
void ServeVKTProfileStatus(Instrument& instrument)
{
    Bytes& image = instrument.blocks[0x36];
    image.assign(88, 0);
    const auto entry = [&](std::size_t at, const ProfilePeak& peak, int day) {
        const float amperes = float(peak.word) * 0.0003125f * float(kVKCtRatio);
        std::uint32_t bits = 0;
        std::memcpy(&bits, &amperes, sizeof bits);
        PutBE32(image.data() + at, bits);
        PutPackedTime(image.data() + at + 4, January2024(day, peak.hour, peak.minute));
    };
    for (std::size_t k = 0; k < 4; ++k) {
        entry(9 * k, kDayPeaks[k], kSelectedProfileDay);
        entry(36 + 9 * k, kMaximumPeaks[k], kResetDay);
    }
    // The selected day (also the date offered for choosing) and the reset
    // time lack the seconds byte.
    PutPackedTime(image.data() + 72, January2024(kSelectedProfileDay, 0, 0));
    // Time C's seconds byte is flag D's.
    PutPackedTime(image.data() + 76, NewestRecordTime());
    image[80] = 1; // a selected profile is held
    image[81] = 1;
    image[83] = 2; // a maximal profile is held
    Bytes reset(5);
    PutPackedTime(reset.data(), January2024(kResetDay, 0, 0));
    std::copy_n(reset.begin(), 4, image.begin() + 84);
}

} // namespace

std::uint32_t GetBE32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

void PutPackedTime(std::uint8_t* p, const std::tm& tm)
{
    p[0] = std::uint8_t((tm.tm_mday & 0x1F) | ((tm.tm_min >> 4) << 5));
    p[1] = std::uint8_t(((tm.tm_mon + 1) & 0x0F) | ((tm.tm_min & 0x0F) << 4));
    p[2] = std::uint8_t(tm.tm_year - 100);
    p[3] = std::uint8_t(tm.tm_hour);
    p[4] = std::uint8_t(tm.tm_sec);
}

void PutBE32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

Bytes ArchiveArea::Read(std::uint64_t index, std::size_t count) const
{
    Bytes out;
    if (capacity == 0)
        return out;
    out.reserve(count * recordSize);
    const std::size_t ring = places > 0 ? places : capacity;
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t slot = std::size_t((index + n) % ring);
        const auto begin = memory.begin() + std::ptrdiff_t(slot * recordSize);
        out.insert(out.end(), begin, begin + std::ptrdiff_t(recordSize));
    }
    return out;
}

Bytes Instrument::ArchiveRecord(std::uint64_t number, std::size_t size)
{
    Bytes record(size);
    for (std::size_t j = 0; j < size; ++j)
        record[j] = std::uint8_t(number + j);
    for (std::size_t j = 0; j < 4 && j < size; ++j)
        record[j] = std::uint8_t(number >> (8 * (3 - j)));
    return record;
}

void Instrument::FillArchive(std::uint8_t area, std::size_t capacity, std::size_t recordSize, std::uint64_t count)
{
    ArchiveArea& a = archives[area];
    a.capacity = capacity;
    a.places = m_family == Family::VKT && area == kMainArea && capacity > 1 ? capacity - 1 : capacity;
    a.recordSize = recordSize;
    a.written = count;
    a.memory.assign(capacity * recordSize, 0xFF);
    if (a.places > 0) {
        // Only the last lap of the ring is still there.
        for (std::uint64_t n = count > a.places ? count - a.places : 0; n < count; ++n) {
            const Bytes record = ArchiveRecord(n, recordSize);
            std::copy(record.begin(), record.end(), a.memory.begin() + std::ptrdiff_t((n % a.places) * recordSize));
        }
    }
    if (area == kMainArea)
        UpdateArchiveStatus();
}

void Instrument::UpdateArchiveStatus()
{
    const ArchiveArea& a = archives[kMainArea];
    Bytes& status = blocks[kStatusBlock];
    const std::uint64_t c = a.capacity;
    const std::uint64_t n = a.written;
    if (m_family == Family::VK && status.size() >= 28) {
        // Capacity, records held, 1-based place of the newest.
        PutBE32(status.data() + 16, std::uint32_t(c));
        PutBE32(status.data() + 20, std::uint32_t(std::min(n, c)));
        PutBE32(status.data() + 24, std::uint32_t(n == 0 || c == 0 ? 0 : (n - 1) % c + 1));
        // The newest record's clock image: year - 2000 ... second, BCD.
        if (status.size() >= 34)
            PutBcdTime(status.data() + 28, NewestRecordTime());
    } else if (m_family == Family::VKT && status.size() >= 10) {
        // Capacity, then the records written, or once the ring (of C - 1
        // places) has wrapped the place of the oldest less the capacity.
        const std::uint64_t places = a.places;
        PutBE32(status.data() + 2, std::uint32_t(c));
        const std::int64_t x =
            n <= places ? std::int64_t(n) : std::int64_t(places > 0 ? n % places : 0) - std::int64_t(c);
        PutBE32(status.data() + 6, std::uint32_t(x));
        // The newest and the oldest record's times, the records one
        // recording interval (bytes 26 and 27, seconds) apart.
        if (status.size() >= 28) {
            const int interval = status[26] << 8 | status[27];
            const std::uint64_t held = std::min(n, places);
            const std::tm newest = NewestRecordTime();
            PutPackedTime(status.data() + 10, newest);
            PutPackedTime(status.data() + 15,
                          Earlier(newest, std::int64_t(held > 0 ? held - 1 : 0) * (interval > 0 ? interval : 60)));
        }
    }
}

void RecordVKVoltagesAndCurrents(Instrument& instrument)
{
    Bytes& status = instrument.blocks[kStatusBlock];
    std::fill(status.begin() + 3, status.begin() + 16, 0);
    std::fill(status.begin() + 48, status.end(), 0);
    status[6] = 3;
    status[10] = 3;
    status[40] = 0x01;
    status[41] = 0x00;
}

void RecordVKTVoltages(Instrument& instrument, std::uint64_t written, const std::tm* start)
{
    constexpr std::size_t kCapacity = 1000;
    constexpr std::size_t kSize = 14;
    Bytes& status = instrument.blocks[kStatusBlock];
    // The archive description: 60 s, the three voltages, the start.
    std::fill(status.begin() + 26, status.end(), 0);
    status[27] = 60;
    status[28] = 0x07;
    // Four bytes: the packed form without the seconds.
    std::uint8_t packed[5] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    if (start)
        PutPackedTime(packed, *start);
    std::copy_n(packed, 4, status.begin() + 42);
    instrument.FillArchive(kMainArea, kCapacity, kSize, written);
    // Each record carries its time behind its kind byte (0: measured values).
    ArchiveArea& a = instrument.archives[kMainArea];
    for (std::uint64_t n = written > a.places ? written - a.places : 0; n < written; ++n) {
        std::uint8_t* record = a.memory.data() + (n % a.places) * kSize;
        record[0] = 0;
        PutPackedTime(record + 1, Earlier(NewestRecordTime(), std::int64_t(written - 1 - n) * 60));
    }
}

void ServeDefaultMemory(Instrument& instrument)
{
    constexpr std::size_t kCapacity = 1000;
    constexpr std::uint64_t kWritten = 1440; // a day, one record a minute
    constexpr std::size_t kProfileMinutes = 1440;
    const bool vk = instrument.GetFamily() == Family::VK;
    if (!vk && instrument.GetFamily() != Family::VKT)
        return;
    if (vk) {
        RecordVKVoltagesAndCurrents(instrument);
        instrument.FillArchive(kMainArea, kCapacity, 12, kWritten);
        instrument.FillArchive(1, kProfileMinutes, 17, kProfileMinutes);
        instrument.FillArchive(2, kProfileMinutes, 17, 2 * kProfileMinutes);
        ServeVKProfileStatus(instrument);
        return;
    }
    RecordVKTVoltages(instrument, kWritten, nullptr);
    instrument.FillArchive(1, kProfileMinutes, 54, kProfileMinutes);
    instrument.FillArchive(2, kProfileMinutes, 54, 2 * kProfileMinutes);
    ServeVKTProfileStatus(instrument);
}

CommandHandler ArchiveBlockA()
{
    return [](Instrument& self, const Frame& frame) {
        if (frame.data.size() != 5)
            return Response::None();
        const std::uint32_t index = GetBE32(frame.data.data());
        const auto area = self.archives.find(std::uint8_t(index >> 30));
        if (area == self.archives.end())
            return Response::None();
        const ArchiveArea& a = area->second;
        if (a.recordSize == 0)
            return Response::None();
        const std::size_t bytes = frame.data[4];
        if (bytes == 0 || bytes % a.recordSize != 0)
            return Response::None();
        Bytes reply;
        AppendBE32(reply, index);
        reply.push_back(0);
        const Bytes records = a.Read(index & 0x3FFFFFFF, bytes / a.recordSize);
        reply.insert(reply.end(), records.begin(), records.end());
        return Response::Data(std::move(reply));
    };
}

CommandHandler ArchiveStreamA()
{
    return [](Instrument& self, const Frame& frame) {
        const ArchiveArea& a = self.archives[kMainArea];
        if (frame.data.size() != 7 || a.recordSize == 0)
            return Response::None();
        const std::uint32_t first = GetBE32(frame.data.data());
        const std::size_t replies = std::size_t(frame.data[5]) + 1;
        const std::size_t items = frame.data[6];
        if (items == 0 || std::uint8_t(items * a.recordSize) != frame.data[4])
            return Response::None();
        std::vector<Bytes> stream;
        for (std::size_t r = 0; r < replies; ++r) {
            const std::uint32_t index = std::uint32_t(first + r * items);
            Bytes reply;
            AppendBE32(reply, index);
            reply.push_back(0);
            const Bytes records = a.Read(index, items);
            reply.insert(reply.end(), records.begin(), records.end());
            stream.push_back(std::move(reply));
        }
        return Response::Stream(std::move(stream));
    };
}

CommandHandler ArchiveReadB()
{
    return [](Instrument& self, const Frame& frame) {
        if (frame.data.size() != 8)
            return Response::None();
        const std::uint8_t area = frame.data[0];
        const auto it = self.archives.find(area);
        if (it == self.archives.end() || it->second.recordSize == 0)
            return Response::None();
        const std::uint32_t first = GetBE32(frame.data.data() + 1);
        const std::size_t items = std::size_t(frame.data[5]) << 8 | frame.data[6];
        const std::size_t replies = std::size_t(frame.data[7]) + 1;
        std::vector<Bytes> stream;
        for (std::size_t r = 0; r < replies; ++r) {
            const std::uint32_t index = std::uint32_t(first + r * items);
            Bytes reply{area};
            AppendBE32(reply, index);
            reply.push_back(frame.data[5]);
            reply.push_back(frame.data[6]);
            const Bytes records = it->second.Read(index, items);
            reply.insert(reply.end(), records.begin(), records.end());
            stream.push_back(std::move(reply));
        }
        return Response::Stream(std::move(stream));
    };
}

} // namespace sim
