#pragma once

#include <QString>

#include <cstdint>
#include <ctime>

// Times in records, archives and settings files are 32-bit second counts
// since 1970-01-01 UTC; they stay 32-bit in every file. Local calendar fields
// come from the system time zone (TZ).
namespace platform {

class CTimeSpan {
public:
    constexpr CTimeSpan() = default;
    constexpr explicit CTimeSpan(std::int64_t seconds) : m_span(seconds) {}
    constexpr CTimeSpan(std::int64_t days, int hours, int minutes, int seconds)
        : m_span(((days * 24 + hours) * 60 + minutes) * 60 + seconds) {}

    constexpr std::int64_t GetTotalSeconds() const { return m_span; }
    constexpr std::int64_t GetTotalMinutes() const { return m_span / 60; }
    constexpr std::int64_t GetTotalHours() const { return m_span / 3600; }
    constexpr std::int64_t GetDays() const { return m_span / 86400; }
    constexpr int GetHours() const { return int(m_span / 3600 % 24); }
    constexpr int GetMinutes() const { return int(m_span / 60 % 60); }
    constexpr int GetSeconds() const { return int(m_span % 60); }

    constexpr CTimeSpan operator+(CTimeSpan o) const { return CTimeSpan(m_span + o.m_span); }
    constexpr CTimeSpan operator-(CTimeSpan o) const { return CTimeSpan(m_span - o.m_span); }
    constexpr auto operator<=>(const CTimeSpan&) const = default;

private:
    std::int64_t m_span = 0;
};

class CTime {
public:
    using time_type = std::uint32_t;
    static constexpr time_type kInvalid = 0xFFFFFFFFu;

    constexpr CTime() = default;
    constexpr CTime(time_type t) : m_time(t) {} // NOLINT: times convert freely, as in files

    // Local calendar fields. dst: -1 lets the time zone decide, 0 reads the
    // fields as standard time, 1 as daylight-saving time. A date that does not
    // exist (month 13, 30 February, hour 24 ...) or lies outside the 32-bit
    // range gives the invalid time 0xFFFFFFFF.
    CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);

    static CTime GetCurrentTime();

    constexpr time_type GetTime() const { return m_time; }
    constexpr bool IsValid() const { return m_time != kInvalid; }

    // Local fields; false for the invalid time.
    bool GetLocalTm(std::tm& out) const;
    bool GetGmtTm(std::tm& out) const;

    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday ... 7 = Saturday

    // strftime-style; "%#d" (and the other numeric fields with '#') drops the
    // leading zero. The invalid time formats as an empty string.
    QString Format(const QString& format) const;
    QString FormatGmt(const QString& format) const;

    constexpr CTime operator+(CTimeSpan s) const { return CTime(time_type(std::int64_t(m_time) + s.GetTotalSeconds())); }
    constexpr CTime operator-(CTimeSpan s) const { return CTime(time_type(std::int64_t(m_time) - s.GetTotalSeconds())); }
    constexpr CTimeSpan operator-(CTime o) const { return CTimeSpan(std::int64_t(m_time) - std::int64_t(o.m_time)); }
    CTime& operator+=(CTimeSpan s) { return *this = *this + s; }
    CTime& operator-=(CTimeSpan s) { return *this = *this - s; }
    constexpr auto operator<=>(const CTime&) const = default;

private:
    time_type m_time = 0;
};

// strftime-style formatting of broken-down fields, shared by both CTime forms.
QString FormatTm(const std::tm& tm, const QString& format);

} // namespace platform
