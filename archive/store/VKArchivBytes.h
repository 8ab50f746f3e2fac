#pragma once

#include <cstdint>

// Little-endian fields of the analyser measurement records.
namespace vkarchive {

inline void Put16(char* p, std::uint16_t v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

inline void Put32(char* p, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        p[k] = char((v >> (8 * k)) & 0xFF);
}

inline std::uint16_t Get16(const char* p)
{
    return std::uint16_t(std::uint8_t(p[0]) | (std::uint8_t(p[1]) << 8));
}

inline std::uint32_t Get32(const char* p)
{
    return std::uint32_t(Get16(p)) | (std::uint32_t(Get16(p + 2)) << 16);
}

} // namespace vkarchive
