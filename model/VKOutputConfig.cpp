#include "model/VKOutputConfig.h"

#include <cstring>

// Schema 2 added the analog outputs; schema-1 files still load.
QORIN_IMPLEMENT_SERIAL_VERSIONABLE(CVKOutputConfig, &CPrevodTyp::classCPrevodTyp, 2)

namespace {

constexpr WORD kRelayInactive = 0xFFFF;

// A two-bit field of a control byte. Only codes that fit the field are
// written, so no code spills into the bit above it; others clear the field.
void PutField2(BYTE& byte, int shift, int value)
{
    byte = BYTE(byte & ~(3u << shift));
    if (value >= 0 && value <= 3)
        byte = BYTE(byte | (unsigned(value) << shift));
}

// Bits 2-5 of a relay or analog control byte: controlling quantity 0-10.
void PutQuantity(BYTE& byte, int quantity)
{
    byte = BYTE(byte & ~0x3Cu);
    if (quantity >= 0 && quantity <= 10)
        byte = BYTE(byte | (unsigned(quantity) << 2));
}

} // namespace

void CVKOutputConfig::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        // -1: read directly, not as a tagged object, so the current schema.
        const int schema = ar.GetObjectSchema();
        ar >> m_pulse;
        for (int i = 0; i < 2; ++i)
            ar >> m_pulseConstant[i] >> m_level[i] >> m_hysteresis[i] >> m_blocking[i] >> m_relayControl[i] >> m_r3[i];
        ar >> m_o1;
        if (schema < 0 || schema >= 2) {
            for (int i = 0; i < 2; ++i)
                ar >> m_analogControl[i] >> m_analogStart[i] >> m_analogEnd[i];
        }
    } else {
        ar << m_pulse;
        for (int i = 0; i < 2; ++i)
            ar << m_pulseConstant[i] << m_level[i] << m_hysteresis[i] << m_blocking[i] << m_relayControl[i] << m_r3[i];
        ar << m_o1;
        for (int i = 0; i < 2; ++i)
            ar << m_analogControl[i] << m_analogStart[i] << m_analogEnd[i];
    }
}

void CVKOutputConfig::FromRawLong(const BYTE* p)
{
    m_pulse = p[0];
    for (int i = 0; i < 2; ++i) {
        m_pulseConstant[i] = GetWord(p + 1 + 2 * i);
        m_level[i] = GetWord(p + 5 + 2 * i);
        m_hysteresis[i] = GetWord(p + 9 + 2 * i);
        m_blocking[i] = p[13 + i];
        m_relayControl[i] = p[15 + i];
        m_analogControl[i] = p[17 + i];
        m_analogStart[i] = GetWord(p + 19 + 2 * i);
        m_analogEnd[i] = GetWord(p + 23 + 2 * i);
        m_r3[i] = p[27 + i];
    }
    m_o1 = p[29];
}

void CVKOutputConfig::FromRawShort(const BYTE* p)
{
    // The short image is the long one without the analog outputs (bytes 17-26).
    BYTE image[kLongImageSize] = {};
    std::memcpy(image, p, 17);
    std::memcpy(image + 27, p + 17, kShortImageSize - 17);
    FromRawLong(image);
}

void CVKOutputConfig::ToRaw(BYTE* p) const
{
    p[0] = m_pulse;
    for (int i = 0; i < 2; ++i) {
        PutWord(p + 1 + 2 * i, m_pulseConstant[i]);
        PutWord(p + 5 + 2 * i, m_level[i]);
        PutWord(p + 9 + 2 * i, m_hysteresis[i]);
        p[13 + i] = m_blocking[i];
        p[15 + i] = m_relayControl[i];
        p[17 + i] = m_analogControl[i];
        PutWord(p + 19 + 2 * i, m_analogStart[i]);
        PutWord(p + 23 + 2 * i, m_analogEnd[i]);
        p[27 + i] = m_r3[i];
    }
    p[29] = m_o1;
}

