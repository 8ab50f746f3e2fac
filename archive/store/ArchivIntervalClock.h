#pragma once

#include "platform/Time32.h"

#include <functional>
#include <mutex>

// When the next meter record is due: instants on a grid of the selected
// period counted from 1 January 2000, 00:00:00 local time. Used from the
// measurement thread and the main thread.
class CArchivIntervalClock {
public:
    using TimeSource = std::function<platform::CTime()>;

    // The periods of the interval codes 0..4 (15 min, 1 h, 8 h, 1 day, 7 days);
    // a code -1 - k selects entry k. A code outside the table gives 15 min.
    static int PeriodOfCode(int code);
    static platform::CTime Epoch();

    CArchivIntervalClock() = default;
    CArchivIntervalClock(const CArchivIntervalClock&) = delete;
    CArchivIntervalClock& operator=(const CArchivIntervalClock&) = delete;

    // The clock's "now" (the system time unless replaced).
    void SetTimeSource(TimeSource now);
    // A record whose time stands for "now" in CheckOverdue; empty for none.
    void SetLinkedRecord(TimeSource recordTime);

    // The first grid instant strictly after the base (the start when no base
    // is given, else the default one second after the epoch); the epoch
    // itself for a base at or before it.
    platform::CTime NextTime() const;
    platform::CTime NextTime(platform::CTime base) const;
    // 0 with a start set; else whether now lies before NextTime().
    int IsBeforeNextTime() const;
    // 1 when t lies within a minute after a grid instant and not before the
    // start.
    int IsAtBoundary(platform::CTime t) const;
    // 1..64, numbering the grid instants cyclically; 0 without a start.
    int GetRecordNumber() const;
    // Whether now (or the linked record's time) lies more than 60 s past
    // NextTime(); remembered in `overdue`.
    int CheckOverdue();
    // The result of the last CheckOverdue, until cleared.
    int IsOverdue() const;
    void ClearOverdue();
    // The start moves to the next grid instant.
    void AdvanceStart();
    void SetStartOnce(platform::CTime t);
    // The last grid instant at or before t - 61 s; leaves the started flag.
    void SetStartBefore(platform::CTime t);

    int IsStartSet() const;
    // The default (epoch + 1 s) when none is set.
    platform::CTime GetStart() const;
    // Leaves the started flag as it is.
    void SetStart(platform::CTime t);
    int Get() const;
    int GetIntervalSeconds() const;
    void SetIntervalCode(int code);
    // The clock's "now".
    platform::CTime Now() const;

private:
    static platform::CTime NextAfter(platform::CTime base, int period);

    mutable std::mutex m_lock;
    TimeSource m_now;
    TimeSource m_linkedRecord;
    int m_overdue = 0;
    platform::CTime m_start;
    int m_intervalCode = 0;
    int m_startSet = 0;
};
