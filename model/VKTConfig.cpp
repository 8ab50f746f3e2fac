#include "model/VKTConfig.h"

#include <cstring>

QORIN_IMPLEMENT_SERIAL(CVKTConfig, &CPrevodTyp::classCPrevodTyp, 1)

namespace {

DWORD FloatBits(float f)
{
    DWORD d;
    std::memcpy(&d, &f, 4);
    return d;
}

float BitsFloat(DWORD d)
{
    float f;
    std::memcpy(&f, &d, 4);
    return f;
}

} // namespace

void CVKTConfig::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        DWORD voltage = 0, power = 0;
        ar >> m_vtPrimary >> m_ctPrimary >> m_vt4 >> m_ct4 >> m_frequency >> m_connection >> m_address >> m_speed
            >> m_remote >> m_ip >> m_port >> voltage >> power;
        for (BYTE& b : m_reserved)
            ar >> b;
        m_nominalVoltage = BitsFloat(voltage);
        m_nominalPower = BitsFloat(power);
    } else {
        ar << m_vtPrimary << m_ctPrimary << m_vt4 << m_ct4 << m_frequency << m_connection << m_address << m_speed
           << m_remote << m_ip << m_port << FloatBits(m_nominalVoltage) << FloatBits(m_nominalPower);
        for (BYTE b : m_reserved)
            ar << b;
    }
}

void CVKTConfig::FromRaw(const BYTE* p)
{
    m_vtPrimary = GetWord(p);
    m_vt4 = GetWord(p + 2);
    m_ctPrimary = GetWord(p + 4);
    m_ct4 = GetWord(p + 6);
    m_frequency = GetWord(p + 8);
    m_connection = p[10];
    m_address = p[11];
    m_speed = p[12];
    m_remote = p[13];
    m_ip = GetDword(p + 14);
    m_port = GetWord(p + 18);
    m_nominalVoltage = GetFloat(p + 20);
    m_nominalPower = GetFloat(p + 24);
    m_display = p[28];
    std::memcpy(m_reserved.data(), p + 29, m_reserved.size());
}

void CVKTConfig::ToRaw(BYTE* p) const
{
    PutWord(p, m_vtPrimary);
    PutWord(p + 2, m_vt4);
    PutWord(p + 4, m_ctPrimary);
    PutWord(p + 6, m_ct4);
    PutWord(p + 8, m_frequency);
    p[10] = m_connection;
    p[11] = m_address;
    p[12] = m_speed;
    p[13] = m_remote;
    PutDword(p + 14, m_ip);
    PutWord(p + 18, m_port);
    PutFloat(p + 20, m_nominalVoltage);
    PutFloat(p + 24, m_nominalPower);
    p[28] = m_display;
    std::memcpy(p + 29, m_reserved.data(), m_reserved.size());
}

double CVKTConfig::GetPrimary() const
{
    return m_vtPrimary == kUnset ? 1.0 : double(m_vtPrimary);
}

double CVKTConfig::GetSecondVtRatio() const
{
    return m_vt4 == kUnset ? 1.0 : double(m_vt4);
}

double CVKTConfig::CtRatio(WORD primary, bool fiveAmp)
{
    if (primary == kUnset)
        return 1.0;
    const double v = primary & 0x7FFF;
    return fiveAmp ? v * 0.2 : v;
}

double CVKTConfig::GetRatio() const
{
    return CtRatio(m_ctPrimary, (m_ctPrimary & 0x8000) != 0);
}

double CVKTConfig::GetCt4Ratio() const
{
    return CtRatio(m_ct4, (m_ctPrimary & 0x8000) != 0);
}
