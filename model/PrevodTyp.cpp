#include "model/PrevodTyp.h"

#include <chrono>
#include <cstdint>
#include <cstring>

QORIN_IMPLEMENT_SERIAL(CPrevodTyp, nullptr, 1)

void CPrevodTyp::Serialize(SerialArchive&) {}

DWORD CPrevodTyp::SwapWord(DWORD v)
{
    return ((v & 0xFF) << 8) | ((v >> 8) & 0xFF);
}

DWORD CPrevodTyp::SwapDword(DWORD v)
{
    return ((v & 0xFF) << 24) | ((v & 0xFF00) << 8) | ((v >> 8) & 0xFF00) | (v >> 24);
}

float CPrevodTyp::SwapFloat(DWORD v)
{
    const DWORD s = SwapDword(v);
    float f;
    std::memcpy(&f, &s, 4);
    return f;
}

WORD CPrevodTyp::GetWord(const BYTE* p)
{
    return WORD(p[0] * 256 + p[1]);
}

DWORD CPrevodTyp::GetDword(const BYTE* p)
{
    return (DWORD(p[0]) << 24) | (DWORD(p[1]) << 16) | (DWORD(p[2]) << 8) | DWORD(p[3]);
}

void CPrevodTyp::PutWord(BYTE* p, WORD v)
{
    p[0] = BYTE(v >> 8);
    p[1] = BYTE(v);
}

void CPrevodTyp::PutDword(BYTE* p, DWORD v)
{
    p[0] = BYTE(v >> 24);
    p[1] = BYTE(v >> 16);
    p[2] = BYTE(v >> 8);
    p[3] = BYTE(v);
}

float CPrevodTyp::GetFloat(const BYTE* p)
{
    const DWORD d = GetDword(p);
    float f;
    std::memcpy(&f, &d, 4);
    return f;
}

void CPrevodTyp::PutFloat(BYTE* p, float v)
{
    DWORD d;
    std::memcpy(&d, &v, 4);
    PutDword(p, d);
}

void CPrevodTyp::SetBit(BYTE* p, BOOL on, int n)
{
    if (on)
        *p = BYTE(*p | (1u << n));
    else
        *p = BYTE(*p & ~(1u << n));
}

int CPrevodTyp::GetBit(BYTE b, int n)
{
    return (b >> n) & 1;
}

BYTE CPrevodTyp::ToBcd(int v)
{
    return BYTE((v / 10) * 16 + v % 10);
}

int CPrevodTyp::FromBcd(BYTE b)
{
    return (b >> 4) * 10 + (b & 0x0F);
}

CTime CPrevodTyp::CorrectSummerTime(CTime t)
{
    // Decided by t's own flag: testing t - 1 h instead would miss the first
    // hour of daylight-saving time in spring.
    std::tm tm{};
    if (!t.GetLocalTm(tm) || tm.tm_isdst <= 0)
        return t;
    return t - CTimeSpan(3600);
}

bool CPrevodTyp::GetStandardTm(CTime t, std::tm& out)
{
    std::tm local{};
    if (!t.GetLocalTm(local))
        return false;
    if (local.tm_isdst <= 0) {
        out = local;
        return true;
    }
    // The local fields one hour back, counted on a plain calendar.
    using namespace std::chrono;
    const sys_days day = year(local.tm_year + 1900) / month(unsigned(local.tm_mon + 1)) / unsigned(local.tm_mday);
    const std::time_t fields = std::time_t(day.time_since_epoch().count()) * 86400 + local.tm_hour * 3600
        + local.tm_min * 60 + local.tm_sec - 3600;
    if (!gmtime_r(&fields, &out))
        return false;
    out.tm_isdst = 0;
    return true;
}

void CPrevodTyp::TimeToBcd(BYTE* p, CTime t)
{
    std::tm tm{};
    GetStandardTm(t, tm);
    p[0] = ToBcd((tm.tm_year + 1900 + 48) & 0xFF);
    p[1] = ToBcd(tm.tm_mon + 1);
    p[2] = ToBcd(tm.tm_mday);
    p[3] = ToBcd(tm.tm_hour);
    p[4] = ToBcd(tm.tm_min);
    p[5] = ToBcd(tm.tm_sec);
}

CTime CPrevodTyp::BcdToTime(const BYTE* p)
{
    return CTime(2000 + FromBcd(p[0]), FromBcd(p[1]), FromBcd(p[2]), FromBcd(p[3]), FromBcd(p[4]), FromBcd(p[5]), 0);
}

double CPrevodTyp::DecodeThdCode(BYTE code)
{
    if (code <= 100)
        return code * 0.5;
    if (code <= 200)
        return 50 + (code - 100) * 2.5;
    if (code == 255)
        return kNoValue;
    return 300 + (code - 200) * 10.0;
}

double CPrevodTyp::DecodeHarmonicCode(BYTE code)
{
    if (code <= 100)
        return code * 0.1;
    if (code <= 200)
        return 10 + (code - 100) * 0.5;
    if (code == 255)
        return kNoValue;
    return 60 + (code - 200) * 2.5;
}

double CPrevodTyp::DecodeThd(WORD current, BYTE code)
{
    return current * 0.00025 < 0.25 ? kNoValue : DecodeThdCode(code);
}

double CPrevodTyp::DecodeHarmonic(WORD current, BYTE code)
{
    return current * 0.00025 < 0.25 ? kNoValue : DecodeHarmonicCode(code);
}

double CPrevodTyp::DecodeDuskarThd(WORD value, WORD ratio, BYTE code, int kind)
{
    // The voltage word is signed: its no-value marker 0xFFFF is below the limit.
    const bool valid = kind == 1 ? value >= ((ratio & 0x8000) ? 200 : 40) : std::int16_t(value) >= 300;
    return valid ? DecodeThdCode(code) : kNoValue;
}

double CPrevodTyp::DecodeCtRatio(WORD ratio)
{
    int v = ratio & 0x7FFF;
    if (!(ratio & 0x8000))
        v *= 5;
    return (v > 9950 || v < 1) ? 1.0 : double(v);
}

double CPrevodTyp::DecodeVtRatio(BYTE code)
{
    if (code >= 1 && code <= 100)
        return code * 10.0;
    if (code >= 101 && code <= 140)
        return (code - 90) * 100.0;
    return 1.0;
}

double CPrevodTyp::DecodeFrequency(BYTE code)
{
    return code == 255 ? 101.0 : (code + 422) / 10.0;
}

double CPrevodTyp::DecodeChl(BYTE code, WORD voltage)
{
    if (std::int16_t(voltage) < 300 || code > 250) // signed, as in DecodeDuskarThd
        return kNoValue;
    if (code <= 150)
        return code;
    if (code <= 200)
        return 150 + (code - 150) * 5.0;
    return 400 + (code - 200) * 10.0;
}

double CPrevodTyp::DecodeVKFrequency(BYTE code)
{
    if (code == 255)
        return kNoValue;
    // In tenths of a hertz, so that the scale's corner (code 178) is exact.
    const int f10 = code + 372;
    return f10 > 550 ? 55 + (f10 - 550) * 0.5 : f10 / 10.0;
}

double CPrevodTyp::DecodeVKThd(BYTE code)
{
    return DecodeThdCode(code);
}

double CPrevodTyp::DecodeFourSegmentPercent(BYTE code)
{
    if (code >= 127)
        return -1.0;
    if (code <= 50)
        return code * 0.1;
    if (code <= 70)
        return 5 + (code - 50) * 0.5;
    if (code <= 90)
        return 15 + (code - 70) * 2.5;
    return 65 + (code - 90) * 5.0;
}
