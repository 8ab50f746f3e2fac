#include "controls/duskar/DuskarDialogCtrl.h"
#include "controls/qorin/QorinDialogCtrl.h"
#include "tests/controls/PanelProbe.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using controls::CControllerPanelCtrl;
using controls::CDuskarDialogCtrl;
using controls::CQorinDialogCtrl;
using controls::PanelRect;

namespace {

// Is the glyph of `code` shown at character position k?
bool showsGlyph(CControllerPanelCtrl& c, int k, int code)
{
    return probe::sameAsSprite(c, c.glyphRect(code), CControllerPanelCtrl::charRect(k));
}

bool ledLit(CControllerPanelCtrl& c, int led)
{
    return probe::sameAsSprite(c, c.litLedPiece(), c.ledRect(led));
}

bool ledOff(CControllerPanelCtrl& c, int led)
{
    return probe::shows(c, c.panel(), c.ledRect(led), c.ledRect(led));
}

} // namespace

TEST(ControllerPanel, StartsWithFourEightsAndNoLeds)
{
    for (auto model : {CControllerPanelCtrl::Model::Qorin, CControllerPanelCtrl::Model::Duskar}) {
        std::unique_ptr<CControllerPanelCtrl> c;
        if (model == CControllerPanelCtrl::Model::Qorin)
            c = std::make_unique<CQorinDialogCtrl>();
        else
            c = std::make_unique<CDuskarDialogCtrl>();
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(showsGlyph(*c, k, 8)) << k;
        for (int i = 0; i < c->ledCount(); ++i)
            EXPECT_TRUE(ledOff(*c, i)) << i;
        EXPECT_EQ(c->Svetlo(), 0);
    }
}

TEST(ControllerPanel, SvetloKeepsOnlyTheTablesBits)
{
    CQorinDialogCtrl q;
    CDuskarDialogCtrl d;
    q.Invoke(CControllerPanelCtrl::DispidSvetlo, {0xFFFFFFFFU});
    d.Invoke(CControllerPanelCtrl::DispidSvetlo, {-1});
    EXPECT_EQ(q.Invoke(CControllerPanelCtrl::DispidSvetlo).toInt(), 0x00FFFFFF);
    EXPECT_EQ(d.Invoke(CControllerPanelCtrl::DispidSvetlo).toInt(), 0x003FFFFF);
    q.Obnov();
    d.Obnov();
    for (int i = 0; i < q.ledCount(); ++i)
        EXPECT_TRUE(ledLit(q, i)) << "Qorin " << i;
    for (int i = 0; i < d.ledCount(); ++i)
        EXPECT_TRUE(ledLit(d, i)) << "Duskar " << i;
}

TEST(ControllerPanel, TextIsDrawnOnObnovAndCodesBeyondTheTableShowBlank)
{
    CQorinDialogCtrl q;
    q.image();
    const int codes[4] = {22, 200, 3, 17}; // P, out of the table, 3, minus
    for (int k = 0; k < 4; ++k)
        q.Invoke(k == 3 ? CControllerPanelCtrl::DispidPismeno4 : k + 1, {codes[k]});
    EXPECT_TRUE(showsGlyph(q, 0, 8)) << "nothing is drawn before Obnov";
    q.Obnov();
    EXPECT_TRUE(showsGlyph(q, 0, 22));
    EXPECT_TRUE(showsGlyph(q, 1, CControllerPanelCtrl::BlankGlyph));
    EXPECT_TRUE(showsGlyph(q, 2, 3));
    EXPECT_TRUE(showsGlyph(q, 3, 17));
    EXPECT_EQ(q.Invoke(CControllerPanelCtrl::DispidPismeno2).toInt(), 200);
    EXPECT_EQ(q.Invoke(CControllerPanelCtrl::DispidPismeno1, {256 + 5}).toBool(), true);
    EXPECT_EQ(q.pismeno(0), 5) << "stored as one byte";

    CDuskarDialogCtrl d;
    d.setPismeno(0, 28); // degree sign exists only on this panel
    d.setPismeno(1, 29);
    d.Obnov();
    EXPECT_TRUE(showsGlyph(d, 0, 28));
    EXPECT_TRUE(showsGlyph(d, 1, CControllerPanelCtrl::BlankGlyph));
}

TEST(ControllerPanel, DecimalPoints)
{
    const PanelRect lit{288, 132, 301, 145};
    auto pointAt = [](int x) { return PanelRect::sized(x, CControllerPanelCtrl::PointY, 13, 13); };
    {
        CQorinDialogCtrl q;
        q.Obnov();
        EXPECT_FALSE(probe::sameAsSprite(q, lit, pointAt(245))) << "no point before the host sets one";
        q.Invoke(CControllerPanelCtrl::DispidTecka, {true});
        q.Obnov();
        EXPECT_TRUE(probe::sameAsSprite(q, lit, pointAt(245)));
    }
    struct Case {
        int tecka;
        std::vector<int> lit;
    };
    const Case cases[] = {{-1, {}}, {0, {192}}, {1, {245}}, {2, {298}}, {3, {}}, {99, {192, 245, 298, 351}}};
    for (const Case& c : cases) {
        CDuskarDialogCtrl d;
        d.Invoke(CControllerPanelCtrl::DispidTecka, {c.tecka});
        d.Obnov();
        for (int x : {192, 245, 298, 351}) {
            const bool expected = std::find(c.lit.begin(), c.lit.end(), x) != c.lit.end();
            EXPECT_EQ(probe::sameAsSprite(d, lit, pointAt(x)), expected) << "Tecka " << c.tecka << " x " << x;
        }
    }
}

