#pragma once

#include "tools/instrument_sim/SimInstrument.h"

namespace sim {

// Archive requests. Format A block: [index, 4][bytes per reply]; format A
// stream: [index, 4][bytes per reply][replies - 1][records per reply];
// format B (block and stream alike): [area][index, 4][records per reply,
// 2][replies - 1]. Indices are big-endian and count records.
CommandHandler ArchiveBlockA();
CommandHandler ArchiveStreamA();
CommandHandler ArchiveReadB();

std::uint32_t GetBE32(const std::uint8_t* p);
void PutBE32(std::uint8_t* p, std::uint32_t v);

} // namespace sim
