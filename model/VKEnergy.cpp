#include "model/VKEnergy.h"

#include <cstring>

QORIN_IMPLEMENT_SERIAL(CVKETarif, &CPrevodTyp::classCPrevodTyp, 1)

void CVKETarif::Serialize(SerialArchive& ar)
{
    for (BYTE& code : m_codes) {
        if (ar.GetMode() & 1)
            ar >> code;
        else
            ar << code;
    }
}

void CVKETarif::UnpackHours(const BYTE* p)
{
    for (int h = 0; h < kHours; ++h) {
        const BYTE code = BYTE((p[h / 4] >> (2 * (h % 4))) & 3);
        m_codes[h] = code == 3 ? 0 : code;
    }
}

void CVKETarif::PackHours(BYTE* p)
{
    std::memset(p, 0, kImageSize);
    for (int h = 0; h < kHours; ++h) {
        if (m_codes[h] > 2)
            m_codes[h] = 0;
        p[h / 4] = BYTE(p[h / 4] | (m_codes[h] << (2 * (h % 4))));
    }
}

void CVKEData::FromRaw(const BYTE* p)
{
    for (int i = 0; i < kCounters; ++i)
        m_counters[i] = GetDword(p + 4 * i);
    std::memcpy(m_resetTime, p + 48, 6);
    for (int i = 0; i < kMaxima; ++i) {
        m_maximum[i] = std::int32_t(GetDword(p + 54 + 4 * i));
        std::memcpy(m_maximumTime[i], p + 70 + 6 * i, 6);
    }
}

CTime CVKEData::GetMaximumTime(int i) const
{
    if (i < 0 || i >= kMaxima)
        return CTime(CTime::kInvalid);
    return BcdToTime(m_maximumTime[i]);
}

double CVKEData::GetEnergy(int index, double vtRatio, double ctRatio) const
{
    return m_counters[index] * vtRatio * ctRatio * 0.001;
}

double CVKEData::GetMaximumPower(int i, double vtRatio, double ctRatio) const
{
    return m_maximum[i] * vtRatio * ctRatio * 0.000003125 * 0.001;
}
