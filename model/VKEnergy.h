#pragma once

#include "model/PrevodTyp.h"

// Hourly tariff table of the VK energy meter: one code per hour 0-23,
// 0, 1 or 2 for tariff 1, 2 or 3.
class CVKETarif : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKETarif)
public:
    static constexpr int kHours = 24;
    static constexpr int kImageSize = 6;

    CVKETarif() = default;
    CVKETarif(const CVKETarif&) = default;
    CVKETarif& operator=(const CVKETarif&) = default;
    ~CVKETarif() override = default;

    void Serialize(SerialArchive& ar) override;

    // Two bits an hour, hour 0 in bits 0-1 of byte 0; a 3 reads as 0.
    void UnpackHours(const BYTE* image);
    // A code above 2 is set to 0 in the record and written as 0.
    void PackHours(BYTE* image);

    BYTE GetCode(int hour) const { return hour >= 0 && hour < kHours ? m_codes[hour] : 0; }
    void SetCode(int hour, BYTE code)
    {
        if (hour >= 0 && hour < kHours)
            m_codes[hour] = code;
    }

private:
    BYTE m_codes[kHours] = {};
};

// Energy data of the VK meter (94-byte image): 12 counters, three tariffs of
// (active import, active export, reactive inductive, reactive capacitive),
// the time of the last reset and four quarter-hour maximum demands.
class CVKEData : public CPrevodTyp {
public:
    static constexpr int kImageSize = 94;
    static constexpr int kCounters = 12;
    static constexpr int kMaxima = 4; // L1, L2, L3, three phases
    enum Kind { ActiveImport = 0, ActiveExport = 1, ReactiveInductive = 2, ReactiveCapacitive = 3 };

    CVKEData() = default;
    CVKEData(const CVKEData&) = default;
    CVKEData& operator=(const CVKEData&) = default;
    ~CVKEData() override = default;

    void FromRaw(const BYTE* image);

    // Time of the last reset of the counters; -1 for no valid date.
    CTime GetTime() const { return BcdToTime(m_resetTime); }
    CTime GetMaximumTime(int i) const;

    // tariff 0-2, kind as above.
    static int CounterIndex(int tariff, int kind) { return tariff * 4 + kind; }
    DWORD GetCounter(int index) const { return m_counters[index]; }
    void SetCounter(int index, DWORD v) { m_counters[index] = v; }
    const DWORD* GetCounters() const { return m_counters; }
    // kWh or kvarh.
    double GetEnergy(int index, double vtRatio, double ctRatio) const;
    std::int32_t GetMaximum(int i) const { return m_maximum[i]; }
    void SetMaximum(int i, std::int32_t v) { m_maximum[i] = v; }
    // kW.
    double GetMaximumPower(int i, double vtRatio, double ctRatio) const;
    const BYTE* GetResetImage() const { return m_resetTime; }

private:
    DWORD m_counters[kCounters] = {};
    BYTE m_resetTime[6] = {};
    std::int32_t m_maximum[kMaxima] = {};
    BYTE m_maximumTime[kMaxima][6] = {};
};
