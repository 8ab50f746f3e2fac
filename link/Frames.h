#pragma once

#include "model/PrevodTyp.h"

#include <cstddef>

// Byte layout of the two instrument frame formats. Numbers inside frames are
// big-endian.
//
// Format A: [address][N-1][command or status][data...][8-bit sum]
// Format B: [address][L high][L low][command][L data bytes][CRC high][CRC low]
namespace frames {

inline constexpr int kHeadA = 3; // address, length, command/status
inline constexpr int kOverheadA = 4; // head + sum
inline constexpr int kHeadB = 4; // address, length (2), command
inline constexpr int kOverheadB = 6; // head + CRC
inline constexpr int kMaxFrameA = 256; // the length byte counts up to 255
inline constexpr int kMaxDataA = kMaxFrameA - kOverheadA;
inline constexpr BYTE kRefusedBit = 0x80;

// The address byte of a link's frames: the low byte of its bus address.
inline constexpr BYTE WireAddress(WORD address)
{
    return BYTE(address & 0xFF);
}

// Sum of a byte range modulo 256.
BYTE Sum8(const BYTE* p, std::size_t n);

// CRC-16 with the reflected polynomial 0xA001, bit by bit, no final XOR.
// `crc` is the running register (start 0xFFFF).
WORD Crc16(const BYTE* p, std::size_t n, WORD crc = 0xFFFF);
// Stores the CRC of p[0..n) at p[n], p[n+1], high byte first.
void AppendCrc(BYTE* p, std::size_t n);
// True when p[n], p[n+1] hold the CRC of p[0..n), high byte first.
bool CheckCrc(const BYTE* p, std::size_t n);

// Builds a format-A request into out (room for dataLen + 4 bytes); returns N.
int BuildRequestA(BYTE* out, BYTE address, BYTE command, const BYTE* data, int dataLen);
// Builds a format-B request into out (room for dataLen + 6 bytes); returns N.
int BuildRequestB(BYTE* out, BYTE address, BYTE command, const BYTE* data, int dataLen);

// Head tests the readers resynchronise on.
inline bool IsHeadA(const BYTE* p, int kept, BYTE address, int frameLen)
{
    return kept >= 2 && p[0] == address && p[1] == BYTE(frameLen - 1);
}
inline bool IsHeadB(const BYTE* p, int kept, BYTE address, int frameLen)
{
    const int l = frameLen - kOverheadB;
    return kept >= 3 && p[0] == address && p[1] == BYTE(l >> 8) && p[2] == BYTE(l);
}

} // namespace frames
