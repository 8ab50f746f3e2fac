#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "charts/PanelEventList.h"
#include "controls/common/PanelControl.h"
#include <QLabel>
#include "controllers/graph/ControllerGraphWnd.h"
#include "controllers/graph/DisplaySettingsForm.h"
#include "controllers/graph/DisplayedQuantitiesDlg.h"
#include "controllers/graph/DuskarDisplayDlg.h"
#include "controllers/live/ControllerAktMer.h"
#include "controllers/live/ControllerDoc.h"
#include "controllers/live/ControllerPaneLayout.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/QorinHodnotyDlg.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTabBar>
#include <QFileInfo>
#include <utility>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace controllers;
using L = CControllerPaneLayout;

namespace {

TEST(ControllerPaneLayout, PaneRectanglesAndPixels)
{
    struct Case {
        int mask;
        L::Pane pane;
        int l, t, r, b;
    };
    const Case cases[] = {
        {1, L::kGraph, 0, 0, 1000, 1000},   {3, L::kValues, 0, 600, 1000, 1000}, {5, L::kEvents, 0, 600, 1000, 1000},
        {6, L::kEvents, 400, 0, 1000, 1000}, {7, L::kValues, 0, 600, 400, 1000}, {8, L::kPanel, 0, 0, 1000, 1000},
        {9, L::kPanel, 400, 0, 1000, 1000},  {11, L::kPanel, 400, 600, 1000, 1000}, {12, L::kEvents, 0, 0, 400, 1000},
        {13, L::kEvents, 0, 600, 400, 1000}, {14, L::kEvents, 400, 0, 1000, 600}, {14, L::kPanel, 400, 600, 1000, 1000},
        {15, L::kGraph, 0, 0, 400, 600},     {15, L::kValues, 400, 0, 1000, 600}, {15, L::kEvents, 0, 600, 400, 1000},
    };
    for (const Case& c : cases) {
        const L::Rect r = L::PaneRects(c.mask, 400, 600)[c.pane];
        ASSERT_TRUE(r.valid) << c.mask;
        EXPECT_EQ((std::array{r.l, r.t, r.r, r.b}), (std::array{c.l, c.t, c.r, c.b})) << "mask " << c.mask;
    }
    // Every mask shows exactly its panes.
    for (int mask = 0; mask < 16; ++mask) {
        const L::Rects rects = L::PaneRects(mask, 500, 500);
        for (int pane = 0; pane < L::kPaneCount; ++pane)
            EXPECT_EQ(rects[pane].valid, (mask >> pane & 1) != 0) << mask << " " << pane;
    }
    // left = W*l/1000+1, width = W*r/1000-1-left, in integer steps.
    EXPECT_EQ(L::ToPixels(L::PaneRects(3, 500, 544)[L::kGraph], 801, 603), QRect(1, 1, 799, 326));
    EXPECT_EQ(L::ToPixels(L::PaneRects(6, 558, 0)[L::kEvents], 333, 201), QRect(186, 1, 146, 199));
}

TEST(ControllerPaneLayout, NaturalSizesSetScrollSizeAndBars)
{
    struct Case {
        int mask;
        QSize scroll;
        int x, y;
    };
    const Case cases[] = {
        {0, QSize(0, 0), 0, 0},
        {1, QSize(272, 122), 0, 0},
        {8, QSize(152, 152), 0, 0},
        {3, QSize(272, 224), 0, 544},
        {6, QSize(344, 102), 558, 0},
        {9, QSize(424, 152), 272 * 1000 / 424, 0},
        {7, QSize(344, 224), 558, 544},
    };
    for (const Case& c : cases) {
        const L::Reset reset = L::ResetFor(c.mask);
        EXPECT_EQ(reset.scrollSize, c.scroll) << c.mask;
        EXPECT_EQ(reset.ratioX, c.x) << c.mask;
        EXPECT_EQ(reset.ratioY, c.y) << c.mask;
    }
}

// The extent a first-time window asks for gives every shown pane at least
// the size it wants, whatever the bars and the rounding of the placement.
TEST(ControllerPaneLayout, ExtentForGivesEveryShownPaneItsWantedSize)
{
    const L::Sizes wanted = {QSize(270, 120), QSize(331, 131), QSize(150, 100), QSize(223, 187)};
    for (int mask = 1; mask < 16; ++mask) {
        for (const auto& [x, y] : {std::pair{500, 500}, std::pair{200, 800}, std::pair{558, 544}, std::pair{777, 333}}) {
            const QSize extent = L::ExtentFor(mask, x, y, wanted);
            const L::Rects rects = L::PaneRects(mask, x, y);
            for (int pane = 0; pane < L::kPaneCount; ++pane) {
                if (!rects[std::size_t(pane)].valid)
                    continue;
                const QRect placed = L::ToPixels(rects[std::size_t(pane)], extent.width(), extent.height());
                EXPECT_GE(placed.width(), wanted[std::size_t(pane)].width()) << mask << " " << x << " " << pane;
                EXPECT_GE(placed.height(), wanted[std::size_t(pane)].height()) << mask << " " << y << " " << pane;
            }
        }
    }
}

TEST(ControllerPaneLayout, BarHitZonesAndDragLimits)
{
    // W = H = 1000, X 400, Y 600.
    struct Case {
        int mask, x, y;
        L::Divider expected;
    };
    const Case cases[] = {
        {3, 100, 598, L::kY},  {3, 100, 597, L::kNone}, {3, 400, 100, L::kNone}, {6, 402, 100, L::kX},
        {6, 403, 100, L::kNone}, {6, 398, 100, L::kX},  {7, 400, 100, L::kNone}, {7, 400, 700, L::kX},
        {14, 100, 600, L::kNone}, {14, 700, 600, L::kY}, {14, 400, 100, L::kX}, {15, 400, 100, L::kX},
        {15, 100, 600, L::kY}, {1, 400, 600, L::kNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(L::HitTest(c.mask, 400, 600, 1000, 1000, c.x, c.y), c.expected) << c.mask << " " << c.x << "," << c.y;
    EXPECT_EQ(L::DragRatio(5, 1000), 200);
    EXPECT_EQ(L::DragRatio(990, 1000), 800);
    EXPECT_EQ(L::DragRatio(450, 900), 500);
}

TEST(ControllerMenu, KeysMoveWithinLevels)
{
    using M = CControllerMenu;
    struct Case {
        bool duskar;
        int from;
        M::Key key;
        int to;
    };
    const Case cases[] = {
        {false, 1, M::kM, 1},      {false, 2, M::kM, 21},      {false, 3, M::kM, 31},   {false, 21, M::kUp, 22},
        {false, 22, M::kDown, 21}, {false, 22, M::kM, 2},      {false, 36, M::kDown, 31}, {false, 31, M::kUp, 36},
        {false, 34, M::kM, 3},     {false, 3, M::kDown, 1},    {false, 1, M::kUp, 3},   {true, 1, M::kM, 1},
        {true, 2, M::kM, 2},       {true, 3, M::kM, 3},        {true, 112, M::kDown, 101}, {true, 201, M::kUp, 213},
        {true, 105, M::kM, 1},     {true, 210, M::kM, 2},      {true, 323, M::kM, 3},   {true, 3, M::kDown, 1},
    };
    for (const Case& c : cases) {
        const int to = c.duskar ? M::DuskarStep(c.from, c.key) : M::QorinStep(c.from, c.key);
        EXPECT_EQ(to, c.to) << (c.duskar ? "Duskar " : "Qorin ") << c.from << " key " << c.key;
    }
}

TEST(ControllerPanelRules, TypeAndAlternativeDisplay)
{
    using R = CControllerPanelRules;
    for (int model : {0, 1, 2})
        EXPECT_EQ(R::QorinType(model), 2);
    EXPECT_EQ(R::QorinType(3), 1);
    EXPECT_EQ(R::QorinType(5), 1);
    EXPECT_EQ(R::QorinType(4), 0);
    EXPECT_EQ(R::QorinType(16), 0);
    EXPECT_EQ(R::DuskarType(42), 1);
    EXPECT_EQ(R::DuskarType(44), 1);
    EXPECT_EQ(R::DuskarType(43), 0);
    const int expected[6][2] = {{18, 3}, {18, 5}, {18, 7}, {1, 1}, {1, 3}, {1, 7}};
    for (int screen = 31; screen <= 36; ++screen) {
        const R::Alternative alt = R::QorinAlternative(screen);
        EXPECT_TRUE(alt.on);
        EXPECT_EQ((std::array{alt.c1, alt.c2, alt.c3, alt.c4}),
                  (std::array{11, 17, expected[screen - 31][0], expected[screen - 31][1]}))
            << screen;
    }
    for (int screen : {1, 2, 3, 21, 22, 30, 37})
        EXPECT_FALSE(R::QorinAlternative(screen).on) << screen;
}

class ControllerLiveView : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        AddQorinLiveTemplate(manager);
        AddDuskarLiveTemplate(manager);
        entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, GetParam());
        entry->m_nazev = QStringLiteral("Kompenzace");
        entry->m_merit = 0;
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    CControllerAktMer* Open()
    {
        auto* view = dynamic_cast<CControllerAktMer*>(OpenControllerLive(manager, *entry));
        if (view)
            view->resize(900, 700);
        return view;
    }
    void Measure(int model)
    {
        if (auto* qorin = dynamic_cast<CQorinArchivData*>(entry->GetArchivData())) {
            CQorinAktData values;
            values.model = WORD(model);
            qorin->AddMeasurementRecord(values);
        } else if (auto* duskar = dynamic_cast<CDuskarArchivData*>(entry->GetArchivData())) {
            CDuskarAktData values;
            values.model = WORD(model);
            duskar->AddMeasurementRecord(values);
        }
    }
    static void Close(CControllerAktMer* view)
    {
        view->Document()->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir dir;
    ui::CDocManager manager;
    std::unique_ptr<CPristroj> entry;
};

TEST_P(ControllerLiveView, NewDataSetsThePanelAndTheLayoutIsKept)
{
    const bool duskar = GetParam() == CPristroj::kDuskar;
    CControllerAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->IsDuskar(), duskar);
    EXPECT_EQ(view->Document()->GetTitle(), QStringLiteral("Kompenzace"));
    EXPECT_EQ(view->PaneMask(), 7); // the general defaults
    Measure(duskar ? 44 : 1);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_TRUE(view->Initialised());
    EXPECT_EQ(view->PanelType(), duskar ? 1 : 2);
    // The control shows the store's display of the menu position.
    CControllerPanelImage image = duskar ? dynamic_cast<CDuskarArchivData*>(entry->GetArchivData())->FormatStatusTexts(1)
                                         : dynamic_cast<CQorinArchivData*>(entry->GetArchivData())->FormatStatusTexts(1);
    if (view->PanelControl()) {
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(view->PanelControl()->Invoke(k == 3 ? 5 : k + 1).toInt(), int(image.cells[k])) << k;
    } else {
        EXPECT_FALSE(view->PanelError()->text().isEmpty());
    }

    view->TogglePane(L::kEventsBit);
    view->TogglePane(L::kPanelBit);
    EXPECT_EQ(view->PaneMask(), 11);
    EXPECT_TRUE(view->Events()->isHidden());
    Close(view);

    platform::Settings settings;
    const platform::SettingsSection section({QStringLiteral("pristroje"), QStringLiteral("Kompenzace")});
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("isAlarm"), -5), 0);
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("isNahled"), -5), 1);
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("prickaX"), -5), L::ResetFor(11).ratioX);

    CControllerAktMer* again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->PaneMask(), 11);
    Close(again);
}

