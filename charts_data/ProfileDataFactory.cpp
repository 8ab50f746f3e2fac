#include "charts_data/ProfileDataFactory.h"

#include "charts_data/VKProfileData.h"
#include "charts_data/VKTProfileData.h"

namespace charts {

std::unique_ptr<CProfileData> CreateProfileData(int type)
{
    if (type == int(kProfileTypeVK))
        return std::make_unique<CVKProfileData>();
    if (type == int(kProfileTypeVKT))
        return std::make_unique<CVKTProfileData>();
    return nullptr;
}

} // namespace charts
