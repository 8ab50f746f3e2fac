#include "controls/vk/VKDialogCtrl.h"
#include "tests/controls/PanelProbe.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using controls::CVKDialogCtrl;
namespace vk = controls::vk;

namespace {

using W = std::array<std::uint8_t, 4>;
constexpr std::uint8_t B = vk::CodeBlank;
constexpr std::uint8_t M = vk::CodeMinus;
constexpr std::uint8_t C = vk::CodeC;

} // namespace

TEST(VKFormat, Rules)
{
    struct Case {
        const char* what;
        int screen;
        std::array<float, 3> v;
        W w1, w2, w3;
        int point;
        int prefix;
    };
    const Case cases[] = {
        {"voltages: i = 2, no point", 0, {230.1f, 229.8f, 231.0f}, {B, 2, 3, 0}, {B, 2, 3, 0}, {B, 2, 3, 1}, 0, 0},
        {"23010: kilo, one decimal", 0, {23010.f, 0.f, 0.f}, {B, 2, 3, 0}, {B, B, 0, 0}, {B, B, 0, 0}, 1, 1},
        {"1e8 is out of range", 0, {1e8f, 230.f, 230.f}, {B, M, M, M}, {B, 2, 3, 0}, {B, 2, 3, 0}, 0, 0},
        {"rounded, not truncated", 1, {23.46f, 5.04f, 0.f}, {B, 2, 3, 5}, {B, B, 5, 0}, {B, B, 0, 0}, 1, 0},
        {"below one: three decimals", 1, {0.5f, 0.0126f, 0.f}, {0, 5, 0, 0}, {0, 0, 1, 3}, {0, 0, 0, 0}, 3, 0},
        {"1e7 or more counts as 9999000", 0, {2e7f, 0.f, 0.f}, {9, 9, 9, 9}, {B, B, B, 0}, {B, B, B, 0}, 0, 1},
        {"power factors", 2, {-0.98f, 1.01f, 1.01f}, {B, 0, 9, 8}, {B, M, M, M}, {B, M, M, M}, 2, 0},
        {"cos: C for negative", 4, {-0.5f, 0.87f, -1.0f}, {C, 0, 5, 0}, {B, 0, 8, 7}, {C, 0, 0, 0}, 2, 0},
        {"active power with minus", 6, {-1500.f, 800.f, 12.f}, {M, 1, 5, 0}, {B, 0, 8, 0}, {B, 0, 0, 1}, 2, 1},
        {"reactive power: C for negative", 7, {-2.5e6f, 1e6f, 0.f}, {C, 2, 5, 0}, {B, 1, 0, 0}, {B, 0, 0, 0}, 2, 2},
        {"three-phase powers", 9, {-100.f, -50.f, 150.f}, {M, 1, 0, 0}, {C, B, 5, 0}, {B, 1, 5, 0}, 0, 0},
        {"screen 5", 5, {0.95f, 50.0f, -5.f}, {B, 0, 9, 5}, {B, 5, 0, 0}, {M, 0, 5, 0}, 5, 0},
        {"screen 5 out of range", 5, {1.1f, 30.f, -100.f}, {M, M, M, M}, {M, M, M, M}, {M, M, M, M}, 5, 0},
        {"distortion below 100", 10, {3.2f, 4.14f, 0.f}, {B, B, 3, 2}, {B, B, 4, 1}, {B, B, 0, 0}, 1, 0},
        {"distortion: window 1 out takes window 2", 11, {900.f, 100.f, 840.f}, {B, M, M, M}, {B, M, M, M}, {B, M, M, M}, 0, 0},
    };
    for (const Case& c : cases) {
        const vk::Display d = vk::format(c.screen, c.v, false);
        EXPECT_EQ(d.windows[0], c.w1) << c.what;
        EXPECT_EQ(d.windows[1], c.w2) << c.what;
        EXPECT_EQ(d.windows[2], c.w3) << c.what;
        EXPECT_EQ(d.point, c.point) << c.what;
        EXPECT_EQ(d.prefix, c.prefix) << c.what;
    }
    // Aron connection: no second line voltage, no second voltage distortion.
    EXPECT_EQ(vk::format(3, {400.f, 400.f, 400.f}, true).windows[1], (W{B, B, B, B}));
    EXPECT_EQ(vk::format(110, {1.f, 2.f, 3.f}, true).windows[1], (W{B, B, B, B}));
    EXPECT_EQ(vk::format(1, {1.f, 2.f, 3.f}, true).windows[1], (W{B, 2, 0, 0}));
}

