#include "FakeFrames.h"

#include "platform/ui/ChildFrame.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/LiveViewState.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

class ChildFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeDoc::nextOpens = true;
        manager.AddTemplate(ui::MakeDocTemplate<FakeDoc, ui::CChildFrame, FakeView>(162, QStringLiteral("\n\n\n\n\nDoc\nDoc")));
        manager.AddTemplate(
            ui::MakeDocTemplate<FakeDoc, ui::CDownloaderChildFrame, FakeView>(191, QStringLiteral("\n\n\n\n\nDownloader\nDownloader")));
        main.show();
    }
    void TearDown() override
    {
        for (auto* frame : main.MdiArea()->subWindowList())
            delete frame;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FakeDoc::nextClassName = QStringLiteral("CFakeDoc");
        FakeView::nextHint = QSize();
    }

    FakeDoc* Open(const char* className, int templateIndex = 0)
    {
        FakeDoc::nextClassName = QString::fromLatin1(className);
        return static_cast<FakeDoc*>(manager.Templates()[static_cast<size_t>(templateIndex)]->OpenDocumentFile(QString()));
    }

    FakeMainFrame main;
    ui::CDocManager manager{&main};
};

TEST_F(ChildFrameTest, ActivationSetsTheBarsOfTheDocumentClass)
{
    struct Case {
        const char* className;
        int mode;  // -1: bars left as they are
        bool withGraph;
        bool takesDataBar;
        bool refreshesOnFocus;
    };
    const Case cases[] = {
        {"CArchivDoc", 1, true, true, true},        {"CVKArchivDoc", 1, true, true, true},
        {"CVKRArchivDoc", 1, true, true, true},     {"CVKTArchivDoc", 1, true, true, true},
        {"CDuskarArchivDoc", 1, true, true, false}, {"CQorin01Doc", 0, true, false, false},
        {"CVK01Doc", 0, true, false, false},        {"CVKR01Doc", 0, true, false, false},
        {"CVKT01Doc", 0, true, false, false},       {"CDuskarDoc", 0, true, false, false},
        {"CDownloaderDoc", 2, false, false, false}, {"CBexorArchivDoc", 2, false, false, false},
        {"CVKTBexorArchivDoc", 2, false, false, false}, {"CProfileDoc", 2, true, false, false},
        {"CSomethingElse", -1, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        main.bars.clear();
        main.frameUi.clear();
        FakeDoc* doc = Open(c.className);
        ASSERT_NE(doc, nullptr);
        if (c.mode < 0) {
            EXPECT_TRUE(main.bars.empty());
        } else {
            ASSERT_EQ(main.bars.size(), 1u);
            EXPECT_EQ(main.bars[0].mode, c.mode);
            EXPECT_EQ(main.bars[0].withGraph, c.withGraph);
        }
        EXPECT_EQ(doc->dataBars.size(), c.takesDataBar ? 1u : 0u);
        if (c.takesDataBar) {
            EXPECT_EQ(doc->dataBars[0], &main.dataBar);
        }
        ASSERT_EQ(main.frameUi.size(), c.refreshesOnFocus ? 1u : 0u);
        if (c.refreshesOnFocus) {
            EXPECT_EQ(main.frameUi[0], (std::pair<std::uintptr_t, std::intptr_t>{0xFFFF, 0xFFFF}));
        }
    }
}

TEST_F(ChildFrameTest, ReactivatingAFrameSetsItsBarsAgain)
{
    FakeDoc* archive = Open("CVKArchivDoc");
    FakeDoc* live = Open("CVK01Doc");
    ASSERT_TRUE(archive && live);
    main.bars.clear();
    main.MdiArea()->setActiveSubWindow(archive->FirstView()->GetParentFrame());
    ASSERT_EQ(main.bars.size(), 1u);
    EXPECT_EQ(main.bars[0].mode, 1);
    EXPECT_EQ(archive->dataBars.size(), 2u);
}

TEST_F(ChildFrameTest, DownloaderFrameLetsItsViewDecideOnClose)
{
    FakeDoc* doc = Open("CDownloaderDoc", 1);
    ASSERT_NE(doc, nullptr);
    auto* view = static_cast<FakeView*>(doc->FirstView());
    QPointer<ui::CChildFrame> frame = view->GetParentFrame();
    EXPECT_EQ(frame->size(), ui::DluToPixels(QSize(230, 130), frame->font()));

    EXPECT_FALSE(frame->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(frame);
    EXPECT_EQ(view->refreshRequests, 1);

    // The view decides to close: the window goes with the document.
    doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frame);
}

// A child window has no normal geometry of its own: the frame keeps the
// place it had before it was maximised or minimised, and follows it after.
TEST_F(ChildFrameTest, NormalGeometryOutlivesMaximisedAndMinimised)
{
    main.resize(900, 700);
    FakeDoc* doc = Open("CVK01Doc");
    ASSERT_NE(doc, nullptr);
    ui::CChildFrame* frame = doc->FirstView()->GetParentFrame();
    const QRect placed(30, 20, 400, 300);
    frame->setGeometry(placed);
    EXPECT_EQ(frame->NormalGeometry(), placed);

    frame->showMaximized();
    ASSERT_NE(frame->geometry(), placed);
    EXPECT_EQ(frame->NormalGeometry(), placed);
    frame->showMinimized();
    ASSERT_LT(frame->height(), placed.height());
    EXPECT_EQ(frame->NormalGeometry(), placed);
    frame->showNormal();
    EXPECT_EQ(frame->NormalGeometry(), frame->geometry());

    frame->setGeometry(placed.translated(50, 40));
    EXPECT_EQ(frame->NormalGeometry(), placed.translated(50, 40));
}

// Windows opened one after another in the shown main window, with no
// place of their own: each stands a step down the cascade from the one
// before, as large as its view asks within the area, but neither covering
// the whole area (the next would open right over it) nor a bare title bar.
TEST_F(ChildFrameTest, NewWindowsCascadeWithinTheShownArea)
{
    main.resize(900, 700);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const struct {
        const char* what;
        QSize hint;
    } cases[] = {{"view larger than the area", {3000, 2000}}, {"small view", {320, 200}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeView::nextHint = c.hint;
        ui::CChildFrame* first = Open("CVK01Doc")->FirstView()->GetParentFrame();
        ui::CChildFrame* second = Open("CVK01Doc")->FirstView()->GetParentFrame();
        QCoreApplication::processEvents();
        const QRect area = main.MdiArea()->viewport()->rect();
        for (ui::CChildFrame* frame : {first, second}) {
            ASSERT_TRUE(frame->isVisible());
            EXPECT_TRUE(area.contains(frame->geometry())) << frame->x() << "," << frame->y();
            EXPECT_LT(frame->width(), area.width());
            EXPECT_LT(frame->height(), area.height());
            const QSize view = frame->widget()->size();
            EXPECT_GE(view.width(), std::min(c.hint.width(), area.width() / 2));
            EXPECT_GE(view.height(), std::min(c.hint.height(), area.height() / 2));
        }
        EXPECT_EQ(first->pos(), QPoint(0, 0));
        const QPoint step = second->pos() - first->pos();
        EXPECT_GT(step.x(), 0);
        EXPECT_EQ(step.x(), step.y());
        EXPECT_LE(step.y(), first->height() - first->widget()->height());
        delete second;
        delete first;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A live window comes back as the user left it, minimised included, at the
// place it had before; an instrument's section holding only what the
// instrument list keeps of it is not a window's state, and the family's
// default panes apply.
TEST_F(ChildFrameTest, LiveWindowStateComesBackAsLeft)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
    main.resize(1000, 800);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const platform::SettingsSection common(QStringLiteral("Obecne nastaveni"));
    int graph = 0, values = 0, alarms = 0, panel = 0, ratioX = 500, ratioY = 500;
    const ui::CLiveViewState::Panes panes{graph, values, alarms, panel, ratioX, ratioY};
    {
        platform::Settings settings;
        settings.WriteProfileInt(common, QStringLiteral("isGraf"), 0);
        settings.WriteProfileInt(common, QStringLiteral("isNahled"), 1);
        settings.WriteProfileInt(ui::CLiveViewState::EntrySection(QStringLiteral("Nova")), QStringLiteral("kat"), 1);
    }
    ui::CLiveViewState fresh;
    EXPECT_FALSE(fresh.RestorePanes(QStringLiteral("Nova"), common, panes));
    EXPECT_EQ((std::array{graph, values, alarms, panel}), (std::array{0, 1, 1, 1}));

    enum class Left { Normal, Maximised, Minimised };
    const struct {
        const char* what;
        Left left;
    } cases[] = {{"normal", Left::Normal}, {"maximised", Left::Maximised}, {"minimised", Left::Minimised}};
    const QRect placed(40, 30, 420, 320);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString name = QStringLiteral("Okno-") + QString::fromLatin1(c.what);
        ui::CChildFrame* frame = Open("CVK01Doc")->FirstView()->GetParentFrame();
        frame->setGeometry(placed);
        if (c.left == Left::Maximised)
            frame->showMaximized();
        else if (c.left == Left::Minimised)
            frame->showMinimized();
        ui::CLiveViewState leaving;
        leaving.RestorePanes(name, common, panes);
        leaving.RememberFrame(frame);
        ASSERT_TRUE(leaving.Save(true, panes));
        delete frame;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        FakeDoc* doc = Open("CVK01Doc");
        ui::CChildFrame* again = doc->FirstView()->GetParentFrame();
        ui::CLiveViewState coming;
        EXPECT_TRUE(coming.RestorePanes(name, common, panes));
        coming.RestoreFrame(again, doc);
        QCoreApplication::processEvents();
        EXPECT_EQ(again->isMinimized(), c.left == Left::Minimised);
        EXPECT_EQ(again->isMaximized(), c.left == Left::Maximised);
        EXPECT_EQ(again->NormalGeometry(), placed);
        again->showNormal();
        EXPECT_EQ(again->geometry(), placed);
        delete again;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    platform::Settings::SetFileForTesting(QString());
}

TEST(DialogUnits, FollowTheFontAndRoundTrip)
{
    QFont small;
    small.setPixelSize(10);
    QFont large;
    large.setPixelSize(20);
    EXPECT_GT(ui::DluToPixelsX(100, large), ui::DluToPixelsX(100, small));
    for (const QFont& font : {small, large}) {
        const ui::DialogBaseUnits base = ui::BaseUnitsOf(font);
        EXPECT_EQ(ui::DluToPixelsX(4, font), base.x);
        EXPECT_EQ(ui::DluToPixelsY(8, font), base.y);
        EXPECT_EQ(ui::PixelsToDluX(ui::DluToPixelsX(400, font), font), 400);
        EXPECT_EQ(ui::PixelsToDluY(ui::DluToPixelsY(400, font), font), 400);
        const QRect r = ui::DluToPixels(QRect(7, 7, 50, 14), font);
        EXPECT_EQ(r.right() + 1, ui::DluToPixelsX(57, font));
        EXPECT_EQ(r.bottom() + 1, ui::DluToPixelsY(21, font));
    }
}

} // namespace
