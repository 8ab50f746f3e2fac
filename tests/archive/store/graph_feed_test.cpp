#include "archive/store/ArchivGraphFeed.h"
#include "archive/store/ArchivSeriesExtract.h"
#include "archive/store/ArchivTimeAxis.h"
#include "archive/store/QorinArchivData.h"
#include "controller_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using platform::CTime;

namespace {

constexpr CTime::time_type kT0 = 1700000000;

// Draws every record that takes a point at value 1 (an outage as a gap) and
// remembers which list went to which channel.
class GraphFeedTest : public ::testing::Test {
protected:
    GraphFeedTest()
    {
        registry.AddGraphSeries(QStringLiteral("Cos"), {}, QStringLiteral("cos"), 0, 2.0f, 0.0f);
    }

    CArchivGraphFeed Feed()
    {
        return CArchivGraphFeed(registry, kFamilyQorin,
                                [this](const CArchivRecordList& records, int channel, int end, int start) {
                                    CGraphTrace& s = Series();
                                    for (const CArchivRecord& r : records) {
                                        if (start >= end)
                                            break;
                                        if (!(r.IsData() || r.type == kRecordError))
                                            continue;
                                        if (r.type == kRecordError)
                                            s.SetGap(channel, start, false);
                                        else
                                            s.SetPoint(channel, start, CTime(r.time), 1.0);
                                        ++start;
                                    }
                                    return start;
                                });
    }
    CGraphTrace& Series() { return *registry.FindGraphSeries(u"Cos"); }

    static CArchivRecordList Run(CTime::time_type from, int count, std::uint8_t type = kRecordFull)
    {
        CArchivRecordList list;
        for (int i = 0; i < count; ++i)
            list.push_back({std::uint32_t(from + CTime::time_type(60 * i)), type, {}});
        return list;
    }

    // Reads the blocks by their slot; a slot not among them cannot be read.
    static CArchivGraphFeed::BlockReader Reader(const std::map<int, CArchivRecordList>& blocks)
    {
        return [&blocks](int slot, CArchivRecordList& out) {
            const auto it = blocks.find(slot);
            if (it == blocks.end())
                return false;
            out.insert(out.end(), it->second.begin(), it->second.end());
            return true;
        };
    }

