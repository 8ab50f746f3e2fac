#include "controls/vkr/VKRDialogCtrl.h"
#include "tests/controls/PanelProbe.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using controls::CVKRDialogCtrl;
namespace vkr = controls::vkr;

namespace {

using Row = std::array<std::uint8_t, 3>;
constexpr std::uint8_t B = vkr::CodeBlank;
constexpr std::uint8_t M = vkr::CodeMinus;

} // namespace

TEST(VKRFormat, ThreeSignificantDigits)
{
    struct Case {
        const char* what;
        int screen;
        int model;
        std::array<float, 3> v;
        Row r1, r2, r3;
        int point;
        int multiplier;
    };
    const Case cases[] = {
        {"1234 V: 1.23 k", 2, 2, {1234.f, 230.f, 0.f}, {1, 2, 3}, {0, 2, 3}, {0, 0, 0}, 2, 1000},
        {"0.5 A: .500", 3, 2, {0.5f, 0.25f, 0.f}, {5, 0, 0}, {2, 5, 0}, {0, 0, 0}, 3, 1},
        {"230 V", 2, 2, {230.4f, 9.f, 0.f}, {2, 3, 0}, {B, B, 9}, {B, B, 0}, 0, 1},
        {"mega", 2, 2, {2.5e7f, 1e6f, 1e8f}, {B, 2, 5}, {B, B, 1}, {1, 0, 0}, 0, 1000000},
        {"negative is dashes", 3, 2, {-1.f, 12.f, 2e9f}, {M, M, M}, {1, 2, 0}, {M, M, M}, 1, 1},
        {"model 0 shows row 1", 2, 0, {230.f, 231.f, 232.f}, {2, 3, 0}, {B, B, B}, {B, B, B}, 0, 1},
        {"model 0 has no line voltages", 1, 0, {400.f, 400.f, 400.f}, {B, B, B}, {B, B, B}, {B, B, B}, 0, 1},
        {"model 1 shows line voltage in row 2", 1, 1, {400.f, 401.f, 402.f}, {B, B, B}, {4, 0, 1}, {B, B, B}, 0, 1},
        {"model 4 currents: row 2 dashes", 3, 4, {5.f, 5.f, 5.f}, {5, 0, 0}, {M, M, M}, {5, 0, 0}, 2, 1},
        {"power factors", 8, 2, {0.98f, 1.0f, 1.2f}, {0, 9, 8}, {1, 0, 0}, {M, M, M}, 2, 1},
        {"total power with the model mark", 5, 4, {0.f, 15000.f, 0.f}, {M, vkr::CodeA, M}, {1, 5, 0}, {B, B, B}, 1, 1000},
        {"frequency in tenths", 14, 2, {0.f, 50.04f, 0.f}, {B, B, B}, {5, 0, 0}, {B, B, B}, 1, 1},
        {"temperature too high", 15, 2, {0.f, 1000.f, 0.f}, {B, B, B}, {M, M, M}, {B, B, B}, 0, 1},
        {"distortion: one digit less", 12, 2, {1.234f, 5.678f, 0.05f}, {B, 1, 2}, {B, 5, 7}, {B, 0, 1}, 1, 1},
    };
    for (const Case& c : cases) {
        const vkr::Display d = vkr::format(c.screen, c.model, c.v);
        EXPECT_EQ(d.rows[0], c.r1) << c.what;
        EXPECT_EQ(d.rows[1], c.r2) << c.what;
        EXPECT_EQ(d.rows[2], c.r3) << c.what;
        EXPECT_EQ(d.point, c.point) << c.what;
        EXPECT_EQ(d.multiplier, c.multiplier) << c.what;
    }
    // cos from phase angles: c for the capacitive quadrants, the point blinks beyond 90 degrees.
    const vkr::Display cosines = vkr::format(10, 2, {-0.5f, 2.0f, 4.0f});
    EXPECT_EQ(cosines.rows[0], (Row{vkr::CodeC, 8, 8}));
    EXPECT_FALSE(cosines.pointBlink[0]);
    EXPECT_EQ(cosines.rows[1], (Row{vkr::CodeC, 4, 2}));
    EXPECT_TRUE(cosines.pointBlink[1]);
    EXPECT_EQ(cosines.rows[2], (Row{M, M, M}));
}

