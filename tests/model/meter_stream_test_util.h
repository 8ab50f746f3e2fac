#pragma once

// A meter stream in memory, shared by the VK and VKT meter-archive tests.

#include "model/StreamHelpers.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace metertest {

// A write budget makes a write stop part-way (as a full disk would), and
// failSetSize makes resizing fail. Every change is kept in states, to check
// the states a process killed at that moment would leave.
class MemoryStream : public ISeekableByteStream {
public:
    std::int64_t Read(void* data, std::int64_t size) override
    {
        const std::int64_t n = std::max<std::int64_t>(0, std::min<std::int64_t>(size, bytes.size() - pos));
        std::memcpy(data, bytes.constData() + pos, std::size_t(n));
        pos += n;
        return n;
    }
    std::int64_t Write(const void* data, std::int64_t size) override
    {
        std::int64_t n = size;
        if (budget) {
            if (*budget == 0)
                return -1;
            n = std::min(n, *budget);
            *budget -= n;
        }
        if (pos + n > bytes.size())
            bytes.resize(qsizetype(pos + n), '\0');
        std::memcpy(bytes.data() + pos, data, std::size_t(n));
        pos += n;
        states.push_back(bytes);
        return n;
    }
    std::int64_t Seek(std::int64_t offset, Origin origin) override
    {
        const std::int64_t base = origin == FromBegin ? 0 : (origin == FromCurrent ? pos : bytes.size());
        if (base + offset < 0)
            return -1;
        pos = base + offset;
        return pos;
    }
    BOOL SetSize(std::int64_t size) override
    {
        if (failSetSize)
            return FALSE;
        bytes.resize(qsizetype(size), '\0');
        states.push_back(bytes);
        return TRUE;
    }

    QByteArray bytes;
    std::int64_t pos = 0;
    std::optional<std::int64_t> budget; // bytes that may still be written; none: no limit
    bool failSetSize = false;
    std::vector<QByteArray> states;
};

} // namespace metertest
