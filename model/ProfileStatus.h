#pragma once

#include "model/PrevodTyp.h"

#include <array>

// Status of the current profiles of a VK or VKT analyser: the highest current
// of each phase and of the sum I1+I2+I3 since the last reset and on a chosen
// day, each with the time it occurred (k = 0..3: L1, L2, L3, sum).
class CProfileStatus : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CProfileStatus)
public:
    static constexpr int kVKTImageSize = 88;
    static constexpr int kVKImageSize = 120;
    static constexpr int kEntries = 4;

    CProfileStatus() = default;
    CProfileStatus(const CProfileStatus&) = default;
    CProfileStatus& operator=(const CProfileStatus&) = default;
    ~CProfileStatus() override = default;

    // The present flags are not stored; a loaded record takes an entry as
    // present when it has a time.
    void Serialize(SerialArchive& ar) override;

    // An absent entry keeps its value, gets the time 0 and its flag 0.
    void FromRawVKT(const BYTE* image, double currentRatio);
    void FromRawVK(const BYTE* image);

    float GetMaximumValue(int k) const { return Valid(k) ? m_maxValue[std::size_t(k)] : 0.0f; }
    CTime GetMaximumTime(int k) const { return Valid(k) ? m_maxTime[std::size_t(k)] : CTime(); }
    BOOL IsMaximumPresent(int k) const { return Valid(k) ? m_maxPresent[std::size_t(k)] : FALSE; }
    float GetDayValue(int k) const { return Valid(k) ? m_dayValue[std::size_t(k)] : 0.0f; }
    CTime GetDayTime(int k) const { return Valid(k) ? m_dayTime[std::size_t(k)] : CTime(); }
    BOOL IsDayPresent(int k) const { return Valid(k) ? m_dayPresent[std::size_t(k)] : FALSE; }
    // Valid when flag C is set.
    CTime GetTimeC() const { return m_timeC; }
    // The day of the day profile; valid when flag D is set.
    CTime GetSelectedDay() const { return m_selectedDay; }
    BYTE GetFlagD() const { return m_flagD; }
    BYTE GetFlagC() const { return m_flagC; }
    // The date offered for choosing the day.
    CTime GetCurrentDate() const { return m_currentDate; }
    // Start of the maximum profile.
    CTime GetResetTime() const { return m_resetTime; }

private:
    static bool Valid(int k) { return k >= 0 && k < kEntries; }

    std::array<float, kEntries> m_maxValue{};
    std::array<CTime, kEntries> m_maxTime{};
    std::array<std::int32_t, kEntries> m_maxPresent{};
    std::array<float, kEntries> m_dayValue{};
    std::array<CTime, kEntries> m_dayTime{};
    std::array<std::int32_t, kEntries> m_dayPresent{};
    CTime m_timeC;
    CTime m_selectedDay;
    BYTE m_flagD = 0;
    BYTE m_flagC = 0;
    CTime m_currentDate;
    CTime m_resetTime;
};
