// The graph blocks of controller archives: bytes as stored, and blocks cut
// short by older program versions or damage.
#include "controllers/graph/GraphBlock.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>

using namespace controllers;

namespace {

QByteArray Words(std::initializer_list<std::uint32_t> words)
{
    QByteArray out;
    for (std::uint32_t w : words) {
        char b[4];
        qToLittleEndian<quint32>(w, b);
        out.append(b, 4);
    }
    return out;
}

std::uint32_t Bits(float f)
{
    std::uint32_t b = 0;
    std::memcpy(&b, &f, 4);
    return b;
}

CControllerGraphBlock QorinSample()
{
    CControllerGraphBlock b;
    b.importExport = 1;
    b.showStages = 0;
    b.curves = {{0x000000, 1}, {0x992299, 1}, {255, 0}, {65280, 1}, {0xFF0000, 0}};
    b.type = 7;
    b.autoFlag = 0;
    b.categories = {0.5f, 1.7f, -8.f, 8.f, 0.f, 800.f};
    b.gridQuantity = 2;
    b.grid = 1;
    return b;
}

TEST(ControllerGraphBlock, QorinBytesWithThreeCategories)
{
    const QByteArray bytes = QorinSample().Write(false);
    const QByteArray expected =
        Words({1, 0, 0x000000, 1, 0x992299, 1, 255, 0, 65280, 1, 0xFF0000, 0, 7, 6, 0, 24, Bits(0.5f), Bits(1.7f),
               Bits(-8.f), Bits(8.f), Bits(0.f), Bits(800.f), 2, 1});
    EXPECT_EQ(bytes.size(), 96);
    EXPECT_EQ(bytes, expected);

    const CControllerGraphBlock back = CControllerGraphBlock::Read(bytes, 5, false);
    EXPECT_TRUE(back.complete);
    EXPECT_TRUE(back.hasGrid);
    EXPECT_EQ(back.curvesRead, 5);
    EXPECT_EQ(back.curves[1].colour, 0x992299u);
    EXPECT_EQ(back.categories, QorinSample().categories);
    EXPECT_EQ(back.gridQuantity, 2);
    EXPECT_EQ(back.grid, 1);
}

TEST(ControllerGraphBlock, DuskarPairsAreShownThenColour)
{
    CControllerGraphBlock b;
    b.curves.assign(14, {0x123456, 0});
    b.curves[0] = {0x0000FF, 1};
    b.categories.assign(14, 1.f);
    const QByteArray bytes = b.Write(true);
    EXPECT_EQ(bytes.size(), 4 * (2 + 28 + 3 + 1 + 14 + 2));
    EXPECT_EQ(bytes.mid(8, 16), Words({1, 0x0000FF, 0, 0x123456}));
    const CControllerGraphBlock back = CControllerGraphBlock::Read(bytes, 14, true);
    EXPECT_TRUE(back.complete && back.hasGrid);
    EXPECT_EQ(back.curves[0].shown, 1);
    EXPECT_EQ(back.curves[0].colour, 0x0000FFu);
}

// Reads never go past the stored length: what was read whole stays, the
// rest is reported missing.
TEST(ControllerGraphBlock, BlocksCutShort)
{
    const QByteArray full = QorinSample().Write(false);
    QByteArray wrongBlob = full;
    qToLittleEndian<quint32>(20, wrongBlob.data() + 60); // blob length not count x 4
    QByteArray hugeCount = full;
    qToLittleEndian<quint32>(0x40000000, hugeCount.data() + 52);
    struct Case {
        const char* what;
        QByteArray block;
        int curves;
        bool complete;
        bool grid;
    };
    const Case cases[] = {
        {"whole", full, 5, true, true},
        {"written before the grid words (88 bytes)", full.left(88), 5, true, false},
        {"grid flag cut off", full.left(92), 5, true, false},
        {"inside the category blob", full.left(87), 5, false, false},
        {"after three curves", full.left(8 + 3 * 8 + 4), 3, false, false},
        {"head only", full.left(8), 0, false, false},
        {"empty", QByteArray(), 0, false, false},
        {"blob length does not match the count", wrongBlob, 5, false, false},
        {"impossible category count", hugeCount, 5, false, false},
    };
    for (const Case& c : cases) {
        const CControllerGraphBlock b = CControllerGraphBlock::Read(c.block, 5, false);
        EXPECT_EQ(b.curvesRead, c.curves) << c.what;
        EXPECT_EQ(b.complete, c.complete) << c.what;
        EXPECT_EQ(b.hasGrid, c.grid) << c.what;
        if (!c.grid) {
            EXPECT_EQ(b.gridQuantity, 0) << c.what;
            EXPECT_EQ(b.grid, 0) << c.what;
        }
    }
    // A block without categories: count 0, then the automatic flag alone.
    CControllerGraphBlock none = QorinSample();
    none.categories.clear();
    const QByteArray bytes = none.Write(false);
    EXPECT_EQ(bytes.size(), 68);
    const CControllerGraphBlock back = CControllerGraphBlock::Read(bytes, 5, false);
    EXPECT_TRUE(back.complete && back.hasGrid);
    EXPECT_TRUE(back.categories.empty());
}

} // namespace
