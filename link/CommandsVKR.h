#pragma once

// Requests of the VKR analyser, format A. Each readies the link first;
// non-zero on success, else 0 with the error text left in the link. A
// record is left as it was by a failed read.
#include "link/Link.h"

class CVKRAktData;
class CVKRConfig;

namespace commands {

BOOL ReadVKRConfig(CLink& link, CVKRConfig& config);
BOOL WriteVKRConfig(CLink& link, const CVKRConfig& config);
BOOL ReadVKRValues(CLink& link, CVKRAktData& values);

} // namespace commands
