#include "archive/store/ArchivIntervalClock.h"

#include <array>

using platform::CTime;
using platform::CTimeSpan;

namespace {

constexpr std::array<int, 5> kPeriods = {900, 3600, 28800, 86400, 604800};

std::int64_t Seconds(CTime t)
{
    return std::int64_t(t.GetTime());
}

CTime FromSeconds(std::int64_t s)
{
    return CTime(CTime::time_type(s));
}

} // namespace

int CArchivIntervalClock::PeriodOfCode(int code)
{
    const int index = code < 0 ? -1 - code : code;
    if (index < 0 || index >= int(kPeriods.size()))
        return kPeriods[0];
    return kPeriods[std::size_t(index)];
}

CTime CArchivIntervalClock::Epoch()
{
    return CTime(2000, 1, 1, 0, 0, 0);
}

CTime CArchivIntervalClock::NextAfter(CTime base, int period)
{
    const CTime epoch = Epoch();
    if (epoch >= base)
        return epoch;
    const std::int64_t e = Seconds(epoch);
    return FromSeconds(e + ((Seconds(base) - e) / period + 1) * period);
}

void CArchivIntervalClock::SetTimeSource(TimeSource now)
{
    std::lock_guard lock(m_lock);
    m_now = std::move(now);
}

void CArchivIntervalClock::SetLinkedRecord(TimeSource recordTime)
{
    std::lock_guard lock(m_lock);
    m_linkedRecord = std::move(recordTime);
}

CTime CArchivIntervalClock::Now() const
{
    TimeSource now;
    {
        std::lock_guard lock(m_lock);
        now = m_now;
    }
    return now ? now() : CTime::GetCurrentTime();
}

CTime CArchivIntervalClock::NextTime() const
{
    return NextTime(GetStart());
}

CTime CArchivIntervalClock::NextTime(CTime base) const
{
    return NextAfter(base, GetIntervalSeconds());
}

int CArchivIntervalClock::IsBeforeNextTime() const
{
    if (IsStartSet())
        return 0;
    return Now() < NextTime() ? 1 : 0;
}

int CArchivIntervalClock::IsAtBoundary(CTime t) const
{
    CTime start;
    {
        std::lock_guard lock(m_lock);
        start = m_start;
    }
    const std::int64_t b = Seconds(NextTime(t - CTimeSpan(60)));
    const std::int64_t s = Seconds(t);
    return t >= start && s - 61 < b && b < s + 61 ? 1 : 0;
}

int CArchivIntervalClock::GetRecordNumber() const
{
    if (!IsStartSet())
        return 0;
    const std::int64_t p = GetIntervalSeconds();
    return int((Seconds(NextTime()) - Seconds(Epoch()) + 60) / p % 64 + 1);
}

int CArchivIntervalClock::CheckOverdue()
{
    const CTime b = NextTime();
    TimeSource record;
    {
        std::lock_guard lock(m_lock);
        record = m_linkedRecord;
    }
    const CTime t = record ? record() : Now();
    const int overdue = Seconds(t) - 60 > Seconds(b) ? 1 : 0;
    std::lock_guard lock(m_lock);
    m_overdue = overdue;
    return overdue;
}

int CArchivIntervalClock::IsOverdue() const
{
    std::lock_guard lock(m_lock);
    return m_overdue;
}

void CArchivIntervalClock::ClearOverdue()
{
    std::lock_guard lock(m_lock);
    m_overdue = 0;
}

void CArchivIntervalClock::AdvanceStart()
{
    std::lock_guard lock(m_lock);
    if (!m_startSet)
        return;
    const std::int64_t p = PeriodOfCode(m_intervalCode);
    const std::int64_t e = Seconds(Epoch());
    m_start = FromSeconds(e + ((Seconds(m_start) - e) / p + 1) * p);
}

void CArchivIntervalClock::SetStartOnce(CTime t)
{
    std::lock_guard lock(m_lock);
    if (m_startSet)
        return;
    m_start = t;
    m_startSet = 1;
}

void CArchivIntervalClock::SetStartBefore(CTime t)
{
    const int p = GetIntervalSeconds();
    const CTime start = NextTime(t - CTimeSpan(61)) - CTimeSpan(p);
    std::lock_guard lock(m_lock);
    m_start = start;
}

int CArchivIntervalClock::IsStartSet() const
{
    std::lock_guard lock(m_lock);
    return m_startSet;
}

CTime CArchivIntervalClock::GetStart() const
{
    {
        std::lock_guard lock(m_lock);
        if (m_startSet)
            return m_start;
    }
    return Epoch() + CTimeSpan(1);
}

void CArchivIntervalClock::SetStart(CTime t)
{
    std::lock_guard lock(m_lock);
    m_start = t;
}

int CArchivIntervalClock::Get() const
{
    std::lock_guard lock(m_lock);
    return m_intervalCode;
}

int CArchivIntervalClock::GetIntervalSeconds() const
{
    return PeriodOfCode(Get());
}

void CArchivIntervalClock::SetIntervalCode(int code)
{
    std::lock_guard lock(m_lock);
    m_intervalCode = code;
}
