#include "model/VKTEnergy.h"

#include "model/VKTPackedTime.h"

#include <cmath>

QORIN_IMPLEMENT_SERIAL(CVKTETarif, &CPrevodTyp::classCPrevodTyp, 1)
QORIN_IMPLEMENT_SERIAL(CVKTEData, &CPrevodTyp::classCPrevodTyp, 1)
QORIN_IMPLEMENT_SERIAL(CVKTEDataRec, &CPrevodTyp::classCPrevodTyp, 1)

namespace {

constexpr std::array<WORD, 5> kIntervalQuarterHours = {1, 4, 32, 96, 672};

} // namespace

void CVKTETarif::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        for (BYTE& c : m_codes)
            ar >> c;
        ar >> m_interval;
    } else {
        for (BYTE c : m_codes)
            ar << c;
        ar << m_interval;
    }
}

void CVKTETarif::FromRaw(const BYTE* p)
{
    for (int h = 0; h < kHours; ++h) {
        const BYTE code = BYTE((p[h / 4] >> (2 * (h % 4))) & 0x03);
        m_codes[std::size_t(h)] = code > 2 ? BYTE(0) : code;
    }
    m_interval = GetWord(p + 6);
}

void CVKTETarif::ToRaw(BYTE* p) const
{
    for (int j = 0; j < 6; ++j)
        p[j] = 0;
    for (int h = 0; h < kHours; ++h) {
        const BYTE code = m_codes[std::size_t(h)];
        p[h / 4] = BYTE(p[h / 4] | ((code > 2 ? 0 : code) << (2 * (h % 4))));
    }
    PutWord(p + 6, m_interval);
}

WORD CVKTETarif::IntervalOfCode(int code)
{
    return code >= 0 && code < int(kIntervalQuarterHours.size()) ? kIntervalQuarterHours[std::size_t(code)] : WORD(0);
}

int CVKTETarif::CodeOfInterval(WORD quarterHours)
{
    for (std::size_t c = 0; c < kIntervalQuarterHours.size(); ++c) {
        if (kIntervalQuarterHours[c] == quarterHours)
            return int(c);
    }
    return -1;
}

void CVKTEData::Serialize(SerialArchive& ar)
{
    for (int r = 0; r < kRegisters; ++r) {
        for (int g = 0; g < kGroups; ++g) {
            double& v = m_registers[std::size_t(g)][std::size_t(r)];
            if (ar.GetMode() & 1)
                ar >> v;
            else
                ar << v;
        }
    }
    if (ar.GetMode() & 1)
        ar >> m_time;
    else
        ar << m_time;
}

void CVKTEData::FromRaw(const BYTE* p)
{
    // Dword k of the image lies at 4k: fractional parts (floats) of the phase
    // groups, then of the tariff groups, then the whole parts in the same
    // order, then the time.
    const auto dword = [p](int k) { return p + 4 * k; };
    for (int r = 0; r < kRegisters; ++r) {
        const double sign = (r == 1 || r == 3) ? -1.0 : 1.0;
        for (int g = 0; g < kGroups; ++g) {
            const int phaseIndex = 3 * r + (g - 4);
            const int tariffIndex = 12 + 4 * r + g;
            const int k = g >= 4 ? phaseIndex : tariffIndex;
            const double fraction = GetFloat(dword(k));
            const double whole = GetDword(dword(k + 28));
            m_registers[std::size_t(g)][std::size_t(r)] = sign * (whole + fraction);
        }
    }
    m_time = UnpackRecordTimeNoSec(dword(56));
}

double CVKTEData::GetRegister(int group, int reg) const
{
    return Valid(group, reg) ? m_registers[std::size_t(group)][std::size_t(reg)] : 0.0;
}

void CVKTEData::SetRegister(int group, int reg, double v)
{
    if (Valid(group, reg))
        m_registers[std::size_t(group)][std::size_t(reg)] = v;
}

double CVKTEData::GetPowerFactor(int group) const
{
    const double p = GetRegister(group, 0) + GetRegister(group, 1);
    const double q = GetRegister(group, 2) + GetRegister(group, 3);
    const double s = std::sqrt(p * p + q * q);
    return s < 1e-18 ? 10000.0 : p / s;
}

void CVKTEDataRec::Serialize(SerialArchive& ar)
{
    m_data.Serialize(ar);
    for (std::size_t k = 0; k < kMaxima; ++k) {
        if (ar.GetMode() & 1) {
            ar >> m_maxima[k] >> m_present[k];
            if (m_present[k])
                ar >> m_maxTimes[k];
            else
                m_maxTimes[k] = CTime();
        } else {
            ar << m_maxima[k] << m_present[k];
            if (m_present[k])
                ar << m_maxTimes[k];
        }
    }
    if (ar.GetMode() & 1)
        ar >> m_resetTime >> m_maximaResetTime;
    else
        ar << m_resetTime << m_maximaResetTime;
}

void CVKTEDataRec::FromRaw(const BYTE* p)
{
    m_data.FromRaw(p);
    m_resetTime = UnpackRecordTimeNoSec(p + 228);
    for (std::size_t k = 0; k < kMaxima; ++k) {
        const BYTE* entry = p + 232 + 9 * k;
        m_maxima[k] = GetFloat(entry);
        const BYTE* time = entry + 4;
        m_present[k] = (time[0] | time[1] | time[2] | time[3]) != 0 ? 1 : 0;
        m_maxTimes[k] = m_present[k] ? UnpackRecordTime(time) : CTime();
    }
    m_maximaResetTime = UnpackRecordTimeNoSec(p + 268);
}
