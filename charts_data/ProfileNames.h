#pragma once

#include "model/ProfileStatus.h"

#include <QString>

#include <array>

// Names of downloaded current-profile files and the texts of the profile
// settings dialog, from the instrument's profile status.
namespace charts {

// `archivePrefix` (the instrument's archive path and file stem), "_MP_" for
// the maximum profile or "_SP_" for the selected one, the day as
// "Y%yD%m%d.pro": hala_MP_Y09D0305.pro. Empty for a day that is no date:
// such a name would fit no profile document and could overwrite another
// day's file.
QString ProfileFileName(const QString& archivePrefix, bool maximum, CTime day);
// The day of that profile in the status: the maximum-profile day or the
// selected day.
CTime ProfileDay(const CProfileStatus& status, bool maximum);
// Whether the status dates that profile. An instrument whose flags claim a
// profile it does not date holds nothing that can be filed.
bool HasProfileDay(const CProfileStatus& status, bool maximum);
inline QString ProfileFileName(const QString& archivePrefix, bool maximum, const CProfileStatus& status)
{
    return ProfileFileName(archivePrefix, maximum, ProfileDay(status, maximum));
}

// What the profile settings dialog shows for a status (k = 0..3: I1, I2, I3,
// I1+I2+I3); "--" for an entry without an occurrence time.
struct CProfileSettingsValues {
    std::array<QString, CProfileStatus::kEntries> maximumValue;
    std::array<QString, CProfileStatus::kEntries> maximumTime;
    std::array<QString, CProfileStatus::kEntries> selectedValue;
    std::array<QString, CProfileStatus::kEntries> selectedTime;
    QString selectedDay;
    QString heading; // of both value columns
    QString resetTime;
    // The next occurrence of the status's reference day at the present time
    // of day, never before `now`.
    CTime dayToSelect;
    bool canDownloadSelected = false;
    bool canDownloadMaximum = false;
};
CProfileSettingsValues ProfileSettingsValues(const CProfileStatus& status, CTime now);

} // namespace charts
