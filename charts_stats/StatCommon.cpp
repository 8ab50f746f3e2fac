#include "charts_stats/StatCommon.h"

#include "charts_core/CalendarTime.h"

#include <algorithm>

namespace charts::stats {

namespace {

const QString kTimeFormat = QStringLiteral("%H:%M:%S %d.%m.%Y");

std::int64_t SpacingOf(const std::int64_t* times, int count)
{
    switch (count) {
    case 5:
        return (times[4] - times[0] + 2) / 4;
    case 4:
        return (times[3] - times[0] + 2) / 3;
    case 3:
        return (times[2] - times[0] + 2) / 2;
    case 2:
        return times[1] - times[0];
    default:
        return 0;
    }
}

int ToInterval(std::int64_t v)
{
    return int(std::clamp<std::int64_t>(v, -1, 2147483647));
}

} // namespace

int GetListStatusCode(std::span<const CArchivRecord> list, const StatusPeriodFn& statusPeriod)
{
    std::int64_t times[5] = {};
    int count = 0;
    bool dataSeen = false;
    for (const CArchivRecord& r : list) {
        if (r.type == kRecordWord && r.data.size() >= 4) {
            const std::uint32_t value = archive::ReadU32(r.data.constData());
            if (value != 0)
                return ToInterval(value);
            continue;
        }
        if (r.type == kRecordStatus && !dataSeen && statusPeriod) {
            const int period = statusPeriod(r);
            if (period != 0)
                return period;
            continue;
        }
        if (!r.IsData() && r.type != kRecordError)
            continue;
        dataSeen = true;
        times[count++] = r.time;
        if (count == 5) {
            const std::int64_t v = SpacingOf(times, 5);
            if (v != 0)
                return ToInterval(v);
            count = 0;
        }
    }
    const std::int64_t v = SpacingOf(times, count);
    return v != 0 ? ToInterval(v) : -1;
}

std::vector<std::span<const CArchivRecord>> WindowBlocks(const CArchivWindow& window)
{
    std::vector<std::span<const CArchivRecord>> blocks;
    const std::size_t total = window.records.size();
    for (std::size_t b = 0; b < window.blockFirstRecord.size(); ++b) {
        const std::size_t first = std::min(window.blockFirstRecord[b], total);
        const std::size_t end =
            b + 1 < window.blockFirstRecord.size() ? std::min(window.blockFirstRecord[b + 1], total) : total;
        blocks.emplace_back(window.records.data() + first, end > first ? end - first : 0);
    }
    return blocks;
}

// ---- CStatEngineCore ----

void CStatEngineCore::BeginSegment(CTime start)
{
    m_segmentStart = start;
    m_records = 0;
    m_minInterval = kNoInterval;
    m_maxInterval = 0;
    m_covered.Start(start);
    m_covered.SetInterval(m_interval);
}

bool CStatEngineCore::TakeInterval(int seconds, bool inWindow)
{
    if (seconds <= 1)
        return false;
    if (inWindow) {
        m_minInterval = std::min(m_minInterval, seconds);
        m_maxInterval = std::max(m_maxInterval, seconds);
    }
    if (seconds == m_interval)
        return false;
    m_interval = seconds;
    m_covered.SetInterval(seconds);
    return true;
}

BOOL CStatEngineCore::AddCovered(CTime t)
{
    ++m_records;
    return m_covered.Add(t);
}

bool CStatEngineCore::WindowFilled(CTime t, int width) const
{
    return std::int64_t(t.GetTime()) - std::int64_t(m_segmentStart.GetTime()) + m_interval >= width;
}

void CStatEngineCore::FillTail(CStatTail& tail, CTime end) const
{
    tail.segmentStart = m_segmentStart;
    tail.startText = m_segmentStart.Format(kTimeFormat);
    tail.endText = end.Format(kTimeFormat);
    tail.lengthText.clear();
    tail.coveredText.clear();
    const std::int64_t length = std::int64_t(end.GetTime()) - std::int64_t(m_segmentStart.GetTime());
    if (length >= 0) {
        const std::int64_t covered = std::clamp<std::int64_t>(m_covered.GetSeconds(), 0, length);
        tail.lengthText = charts::FormatDuration(int(length));
        // A segment of no length is not covered at all.
        const double share = length > 0 ? double(covered) * 100.0 / double(length) : 0.0;
        tail.coveredText = charts::FormatDuration(int(covered)) + QString::asprintf(" (%0.1f%%)", share);
    }
    if (m_maxInterval == 0)
        tail.intervalText = QStringLiteral("--");
    else if (m_minInterval == m_maxInterval)
        tail.intervalText = QString::asprintf("%d [s]", m_maxInterval);
    else
        tail.intervalText = QString::asprintf("%d-%d [s]", m_minInterval, m_maxInterval);
}

// ---- CStatProgress ----

void CStatProgress::Step(int interval)
{
    // A window shorter than one record interval still ends at 100 %.
    const unsigned steps = interval > 0 ? unsigned(std::max(m_span, 0)) / unsigned(interval) : 0u;
    m_value += 100.0 / double(std::max(steps, 1u));
    const int shown = std::min(int(m_value), 100);
    if (m_report && shown != m_shown) {
        m_shown = shown;
        m_report(shown);
    }
}

} // namespace charts::stats
