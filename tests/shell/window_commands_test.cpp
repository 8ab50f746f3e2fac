// Every command an archive window offers is within the user's reach in the
// running program: the menu bar and the tool bars follow the active window,
// each command found there is enabled as its owner says and, triggered,
// does what it should. A command the window offers without a row here
// fails the test.
#include "RunningProgramTest.h"

#include "archive_docs/ArchivDocBase.h"
#include "archive_docs/OpenArchiveDlg.h"
#include "charts/GraphView.h"
#include "charts/GraphWnd.h"
#include "link/Pristroj.h"
#include "platform/ThreadMessages.h"
#include "platform/Time32.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "shell/MainFrame.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <map>
#include <memory>
#include <set>

namespace {

using platform::CTime;

// Where a command can be found: the menus of the menu bar (with their
// submenus) and the tool bars.
QAction* FindInMenu(QMenu* menu, int id)
{
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindInMenu(sub, id))
                return found;
        } else if (action->data().isValid() && action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}

QAction* FindInMenuBar(CMainFrame* frame, int id)
{
    for (QAction* top : frame->menuBar()->actions())
        if (top->menu())
            if (QAction* found = FindInMenu(top->menu(), id))
                return found;
    return nullptr;
}

bool OnBar(QToolBar* bar, int id)
{
    for (QAction* action : bar->actions())
        if (action->data().isValid() && action->data().toInt() == id)
            return true;
    return false;
}

class WindowCommandsTest : public shelltest::RunningProgramTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Start(true);
    }

    CArchivDocBase* Archive() const { return qobject_cast<CArchivDocBase*>(archiveFrame->GetActiveDocument()); }
    CGraphWnd* Graph() const
    {
        auto* view = qobject_cast<charts::CGraphView*>(archiveFrame->GetActiveView());
        return view ? view->CommandGraph() : nullptr;
    }
    int Current() const { return Archive()->Navigator().GetCurrentRecord(); }
    int Span() const { return Graph()->Y1() - Graph()->Y0(); }
    int TimeSpan() const { return Graph()->X1() - Graph()->X0(); }

    // The title of the modal dialog the action opened; it is closed.
    static QString ModalOf(QAction* action)
    {
        QString shown;
        QTimer closer;
        closer.setSingleShot(true);
        QObject::connect(&closer, &QTimer::timeout, [&shown] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = modal->windowTitle();
                modal->reject();
            }
        });
        closer.start(0);
        action->trigger();
        return shown;
    }

    // A pane's item shows the pane's state: toggled, its check mark follows
    // in the menu opened again; toggled once more, all is as before.
    void ExpectPaneToggle(QAction* action, int id)
    {
        const bool shown = action->isChecked();
        QMenu* own = frame->WindowMenus().front();
        action->trigger();
        emit own->aboutToShow();
        QAction* again = FindInMenu(own, id);
        ASSERT_NE(again, nullptr);
        EXPECT_NE(again->isChecked(), shown);
        again->trigger();
        emit own->aboutToShow();
        again = FindInMenu(own, id);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->isChecked(), shown);
    }

    QPointer<ui::CChildFrame> archiveFrame;
};

