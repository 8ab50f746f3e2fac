#pragma once

// Current-profile requests of the VK (format A) and VKT (format B)
// analysers. Each readies the link first; non-zero on success, else 0 with
// the error text left in the link.
#include "link/Link.h"

class CProfileStatus;

namespace commands {

// The VK status comes in two replies, each a request of its own (see
// CLinkManager::ReadVKProfileStatus).
constexpr int kVKProfileTimesSize = 24;
constexpr int kVKProfileDataSize = 96;
BOOL ReadVKProfileTimes(CLink& link, BYTE* data);
BOOL ReadVKProfileData(CLink& link, BYTE* data);
BOOL ResetVKProfiles(CLink& link);
// The day of the selected profile.
BOOL WriteVKProfileSettings(CLink& link, CTime day);
// `currentRatio` scales the currents.
BOOL ReadVKTProfileStatus(CLink& link, CProfileStatus& status, double currentRatio);
BOOL ResetVKTProfiles(CLink& link);
BOOL WriteVKTProfileSettings(CLink& link, CTime day);

} // namespace commands
