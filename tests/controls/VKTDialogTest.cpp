#include "controls/vkt/VKTDialogCtrl.h"
#include "tests/controls/PanelProbe.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using controls::CVKTDialogCtrl;
namespace vkt = controls::vkt;

namespace {

using Codes = std::array<int, 4>;
constexpr int B = vkt::GlyphBlank;
constexpr int M = vkt::GlyphMinus;

// Which cell of the window shows its point (-1 for none).
int pointCell(const vkt::Display& d, int w)
{
    for (int c = 0; c < 4; ++c) {
        if (d.cell(w, c).point)
            return c;
    }
    return -1;
}

void press(CVKTDialogCtrl& c, int key)
{
    QTest::mouseClick(&c, Qt::LeftButton, {}, c.mapRect(CVKTDialogCtrl::keyRect(key)).center());
}

} // namespace

TEST(VKTDisplay, GenericRule)
{
    struct Case {
        const char* what;
        int screen;
        std::array<float, 4> v;
        unsigned priznaky;
        Codes w1, w2, w3;
        int point;
        int upper;
    };
    const Case cases[] = {
        {"three integer digits leave one decimal", 0, {230.12f, 229.5f, 231.0f, 0.f}, 0,
         {2, 3, 0, 1}, {2, 2, 9, 5}, {2, 3, 1, 0}, 2, 1},
        {"1234.5 with three decimals", 2, {1234.5f, 500.f, 0.f, 0.f}, 0, {1, 2, 3, 5}, {0, 5, 0, 0}, {0, 0, 0, 0}, 0, 1000},
        {"dashes in window 1", 0, {230.f, 230.f, 230.f, 0.f}, 0x8, {M, M, M, M}, {2, 3, 0, 0}, {2, 3, 0, 0}, 2, 1},
        {"dashes in window 2 do not count", 0, {230.f, 5e6f, 1.f, 0.f}, 0x80, {2, 3, 0, 0}, {M, M, M, M}, {B, B, 1, 0}, 2, 1},
        {"blank and zero", 3, {5.f, 7.f, 9.f, 0.f}, 0x42, {B, B, 0, 0}, {B, B, B, B}, {B, B, 9, 0}, 2, 1},
        {"1e9 or more", 1, {2e9f, 0.f, 0.f, 0.f}, 0, {9, 9, 9, 9}, {B, B, 0, 0}, {B, B, 0, 0}, 2, 1000000},
        {"rounding up to a thousand moves the prefix", 6, {999999.f, 0.f, 0.f, 0.f}, 0, {B, 1, 0, 0}, {B, 0, 0, 0}, {B, 0, 0, 0}, 1, 1000000},
    };
    for (const Case& c : cases) {
        vkt::Display d;
        const vkt::Multipliers m = d.format(c.screen, c.v, c.priznaky);
        EXPECT_EQ(d.shownCodes(0), c.w1) << c.what;
        EXPECT_EQ(d.shownCodes(1), c.w2) << c.what;
        EXPECT_EQ(d.shownCodes(2), c.w3) << c.what;
        if (c.w1[0] != M) {
            EXPECT_EQ(pointCell(d, 0), c.point) << c.what;
        }
        EXPECT_EQ(m.upper, c.upper) << c.what;
    }
    vkt::Display d;
    d.format(1, {2e9f, 0.f, 0.f, 0.f}, 0);
    EXPECT_EQ(d.blinkList(0).size(), 4U) << "999,900,032 blinks";
    EXPECT_TRUE(d.blinkList(1).empty());
}

TEST(VKTDisplay, NegativeValuesBlinkTheirPoint)
{
    vkt::Display d;
    d.format(0, {-230.f, 229.f, 0.f, -1500.f}, 0);
    EXPECT_EQ(d.shownCodes(0), (Codes{2, 3, 0, 0}));
    ASSERT_EQ(d.blinkList(0).size(), 4U);
    EXPECT_EQ(d.cell(0, 2).pointState, vkt::BlinkLit);
    EXPECT_EQ(d.cell(0, 2).digitState, vkt::Steady);
    d.toggleBlinking();
    EXPECT_EQ(d.cell(0, 2).pointState, vkt::BlinkDark);
    EXPECT_EQ(d.shownCodes(0), (Codes{2, 3, 0, 0})) << "the digits stay";

    // Blinking and negative together: every cell listed once, so it really blinks.
    d.format(0, {-2e9f, 1.f, 1.f, 0.f}, 0);
    EXPECT_EQ(d.blinkList(0).size(), 4U);
    d.toggleBlinking();
    EXPECT_EQ(d.shownCodes(0), (Codes{B, B, B, B}));
    d.toggleBlinking();
    EXPECT_EQ(d.shownCodes(0), (Codes{9, 9, 9, 9}));

    // Without decimals there is no point to blink.
    d.format(60, {0.f, 0.f, 0.f, -7.f}, 0);
    EXPECT_EQ(pointCell(d, vkt::Display::LowerWindow), -1);
    // A new SetUdaje stops what blinked before.
    d.format(0, {1.f, 1.f, 1.f, 1.f}, 0);
    for (int w = 0; w < 4; ++w)
        EXPECT_TRUE(d.blinkList(w).empty());
}

