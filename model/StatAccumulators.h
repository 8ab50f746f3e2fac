#pragma once

#include "model/PrevodTyp.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Small accumulators fed by the archive statistics as they walk the records
// in time order. Plain value objects; times in seconds, values 32-bit floats.

// Sliding-window averages of several channels, with the smallest and largest
// window average seen.
class CStatAverages {
public:
    struct Extreme {
        CTime time;
        float value = 0.0f;
        BOOL set = FALSE;
    };

    // Record interval in seconds (2 until set); gaps longer than the interval
    // + 2 s are filled with samples without value. Below 1 counts as 1.
    void SetInterval(int seconds) { m_interval = seconds < 1 ? 1 : seconds; }
    int GetInterval() const { return m_interval; }

    void Init(int channels, int window, CTime lastTime);
    // values and valid hold one entry per channel.
    void AddSample(const float* values, const BOOL* valid, CTime time, BOOL trackExtremes);
    // Per channel the average of the valued samples in the window (kNoValue
    // without any) and whether more than half of the window's samples carry a
    // value.
    void GetAverages(float* averages, BOOL* present) const;

    int GetChannelCount() const { return int(m_channels.size()); }
    const Extreme& GetSmallest(int channel) const { return m_channels.at(std::size_t(channel)).smallest; }
    const Extreme& GetLargest(int channel) const { return m_channels.at(std::size_t(channel)).largest; }

private:
    // Every channel takes a sample at the same times, so the times are kept
    // once; each channel keeps its values in a ring in step with them.
    struct Slot {
        float value;
        BOOL valid;
    };
    struct Channel {
        double sum = 0.0;
        int count = 0;
        std::vector<Slot> ring;
        Extreme smallest;
        Extreme largest;
    };

    void Push(std::int64_t time);
    // These two run for every channel of every record: inline.
    void Append(Channel& ch, float value, BOOL valid)
    {
        if (valid) {
            ch.sum += value;
            ++ch.count;
        }
        ch.ring[Back()] = {value, valid};
    }
    void UpdateExtremes(Channel& ch, std::int64_t time) const
    {
        if (!(ch.count > int(m_size / 2)))
            return;
        const float average = float(ch.sum / ch.count);
        if (!ch.smallest.set || average < ch.smallest.value)
            ch.smallest = {CTime(CTime::time_type(time)), average, TRUE};
        if (!ch.largest.set || average > ch.largest.value)
            ch.largest = {CTime(CTime::time_type(time)), average, TRUE};
    }
    bool AnyExtremePossible() const;
    std::size_t Back() const { return (m_head + m_size - 1) & (m_times.size() - 1); }

    int m_interval = 2;
    int m_window = 0;
    std::int64_t m_last = 0;
    std::vector<Channel> m_channels;
    // The ring of sample times: a power of two long, m_size in use from
    // m_head on.
    std::vector<std::int64_t> m_times;
    std::size_t m_head = 0;
    std::size_t m_size = 0;
};

// Mean of interval means (an interval is a minute for the statistics).
class CStatMean {
public:
    void Reset() { *this = CStatMean(); }
    // Inline: a statistics run feeds dozens of these per record.
    void Add(float value, BOOL newInterval)
    {
        if (newInterval)
            CloseInterval();
        m_openSum += value;
        ++m_openCount;
    }
    void CloseInterval()
    {
        if (m_openCount > 0) {
            m_sumOfMeans += m_openSum / float(m_openCount);
            ++m_intervals;
        }
        m_openCount = 0;
        m_openSum = 0.0f;
    }
    BOOL GetMean(float& mean) const;

private:
    int m_intervals = 0;
    int m_openCount = 0;
    float m_sumOfMeans = 0.0f;
    float m_openSum = 0.0f;
};

// Time covered by records.
class CStatDuration {
public:
    void Start(CTime time);
    void SetInterval(int seconds) { m_interval = seconds; }
    // TRUE when a new minute began.
    BOOL Add(CTime time);
    int GetSeconds() const { return m_seconds < 1 ? m_seconds : m_seconds + m_interval; }

private:
    int m_interval = 2;
    CTime m_start;
    CTime m_nextBoundary;
    int m_seconds = 0;
};

// Time integral in value-hours (energy from power).
class CStatIntegral {
public:
    void Start(CTime time);
    void SetInterval(int seconds) { m_interval = seconds; }
    void Add(float value, CTime time);
    float GetValue() const { return m_sum; }

private:
    int m_interval = 2;
    CTime m_last;
    float m_sum = 0.0f;
};

// Share of samples strictly above (mode != 0) or below (mode 0) a limit.
class CStatLimitRatio {
public:
    void Init(int mode, float limit);
    void Add(float value)
    {
        ++m_samples;
        if (m_mode != 0 ? value > m_limit : value < m_limit)
            ++m_hits;
    }
    double GetRatio() const { return m_samples ? double(m_hits) / m_samples : 0.0; }

private:
    int m_mode = 0;
    float m_limit = 0.0f;
    int m_samples = 0;
    int m_hits = 0;
};

// Share of flagged samples.
class CStatEventRatio {
public:
    void Reset() { m_samples = m_events = 0; }
    void Add(BOOL flag);
    double GetRatio() const { return m_samples ? double(m_events) / m_samples : 0.0; }

private:
    int m_samples = 0;
    int m_events = 0;
};

// Changes of a state; leaving state 0 is not a change, but a state other
// than 0 at the end counts as one.
class CStatChangeCounter {
public:
    void Reset() { *this = CStatChangeCounter(); }
    void Update(int state);
    BOOL GetChanges(int& count) const;

private:
    int m_last = 0;
    int m_changes = 0;
    BOOL m_valid = FALSE;
};

// One minimum or one maximum with its time; ties keep the earlier time.
class CStatExtreme {
public:
    void Reset() { m_valid = FALSE; }
    void AddMin(float value, CTime time);
    void AddMax(float value, CTime time);
    BOOL Get(float& value) const { return Give(value, m_value); }
    BOOL GetTime(CTime& time) const { return Give(time, m_time); }

protected:
    template <class T>
    BOOL Give(T& out, const T& field) const
    {
        out = field;
        return m_valid;
    }

    float m_value = 0.0f;
    CTime m_time;
    BOOL m_valid = FALSE;
};

// Minimum and maximum with their times; the inherited value is the minimum.
class CStatMinMax : public CStatExtreme {
public:
    void Add(float value, CTime time)
    {
        if (!m_valid) {
            m_value = m_max = value;
            m_time = m_maxTime = time;
            m_valid = TRUE;
            return;
        }
        if (value > m_max) {
            m_max = value;
            m_maxTime = time;
        }
        if (value < m_value) {
            m_value = value;
            m_time = time;
        }
    }
    BOOL GetMax(float& value) const { return Give(value, m_max); }
    BOOL GetMaxTime(CTime& time) const { return Give(time, m_maxTime); }
    BOOL GetMinTime(CTime& time) const { return GetTime(time); }

private:
    float m_max = 0.0f;
    CTime m_maxTime;
};
