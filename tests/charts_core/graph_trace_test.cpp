#include "charts_core/GraphTrace.h"

#include <gtest/gtest.h>

#include <vector>

using platform::CTime;

namespace {

constexpr CTime::time_type kOrigin = 1700000000;

CGraphTrace MakeTrace(float maximum = 100.0f, float minimum = 0.0f)
{
    CGraphTrace trace(QStringLiteral("P1"), QStringLiteral("kW"), QStringLiteral("P"), 0xFF0000, maximum, minimum);
    trace.Rescale(CTime(kOrigin), 3000, false);
    return trace;
}

TEST(GraphTrace, PointsScaleIntoTimeBaseAndRange)
{
    CGraphTrace trace = MakeTrace();
    trace.SetPointCount(0, 4);
    trace.SetPoint(0, 0, CTime(kOrigin), 100.0);
    trace.SetPoint(0, 1, CTime(kOrigin + 1500), 0.0);
    trace.SetPoint(0, 2, CTime(kOrigin + 3000), 150.0); // above the default range
    trace.SetPoint(0, 3, CTime(kOrigin + 3000), -1.0);  // below it
    const auto& p = trace.Points(0);
    EXPECT_EQ(p[0], (CGraphPoint{0, 1}));
    EXPECT_EQ(p[1], (CGraphPoint{15000, 15001}));
    EXPECT_EQ(p[2], (CGraphPoint{30000, CGraphTrace::kAboveRangeY}));
    EXPECT_EQ(p[3], (CGraphPoint{30000, CGraphTrace::kBelowRangeY}));
}

TEST(GraphTrace, AbsoluteOptionStoresMagnitude)
{
    CGraphTrace trace = MakeTrace();
    trace.SetOption(1);
    trace.SetPointCount(0, 1);
    trace.SetPoint(0, 0, CTime(kOrigin), -50.0);
    EXPECT_EQ(trace.Points(0)[0].y, 7501);
}

TEST(GraphTrace, HoldPointRepeatsLastValueAcrossChannelsUnlessFlagged)
{
    CGraphTrace trace = MakeTrace();
    trace.SetPointCount(0, 2);
    trace.SetPointCount(1, 3);
    trace.SetPoint(0, 0, CTime(kOrigin), 50.0);
    trace.SetGap(0, 1, false);
    trace.SetHoldPoint(1, 0, CTime(kOrigin + 300)); // back through the gap into channel 0
    EXPECT_EQ(trace.Points(1)[0], (CGraphPoint{3000, 7501}));

    trace.SetGap(1, 1, true);
    trace.SetHoldPoint(1, 2, CTime(kOrigin + 600));
    EXPECT_TRUE(trace.Points(1)[2].IsGap());
}

TEST(GraphTrace, HoldPointWithoutEarlierValueIsGap)
{
    CGraphTrace trace = MakeTrace();
    trace.SetPointCount(0, 1);
    trace.SetHoldPoint(0, 0, CTime(kOrigin));
    EXPECT_TRUE(trace.Points(0)[0].IsGap());
}

TEST(GraphTrace, RangeAndTimeRescaleKeepGaps)
{
    CGraphTrace trace = MakeTrace(50.0f, -50.0f);
    trace.SetPointCount(0, 2);
    trace.SetPoint(0, 0, CTime(kOrigin + 3000), 50.0);
    trace.SetGap(0, 1, false);
    trace.SetRange(100.0f, -50.0f, true);
    EXPECT_EQ(trace.Points(0)[0].y, 5001);
    trace.Rescale(CTime(kOrigin + 1500), 6000, true);
    EXPECT_EQ(trace.Points(0)[0].x, 7500);
    EXPECT_TRUE(trace.Points(0)[1].IsGap());
}

TEST(GraphTrace, RescaleBeforeOriginThrowsAndKeepsPoints)
{
    CGraphTrace trace = MakeTrace();
    trace.SetPointCount(0, 1);
    trace.SetPoint(0, 0, CTime(kOrigin + 10), 10.0);
    EXPECT_THROW(trace.Rescale(CTime(kOrigin + 20), 3000, true), CGraphTraceRangeError);
    EXPECT_EQ(trace.Points(0)[0].x, 100);
    EXPECT_EQ(trace.Origin(), CTime(kOrigin));
}

// A point a fraction of a second before the new start is moved onto it,
// one further back stops the move: a tenth of a second, whatever the span
// (the old check measured it in x units, tighter under 30000 s, looser over).
TEST(GraphTrace, RescaleToleratesATenthOfASecondAtAnySpan)
{
    const struct {
        int span;
        int pointAfter;  // seconds after the old start
        int newStart;    // seconds after the old start
        bool throws;
    } cases[] = {
        {3600, 1, 1, false},     // stored as x 8 = 0.96 s: t = -0.04 s
        {300000, 20, 21, true},  // stored at 20.0 s: t = -1 s, x would be -0.1
        {300000, 20, 20, false},
    };
    for (const auto& c : cases) {
        CGraphTrace trace = MakeTrace();
        trace.Rescale(CTime(kOrigin), c.span, false);
        trace.SetPointCount(0, 1);
        trace.SetPoint(0, 0, CTime(kOrigin + c.pointAfter), 10.0);
        if (c.throws) {
            EXPECT_THROW(trace.Rescale(CTime(kOrigin + c.newStart), c.span, true), CGraphTraceRangeError) << c.span;
            continue;
        }
        EXPECT_NO_THROW(trace.Rescale(CTime(kOrigin + c.newStart), c.span, true)) << c.span;
        EXPECT_EQ(trace.Points(0)[0].x, 0) << c.span;
        EXPECT_EQ(trace.Origin(), CTime(kOrigin + c.newStart));
    }
}

TEST(GraphTrace, RollChannelsOnlyWhenThirdHoldsPoints)
{
    CGraphTrace trace = MakeTrace();
    trace.SetPointCount(0, 1);
    trace.SetPointCount(1, 2);
    trace.RollChannels();
    EXPECT_EQ(trace.Points(0).size(), 1u);
    trace.SetPointCount(2, 3);
    trace.RollChannels();
    EXPECT_EQ(trace.Points(0).size(), 2u);
    EXPECT_EQ(trace.Points(1).size(), 3u);
    EXPECT_TRUE(trace.Points(2).empty());
}

// Groups of 2n points between gaps become their highest and lowest point in
// order of x; every run of gaps becomes one gap. Values at one second apart
// (x = 10 per second), -999 marks a gap.
TEST(GraphTrace, DecimateDrawsTwoPointsPerGroupOfTwiceTheColumnAndMergesGaps)
{
    constexpr double gap = -999;
    struct Case {
        const char* name;
        int perColumn;
        std::vector<double> values;
        std::vector<int> keptX; // -1 for a gap
    };
    const Case cases[] = {
        {"eight rising points in two groups", 2, {10, 20, 30, 40, 50, 60, 70, 80}, {0, 30, 40, 70}},
        {"falling points keep x order", 2, {80, 70, 60, 50}, {0, 30}},
        {"a gap ends a group, a level group is one point", 3, {10, 20, 90, 5, 40, gap, 60, 60}, {20, 30, -1, 60}},
        {"three gaps in a row become one", 2, {10, gap, gap, gap, 20}, {0, -1, 40}},
        {"leading and trailing gaps stay", 1, {gap, gap, 10, 30, gap}, {-1, 20, 30, -1}},
        {"a short last group", 2, {10, 50, 30, 20, 40}, {0, 10, 40}},
    };
    for (const Case& c : cases) {
        CGraphTrace trace = MakeTrace();
        const int n = int(c.values.size());
        trace.SetPointCount(0, n);
        for (int i = 0; i < n; ++i) {
            if (c.values[std::size_t(i)] == gap)
                trace.SetGap(0, i, false);
            else
                trace.SetPoint(0, i, CTime(kOrigin + CTime::time_type(i)), c.values[std::size_t(i)]);
        }
        trace.Decimate(c.perColumn);
        std::vector<int> kept;
        for (const CGraphPoint& p : trace.Points(0))
            kept.push_back(p.IsGap() ? -1 : p.x);
        EXPECT_EQ(kept, c.keptX) << c.name;
    }
    CGraphTrace empty = MakeTrace();
    empty.Decimate(2);
    EXPECT_TRUE(empty.Points(0).empty());
}

} // namespace