TEST_F(WindowCommandsTest, TheArchiveWindowsCommandsAreInTheMenusAndBarsAndWork)
{
    // Without a window the frame offers none of a window's commands.
    EXPECT_TRUE(frame->WindowMenus().empty());
    EXPECT_TRUE(frame->GraphBar()->actions().isEmpty());
    EXPECT_EQ(frame->ActiveHelpContext(), 0x20080);

    ASSERT_TRUE(app->OpenArchiveFile(dir.filePath(QStringLiteral("hala.vk"))));
    QCoreApplication::processEvents();
    archiveFrame = frame->ActiveChildFrame();
    ASSERT_NE(archiveFrame, nullptr);
    ASSERT_NE(Archive(), nullptr);
    ASSERT_NE(Graph(), nullptr);
    const int last = Archive()->Navigator().GetLoadedRecordCount() - 1;
    ASSERT_GT(last, 12);
    // F1 asks for the archive window's topic.
    EXPECT_EQ(frame->ActiveHelpContext(), 0x20000 + Archive()->GetDocTemplate()->ResourceId());

    ui::ScriptedMessageBoxes boxes;
    auto lastBox = [&boxes] { return boxes.Requests().empty() ? QString() : boxes.Requests().back().text; };
    int first = 0;
    enum Where { kMenu = 0, kMeasurementBar = 1, kGraphBar = 2 };
    struct Row {
        int id;
        Where where;
        bool enabled;
        std::function<void(QAction*)> check;
    };
    std::vector<Row> rows = {
        {32136, kMeasurementBar, true,
         [&](QAction* a) { EXPECT_EQ(ModalOf(a), QStringLiteral("Nastavení přístroje")); }},
        {32236, kMeasurementBar, true,
         [&](QAction* a) {
             a->trigger();
             EXPECT_EQ(lastBox(), QStringLiteral("Požadovaný soubor nenalezen."));
         }},
        {32237, kMeasurementBar, true,
         [&](QAction* a) {
             boxes.Answer(ui::MsgAnswer::Ok);
             const auto before = boxes.Requests().size();
             a->trigger();
             EXPECT_EQ(boxes.Requests().size(), before + 1);
             EXPECT_EQ(lastBox(), QStringLiteral("Požadovaný soubor nenalezen."));
         }},
        // No instrument in the program: nothing to choose from.
        {32228, kMeasurementBar, false, nullptr},
        {32223, kMeasurementBar, true,
         [&](QAction* a) {
             a->trigger();
             EXPECT_EQ(lastBox(), QStringLiteral("Do programu není zadán žádný přístroj"));
         }},
        {32193, kMenu, true,
         [&](QAction* a) {
             a->trigger();
             first = Current();
             EXPECT_LT(first, last - 11);
         }},
        {32165, kMenu, true, [&](QAction* a) { a->trigger(); EXPECT_EQ(Current(), first + 1); }},
        {32167, kMenu, true, [&](QAction* a) { a->trigger(); EXPECT_EQ(Current(), first + 11); }},
        {32194, kMenu, true, [&](QAction* a) { a->trigger(); EXPECT_EQ(Current(), first + 1); }},
        {32169, kMenu, true, [&](QAction* a) { a->trigger(); EXPECT_EQ(Current(), last); }},
        {32195, kMenu, true, [&](QAction* a) { a->trigger(); EXPECT_EQ(Current(), last - 1); }},
        {32191, kGraphBar, true, [&](QAction* a) { a->trigger(); EXPECT_EQ(Span(), 500); }},
        {32192, kGraphBar, true, [&](QAction* a) { a->trigger(); EXPECT_EQ(Span(), 1000); }},
        {32213, kGraphBar, true, [&](QAction* a) { a->trigger(); EXPECT_EQ(TimeSpan(), 500); }},
        {32214, kGraphBar, true, [&](QAction* a) { a->trigger(); EXPECT_EQ(TimeSpan(), 1000); }},
        {32196, kGraphBar, true,
         [&](QAction* a) {
             Graph()->SetHorzRange(500, CGraphWnd::kValueAxis);
             ASSERT_EQ(Span(), 200);
             a->trigger();
             EXPECT_EQ(Span(), 1000);
             EXPECT_EQ(TimeSpan(), 1000);
         }},
        {32197, kGraphBar, true,
         [&](QAction* a) {
             a->trigger();
             EXPECT_TRUE(Graph()->ZoomMode());
             frame->UpdateCommandUI();
             EXPECT_TRUE(a->isChecked());
             // In zoom mode a click zooms in to 40 %, a right click out to 300 %.
             const QPoint centre = Graph()->PlotRect().ToQRect().center();
             QTest::mouseClick(Graph(), Qt::LeftButton, {}, centre);
             EXPECT_EQ(Span(), 400);
             QContextMenuEvent right(QContextMenuEvent::Mouse, centre, Graph()->mapToGlobal(centre));
             QApplication::sendEvent(Graph(), &right);
             EXPECT_EQ(Span(), 1000);
             a->trigger();
             EXPECT_FALSE(Graph()->ZoomMode());
         }},
        // The view's own menu: the grid, the panes.
        {32180, kMenu, true,
         [&](QAction* a) {
             a->trigger();
             EXPECT_EQ(Span(), 1000);
             EXPECT_EQ(TimeSpan(), 1000);
         }},
        {32235, kMenu, true,
         [&](QAction* a) {
             const bool grid = Graph()->Grid();
             a->trigger();
             EXPECT_NE(Graph()->Grid(), grid);
         }},
        {32181, kMenu, true, [&](QAction* a) { EXPECT_FALSE(ModalOf(a).isEmpty()); }},
        {32179, kMenu, true, [&](QAction* a) { ExpectPaneToggle(a, 32179); }},
        {32139, kMenu, true, [&](QAction* a) { ExpectPaneToggle(a, 32139); }},
        {32140, kMenu, true, [&](QAction* a) { ExpectPaneToggle(a, 32140); }},
        // The front panel shows a live instrument: not in an archive, whose
        // graph zooms in time.
        {32138, kMenu, false, nullptr},
        // The meter data open in a window of their own.
        {32225, kMeasurementBar, true,
         [&](QAction* a) {
             a->trigger();
             QCoreApplication::processEvents();
             const ui::CDocument* meter = frame->GetActiveDocument();
             ASSERT_NE(meter, nullptr);
             EXPECT_EQ(meter->RuntimeClassName(), QStringLiteral("CBexorArchivDoc"));
             // The meter window has no archive commands.
             EXPECT_EQ(FindInMenuBar(frame, 32136), nullptr);
         }},
    };

    // The absolute zooms of the view's own menu: each axis shows the
    // 100000 / percent per mille about its centre or cursor.
    for (int i = 0; i < 6; ++i) {
        const int width = 100000 / CGraphWnd::kZoomPercents[i];
        rows.push_back({CGraphWnd::kCmdVertZoom100 + i, kMenu, true,
                        [&, width](QAction* a) { a->trigger(); EXPECT_EQ(Span(), width); }});
        rows.push_back({CGraphWnd::kTimeZoomCommands[i], kMenu, true,
                        [&, width](QAction* a) { a->trigger(); EXPECT_EQ(TimeSpan(), width); }});
    }

    std::set<int> rowIds;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        rowIds.insert(row.id);
        // Each row starts with the archive window in front.
        ASSERT_TRUE(archiveFrame);
        frame->MdiArea()->setActiveSubWindow(archiveFrame);
        QCoreApplication::processEvents();
        QAction* action = FindInMenuBar(frame, row.id);
        ASSERT_NE(action, nullptr) << "not in the menu bar";
        if (row.where == kMeasurementBar) {
            EXPECT_TRUE(OnBar(frame->MeasurementBar(), row.id));
        } else if (row.where == kGraphBar) {
            EXPECT_TRUE(OnBar(frame->GraphBar(), row.id));
        }
        frame->UpdateCommandUI();
        EXPECT_EQ(action->isEnabled(), row.enabled);
        if (row.check)
            row.check(action);
    }

    // Every command the archive window offers has its row.
    frame->MdiArea()->setActiveSubWindow(archiveFrame);
    QCoreApplication::processEvents();
    std::vector<QAction*> offered;
    for (QMenu* menu : frame->WindowMenus())
        for (QAction* action : menu->actions())
            offered.push_back(action);
    for (QToolBar* bar : {frame->MeasurementBar(), frame->GraphBar()})
        for (QAction* action : bar->actions())
            offered.push_back(action);
    for (QAction* action : offered)
        if (action->data().isValid()) {
            EXPECT_TRUE(rowIds.count(action->data().toInt())) << "no row for " << action->data().toInt();
        }
}

