#include "model/VKRConfig.h"

QORIN_IMPLEMENT_SERIAL(CVKRConfig, &CPrevodTyp::classCPrevodTyp, 1)

void CVKRConfig::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1)
        ar >> m_vtPrimary >> m_ctPrimary >> m_frequency >> m_mode >> m_address >> m_speed >> m_displayMask >> m_display;
    else
        ar << m_vtPrimary << m_ctPrimary << m_frequency << m_mode << m_address << m_speed << m_displayMask << m_display;
}

void CVKRConfig::FromRaw(const BYTE* p)
{
    m_vtPrimary = GetDword(p);
    m_ctPrimary = GetDword(p + 4);
    m_frequency = GetWord(p + 8);
    m_mode = p[10];
    m_address = p[11];
    m_speed = p[12];
    m_displayMask = GetWord(p + 13);
    m_display = p[15];
}

void CVKRConfig::ToRaw(BYTE* p) const
{
    PutDword(p, m_vtPrimary);
    PutDword(p + 4, m_ctPrimary);
    PutWord(p + 8, m_frequency);
    p[10] = m_mode;
    p[11] = m_address;
    p[12] = m_speed;
    PutWord(p + 13, m_displayMask);
    p[15] = m_display;
}

double CVKRConfig::GetVtRatio() const
{
    return IsVtRatioUnset() ? 1.0 : m_vtPrimary * 0.01;
}

double CVKRConfig::GetCtRatio() const
{
    if (IsCtRatioUnset())
        return 1.0;
    const double primary = double(m_ctPrimary & 0x7FFFFFFFu);
    return (m_ctPrimary & 0x80000000u) ? primary * 0.2 : primary;
}

void CVKRConfig::SetConnection(int type)
{
    m_mode = BYTE((m_mode & 0x0Fu) | ((unsigned(type) & 7u) << 4));
}

int CVKRConfig::GetLineSpeed() const
{
    static const int kSpeeds[] = {2400, 4800, 9600, 19200, 38400};
    const int code = m_speed & 0x0F;
    return code < 5 ? kSpeeds[code] : 0;
}

int CVKRConfig::GetDisplayMode() const
{
    const int mode = m_display >> 4;
    return mode > 2 ? 1 : mode;
}

void CVKRConfig::SetDisplayMode(int mode)
{
    if (mode < 0 || mode > 2)
        mode = 1;
    m_display = BYTE((m_display & 0x0Fu) | (unsigned(mode) << 4));
}

void CVKRConfig::SetDefaultQuantity(int q)
{
    const unsigned stored = q >= 0 && q < kDisplayQuantities ? unsigned(q + 1) : 0u;
    m_display = BYTE((m_display & 0xF0u) | stored);
}

void CVKRConfig::SetShown(int q, BOOL shown)
{
    if (q < 0 || q >= kDisplayQuantities)
        return;
    if (shown)
        m_displayMask = WORD(m_displayMask | (1u << q));
    else
        m_displayMask = WORD(m_displayMask & ~(1u << q));
}