TEST(ControllerPanel, ModelTypeOneHidesTheOuterStages)
{
    for (auto m : {CControllerPanelCtrl::Model::Qorin, CControllerPanelCtrl::Model::Duskar}) {
        std::unique_ptr<CControllerPanelCtrl> c;
        if (m == CControllerPanelCtrl::Model::Qorin)
            c = std::make_unique<CQorinDialogCtrl>();
        else
            c = std::make_unique<CDuskarDialogCtrl>();
        c->setTyp(1);
        c->setSvetlo(-1);
        c->Obnov();
        for (int i = 0; i < 6; ++i)
            EXPECT_TRUE(ledLit(*c, i)) << i;
        for (int i = 6; i <= 13; ++i)
            EXPECT_FALSE(ledLit(*c, i)) << i;
        EXPECT_TRUE(ledLit(*c, 14));
    }
}

TEST(ControllerPanel, BlinkingLedsAreDarkOneTickInFive)
{
    CQorinDialogCtrl q;
    q.setSvetlo(1 << 20 | 1 << 0); // manual blinks by itself, stage 1 does not
    q.Obnov();
    int dark = 0;
    int stageDark = 0;
    for (int t = 0; t < 25; ++t) {
        q.tick(q.timerId());
        dark += ledLit(q, 20) ? 0 : 1;
        stageDark += ledLit(q, 0) ? 0 : 1;
    }
    EXPECT_EQ(dark, 5);
    EXPECT_EQ(stageDark, 0);

    CDuskarDialogCtrl d;
    d.setSvetlo(1 << 16 | 1 << 17);
    d.setBlikani(true, false, false); // edit blinks V, not IND.
    d.Obnov();
    int vDark = 0;
    int indDark = 0;
    int blankDisplay = 0;
    for (int t = 0; t < 25; ++t) {
        d.tick(d.timerId());
        vDark += ledLit(d, 16) ? 0 : 1;
        indDark += ledLit(d, 17) ? 0 : 1;
        blankDisplay += showsGlyph(d, 0, 8) ? 0 : 1;
    }
    EXPECT_EQ(vDark, 5);
    EXPECT_EQ(indDark, 0);
    EXPECT_EQ(blankDisplay, 5);
}

TEST(ControllerPanel, AlternationCycleIs33Ticks)
{
    CQorinDialogCtrl q;
    q.setPismeno(0, 1);
    q.setAlternativa(true, 10, 10, 10, 10);
    q.Obnov();
    // By the counter on entry: alternative from 3, blank from 9, main from 11, blank from 33.
    std::vector<char> seen;
    for (int t = 0; t < 36; ++t) {
        q.tick(q.timerId());
        seen.push_back(showsGlyph(q, 0, 10) ? 'A' : showsGlyph(q, 0, 1) ? 'M' : showsGlyph(q, 0, 18) ? '_' : '?');
    }
    const std::string s(seen.begin(), seen.end());
    // Obnov with the counter at 0 shows neither text.
    EXPECT_EQ(s.substr(0, 3), "___");
    EXPECT_EQ(s.substr(3, 6), "AAAAAA");
    EXPECT_EQ(s.substr(9, 2), "__");
    EXPECT_EQ(s.substr(11, 22), std::string(22, 'M'));
    EXPECT_EQ(s.substr(33, 3), "___");
}

TEST(ControllerPanel, KeysFireAtPressAtTheirScaledPlaces)
{
    for (const QSize size : {QSize(512, 512), QSize(300, 300), QSize(731, 419)}) {
        CQorinDialogCtrl q;
        q.resize(size);
        QSignalSpy events(&q, &CControllerPanelCtrl::controlEvent);
        QSignalSpy up(&q, &CControllerPanelCtrl::StiskUp);
        const int expected[4] = {1, 3, 4, 2};
        for (int k = 0; k < 4; ++k) {
            const QPoint at = q.mapRect(q.keyRect(k)).center();
            QTest::mousePress(&q, Qt::LeftButton, {}, at);
            ASSERT_EQ(events.size(), k + 1) << "fired at press";
            EXPECT_EQ(events.last().at(0).toInt(), expected[k]);
            EXPECT_TRUE(probe::sameAsSprite(q, q.keyRect(k), q.keyRect(k))) << "drawn pressed";
            QTest::mouseRelease(&q, Qt::LeftButton, {}, at);
            EXPECT_FALSE(probe::sameAsSprite(q, q.keyRect(k), q.keyRect(k))) << "drawn off again";
        }
        EXPECT_EQ(up.size(), 1);
    }
}

TEST(ControllerPanel, ClickBesideTheKeysFiresNothing)
{
    CDuskarDialogCtrl d;
    d.resize(300, 300);
    QSignalSpy events(&d, &CControllerPanelCtrl::controlEvent);
    const QRect key = d.mapRect(d.keyRect(0));
    const QImage before = d.image().copy();
    QTest::mouseClick(&d, Qt::LeftButton, {}, QPoint(key.left() - 2, key.center().y()));
    QTest::mouseClick(&d, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(events.size(), 0);
    EXPECT_EQ(d.image(), before);
    QTest::mouseClick(&d, Qt::RightButton, {}, QPoint(20, 20));
    ASSERT_EQ(events.size(), 2) << "right clicks still reach the host";
    EXPECT_EQ(events[0].at(0).toInt(), controls::DispidMouseDown);
    EXPECT_EQ(events[0].at(1).toList().at(0).toInt(), 2);
}

TEST(ControllerPanel, TimerStartsOnShowWithItsId)
{
    CQorinDialogCtrl q;
    CDuskarDialogCtrl d;
    EXPECT_FALSE(q.timerRunning(101));
    q.show();
    d.show();
    EXPECT_EQ(q.timerPeriod(101), 250);
    EXPECT_EQ(d.timerPeriod(111), 250);
}
