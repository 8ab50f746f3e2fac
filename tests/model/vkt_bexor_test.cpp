#include "model/VKTBexor.h"

#include "meter_stream_test_util.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using metertest::MemoryStream;

CVKTEData Entry(int n)
{
    CVKTEData e;
    for (int g = 0; g < CVKTEData::kGroups; ++g)
        for (int r = 0; r < CVKTEData::kRegisters; ++r)
            e.SetRegister(g, r, n * 1000 + g * 10 + r + 0.25);
    e.SetTime(CTime(1700000000u + DWORD(n) * 900));
    return e;
}

CVKTETarif Tarif()
{
    CVKTETarif t;
    for (int h = 6; h < 22; ++h)
        t.SetCode(h, 1);
    t.SetInterval(4);
    return t;
}

// One block of `entries` entries (key 1000), written through the index.
MemoryStream OneBlock(CVKTBexorIndex& index, int entries)
{
    MemoryStream s;
    const CVKTEData first = Entry(0);
    EXPECT_TRUE(index.AppendBlock(s, Tarif(), 200.0f, 1, CTime(1000), entries > 0 ? &first : nullptr));
    for (int n = 1; n < entries; ++n)
        EXPECT_TRUE(index.AppendEntry(s, Entry(n)));
    return s;
}

} // namespace

TEST(VKTBexor, BlocksLieBackToBackWithTheIndexBehind)
{
    CVKTBexorIndex index;
    MemoryStream s = OneBlock(index, 3);
    ASSERT_TRUE(index.AppendBlock(s, Tarif(), 1.0f, 0, CTime(2000), nullptr));
    EXPECT_EQ(index.BlockOffset(1), 3 * 228 + 24);
    EXPECT_EQ(index.BlockOffset(2), 3 * 228 + 24 + 24); // 732
    EXPECT_EQ(s.bytes.size(), 732 + 2 * 8 + 4);
    EXPECT_EQ(s.bytes.right(20), QByteArray::fromHex("e8030000 03000000 d0070000 00000000 02000000"));
    // Block header: tariff blob, multiplier blob, interval code.
    BYTE tarif[8];
    Tarif().ToRaw(tarif);
    EXPECT_EQ(s.bytes.left(24), QByteArray::fromHex("08000000") + QByteArray(reinterpret_cast<const char*>(tarif), 8)
                                   + QByteArray::fromHex("04000000 00004843 01000000"));

    CVKTBexorIndex reread;
    ASSERT_TRUE(reread.Read(s));
    ASSERT_EQ(reread.GetBlockCount(), 2);
    EXPECT_EQ(reread.GetKey(1), CTime(2000));
    EXPECT_EQ(reread.GetLastKey(), CTime(2000));
    CVKTBexorBlock block;
    ASSERT_TRUE(reread.ReadBlock(s, 0, block));
    ASSERT_EQ(block.GetEntryCount(), 3u);
    EXPECT_FLOAT_EQ(block.GetMultiplier(), 200.0f);
    EXPECT_EQ(block.GetIntervalCode(), 1u);
    EXPECT_EQ(block.GetTarif().GetCode(6), 1);
    EXPECT_EQ(block.GetTarif().GetInterval(), 4);
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(block.GetEntry(n).GetTime(), Entry(n).GetTime());
        EXPECT_DOUBLE_EQ(block.GetEntry(n).GetRegister(6, 3), Entry(n).GetRegister(6, 3));
    }
    EXPECT_EQ(block.GetLastTime(), Entry(2).GetTime());
    ASSERT_TRUE(reread.ReadBlock(s, 1, block));
    EXPECT_EQ(block.GetEntryCount(), 0u);
    EXPECT_EQ(block.GetLastTime(), CTime(0));
    EXPECT_FALSE(reread.ReadBlock(s, 2, block));
}

TEST(VKTBexor, EntriesAreRegistersGroupByGroupThenTheTime)
{
    CVKTBexorIndex index;
    MemoryStream s = OneBlock(index, 1);
    double v = 0.0;
    std::memcpy(&v, s.bytes.constData() + 24 + 8 * (2 * 4 + 1), 8); // group 2, register 1
    EXPECT_DOUBLE_EQ(v, 21.25);
    DWORD t = 0;
    std::memcpy(&t, s.bytes.constData() + 24 + 28 * 8, 4);
    EXPECT_EQ(t, Entry(0).GetTime().GetTime());
}

