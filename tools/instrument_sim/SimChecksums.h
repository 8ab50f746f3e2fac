#pragma once

#include <cstddef>
#include <cstdint>

// Checksums of the instrument protocol, kept apart from the program's own
// code on purpose: the simulator computes them another way (a lookup table
// for the CRC), so that a mistake on one side of the wire shows.
namespace sim {

std::uint8_t Sum8(const std::uint8_t* p, std::size_t n);
// CRC-16, reflected polynomial 0xA001, start 0xFFFF, no final XOR.
std::uint16_t Crc16(const std::uint8_t* p, std::size_t n);

} // namespace sim
