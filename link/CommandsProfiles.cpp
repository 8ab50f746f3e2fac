#include "link/CommandsProfiles.h"

#include "link/LinkManager.h"

#include "model/ProfileStatus.h"

#include <ctime>

namespace {

constexpr BYTE kReadProfileData = 0x36;
constexpr BYTE kWriteProfileSettings = 0x37;
constexpr BYTE kResetProfiles = 0x38;
constexpr BYTE kReadProfileTimes = 0x39;

static_assert(commands::kVKProfileTimesSize + commands::kVKProfileDataSize == CProfileStatus::kVKImageSize);

// Local calendar fields of a day to send; FALSE with the error text for a
// time that has none.
BOOL DayFields(CLink& link, CTime day, std::tm& tm)
{
    tm = {};
    if (day.GetLocalTm(tm))
        return TRUE;
    // No day can be sent for a time that has no calendar fields.
    link.SetError(platform::IDS_ERR_SEND_REQUEST);
    return FALSE;
}

} // namespace

namespace commands {

BOOL ReadVKProfileTimes(CLink& link, BYTE* data)
{
    if (!link.ReadA(kReadProfileTimes, kVKProfileTimesSize, platform::IDS_ERR_CHECKSUM, data))
        return FALSE;
    // A good reply can still say the profiles cannot be read now.
    if (data[0] != 0) {
        link.SetError(platform::IDS_ERR_DEVICE_ERROR_STATE);
        return FALSE;
    }
    return TRUE;
}

BOOL ReadVKProfileData(CLink& link, BYTE* data)
{
    return link.ReadA(kReadProfileData, kVKProfileDataSize, platform::IDS_ERR_CHECKSUM, data);
}

BOOL ResetVKProfiles(CLink& link)
{
    return link.Prepare() && link.ExchangeAckA(kResetProfiles, nullptr, 0, platform::IDS_ERR_CHECKSUM);
}

BOOL WriteVKProfileSettings(CLink& link, CTime day)
{
    std::tm tm{};
    if (!DayFields(link, day, tm))
        return FALSE;
    const BYTE data[] = {CPrevodTyp::ToBcd((tm.tm_year + 1900 - 2000) & 0xFF), CPrevodTyp::ToBcd(tm.tm_mon + 1),
                         CPrevodTyp::ToBcd(tm.tm_mday), 0, 0, 0};
    return link.WriteA(kWriteProfileSettings, data, int(sizeof data), platform::IDS_ERR_CHECKSUM);
}

BOOL ReadVKTProfileStatus(CLink& link, CProfileStatus& status, double currentRatio)
{
    BYTE data[CProfileStatus::kVKTImageSize] = {};
    if (!link.ReadB(kReadProfileData, CProfileStatus::kVKTImageSize, platform::IDS_ERR_ACK_CHECKSUM, data, nullptr,
                    0, true))
        return FALSE;
    status.FromRawVKT(data, currentRatio);
    return TRUE;
}

BOOL ResetVKTProfiles(CLink& link)
{
    return link.WriteB(kResetProfiles, nullptr, 0, platform::IDS_ERR_CHECKSUM);
}

BOOL WriteVKTProfileSettings(CLink& link, CTime day)
{
    std::tm tm{};
    if (!DayFields(link, day, tm))
        return FALSE;
    const BYTE data[] = {BYTE(tm.tm_mday), BYTE(tm.tm_mon + 1)};
    return link.WriteB(kWriteProfileSettings, data, int(sizeof data), platform::IDS_ERR_CHECKSUM);
}

} // namespace commands

BOOL CLinkManager::ReadVKProfileStatus(DWORD id, CProfileStatus& status)
{
    BYTE image[CProfileStatus::kVKImageSize] = {};
    if (!Request(id, commands::ReadVKProfileTimes, image))
        return FALSE;
    if (!Request(id, commands::ReadVKProfileData, image + commands::kVKProfileTimesSize))
        return FALSE;
    status.FromRawVK(image);
    return TRUE;
}