WORD CVKOutputConfig::ScaleToWord(double value, double factor, WORD maximum)
{
    const double w = value * factor + 0.5;
    if (!(w >= 0)) // also NaN
        return 0;
    return w >= double(maximum) ? maximum : WORD(w);
}

int CVKOutputConfig::BlockingCodeToSeconds(BYTE c)
{
    if (c < 97)
        return c * 5;
    if (c <= 200)
        return c * 15 - 960;
    if (c <= 252)
        return c * 30 - 3960;
    return 3600;
}

BYTE CVKOutputConfig::SecondsToBlockingCode(unsigned s)
{
    if (s < 480)
        return BYTE((s + 2) / 5);
    if (s < 2040)
        return BYTE(96 + (s - 473) / 15);
    if (s <= 3600)
        return BYTE(200 + (s - 2025) / 30);
    return 252;
}

int CVKOutputConfig::GetBlockingTime(int i) const
{
    return Valid(i) ? BlockingCodeToSeconds(m_blocking[i]) : 0;
}

void CVKOutputConfig::SetBlockingTime(int i, unsigned seconds)
{
    if (Valid(i))
        m_blocking[i] = SecondsToBlockingCode(seconds);
}

int CVKOutputConfig::GetPulseOutputKind(int p) const
{
    return p == 1 ? (m_pulse & 3) : ((m_pulse >> 4) & 3);
}

void CVKOutputConfig::SetPulseOutputKind(int p, int kind)
{
    PutField2(m_pulse, p == 1 ? 0 : 4, kind);
}

BOOL CVKOutputConfig::GetPulseSending(int p) const
{
    return GetBit(m_pulse, p == 1 ? 3 : 7);
}

void CVKOutputConfig::SetPulseSending(int p, BOOL on)
{
    SetBit(&m_pulse, on, p == 1 ? 3 : 7);
}

BOOL CVKOutputConfig::ControlBit(const BYTE* bytes, int i, int bit)
{
    return Valid(i) ? GetBit(bytes[i], bit) : FALSE;
}

void CVKOutputConfig::SetControlBit(BYTE* bytes, int i, int bit, BOOL on)
{
    if (Valid(i))
        SetBit(&bytes[i], on, bit);
}

double CVKOutputConfig::ScaledWord(const WORD* words, int i, double scale)
{
    return Valid(i) ? words[i] * scale : 0.0;
}

void CVKOutputConfig::SetScaledWord(WORD* words, int i, double value, double factor)
{
    if (Valid(i))
        words[i] = ScaleToWord(value, factor, 0xFFFF);
}

void CVKOutputConfig::GetRelayLevel(int i, BOOL& active, double& limit) const
{
    if (Valid(i) && m_level[i] != kRelayInactive) {
        active = TRUE;
        limit = m_level[i] * 0.01;
    } else {
        active = FALSE;
        limit = 100.0;
    }
}

void CVKOutputConfig::SetRelayLevel(int i, BOOL active, double limit)
{
    if (!Valid(i))
        return;
    // The top code is the "inactive" marker, so an active limit stops below it.
    m_level[i] = active ? ScaleToWord(limit, 100, kRelayInactive - 1) : kRelayInactive;
}

int CVKOutputConfig::Quantity(const BYTE* bytes, int i)
{
    return Valid(i) ? (bytes[i] >> 2) & 0x0F : 0;
}

void CVKOutputConfig::SetQuantity(BYTE* bytes, int i, int quantity)
{
    if (Valid(i))
        PutQuantity(bytes[i], quantity);
}

int CVKOutputConfig::Phase(const BYTE* bytes, int i)
{
    return Valid(i) ? bytes[i] & 3 : 0;
}

void CVKOutputConfig::SetPhase(BYTE* bytes, int i, int phase)
{
    if (Valid(i))
        PutField2(bytes[i], 0, phase);
}
