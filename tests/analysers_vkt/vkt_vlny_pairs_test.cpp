#include "analysers_vkt/VKTVlnyPairs.h"

#include <gtest/gtest.h>

using namespace analysers_vkt;

TEST(VKTWavePairs, RequestWordsOfEachPair)
{
    struct Case {
        const char* name;
        std::uint32_t request;
        int panes;
    };
    for (const Case& c : {Case{"U1-I1", 0x1111, 1}, Case{"U2-I2", 0x2212, 1}, Case{"U3-I3", 0x4414, 1},
                          Case{"U4-I4", 0x8818, 1}, Case{"U1-Un", 0x0F1F, 1}, Case{"I1-In", 0xF01F, 1},
                          Case{"Ui-Ii", 0xFF1F, 4}}) {
        const VKTWavePair* p = WavePairOf(QString::fromLatin1(c.name));
        ASSERT_NE(p, nullptr) << c.name;
        EXPECT_EQ(p->request, c.request) << c.name;
        int panes = 0;
        const auto masks = WavePaneMasks(p->mask, panes);
        EXPECT_EQ(panes, c.panes) << c.name;
        EXPECT_EQ(masks[0], c.panes == 4 ? 0x11 : p->mask) << c.name;
    }
    EXPECT_EQ(WavePairOf(QStringLiteral("U5-I5")), nullptr);
    EXPECT_EQ(kWaveRequestNone, 0u);
}

TEST(VKTWavePairs, ListFollowsTheConnection)
{
    EXPECT_EQ(WavePairNames(0), QStringList{QStringLiteral("U1-I1")});
    EXPECT_EQ(WavePairNames(4), (QStringList{"U1-I1", "U3-I3", "U1-Un", "I1-In", "Ui-Ii"}));
    EXPECT_EQ(WavePairNames(5), (QStringList{"U1-I1", "U2-I2", "U3-I3", "U4-I4", "U1-Un", "I1-In", "Ui-Ii"}));
}