// WM_QUANTITIES_CLOSED opens the displayed quantities; after OK the legend
// under the values follows at once and the instrument keeps the choice.
TEST_P(ControllerLiveView, QuantitiesMessageOpensTheDialogAndTheLegendFollows)
{
    const bool duskar = GetParam() == CPristroj::kDuskar;
    CControllerAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    Measure(duskar ? 19 : 1);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    auto legendCos = [&] {
        return duskar ? static_cast<CDuskarValuesPanel*>(view->ValuesPane())->m_legendShown[0]
                      : static_cast<CQorinHodnotyDlg*>(view->ValuesPane())->m_legendShown[0];
    };
    EXPECT_TRUE(legendCos());
    bool shown = false;
    // Owned here: a menu or dialog that never shows leaves no timer behind.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        CDisplaySettingsForm* form = nullptr;
        if (auto* qorin = qobject_cast<CDisplayedQuantitiesDlg*>(modal))
            form = qorin->Form();
        else if (auto* other = qobject_cast<CDuskarDisplayDlg*>(modal))
            form = other->Form();
        ASSERT_NE(form, nullptr);
        shown = true;
        form->Box(0)->click(); // cos off
        modal->findChild<QPushButton*>(QStringLiteral("1"))->click();
    });
    timer.start(0);
    platform::SendMessageTo(view, platform::WM_QUANTITIES_CLOSED, 0, 0);
    ASSERT_TRUE(shown);
    EXPECT_FALSE(legendCos());
    platform::Settings settings;
    const platform::SettingsSection section({QStringLiteral("pristroje"), QStringLiteral("Kompenzace")});
    EXPECT_EQ(settings.GetProfileInt(section, duskar ? QStringLiteral("isCos") : QStringLiteral("isKos"), -5), 0);
    Close(view);
}

