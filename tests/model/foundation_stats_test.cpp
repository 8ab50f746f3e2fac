// Accumulators of the archive statistics.
#include "model/StatAccumulators.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const CTime t0(1704106800); // 2024-01-01 12:00:00 local, a whole minute

TEST(StatMean, MeanOfIntervalMeans)
{
    CStatMean m;
    float mean = -1;
    EXPECT_FALSE(m.GetMean(mean));
    EXPECT_EQ(mean, -1);

    m.Add(1, TRUE); // a new interval with nothing open closes nothing
    m.Add(3, FALSE);
    m.Add(10, TRUE);
    ASSERT_TRUE(m.GetMean(mean));
    EXPECT_FLOAT_EQ(mean, 6); // (2 + 10) / 2
    m.CloseInterval();
    ASSERT_TRUE(m.GetMean(mean));
    EXPECT_FLOAT_EQ(mean, 6);
    m.CloseInterval(); // nothing open: no empty interval counted
    m.Add(0, TRUE);
    ASSERT_TRUE(m.GetMean(mean));
    EXPECT_FLOAT_EQ(mean, 4); // (2 + 10 + 0) / 3

    m.Reset();
    EXPECT_FALSE(m.GetMean(mean));
}

TEST(StatIntegral, ValueHoursWithGapsCountedAsOneInterval)
{
    CStatIntegral e;
    e.Start(t0);
    e.Add(3600, t0); // same time: nothing
    EXPECT_FLOAT_EQ(e.GetValue(), 0);
    e.Add(3600, t0 + CTimeSpan(10)); // gap above interval + 2: one interval
    EXPECT_FLOAT_EQ(e.GetValue(), 2);
    e.Add(1800, t0 + CTimeSpan(14)); // within interval + 2: the real 4 s
    EXPECT_FLOAT_EQ(e.GetValue(), 4);
    e.Add(1800, t0 + CTimeSpan(5)); // earlier time: no energy, but it becomes the last time
    EXPECT_FLOAT_EQ(e.GetValue(), 4);
    e.Add(-3600, t0 + CTimeSpan(7));
    EXPECT_FLOAT_EQ(e.GetValue(), 2);

    e.SetInterval(60);
    e.Add(3600, t0 + CTimeSpan(1000));
    EXPECT_FLOAT_EQ(e.GetValue(), 62);
    e.Start(t0); // start brings the interval back to 2
    e.Add(3600, t0 + CTimeSpan(100));
    EXPECT_FLOAT_EQ(e.GetValue(), 2);
}

TEST(StatDuration, SecondsAndMinuteBoundaries)
{
    CStatDuration d;
    d.Start(t0 + CTimeSpan(30));
    EXPECT_EQ(d.GetSeconds(), 0);
    EXPECT_FALSE(d.Add(t0 + CTimeSpan(32))); // +2
    EXPECT_EQ(d.GetSeconds(), 2 + 2);
    EXPECT_FALSE(d.Add(t0 + CTimeSpan(60))); // boundary itself is not later than it
    EXPECT_EQ(d.GetSeconds(), 4 + 2);        // far from the start: one interval
    EXPECT_TRUE(d.Add(t0 + CTimeSpan(61)));  // next minute began
    EXPECT_FALSE(d.Add(t0 + CTimeSpan(119)));
    EXPECT_TRUE(d.Add(t0 + CTimeSpan(121)));
    EXPECT_FALSE(d.Add(t0 + CTimeSpan(20))); // before the start: nothing counted
    EXPECT_EQ(d.GetSeconds(), 10 + 2);
}

TEST(StatRatios, LimitAndEvents)
{
    CStatLimitRatio above;
    above.Init(1, 5);
    EXPECT_EQ(above.GetRatio(), 0.0);
    for (float v : {5.0f, 6.0f, 4.0f})
        above.Add(v);
    EXPECT_DOUBLE_EQ(above.GetRatio(), 1.0 / 3);

    CStatLimitRatio below;
    below.Init(0, 5);
    for (float v : {5.0f, 6.0f, 4.0f, 3.0f})
        below.Add(v);
    EXPECT_DOUBLE_EQ(below.GetRatio(), 0.5);
    below.Init(0, 5);
    EXPECT_EQ(below.GetRatio(), 0.0);

    CStatEventRatio events;
    EXPECT_EQ(events.GetRatio(), 0.0);
    for (BOOL f : {TRUE, FALSE, FALSE, 2})
        events.Add(f);
    EXPECT_DOUBLE_EQ(events.GetRatio(), 0.5);
    events.Reset();
    EXPECT_EQ(events.GetRatio(), 0.0);
}

