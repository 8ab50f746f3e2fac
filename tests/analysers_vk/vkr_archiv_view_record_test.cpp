// The VKR archive view's record: 68 bytes written in full, and read only as
// far as each part of a stored block reaches.
#include "analysers_vk/VKRArchivViewRecord.h"

#include <gtest/gtest.h>

namespace {

using analysers_vk::CVKRArchivViewRecord;

CVKRArchivViewRecord Sample()
{
    CVKRArchivViewRecord r;
    r.isAlarm = 0;
    r.isData = 1;
    r.isGraf = 1;
    r.prickaX = 430;
    r.prickaY = 610;
    r.x = 12;
    r.y = 34;
    r.cx = 800;
    r.cy = 600;
    r.showCommand = 3;
    r.tab1 = 2;
    r.statA = 230.0f;
    r.statB = 1.5f;
    r.statSecond = 15;
    r.statFirst = 60;
    return r;
}

TEST(VKRArchivViewRecordTest, WritesSixtyEightBytesInFieldOrder)
{
    const QByteArray bytes = Sample().Write();
    ASSERT_EQ(bytes.size(), CVKRArchivViewRecord::kSize);
    EXPECT_EQ(bytes.toHex(), QByteArray("00000000"
                                        "01000000"
                                        "01000000"
                                        "ae010000"
                                        "62020000"
                                        "0c000000"
                                        "22000000"
                                        "20030000"
                                        "58020000"
                                        "03000000"
                                        "02000000"
                                        "04000000"
                                        "00006643"
                                        "04000000"
                                        "0000c03f"
                                        "0f000000"
                                        "3c000000"));
}

TEST(VKRArchivViewRecordTest, ReadsEachPartOnlyWhereTheBlockHoldsIt)
{
    const QByteArray full = Sample().Write();
    struct Case {
        int length;
        bool layout, placement, statistics;
    };
    const Case cases[] = {
        {0, false, false, false},  {19, false, false, false}, {20, true, false, false}, {21, true, false, false},
        {43, true, false, false},  {44, true, true, false},    {45, true, true, false},  {67, true, true, false},
        {68, true, true, true},    {80, true, true, true},
    };
    for (const Case& c : cases) {
        QByteArray block = full.left(c.length);
        if (c.length > full.size())
            block += QByteArray(c.length - full.size(), '\x7f');
        const CVKRArchivViewRecord r = CVKRArchivViewRecord::Read(block);
        const CVKRArchivViewRecord defaults;
        SCOPED_TRACE(c.length);
        EXPECT_EQ(r.hasLayout, c.layout);
        EXPECT_EQ(r.hasPlacement, c.placement);
        EXPECT_EQ(r.hasStatistics, c.statistics);
        EXPECT_EQ(r.prickaX, c.layout ? 430 : defaults.prickaX);
        EXPECT_EQ(r.cx, c.placement ? 800 : defaults.cx);
        EXPECT_EQ(r.tab1, c.placement ? 2 : defaults.tab1);
        EXPECT_EQ(r.statA, c.statistics ? 230.0f : defaults.statA);
        EXPECT_EQ(r.statFirst, c.statistics ? 60 : defaults.statFirst);
    }
}

TEST(VKRArchivViewRecordTest, FloatBlockOfAnotherLengthIsNotTaken)
{
    QByteArray block = Sample().Write();
    block[52] = 8; // the second float's block claims eight bytes
    const CVKRArchivViewRecord r = CVKRArchivViewRecord::Read(block);
    EXPECT_TRUE(r.hasPlacement);
    EXPECT_FALSE(r.hasStatistics);
    EXPECT_EQ(r.statA, 0.0f);
    EXPECT_EQ(r.statSecond, 0);
}

} // namespace
