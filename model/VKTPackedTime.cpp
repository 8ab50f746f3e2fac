#include "model/VKTPackedTime.h"

#include <ctime>

CTime VKTTimeOrigin()
{
    return CTime(2000, 1, 1, 0, 0, 0, 0);
}

bool TryUnpackRecordTime(const BYTE* p, bool withSeconds, CTime& out)
{
    const int day = p[0] & 0x1F;
    const int minute = ((p[0] >> 5) << 4) | (p[1] >> 4);
    const int month = p[1] & 0x0F;
    const int year = 2000 + p[2];
    const int hour = p[3];
    const int second = withSeconds ? p[4] : 0;
    const CTime t(year, month, day, hour, minute, second, 0);
    if (!t.IsValid())
        return false;
    out = t;
    return true;
}

CTime UnpackRecordTime(const BYTE* p)
{
    CTime t = VKTTimeOrigin();
    TryUnpackRecordTime(p, true, t);
    return t;
}

CTime UnpackRecordTimeNoSec(const BYTE* p)
{
    CTime t = VKTTimeOrigin();
    TryUnpackRecordTime(p, false, t);
    return t;
}

void PackRecordTime(CTime t, BYTE* p)
{
    std::tm tm{};
    CPrevodTyp::GetStandardTm(t, tm);
    p[0] = BYTE((tm.tm_mday & 0x1F) | ((tm.tm_min >> 4) << 5));
    p[1] = BYTE(((tm.tm_mon + 1) & 0x0F) | ((tm.tm_min & 0x0F) << 4));
    p[2] = BYTE(tm.tm_year + 1900 - 2000);
    p[3] = BYTE(tm.tm_hour);
}

void PackClockBcd(CTime t, BYTE* p)
{
    std::tm tm{};
    CPrevodTyp::GetStandardTm(t, tm);
    p[0] = CPrevodTyp::ToBcd(tm.tm_sec);
    p[1] = CPrevodTyp::ToBcd(tm.tm_min);
    p[2] = CPrevodTyp::ToBcd(tm.tm_hour);
    p[3] = CPrevodTyp::ToBcd(tm.tm_wday + 1);
    p[4] = CPrevodTyp::ToBcd(tm.tm_mday);
    p[5] = CPrevodTyp::ToBcd(tm.tm_mon + 1);
    p[6] = CPrevodTyp::ToBcd((tm.tm_year + 1900 - 2000) & 0xFF);
}

CTime UnpackClockBcd(const BYTE* p)
{
    const CTime t(2000 + CPrevodTyp::FromBcd(p[6]), CPrevodTyp::FromBcd(p[5]), CPrevodTyp::FromBcd(p[4]),
                  CPrevodTyp::FromBcd(p[2]), CPrevodTyp::FromBcd(p[1]), CPrevodTyp::FromBcd(p[0]), 0);
    return t.IsValid() ? t : VKTTimeOrigin();
}
