#include "StoreTestSupport.h"

#include "platform/Cp1250.h"
#include "platform/StringTable.h"

namespace storetest {
namespace {

class QueueTest : public StoreTest {};

TEST_F(QueueTest, AlignBlockStartOnTheHourGrid)
{
    const struct {
        int records;
        int interval;
        CTime now;
        CTime marker;
        int count;
        int result;
    } cases[] = {
        // 60 x 60 s: the block began at 10:00 and 26 intervals have passed.
        {60, 60, CTime(2024, 3, 10, 10, 25, 30), CTime(2024, 3, 10, 10, 0, 0), 26, 1},
        // 80 x 60 s fits no hour grid: the marker is one interval ahead.
        {80, 60, CTime(2024, 3, 10, 10, 25, 30), CTime(2024, 3, 10, 10, 26, 30), 0, 0},
        // 90 minutes from the 3-hour mark: 09:00, 10:30 ... at 11:40 the block began at 10:30.
        {90, 60, CTime(2024, 3, 10, 11, 40, 0), CTime(2024, 3, 10, 10, 30, 0), 70, 1},
        // 2 hours from even hours.
        {120, 60, CTime(2024, 3, 10, 11, 40, 0), CTime(2024, 3, 10, 10, 0, 0), 100, 1},
        // Every poll instant of the span begun has passed (its last one at
        // 10:00:50, or on its own boundary): the block starts on the coming
        // boundary and counts none, so no poll comes twice in one second.
        {2, 10, CTime(2024, 3, 10, 10, 0, 58), CTime(2024, 3, 10, 10, 1, 0), 0, 1},
        {2, 10, CTime(2024, 3, 10, 10, 1, 0), CTime(2024, 3, 10, 10, 1, 0), 0, 1},
        {2, 10, CTime(2024, 3, 10, 10, 0, 50), CTime(2024, 3, 10, 10, 0, 40), 1, 1},
        {1, 60, CTime(2024, 3, 10, 10, 25, 30), CTime(2024, 3, 10, 10, 26, 0), 0, 1},
    };
    for (const auto& c : cases) {
        TestArchivData data;
        Prepare(data);
        m_clock.Set(c.now);
        EXPECT_EQ(data.AlignBlockStart(c.records, c.interval), c.result);
        const CArchivRecordList list = data.List(data.CurrentListIndex());
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].type, kRecordBlockMarker);
        EXPECT_EQ(list[0].time, c.marker.GetTime()) << c.records;
        EXPECT_EQ(data.GetBlockRecordCount(), c.count) << c.records;
    }
}

TEST_F(QueueTest, EndBlockWithoutFileLeavesTheRingAlone)
{
    TestArchivData data;
    Prepare(data);
    ASSERT_EQ(data.Create(3600, 1, 60, Path("live"), TestArchivData::Extension(), TRUE, FALSE, "Linka"), 1);
    const auto table = data.Table();
    const int w = data.WriteSlot();
    data.AddRecord("Přístroj aktivován.", kRecordState);
    EXPECT_EQ(data.EndBlock(FALSE, FALSE, 60), 1);
    EXPECT_EQ(data.EndBlock(FALSE, FALSE, 60), 1);
    EXPECT_EQ(data.WriteSlot(), w);
    EXPECT_EQ(data.Table(), table);
    EXPECT_EQ(data.CurrentListIndex(), 2);
    EXPECT_EQ(data.NeedsConfigRecord(), 1);
    EXPECT_EQ(data.GetBlockRecordCount(), 0);
    EXPECT_FALSE(QFile::exists(Path("live.tst")));
}

TEST_F(QueueTest, ListsRotateAndAreClearedTwoRotationsLater)
{
    TestArchivData data;
    Prepare(data);
    data.AddRecord("a", kRecordError);
    EXPECT_EQ(data.GetBlockRecordCount(), 1);
    data.EndBlock(FALSE, FALSE, 60);
    data.AddRecord("b", kRecordError);
    data.EndBlock(FALSE, FALSE, 60);
    EXPECT_EQ(data.List(0).size(), 1u); // kept for the graphs
    data.EndBlock(FALSE, FALSE, 60);
    EXPECT_EQ(data.CurrentListIndex(), 0);
    EXPECT_TRUE(data.List(0).empty());
    EXPECT_EQ(data.List(1).size(), 1u);
}

TEST_F(QueueTest, NewestDataTimeFallsBackToThePreviousList)
{
    TestArchivData data;
    Prepare(data);
    data.AddDataRecord(CTime(2024, 3, 10, 9, 59, 0));
    data.EndBlock(FALSE, FALSE, 60);
    EXPECT_EQ(data.GetNewestDataTime().GetTime(), CTime(2024, 3, 10, 9, 59, 0).GetTime());

    data.AddDataRecord(CTime(2024, 3, 10, 10, 0, 0));
    data.AddDataRecord(CTime(2024, 3, 10, 10, 1, 0));
    m_clock.Set(CTime(2024, 3, 10, 10, 2, 0));
    data.AddRecord("x", kRecordError);
    EXPECT_EQ(data.GetNewestDataTime().GetTime(), CTime(2024, 3, 10, 10, 1, 0).GetTime());
    EXPECT_EQ(data.CountDataRecords(FALSE), 1);
    EXPECT_EQ(data.CountDataRecords(TRUE), 2);
    EXPECT_EQ(data.GetFirstDataTime(data.CurrentListIndex(), FALSE).GetTime(),
              CTime(2024, 3, 10, 10, 0, 0).GetTime());

    data.EndBlock(FALSE, FALSE, 60);
    data.EndBlock(FALSE, FALSE, 60);
    EXPECT_EQ(data.GetNewestDataTime().GetTime(), 0u);
    EXPECT_EQ(data.CountDataRecords(TRUE), 0);
    EXPECT_EQ(data.CountListDataRecords(data.CurrentListIndex(), TRUE), -1);
    EXPECT_EQ(data.GetFirstDataTime(data.CurrentListIndex(), TRUE).GetTime(), m_clock.Get().GetTime());
    EXPECT_EQ(data.GetFirstDataTime(data.CurrentListIndex(), FALSE).GetTime(), 0u);
    data.AddRecord("y", kRecordState);
    EXPECT_EQ(data.GetFirstDataTime(data.CurrentListIndex(), FALSE).GetTime(), m_clock.Get().GetTime());
}