TEST(VKTDisplay, HarmonicsCosAndScreen60)
{
    vkt::Display d;
    d.format(12, {3.5f, 1200.f, 0.04f, 2500.f}, 0x1000);
    EXPECT_EQ(d.shownCodes(0), (Codes{B, B, 3, 5}));
    EXPECT_EQ(d.shownCodes(1), (Codes{9, 9, 9, 9})) << "held at 999.9 and blinking";
    EXPECT_EQ(pointCell(d, 1), 2);
    EXPECT_EQ(d.blinkList(1).size(), 4U);
    const vkt::Multipliers m = d.format(40, {1.f, 2.f, 3.f, 2500.f}, 0);
    EXPECT_EQ(m.lower, 1000);
    EXPECT_EQ(d.shownCodes(3), (Codes{2, 5, 0, 0}));
    EXPECT_EQ(pointCell(d, 3), 0);

    // cos: angles in 0.0001 rad; c in the capacitive quadrants, point blinking beyond 90 degrees.
    d.format(7, {5236.f, -5236.f, 20944.f, 40000.f}, 0);
    EXPECT_EQ(d.shownCodes(0), (Codes{B, 0, 8, 7}));
    EXPECT_EQ(d.shownCodes(1), (Codes{vkt::GlyphC, 0, 8, 7}));
    EXPECT_EQ(d.shownCodes(2), (Codes{vkt::GlyphC, 0, 5, 0}));
    EXPECT_EQ(d.cell(2, 1).pointState, vkt::BlinkLit);
    EXPECT_EQ(d.shownCodes(3), (Codes{B, 0, 6, 5})) << "outside -pi to pi: no mark";

    struct Lower {
        float v;
        unsigned flags;
        Codes shown;
    };
    const Lower lowers[] = {
        {7.f, 0, {B, B, B, 7}}, {-7.f, 0, {B, B, M, 7}}, {10.f, 0, {B, B, 1, 0}},
        {0.f, 0, {B, B, B, B}}, {1234.f, 0, {B, 9, 9, 9}}, {25.f, 0x2000, {B, B, B, B}},
    };
    for (const Lower& l : lowers) {
        d.format(60, {0.f, 50.004f, 0.f, l.v}, l.flags);
        EXPECT_EQ(d.shownCodes(3), l.shown) << l.v;
        EXPECT_EQ(d.shownCodes(0), (Codes{B, B, B, B}));
        EXPECT_EQ(d.shownCodes(1), (Codes{5, 0, 0, 0}));
        EXPECT_EQ(pointCell(d, 1), 1);
    }
}

TEST(VKTDialog, StartsOnScreenZeroAndWalksTheGraph)
{
    CVKTDialogCtrl c;
    EXPECT_EQ(c.Scenar(), 0);
    for (int led = 0; led < vkt::ScreenLedCount; ++led) {
        const bool lit = led == vkt::LedVLL || led == vkt::LedInst;
        EXPECT_EQ(probe::isLit(c, CVKTDialogCtrl::screenLedRect(led)), lit) << led;
    }
    for (int w = 0; w < 4; ++w) {
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(probe::sameAsSprite(c, CVKTDialogCtrl::glyphRect(B), CVKTDialogCtrl::cellRect(w, k)));
    }

    QSignalSpy changes(&c, &CVKTDialogCtrl::ChangeScenar);
    std::vector<int> path;
    for (int i = 0; i < 13; ++i) {
        press(c, CVKTDialogCtrl::KeyDown);
        path.push_back(c.Scenar());
    }
    EXPECT_EQ(path, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 35, 60, 0}));
    ASSERT_EQ(changes.size(), 13);
    EXPECT_EQ(changes.last().at(0).toInt(), 0);
    press(c, CVKTDialogCtrl::KeyUp);
    EXPECT_EQ(c.Scenar(), 60);
    press(c, CVKTDialogCtrl::KeyUp);
    EXPECT_EQ(c.Scenar(), 35);
    EXPECT_TRUE(probe::isLit(c, CVKTDialogCtrl::screenLedRect(vkt::LedHarm)));
    EXPECT_TRUE(probe::isLit(c, CVKTDialogCtrl::screenLedRect(vkt::LedA)));
    EXPECT_FALSE(probe::isLit(c, CVKTDialogCtrl::screenLedRect(vkt::LedVLL)));
    press(c, CVKTDialogCtrl::KeyLeft);
    EXPECT_EQ(c.Scenar(), 59);
    press(c, CVKTDialogCtrl::KeyUp);
    EXPECT_EQ(c.Scenar(), 10);
}

