#pragma once

#include "model/PrevodTyp.h"

#include <cstdint>

// Fields of the Qorin measured values, apart so that copies stay member-wise.
// Names and order are those the archive payloads use; comments give the image
// offset.
struct QorinAktFields {
    static constexpr int kHarmonicCount = 6;

    BYTE thdCode = 0;                          // 20
    BYTE harmonicCode[kHarmonicCount] = {};    // 21-26
    WORD word0 = 0;                            // 0-1: low byte = firmware version
    WORD word1 = 0;                            // 2-3
    WORD model = 0;                            // 4-5
    WORD ctWord = 0;                           // 6-7
    BYTE byte8 = 0;                            // 8
    WORD current = 0;                          // 9-10: 0.00025 A, secondary side
    WORD word11 = 0;                           // 11-12
    std::int16_t activeCurrent = 0;            // 13-14
    std::int16_t reactiveCurrent = 0;          // 15-16: negative = capacitive
    WORD word17 = 0;                           // 17-18
    std::int8_t cosPhi = 0;                    // 19: hundredths
    BYTE byte27 = 0;                           // 27
    WORD stageMask = 0;                        // 28-29: bit i = stage i+1 on
    BYTE byte30 = 0;                           // 30: S0
    BYTE byte31 = 0;                           // 31: S1
    BYTE state = 0;                            // 32: S2, regulation state
    BYTE flags = 0;                            // 33: S3
    BYTE byte34 = 0;                           // 34: S4, regulation interval progress in %
};

// Measured values of the Qorin controller (35-byte image).
class CQorinAktData : public CPrevodTyp, public QorinAktFields {
public:
    static constexpr int kImageSize = 35;
    static constexpr std::int8_t kNoCosPhi = 127;

    // A fresh record holds the no-value markers.
    CQorinAktData() { SetNoValue(); }
    // A copy turns a power factor of -1.00 into 1.00 and applies the
    // no-power rule of FromRaw.
    CQorinAktData(const CQorinAktData& other) : CPrevodTyp(other), QorinAktFields(other) { ApplyCopyRules(); }
    CQorinAktData& operator=(const CQorinAktData& other)
    {
        QorinAktFields::operator=(other);
        ApplyCopyRules();
        return *this;
    }
    ~CQorinAktData() override = default;

    void FromRaw(const BYTE* image);
    // The no-value column; other fields unchanged.
    void SetNoValue();

    // Bit 7 of S3 (fault state) and bit 5 (alarm present), as 0 or 1.
    int GetFlag7() const { return (flags >> 7) & 1; }
    int GetFlag5() const { return (flags >> 5) & 1; }
    // Whether the firmware keeps per-stage on-times.
    BOOL HasStageTimeCounters() const { return HasStageTimeCounters(model, word0); }
    static BOOL HasStageTimeCounters(WORD model, WORD version);

    double GetCtRatio() const { return DecodeCtRatio(ctWord); }
    // Current THD and harmonics n = 0-5 in %, 65535.0 = no value.
    double GetThdI() const { return DecodeThd(current, thdCode); }
    double GetHarmonicI(int n) const;

private:
    // Without voltage or current (S2 bit 6 or 7) there is no power factor.
    void ApplyNoPowerRule();
    void ApplyCopyRules();
};
