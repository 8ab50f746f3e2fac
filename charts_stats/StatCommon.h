#pragma once

#include "archive/store/ArchivRecord.h"
#include "archive/store/ArchivWindow.h"
#include "model/StatAccumulators.h"

#include <QString>

#include <atomic>
#include <functional>
#include <span>
#include <type_traits>
#include <vector>

// What the archive statistics of every family share: the texts that close
// each segment's result, the record interval of a block and the segment
// bookkeeping of the engines.
namespace charts::stats {

// Told the progress of a run in percent (0 to 100); may be empty. With a
// cancel flag the run stops at the next record once the flag is set (from
// the report itself or another thread); the results of a stopped run are
// incomplete and are meant to be thrown away.
class ProgressFn {
public:
    ProgressFn() = default;
    template <class F>
        requires(!std::is_same_v<std::decay_t<F>, ProgressFn> && std::is_invocable_v<F&, int>)
    ProgressFn(F&& report, const std::atomic<bool>* cancel = nullptr)
        : m_report(std::forward<F>(report)), m_cancel(cancel)
    {
    }

    explicit operator bool() const { return bool(m_report); }
    void operator()(int percent) const
    {
        if (m_report)
            m_report(percent);
    }
    bool Cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }

private:
    std::function<void(int)> m_report;
    const std::atomic<bool>* m_cancel = nullptr;
};

// The closing fields of every segment's result.
struct CStatTail {
    CTime segmentStart;
    QString startText;
    QString endText;
    QString lengthText;   // empty when the end precedes the start
    QString coveredText;  // empty when the end precedes the start
    QString intervalText; // "--" when no interval above 1 s was seen
};

// The record period a status record holds (0: none).
using StatusPeriodFn = std::function<int(const CArchivRecord&)>;

// Record interval in seconds of one block's records: a one-word record gives
// its value at once; a status record before the first data record gives its
// period (when `statusPeriod` is given); otherwise the spacing of the first
// data records (types 2, 3, 4, 12). -1 when nothing gives a value.
int GetListStatusCode(std::span<const CArchivRecord> list, const StatusPeriodFn& statusPeriod = {});

// The blocks of a loaded window, each as the span of its records.
std::vector<std::span<const CArchivRecord>> WindowBlocks(const CArchivWindow& window);

// Power factors inside the statistics run from 0 to 2: a factor of 0 or
// below (export, capacitive) is raised by 2. These move between the forms.
inline float ShiftPowerFactor(float pf) { return pf <= 0.0f ? pf + 2.0f : pf; }
inline float SignedPowerFactor(float shifted) { return shifted > 1.0f ? shifted - 2.0f : shifted; }

// Segment bookkeeping every family engine holds: covered time, record
// intervals and the window flags.
class CStatEngineCore {
public:
    static constexpr int kNoInterval = 2147483647;

    // A new segment from `start`: the interval range empties, the covered
    // time starts and counts with the current interval.
    void BeginSegment(CTime start);
    // A record interval read from a block. Intervals of 1 s and less mean
    // nothing. True when it became the current interval (hand it on).
    bool TakeInterval(int seconds, bool inWindow);
    int Interval() const { return m_interval; }
    // The minute flag of the record at t.
    BOOL AddCovered(CTime t);
    // Whether the windows of `width` seconds have been filled at t.
    bool WindowFilled(CTime t, int width) const;
    CTime SegmentStart() const { return m_segmentStart; }
    int RecordCount() const { return m_records; }
    void FillTail(CStatTail& tail, CTime end) const;

protected:
    int m_records = 0;

private:
    int m_minInterval = kNoInterval;
    int m_maxInterval = 0;
    int m_interval = 2;
    CStatDuration m_covered;
    CTime m_segmentStart;
};

// Progress of a run: one step per measurement added.
class CStatProgress {
public:
    CStatProgress(const ProgressFn& report, int span) : m_report(report), m_span(span) {}
    void Step(int interval);

private:
    const ProgressFn& m_report;
    int m_span;
    double m_value = 0.0;
    int m_shown = -1;
};

} // namespace charts::stats
