#pragma once

#include "model/PrevodTyp.h"

#include <array>

// Tariff of each hour of the day of a VKT energy meter and the meter's
// recording interval in quarter-hours (8-byte image: 24 codes, 2 bits each,
// four to a byte from the lowest bits; then the interval).
class CVKTETarif : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKTETarif)
public:
    static constexpr int kImageSize = 8;
    static constexpr int kHours = 24;

    CVKTETarif() = default;
    CVKTETarif(const CVKTETarif&) = default;
    CVKTETarif& operator=(const CVKTETarif&) = default;
    ~CVKTETarif() override = default;

    void Serialize(SerialArchive& ar) override;

    // Codes 0..2 are the three tariffs; a code above 2 reads and writes as 0.
    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;

    BYTE GetCode(int hour) const { return hour >= 0 && hour < kHours ? m_codes[std::size_t(hour)] : BYTE(0); }
    void SetCode(int hour, BYTE code)
    {
        if (hour >= 0 && hour < kHours)
            m_codes[std::size_t(hour)] = code;
    }
    void ClearCodes() { m_codes.fill(0); }
    WORD GetInterval() const { return m_interval; }
    void SetInterval(WORD v) { m_interval = v; }

    // Quarter-hours of the program's meter-archive interval code 0..4, and
    // back (-1 for an interval that has no code).
    static WORD IntervalOfCode(int code);
    static int CodeOfInterval(WORD quarterHours);

private:
    std::array<BYTE, kHours> m_codes{};
    WORD m_interval = 0;
};

// Registers of a VKT energy meter at one moment (228-byte image). Groups 0..2
// are the tariffs, 3 the total (three-phase energies), 4..6 phases L1..L3. In
// each group: 0 active import, 1 active export, 2 reactive inductive,
// 3 reactive capacitive; exports and capacitive energy are held negated.
// Secondary-side kWh and kvarh.
class CVKTEData : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKTEData)
public:
    static constexpr int kImageSize = 228;
    static constexpr int kGroups = 7;
    static constexpr int kRegisters = 4;

    CVKTEData() = default;
    CVKTEData(const CVKTEData&) = default;
    CVKTEData& operator=(const CVKTEData&) = default;
    ~CVKTEData() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);

    double GetRegister(int group, int reg) const;
    void SetRegister(int group, int reg, double v);
    // P / sqrt(P² + Q²) of a group; 10000.0 when both sums are 0.
    double GetPowerFactor(int group) const;
    CTime GetTime() const { return m_time; }
    void SetTime(CTime t) { m_time = t; }

private:
    static bool Valid(int group, int reg) { return group >= 0 && group < kGroups && reg >= 0 && reg < kRegisters; }

    std::array<std::array<double, kRegisters>, kGroups> m_registers{};
    CTime m_time;
};

// A meter reading with the quarter-hour maxima of active power and the times
// of the last resets (272-byte image).
class CVKTEDataRec : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKTEDataRec)
public:
    static constexpr int kImageSize = 272;
    static constexpr int kMaxima = 4; // L1, L2, L3, three-phase

    CVKTEDataRec() = default;
    CVKTEDataRec(const CVKTEDataRec&) = default;
    CVKTEDataRec& operator=(const CVKTEDataRec&) = default;
    ~CVKTEDataRec() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);

    const CVKTEData& GetData() const { return m_data; }
    CVKTEData& GetData() { return m_data; }
    // When the meter was last reset (the key of a meter-archive block).
    CTime GetResetTime() const { return m_resetTime; }
    // When the quarter-hour maxima were last reset.
    CTime GetMaximaResetTime() const { return m_maximaResetTime; }
    // Quarter-hour maximum of active power in W (secondary side).
    float GetMaximum(int k) const { return Valid(k) ? m_maxima[std::size_t(k)] : 0.0f; }
    // Whether maximum k has a time; without one its time is 0.
    BOOL HasMaximumTime(int k) const { return Valid(k) ? m_present[std::size_t(k)] : FALSE; }
    CTime GetMaximumTime(int k) const { return Valid(k) ? m_maxTimes[std::size_t(k)] : CTime(); }

private:
    static bool Valid(int k) { return k >= 0 && k < kMaxima; }

    CVKTEData m_data;
    CTime m_resetTime;
    CTime m_maximaResetTime;
    std::array<float, kMaxima> m_maxima{};
    std::array<std::int32_t, kMaxima> m_present{};
    std::array<CTime, kMaxima> m_maxTimes{};
};
