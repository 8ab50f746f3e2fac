#pragma once

#include "platform/Time32.h"

#include <QString>

// The texts of the statistics result cells and captions.
namespace statcells {

// VK, VKR and VKT states: 0 the value ("%0.1f" ...), 1 "--", other "-N-".
QString VKValue(float value, const QString& format, int state);
QString VKTime(platform::CTime time, int state);
QString VKShareCount(float share, int count, int state);
// Controllers: a valid flag of 0 gives "--".
QString QorinValue(float value, const QString& format, int valid);
QString QorinTime(platform::CTime time, int valid);

// scale × average × 100 / nominal; a nominal of 0 gives no value.
bool PercentOfNominal(int scale, float average, float nominal, float& percent);

// "1 min" ... "2 hod" for a window width; "1 min" for one not in the table.
QString WindowLabel(int seconds);

QString VoltageUnit(int scale);
QString CurrentUnit(int scale);
// kind 0 active, 1 reactive, 2 apparent.
QString PowerUnit(int scale, int kind);

} // namespace statcells