TEST(StatChangeCounter, CountsChangesAwayFromNonZero)
{
    struct Case {
        std::vector<int> states;
        int changes;
    };
    const Case cases[] = {
        {{0, 1, 1, 2, 0}, 2},
        {{0, 1, 1, 2}, 2}, // still in state 2: counts as one more
        {{1}, 1},
        {{0, 0}, 0},
        {{3, 0, 3, 0}, 2},
    };
    for (const Case& c : cases) {
        CStatChangeCounter counter;
        int count = -1;
        EXPECT_FALSE(counter.GetChanges(count));
        for (int s : c.states)
            counter.Update(s);
        EXPECT_TRUE(counter.GetChanges(count));
        EXPECT_EQ(count, c.changes) << ::testing::PrintToString(c.states);
        counter.Reset();
        EXPECT_FALSE(counter.GetChanges(count));
        EXPECT_EQ(count, 0);
    }
}

TEST(StatExtremes, TiesKeepTheEarlierTime)
{
    CStatExtreme low;
    CStatExtreme high;
    float v = -1;
    EXPECT_FALSE(low.Get(v));
    const float values[] = {5, 3, 3, 7, 7, 4};
    for (int i = 0; i < 6; ++i) {
        low.AddMin(values[i], t0 + CTimeSpan(i));
        high.AddMax(values[i], t0 + CTimeSpan(i));
    }
    CTime t;
    EXPECT_TRUE(low.Get(v));
    EXPECT_EQ(v, 3);
    EXPECT_TRUE(low.GetTime(t));
    EXPECT_EQ(t, t0 + CTimeSpan(1));
    EXPECT_TRUE(high.Get(v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(high.GetTime(t));
    EXPECT_EQ(t, t0 + CTimeSpan(3));
    high.Reset();
    EXPECT_FALSE(high.Get(v));

    CStatMinMax mm;
    EXPECT_FALSE(mm.GetMax(v));
    mm.Add(2, t0);
    mm.Add(2, t0 + CTimeSpan(5));
    EXPECT_TRUE(mm.GetMinTime(t));
    EXPECT_EQ(t, t0);
    EXPECT_TRUE(mm.GetMaxTime(t));
    EXPECT_EQ(t, t0);
    mm.Add(9, t0 + CTimeSpan(6));
    mm.Add(-1, t0 + CTimeSpan(7));
    EXPECT_TRUE(mm.Get(v)); // the minimum
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(mm.GetMax(v));
    EXPECT_EQ(v, 9);
    EXPECT_TRUE(mm.GetMinTime(t));
    EXPECT_EQ(t, t0 + CTimeSpan(7));
    EXPECT_TRUE(mm.GetMaxTime(t));
    EXPECT_EQ(t, t0 + CTimeSpan(6));
    mm.Reset();
    EXPECT_FALSE(mm.GetMax(v));
}

// ---- CStatAverages ----

class StatAveragesTest : public ::testing::Test {
protected:
    // One channel, records every 2 s, a 10 s window.
    void SetUp() override { avg.Init(1, 10, t0); }

    void Add(int second, float value, BOOL valid = TRUE, BOOL track = TRUE)
    {
        avg.AddSample(&value, &valid, t0 + CTimeSpan(second), track);
    }
    float Average(BOOL* present = nullptr)
    {
        float a = 0;
        BOOL p = FALSE;
        avg.GetAverages(&a, &p);
        if (present)
            *present = p;
        return a;
    }

    CStatAverages avg;
};

TEST_F(StatAveragesTest, WindowSlides)
{
    for (int s = 2; s <= 10; s += 2)
        Add(s, float(s)); // 2 4 6 8 10
    EXPECT_FLOAT_EQ(Average(), 6);
    Add(12, 12); // window keeps times from 2 on: 2..12
    EXPECT_FLOAT_EQ(Average(), 7);
    Add(14, 14); // 4..14
    EXPECT_FLOAT_EQ(Average(), 9);
}

TEST_F(StatAveragesTest, EmptyWindowReportsNoValue)
{
    BOOL present = TRUE;
    EXPECT_FLOAT_EQ(Average(&present), float(kNoValue));
    EXPECT_FALSE(present);
    Add(2, 5, FALSE);
    EXPECT_FLOAT_EQ(Average(&present), float(kNoValue));
    EXPECT_FALSE(present);
}

TEST_F(StatAveragesTest, PresenceNeedsMoreThanHalfValued)
{
    BOOL present = FALSE;
    Add(2, 4);
    EXPECT_FLOAT_EQ(Average(&present), 4);
    EXPECT_TRUE(present); // 1 of 1
    Add(4, 100, FALSE);
    EXPECT_FLOAT_EQ(Average(&present), 4); // invalid samples stay out of the average
    EXPECT_FALSE(present); // 1 of 2
    Add(6, 7);
    EXPECT_FLOAT_EQ(Average(&present), 5.5f);
    EXPECT_TRUE(present); // 2 of 3
}

TEST_F(StatAveragesTest, GapIsFilledWithEmptySamples)
{
    Add(2, 10);
    Add(4, 10);
    // 4 -> 20: more than interval + 2, so empty samples at 6..18 are filled in;
    // the 10 s window then holds 10..20: five empty samples and the new one.
    Add(20, 30);
    BOOL present = TRUE;
    EXPECT_FLOAT_EQ(Average(&present), 30);
    EXPECT_FALSE(present);
    // Within interval + 2 no filling.
    CStatAverages b;
    b.Init(1, 100, t0);
    float v = 1;
    BOOL ok = TRUE;
    b.AddSample(&v, &ok, t0 + CTimeSpan(4), TRUE);
    v = 3;
    b.AddSample(&v, &ok, t0 + CTimeSpan(8), TRUE);
    float a = 0;
    b.GetAverages(&a, &present);
    EXPECT_FLOAT_EQ(a, 2);
    EXPECT_TRUE(present);
}

TEST_F(StatAveragesTest, ExtremesOfWindowAverages)
{
    const float values[] = {10, 20, 30, 5, 5, 5, 5, 5, 5};
    for (int i = 0; i < 9; ++i)
        Add(2 * (i + 1), values[i]);
    // The window holds the samples from 10 s back: averages in turn 10, 15,
    // 20, 16.25, 14, 12.5, 11.67, 9.17 and 5 (at 18 s: only the fives).
    const CStatAverages::Extreme& hi = avg.GetLargest(0);
    const CStatAverages::Extreme& lo = avg.GetSmallest(0);
    ASSERT_TRUE(hi.set);
    ASSERT_TRUE(lo.set);
    EXPECT_FLOAT_EQ(hi.value, 20);
    EXPECT_EQ(hi.time, t0 + CTimeSpan(6));
    EXPECT_FLOAT_EQ(lo.value, 5);
    EXPECT_EQ(lo.time, t0 + CTimeSpan(18));

    // Not tracked: nothing changes.
    Add(20, 1000, TRUE, FALSE);
    EXPECT_FLOAT_EQ(avg.GetLargest(0).value, 20);
}

TEST_F(StatAveragesTest, ExtremesNeedAValuedMajority)
{
    Add(2, 50);
    Add(4, 1, FALSE);
    Add(6, 1, FALSE); // 1 valued of 3: no update
    Add(8, 1, FALSE);
    EXPECT_FLOAT_EQ(avg.GetLargest(0).value, 50);
    EXPECT_EQ(avg.GetLargest(0).time, t0 + CTimeSpan(2));
    EXPECT_FLOAT_EQ(avg.GetSmallest(0).value, 50);
}

TEST_F(StatAveragesTest, InitResetsAndResizes)
{
    Add(2, 7);
    avg.Init(3, 10, t0 + CTimeSpan(100));
    EXPECT_EQ(avg.GetChannelCount(), 3);
    EXPECT_FALSE(avg.GetLargest(2).set);
    const float values[3] = {1, 2, 3};
    const BOOL valid[3] = {TRUE, TRUE, FALSE};
    avg.AddSample(values, valid, t0 + CTimeSpan(102), TRUE);
    float a[3];
    BOOL p[3];
    avg.GetAverages(a, p);
    EXPECT_FLOAT_EQ(a[0], 1);
    EXPECT_FLOAT_EQ(a[1], 2);
    EXPECT_FLOAT_EQ(a[2], float(kNoValue));
    EXPECT_TRUE(p[0]);
    EXPECT_FALSE(p[2]);
}

TEST_F(StatAveragesTest, DamagedTimeJumpStaysCheap)
{
    // A record time decades ahead must not make one empty sample per interval.
    Add(2, 10);
    Add(4, 20);
    avg.SetInterval(1);
    Add(2000000000, 30);
    BOOL present = TRUE;
    EXPECT_FLOAT_EQ(Average(&present), 30);
    EXPECT_FALSE(present); // the window is full of empty samples
    Add(2000000001, 40);
    EXPECT_FLOAT_EQ(Average(&present), 35);
    // No extreme came from the windows full of empty samples.
    EXPECT_FLOAT_EQ(avg.GetLargest(0).value, 15);
    EXPECT_FLOAT_EQ(avg.GetSmallest(0).value, 10);
}

TEST_F(StatAveragesTest, ZeroIntervalDoesNotLoop)
{
    avg.SetInterval(0);
    EXPECT_EQ(avg.GetInterval(), 1);
    Add(2, 1);
    Add(50, 2);
    EXPECT_FLOAT_EQ(Average(), 2);
}

} // namespace
