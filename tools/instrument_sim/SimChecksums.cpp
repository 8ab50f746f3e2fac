#include "tools/instrument_sim/SimChecksums.h"

#include <array>

namespace sim {

namespace {

std::array<std::uint16_t, 256> MakeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t value = 0;
        std::uint16_t c = std::uint16_t(i);
        for (int bit = 0; bit < 8; ++bit) {
            if ((value ^ c) & 1u)
                value = std::uint16_t((value >> 1) ^ 0xA001u);
            else
                value = std::uint16_t(value >> 1);
            c = std::uint16_t(c >> 1);
        }
        table[i] = value;
    }
    return table;
}

} // namespace

std::uint8_t Sum8(const std::uint8_t* p, std::size_t n)
{
    std::uint8_t sum = 0;
    while (n--)
        sum = std::uint8_t(sum + *p++);
    return sum;
}

std::uint16_t Crc16(const std::uint8_t* p, std::size_t n)
{
    static const std::array<std::uint16_t, 256> table = MakeCrcTable();
    std::uint16_t crc = 0xFFFF;
    while (n--)
        crc = std::uint16_t((crc >> 8) ^ table[(crc ^ *p++) & 0xFFu]);
    return crc;
}

} // namespace sim
