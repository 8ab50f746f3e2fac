#include "model/StatAccumulators.h"

#include <algorithm>

// ---- CStatAverages ----

void CStatAverages::Init(int channels, int window, CTime lastTime)
{
    m_channels.assign(std::size_t(std::max(channels, 0)), Channel());
    m_window = window;
    m_last = lastTime.GetTime();
    m_times.clear();
    m_head = 0;
    m_size = 0;
}

// Makes room for one more sample and puts its time last.
void CStatAverages::Push(std::int64_t time)
{
    if (m_size == m_times.size()) {
        const std::size_t capacity = std::max<std::size_t>(16, m_times.size() * 2);
        const std::size_t mask = m_times.size() - 1;
        std::vector<std::int64_t> times(capacity);
        for (std::size_t i = 0; i < m_size; ++i)
            times[i] = m_times[(m_head + i) & mask];
        m_times = std::move(times);
        for (Channel& ch : m_channels) {
            std::vector<Slot> ring(capacity);
            for (std::size_t i = 0; i < m_size; ++i)
                ring[i] = ch.ring[(m_head + i) & mask];
            ch.ring = std::move(ring);
        }
        m_head = 0;
    }
    ++m_size;
    m_times[Back()] = time;
}

bool CStatAverages::AnyExtremePossible() const
{
    return std::any_of(m_channels.begin(), m_channels.end(),
                       [this](const Channel& ch) { return ch.count > int(m_size / 2); });
}

void CStatAverages::AddSample(const float* values, const BOOL* valid, CTime time, BOOL trackExtremes)
{
    const std::int64_t t = time.GetTime();
    const std::int64_t threshold = t - m_window;
    const std::int64_t step = m_interval;

    // Fill a gap with samples without value, one record interval apart.
    while (m_last + step + 2 < t) {
        // Empty samples that the window drops below, and that can no longer
        // produce an extreme, need not be made one by one: a damaged record
        // time must not cost a sample per interval of a decades-long gap.
        if (m_last + step < threshold && !(trackExtremes && AnyExtremePossible())) {
            const std::int64_t belowThreshold = (threshold - m_last - 1) / step;
            const std::int64_t loopSteps = (t - 2 - m_last - 1) / step;
            const std::int64_t skip = std::min(belowThreshold, loopSteps);
            if (skip > 0) {
                m_last += skip * step;
                continue;
            }
        }
        m_last += step;
        Push(m_last);
        for (Channel& ch : m_channels) {
            Append(ch, 0.0f, FALSE);
            if (trackExtremes)
                UpdateExtremes(ch, m_last);
        }
    }

    // Drop what has left the window, in the order it came.
    std::size_t drop = 0;
    const std::size_t mask = m_times.size() - 1;
    while (drop < m_size && m_times[(m_head + drop) & mask] < threshold)
        ++drop;
    if (drop > 0) {
        for (Channel& ch : m_channels) {
            for (std::size_t i = 0; i < drop; ++i) {
                const Slot& s = ch.ring[(m_head + i) & mask];
                if (s.valid) {
                    ch.sum -= s.value;
                    --ch.count;
                }
            }
        }
        m_head = (m_head + drop) & mask;
        m_size -= drop;
    }

    Push(t);
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        Channel& ch = m_channels[i];
        Append(ch, values[i], valid[i] ? TRUE : FALSE);
        if (trackExtremes)
            UpdateExtremes(ch, t);
    }
    m_last = t;
}

void CStatAverages::GetAverages(float* averages, BOOL* present) const
{
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        const Channel& ch = m_channels[i];
        averages[i] = ch.count > 0 ? float(ch.sum / ch.count) : float(kNoValue);
        present[i] = ch.count > int(m_size / 2);
    }
}

// ---- CStatMean ----

BOOL CStatMean::GetMean(float& mean) const
{
    if (m_openCount > 0) {
        mean = (m_openSum / float(m_openCount) + m_sumOfMeans) / float(m_intervals + 1);
        return TRUE;
    }
    if (m_intervals > 0) {
        mean = m_sumOfMeans / float(m_intervals);
        return TRUE;
    }
    return FALSE;
}

// ---- CStatDuration ----

namespace {

CTime NextMinute(CTime t)
{
    return CTime(t.GetTime() - t.GetTime() % 60) + CTimeSpan(60);
}

} // namespace

void CStatDuration::Start(CTime time)
{
    m_interval = 2;
    m_start = time;
    m_nextBoundary = NextMinute(time);
    m_seconds = 0;
}

BOOL CStatDuration::Add(CTime time)
{
    if (m_start < time) {
        if (m_start + CTimeSpan(m_interval + 2) < time)
            m_seconds += m_interval;
        else
            m_seconds += int((time - m_start).GetTotalSeconds());
    }
    if (time > m_nextBoundary) {
        m_nextBoundary = NextMinute(time);
        return TRUE;
    }
    return FALSE;
}

// ---- CStatIntegral ----

void CStatIntegral::Start(CTime time)
{
    m_interval = 2;
    m_last = time;
    m_sum = 0.0f;
}

void CStatIntegral::Add(float value, CTime time)
{
    if (m_last < time) {
        const std::int64_t dt =
            m_last + CTimeSpan(m_interval + 2) < time ? m_interval : (time - m_last).GetTotalSeconds();
        m_sum += float(dt) * (1.0f / 3600.0f) * value;
    }
    m_last = time;
}

// ---- ratios and counters ----

void CStatLimitRatio::Init(int mode, float limit)
{
    m_mode = mode;
    m_limit = limit;
    m_samples = 0;
    m_hits = 0;
}

void CStatEventRatio::Add(BOOL flag)
{
    ++m_samples;
    if (flag)
        ++m_events;
}

void CStatChangeCounter::Update(int state)
{
    m_valid = TRUE;
    if (state != m_last) {
        if (m_last != 0)
            ++m_changes;
        m_last = state;
    }
}

BOOL CStatChangeCounter::GetChanges(int& count) const
{
    count = m_changes + (m_last != 0 ? 1 : 0);
    return m_valid;
}

// ---- extremes ----

void CStatExtreme::AddMin(float value, CTime time)
{
    if (!m_valid || value < m_value) {
        m_value = value;
        m_time = time;
        m_valid = TRUE;
    }
}

void CStatExtreme::AddMax(float value, CTime time)
{
    if (!m_valid || value > m_value) {
        m_value = value;
        m_time = time;
        m_valid = TRUE;
    }
}