TEST_F(QueueTest, MarkerTimeFollowsTheIntervalGrid)
{
    TestArchivData data;
    Prepare(data);
    EXPECT_EQ(data.GetMarkerTime(60).GetTime(), m_clock.Get().GetTime()); // no marker: now
    data.AddBlockMarker(CTime(2024, 3, 10, 10, 0, 0));
    // On the grid the marker takes the current second within the interval.
    EXPECT_EQ(data.GetMarkerTime(60).GetTime(), CTime(2024, 3, 10, 10, 0, 30).GetTime());
    EXPECT_EQ(data.GetMarkerTime(7).GetTime(), CTime(2024, 3, 10, 10, 0, 0).GetTime());
}

TEST_F(QueueTest, EventListsCountDataAndEndWithMessages)
{
    TestArchivData data;
    Prepare(data);
    CArchivEventList out = {CArchivEventItem{}};
    data.CollectEvents(out);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(data.HasPendingRecords(), 0);

    data.AddRecord("start", kRecordState);
    data.EndBlock(FALSE, FALSE, 60);
    data.AddRecord("porucha", kRecordFault);
    data.AddRecord("chyba", kRecordError);
    data.QueueMessage(platform::IDS_NOT_ALL_DATA_READ, -1);
    data.QueueMessage(platform::IDS_EVENT_DEVICE_ACTIVATED, 7);
    data.RemoveMessage(platform::IDS_NOT_ALL_DATA_READ, -1);
    ASSERT_EQ(data.HasPendingRecords(), 1);

    data.CollectEvents(out);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[0].data, QByteArray("start"));
    EXPECT_EQ(out[1].type, kRecordFault);
    EXPECT_EQ(out[2].type, kRecordError);
    EXPECT_EQ(out[3].type, kRecordSeparator);
    EXPECT_EQ(out[4].type, kRecordMessage);
    EXPECT_EQ(platform::FromCp1250(out[4].data), QString::fromUtf8("Přístroj aktivován.(7 s)"));
    EXPECT_EQ(data.HasPendingRecords(), 0);
}

TEST_F(QueueTest, MessageIfNewComparesWithTheLastOneOnly)
{
    TestArchivData data;
    Prepare(data);
    data.AddRecord("start", kRecordState);
    data.QueueMessageIfNew(platform::IDS_EVENT_DEVICE_ACTIVATED, 7);
    data.QueueMessageIfNew(platform::IDS_EVENT_DEVICE_ACTIVATED, 7);
    data.QueueMessageIfNew(platform::IDS_EVENT_DEVICE_ACTIVATED, 8);
    data.QueueMessageIfNew(platform::IDS_EVENT_DEVICE_ACTIVATED, 7);

    CArchivEventList out;
    data.CollectEvents(out);
    QStringList texts;
    for (const CArchivEventItem& item : out)
        if (item.type == kRecordMessage)
            texts.append(platform::FromCp1250(item.data));
    EXPECT_EQ(texts, QStringList({QString::fromUtf8("Přístroj aktivován.(7 s)"),
                                  QString::fromUtf8("Přístroj aktivován.(8 s)"),
                                  QString::fromUtf8("Přístroj aktivován.(7 s)")}));

    data.SetDeviceState(0x13);
    EXPECT_EQ(data.HasNewData(), 0x13);
}

TEST_F(QueueTest, BlockEventsCountPerObject)
{
    // Two documents collecting at once keep their own running counts.
    TestArchivData first;
    TestArchivData second;
    Prepare(first);
    Prepare(second);
    const CArchivRecordList block = {{1, kRecordFull, {}}, {2, kRecordState, "x"}, {3, kRecordChanged, {}}};
    CArchivEventList a;
    CArchivEventList b;
    first.CollectBlockEvents(block, a, TRUE);
    second.CollectBlockEvents(block, b, TRUE);
    first.CollectBlockEvents(block, a, FALSE);
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[0].sampleIndex, 1);
    EXPECT_EQ(a[1].sampleIndex, 2);
    EXPECT_EQ(a[2].sampleIndex, 3);
    EXPECT_EQ(a[3].sampleIndex, 4);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[1].sampleIndex, 2);
}

TEST_F(QueueTest, PeriodBoundaryAndDueTest)
{
    TestArchivData data;
    Prepare(data);
    EXPECT_EQ(data.GetPeriodBoundary(86400, 0, 60).GetTime(), CTime(2024, 3, 11, 0, 0, 0).GetTime());
    EXPECT_EQ(data.GetPeriodBoundary(86400, 1, 60).GetTime(), CTime(2024, 3, 10, 0, 0, 0).GetTime());
    EXPECT_EQ(data.IsPeriodDue(86400, 60), 0);
    m_clock.Set(CTime(2024, 3, 10, 23, 59, 10));
    EXPECT_EQ(data.IsPeriodDue(3600, 60), 1); // the day set by the first call stays in force
    EXPECT_EQ(data.NextBlockStart(60).GetTime(), CTime(2024, 3, 11, 0, 0, 0).GetTime());
}

} // namespace
} // namespace storetest
