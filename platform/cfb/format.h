// Internal: constants and small helpers of the compound file format.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace cfb::detail {

// Special sector numbers.
inline constexpr std::uint32_t kMaxRegSect = 0xFFFFFFFA;
inline constexpr std::uint32_t kDifSect = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSect = 0xFFFFFFFF;
inline constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

inline constexpr std::uint32_t kMiniCutoff = 4096;
inline constexpr std::uint32_t kMiniSectorSize = 64;
inline constexpr std::uint32_t kHeaderDifatEntries = 109;
inline constexpr std::uint32_t kDirEntrySize = 128;
inline constexpr std::uint32_t kMaxNameUnits = 31;

inline constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

enum : std::uint8_t { kTypeEmpty = 0, kTypeStorage = 1, kTypeStream = 2, kTypeRoot = 5 };
enum : std::uint8_t { kRed = 0, kBlack = 1 };

inline std::uint16_t rd16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t rd32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
inline std::uint64_t rd64(const std::uint8_t* p) { return std::uint64_t(rd32(p)) | (std::uint64_t(rd32(p + 4)) << 32); }
inline void wr16(std::uint8_t* p, std::uint16_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}
inline void wr32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}
inline void wr64(std::uint8_t* p, std::uint64_t v) {
  wr32(p, std::uint32_t(v));
  wr32(p + 4, std::uint32_t(v >> 32));
}

// UTF-8 -> UTF-16; nullopt for invalid UTF-8.
std::optional<std::u16string> utf8ToUtf16(std::string_view s);
// UTF-16 -> UTF-8; unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view s);

// Simple upper-case mapping of one UTF-16 unit, as the format's name order
// needs it (ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic).
char16_t upperUnit(char16_t c);
// The format's name order: shorter first, then unit by unit upper-cased.
int compareNames(std::u16string_view a, std::u16string_view b);
// Key for case-insensitive lookup.
std::u16string nameKey(std::u16string_view s);
// 1..31 units, none of '/', '\\', ':', '!' or NUL.
bool validName(std::u16string_view s);

std::uint32_t crc32(const std::uint8_t* data, std::size_t n, std::uint32_t crc = 0);

}  // namespace cfb::detail