TEST(VKDialog, ScreensKeysAndAron)
{
    CVKDialogCtrl c;
    QSignalSpy changes(&c, &CVKDialogCtrl::changeScenar);
    c.setAron(true);
    EXPECT_EQ(changes.size(), 0) << "no screen yet, nothing to replace";
    c.Invoke(CVKDialogCtrl::DispidScenar, {2});
    EXPECT_EQ(c.Scenar(), 3);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0].at(0).toInt(), 3);
    c.setAron(false);

    struct Step {
        int from;
        int key;
        bool aron;
        int to;
    };
    const Step steps[] = {
        {0, 1, false, 11}, {11, 2, false, 0},   {111, 2, false, 100}, {100, 1, false, 111},
        {5, 2, true, 9},   {1, 1, true, 11},    {9, 1, true, 5},      {105, 2, true, 109},
    };
    for (const Step& s : steps) {
        c.setAron(false);
        c.setScenar(s.from);
        c.setAron(s.aron);
        changes.clear();
        const QPoint at = c.mapRect(c.keyRect(s.key), c.keyBase()).center();
        QTest::mousePress(&c, Qt::LeftButton, {}, at);
        EXPECT_EQ(changes.size(), 0) << "analysers act on release";
        QTest::mouseRelease(&c, Qt::LeftButton, {}, at);
        EXPECT_EQ(c.Scenar(), s.to) << s.from << " key " << s.key;
        ASSERT_EQ(changes.size(), 1);
        EXPECT_EQ(changes[0].at(0).toInt(), s.to);
    }
}

TEST(VKDialog, SettingsAndListKeysAndClicksBeside)
{
    for (int screen : {4, 104}) {
        CVKDialogCtrl c;
        c.resize(333, 280);
        c.setScenar(screen);
        QSignalSpy events(&c, &controls::CPanelControl::controlEvent);
        QSignalSpy down(&c, &controls::CPanelControl::MouseDown);
        QTest::mouseClick(&c, Qt::LeftButton, {}, c.mapRect(c.keyRect(0), c.keyBase()).center());
        QTest::mouseClick(&c, Qt::LeftButton, {}, c.mapRect(c.keyRect(3), c.keyBase()).center());
        ASSERT_EQ(events.size(), 2);
        EXPECT_EQ(events[0].at(0).toInt(), CVKDialogCtrl::EventZmcSettings);
        EXPECT_EQ(events[1].at(0).toInt(), CVKDialogCtrl::EventZmcList);
        EXPECT_EQ(events[1].at(1).toList().at(0).toInt(), screen);
        events.clear();
        QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 5));
        ASSERT_EQ(events.size(), 2);
        EXPECT_EQ(events[0].at(0).toInt(), controls::DispidMouseDown);
        EXPECT_EQ(events[1].at(0).toInt(), controls::DispidMouseUp);
        EXPECT_EQ(down.size(), 1);
        EXPECT_EQ(c.Scenar(), screen);
    }
    // The graphic panel's keys are not where the seven-segment ones are.
    CVKDialogCtrl c;
    c.setScenar(100);
    QSignalSpy changes(&c, &CVKDialogCtrl::changeScenar);
    QTest::mouseClick(&c, Qt::LeftButton, {}, c.mapRect(CVKDialogCtrl::keyRectOf(false, 2), 512).center());
    EXPECT_EQ(changes.size(), 0);
}