TEST(VKTDialog, RingKeysShowTheOrderBeforeTheEvent)
{
    CVKTDialogCtrl c;
    c.resize(300, 300);
    for (int i = 0; i < 10; ++i)
        press(c, CVKTDialogCtrl::KeyDown);
    ASSERT_EQ(c.Scenar(), 10);
    press(c, CVKTDialogCtrl::KeyLeft);
    ASSERT_EQ(c.Scenar(), 34);
    c.tick(c.timerId());
    c.tick(c.timerId());
    QSignalSpy changes(&c, &CVKTDialogCtrl::ChangeScenar);
    press(c, CVKTDialogCtrl::KeyRight);
    EXPECT_EQ(c.Scenar(), 10);
    EXPECT_EQ(changes.size(), 0);
    EXPECT_EQ(c.display().shownCodes(1), (Codes{B, B, B, 1}));
    EXPECT_TRUE(probe::sameAsSprite(c, CVKTDialogCtrl::glyphRect(1), CVKTDialogCtrl::cellRect(1, 3)));
    c.tick(c.timerId() + 1); // another control's timer
    c.tick(c.timerId());
    EXPECT_EQ(changes.size(), 0);
    c.tick(c.timerId());
    ASSERT_EQ(changes.size(), 1) << "on the second tick";
    EXPECT_EQ(changes[0].at(0).toInt(), 10);

    // Outside the rings left and right stay and report at once.
    for (int i = 0; i < 3; ++i)
        press(c, CVKTDialogCtrl::KeyDown); // 35, 60, 0
    changes.clear();
    press(c, CVKTDialogCtrl::KeyRight);
    EXPECT_EQ(c.Scenar(), 0);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0].at(0).toInt(), 0);
}

TEST(VKTDialog, TimersClicksBesideAndControlLeds)
{
    CVKTDialogCtrl a;
    CVKTDialogCtrl b;
    EXPECT_EQ(b.timerId(), a.timerId() + 1);
    EXPECT_GE(a.timerId(), 101);
    EXPECT_EQ(a.timerPeriod(a.timerId()), 300);

    QSignalSpy events(&a, &controls::CPanelControl::controlEvent);
    QTest::mouseClick(&a, Qt::LeftButton, {}, a.mapRect(CVKTDialogCtrl::keyRect(CVKTDialogCtrl::KeyDown)).topLeft() -
                                                   QPoint(4, 0));
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[0].at(0).toInt(), controls::DispidMouseDown);
    EXPECT_EQ(a.Scenar(), 0);

    a.Invoke(CVKTDialogCtrl::DispidSetUdaje, {1234.5f, 10.f, 10.f, 5e6f, 0x10008});
    EXPECT_TRUE(a.controlLedOn(CVKTDialogCtrl::LedIo));
    EXPECT_TRUE(probe::isLit(a, CVKTDialogCtrl::controlLedRect(CVKTDialogCtrl::LedIo)));
    EXPECT_TRUE(probe::isOff(a, CVKTDialogCtrl::controlLedRect(CVKTDialogCtrl::LedUpperKilo))) << "window 1 is dashed";
    EXPECT_TRUE(probe::isLit(a, CVKTDialogCtrl::controlLedRect(CVKTDialogCtrl::LedLowerMega)));
    EXPECT_TRUE(probe::sameAsSprite(a, CVKTDialogCtrl::glyphRect(M), CVKTDialogCtrl::cellRect(0, 0)));

    // Setting Scenar reports the current screen and selects nothing.
    QSignalSpy changes(&a, &CVKTDialogCtrl::ChangeScenar);
    a.Invoke(CVKTDialogCtrl::DispidScenar, {33});
    EXPECT_EQ(a.Scenar(), 0);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0].at(0).toInt(), 0);
    EXPECT_EQ(a.Invoke(CVKTDialogCtrl::DispidTyp).toInt(), 0);
}

TEST(VKTDialog, BlinkingCellsAreLitAndDarkSixHundredMillisecondsEach)
{
    CVKTDialogCtrl c;
    c.SetUdaje(2e9f, 1.f, 1.f, 0.f, 0);
    std::string seen;
    for (int t = 0; t < 8; ++t) {
        c.tick(c.timerId());
        seen += probe::sameAsSprite(c, CVKTDialogCtrl::glyphRect(9), CVKTDialogCtrl::cellRect(0, 0)) ? 'L' : 'D';
    }
    EXPECT_EQ(seen, "LDDLLDDL");
}
