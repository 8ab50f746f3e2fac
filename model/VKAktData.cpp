#include "model/VKAktData.h"

#include <cstdlib>
#include <cstring>
#include <utility>

void CVKHarmonicBlock::FromRaw(const BYTE* p)
{
    std::memcpy(m_thd, p, 3);
    std::memcpy(m_harmonic, p + 3, sizeof m_harmonic);
}

void CVKHarmonicBlock::ToRaw(BYTE* p) const
{
    std::memcpy(p, m_thd, 3);
    std::memcpy(p + 3, m_harmonic, sizeof m_harmonic);
}

void CVKHarmonicBlock::Clear()
{
    std::memset(m_thd, kNoCode, sizeof m_thd);
    std::memset(m_harmonic, kNoCode, sizeof m_harmonic);
}

void CVKHarmonicBlock::Shift(BOOL exchange)
{
    if (exchange) {
        std::swap(m_thd[1], m_thd[2]);
        std::swap(m_harmonic[1], m_harmonic[2]);
        return;
    }
    m_thd[2] = m_thd[1];
    std::memcpy(m_harmonic[2], m_harmonic[1], kOrders);
    m_thd[1] = kNoCode;
    std::memset(m_harmonic[1], kNoCode, kOrders);
}

BOOL CVKHarmonicBlock::HasThd() const
{
    for (BYTE code : m_thd) {
        if (code < kNoCode)
            return TRUE;
    }
    return FALSE;
}

void CVKAktData::FromRaw(const BYTE* p)
{
    m_v0 = std::int8_t(p[0]);
    for (int k = 0; k < 3; ++k) {
        m_a[k] = GetWord(p + 1 + 2 * k);
        m_b[k] = std::int16_t(GetWord(p + 9 + 2 * k));
        m_c[k] = std::int8_t(p[17 + k]);
        m_d[k] = std::int8_t(p[23 + k]);
        m_e[k] = GetWord(p + 26 + 2 * k);
        m_f[k] = std::int32_t(GetDword(p + 32 + 4 * k));
        m_g[k] = std::int32_t(GetDword(p + 44 + 4 * k));
        m_h[k] = std::int32_t(GetDword(p + 56 + 4 * k));
    }
    m_v1 = p[8];
    m_v2 = std::int16_t(GetWord(p + 15));
    m_v3 = p[20];
    m_v4 = p[21];
    m_v5 = p[22];
    m_uHarmonics.FromRaw(p + 68);
    m_iHarmonics.FromRaw(p + 68 + CVKHarmonicBlock::kImageSize);
}

void CVKAktData::ToRaw(BYTE* p) const
{
    p[0] = BYTE(m_v0);
    for (int k = 0; k < 3; ++k) {
        PutWord(p + 1 + 2 * k, m_a[k]);
        PutWord(p + 9 + 2 * k, WORD(m_b[k]));
        p[17 + k] = BYTE(m_c[k]);
        p[23 + k] = BYTE(m_d[k]);
        PutWord(p + 26 + 2 * k, m_e[k]);
        PutDword(p + 32 + 4 * k, DWORD(m_f[k]));
        PutDword(p + 44 + 4 * k, DWORD(m_g[k]));
        PutDword(p + 56 + 4 * k, DWORD(m_h[k]));
    }
    p[7] = 0;
    p[8] = m_v1;
    PutWord(p + 15, WORD(m_v2));
    p[20] = m_v3;
    p[21] = m_v4;
    p[22] = m_v5;
    m_uHarmonics.ToRaw(p + 68);
    m_iHarmonics.ToRaw(p + 68 + CVKHarmonicBlock::kImageSize);
}

void CVKAktData::Clear()
{
    m_v0 = 0;
    for (int k = 0; k < 3; ++k) {
        m_a[k] = kNoVoltage;
        m_b[k] = kNoCurrent;
        m_c[k] = kNoFactor;
        m_d[k] = kNoFactor;
        m_e[k] = kNoVoltage;
        m_f[k] = kNoPower;
        m_g[k] = kNoPower;
        m_h[k] = kNoPower;
    }
    m_v3 = kNoCode;
    m_v4 = kNoCode;
    m_uHarmonics.Clear();
    m_iHarmonics.Clear();
}

BOOL CVKAktData::HasAnyValue() const
{
    for (int k = 0; k < 3; ++k) {
        if (m_a[k] < kNoVoltage || m_e[k] < kNoVoltage || m_b[k] != kNoCurrent || m_c[k] != kNoFactor
            || m_d[k] != kNoFactor || m_f[k] != kNoPower || m_g[k] != kNoPower || m_h[k] != kNoPower)
            return TRUE;
    }
    if (m_v3 < kNoCode || m_v4 < kNoCode)
        return TRUE;
    return m_uHarmonics.HasThd() || m_iHarmonics.HasThd();
}

void CVKAktData::ApplyAronConnection()
{
    m_e[0] = m_a[0];
    m_e[2] = m_a[1];
    m_e[1] = kNoVoltage;
    for (int k = 0; k < 3; ++k) {
        m_a[k] = kNoVoltage;
        m_c[k] = kNoFactor;
        m_d[k] = kNoFactor;
        m_h[k] = kNoPower;
    }
    m_f[2] = m_f[1];
    m_g[2] = m_g[1];
    m_f[1] = kNoPower;
    m_g[1] = kNoPower;
    std::swap(m_b[1], m_b[2]);
    m_uHarmonics.Shift(FALSE);
    m_iHarmonics.Shift(TRUE);
}

double CVKAktData::VoltageValue(WORD code, double vtRatio)
{
    return code == kNoVoltage ? kNoValue : code * 0.1 * vtRatio;
}

double CVKAktData::CurrentValue(std::int16_t code, double ctRatio)
{
    return code == kNoCurrent ? kNoValue : std::abs(int(code)) * 0.0003125 * ctRatio;
}

double CVKAktData::FactorValue(std::int8_t code)
{
    return code == kNoFactor ? kNoValue : std::abs(int(code)) / 100.0;
}

double CVKAktData::PowerValue(std::int32_t code, double vtRatio, double ctRatio)
{
    return code == kNoPower ? kNoValue : code * 0.000003125 * vtRatio * ctRatio;
}
