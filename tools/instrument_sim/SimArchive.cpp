#include "tools/instrument_sim/SimArchive.h"

#include <algorithm>

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

} // namespace

std::uint32_t GetBE32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
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
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t slot = std::size_t((index + n) % capacity);
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
    a.recordSize = recordSize;
    a.written = count;
    a.memory.assign(capacity * recordSize, 0xFF);
    if (capacity > 0) {
        // Only the last lap of the ring is still there.
        for (std::uint64_t n = count > capacity ? count - capacity : 0; n < count; ++n) {
            const Bytes record = ArchiveRecord(n, recordSize);
            std::copy(record.begin(), record.end(), a.memory.begin() + std::ptrdiff_t((n % capacity) * recordSize));
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
    } else if (m_family == Family::VKT && status.size() >= 10) {
        // Capacity, then the records written, or once the ring has wrapped
        // the place of the oldest less the capacity.
        PutBE32(status.data() + 2, std::uint32_t(c));
        const std::int64_t x = n <= c ? std::int64_t(n) : std::int64_t(n % c) - std::int64_t(c);
        PutBE32(status.data() + 6, std::uint32_t(x));
    }
}

CommandHandler ArchiveBlockA()
{
    return [](Instrument& self, const Frame& frame) {
        const ArchiveArea& a = self.archives[kMainArea];
        if (frame.data.size() != 5 || a.recordSize == 0)
            return Response::None();
        const std::size_t bytes = frame.data[4];
        if (bytes == 0 || bytes % a.recordSize != 0)
            return Response::None();
        const std::uint32_t index = GetBE32(frame.data.data());
        Bytes reply;
        AppendBE32(reply, index);
        reply.push_back(0);
        const Bytes records = a.Read(index, bytes / a.recordSize);
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
