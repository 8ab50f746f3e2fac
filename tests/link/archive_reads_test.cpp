// Reads of the analysers' archives against the simulator's record ring:
// blocks across the ring's end, streams that lose replies and read them
// again, and the shapes a request cannot carry.
#include "CommandTestSupport.h"

#include "link/ArchiveReads.h"
#include "link/CommandsVKT.h"

#include "model/UniTyp.h"
#include "model/VKTStatus.h"

using linktest::FrameA;
using linktest::FrameB;
using linktest::SimLine;
using sim::Family;
using sim::Faults;
using sim::Instrument;

namespace {

// The record numbers that the items of a block hold.
std::vector<std::uint32_t> Numbers(const CUniTyp& block)
{
    std::vector<std::uint32_t> out;
    for (DWORD i = 0; i < block.GetCount(); ++i) {
        const BYTE* item = block.GetItem(i);
        const auto number = std::uint32_t(CPrevodTyp::GetDword(item));
        out.push_back(number);
        // The whole record, not only its number.
        const sim::Bytes expected = Instrument::ArchiveRecord(number, block.GetItemSize());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), item)) << "record " << number;
    }
    return out;
}

std::vector<std::uint32_t> Range(std::uint32_t from, std::uint32_t to)
{
    std::vector<std::uint32_t> out;
    for (std::uint32_t n = from; n <= to; ++n)
        out.push_back(n);
    return out;
}

class ArchiveTest : public ::testing::Test, public SimLine {
protected:
    // An analyser alone on its line whose archive holds `count` records
    // written into a ring of `capacity`.
    void Start(Family family, std::size_t capacity, std::size_t recordSize, std::uint64_t count)
    {
        StartLine({Instrument(family, 1)}, 0, family == Family::VKT ? kPortKindVkt : kPortKindSerial);
        line.WithInstrument(1, [&](Instrument& i) { i.FillArchive(0, capacity, recordSize, count); });
        id = OpenLink(1);
    }

    DWORD id = 0;
};

TEST_F(ArchiveTest, BlocksAcrossTheEndOfTheRing)
{
    // 23 records in a ring of 10: records 13-22, the oldest in place 3.
    Start(Family::VK, 10, 8, 23);
    CUniTyp tail;
    ASSERT_TRUE(manager.Request(id, commands::ReadArchiveBlock, tail, 8, 7, 1, 3)) << Error(id).toStdString();
    CUniTyp head;
    ASSERT_TRUE(manager.Request(id, commands::ReadArchiveBlock, head, 8, 1, 3, 0)) << Error(id).toStdString();
    std::vector<std::uint32_t> all = Numbers(tail);
    const std::vector<std::uint32_t> rest = Numbers(head);
    all.insert(all.end(), rest.begin(), rest.end());
    EXPECT_EQ(all, Range(13, 22));
    // One request per block, each from its own first record.
    EXPECT_EQ(log.Writes(), (std::vector<linktest::Frame>{
                                FrameA(1, 0x16, {0, 0, 0, 3, 56}),
                                FrameA(1, 0x16, {0, 0, 0, 0, 8}),
                                FrameA(1, 0x16, {0, 0, 0, 1, 8}),
                                FrameA(1, 0x16, {0, 0, 0, 2, 8}),
                            }));
}

TEST_F(ArchiveTest, StreamReadsALostReplyAfterwards)
{
    Start(Family::VK, 100, 10, 60);
    // The second of five replies is lost.
    line.SetFaults(Faults{.silence = true}, 1, 1);
    CUniTyp records;
    ASSERT_TRUE(manager.Request(id, commands::ReadArchiveRecords, records, 10, 3, 5, 6)) << Error(id).toStdString();
    EXPECT_EQ(Numbers(records), Range(6, 20));
    EXPECT_EQ(log.Writes(), (std::vector<linktest::Frame>{
                                FrameA(1, 0x3B, {0, 0, 0, 6, 30, 4, 3}),
                                FrameA(1, 0x3B, {0, 0, 0, 9, 30, 0, 3}), // the gap
                            }));

    // Two lost in a row: one gap of two replies.
    line.SetFaults(Faults{.silence = true}, 2, 1);
    log.ClearWrites();
    ASSERT_TRUE(manager.Request(id, commands::ReadArchiveRecords, records, 10, 3, 5, 30)) << Error(id).toStdString();
    EXPECT_EQ(Numbers(records), Range(30, 44));
    EXPECT_EQ(log.Writes().back(), FrameA(1, 0x3B, {0, 0, 0, 33, 30, 1, 3}));
}

TEST_F(ArchiveTest, StreamGivesUpAfterThreeBadRepliesInARow)
{
    Start(Family::VK, 100, 10, 60);
    CUniTyp records;
    line.SetFaults(Faults{.badChecksum = true}, 3);
    EXPECT_FALSE(manager.Request(id, commands::ReadArchiveRecords, records, 10, 3, 3, 0));
    EXPECT_EQ(Error(id), linktest::kBadAckSum);

    // Replies from outside the range asked for count as bad ones.
    line.WithInstrument(1, [](Instrument& i) {
        i.SetCommand(0x3B, [](Instrument& s, const sim::Frame&) {
            std::vector<sim::Bytes> replies;
            for (int r = 0; r < 3; ++r) {
                sim::Bytes reply{0, 0, 0, 90, 0};
                const sim::Bytes data = s.archives[0].Read(90, 3);
                reply.insert(reply.end(), data.begin(), data.end());
                replies.push_back(reply);
            }
            return sim::Response::Stream(replies);
        });
    });
    EXPECT_FALSE(manager.Request(id, commands::ReadArchiveRecords, records, 10, 3, 3, 0));
    EXPECT_EQ(Error(id), linktest::kBadReply);

    // A good stream is not disturbed by the failures before it.
    CUniTyp block;
    EXPECT_TRUE(manager.Request(id, commands::ReadArchiveBlock, block, 10, 3, 1, 0)) << Error(id).toStdString();
}

