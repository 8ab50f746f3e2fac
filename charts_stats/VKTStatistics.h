#pragma once

#include "charts_stats/VKTStatResult.h"

#include <vector>

class CVKTArchivData;

namespace charts::stats {

// Statistics of a VKT analyser archive over its loaded window, one
// result per segment (at least one). Segments split where the voltage
// transformer is set or cleared or the connection changes, and where blocks
// downloaded from the instrument (headed by a status record) meet blocks
// recorded on line. `data` gives the transformer ratios before the first
// settings record and the display units, which are copied into `settings`;
// the nominal values are filled while it is unfilled.
std::vector<CVKTStatResult> ComputeVKTStatistics(const CVKTArchivData& data, CVKTStatSettings& settings,
                                                 const ProgressFn& progress = {});

} // namespace charts::stats
