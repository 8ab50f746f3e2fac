#include "model/VKTOutputConfig.h"

#include <cstring>

QORIN_IMPLEMENT_SERIAL(CVKTOutputConfig, &CPrevodTyp::classCPrevodTyp, 1)

void CVKTOutputConfig::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        ar >> m_mode;
        for (std::size_t i = 0; i < 2; ++i)
            ar >> m_pulseConstant[i] >> m_limit[i] >> m_hysteresis[i] >> m_blockingTime[i] >> m_setting[i];
    } else {
        ar << m_mode;
        for (std::size_t i = 0; i < 2; ++i)
            ar << m_pulseConstant[i] << m_limit[i] << m_hysteresis[i] << m_blockingTime[i] << m_setting[i];
    }
}

void CVKTOutputConfig::FromRaw(const BYTE* p)
{
    m_mode = p[0];
    m_pulseConstant[0] = GetWord(p + 1);
    m_pulseConstant[1] = GetWord(p + 3);
    m_limit[0] = GetDword(p + 5);
    m_limit[1] = GetDword(p + 9);
    m_hysteresis[0] = GetWord(p + 13);
    m_hysteresis[1] = GetWord(p + 15);
    m_blockingTime[0] = GetWord(p + 17);
    m_blockingTime[1] = GetWord(p + 19);
    m_setting[0] = p[21];
    m_setting[1] = p[22];
}

void CVKTOutputConfig::ToRaw(BYTE* p) const
{
    p[0] = m_mode;
    PutWord(p + 1, m_pulseConstant[0]);
    PutWord(p + 3, m_pulseConstant[1]);
    PutDword(p + 5, m_limit[0]);
    PutDword(p + 9, m_limit[1]);
    PutWord(p + 13, m_hysteresis[0]);
    PutWord(p + 15, m_hysteresis[1]);
    PutWord(p + 17, m_blockingTime[0]);
    PutWord(p + 19, m_blockingTime[1]);
    p[21] = m_setting[0];
    p[22] = m_setting[1];
}

int CVKTOutputConfig::GetOutputMode(int n) const
{
    return n == 1 ? (m_mode & 0x03) : ((m_mode >> 4) & 0x03);
}

void CVKTOutputConfig::SetOutputMode(int n, int mode)
{
    const int shift = n == 1 ? 0 : 4;
    // Only the output's own two bits change; a mode that does not fit them
    // (4 would reach the synchronisation bit or bit 6) clears them.
    const int bits = mode >= 0 && mode <= 3 ? mode : 0;
    m_mode = BYTE((m_mode & ~(0x03 << shift)) | (bits << shift));
}

void CVKTOutputConfig::GetLimit(int i, BOOL& set, float& value) const
{
    if (!Valid(i) || m_limit[std::size_t(i)] == kLimitUnset) {
        set = FALSE;
        value = kUnsetLimitValue;
        return;
    }
    set = TRUE;
    std::memcpy(&value, &m_limit[std::size_t(i)], 4);
}

void CVKTOutputConfig::SetLimit(int i, BOOL set, float value)
{
    if (!Valid(i))
        return;
    if (set)
        std::memcpy(&m_limit[std::size_t(i)], &value, 4);
    else
        m_limit[std::size_t(i)] = kLimitUnset;
}

BOOL CVKTOutputConfig::GetFlag(int i) const
{
    return Valid(i) ? GetBit(m_setting[std::size_t(i)], 3) : FALSE;
}

void CVKTOutputConfig::SetFlag(int i, BOOL on)
{
    if (Valid(i))
        SetBit(&m_setting[std::size_t(i)], on, 3);
}

int CVKTOutputConfig::GetQuantity(int i) const
{
    return Valid(i) ? m_setting[std::size_t(i)] >> 4 : 0;
}

void CVKTOutputConfig::SetQuantity(int i, int q)
{
    SetSettingBits(i, q, 12, 0xF0, 4);
}

int CVKTOutputConfig::GetFunction(int i) const
{
    return Valid(i) ? m_setting[std::size_t(i)] & 0x07 : 0;
}

void CVKTOutputConfig::SetFunction(int i, int f)
{
    SetSettingBits(i, f, 6, 0x07, 0);
}

void CVKTOutputConfig::SetSettingBits(int i, int value, int maxValue, BYTE mask, int shift)
{
    if (!Valid(i))
        return;
    BYTE& b = m_setting[std::size_t(i)];
    b = BYTE(b & ~mask);
    if (value >= 0 && value <= maxValue)
        b = BYTE(b | ((value << shift) & mask));
}