TEST(VKDialog, SevenSegmentDrawing)
{
    CVKDialogCtrl c;
    c.resize(400, 400);
    c.setScenar(0);
    c.SetUdaje(23010.f, 5.f, 0.f, true, false);
    const auto shows = [&](int w, int pos, int code) {
        return probe::sameAsSprite(c, CVKDialogCtrl::digitSprite(code), CVKDialogCtrl::digitRect(w, pos));
    };
    EXPECT_TRUE(shows(0, 1, 2));
    EXPECT_TRUE(shows(0, 2, 3));
    EXPECT_TRUE(shows(0, 3, 0));
    EXPECT_TRUE(shows(1, 3, 0));
    EXPECT_TRUE(shows(1, 2, 0));
    EXPECT_TRUE(shows(2, 1, vk::CodeBlank));
    const controls::PanelRect pointLit = controls::PanelRect::sized(288, 132, 13, 13);
    EXPECT_TRUE(probe::sameAsSprite(c, pointLit, CVKDialogCtrl::pointRect(0, 1)));
    EXPECT_FALSE(probe::sameAsSprite(c, pointLit, CVKDialogCtrl::pointRect(0, 2)));
    EXPECT_TRUE(probe::isLit(c, CVKDialogCtrl::relayRect(0)));
    EXPECT_TRUE(probe::isOff(c, CVKDialogCtrl::relayRect(1)));

    // Only changes are drawn, and the point moves.
    c.SetUdaje(230.f, 229.f, 231.f, false, true);
    EXPECT_TRUE(shows(2, 3, 1));
    EXPECT_FALSE(probe::sameAsSprite(c, pointLit, CVKDialogCtrl::pointRect(0, 1)));
    EXPECT_TRUE(probe::isOff(c, CVKDialogCtrl::relayRect(0)));
    EXPECT_TRUE(probe::isLit(c, CVKDialogCtrl::relayRect(1)));

    // A full paint shows the same state.
    const QImage drawn = c.image().copy();
    c.Invoke(controls::DispidRefresh);
    EXPECT_LT(probe::changedShare(drawn, c.image()), 0.002);
}

TEST(VKDialog, GraphicDisplayLines)
{
    CVKDialogCtrl c;
    c.setScenar(100);
    EXPECT_EQ(c.panelSize(), QSize(601, 601));
    c.SetUdaje(23010.f, 5.f, 0.f, false, false);
    EXPECT_EQ(c.lineText(0), QStringLiteral("U1=23.0kV"));
    EXPECT_EQ(c.lineText(1), QStringLiteral("U2=0.0kV"));
    c.setScenar(105);
    c.SetUdaje(0.95f, 50.f, 21.f, false, false);
    EXPECT_EQ(c.lineText(0), QStringLiteral("3PF=0.95"));
    EXPECT_EQ(c.lineText(1), QStringLiteral("F=50.0Hz"));
    EXPECT_EQ(c.lineText(2), QString());
    // The text area is the display's green, with dark writing on it.
    const QImage& img = c.image();
    const QRect area = c.mapRect({111, 98, 494, 332}, 600);
    int dark = 0;
    for (int y = area.top(); y < area.bottom(); y += 2) {
        for (int x = area.left(); x < area.right(); x += 2)
            dark += qGreen(img.pixel(x, y)) < 0x90 ? 1 : 0;
    }
    EXPECT_EQ(img.pixel(area.left() + 3, area.top() + 3) & 0xFFFFFF, 0x63FFCEU);
    EXPECT_GT(dark, 50);
    // Back below 100 the seven-segment panel returns.
    c.setScenar(3);
    EXPECT_EQ(c.panelSize(), QSize(512, 512));
}

TEST(VKDialog, LabelSpritesLieClearOfTheOtherPieces)
{
    const controls::VKArt& art = controls::vkArt();
    std::vector<controls::PanelRect> taken;
    for (int code = 0; code <= 13; ++code)
        taken.push_back(CVKDialogCtrl::digitSprite(code));
    for (int k = 0; k < 4; ++k)
        taken.push_back(CVKDialogCtrl::keyRectOf(false, k));
    taken.push_back(CVKDialogCtrl::relayRect(0));
    taken.push_back(CVKDialogCtrl::relayRect(1));
    taken.push_back({288, 132, 314, 145});
    const auto overlaps = [](const controls::PanelRect& a, const controls::PanelRect& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    std::vector<controls::PanelRect> pieces(std::begin(art.labels), std::end(art.labels));
    for (const auto& kind : art.units)
        pieces.insert(pieces.end(), std::begin(kind), std::end(kind));
    for (int screen = 0; screen < 12; ++screen) {
        const int kind = CVKDialogCtrl::unitKind(screen);
        for (int prefix = 0; prefix < 3; ++prefix) {
            const int unit = kind < 0 ? 0 : art.units[kind][prefix].width();
            EXPECT_LE(art.labels[screen].width() + unit, 174) << "label and unit fit the strip on screen " << screen;
        }
    }
    for (const auto& piece : pieces) {
        EXPECT_LE(piece.right, 512);
        EXPECT_LE(piece.bottom, 512);
        EXPECT_LE(piece.width(), 174) << "fits the label strip";
        for (const auto& other : taken)
            EXPECT_FALSE(overlaps(piece, other)) << piece.left << "," << piece.top;
    }
}
