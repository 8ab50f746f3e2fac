#pragma once

#include "charts_data/ProfileData.h"

#include <memory>

namespace charts {

// The profile data of a profile type (2 VK, 4 VKT); null for any other.
std::unique_ptr<CProfileData> CreateProfileData(int type);

} // namespace charts
