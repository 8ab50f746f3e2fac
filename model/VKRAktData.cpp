#include "model/VKRAktData.h"

void CVKRAktData::FromRaw(const BYTE* p)
{
    for (int k = 0; k < 3; ++k) {
        m_uPhase[k] = GetFloat(p + 4 * k);
        m_current[k] = GetFloat(p + 12 + 4 * k);
        m_uLine[k] = GetFloat(p + 24 + 4 * k);
        m_p[k] = GetFloat(p + 36 + 4 * k);
        m_angle[k] = std::int16_t(GetWord(p + 48 + 2 * k));
        m_thdU[k] = std::int16_t(GetWord(p + 54 + 2 * k));
        m_thdI[k] = std::int16_t(GetWord(p + 60 + 2 * k));
        m_thdULine[k] = std::int16_t(GetWord(p + 66 + 2 * k));
        m_q[k] = GetFloat(p + 72 + 4 * k);
    }
    m_temperature = std::int16_t(GetWord(p + 84));
    m_frequency = std::int16_t(GetWord(p + 86));
    m_status1 = p[88];
    m_status2 = p[89];
}

void CVKRAktData::Clear()
{
    for (int k = 0; k < 3; ++k) {
        m_uPhase[k] = 0.0f;
        m_current[k] = 0.0f;
        m_uLine[k] = 0.0f;
        m_p[k] = 0.0f;
        m_q[k] = 0.0f;
        m_angle[k] = kNoValue16;
        m_thdU[k] = kNoValue16;
        m_thdI[k] = kNoValue16;
        m_thdULine[k] = kNoValue16;
    }
    m_temperature = 0;
    m_frequency = 0;
    m_status1 = 0;
    m_status2 = 0;
}
