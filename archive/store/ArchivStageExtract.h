#pragma once

#include "archive/store/ArchivRecord.h"
#include "platform/Time32.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The compensation stages of a controller as on/off runs for the stage bars.
// One entry per state change: bit 31 set while the stage is on, bits 0-30 the
// seconds from the time origin.
namespace archive {

inline constexpr int kStageCount = 14;
inline constexpr std::uint32_t kStageOn = 0x80000000u;

using CStageLists = std::array<std::vector<std::uint32_t>, kStageCount>;

// The VKT's outputs: lists 1-8 the overloads of the inputs' voltages and
// currents (status byte A), list 9 the relay.
inline constexpr int kOutputCount = 9;
using COutputLists = std::array<std::vector<std::uint32_t>, kOutputCount>;

struct CStageWalk {
    platform::CTime origin;
    // Window mode: the lists of the channel before, whose last change an
    // outage at the start of this channel continues (empty: none).
    std::span<const std::vector<std::uint32_t>> previous;
    // False: the lists start afresh.
    bool append = false;
};

// An outage breaks every stage that is on; the next changed-fields record
// then states every broken stage again.
// The stages fill the first 14 lists, the outputs the first 9.
void ExtractQorinStages(const CArchivRecordList& records, std::span<std::vector<std::uint32_t>> lists,
                        const CStageWalk& walk);
void ExtractDuskarStages(const CArchivRecordList& records, std::span<std::vector<std::uint32_t>> lists,
                         const CStageWalk& walk);
// Only bit 0 of the relay state is an output: its other bits add nothing.
void ExtractVKTOutputs(const CArchivRecordList& records, std::span<std::vector<std::uint32_t>> lists,
                       const CStageWalk& walk);
// The runs of the family `kind` (Qorin, Duskar stages; VKT outputs); false
// for a family without any.
bool ExtractFamilyStages(int kind, const CArchivRecordList& records, CStageLists& lists, const CStageWalk& walk);

} // namespace archive
