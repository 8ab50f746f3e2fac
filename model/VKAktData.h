#pragma once

#include "model/PrevodTyp.h"

// THD codes and harmonic codes (orders 2-25) of the three phases; 255 is no
// value in either.
class CVKHarmonicBlock : public CPrevodTyp {
public:
    static constexpr int kImageSize = 75;
    static constexpr int kOrders = 24;
    static constexpr BYTE kNoCode = 255;

    CVKHarmonicBlock() { Clear(); }
    CVKHarmonicBlock(const CVKHarmonicBlock&) = default;
    CVKHarmonicBlock& operator=(const CVKHarmonicBlock&) = default;
    ~CVKHarmonicBlock() override = default;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;
    void Clear();
    // exchange: swap phases 2 and 3; otherwise phase 3 takes phase 2 and
    // phase 2 becomes no value.
    void Shift(BOOL exchange);

    BYTE GetThdCode(int phase) const { return m_thd[phase]; }
    void SetThdCode(int phase, BYTE code) { m_thd[phase] = code; }
    // order 0 = harmonic 2.
    BYTE GetHarmonicCode(int phase, int order) const { return m_harmonic[phase][order]; }
    void SetHarmonicCode(int phase, int order, BYTE code) { m_harmonic[phase][order] = code; }
    double GetThd(int phase) const { return DecodeVKThd(m_thd[phase]); }
    double GetHarmonic(int phase, int order) const { return DecodeFourSegmentPercent(m_harmonic[phase][order]); }
    BOOL HasThd() const;

private:
    BYTE m_thd[3];
    BYTE m_harmonic[3][kOrders];
};

// Measured values of a VK analyser (218-byte reply). Words and dwords hold
// the instrument's codes; the Get...Value helpers scale them by the ratios
// of the configuration and give kNoValue for a missing value.
class CVKAktData : public CPrevodTyp {
public:
    static constexpr int kImageSize = 218;
    static constexpr WORD kNoVoltage = 0xFFFF;
    static constexpr std::int16_t kNoCurrent = 0x7FFF;
    static constexpr std::int8_t kNoFactor = 127;
    static constexpr BYTE kNoCode = 255;
    static constexpr std::int32_t kNoPower = 0x7FFFFFFF;
    // Power layout byte: F, G and H hold the three-phase totals.
    static constexpr BYTE kTotalsLayout = 0x80;

    // Starts with every value missing, so that an unfilled record never
    // shows stray numbers.
    CVKAktData() { Clear(); }
    CVKAktData(const CVKAktData&) = default;
    CVKAktData& operator=(const CVKAktData&) = default;
    ~CVKAktData() override = default;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;
    void Clear();
    BOOL HasAnyValue() const;
    // Aron connection: the instrument measures two line voltages and two
    // currents; move the values to the places the views read them from.
    void ApplyAronConnection();
    BOOL HasTotals() const { return m_v5 == kTotalsLayout; }

    std::int8_t GetFaultState() const { return m_v0; }
    void SetFaultState(std::int8_t v) { m_v0 = v; }
    BYTE GetChangeCounter() const { return m_v1; }
    void SetChangeCounter(BYTE v) { m_v1 = v; }
    BYTE GetFrequencyCode() const { return m_v3; }
    void SetFrequencyCode(BYTE v) { m_v3 = v; }
    BYTE GetTemperatureCode() const { return m_v4; }
    void SetTemperatureCode(BYTE v) { m_v4 = v; }
    BYTE GetPowerLayout() const { return m_v5; }
    void SetPowerLayout(BYTE v) { m_v5 = v; }

    // k = 0-2 for phases 1-3; currents also k = 3 for I4.
    WORD GetU(int k) const { return m_a[k]; }
    void SetU(int k, WORD v) { m_a[k] = v; }
    std::int16_t GetI(int k) const { return k == 3 ? m_v2 : m_b[k]; }
    void SetI(int k, std::int16_t v) { (k == 3 ? m_v2 : m_b[k]) = v; }
    std::int8_t GetPF(int k) const { return m_c[k]; }
    void SetPF(int k, std::int8_t v) { m_c[k] = v; }
    std::int8_t GetCos(int k) const { return m_d[k]; }
    void SetCos(int k, std::int8_t v) { m_d[k] = v; }
    // Line voltages in the order U3,1, U1,2, U2,3.
    WORD GetULine(int k) const { return m_e[k]; }
    void SetULine(int k, WORD v) { m_e[k] = v; }
    std::int32_t GetP(int k) const { return m_f[k]; }
    void SetP(int k, std::int32_t v) { m_f[k] = v; }
    std::int32_t GetQ(int k) const { return m_g[k]; }
    void SetQ(int k, std::int32_t v) { m_g[k] = v; }
    std::int32_t GetS(int k) const { return m_h[k]; }
    void SetS(int k, std::int32_t v) { m_h[k] = v; }
    const CVKHarmonicBlock& GetVoltageHarmonics() const { return m_uHarmonics; }
    CVKHarmonicBlock& GetVoltageHarmonics() { return m_uHarmonics; }
    const CVKHarmonicBlock& GetCurrentHarmonics() const { return m_iHarmonics; }
    CVKHarmonicBlock& GetCurrentHarmonics() { return m_iHarmonics; }

    // Volts, amperes, watts (var, VA); power factor and cos phi as magnitudes.
    static double VoltageValue(WORD code, double vtRatio);
    static double CurrentValue(std::int16_t code, double ctRatio);
    static double FactorValue(std::int8_t code);
    static double PowerValue(std::int32_t code, double vtRatio, double ctRatio);
    double GetFrequency() const { return DecodeVKFrequency(m_v3); }

private:
    std::int8_t m_v0 = 0;
    WORD m_a[3] = {};
    BYTE m_v1 = 0;
    std::int16_t m_b[3] = {};
    std::int16_t m_v2 = kNoCurrent;
    std::int8_t m_c[3] = {};
    BYTE m_v3 = kNoCode;
    BYTE m_v4 = kNoCode;
    BYTE m_v5 = 0;
    std::int8_t m_d[3] = {};
    WORD m_e[3] = {};
    std::int32_t m_f[3] = {};
    std::int32_t m_g[3] = {};
    std::int32_t m_h[3] = {};
    CVKHarmonicBlock m_uHarmonics;
    CVKHarmonicBlock m_iHarmonics;
};
