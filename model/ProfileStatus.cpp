#include "model/ProfileStatus.h"

#include "model/VKConfig.h"
#include "model/VKTPackedTime.h"

QORIN_IMPLEMENT_SERIAL(CProfileStatus, &CPrevodTyp::classCPrevodTyp, 1)

namespace {

// An occurrence time of 0 (or the invalid time) means the entry is empty.
std::int32_t HasTime(CTime t)
{
    return t.GetTime() != 0 && t.IsValid() ? 1 : 0;
}

} // namespace

void CProfileStatus::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        for (std::size_t k = 0; k < kEntries; ++k) {
            ar >> m_maxValue[k] >> m_maxTime[k] >> m_dayValue[k] >> m_dayTime[k];
            m_maxPresent[k] = HasTime(m_maxTime[k]);
            m_dayPresent[k] = HasTime(m_dayTime[k]);
        }
        ar >> m_timeC >> m_selectedDay >> m_flagD >> m_flagC >> m_currentDate >> m_resetTime;
    } else {
        for (std::size_t k = 0; k < kEntries; ++k)
            ar << m_maxValue[k] << m_maxTime[k] << m_dayValue[k] << m_dayTime[k];
        ar << m_timeC << m_selectedDay << m_flagD << m_flagC << m_currentDate << m_resetTime;
    }
}

void CProfileStatus::FromRawVKT(const BYTE* p, double ratio)
{
    const auto entry = [p, ratio](int offset, float& value, CTime& time, std::int32_t& present) {
        const BYTE* t = p + offset + 4;
        present = t[0] != 0 ? 1 : 0;
        if (!present) {
            time = CTime();
            return;
        }
        value = float(GetFloat(p + offset) * ratio);
        time = UnpackRecordTime(t);
    };
    for (std::size_t k = 0; k < kEntries; ++k) {
        entry(int(9 * k), m_dayValue[k], m_dayTime[k], m_dayPresent[k]);
        entry(int(36 + 9 * k), m_maxValue[k], m_maxTime[k], m_maxPresent[k]);
    }
    m_flagD = p[80];
    m_flagC = p[81] != 0 && (p[83] == 1 || p[83] == 2) ? 1 : 0;
    if (p[81] != 0) {
        m_timeC = UnpackRecordTime(p + 76);
        m_selectedDay = UnpackRecordTimeNoSec(p + 72);
    }
    m_currentDate = UnpackRecordTimeNoSec(p + 72);
    m_resetTime = UnpackRecordTimeNoSec(p + 84);
}

void CProfileStatus::FromRawVK(const BYTE* p)
{
    // Currents are in 0.0003125 A at ratio 1.
    const double scale = 0.0003125 * CVKConfig::GetCtRatio(GetDword(p + 76));

    const auto entry = [p, scale](int timeOffset, int valueOffset, bool sum, float& value, CTime& time,
                                  std::int32_t& present) {
        const WORD word = GetWord(p + valueOffset);
        present = p[timeOffset + 1] != 0xFF && word != (sum ? 0xFFFF : 0x7FFF) ? 1 : 0;
        if (!present) {
            time = CTime();
            return;
        }
        value = float((sum ? double(word) : double(std::int16_t(word))) * scale);
        time = BcdToTime(p + timeOffset);
    };
    for (std::size_t k = 0; k < 3; ++k) {
        entry(int(6 + 6 * k), int(30 + 2 * k), false, m_dayValue[k], m_dayTime[k], m_dayPresent[k]);
        entry(int(38 + 6 * k), int(62 + 2 * k), false, m_maxValue[k], m_maxTime[k], m_maxPresent[k]);
    }
    entry(24, 36, true, m_dayValue[3], m_dayTime[3], m_dayPresent[3]);
    entry(56, 68, true, m_maxValue[3], m_maxTime[3], m_maxPresent[3]);

    m_currentDate = p[1] == 0xFF ? CTime::GetCurrentTime() + CTimeSpan(1, 0, 0, 0) : BcdToTime(p);
    m_resetTime = BcdToTime(p + 70);
    m_flagD = p[98] != 0xFF ? 1 : 0;
    if (m_flagD)
        m_selectedDay = BcdToTime(p + 97);
    m_flagC = p[104] != 0xFF ? 1 : 0;
    if (m_flagC)
        m_timeC = BcdToTime(p + 103);
}
