#include "archive/store/ArchivHeader.h"
#include "archive/store/ArchivRecord.h"

#include <gtest/gtest.h>

namespace {

QByteArray HeaderBytes(std::uint32_t count, std::uint32_t tableEntries)
{
    QByteArray bytes(archive::kHeaderNameSize, '\0');
    bytes.replace(0, 5, "Linka");
    archive::AppendU32(bytes, count);
    for (std::uint32_t i = 0; i < tableEntries; ++i)
        archive::AppendU32(bytes, 1000 + i);
    return bytes;
}

TEST(ArchivHeader, SlotCountLimits)
{
    const struct {
        std::uint32_t count;
        std::uint32_t entries;
        archive::HeaderDecode expected;
    } cases[] = {
        {100000, 100000, archive::HeaderDecode::Ok},
        {1, 1, archive::HeaderDecode::Ok},
        {0, 0, archive::HeaderDecode::Rejected},
        // a merge's staged header: the ring's blocks and the merged ones
        {200000, 200000, archive::HeaderDecode::Ok},
        {200001, 200001, archive::HeaderDecode::Rejected},
        {5, 4, archive::HeaderDecode::Short},
    };
    for (const auto& c : cases) {
        CArchivHeader header;
        EXPECT_EQ(archive::DecodeHeader(HeaderBytes(c.count, c.entries), header), c.expected) << c.count;
        if (c.expected == archive::HeaderDecode::Ok) {
            EXPECT_EQ(header.name, QStringLiteral("Linka"));
            EXPECT_EQ(header.SlotCount(), int(c.count));
            EXPECT_EQ(header.slotTable.back(), 1000 + c.count - 1);
        }
    }
    CArchivHeader header;
    EXPECT_EQ(archive::DecodeHeader(QByteArray(100, '\0'), header), archive::HeaderDecode::Short);
}

TEST(ArchivHeader, EncodedCollectingSlotReadsEmpty)
{
    CArchivHeader header;
    header.name = QStringLiteral("C:\\mereni\\Hala č.1.qor");
    header.slotTable = {11, 22, 33};
    const QByteArray bytes = archive::EncodeHeader(header, {1});
    ASSERT_EQ(bytes.size(), 264 + 12);
    CArchivHeader back;
    ASSERT_EQ(archive::DecodeHeader(bytes, back), archive::HeaderDecode::Ok);
    EXPECT_EQ(back.name, header.name);
    EXPECT_EQ(back.slotTable, (std::vector<std::uint32_t>{11, 0, 33}));
}

TEST(ArchivHeader, GrowthFiveToEightAtTwo)
{
    const auto moves = archive::PlanRingGrowth(5, 2, 8);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].from, 4);
    EXPECT_EQ(moves[0].to, 7);
    EXPECT_EQ(moves[1].from, 3);
    EXPECT_EQ(moves[1].to, 6);
    // By one slot the targets are the sources of the moves before them.
    const auto byOne = archive::PlanRingGrowth(5, 2, 6);
    ASSERT_EQ(byOne.size(), 2u);
    EXPECT_EQ(byOne[0].from, 4);
    EXPECT_EQ(byOne[1].to, 4);
}

TEST(ArchivHeader, OldestAndNewestSlots)
{
    // Slot 0 holds the collecting block; the walk starts at the oldest other.
    EXPECT_EQ(archive::FindOldestSlot({500, 300, 0, 200, 400}, 600), 3);
    EXPECT_EQ(archive::FindOldestSlot({500, 0, 0}, 600), 0);
    EXPECT_EQ(archive::FindNewestSlot({100, 300, 300, 0}), 2);
    EXPECT_EQ(archive::FindNewestSlot({0, 0}), -1);
    EXPECT_EQ(archive::ReduceSlot(-1, 4), 3);
    EXPECT_EQ(archive::ReduceSlot(4, 4), 0);
}

TEST(ArchivBlock, RoundTripAndShortData)
{
    const CArchivRecordList records = {{100, kRecordFull, QByteArray("abc")},
                                       {160, kRecordError, QByteArray()},
                                       {220, kRecordChanged, QByteArray("\x01\x02", 2)}};
    const QByteArray bytes = archive::EncodeBlock(records);
    ASSERT_EQ(bytes.size(), 4 + 3 * 9 + 5);
    CArchivRecordList back;
    ASSERT_TRUE(archive::DecodeBlock(bytes, back));
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[2].time, 220u);
    EXPECT_EQ(back[2].data, QByteArray("\x01\x02", 2));

    // A length beyond the stream, or a stream that ends inside a head, keeps
    // the complete records before it.
    CArchivRecordList cut;
    EXPECT_FALSE(archive::DecodeBlock(bytes.left(bytes.size() - 1), cut));
    EXPECT_EQ(cut.size(), 2u);
    cut.clear();
    EXPECT_FALSE(archive::DecodeBlock(bytes.left(4 + 9 + 3 + 4), cut));
    EXPECT_EQ(cut.size(), 1u);

    CArchivRecordList empty;
    EXPECT_TRUE(archive::DecodeBlock(archive::EncodeBlock({}), empty));
    EXPECT_TRUE(empty.empty());
}

} // namespace
