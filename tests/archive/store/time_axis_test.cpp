#include "archive/store/ArchivTimeAxis.h"
#include "model/VKStatus.h"
#include "model/VKTStatus.h"

#include <gtest/gtest.h>

using platform::CTime;

namespace {

CTime Local(int y, int mo, int d, int h, int mi, int s = 0)
{
    return CTime(y, mo, d, h, mi, s);
}

TEST(TimeAxis, SpanTexts)
{
    const struct {
        int seconds;
        const char* text;
    } cases[] = {
        {5400, "1hod 30min "}, {1500, "25min "}, {2820, "40min "}, {4500, "1hod 15min "},
        {9000, "2hod 30min "}, {10799, "2hod 30min "}, {36000, "10hod "}, {600, "10min "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(archive::FormatSpan(c.seconds), QString::fromUtf8(c.text)) << c.seconds;
}

TEST(TimeAxis, TickLabelsRoundToTheGraphGrid)
{
    const struct {
        int span;
        CTime time;
        const char* text;
    } cases[] = {
        {1800, Local(2024, 3, 5, 10, 58), "11:00 "},
        {800, Local(2024, 3, 5, 10, 58), "10:58 "},
        {21600, Local(2024, 3, 5, 10, 58), "10:58 "},
        {1800, Local(2024, 3, 5, 10, 56), "11:00 "},
        {700, Local(2024, 3, 5, 10, 58, 1), "10:59 "},
        {5000, Local(2024, 3, 5, 10, 1), "10:15 "},
        {20000, Local(2024, 3, 5, 10, 31), "11:00 "},
        {30000, Local(2024, 3, 5, 23, 1), "0:00 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(archive::FormatTick(c.time, false, c.span), QString::fromLatin1(c.text)) << c.span;
    EXPECT_EQ(archive::FormatTick(Local(2024, 3, 5, 9, 0), true, 900), QStringLiteral("5.3 9:00 "));
}


TEST(TimeAxis, AlignWindowStart)
{
    const struct {
        CTime time;
        int zoom;
        CTime aligned;
    } cases[] = {
        {Local(2024, 3, 5, 10, 15, 0), 0, Local(2024, 3, 5, 10, 0)},
        {Local(2024, 3, 5, 10, 15, 1), 0, Local(2024, 3, 5, 10, 15)},
        {Local(2024, 3, 5, 0, 0), 9, Local(2024, 3, 4, 0, 0)},
        {Local(2024, 3, 1, 0, 0), 9, Local(2024, 3, 1, 0, 0)},
        {Local(2024, 3, 5, 13, 0), 4, Local(2024, 3, 5, 12, 0)},
        {Local(2024, 3, 5, 13, 0, 1), 4, Local(2024, 3, 5, 12, 0)},
        {Local(2024, 3, 5, 12, 0), 4, Local(2024, 3, 5, 6, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(archive::AlignWindowStart(c.time, c.zoom), c.aligned) << c.time.GetTime();
}

TEST(TimeAxis, ZoomChoicesFollowTheFileLength)
{
    archive::CArchivTimeAxis axis;
    axis.oldestStart = Local(2024, 3, 5, 10, 0);
    axis.windowLength = 5400;
    const struct {
        std::int64_t length;
        int count;
    } cases[] = {{600, 1}, {900, 1}, {1200, 2}, {86400, 7}, {373LL * 86400, 13}};
    for (const auto& c : cases) {
        axis.endTime = CTime(CTime::time_type(axis.oldestStart.GetTime() + c.length));
        QString span;
        const QStringList names = axis.GetZoomList(span);
        EXPECT_EQ(names.size(), c.count) << c.length;
        EXPECT_EQ(span, QStringLiteral("1hod 30min "));
    }
    axis.endTime = Local(2024, 3, 5, 10, 20);
    QString span;
    EXPECT_EQ(axis.GetZoomList(span), (QStringList{QStringLiteral("15 min"), QStringLiteral("30 min")}));
}

TEST(TimeAxis, ScrollFiguresInQuarterHours)
{
    archive::CArchivTimeAxis axis;
    axis.oldestStart = Local(2024, 3, 5, 10, 0);
    axis.endTime = Local(2024, 3, 5, 12, 10);
    axis.windowStart = Local(2024, 3, 5, 11, 0);
    axis.windowLength = 3600;
    const archive::CScrollInfo info = axis.GetScrollInfo();
    EXPECT_EQ(info.range, 9);
    EXPECT_EQ(info.position, 4);
    EXPECT_EQ(info.end, 8);
    axis.windowLength = 36000;
    EXPECT_EQ(axis.GetScrollInfo().end, 9);
}

TEST(TimeAxis, TicksCoverTheFileFromTheAlignedStart)
{
    archive::CArchivTimeAxis axis;
    axis.oldestStart = Local(2024, 3, 5, 10, 7);
    axis.newestStart = Local(2024, 3, 5, 11, 0);
    axis.endTime = Local(2024, 3, 5, 11, 5);
    axis.windowStart = Local(2024, 3, 5, 10, 30);
    axis.windowLength = 1800;
    axis.graphSpan = 1800;
    QString start;
    const QStringList ticks = axis.GetTimeTicks(start);
    EXPECT_EQ(ticks, (QStringList{QStringLiteral("10:00 "), QStringLiteral("10:30 "), QStringLiteral("11:00 ")}));
    EXPECT_EQ(start, QStringLiteral("10:30 "));

    axis.newestStart = Local(2024, 3, 15, 11, 0);
    axis.endTime = Local(2024, 3, 15, 11, 0);
    axis.windowLength = 900;
    EXPECT_EQ(axis.GetTimeTicks(start).size(), 500);
    EXPECT_EQ(start, QStringLiteral("5.3 10:30 "));
}

TEST(TimeAxis, ZoomPlacesWindowOnSpanBoundary)
{
    archive::CArchivTimeAxis axis;
    axis.oldestStart = Local(2024, 3, 5, 10, 7);
    axis.windowStart = Local(2024, 3, 5, 11, 20);
    axis.windowLength = 900;
    int position = -1;
    EXPECT_EQ(axis.ZoomWindowStart(2, position), Local(2024, 3, 5, 11, 0)); // 1 hour
    EXPECT_EQ(position, 1);
    position = 3; // unchanged span: the position is taken as given
    EXPECT_EQ(axis.ZoomWindowStart(0, position), Local(2024, 3, 5, 10, 45));
    EXPECT_EQ(position, 3);
}

TEST(TimeAxis, EndBlocksAndWrap)
{
    EXPECT_EQ(archive::WrapBlockIndex(3, 2, 4), 1);
    EXPECT_EQ(archive::WrapBlockIndex(0, -9, 4), 3);
    const archive::CBlockEnds ends = archive::FindEndBlocks({300, 0, 100, 200});
    EXPECT_EQ(ends.oldest, 2);
    EXPECT_EQ(ends.newest, 0);
    EXPECT_EQ(archive::FindEndBlocks({0, 0}).oldest, -1);
}

TEST(TimeAxis, WindowBlocks)
{
    // A ring of 5 slots starting every 1000 s; slot 3 is the oldest.
    const std::vector<std::uint32_t> table = {3000, 4000, 5000, 1000, 2000};
    const archive::CBlockEnds ends = archive::FindEndBlocks(table);
    const struct {
        std::uint32_t start, end;
        bool zoom;
        int first, current, count;
    } cases[] = {
        {1500, 3000, true, 3, 4, 3},  // slot at the end time counts for a zoom
        {1500, 3000, false, 3, 4, 2}, // but not for a window set by times
        {1500, 1600, false, 3, 4, 2}, // a first block that is not the newest: two blocks at least
        {5500, 6000, true, 2, 2, 1},  // the newest block alone
        {500, 9000, false, 3, 4, 5},
    };
    for (const auto& c : cases) {
        const archive::CWindowBlocks w = archive::FindWindowBlocks(table, ends, CTime(c.start), CTime(c.end), c.zoom);
        EXPECT_EQ(w.first, c.first) << c.start << "-" << c.end;
        EXPECT_EQ(w.current, c.current) << c.start << "-" << c.end;
        EXPECT_EQ(w.count, c.count) << c.start << "-" << c.end;
    }
    const std::vector<std::uint32_t> single = {0, 700, 0};
    const archive::CWindowBlocks one = archive::FindWindowBlocks(single, archive::FindEndBlocks(single), CTime(0),
                                                                 CTime(5000), false);
    EXPECT_EQ(one.first, 1);
    EXPECT_EQ(one.count, 1);
}

TEST(TimeAxis, ChannelSplitAndDecimation)
{
    EXPECT_EQ(archive::SplitWindowChannels(4), (std::array<int, 3>{2, 1, 1}));
    EXPECT_EQ(archive::SplitWindowChannels(5), (std::array<int, 3>{2, 2, 1}));
    EXPECT_EQ(archive::SplitWindowChannels(1), (std::array<int, 3>{1, 0, 0}));
    EXPECT_EQ(archive::DecimationPerColumn(15000), 0);
    EXPECT_EQ(archive::DecimationPerColumn(15001), 2);
}

} // namespace

namespace {

CArchivRecordList DataAt(std::initializer_list<std::uint32_t> times)
{
    CArchivRecordList list;
    for (std::uint32_t t : times)
        list.push_back({t, kRecordChanged, {}});
    return list;
}

TEST(TimeAxis, ListIntervalFromRecords)
{
    QByteArray word;
    archive::AppendU32(word, 600);
    CArchivRecordList withWord = DataAt({1000, 1010});
    withWord.push_back({1020, kRecordWord, word});
    const struct {
        CArchivRecordList list;
        int interval;
    } cases[] = {
        {withWord, 600},
        {DataAt({1000, 1060, 1120, 1180, 1240, 9999}), 60},
        {DataAt({1000, 1060, 1120, 1180}), 60},
        {DataAt({1000, 1100, 1200}), 101},
        {DataAt({1000, 1030}), 30},
        {DataAt({1000}), -1},
        {DataAt({1000, 1000}), -1},
        {DataAt({1000, 1000, 1000, 1000, 1000, 1060, 1120}), 60}, // no spacing in the first five: count again
        {{}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(archive::GetListInterval(c.list, 0), c.interval) << c.list.size();
}

TEST(TimeAxis, ListIntervalFromStatusBeforeData)
{
    CVKTStatus vkt;
    vkt.GetArch().SetInterval(900);
    QByteArray vktImage(CVKTStatus::kImageSize, '\0');
    vkt.ToRaw(reinterpret_cast<BYTE*>(vktImage.data()));
    CVKStatus vk;
    vk.SetRecordPeriodIndex(2);
    QByteArray vkImage(CVKStatus::kImageSize, '\0');
    vk.ToRaw(reinterpret_cast<BYTE*>(vkImage.data()));

    CArchivRecordList list = {{900, kRecordStatus, vktImage}};
    EXPECT_EQ(archive::GetListInterval(list, 40), 900);
    EXPECT_EQ(archive::GetListInterval(list, 0), -1); // model without a status of that kind
    list = {{900, kRecordStatus, vkImage}};
    EXPECT_EQ(archive::GetListInterval(list, 10), CVKStatus::GetPeriodSeconds(2));
    list = DataAt({1000, 1030});
    list.push_back({1040, kRecordStatus, vkImage}); // after data: spacing counts
    EXPECT_EQ(archive::GetListInterval(list, 10), 30);
}

} // namespace
