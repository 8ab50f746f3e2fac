#pragma once

#include "charts_stats/VKStatResult.h"

#include <vector>

class CVKArchivData;

namespace charts::stats {

// Statistics of a VK analyser archive over its loaded window, one result per
// segment (at least one). Segments split where the voltage-transformer
// setting or the connection changes, and where blocks downloaded from the
// instrument (headed by a status record) meet blocks recorded on line; what
// a download did not record reads as not applicable. The archive's display
// units are copied into `settings`; its nominal values are filled while it
// is unfilled.
std::vector<CVKStatResult> ComputeVKStatistics(CVKArchivData& data, CVKStatSettings& settings,
                                               const ProgressFn& progress = {});

} // namespace charts::stats
