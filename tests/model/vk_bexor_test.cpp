#include "model/VKBexor.h"

#include "meter_stream_test_util.h"
#include "vk_test_util.h"

#include <gtest/gtest.h>

#include <optional>

using vktest::Hex;

namespace {

using metertest::MemoryStream;

const CTime kBlockTime(2024, 1, 15, 10, 0, 0, 0);

CBexorEntry Entry(int seed, CTime time)
{
    DWORD counters[CVKEData::kCounters];
    for (int i = 0; i < CVKEData::kCounters; ++i)
        counters[i] = DWORD(seed * 1000 + i);
    return CBexorEntry(time, counters);
}

CBexorBlock Template()
{
    CBexorBlock block;
    block.GetTarif().SetCode(0, 1);
    block.GetTarif().SetCode(23, 2);
    block.SetMultiplier(800.0f);
    return block;
}

QByteArray EntryBytes(const CBexorEntry& e)
{
    QByteArray out;
    for (int i = 0; i <= CVKEData::kCounters; ++i) {
        const DWORD v = i < CVKEData::kCounters ? e.GetCounter(i) : e.GetTime().GetTime();
        for (int b = 0; b < 4; ++b)
            out.append(char(v >> (8 * b)));
    }
    return out;
}

// One block of two entries.
MemoryStream TwoEntries(CBexorIndex& index)
{
    MemoryStream s;
    EXPECT_FALSE(index.Read(s)); // an empty stream has no index yet
    EXPECT_TRUE(index.AppendBlock(s, kBlockTime, Template(), Entry(1, kBlockTime)));
    const CBexorEntry second = Entry(2, kBlockTime + CTimeSpan(900));
    EXPECT_TRUE(index.AppendEntry(s, second.GetTime(), second.GetCounters()));
    return s;
}

// Reads the stream as a fresh program would: the index and every block.
std::optional<std::vector<DWORD>> ReadBack(MemoryStream s)
{
    CBexorIndex index;
    if (!index.Read(s))
        return std::nullopt;
    std::vector<DWORD> counts;
    for (int n = 0; n < index.GetBlockCount(); ++n) {
        CBexorBlock block;
        if (!index.ReadBlock(s, n, block) || DWORD(block.GetEntryCount()) != index.GetEntryCount(n))
            return std::nullopt;
        // Every entry must be one that was appended, not stray index bytes.
        for (int e = 0; e < block.GetEntryCount(); ++e) {
            const CBexorEntry& entry = block.GetEntry(e);
            if (entry.GetCounter(0) % 1000 != 0 || entry.GetCounter(11) != entry.GetCounter(0) + 11)
                return std::nullopt;
        }
        counts.push_back(index.GetEntryCount(n));
    }
    return counts;
}

} // namespace

TEST(VKBexor, OneBlockWithTwoEntries)
{
    CBexorIndex index;
    MemoryStream s = TwoEntries(index);
    ASSERT_EQ(s.bytes.size(), 134);

    const CBexorEntry first = Entry(1, kBlockTime), second = Entry(2, kBlockTime + CTimeSpan(900));
    const DWORD t = kBlockTime.GetTime();
    const QByteArray timeBytes(reinterpret_cast<const char*>(&t), 4);
    const QByteArray expected = Hex("06000000 010000000080 04000000 00004844") + EntryBytes(first) + EntryBytes(second)
                                + timeBytes + Hex("02000000 01000000");
    EXPECT_EQ(s.bytes.toHex(), expected.toHex());

    CBexorIndex fresh;
    ASSERT_TRUE(fresh.Read(s));
    EXPECT_EQ(fresh.GetBlockCount(), 1);
    EXPECT_EQ(fresh.GetEntryCount(0), 2u);
    EXPECT_EQ(fresh.GetLastTime(), kBlockTime);
    EXPECT_EQ(fresh.FormatBlockTime(0), QStringLiteral("15.01.24 10:00:00"));

    CBexorBlock block;
    ASSERT_TRUE(fresh.ReadBlock(s, 0, block));
    EXPECT_EQ(block.GetMultiplier(), 800.0f);
    EXPECT_EQ(block.GetTarif().GetCode(0), 1);
    EXPECT_EQ(block.GetTarif().GetCode(23), 2);
    ASSERT_EQ(block.GetEntryCount(), 2);
    EXPECT_EQ(block.GetEntry(1).GetTime(), second.GetTime());
    EXPECT_EQ(block.GetEntry(1).GetCounter(11), 2011u);
    EXPECT_FALSE(fresh.ReadBlock(s, 1, block));

    block.Clear();
    EXPECT_EQ(block.GetEntryCount(), 0);
    EXPECT_EQ(block.GetMultiplier(), 1.0f);
    EXPECT_EQ(block.GetTarif().GetCode(0), 0);
}

