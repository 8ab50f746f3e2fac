#pragma once

#include "charts_stats/VKStatResult.h"

#include <vector>

class CVKRArchivData;

namespace charts::stats {

// Statistics of a VKR analyser archive over its loaded window, one result
// per segment (at least one): voltages, currents, distortion, powers by
// direction with their energies, power factors and the voltage unbalance.
// Segments split where the transformer ratios are set or cleared or the
// connection changes. The archive's display units are copied into
// `settings`; its nominal values are filled while it is unfilled.
std::vector<CVKRStatResult> ComputeVKRStatistics(CVKRArchivData& data, CVKRStatSettings& settings,
                                                 const ProgressFn& progress = {});

} // namespace charts::stats
