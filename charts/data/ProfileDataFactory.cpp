#include "charts/data/ProfileDataFactory.h"

#include "charts/data/VKProfileData.h"
#include "charts/data/VKTProfileData.h"

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