TEST_P(ControllerLiveView, ClosedBeforeTheFirstDataStoresNoLayout)
{
    // The window takes the default panels of its own family's general page;
    // the other family's section does not reach it.
    const bool duskar = GetParam() == CPristroj::kDuskar;
    const char* own = duskar ? "Obecne nastaveni Duskar" : "Obecne nastaveni";
    const char* other = duskar ? "Obecne nastaveni" : "Obecne nastaveni Duskar";
    platform::Settings().WriteProfileInt(own, QStringLiteral("isGraf"), 0);
    platform::Settings().WriteProfileInt(own, QStringLiteral("isNahled"), 1);
    platform::Settings().WriteProfileInt(other, QStringLiteral("isGraf"), 1);
    platform::Settings().WriteProfileInt(other, QStringLiteral("isData"), 0);
    CControllerAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->PaneMask(), 14);
    Close(view);
    // The graph keeps its own settings whenever it closes; the window's
    // panes and placement wait for the first data.
    platform::Settings settings;
    const platform::SettingsSection section({QStringLiteral("pristroje"), QStringLiteral("Kompenzace")});
    for (const char* key : {"isAlarm", "isData", "isNahled", "isGraf", "prickaX", "prickaY", "x", "cx"})
        EXPECT_EQ(settings.GetProfileInt(section, QString::fromLatin1(key), -5), -5) << key;
}

