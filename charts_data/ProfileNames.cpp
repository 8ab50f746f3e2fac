#include "charts_data/ProfileNames.h"

#include "platform/StringTable.h"

namespace charts {

namespace {

bool IsDate(CTime day)
{
    return day.IsValid() && day.GetTime() != 0;
}

} // namespace

QString ProfileFileName(const QString& archivePrefix, bool maximum, CTime day)
{
    if (!IsDate(day))
        return {};
    return archivePrefix + (maximum ? QStringLiteral("_MP_") : QStringLiteral("_SP_"))
           + day.Format(QStringLiteral("Y%yD%m%d.pro"));
}

CTime ProfileDay(const CProfileStatus& status, bool maximum)
{
    return maximum ? status.GetTimeC() : status.GetSelectedDay();
}

bool HasProfileDay(const CProfileStatus& status, bool maximum)
{
    return IsDate(ProfileDay(status, maximum));
}

CProfileSettingsValues ProfileSettingsValues(const CProfileStatus& status, CTime now)
{
    const QString none = QStringLiteral("--");
    CProfileSettingsValues v;
    v.heading = platform::LoadString(platform::IDS_PROFILE_VALUE_HEADING).replace(QStringLiteral("%s"), QStringLiteral("A"));
    for (int k = 0; k < CProfileStatus::kEntries; ++k) {
        const auto i = std::size_t(k);
        const CTime maxTime = status.GetMaximumTime(k);
        const bool hasMax = maxTime.GetTime() != 0;
        v.maximumValue[i] = hasMax ? QString::asprintf("%0.3f", double(status.GetMaximumValue(k))) : none;
        v.maximumTime[i] = hasMax ? maxTime.Format(QStringLiteral("%d.%m.%y %H:%M")) : none;
        const CTime dayTime = status.GetDayTime(k);
        const bool hasDay = dayTime.GetTime() != 0;
        v.selectedValue[i] = hasDay ? QString::asprintf("%0.3f", double(status.GetDayValue(k))) : none;
        v.selectedTime[i] = hasDay ? dayTime.Format(QStringLiteral("%H:%M")) : none;
    }
    v.selectedDay = status.GetFlagD() == 1 ? status.GetSelectedDay().Format(QStringLiteral("%d.%m.%y")) : none;
    v.resetTime = status.GetResetTime().Format(QStringLiteral("%d.%m.%y %H:%M:%S"));

    const CTime reference = status.GetCurrentDate();
    const auto on = [&](int year) {
        return CTime(year, reference.GetMonth(), reference.GetDay(), now.GetHour(), now.GetMinute(), now.GetSecond());
    };
    v.dayToSelect = on(now.GetYear());
    if (v.dayToSelect.GetTime() < now.GetTime())
        v.dayToSelect = on(now.GetYear() + 1);

    v.canDownloadSelected = status.GetFlagD() == 1;
    v.canDownloadMaximum = status.GetFlagC() == 1 || status.GetFlagC() == 2;
    return v;
}

} // namespace charts