    CArchivSeriesRegistry registry;
};

TEST_F(GraphFeedTest, OnlyCurrentListPublishesChannelZero)
{
    CArchivGraphFeed feed = Feed();
    feed.ResetGraphTimeBase(3600, {}, CTime(kT0));
    const CArchivRecordList empty;
    const CArchivRecordList current = Run(kT0, 4);
    feed.PublishToGraphs({{&empty, &current, &empty}, 1, CTime(kT0 + 300)});
    EXPECT_EQ(feed.NewestChannel(), 0);
    EXPECT_EQ(Series().Points(0).size(), 4u);
    EXPECT_EQ(Series().Points(0)[1].x, 60 * 30000 / 3600);
    EXPECT_EQ(Series().Span(), 3600);
}

// Recording without a shown window publishes before any base was chosen: the
// axis starts at the current list, never at 1970 with a span out of range.
TEST_F(GraphFeedTest, PublishingBeforeAnyBaseStartsAtTheCurrentList)
{
    CArchivGraphFeed feed = Feed();
    const CArchivRecordList empty;
    const CArchivRecordList current = Run(kT0, 4);
    feed.PublishToGraphs({{&empty, &current, &empty}, 1, CTime(kT0 + 200)});
    EXPECT_EQ(feed.Origin().GetTime(), kT0);
    EXPECT_GT(feed.Span(), 200);
    EXPECT_LT(feed.Span(), 3600);
    EXPECT_EQ(Series().Span(), feed.Span());
    ASSERT_EQ(Series().Points(0).size(), 4u);
    EXPECT_EQ(Series().Points(0)[0].x, 0);
}

// Until a record gives the live graphs a time, nothing is published: no axis
// from 1970, no span reckoned from it, no point placed on it. The first
// dated point then starts the axis.
TEST_F(GraphFeedTest, NothingIsPublishedBeforeARecordGivesATime)
{
    const CArchivRecordList empty;
    const CArchivRecordList noPoints = {{kT0, kRecordSettings, {}}, {kT0 + 60, kRecordBlockMarker, {}}};
    const CArchivRecordList undated = Run(0, 3);
    struct Case {
        const char* name;
        const CArchivRecordList* current;
        bool publish; // all lists published rather than the current one refreshed
    };
    const Case cases[] = {
        {"no records", &empty, false},
        {"no records, all lists", &empty, true},
        {"records without points", &noPoints, false},
        {"points without a time", &undated, false},
        {"points without a time, all lists", &undated, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CArchivGraphFeed feed = Feed();
        const CArchivGraphFeed::LiveLists live{{&empty, c.current, &empty}, 1, CTime(kT0 + 200)};
        if (c.publish)
            feed.PublishToGraphs(live);
        else
            feed.RefreshGraphs(live);
        EXPECT_EQ(feed.Origin().GetTime(), CTime::time_type(0));
        EXPECT_EQ(feed.Span(), 0);
        EXPECT_EQ(registry.GraphSpan(), 0);
        EXPECT_EQ(Series().Span(), 0);
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_TRUE(Series().Points(channel).empty()) << channel;
    }

    CArchivGraphFeed feed = Feed();
    const CArchivRecordList dated = Run(kT0, 2);
    feed.RefreshGraphs({{&empty, &dated, &empty}, 1, CTime(kT0 + 200)});
    EXPECT_EQ(feed.Origin(), CTime(kT0));
    EXPECT_EQ(registry.GraphOrigin(), CTime(kT0));
    ASSERT_EQ(Series().Points(0).size(), 2u);
    EXPECT_EQ(Series().Points(0)[0].x, 0);
}

TEST_F(GraphFeedTest, OlderListsTakeTheLowerChannels)
{
    CArchivGraphFeed feed = Feed();
    CArchivRecordList l0 = Run(kT0 + 1200, 2); // current
    l0.insert(l0.begin(), {kT0 + 1100, kRecordSettings, {}});
    const CArchivRecordList l1 = Run(kT0, 10);       // two back
    const CArchivRecordList l2 = Run(kT0 + 600, 10); // one back
    feed.PublishToGraphs({{&l0, &l1, &l2}, 0, CTime(kT0 + 1300)});
    EXPECT_EQ(feed.NewestChannel(), 2);
    EXPECT_EQ(feed.Origin(), CTime(kT0));
    EXPECT_EQ(feed.Span(), 1200 * 16 / 10);
    EXPECT_EQ(Series().Points(0).size(), 10u);
    EXPECT_EQ(Series().Points(1).size(), 10u);
    EXPECT_EQ(Series().Points(2).size(), 2u);
    EXPECT_EQ(Series().Points(1)[0].x, 600 * 30000 / 1920);

    // One list back only, with an empty current list: the span comes from now.
    const CArchivRecordList empty;
    feed.PublishToGraphs({{&l1, &empty, &empty}, 1, CTime(kT0 + 1000)});
    EXPECT_EQ(feed.NewestChannel(), 1);
    EXPECT_EQ(feed.Span(), 1000 * 11 / 5);
}

TEST_F(GraphFeedTest, RefreshWidensAxisAndRollMovesChannels)
{
    CArchivGraphFeed feed = Feed();
    const CArchivRecordList empty;
    const CArchivRecordList current = Run(kT0, 3);
    feed.ResetGraphTimeBase(600, current, CTime(kT0));
    feed.RefreshGraphs({{&current, &empty, &empty}, 0, CTime(kT0 + 1000)});
    EXPECT_EQ(feed.Span(), 1250);
    EXPECT_EQ(Series().Points(0)[2].x, 120 * 30000 / 1250);

    // A new list begins: the old one moves down a channel under a new base.
    const CArchivRecordList l0 = Run(kT0, 3);
    const CArchivRecordList l1 = Run(kT0 + 900, 3);
    const CArchivRecordList l2 = Run(kT0 + 1800, 1);
    feed.PublishToGraphs({{&l0, &l1, &l2}, 2, CTime(kT0 + 1900)});
    const std::size_t newest = Series().Points(2).size();
    feed.PublishOneList({{&l1, &l2, &empty}, 2, CTime(kT0 + 2000)});
    EXPECT_EQ(Series().Points(1).size(), newest);
    EXPECT_TRUE(Series().Points(2).empty());
    EXPECT_EQ(feed.Origin(), CTime(kT0 + 900));
}

TEST_F(GraphFeedTest, WindowSplitsBlocksIntoChannels)
{
    CArchivGraphFeed feed = Feed();
    // A ring of 6 slots; the window is slots 4, 5, 0, 1 with 2, 3, 4 and 5 points.
    std::map<int, CArchivRecordList> blocks = {
        {4, Run(kT0, 2)}, {5, Run(kT0 + 1000, 3)}, {0, Run(kT0 + 2000, 4)}, {1, Run(kT0 + 3000, 5, kRecordError)}};
    blocks[5].push_back({kT0 + 1500, kRecordState, {}});
    const CArchivGraphFeed::BlockReader read = Reader(blocks);
    ASSERT_TRUE(feed.LoadWindow(read, 4, 4, 6));
    EXPECT_EQ(feed.Origin(), CTime(kT0));
    EXPECT_EQ(feed.Span(), 3240);
    EXPECT_EQ(Series().Points(0).size(), 5u);
    EXPECT_EQ(Series().Points(1).size(), 4u);
    EXPECT_EQ(Series().Points(2).size(), 5u);
    EXPECT_TRUE(Series().Points(2)[0].IsGap());

    EXPECT_FALSE(feed.LoadWindow(read, 4, 5, 6)); // slot 2 cannot be read
    ASSERT_TRUE(feed.LoadWindow(read, 4, 0, 6));
    EXPECT_TRUE(Series().Points(0).empty());
}

// A window's axis runs from its first record to its last, whichever of its
// blocks hold them; blocks without records give no time and publish nothing.
TEST_F(GraphFeedTest, WindowTakesItsAxisFromTheBlocksThatHoldRecords)
{
    CArchivGraphFeed feed = Feed();
    const std::map<int, CArchivRecordList> blocks = {{0, {}}, {1, Run(kT0, 3)}, {2, Run(kT0 + 600, 2)}, {3, {}}};
    const CArchivGraphFeed::BlockReader read = Reader(blocks);
    ASSERT_TRUE(feed.LoadWindow(read, 0, 4, 4));
    EXPECT_EQ(feed.Origin(), CTime(kT0));
    EXPECT_EQ(feed.Span(), 660);
    EXPECT_EQ(registry.GraphOrigin(), CTime(kT0));
    EXPECT_EQ(registry.GraphSpan(), 660);
    std::vector<std::int32_t> xs;
    for (int channel = 0; channel < 3; ++channel)
        for (const CGraphPoint& p : Series().Points(channel))
            xs.push_back(p.x);
    EXPECT_EQ(xs, (std::vector<std::int32_t>{0, 60 * 30000 / 660, 120 * 30000 / 660, 600 * 30000 / 660, 30000}));

    // No block of the window holds a record: the series are left empty and
    // the axis is not moved to 1970.
    ASSERT_TRUE(feed.LoadWindow(read, 3, 2, 4));
    EXPECT_EQ(feed.Origin(), CTime(kT0));
    EXPECT_EQ(registry.GraphOrigin(), CTime(kT0));
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_TRUE(Series().Points(channel).empty()) << channel;
}

TEST_F(GraphFeedTest, LargeWindowIsDecimated)
{
    CArchivGraphFeed feed = Feed();
    const CArchivRecordList big = Run(kT0, 15001);
    const auto read = [&big](int, CArchivRecordList& out) {
        out = big;
        return true;
    };
    std::vector<int> progress;
    CArchivGraphFeed::LoadObserver observer;
    observer.progress = [&progress](int percent) { progress.push_back(percent); };
    ASSERT_TRUE(feed.LoadWindow(read, 0, 3, 3, observer));
    // At most two points (the least and the greatest, one where they are
    // equal) stand for each group of twice the records per column.
    const int perColumn = archive::DecimationPerColumn(15001);
    ASSERT_GT(perColumn, 0);
    const std::size_t groups = (15001u + 2u * std::size_t(perColumn) - 1u) / (2u * std::size_t(perColumn));
    EXPECT_LE(Series().Points(2).size(), 2u * groups);
    EXPECT_GE(Series().Points(2).size(), groups);
    // Each third after counting and after its first block, then one step per
    // decimated series and the end.
    EXPECT_EQ(progress, (std::vector<int>{5, 25, 30, 50, 55, 75, 79, 100}));

    // Cleared: the series stays registered without points.
    feed.Clear();
    EXPECT_NE(registry.FindGraphSeries(u"Cos"), nullptr);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_TRUE(Series().Points(channel).empty());
}

TEST_F(GraphFeedTest, WindowLoadHandsEveryBlockOnceFirstOneMarked)
{
    CArchivGraphFeed feed = Feed();
    // 250 blocks in one ring: channel 0 takes 84 blocks, the progress moves
    // at its 1st block only; a longer third moves every 100 blocks.
    const auto read = [](int slot, CArchivRecordList& out) {
        out = Run(kT0 + 600 * slot, 2);
        return true;
    };
    std::vector<int> progress;
    std::vector<std::pair<std::uint32_t, bool>> blocks;
    CArchivGraphFeed::LoadObserver observer;
    observer.progress = [&progress](int percent) { progress.push_back(percent); };
    observer.block = [&blocks](const CArchivRecordList& block, bool first) {
        blocks.push_back({block.front().time, first});
    };
    ASSERT_TRUE(feed.LoadWindow(read, 10, 250, 400, observer));
    ASSERT_EQ(blocks.size(), 250u);
    EXPECT_TRUE(blocks.front().second);
    EXPECT_EQ(blocks.front().first, std::uint32_t(kT0 + 6000));
    EXPECT_EQ(std::count_if(blocks.begin(), blocks.end(), [](const auto& b) { return b.second; }), 1);
    EXPECT_EQ(progress, (std::vector<int>{5, 5, 30, 30, 55, 55}));
    ASSERT_TRUE(feed.LoadWindow(read, 10, 301, 400, observer));
    // 101 blocks in the first third: its 1st and 101st block move the bar.
    EXPECT_EQ(std::vector<int>(progress.begin() + 6, progress.begin() + 9), (std::vector<int>{5, 5, 25}));
}

TEST_F(GraphFeedTest, RollThatWouldLeavePointsBeforeTheOriginRebuilds)
{
    CArchivGraphFeed feed = Feed();
    const CArchivRecordList empty;
    const CArchivRecordList l0 = Run(kT0, 3);
    const CArchivRecordList l1 = Run(kT0 + 900, 3);
    const CArchivRecordList l2 = Run(kT0 + 1800, 2);
    feed.PublishToGraphs({{&l0, &l1, &l2}, 2, CTime(kT0 + 1900)});
    // Two lists were retired at once: the rolled channel 0 would start before
    // the new origin, so the channels are built again from the lists.
    feed.PublishOneList({{&l2, &empty, &empty}, 2, CTime(kT0 + 2000)});
    EXPECT_EQ(feed.Origin(), CTime(kT0 + 1800));
    EXPECT_EQ(feed.NewestChannel(), 2);
    ASSERT_EQ(Series().Points(0).size(), 2u); // l2, not the rolled l1
    EXPECT_EQ(Series().Points(0)[0].x, 0);
    EXPECT_TRUE(Series().Points(1).empty());
    EXPECT_TRUE(Series().Points(2).empty());
}

// Stage runs follow the records beside the series: a live list feeds the
// stage channel of its own number, a window the channel of its third, whose
// leading outage continues the channel before.
TEST(GraphFeedStages, LiveListsAndWindowThirds)
{
    CArchivSeriesRegistry registry;
    CArchivGraphFeed feed(registry, kFamilyQorin, [&registry](const CArchivRecordList& r, int c, int e, int s) {
        return archive::ExtractQorinSeries(registry, r, c, e, s, 0);
    });
    CQorinAktData on = QorinArchivTraits::NoValues();
    on.stageMask = 1;
    const CArchivRecordList empty;
    const CArchivRecordList current = {storetest::ControllerFull<QorinArchivTraits>(kT0 + 60, on)};
    feed.ResetGraphTimeBase(900, empty, CTime(kT0));
    feed.RefreshGraphs({{&empty, &current, &empty}, 1, CTime(kT0 + 100)});
    EXPECT_EQ(feed.StageLists(1)[0], (std::vector<std::uint32_t>{archive::kStageOn | 60, archive::kStageOn | 60}));
    EXPECT_TRUE(feed.StageLists(0)[0].empty());

    std::map<int, CArchivRecordList> blocks = {
        {0, {storetest::ControllerFull<QorinArchivTraits>(kT0, on)}},
        {1, {{kT0 + 600, kRecordBlockMarker, {}}, storetest::ControllerFull<QorinArchivTraits>(kT0 + 660, on)}},
    };
    const auto read = [&blocks](int slot, CArchivRecordList& out) {
        out.insert(out.end(), blocks[slot].begin(), blocks[slot].end());
        return true;
    };
    ASSERT_TRUE(feed.LoadWindow(read, 0, 2, 2));
    EXPECT_EQ(feed.StageLists(0)[0], (std::vector<std::uint32_t>{archive::kStageOn, archive::kStageOn}));
    EXPECT_EQ(feed.StageLists(1)[0], (std::vector<std::uint32_t>{1, archive::kStageOn | 660, archive::kStageOn | 660}));
    EXPECT_TRUE(feed.StageLists(2)[0].empty());
}

TEST(GraphFeedPositions, CurrentRecordOnTheAxis)
{
    CArchivRecordList list = {{kT0, kRecordSettings, {}}, {kT0 + 100, kRecordFull, {}}, {kT0 + 200, kRecordChanged, {}},
                              {kT0 + 250, kRecordError, {}}};
    EXPECT_EQ(CArchivGraphFeed::GetNewestRecordPos(list, 1, CTime(kT0), 1000), 6000);
    EXPECT_EQ(CArchivGraphFeed::GetNewestRecordPos(list, 5, CTime(kT0), 1000), 7500); // the last record
    EXPECT_EQ(CArchivGraphFeed::GetNewestRecordPos({}, 0, CTime(kT0), 1000), 0);
    EXPECT_EQ(CArchivGraphFeed::GetRecordPos(list, 0, CTime(kT0), 400, 800), 200);
    list.push_back({kT0 + 86400, kRecordFull, {}});
    EXPECT_EQ(CArchivGraphFeed::GetRecordPos(list, 2, CTime(kT0), 86400, 30000), 30000);
    EXPECT_EQ(CArchivGraphFeed::GetRecordPos(list, 2, CTime(kT0), 0, 30000), 0);
    // An axis without a time base places nothing.
    EXPECT_EQ(CArchivGraphFeed::GetNewestRecordPos(list, 1, CTime(), 1000), 0);
    EXPECT_EQ(CArchivGraphFeed::GetRecordPos(list, 0, CTime(), 400, 800), 0);
}

} // namespace