TEST_F(ArchiveTest, VKTBlocksAcrossTheEndOfTheRingAndOtherAreas)
{
    // 80 records in a ring of 50 whose last place stays unused: records
    // 31-79, the oldest in place 31.
    Start(Family::VKT, 50, 12, 80);
    line.WithInstrument(1, [](Instrument& i) { i.FillArchive(2, 20, 6, 7); });
    CVKTStatus status;
    ASSERT_TRUE(manager.Request(id, commands::ReadVKTStatus, status));
    EXPECT_EQ(status.GetCapacity(), 50u);
    EXPECT_EQ(status.GetWritePosition(), -19);

    CUniTyp tail;
    ASSERT_TRUE(manager.Request(id, commands::ReadVKTArchiveBlock, tail, 0, 12, 18, 31)) << Error(id).toStdString();
    CUniTyp head;
    ASSERT_TRUE(manager.Request(id, commands::ReadVKTArchiveBlock, head, 0, 12, 31, 0)) << Error(id).toStdString();
    std::vector<std::uint32_t> all = Numbers(tail);
    const std::vector<std::uint32_t> rest = Numbers(head);
    all.insert(all.end(), rest.begin(), rest.end());
    EXPECT_EQ(all, Range(31, 79));

    log.ClearWrites();
    CUniTyp other;
    ASSERT_TRUE(manager.Request(id, commands::ReadVKTArchiveBlock, other, 2, 6, 4, 1)) << Error(id).toStdString();
    EXPECT_EQ(Numbers(other), Range(1, 4));
    EXPECT_EQ(log.Writes().front(), FrameB(1, 0x16, {2, 0, 0, 0, 1, 0, 4, 0}));
}

TEST_F(ArchiveTest, VKTStreamReadsItsGaps)
{
    Start(Family::VKT, 200, 12, 150);
    line.SetFaults(Faults{.silence = true}, 1, 1);
    CUniTyp records;
    ASSERT_TRUE(manager.Request(id, commands::ReadVKTArchiveRecords, records, 0, 12, 5, 4, 10)) << Error(id).toStdString();
    EXPECT_EQ(Numbers(records), Range(10, 29));
    EXPECT_EQ(log.Writes(), (std::vector<linktest::Frame>{
                                FrameB(1, 0x16, {0, 0, 0, 0, 10, 0, 5, 3}),
                                FrameB(1, 0x16, {0, 0, 0, 0, 15, 0, 5, 0}), // the gap
                            }));
}

TEST_F(ArchiveTest, VKTStreamThatFallsSilentLate)
{
    Start(Family::VKT, 200, 12, 150);
    // Silent after three of four replies: the rest is read as a gap.
    line.SetFaults(Faults{.silence = true}, 1, 3);
    CUniTyp records;
    ASSERT_TRUE(manager.Request(id, commands::ReadVKTArchiveRecords, records, 0, 12, 5, 4, 0)) << Error(id).toStdString();
    EXPECT_EQ(Numbers(records), Range(0, 19));
    EXPECT_EQ(log.Writes().back(), FrameB(1, 0x16, {0, 0, 0, 0, 15, 0, 5, 0}));

    // Silent after the first of four: a link without retries gives up.
    line.SetFaults(Faults{.silence = true}, 3, 1);
    EXPECT_FALSE(manager.Request(id, commands::ReadVKTArchiveRecords, records, 0, 12, 5, 4, 0));
    EXPECT_EQ(Error(id), linktest::kBadReply);
}

TEST_F(ArchiveTest, ShapesARequestCannotCarry)
{
    Start(Family::VK, 100, 10, 60);
    struct Case {
        const char* what;
        std::function<BOOL(CUniTyp&)> read;
    } cases[] = {
        {"format A reply above 255 bytes", [&](CUniTyp& t) { return manager.Request(id, commands::ReadArchiveBlock, t, 31, 8, 1, 0); }},
        {"no records per reply", [&](CUniTyp& t) { return manager.Request(id, commands::ReadArchiveRecords, t, 10, 0, 2, 0); }},
        {"stream of more than 256 replies", [&](CUniTyp& t) { return manager.Request(id, commands::ReadArchiveRecords, t, 10, 1, 257, 0); }},
        {"negative size", [&](CUniTyp& t) { return manager.Request(id, commands::ReadVKTArchiveBlock, t, 0, -4, 2, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        log.ClearWrites();
        CUniTyp target;
        EXPECT_FALSE(c.read(target));
        EXPECT_EQ(Error(id), linktest::kSendFailed);
        EXPECT_TRUE(log.Writes().empty());
    }
    // No replies: done at once.
    log.ClearWrites();
    CUniTyp empty;
    EXPECT_TRUE(manager.Request(id, commands::ReadArchiveBlock, empty, 10, 3, 0, 0));
    EXPECT_TRUE(manager.Request(id, commands::ReadArchiveRecords, empty, 10, 3, 0, 0));
    EXPECT_EQ(empty.GetCount(), 0u);
    EXPECT_TRUE(log.Writes().empty());
}

} // namespace
