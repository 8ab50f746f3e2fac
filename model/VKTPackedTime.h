#pragma once

#include "model/PrevodTyp.h"

// Times as the VKT analyser packs them. Record times (5 bytes, 4 without the
// seconds): byte 0 bits 0-4 day, bits 5-7 minute bits 4-6; byte 1 bits 0-3
// month, bits 4-7 minute bits 0-3; byte 2 year - 2000; byte 3 hour; byte 4
// second. The instrument clock: 7 BCD bytes second, minute, hour, weekday
// (1 = Sunday), day, month, year - 2000. The instrument keeps standard time,
// so packing corrects for summer time and unpacking reads standard time.

// 1 January 2000 00:00:00, what an unusable packed time reads as.
CTime VKTTimeOrigin();

// A packed record time that does not form a valid date gives VKTTimeOrigin().
CTime UnpackRecordTime(const BYTE* p);
CTime UnpackRecordTimeNoSec(const BYTE* p);
// As above, but says whether the fields formed a valid time (out untouched
// when not).
bool TryUnpackRecordTime(const BYTE* p, bool withSeconds, CTime& out);
// Writes the 4-byte form (no seconds).
void PackRecordTime(CTime t, BYTE* p);

void PackClockBcd(CTime t, BYTE* p);
CTime UnpackClockBcd(const BYTE* p);