// The Duskar values' tab the user chose comes back with the window; the
// Qorin window keeps no tab.
TEST_P(ControllerLiveView, ValuesTabIsKeptByTheDuskarWindowOnly)
{
    const bool duskar = GetParam() == CPristroj::kDuskar;
    CControllerAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    Measure(duskar ? 44 : 1);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    if (duskar) {
        auto* values = static_cast<CDuskarValuesPanel*>(view->ValuesPane());
        QTabBar* tabs = values->Tabs();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        ASSERT_EQ(values->GetSelectedTab(), 2);
    }
    Close(view);
    const platform::SettingsSection section({QStringLiteral("pristroje"), QStringLiteral("Kompenzace")});
    EXPECT_EQ(platform::Settings().GetProfileInt(section, QStringLiteral("iTab"), -5), duskar ? 2 : -5);

    CControllerAktMer* again = Open();
    ASSERT_NE(again, nullptr);
    if (duskar) {
        auto* values = static_cast<CDuskarValuesPanel*>(again->ValuesPane());
        EXPECT_EQ(values->GetSelectedTab(), 2);
        EXPECT_EQ(values->Tabs()->currentIndex(), 2);
    }
    Close(again);
}

TEST_P(ControllerLiveView, DraggedBarStopsAtTheLimit)
{
    CControllerAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    view->show();
    const int y = view->height() * view->RatioY() / 1000;
    auto mouse = [view](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), QPointF(view->mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    };
    mouse(QEvent::MouseButtonPress, QPoint(300, y), Qt::LeftButton);
    mouse(QEvent::MouseMove, QPoint(300, 2), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, QPoint(300, 2), Qt::NoButton);
    EXPECT_EQ(view->RatioY(), 200);
    EXPECT_EQ(view->GraphPane()->geometry().height(), view->height() * 200 / 1000 - 1 - 1);
    Close(view);
}