TEST(VKTBexor, NewBlockBeginsWhereTheLastOneEnds)
{
    CVKTBexorIndex index;
    MemoryStream s = OneBlock(index, 5);
    const QByteArray blocks = s.bytes.left(1164);
    const CVKTEData first = Entry(9);
    ASSERT_TRUE(index.AppendBlock(s, Tarif(), 1.0f, 2, CTime(3000), &first));
    EXPECT_EQ(index.BlockOffset(1), 5 * 228 + 24);
    EXPECT_EQ(s.bytes.left(1164), blocks);
    EXPECT_EQ(s.bytes.size(), 1164 + 24 + 228 + 2 * 8 + 4);
    CVKTBexorIndex reread;
    ASSERT_TRUE(reread.Read(s));
    EXPECT_EQ(reread.GetEntryCount(0), 5u);
    EXPECT_EQ(reread.GetEntryCount(1), 1u);
}

TEST(VKTBexor, FailedAppendLeavesTheOldArchiveReadable)
{
    CVKTBexorIndex index;
    const MemoryStream original = OneBlock(index, 5);
    const CVKTEData entry = Entry(7);
    for (std::int64_t budget : {0, 3, 24, 100, 260, 270, 275}) {
        for (bool newBlock : {true, false}) {
            CVKTBexorIndex writer = index;
            MemoryStream s = original;
            s.budget = budget;
            const BOOL ok = newBlock ? writer.AppendBlock(s, Tarif(), 1.0f, 0, CTime(5000), &entry)
                                     : writer.AppendEntry(s, entry);
            s.budget.reset();
            CVKTBexorIndex reread;
            ASSERT_TRUE(reread.Read(s)) << budget << " " << newBlock;
            if (!ok) {
                EXPECT_EQ(writer.GetBlockCount(), 1) << budget;
                EXPECT_EQ(writer.GetEntryCount(0), 5u) << budget;
                EXPECT_EQ(reread.GetBlockCount(), 1) << budget;
                EXPECT_EQ(reread.GetEntryCount(0), 5u) << budget;
            }
            CVKTBexorBlock block;
            ASSERT_TRUE(reread.ReadBlock(s, 0, block)) << budget;
            EXPECT_EQ(block.GetEntry(4).GetTime(), Entry(4).GetTime());
        }
    }
}

TEST(VKTBexor, EveryStateOfAnAppendIsReadable)
{
    CVKTBexorIndex index;
    MemoryStream original = OneBlock(index, 5);
    original.states.clear();
    const CVKTEData entry = Entry(7);
    for (bool newBlock : {true, false}) {
        CVKTBexorIndex writer = index;
        MemoryStream s = original;
        ASSERT_TRUE(newBlock ? writer.AppendBlock(s, Tarif(), 1.0f, 0, CTime(5000), &entry)
                             : writer.AppendEntry(s, entry));
        ASSERT_FALSE(s.states.empty());
        for (std::size_t n = 0; n < s.states.size(); ++n) {
            MemoryStream state;
            state.bytes = s.states[n];
            CVKTBexorIndex reread;
            ASSERT_TRUE(reread.Read(state)) << n;
            const bool done = n + 1 == s.states.size();
            EXPECT_EQ(reread.GetBlockCount(), done && newBlock ? 2 : 1) << n;
            EXPECT_EQ(reread.GetEntryCount(0), done && !newBlock ? 6u : 5u) << n;
            CVKTBexorBlock block;
            EXPECT_TRUE(reread.ReadBlock(state, 0, block)) << n;
        }
    }
}

TEST(VKTBexor, FailedFirstBlockLeavesAnEmptyStream)
{
    CVKTBexorIndex index;
    MemoryStream s;
    s.budget = 100;
    const CVKTEData first = Entry(0);
    EXPECT_FALSE(index.AppendBlock(s, Tarif(), 1.0f, 0, CTime(1000), &first));
    EXPECT_TRUE(s.bytes.isEmpty());
    EXPECT_EQ(index.GetBlockCount(), 0);
}

TEST(VKTBexor, DamagedOrMissingIndexIsRefused)
{
    CVKTBexorIndex index;
    MemoryStream empty;
    EXPECT_FALSE(index.Read(empty));
    EXPECT_FALSE(index.AppendEntry(empty, Entry(0))); // no block to add to

    MemoryStream zero;
    zero.bytes = QByteArray::fromHex("00000000");
    EXPECT_FALSE(index.Read(zero));

    // One block claiming more entries than the stream holds.
    MemoryStream tooMany;
    tooMany.bytes = QByteArray(24, '\0') + QByteArray::fromHex("e8030000 10000000 01000000");
    EXPECT_FALSE(index.Read(tooMany));
    EXPECT_EQ(index.GetBlockCount(), 0);
}