TEST(VKBexor, DamagedStreamsGiveAnEmptyIndex)
{
    CBexorIndex good;
    const MemoryStream base = TwoEntries(good);

    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"count 0", base.bytes.left(130) + Hex("00000000")},
        {"count above 70000", base.bytes.left(130) + Hex("71110100")},
        {"index longer than the stream", Hex("01000000 00000000 02000000")},
        {"blocks reach into the index", base.bytes.left(126) + Hex("03000000 01000000")},
        {"shorter than a count", Hex("010000")},
    };
    for (const auto& c : cases) {
        MemoryStream s;
        s.bytes = c.bytes;
        CBexorIndex index = good;
        EXPECT_FALSE(index.Read(s)) << c.what;
        EXPECT_EQ(index.GetBlockCount(), 0) << c.what;
        EXPECT_EQ(index.GetLastTime(), CTime(0));
        EXPECT_EQ(index.GetEntryCount(0), 0u);
    }

    // A tariff blob of the wrong length is a damaged block.
    MemoryStream s = base;
    s.bytes[0] = 7;
    CBexorBlock block;
    EXPECT_FALSE(good.ReadBlock(s, 0, block));

    // No block yet: nothing to append to, and the stream stays as it was.
    CBexorIndex empty;
    MemoryStream none;
    const CBexorEntry e = Entry(1, kBlockTime);
    EXPECT_FALSE(empty.AppendEntry(none, e.GetTime(), e.GetCounters()));
    EXPECT_TRUE(none.bytes.isEmpty());
}

TEST(VKBexor, FailedAppendLeavesStreamAndIndexInStep)
{
    CBexorIndex probe;
    MemoryStream base = TwoEntries(probe);
    const CBexorEntry third = Entry(3, kBlockTime + CTimeSpan(1800));

    enum { Entry_, Block };
    for (int kind : {Entry_, Block}) {
        // Bytes a successful append writes, all calls together.
        CBexorIndex sizing;
        MemoryStream count = base;
        ASSERT_TRUE(sizing.Read(count));
        count.budget = std::int64_t(1) << 40;
        ASSERT_TRUE(kind == Entry_ ? sizing.AppendEntry(count, third.GetTime(), third.GetCounters())
                                   : sizing.AppendBlock(count, third.GetTime(), Template(), third));
        const std::int64_t written = (std::int64_t(1) << 40) - *count.budget;

        for (std::int64_t budget = 0; budget <= written; ++budget) {
            MemoryStream s = base;
            CBexorIndex index;
            ASSERT_TRUE(index.Read(s));
            s.budget = budget;
            s.failSetSize = budget == written; // every write succeeds, the final cut fails
            const BOOL ok = kind == Entry_ ? index.AppendEntry(s, third.GetTime(), third.GetCounters())
                                           : index.AppendBlock(s, third.GetTime(), Template(), third);
            ASSERT_FALSE(ok) << kind << " budget " << budget;

            // The index in memory has not moved, and the stream still reads as before.
            EXPECT_EQ(index.GetBlockCount(), 1);
            EXPECT_EQ(index.GetEntryCount(0), 2u);
            const auto counts = ReadBack(s);
            ASSERT_TRUE(counts) << kind << " budget " << budget;
            EXPECT_EQ(*counts, std::vector<DWORD>{2}) << kind << " budget " << budget;

            // Once the stream works again the append goes through in full.
            s.budget.reset();
            s.failSetSize = false;
            ASSERT_TRUE(kind == Entry_ ? index.AppendEntry(s, third.GetTime(), third.GetCounters())
                                       : index.AppendBlock(s, third.GetTime(), Template(), third));
            EXPECT_EQ(s.bytes.size(), kind == Entry_ ? 134 + 52 : 134 + 70 + 8);
            EXPECT_EQ(ReadBack(s), (kind == Entry_ ? std::vector<DWORD>{3} : std::vector<DWORD>{2, 1}));
        }
    }
}

TEST(VKBexor, EveryStepOfAnAppendLeavesAReadableArchive)
{
    CBexorIndex index;
    MemoryStream s = TwoEntries(index);
    s.states.clear();
    for (int i = 0; i < 8; ++i) {
        const CBexorEntry e = Entry(3 + i, kBlockTime + CTimeSpan(900 * (2 + i)));
        ASSERT_TRUE(i == 4 ? index.AppendBlock(s, e.GetTime(), Template(), e)
                           : index.AppendEntry(s, e.GetTime(), e.GetCounters()));
    }
    ASSERT_FALSE(s.states.empty());
    for (std::size_t i = 0; i < s.states.size(); ++i) {
        MemoryStream state;
        state.bytes = s.states[i];
        EXPECT_TRUE(ReadBack(state)) << "state " << i;
    }
    EXPECT_EQ(ReadBack(s), (std::vector<DWORD>{6, 4}));
}

TEST(VKBexor, BlockLimitKeepsTheArchiveReadable)
{
    // 70000 empty blocks: one more would make the count unreadable.
    const QByteArray emptyBlock = Hex("06000000 000000000000 04000000 0000803f");
    MemoryStream s;
    s.bytes = emptyBlock.repeated(70000) + Hex("00000000 00000000").repeated(70000) + Hex("70110100");
    CBexorIndex index;
    ASSERT_TRUE(index.Read(s));
    ASSERT_EQ(index.GetBlockCount(), 70000);
    const qsizetype size = s.bytes.size();
    const CBexorEntry e = Entry(1, kBlockTime);
    EXPECT_FALSE(index.AppendBlock(s, kBlockTime, Template(), e));
    EXPECT_EQ(s.bytes.size(), size);
    EXPECT_EQ(index.GetBlockCount(), 70000);
}