INSTANTIATE_TEST_SUITE_P(Families, ControllerLiveView, ::testing::Values(int(CPristroj::kQorin), int(CPristroj::kDuskar)));

TEST(ControllerDoc, PreviousFileMissingWithOneFile)
{
    QTemporaryDir dir;
    EXPECT_TRUE(CControllerDoc::PreviousFile(dir.filePath(QStringLiteral("q")), QStringLiteral(".qor"),
                                             dir.filePath(QStringLiteral("q1.qor")), 1000)
                    .isEmpty());
}

} // namespace

namespace {

TEST(ControllerDoc, CurrentFileOnlyWhileMeasuringAndRecording)
{
    QTemporaryDir dir;
    CPristroj entry(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kQorin);
    CQorin01Doc doc;
    EXPECT_FALSE(doc.OpenCurrentFileEnabled()); // no instrument
    doc.SetPristroj(&entry);
    struct Case {
        BOOL merit, record;
        bool enabled;
    };
    for (const Case c : {Case{1, 1, true}, Case{0, 1, false}, Case{1, 0, false}, Case{0, 0, false}}) {
        entry.m_merit = c.merit;
        entry.m_zaznamenavat = c.record;
        EXPECT_EQ(doc.OpenCurrentFileEnabled(), c.enabled) << c.merit << c.record;
    }
    EXPECT_EQ(CQorin01Doc::DocString().split(QLatin1Char('\n')).value(5), QStringLiteral("Qorin01.Document"));
    EXPECT_EQ(CDuskarDoc::DocString().split(QLatin1Char('\n')).value(5), QStringLiteral("Duskar.Document"));
}

} // namespace

namespace {

// An archive whose only block starts at `start`.
void WriteArchive(const QString& path, platform::CTime start)
{
    CQorinArchivData store;
    platform::CTime now = start;
    store.SetTimeSource([&now] { return now; });
    ASSERT_EQ(store.Create(600, 10, 60, path, CQorinArchivData::Extension(), TRUE, TRUE, QStringLiteral("Linka")), 1);
    store.AddMeasurementRecord(CQorinAktData());
    now = start + platform::CTimeSpan(30);
    const int mode = store.EndBlock(FALSE, TRUE, 60);
    ASSERT_EQ(store.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    ASSERT_TRUE(store.WaitWriterIdle(10000));
    store.Close();
}

TEST(ControllerDoc, PreviousFileIsChosenByItsFirstRecord)
{
    QTemporaryDir dir;
    const platform::CTime noon(2026, 3, 2, 12, 0, 0);
    // Names and times disagree on purpose.
    WriteArchive(dir.filePath(QStringLiteral("kA")), noon);
    WriteArchive(dir.filePath(QStringLiteral("kB")), noon - platform::CTimeSpan(0, 2, 0, 0));
    WriteArchive(dir.filePath(QStringLiteral("kC")), noon - platform::CTimeSpan(0, 1, 0, 0));
    WriteArchive(dir.filePath(QStringLiteral("kD")), noon + platform::CTimeSpan(0, 1, 0, 0));
    const QString current = dir.filePath(QStringLiteral("kA.qor"));
    ASSERT_TRUE(QFileInfo::exists(current));
    EXPECT_EQ(CControllerDoc::PreviousFile(dir.filePath(QStringLiteral("k")), QStringLiteral(".qor"), current,
                                           noon.GetTime()),
              dir.filePath(QStringLiteral("kC.qor")));
    // Nothing is earlier than the oldest file.
    EXPECT_TRUE(CControllerDoc::PreviousFile(dir.filePath(QStringLiteral("k")), QStringLiteral(".qor"),
                                             dir.filePath(QStringLiteral("kB.qor")),
                                             (noon - platform::CTimeSpan(0, 2, 0, 0)).GetTime())
                    .isEmpty());
}

} // namespace