TEST_F(WindowCommandsTest, TheGraphPanesContextMenuReachesTheView)
{
    ASSERT_TRUE(app->OpenArchiveFile(dir.filePath(QStringLiteral("hala.vk"))));
    QCoreApplication::processEvents();
    archiveFrame = frame->ActiveChildFrame();
    ASSERT_NE(Graph(), nullptr);
    auto choose = [&](int id) {
        const QPoint centre = Graph()->PlotRect().ToQRect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre, Graph()->mapToGlobal(centre));
        QApplication::sendEvent(Graph(), &event);
        QMenu* menu = Graph()->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(menu, nullptr);
        QAction* action = FindInMenu(menu, id);
        ASSERT_NE(action, nullptr) << id;
        menu->close();
        // The menu's own signal, as a click on the item sends it.
        emit menu->triggered(action);
        delete menu;
    };
    // "Změnit vertikální lupu" / "200%".
    choose(CGraphWnd::kCmdVertZoom100 + 1);
    EXPECT_EQ(Span(), 500);
    // The pane's "Vypnout lupy" is 32180; the tool bar's "Vypne lupy" (32196)
    // does the same from the view's own menu and bar.
    choose(32180);
    EXPECT_EQ(Span(), 1000);
    // "Rastr" of the pane's menu is the view's grid, as the view's own is.
    const bool grid = Graph()->Grid();
    choose(32235);
    EXPECT_NE(Graph()->Grid(), grid);

    // The menu shows the grid's state by its check mark; the received
    // quantities are asked of a VKT only, so a VK's pane does not offer
    // them; with the range being edited, no zoom is offered.
    auto opened = [&] {
        const QPoint centre = Graph()->PlotRect().ToQRect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre, Graph()->mapToGlobal(centre));
        QApplication::sendEvent(Graph(), &event);
        return std::unique_ptr<QMenu>(Graph()->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly));
    };
    for (bool limitsSet : {true, false}) {
        SCOPED_TRACE(limitsSet);
        platform::SendMessageTo(archiveFrame->GetActiveView(), platform::WM_ARCHIVE_REDRAW, limitsSet ? 1 : 0);
        std::unique_ptr<QMenu> menu = opened();
        ASSERT_NE(menu, nullptr);
        QAction* gridItem = FindInMenu(menu.get(), 32235);
        ASSERT_NE(gridItem, nullptr);
        EXPECT_TRUE(gridItem->isCheckable());
        EXPECT_EQ(gridItem->isChecked(), Graph()->Grid());
        QAction* received = FindInMenu(menu.get(), 40002);
        EXPECT_TRUE(!received || !received->isVisible());
        // "Zobrazené veličiny ..." goes with the zooms: an item its handler
        // would drop is not offered.
        for (int id : {int(CGraphWnd::kCmdVertZoom100) + 1, CGraphWnd::kTimeZoomCommands[1], 32180, 32181}) {
            QAction* zoom = FindInMenu(menu.get(), id);
            ASSERT_NE(zoom, nullptr) << id;
            EXPECT_EQ(zoom->isEnabled(), limitsSet) << id;
        }
        menu->close();
    }
}

