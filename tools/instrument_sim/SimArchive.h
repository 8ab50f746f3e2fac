#pragma once

#include "tools/instrument_sim/SimInstrument.h"

#include <ctime>

namespace sim {

// Archive requests. Format A block: [index, 4][bytes per reply]; format A
// stream: [index, 4][bytes per reply][replies - 1][records per reply];
// format B (block and stream alike): [area][index, 4][records per reply,
// 2][replies - 1]. Indices are big-endian and count records; a format-A
// block index with its top bits set reads memory area (index >> 30), where
// the VK keeps its current profiles.
CommandHandler ArchiveBlockA();
CommandHandler ArchiveStreamA();
CommandHandler ArchiveReadB();

std::uint32_t GetBE32(const std::uint8_t* p);
void PutBE32(std::uint8_t* p, std::uint32_t v);

// The VK status of a recording of three voltages and three currents (12
// bytes a record), one record a minute.
void RecordVKVoltagesAndCurrents(Instrument& instrument);

// What a VK or VKT analyser holds when nothing else is asked for: a
// recording of one record a minute (VK three voltages and three currents,
// 12 bytes; VKT three voltages, 14 bytes, each record dated) that has gone
// round its ring of 1000 records, the newest at 15 January 2024 12:00, and
// both current profiles (1440 minutes each) with a profile status that
// dates them: the selected profile is 14 January 2024, the maximal one has
// run since 13 January 2024 00:00 and is dated 15 January 2024 12:00.
// Other families are left as they are.
void ServeDefaultMemory(Instrument& instrument);

// A VKT recording as ServeDefaultMemory makes it (one record a minute of
// three voltages, the newest at 15 January 2024 12:00, in a ring of 1000),
// `written` records long, with the archive description's start `start`
// (the instrument's own fields; null: "at once").
void RecordVKTVoltages(Instrument& instrument, std::uint64_t written, const std::tm* start);

// A VKT record time (5 bytes; the first 4 without the seconds): day and the
// minute's high bits, month and its low bits, year - 2000, hour, second.
// The fields are the instrument's own (standard time).
void PutPackedTime(std::uint8_t* p, const std::tm& tm);

} // namespace sim
