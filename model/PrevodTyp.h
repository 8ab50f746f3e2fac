#pragma once

#include "platform/Archive.h"
#include "platform/Time32.h"

#include <cstdint>
#include <ctime>

using platform::CTime;
using platform::CTimeSpan;
using platform::SerialArchive;

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using BOOL = int;
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Value a decoder gives for "no value"; graphs turn it into a gap.
inline constexpr double kNoValue = 65535.0;

// Base of every instrument record. Instrument images are big-endian; records
// keep host values and convert on the way in and out with these helpers.
class CPrevodTyp : public platform::SerialObject {
    QORIN_DECLARE_SERIAL(CPrevodTyp)
public:
    CPrevodTyp() = default;
    ~CPrevodTyp() override = default;
    void Serialize(SerialArchive& ar) override;

    static DWORD SwapWord(DWORD v);
    static DWORD SwapDword(DWORD v);
    static float SwapFloat(DWORD v);
    static WORD GetWord(const BYTE* p);
    static DWORD GetDword(const BYTE* p);
    static void PutWord(BYTE* p, WORD v);
    static void PutDword(BYTE* p, DWORD v);
    // Floats in images: IEEE single, most significant byte first.
    static float GetFloat(const BYTE* p);
    static void PutFloat(BYTE* p, float v);
    static void SetBit(BYTE* p, BOOL on, int n);
    static int GetBit(BYTE b, int n);
    static BYTE ToBcd(int v);
    static int FromBcd(BYTE b);
    static BOOL IsInvalid(DWORD v) { return v == 0xFFFFFFFFu; }
    static void SetInvalid(DWORD* p) { *p = 0xFFFFFFFFu; }

    // Instruments keep standard (winter) time: a time in daylight-saving
    // time comes back one hour earlier, any other time unchanged.
    static CTime CorrectSummerTime(CTime t);
    // Calendar fields of t in standard time (what an instrument clock shows).
    // Unlike the local fields of CorrectSummerTime(t), also right in the hour
    // after the spring change, whose standard-time fields no local time has.
    // false for the invalid time.
    static bool GetStandardTm(CTime t, std::tm& out);
    static void TimeToBcd(BYTE* p, CTime t);
    static CTime BcdToTime(const BYTE* p);

    // Scale decoders; 65535.0 is no value unless said otherwise.
    static double DecodeThd(WORD current, BYTE code);
    static double DecodeHarmonic(WORD current, BYTE code);
    static double DecodeDuskarThd(WORD value, WORD ratio, BYTE code, int kind);
    static double DecodeCtRatio(WORD ratio);
    static double DecodeVtRatio(BYTE code);
    static double DecodeFrequency(BYTE code);
    static double DecodeChl(BYTE code, WORD voltage);
    static double DecodeVKFrequency(BYTE code);
    static double DecodeVKThd(BYTE code);
    static double DecodeFourSegmentPercent(BYTE code); // -1.0 is no value

    // The THD and harmonic code scales without the current test.
    static double DecodeThdCode(BYTE code);
    static double DecodeHarmonicCode(BYTE code);
};
