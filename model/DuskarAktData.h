#pragma once

#include "model/PrevodTyp.h"

#include <cstdint>

// Fields of the Duskar measured values, apart so that copies stay
// member-wise. Names and order are those the archive payloads use; comments
// give the image offset.
struct DuskarAktFields {
    static constexpr int kHarmonicCount = 9;

    WORD word0 = 0;                         // 0-1: low byte = firmware version
    WORD word1 = 0;                         // 2-3
    WORD model = 0;                         // 4-5
    WORD ctWord = 0;                        // 6-7
    BYTE freqCode = 0;                      // 8
    WORD current = 0;                       // 9-10: 0.00025 A, secondary side
    WORD word18 = 0;                        // 11-12
    std::int16_t activeCurrent = 0;         // 13-14
    std::int16_t reactiveCurrent = 0;       // 15-16
    std::int16_t word1E = 0;                // 17-18: phase angle in whole degrees
    std::int8_t cosPhi = 0;                 // 19: hundredths, 127 = no value
    BYTE byte21 = 0;                        // 59
    WORD stageMask = 0;                     // 52-53: bit i = stage i+1 on
    BYTE byte24 = 0;                        // 54: S0
    BYTE byte25 = 0;                        // 55: S1
    BYTE state = 0;                         // 56: S2, regulation state
    BYTE flags = 0;                         // 57: S3, bit 7 fault, bit 5 alarm
    BYTE byte28 = 0;                        // 58: S4, regulation interval progress in %
    BYTE thdUCode = 0;                      // 20
    BYTE thdICode = 0;                      // 21
    BYTE harmonicU[kHarmonicCount] = {};    // 22-30
    BYTE harmonicI[kHarmonicCount] = {};    // 31-39
    std::int16_t voltage = 0;               // 40-41: 0.1 V, secondary side
    std::int16_t voltageP = 0;              // 42-43: 0.1 V, for the powers
    BYTE chlCode = 0;                       // 44
    BYTE byte45 = 0;                        // 49
    BYTE vtCode = 0;                        // 50
    std::int16_t missingCurrent = 0;        // 45-46: reactive-current difference, 0.00025 A
    std::int8_t temperature = 0;            // 47: 127 = no value
    BYTE byte4B = 0;                        // 48: the "l.v." flag
    BYTE byte4C = 0;                        // 51
};

// Measured values of the Duskar controller (60-byte image).
class CDuskarAktData : public CPrevodTyp, public DuskarAktFields {
public:
    static constexpr int kImageSize = 60;
    static constexpr std::int8_t kNoCosPhi = 127;
    // Kinds of GetThd and GetHarmonic.
    enum { kVoltage = 0, kCurrent = 1 };

    CDuskarAktData() = default;
    // Copies apply the no-power rule of FromRaw (a power factor of -1.00
    // stays as it is).
    CDuskarAktData(const CDuskarAktData& other) : CPrevodTyp(other), DuskarAktFields(other) { ApplyNoPowerRule(); }
    CDuskarAktData& operator=(const CDuskarAktData& other)
    {
        DuskarAktFields::operator=(other);
        ApplyNoPowerRule();
        return *this;
    }
    ~CDuskarAktData() override = default;

    void FromRaw(const BYTE* image);

    // kind 1 = current, any other kind = voltage; in %, 65535.0 = no value.
    double GetThd(int kind) const;
    double GetHarmonic(int n, int kind) const;
    double GetCtRatio() const { return DecodeCtRatio(ctWord); }
    double GetVtRatio() const { return DecodeVtRatio(vtCode); }
    double GetFrequency() const { return DecodeFrequency(freqCode); }
    double GetChl() const { return DecodeChl(chlCode, WORD(voltage)); }

private:
    // The word that decides whether THD and harmonics of a kind can be measured.
    WORD SignalWord(int kind) const { return kind == kCurrent ? current : WORD(voltage); }
    void ApplyNoPowerRule();
};
