// Current-profile requests of the VK (format A) and VKT (format B) analysers.
#include "link/Link.h"
#include "link/LinkManager.h"

#include "model/ProfileStatus.h"

#include <ctime>

namespace {

constexpr BYTE kReadProfileData = 0x36;
constexpr BYTE kWriteProfileSettings = 0x37;
constexpr BYTE kResetProfiles = 0x38;
constexpr BYTE kReadProfileTimes = 0x39;

static_assert(CLink::kVKProfileTimesSize + CLink::kVKProfileDataSize == CProfileStatus::kVKImageSize);

} // namespace

BOOL CLink::ReadVKProfileTimes(BYTE* data)
{
    if (!ReadA(kReadProfileTimes, kVKProfileTimesSize, platform::IDS_ERR_CHECKSUM, data))
        return FALSE;
    // A good reply can still say the profiles cannot be read now.
    if (data[0] != 0) {
        SetError(platform::IDS_ERR_DEVICE_ERROR_STATE);
        return FALSE;
    }
    return TRUE;
}

BOOL CLink::ReadVKProfileData(BYTE* data)
{
    return ReadA(kReadProfileData, kVKProfileDataSize, platform::IDS_ERR_CHECKSUM, data);
}

BOOL CLink::ResetVKProfiles()
{
    return Prepare() && ExchangeAckA(kResetProfiles, nullptr, 0, platform::IDS_ERR_CHECKSUM);
}

BOOL CLink::DayFields(CTime day, std::tm& tm)
{
    tm = {};
    if (day.GetLocalTm(tm))
        return TRUE;
    // No day can be sent for a time that has no calendar fields.
    SetError(platform::IDS_ERR_SEND_REQUEST);
    return FALSE;
}

BOOL CLink::WriteVKProfileSettings(CTime day)
{
    std::tm tm{};
    if (!DayFields(day, tm))
        return FALSE;
    const BYTE data[] = {CPrevodTyp::ToBcd((tm.tm_year + 1900 - 2000) & 0xFF), CPrevodTyp::ToBcd(tm.tm_mon + 1),
                         CPrevodTyp::ToBcd(tm.tm_mday), 0, 0, 0};
    return WriteA(kWriteProfileSettings, data, int(sizeof data), platform::IDS_ERR_CHECKSUM);
}

BOOL CLink::ReadVKTProfileStatus(CProfileStatus& status, double currentRatio)
{
    BYTE data[CProfileStatus::kVKTImageSize] = {};
    if (!ReadB(kReadProfileData, CProfileStatus::kVKTImageSize, platform::IDS_ERR_ACK_CHECKSUM, data, nullptr, 0,
               true))
        return FALSE;
    status.FromRawVKT(data, currentRatio);
    return TRUE;
}

BOOL CLink::ResetVKTProfiles()
{
    return WriteB(kResetProfiles, nullptr, 0, platform::IDS_ERR_CHECKSUM);
}

BOOL CLink::WriteVKTProfileSettings(CTime day)
{
    std::tm tm{};
    if (!DayFields(day, tm))
        return FALSE;
    const BYTE data[] = {BYTE(tm.tm_mday), BYTE(tm.tm_mon + 1)};
    return WriteB(kWriteProfileSettings, data, int(sizeof data), platform::IDS_ERR_CHECKSUM);
}

BOOL CLinkManager::ReadVKProfileStatus(DWORD id, CProfileStatus& status)
{
    BYTE image[CProfileStatus::kVKImageSize] = {};
    if (!Request(id, [&](CLink& link) { return link.ReadVKProfileTimes(image); }))
        return FALSE;
    if (!Request(id, [&](CLink& link) { return link.ReadVKProfileData(image + CLink::kVKProfileTimesSize); }))
        return FALSE;
    status.FromRawVK(image);
    return TRUE;
}