TEST(VKRDialog, KeysSkipScreensTheModelLacks)
{
    CVKRDialogCtrl c;
    c.setTyp(0); // model 0
    struct Step {
        int from;
        int key;
        int to;
    };
    const Step steps[] = {{4, 1, 6}, {14, 1, 15}, {15, 1, 2}, {2, 0, 15}, {6, 0, 4}, {12, 0, 10}};
    for (const Step& s : steps) {
        c.setScenar(s.from);
        ASSERT_EQ(c.Scenar(), s.from);
        QSignalSpy changes(&c, &CVKRDialogCtrl::changeScenar);
        QTest::mouseClick(&c, Qt::LeftButton, {}, c.mapRect(CVKRDialogCtrl::keyRect(s.key)).center());
        EXPECT_EQ(c.Scenar(), s.to) << s.from;
        ASSERT_EQ(changes.size(), 1);
        EXPECT_EQ(changes[0].at(0).toInt(), s.to);
    }
    c.setScenar(1);
    EXPECT_EQ(c.Scenar(), 2) << "a set screen is replaced forward";
    c.setTyp(4 | 1 << 29);
    EXPECT_EQ(c.Typ(), 4 | 1 << 29);
}

TEST(VKRDialog, ClickBesideTheKeysIsAStockEvent)
{
    CVKRDialogCtrl c;
    c.resize(256, 256);
    QSignalSpy events(&c, &controls::CPanelControl::controlEvent);
    QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(190, 150));
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[0].at(0).toInt(), controls::DispidMouseDown);
    EXPECT_EQ(events[1].at(0).toInt(), controls::DispidMouseUp);
}

TEST(VKRDialog, DrawsDigitsLedsAndBlinks)
{
    CVKRDialogCtrl c;
    c.resize(400, 400);
    c.setTyp(2);
    c.setScenar(4);
    c.SetUdaje(-1500.f, 800.f, 20.f);
    // 1.50 k with row 1's point blinking as the sign.
    EXPECT_TRUE(probe::sameAsSprite(c, CVKRDialogCtrl::digitSprite(1), CVKRDialogCtrl::digitRect(0, 0)));
    EXPECT_TRUE(probe::sameAsSprite(c, CVKRDialogCtrl::digitSprite(5), CVKRDialogCtrl::digitRect(0, 1)));
    EXPECT_TRUE(probe::isLit(c, CVKRDialogCtrl::ledRect(CVKRDialogCtrl::LedW)));
    EXPECT_TRUE(probe::isLit(c, CVKRDialogCtrl::ledRect(CVKRDialogCtrl::LedKilo)));
    EXPECT_TRUE(probe::isOff(c, CVKRDialogCtrl::ledRect(CVKRDialogCtrl::LedMega)));
    EXPECT_TRUE(c.display().pointBlink[0]);
    EXPECT_EQ(c.timerPeriod(CVKRDialogCtrl::TimerId), 250);
    const auto pointLit = [&] {
        return probe::sameAsSprite(c, CVKRDialogCtrl::pointLitSprite(), CVKRDialogCtrl::pointRect(0, 2));
    };
    int dark = 0;
    for (int t = 0; t < 30; ++t) {
        c.tick(CVKRDialogCtrl::TimerId);
        // Dark one tick in five once the cycle runs.
        if (t >= 5)
            dark += pointLit() ? 0 : 1;
    }
    EXPECT_EQ(dark, 5);
    c.SetUdaje(1500.f, 800.f, 20.f);
    EXPECT_FALSE(c.timerRunning(CVKRDialogCtrl::TimerId)) << "nothing blinks any more";

    // A blinking row goes dark as a whole.
    c.setTyp(2 | 1 << 29);
    EXPECT_TRUE(c.timerRunning(CVKRDialogCtrl::TimerId));
    bool rowWentDark = false;
    for (int t = 0; t < 6; ++t) {
        c.tick(CVKRDialogCtrl::TimerId);
        rowWentDark = rowWentDark ||
                      probe::shows(c, c.sprite(), CVKRDialogCtrl::emptyRowSprite(), controls::PanelRect{146, 185, 342, 268});
    }
    EXPECT_TRUE(rowWentDark);
}
