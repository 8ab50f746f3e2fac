#include "controllers/archive/ArchivViewRecord.h"

#include <gtest/gtest.h>

using controllers::CArchivViewRecord;

namespace {

CArchivViewRecord Sample()
{
    CArchivViewRecord r;
    r.isAlarm = 0;
    r.isData = 1;
    r.isGraf = 1;
    r.prickaX = 450;
    r.prickaY = 700;
    r.x = 10;
    r.y = 20;
    r.cx = 640;
    r.cy = 480;
    r.showCommand = 3;
    r.tab = 2;
    r.statU = 400.f;
    r.statP = 1.5f;
    r.statQ = -2.f;
    r.statSecond = 7;
    r.statFirst = 1;
    r.statEighth = 9;
    return r;
}

TEST(ArchivViewRecord, GoldenBytesOfBothFamilies)
{
    const QByteArray qorin = Sample().Write(false);
    ASSERT_EQ(qorin.size(), 76);
    EXPECT_EQ(qorin.left(40).toHex(), QByteArray("00000000"
                                                 "01000000"
                                                 "01000000"
                                                 "c2010000"
                                                 "bc020000"
                                                 "0a000000"
                                                 "14000000"
                                                 "80020000"
                                                 "e0010000"
                                                 "03000000"));
    // Statistics: blob(400.0f), blob(1.5f), blob(-2.0f), 7, 1, 9.
    EXPECT_EQ(qorin.mid(40).toHex(), QByteArray("040000000000c843"
                                                "040000000000c03f"
                                                "04000000000000c0"
                                                "07000000"
                                                "01000000"
                                                "09000000"));
    const QByteArray duskar = Sample().Write(true);
    ASSERT_EQ(duskar.size(), 80);
    EXPECT_EQ(duskar.mid(40, 4).toHex(), QByteArray("02000000")); // the values panel's tab
    EXPECT_EQ(duskar.mid(44), qorin.mid(40));
}

TEST(ArchivViewRecord, ReadsOnlyAsFarAsTheBlockReaches)
{
    const CArchivViewRecord defaults;
    for (bool duskar : {false, true}) {
        const QByteArray full = Sample().Write(duskar);
        const CArchivViewRecord whole = CArchivViewRecord::Read(full, duskar);
        EXPECT_TRUE(whole.hasPlacement && whole.hasStatistics);
        EXPECT_EQ(whole.Write(duskar), full);

        struct Case {
            int length;
            bool layout, placement, statistics;
        };
        const int end = CArchivViewRecord::PlacementEnd(duskar);
        const Case cases[] = {
            {0, false, false, false},         {19, false, false, false},      {20, true, false, false},
            {36, true, false, false},         {end - 1, true, false, false},  {end, true, true, false},
            {end + 8, true, true, false},     {75 + (duskar ? 4 : 0), true, true, false},
        };
        for (const Case& c : cases) {
            const CArchivViewRecord r = CArchivViewRecord::Read(full.left(c.length), duskar);
            const std::string what = (duskar ? "Duskar " : "Qorin ") + std::to_string(c.length);
            EXPECT_EQ(r.prickaX, c.layout ? 450 : defaults.prickaX) << what;
            EXPECT_EQ(r.isAlarm, c.layout ? 0 : 1) << what;
            EXPECT_EQ(r.hasPlacement, c.placement) << what;
            EXPECT_EQ(r.cx, c.placement ? 640 : 0) << what;
            EXPECT_EQ(r.hasStatistics, c.statistics) << what;
            EXPECT_EQ(r.statU, c.statistics ? 400.f : 0.f) << what;
        }
    }
    // A statistics blob of a foreign length is not taken.
    QByteArray odd = Sample().Write(false);
    odd[40] = 8;
    EXPECT_FALSE(CArchivViewRecord::Read(odd, false).hasStatistics);
}

} // namespace
