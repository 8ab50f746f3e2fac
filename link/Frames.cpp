#include "link/Frames.h"

#include <cstring>

namespace frames {

BYTE Sum8(const BYTE* p, std::size_t n)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += p[i];
    return BYTE(sum);
}

WORD Crc16(const BYTE* p, std::size_t n, WORD crc)
{
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? WORD((crc >> 1) ^ 0xA001) : WORD(crc >> 1);
    }
    return crc;
}

void AppendCrc(BYTE* p, std::size_t n)
{
    const WORD crc = Crc16(p, n);
    p[n] = BYTE(crc >> 8);
    p[n + 1] = BYTE(crc);
}

bool CheckCrc(const BYTE* p, std::size_t n)
{
    const WORD crc = Crc16(p, n);
    return p[n] == BYTE(crc >> 8) && p[n + 1] == BYTE(crc);
}

int BuildRequestA(BYTE* out, BYTE address, BYTE command, const BYTE* data, int dataLen)
{
    const int n = dataLen + kOverheadA;
    out[0] = address;
    out[1] = BYTE(n - 1);
    out[2] = command;
    if (dataLen > 0)
        std::memcpy(out + kHeadA, data, std::size_t(dataLen));
    out[n - 1] = Sum8(out, std::size_t(n - 1));
    return n;
}

int BuildRequestB(BYTE* out, BYTE address, BYTE command, const BYTE* data, int dataLen)
{
    out[0] = address;
    out[1] = BYTE(dataLen >> 8);
    out[2] = BYTE(dataLen);
    out[3] = command;
    if (dataLen > 0)
        std::memcpy(out + kHeadB, data, std::size_t(dataLen));
    AppendCrc(out, std::size_t(dataLen + kHeadB));
    return dataLen + kOverheadB;
}

} // namespace frames