// A live window: its own menu carries the instrument's commands (open by
// instrument with this instrument chosen, receive data, its key Ctrl+Z),
// the graph bar its graph's zooms and the File menu its printing.
TEST_F(WindowCommandsTest, TheLiveWindowsCommandsAreInItsMenuAndBars)
{
    for (const char* name : {"Linka", "Hala"}) {
        auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE,
                                                 CPristroj::kVK, app->LinkEnvironment());
        entry->m_nazev = QString::fromLatin1(name);
        entry->m_merit = 0;
        ASSERT_TRUE(app->AdoptInstrument(nullptr, std::move(entry)));
    }
    CPristroj* hala = app->GetDeviceList().back().get();
    ASSERT_TRUE(platform::PostThreadMessage(app->Handle(), platform::WM_APP_OPEN_DEVICE_DOC,
                                            reinterpret_cast<std::uintptr_t>(hala), 0));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    ui::CView* view = app->LiveView(*hala);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(frame->GetActiveDocument(), view->GetDocument());
    ASSERT_FALSE(frame->WindowMenus().empty());
    QMenu* own = frame->WindowMenus().front();
    emit own->aboutToShow();
    auto find = [own](const char* text) -> QAction* {
        for (QAction* a : own->actions())
            if (a->text() == QString::fromUtf8(text))
                return a;
        return nullptr;
    };

    // The open-archive dialog comes with this instrument chosen, not the
    // first of the list.
    QAction* byInstrument = find("Otevři soubor dle přístroje ...");
    ASSERT_NE(byInstrument, nullptr);
    ASSERT_TRUE(byInstrument->isEnabled());
    QString chosen;
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&chosen] {
        if (auto* modal = dynamic_cast<COpenArchiveDlg*>(QApplication::activeModalWidget())) {
            chosen = modal->NameCombo()->currentText();
            modal->reject();
        }
    });
    closer.start(0);
    byInstrument->trigger();
    EXPECT_EQ(chosen, QStringLiteral("Hala"));

    {
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
        QAction* receive = find("Přijmout &data");
        ASSERT_NE(receive, nullptr);
        receive->trigger();
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Stisknutím tlačítka OK")));
    }

    // The graph bar's zoom reaches the live graph; the File menu prints it.
    auto* graphView = qobject_cast<charts::CGraphView*>(view);
    ASSERT_NE(graphView, nullptr);
    ASSERT_TRUE(OnBar(frame->GraphBar(), 32191));
    frame->UpdateCommandUI();
    QAction* zoomIn = frame->WindowAction(32191);
    ASSERT_NE(zoomIn, nullptr);
    EXPECT_TRUE(zoomIn->isEnabled());
    zoomIn->trigger();
    EXPECT_EQ(graphView->CommandGraph()->Y1() - graphView->CommandGraph()->Y0(), 500);
    for (int id : {57607, 57608, 57609})
        EXPECT_NE(FindInMenuBar(frame, id), nullptr) << id;

    // Ctrl+Z, shown in the menu, hides the live window. The dialog above
    // took the activation; the main window gets it back as the window
    // manager would give it.
    ASSERT_NO_FATAL_FAILURE(Activate());
    QPointer<ui::CDocument> document = view->GetDocument();
    QTest::keyClick(frame, Qt::Key_Z, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_TRUE(!document || document->IsClosing());
}

} // namespace
