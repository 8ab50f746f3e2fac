// Every command a live window offers is within the user's reach in the
// running program: its menu in the menu bar (the same menu its context menu
// shows) and the tool bars carry it by id, enabled as its owner says, and,
// triggered, it does what it should. A command the window offers without a
// row here fails the test.
#include "RunningProgramTest.h"
#include "../charts/PdfCheck.h"
#include "../charts/ProfileFixture.h"

#include "analysers_vkt/VKTVlny.h"
#include "analysers_vkt/VKTVlnyFile.h"
#include "archive_docs/ArchivDocBase.h"
#include "archive_docs/OpenArchiveDlg.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "charts/ArchivRangeBar.h"
#include "charts/GraphView.h"
#include "charts/GraphWnd.h"
#include "controllers/settings/SettingsReport.h"
#include "link/Pristroj.h"
#include "model/QorinConfig.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/Document.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/ui/CommandTarget.h"
#include "platform/ui/WaitDlg.h"
#include "shell/MainFrame.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>

namespace {

// What a command did, as the user sees it.
struct Effects {
    QStringList dialogs;       // modal dialogs shown (each closed at once)
    QStringList waits;         // wait dialogs of the instrument's exchanges
    QString chosenInstrument;  // the instrument chosen in an open-archive dialog
    QStringList boxes;         // message boxes
    QStringList windows;       // top-level windows that appeared
    QStringList hidden;        // top-level windows that went away
    QString activeDocument;    // the class of the active document afterwards
    bool windowClosed = false; // the window the command came from went away
    // The zoom window of the window's graph, in per mille, before and after.
    int spanBefore = 0;
    int spanAfter = 0;
    int timeBefore = 0;
    int timeAfter = 0;

    QString Describe() const
    {
        return QStringLiteral("dialogs [%1] boxes [%2] windows [%3] hidden [%4] active %5 closed %6 zoom %7/%8")
            .arg(dialogs.join(QLatin1Char('|')), boxes.join(QLatin1Char('|')), windows.join(QLatin1Char('|')),
                 hidden.join(QLatin1Char('|')), activeDocument,
                 windowClosed ? QStringLiteral("yes") : QStringLiteral("no"))
            .arg(spanAfter)
            .arg(timeAfter);
    }
};

using Check = std::function<void(const Effects&)>;

Check Dialog(const char* title)
{
    return [title](const Effects& e) {
        EXPECT_TRUE(e.dialogs.contains(QString::fromUtf8(title))) << e.Describe().toStdString();
    };
}

// The information command tells the link's own reason: the test
// instruments sit on a port whose device is not there.
constexpr const char* kPortMissing = "Port nenalezen.";

Check Box(const char* start)
{
    return [start](const Effects& e) {
        bool found = false;
        for (const QString& text : e.boxes)
            found = found || text.startsWith(QString::fromUtf8(start));
        EXPECT_TRUE(found) << e.Describe().toStdString();
    };
}

Check Window(const char* title)
{
    return [title](const Effects& e) {
        bool found = false;
        for (const QString& text : e.windows)
            found = found || text.contains(QString::fromUtf8(title));
        EXPECT_TRUE(found) << e.Describe().toStdString();
    };
}

// A window that went away: the floating panel the row before opened.
Check Hides(const char* title)
{
    return [title](const Effects& e) {
        EXPECT_TRUE(e.hidden.contains(QString::fromUtf8(title))) << e.Describe().toStdString();
    };
}

// Absolute zooms show 100000 / percent per mille of the axis.
Check VerticalTo(int width)
{
    return [width](const Effects& e) { EXPECT_EQ(e.spanAfter, width) << e.Describe().toStdString(); };
}

Check TimeTo(int width)
{
    return [width](const Effects& e) { EXPECT_EQ(e.timeAfter, width) << e.Describe().toStdString(); };
}

// The step zooms halve the window or double it, up to the whole axis.
Check Vertical(bool in)
{
    return [in](const Effects& e) {
        EXPECT_EQ(e.spanAfter, in ? e.spanBefore / 2 : std::min(1000, e.spanBefore * 2)) << e.Describe().toStdString();
    };
}

Check Time(bool in)
{
    return [in](const Effects& e) {
        EXPECT_EQ(e.timeAfter, in ? e.timeBefore / 2 : std::min(1000, e.timeBefore * 2)) << e.Describe().toStdString();
    };
}

const Check kSomeDialog = [](const Effects& e) { EXPECT_EQ(e.dialogs.size(), 1) << e.Describe().toStdString(); };
const Check kNothingShown = [](const Effects& e) {
    EXPECT_TRUE(e.dialogs.isEmpty() && e.boxes.isEmpty() && e.windows.isEmpty()) << e.Describe().toStdString();
};

const Check kWholeGraph = [](const Effects& e) {
    EXPECT_EQ(e.spanAfter, 1000) << e.Describe().toStdString();
    EXPECT_EQ(e.timeAfter, 1000) << e.Describe().toStdString();
};

// A silent instrument: the dialog's wait, under the dialog's title, and
// then the command gives up before the dialog.
Check WaitsInVain(const char* title)
{
    return [title](const Effects& e) {
        EXPECT_TRUE(e.waits.contains(QString::fromUtf8(title))) << e.Describe().toStdString();
        EXPECT_FALSE(e.dialogs.contains(QString::fromUtf8(title))) << e.Describe().toStdString();
    };
}

struct Row {
    int id;
    bool enabled;
    Check check;          // null: only found and enabled as told, not triggered
    bool toggles = false; // its check mark flips, and back with a second trigger
};

// The action of a command and whether the user can choose it: it and every
// submenu on the way are enabled.
QAction* FindInMenu(QMenu* menu, int id, bool* reachable = nullptr)
{
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindInMenu(sub, id, reachable)) {
                if (reachable)
                    *reachable = *reachable && sub->isEnabled() && action->isEnabled();
                return found;
            }
        } else if (action->data().typeId() == QMetaType::Int && action->data().toInt() == id) {
            if (reachable)
                *reachable = action->isEnabled();
            return action;
        }
    }
    return nullptr;
}

void CollectIds(QMenu* menu, std::set<int>& ids)
{
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu())
            CollectIds(sub, ids);
        else if (action->data().typeId() == QMetaType::Int) // the recent files carry their paths
            ids.insert(action->data().toInt());
    }
}

class LiveWindowReachTest : public shelltest::RunningProgramTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Start(MeterData());
    }
    virtual bool MeterData() const { return false; }

    // Two instruments of the family; the live window of the second opens
    // as the program opens it.
    void OpenLive(int type)
    {
        for (const char* name : {"Linka", "Hala"}) {
            auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE, type,
                                                     app->LinkEnvironment());
            entry->m_nazev = QString::fromLatin1(name);
            entry->m_merit = 0;
            ASSERT_TRUE(app->AdoptInstrument(nullptr, std::move(entry)));
        }
        instrument = app->GetDeviceList().back().get();
        ASSERT_TRUE(platform::PostThreadMessage(app->Handle(), platform::WM_APP_OPEN_DEVICE_DOC,
                                                reinterpret_cast<std::uintptr_t>(instrument), 0));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        ui::CView* view = app->LiveView(*instrument);
        ASSERT_NE(view, nullptr);
        liveFrame = view->GetParentFrame();
        ASSERT_NE(liveFrame, nullptr);
        ASSERT_EQ(frame->GetActiveDocument(), view->GetDocument());
    }

    CGraphWnd* Graph() const
    {
        ui::CView* shown = instrument ? app->LiveView(*instrument) : liveFrame ? liveFrame->GetActiveView() : nullptr;
        auto* view = qobject_cast<charts::CGraphView*>(shown);
        return view ? view->CommandGraph() : nullptr;
    }

    // The commands an analyser's live view shares: its panes, the grid, the
    // graph's zooms from its menu and the graph bar, and the File menu's
    // printing.
    static std::vector<Row> AnalyserViewRows()
    {
        std::vector<Row> rows = {
            {32140, true, nullptr, true},
            {32139, true, nullptr, true},
            {32138, true, nullptr, true},
            {32179, true, nullptr, true},
            {32235, true, nullptr, true},
            // Offered with the graph; before any data it has nothing to
            // load and shows nothing.
            {32181, true, kNothingShown},
        };
        // A live graph runs up to now: its time axis stays whole.
        rows = Join(rows, PercentZoomRows(false));
        rows.push_back({32180, true, kWholeGraph});
        return Join(rows, GraphBarAndPrintRows());
    }

    // The view menu's absolute zooms of either axis.
    static std::vector<Row> PercentZoomRows(bool timeAxisZooms)
    {
        std::vector<Row> rows;
        for (int i = 0; i < 6; ++i) {
            const int width = 100000 / CGraphWnd::kZoomPercents[i];
            rows.push_back({CGraphWnd::kCmdVertZoom100 + i, true, VerticalTo(width)});
            rows.push_back({CGraphWnd::kTimeZoomCommands[i], true, TimeTo(timeAxisZooms ? width : 1000)});
        }
        return rows;
    }

    // The graph bar's zooms, then the File menu's printing.
    static std::vector<Row> GraphBarAndPrintRows()
    {
        return {
            {32191, true, Vertical(true)},
            {32192, true, Vertical(false)},
            // Time steps only for a graph whose time axis zooms.
            {32213, false, nullptr},
            {32214, false, nullptr},
            {32196, true, kWholeGraph},
            {32197, true, nullptr, true},
            // Printing goes to a PDF (direct printing would reach the
            // test machine's printers); the preview shows its dialog.
            {57607, true, PrintsAPage()},
            {57608, true, nullptr},
            {57609, true, kSomeDialog},
        };
    }

    // The print command asks for its printer once and prints on it, also
    // before a live window's first measurement.
    static Check PrintsAPage()
    {
        auto jobs = std::make_shared<pdfcheck::PdfJobs>();
        return [jobs](const Effects& e) {
            EXPECT_EQ(jobs->chooserCalls, 1) << e.Describe().toStdString();
            if (pdfcheck::HaveTools()) {
                EXPECT_GE(pdfcheck::PageCount(jobs->Path()), 1);
            }
        };
    }

    // An archive's graph, whose time cursor zooms the time axis about
    // itself: the view menu's zooms and grid, the graph bar's zooms, and
    // printing.
    static std::vector<Row> ArchiveGraphRows()
    {
        return Join(PercentZoomRows(true), {
                                               {32180, true, kWholeGraph},
                                               {32235, true, nullptr, true},
                                               {32191, true, Vertical(true)},
                                               {32192, true, Vertical(false)},
                                               {32213, true, Time(true)},
                                               {32214, true, Time(false)},
                                               {32196, true, kWholeGraph},
                                               {32197, true, nullptr, true},
                                               {57607, true, PrintsAPage()},
                                               {57608, true, nullptr},
                                               {57609, true, kSomeDialog},
                                           });
    }

    static std::vector<Row> Join(std::vector<Row> rows, const std::vector<Row>& more)
    {
        rows.insert(rows.end(), more.begin(), more.end());
        return rows;
    }

    // An archive file of the test folder opened as the program opens it.
    void OpenArchive(const QString& name)
    {
        ASSERT_TRUE(app->OpenArchiveFile(dir.filePath(name)));
        QCoreApplication::processEvents();
        liveFrame = frame->ActiveChildFrame();
        ASSERT_NE(liveFrame, nullptr);
        archive = qobject_cast<CArchivDocBase*>(liveFrame->GetActiveDocument());
        ASSERT_NE(archive, nullptr);
        last = archive->Navigator().GetLoadedRecordCount() - 1;
        ASSERT_GT(last, 12);
    }

    // The archive document's commands: settings, open by instrument (no
    // instrument in the program), the neighbour files and the moves.
    std::vector<Row> ArchiveRows(int openByInstrument, const Check& settings)
    {
        auto current = [this] { return archive->Navigator().GetCurrentRecord(); };
        return {
            {32136, true, settings},
            {openByInstrument, false, nullptr},
            {32236, true, Box("Požadovaný soubor nenalezen.")},
            {32237, true, Box("Požadovaný soubor nenalezen.")},
            {32193, true, [this, current](const Effects&) {
                 first = current();
                 EXPECT_LT(first, last - 11);
             }},
            {32165, true, [this, current](const Effects&) { EXPECT_EQ(current(), first + 1); }},
            {32167, true, [this, current](const Effects&) { EXPECT_EQ(current(), first + 11); }},
            {32194, true, [this, current](const Effects&) { EXPECT_EQ(current(), first + 1); }},
            {32169, true, [this, current](const Effects&) { EXPECT_EQ(current(), last); }},
            {32195, true, [this, current](const Effects&) { EXPECT_EQ(current(), last - 1); }},
        };
    }

    // The menus of the menu bar as the user opens them.
    QAction* Find(int id, bool* reachable = nullptr)
    {
        for (QAction* top : frame->menuBar()->actions())
            if (QMenu* menu = top->menu()) {
                emit menu->aboutToShow();
                if (QAction* found = FindInMenu(menu, id, reachable))
                    return found;
            }
        // A button without a menu entry.
        for (QToolBar* bar : {frame->InstrumentBar(), frame->MeasurementBar(), frame->GraphBar()})
            for (QAction* action : bar->actions())
                if (action->data().typeId() == QMetaType::Int && action->data().toInt() == id) {
                    if (reachable)
                        *reachable = action->isEnabled();
                    return action;
                }
        return nullptr;
    }

    Effects Trigger(QAction* action)
    {
        Effects seen;
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
        // A window may be deleted by the command: it is known by its title.
        std::map<QWidget*, QString> before;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !qobject_cast<QMenu*>(w))
                before[w] = w->windowTitle();
        if (const CGraphWnd* graph = Graph()) {
            seen.spanBefore = graph->Y1() - graph->Y0();
            seen.timeBefore = graph->X1() - graph->X0();
        }
        QTimer closer;
        closer.setInterval(5);
        std::set<QObject*> waited;
        QObject::connect(&closer, &QTimer::timeout, [&seen, &waited] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!modal)
                return;
            // A wait ends with its exchange.
            if (qobject_cast<ui::CWaitDlg*>(modal)) {
                if (waited.insert(modal).second)
                    seen.waits.push_back(modal->windowTitle());
                return;
            }
            seen.dialogs.push_back(modal->windowTitle());
            if (auto* open = dynamic_cast<COpenArchiveDlg*>(modal))
                seen.chosenInstrument = open->NameCombo()->currentText();
            modal->reject();
        });
        closer.start();
        action->trigger();
        QCoreApplication::processEvents();
        closer.stop();
        for (const QString& title : seen.dialogs + seen.waits)
            EXPECT_FALSE(title.isEmpty()) << "a modal window without its title";
        for (const auto& request : boxes.Requests())
            seen.boxes.push_back(request.text);
        std::set<QWidget*> after;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !qobject_cast<QMenu*>(w))
                after.insert(w);
        for (QWidget* w : after)
            if (!before.count(w)) {
                seen.windows.push_back(w->windowTitle());
                opened.push_back(w);
            }
        for (const auto& [w, title] : before)
            if (!after.count(w))
                seen.hidden.push_back(title);
        if (const CGraphWnd* graph = Graph()) {
            seen.spanAfter = graph->Y1() - graph->Y0();
            seen.timeAfter = graph->X1() - graph->X0();
        }
        if (const ui::CDocument* document = frame->ActiveChildFrame() ? frame->GetActiveDocument() : nullptr)
            seen.activeDocument = document->RuntimeClassName();
        seen.windowClosed = windowKind && (!liveFrame || liveFrame->isHidden());
        return seen;
    }

    // Each row from the live window in front; then every command the window
    // offers must have had its row.
    void CheckRows(const std::vector<Row>& rows)
    {
        std::set<int> rowIds;
        for (const Row& row : rows) {
            SCOPED_TRACE(row.id);
            rowIds.insert(row.id);
            if (windowKind) {
                ASSERT_TRUE(liveFrame);
                frame->MdiArea()->setActiveSubWindow(liveFrame);
            }
            ASSERT_NO_FATAL_FAILURE(Activate());
            bool reachable = false;
            QAction* action = Find(row.id, &reachable);
            ASSERT_NE(action, nullptr) << "not in the menu bar nor on a tool bar";
            EXPECT_EQ(reachable, row.enabled);
            if (row.toggles && reachable) {
                const bool checked = action->isChecked();
                for (bool expected : {!checked, checked}) {
                    action->trigger();
                    QCoreApplication::processEvents();
                    action = Find(row.id);
                    ASSERT_NE(action, nullptr);
                    EXPECT_EQ(action->isChecked(), expected);
                }
            }
            if (row.check && reachable)
                row.check(Trigger(action));
        }
        for (QWidget* w : opened)
            if (w)
                w->close();
        opened.clear();
        std::set<int> offered;
        if (windowKind) {
            if (!liveFrame)
                return;
            frame->MdiArea()->setActiveSubWindow(liveFrame);
            QCoreApplication::processEvents();
            for (QMenu* menu : frame->WindowMenus()) {
                emit menu->aboutToShow();
                CollectIds(menu, offered);
            }
        } else {
            // Without a window, the frame's own menus and bars.
            for (QAction* top : frame->menuBar()->actions())
                if (QMenu* menu = top->menu()) {
                    emit menu->aboutToShow();
                    CollectIds(menu, offered);
                }
            for (QAction* action : frame->InstrumentBar()->actions())
                if (action->data().isValid())
                    offered.insert(action->data().toInt());
        }
        for (QToolBar* bar : {frame->MeasurementBar(), frame->GraphBar()})
            for (QAction* action : bar->actions())
                if (action->data().isValid())
                    offered.insert(action->data().toInt());
        for (int id : offered)
            EXPECT_TRUE(rowIds.count(id)) << "no row for " << id;
    }

    // The "Vybraný přístroj" bar of the window in front: each row's button
    // is there, enabled as told, and does what the row says.
    void CheckMeasurementBar(const std::vector<Row>& rows)
    {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.id);
            ASSERT_TRUE(liveFrame);
            frame->MdiArea()->setActiveSubWindow(liveFrame);
            ASSERT_NO_FATAL_FAILURE(Activate());
            frame->UpdateCommandUI();
            QAction* button = nullptr;
            QStringList there;
            for (QAction* action : frame->MeasurementBar()->actions()) {
                there << action->data().toString();
                if (action->data().typeId() == QMetaType::Int && action->data().toInt() == row.id)
                    button = action;
            }
            ASSERT_NE(button, nullptr) << "not on the measurement bar: " << there.join(QLatin1Char(' ')).toStdString();
            EXPECT_EQ(button->isEnabled(), row.enabled);
            if (row.check && button->isEnabled())
                row.check(Trigger(button));
        }
    }

    // The key the menu shows closes the window.
    void CheckHideKey(int id)
    {
        SCOPED_TRACE(id);
        ASSERT_TRUE(liveFrame);
        frame->MdiArea()->setActiveSubWindow(liveFrame);
        ASSERT_NO_FATAL_FAILURE(Activate());
        QAction* action = Find(id);
        ASSERT_NE(action, nullptr);
        const QKeySequence key = action->shortcut();
        ASSERT_FALSE(key.isEmpty());
        QPointer<ui::CDocument> document = frame->GetActiveDocument();
        QTest::keySequence(frame, key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        EXPECT_TRUE(!document || document->IsClosing());
    }

    // The "Vybraný přístroj" bar of a live window whose instrument is
    // silent and records nothing.
    static std::vector<Row> LiveBarRows(int openByInstrument)
    {
        return {
            {32136, true, Box("Nastavení nelze zobrazit")},
            {40029, true, Box(kPortMissing)},
            {32232, false, nullptr},
            {32236, true, Box("Požadovaný soubor nenalezen.")},
            {openByInstrument, true, ChoosesHala()},
        };
    }

    // The open-archive dialog with this window's instrument chosen.
    static Check ChoosesHala()
    {
        return [](const Effects& e) {
            EXPECT_EQ(e.dialogs.size(), 1) << e.Describe().toStdString();
            EXPECT_EQ(e.chosenInstrument, QStringLiteral("Hala"));
        };
    }

    CPristroj* instrument = nullptr;
    CArchivDocBase* archive = nullptr;
    int first = 0; // the first record and the last of an archive window
    int last = 0;
    // False for the main window alone, with no window open.
    bool windowKind = true;
    QPointer<ui::CChildFrame> liveFrame;
    std::vector<QPointer<QWidget>> opened;
};

using MainWindowReachTest = LiveWindowReachTest;

TEST_F(MainWindowReachTest, Commands)
{
    windowKind = false;
    CheckRows({
        {32147, true, Dialog("Vývěr archivního souboru")},
        // No serial port on the test machine.
        {32130, true, Box("Port nenalezen.")},
        {32135, true, Dialog("Seznam přístrojů")},
        {32201, true, Dialog("Obecná nastavení")},
        // No instrument, none downloading.
        {32222, false, nullptr},
        {32234, false, nullptr},
        // Without a modem line, to say which port has one.
        {32238, true, Dialog("Modemy")},
        {59392, true, nullptr, true},
        {129, true, nullptr, true},
        {32198, true, nullptr, true},
        {32199, true, nullptr, true},
        {57664, true, Dialog("O aplikaci qorin01")},
        {57667, true, Box("Nápověda není nainstalována")},
        {57670, true, Box("Nápověda není nainstalována")},
        {57665, true, nullptr},
        // No live window in front.
        {32200, false, nullptr},
    });
}

TEST_F(LiveWindowReachTest, VK)
{
    ASSERT_NO_FATAL_FAILURE(OpenLive(CPristroj::kVK));
    CheckRows(Join(AnalyserViewRows(),
                   {
                       {32141, true, Window("Hala")},
                       {32145, true, Hides("Hala")},
                       {32136, true, Box("Nastavení nelze zobrazit")},
                       {40027, true, WaitsInVain("Nastavení času")},
                       {40029, true, Box(kPortMissing)},
                       // No meter data in a live record that never came.
                       {32215, false, nullptr},
                       {40005, true, Box("Zařízení nenalezeno.")},
                       // Not measured, not recorded.
                       {32232, false, nullptr},
                       {32236, true, Box("Požadovaný soubor nenalezen.")},
                       {32231, true, ChoosesHala()},
                       {40030, true, Box("Stisknutím tlačítka OK")},
                       {32137, true, nullptr},
                   }));
    CheckMeasurementBar(Join(LiveBarRows(32231), {{40030, true, Box("Stisknutím tlačítka OK")}}));
    CheckHideKey(32137);
}

TEST_F(LiveWindowReachTest, VKR)
{
    ASSERT_NO_FATAL_FAILURE(OpenLive(CPristroj::kVKR));
    CheckRows(Join(AnalyserViewRows(),
                   {
                       {32141, true, Window("Hala")},
                       {32145, true, Hides("Hala")},
                       {32136, true, Box("Nastavení nelze zobrazit")},
                       {40029, true, Box(kPortMissing)},
                       {32232, false, nullptr},
                       {32236, true, Box("Požadovaný soubor nenalezen.")},
                       {32230, true, ChoosesHala()},
                       {32137, true, nullptr},
                   }));
    CheckMeasurementBar(LiveBarRows(32230));
    CheckHideKey(32137);
}

TEST_F(LiveWindowReachTest, VKT)
{
    ASSERT_NO_FATAL_FAILURE(OpenLive(CPristroj::kVKT));
    CheckRows(Join(AnalyserViewRows(),
                   {
                       {40002, true, Dialog("Přijímaná data")},
                       {40004, true, Dialog("Vlny - Hala")},
                       {40005, true, Box("Zařízení nenalezeno.")},
                       {32141, true, Window("Hala")},
                       {32145, true, Hides("Hala")},
                       {40006, true, ChoosesHala()},
                       {32232, false, nullptr},
                       {32236, true, Box("Požadovaný soubor nenalezen.")},
                       {40030, true, Box("Stisknutím tlačítka OK")},
                       {32136, true, Box("Nastavení nelze zobrazit")},
                       {32215, true, Box("Stav elektroměru nelze zobrazit")},
                       {40027, true, WaitsInVain("Nastavení času")},
                       {40029, true, Box(kPortMissing)},
                       {32137, true, nullptr},
                   }));
    CheckMeasurementBar(Join(LiveBarRows(40006), {{40030, true, Box("Stisknutím tlačítka OK")}}));
    CheckHideKey(32137);
}

// The waveform window a VKT live window opens from its menu: it has no
// menu, bar or context menu of its own; its buttons are its commands, each
// with a row here. With the instrument silent only loading and closing are
// offered; a loaded file freezes the picture and offers the pairs, the
// grid, the freeze and printing.
TEST_F(LiveWindowReachTest, VKTWaveforms)
{
    ASSERT_NO_FATAL_FAILURE(OpenLive(CPristroj::kVKT));
    analysers_vkt::VKTVlnyFileData data;
    data.time = 1710061200;
    data.connection = 2;
    analysers_vkt::VKTVlnyFileData::Wave wave{};
    for (int n = 0; n < analysers_vkt::VKTVlnyFileData::kSamples; ++n)
        wave[std::size_t(n)] = std::int16_t(n * 100 - 3200);
    data.waves[0] = wave;
    data.waves[4] = wave;
    data.panes[0].mask = 0x11;
    data.values.voltages[0] = QStringLiteral("230.5");
    const QString file = dir.filePath(QStringLiteral("vlny.vln"));
    QString error;
    ASSERT_TRUE(analysers_vkt::SaveVKTVlnyFile(file, data, error)) << error.toStdString();
    QStringList asked;
    const controllers::SettingsFileChooser previous = controllers::SetSettingsFileChooser(
        [&asked, &file](QWidget*, bool save, const QString& title, const QString&, const QString&,
                        const controllers::FileKind&) {
            asked << title;
            return save ? QString() : file;
        });

    struct Control {
        const char* id;
        bool beforeData;
        bool loaded;
    };
    const Control rows[] = {
        {"1292", false, true}, // pairs
        {"1016", false, true}, // "Zastavit"
        {"1017", false, true}, // "Rastr"
        {"1315", false, false}, // save: a loaded picture is saved already
        {"1316", true, true},  // load
        {"1317", false, true}, // print
        {"2", true, true},     // "Konec"
    };
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<analysers_vkt::CVKTVlny*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        ran = true;
        auto control = [window](const char* id) { return window->findChild<QWidget*>(QString::fromLatin1(id)); };
        std::set<QString> ids;
        for (const Control& row : rows)
            ids.insert(QString::fromLatin1(row.id));
        for (QWidget* w : window->findChildren<QWidget*>())
            if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w)) {
                EXPECT_TRUE(ids.count(w->objectName())) << "no row for " << w->objectName().toStdString();
            }
        for (const Control& row : rows) {
            ASSERT_NE(control(row.id), nullptr) << row.id;
            EXPECT_EQ(control(row.id)->isEnabled(), row.beforeData) << row.id;
        }

        QTest::mouseClick(control("1316"), Qt::LeftButton);
        EXPECT_EQ(asked, QStringList{QStringLiteral("Načíst průběhy ze souboru")});
        for (const Control& row : rows)
            EXPECT_EQ(control(row.id)->isEnabled(), row.loaded) << row.id;
        EXPECT_TRUE(window->StopBox()->isChecked());
        EXPECT_EQ(window->Pair(), 0xFF);
        EXPECT_TRUE(window->windowTitle().endsWith(QStringLiteral("[vlny.vln]")));

        // The first pair, chosen from the keyboard.
        window->PairList()->setFocus();
        QTest::keyClick(window->PairList(), Qt::Key_Home);
        EXPECT_EQ(window->Pair(), 0x11);
        auto* grid = qobject_cast<QCheckBox*>(control("1017"));
        const bool gridOn = grid->isChecked();
        // On its box: the check box is wider than its text.
        QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(4, grid->height() / 2));
        EXPECT_NE(grid->isChecked(), gridOn);
        {
            pdfcheck::PdfJobs jobs;
            QTest::mouseClick(control("1317"), Qt::LeftButton);
            EXPECT_EQ(jobs.chooserCalls, 1);
            if (pdfcheck::HaveTools()) {
                EXPECT_TRUE(pdfcheck::PageTexts(jobs.Path()).join(QString()).contains(QStringLiteral("Záznam vln ze dne")));
            }
        }
        // Unfrozen, the title names the instrument again.
        QTest::mouseClick(control("1016"), Qt::LeftButton, {}, QPoint(4, control("1016")->height() / 2));
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Vlny - Hala"));
        QTest::mouseClick(control("2"), Qt::LeftButton);
        EXPECT_FALSE(window->isVisible());
    });
    QAction* open = Find(40004);
    ASSERT_NE(open, nullptr);
    open->trigger();
    QCoreApplication::processEvents();
    controllers::SetSettingsFileChooser(previous);
    EXPECT_TRUE(ran);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Writes the archive `base` + `extension` of the instrument "Linka": three
// blocks of ten one-minute measurements, measurement n (0..29) as `measure`
// writes it, each block after what `head` writes (identification,
// configuration).
template <class Store>
void WriteArchive(testsupport::FakeClock& clock, const QString& base, const QString& extension,
                  const std::function<void(Store&)>& head, const std::function<void(Store&, int)>& measure)
{
    Store writer;
    writer.SetTimeSource(clock.Source());
    ASSERT_EQ(writer.Create(20 * 600, 10, 60, base, extension, TRUE, TRUE, QStringLiteral("Linka")), 1);
    for (int block = 0; block < 3; ++block) {
        if (head)
            head(writer);
        for (int i = 0; i < 10; ++i) {
            clock.Advance(60);
            measure(writer, 10 * block + i);
        }
        clock.Advance(1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    }
    writer.Close();
}

// An archive window of a VKR analyser: the document's commands, the view's
// menu and the graph's zooms, which here zoom the time axis too.
TEST_F(LiveWindowReachTest, VKRArchive)
{
    ASSERT_NO_FATAL_FAILURE(WriteArchive<CVKRArchivData>(
        clock, dir.filePath(QStringLiteral("linka")), QStringLiteral(".vkr"),
        [](CVKRArchivData& writer) {
            // The settings viewer reads the identification with the configuration.
            CIden iden;
            iden.number = 77;
            iden.model = 0x1000;
            writer.AddIdenRecord(iden);
            writer.AddConfigRecord(vktest::VKRConfig(100, 1, CVKRConfig::Star));
        },
        [](CVKRArchivData& writer, int n) { writer.AddMeasurementRecord(vktest::VKRValues(n % 10)); }));
    ASSERT_NO_FATAL_FAILURE(OpenArchive(QStringLiteral("linka.vkr")));
    ASSERT_NE(Graph(), nullptr);
    const std::vector<Row> view = {
        {32140, true, nullptr, true},
        {32139, true, nullptr, true},
        {32179, true, nullptr, true},
        {32181, true, kSomeDialog},
    };
    CheckRows(Join(Join(ArchiveRows(32229, kSomeDialog), view), ArchiveGraphRows()));
}

// An archive window of a VKT analyser: the document's commands with the
// meter data and the patch, the view's menu and the graph's zooms.
TEST_F(LiveWindowReachTest, VKTArchive)
{
    ASSERT_NO_FATAL_FAILURE(WriteArchive<CVKTArchivData>(
        clock, dir.filePath(QStringLiteral("rozvodna")), CVKTArchivData::Extension(),
        [](CVKTArchivData& writer) {
            CVKTConfig config;
            config.SetConnection(CVKTConfig::Star);
            writer.AddConfigRecord(config);
        },
        [](CVKTArchivData& writer, int n) {
            // 230 V and 5 A in every phase.
            CAktData values;
            const BYTE reply[2] = {0x00, 0x7F};
            values.CreateParts(reply, 2);
            for (int phase = 0; phase < CAktData::kInputs; ++phase)
                if (CAktPhase* p = values.GetPhase(phase)) {
                    p->voltage = WORD(9200 + 40 * (n % 10));
                    p->current = 25000;
                }
            writer.AddMeasurementRecord(values);
        }));
    ASSERT_NO_FATAL_FAILURE(OpenArchive(QStringLiteral("rozvodna") + CVKTArchivData::Extension()));
    ASSERT_NE(Graph(), nullptr);
    const std::vector<Row> view = {
        {32225, true, nullptr},
        {32223, true, Box("Do programu není zadán žádný přístroj")},
        // The front panel shows a live instrument, not an archive.
        {32138, false, nullptr},
        {32140, true, nullptr, true},
        {32139, true, nullptr, true},
        {32179, true, nullptr, true},
        {32181, true, kSomeDialog},
    };
    // The file holds no identification to read its settings with.
    CheckRows(Join(Join(ArchiveRows(40007, Box("Nelze načíst nastavení přístroje ze souboru.")), view),
                   ArchiveGraphRows()));
}

// A controller's archive: measurement n has the current 1000 + n.
template <class Store, class Values>
void WriteControllerArchive(testsupport::FakeClock& clock, const QString& base)
{
    WriteArchive<Store>(clock, base, Store::Extension(), nullptr, [](Store& writer, int n) {
        Values values;
        values.current = WORD(1000 + n);
        writer.AddMeasurementRecord(values);
    });
}

class ControllerArchiveReachTest : public LiveWindowReachTest, public testing::WithParamInterface<bool> {};

// An archive window of a controller (Qorin, Duskar), measurements only: the
// document's commands, the view's panes, zooms and quantities, the graph
// bar and printing.
TEST_P(ControllerArchiveReachTest, Commands)
{
    const QString base = dir.filePath(QStringLiteral("kompenzace"));
    const QString extension = GetParam() ? CDuskarArchivData::Extension() : CQorinArchivData::Extension();
    if (GetParam())
        ASSERT_NO_FATAL_FAILURE((WriteControllerArchive<CDuskarArchivData, CDuskarAktData>(clock, base)));
    else
        ASSERT_NO_FATAL_FAILURE((WriteControllerArchive<CQorinArchivData, CQorinAktData>(clock, base)));
    ASSERT_NO_FATAL_FAILURE(OpenArchive(QStringLiteral("kompenzace") + extension));
    const std::vector<Row> view = {
        // The front panel shows a live instrument, not an archive.
        {32138, false, nullptr},
        {32139, true, nullptr, true},
        {32140, true, nullptr, true},
        {32179, true, nullptr, true},
        {32181, true, Dialog("Zobrazené veličiny")},
    };
    // The file holds no settings record.
    CheckRows(Join(Join(ArchiveRows(32226, Box("Nelze načíst nastavení přístroje ze souboru.")), view),
                   ArchiveGraphRows()));
}

INSTANTIATE_TEST_SUITE_P(Families, ControllerArchiveReachTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Duskar" : "Qorin");
                         });

// What the File menu prints from an archive window: the graph, the value
// list or the statistics, as the range bar's tab chose. The preview draws
// the same pages on its own printer, without asking for another.
class ArchivePrintTest : public LiveWindowReachTest, public testing::WithParamInterface<int> {
protected:
    enum Kind { kVK, kQorin, kDuskar };

    void OpenKind()
    {
        const QString base = dir.filePath(QStringLiteral("kompenzace"));
        switch (GetParam()) {
        case kVK: ASSERT_NO_FATAL_FAILURE(OpenArchive(QStringLiteral("hala.vk"))); return;
        case kQorin:
            // A required power factor, so the statistics have a segment.
            ASSERT_NO_FATAL_FAILURE(WriteArchive<CQorinArchivData>(
                clock, base, CQorinArchivData::Extension(),
                [](CQorinArchivData& writer) {
                    CConfig config;
                    config.ctRatio = 20;
                    config.tarif1.t0 = 95;
                    writer.AddConfigRecord(config);
                },
                [](CQorinArchivData& writer, int n) {
                    CQorinAktData values;
                    values.model = 3;
                    values.ctWord = 0x8000 | 20;
                    values.current = WORD(4000 + n);
                    values.cosPhi = 93;
                    values.state = 0x06;
                    writer.AddMeasurementRecord(values);
                }));
            ASSERT_NO_FATAL_FAILURE(OpenArchive(QStringLiteral("kompenzace") + CQorinArchivData::Extension()));
            return;
        default:
            ASSERT_NO_FATAL_FAILURE((WriteControllerArchive<CDuskarArchivData, CDuskarAktData>(clock, base)));
            ASSERT_NO_FATAL_FAILURE(OpenArchive(QStringLiteral("kompenzace") + CDuskarArchivData::Extension()));
            return;
        }
    }

    // The mode chosen as the user chooses it: a click on the bar's tab.
    void ChooseMode(int index)
    {
        frame->MdiArea()->setActiveSubWindow(liveFrame);
        auto* tabs = liveFrame->findChild<QTabBar*>(QString::number(CGraphRangeBar::kTab));
        ASSERT_NE(tabs, nullptr);
        ASSERT_LT(index, tabs->count());
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
        QCoreApplication::processEvents();
        ASSERT_EQ(tabs->currentIndex(), index);
        ASSERT_NO_FATAL_FAILURE(Activate());
    }

    // The File menu's command as the user gives it.
    void Trigger(int command)
    {
        QAction* action = Find(command);
        ASSERT_NE(action, nullptr);
        action->trigger();
        QCoreApplication::processEvents();
    }
};

TEST_P(ArchivePrintTest, FileMenuPrintsWhatTheModeShows)
{
    PDFCHECK_REQUIRE_TOOLS();
    ASSERT_NO_FATAL_FAILURE(OpenKind());
    // The Duskar window has no statistics.
    for (const pdfcheck::ModePrint& mode : pdfcheck::ArchiveModePrints(GetParam() != kDuskar)) {
        SCOPED_TRACE(mode.mode);
        ASSERT_NO_FATAL_FAILURE(ChooseMode(mode.mode));
        // The page header names the archive window printed, not the main
        // window it sits in.
        const QString archiveTitle = frame->ActiveChildFrame()->windowTitle();
        const QString mainTitle = frame->windowTitle();
        ASSERT_FALSE(archiveTitle.isEmpty());
        for (const QString& text : {pdfcheck::PrintedText([this] { Trigger(ui::kCmdFilePrint); }),
                                    pdfcheck::PreviewedText([this] { Trigger(ui::kCmdFilePrintPreview); })}) {
            pdfcheck::ExpectModePrinted(text, mode);
            EXPECT_TRUE(text.contains(archiveTitle)) << archiveTitle.toStdString();
            if (!archiveTitle.contains(mainTitle)) {
                EXPECT_FALSE(text.contains(mainTitle)) << mainTitle.toStdString();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ArchivePrintTest, testing::Values(0, 1, 2),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0 ? "VK" : info.param == 1 ? "Qorin" : "Duskar");
                         });

// A downloaded profile: its graph's zooms and grid from the view's menu,
// the graph bar and the graph's own context menu, the settings stored in
// the file from the window's menu, and printing.
TEST_F(LiveWindowReachTest, Profile)
{
    profilefixture::Write(dir.filePath(QStringLiteral("hala_MP_Y09D0305.pro")),
                          charts::StoreProfileFile(profilefixture::VKDay(QStringLiteral("hala")), 24));
    ASSERT_TRUE(app->OpenArchiveFile(dir.filePath(QStringLiteral("hala_MP_Y09D0305.pro"))));
    QCoreApplication::processEvents();
    liveFrame = frame->ActiveChildFrame();
    ASSERT_NE(liveFrame, nullptr);
    ASSERT_EQ(frame->GetActiveDocument()->RuntimeClassName(), QStringLiteral("CProfileDoc"));
    ASSERT_NE(Graph(), nullptr);
    // The profile's cursor zooms its time axis about itself; the settings
    // stored in the file open from the window's menu.
    CheckRows(Join(ArchiveGraphRows(), {{32136, true, kSomeDialog}}));
    // The graph's own menu: its zooms reach the graph, with the grid's
    // check mark; the quantities are chosen in the panel, not here.
    frame->MdiArea()->setActiveSubWindow(liveFrame);
    QCoreApplication::processEvents();
    CGraphWnd* graph = Graph();
    const QPoint centre = graph->PlotRect().ToQRect().center();
    auto open = [&] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, centre, graph->mapToGlobal(centre));
        QApplication::sendEvent(graph, &event);
        return graph->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    };
    QPointer<QMenu> menu = open();
    ASSERT_NE(menu, nullptr);
    QAction* grid = FindInMenu(menu, CGraphWnd::kCmdGrid);
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(grid->isCheckable());
    EXPECT_EQ(grid->isChecked(), graph->Grid());
    for (int id : {int(CGraphWnd::kCmdReceivedQuantities), int(CGraphWnd::kCmdShownQuantities)}) {
        QAction* hidden = FindInMenu(menu, id);
        EXPECT_TRUE(!hidden || !hidden->isVisible()) << id;
    }
    // "Změnit vertikální lupu" / "200%": half the value range.
    QAction* zoomIn = FindInMenu(menu, CGraphWnd::kCmdVertZoom100 + 1);
    ASSERT_NE(zoomIn, nullptr);
    menu->close();
    emit menu->triggered(zoomIn);
    delete menu;
    EXPECT_EQ(graph->Y1() - graph->Y0(), 500);
}

// Shift+F1, then a click: the topic of the window clicked, the click
// itself going nowhere else; Esc leaves the mode without help.
TEST_F(LiveWindowReachTest, ContextHelpAsksForTheWindowClicked)
{
    ASSERT_NO_FATAL_FAILURE(OpenArchive(QStringLiteral("hala.vk")));
    ASSERT_NO_FATAL_FAILURE(Activate());
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    QTest::keyClick(frame, Qt::Key_F1, Qt::ShiftModifier);
    ASSERT_TRUE(frame->InContextHelp());
    QTest::keyClick(frame, Qt::Key_Escape);
    EXPECT_FALSE(frame->InContextHelp());
    EXPECT_TRUE(boxes.Requests().empty());

    struct Case {
        QWidget* target;
        int context;
    };
    ASSERT_NE(Graph(), nullptr);
    const Case cases[] = {
        {Graph(), 0x20000 + archive->GetDocTemplate()->ResourceId()},
        {frame->InstrumentBar(), 0x20080},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(frame->HelpContextAt(c.target), c.context);
        ASSERT_NO_FATAL_FAILURE(Activate());
        QTest::keyClick(frame, Qt::Key_F1, Qt::ShiftModifier);
        ASSERT_TRUE(frame->InContextHelp());
        const int before = archive->Navigator().GetCurrentRecord();
        const std::size_t asked = boxes.Requests().size();
        QTest::mouseClick(c.target, Qt::LeftButton, {}, c.target->rect().center());
        EXPECT_FALSE(frame->InContextHelp());
        // The help was asked for: the test machine has none installed.
        ASSERT_EQ(boxes.Requests().size(), asked + 1);
        EXPECT_TRUE(boxes.Requests().back().text.startsWith(QStringLiteral("Nápověda není nainstalována")));
        // The graph's cursor stayed where it was.
        EXPECT_EQ(archive->Navigator().GetCurrentRecord(), before);
    }
}

// Help asks for the topic of where the user is: the main window's from the
// menu with no window open, the active window's from the menu and from F1,
// a dialog's from F1 inside it.
TEST_F(LiveWindowReachTest, HelpAsksForTheTopicOfTheWindowOrDialog)
{
    std::vector<ui::HelpRequest> requests;
    const ui::HelpRecorder previous =
        ui::SetHelpRecorder([&requests](const ui::HelpRequest& request) { requests.push_back(request); });
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    auto topic = [&requests]() -> int {
        if (requests.size() != 1)
            return -int(requests.size());
        EXPECT_EQ(requests.back().command, ui::HH_HELP_CONTEXT);
        EXPECT_TRUE(requests.back().file.endsWith(QStringLiteral("qorin01.chm")));
        const int asked = int(requests.back().data);
        requests.clear();
        return asked;
    };
    auto fromMenu = [&] {
        ASSERT_NO_FATAL_FAILURE(Activate());
        QAction* help = Find(57670);
        ASSERT_NE(help, nullptr);
        help->trigger();
        QCoreApplication::processEvents();
    };
    // F1 pressed in the dialog the command opens.
    auto inDialog = [&](int command) {
        ASSERT_NO_FATAL_FAILURE(Activate());
        QAction* action = Find(command);
        ASSERT_NE(action, nullptr);
        bool shown = false;
        QTimer::singleShot(0, [&shown] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            shown = true;
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && focus->window() == modal ? focus : modal, Qt::Key_F1);
            qobject_cast<QDialog*>(modal)->reject();
        });
        action->trigger();
        QCoreApplication::processEvents();
        ASSERT_TRUE(shown);
    };

    ASSERT_NO_FATAL_FAILURE(fromMenu());
    EXPECT_EQ(topic(), 101);
    // The instrument list has a topic of its own; the general settings
    // share theirs among their pages.
    ASSERT_NO_FATAL_FAILURE(inDialog(32135));
    EXPECT_EQ(topic(), 103);
    ASSERT_NO_FATAL_FAILURE(inDialog(32201));
    EXPECT_EQ(topic(), 118);

    ASSERT_NO_FATAL_FAILURE((WriteControllerArchive<CQorinArchivData, CQorinAktData>(
        clock, dir.filePath(QStringLiteral("kompenzace")))));
    ASSERT_NO_FATAL_FAILURE(OpenArchive(QStringLiteral("kompenzace") + CQorinArchivData::Extension()));
    ASSERT_NO_FATAL_FAILURE(fromMenu());
    EXPECT_EQ(topic(), 113);
    ASSERT_NO_FATAL_FAILURE(Activate());
    QTest::keyClick(frame, Qt::Key_F1);
    QCoreApplication::processEvents();
    EXPECT_EQ(topic(), 113);
    ui::SetHelpRecorder(previous);
}

class MeterWindowReachTest : public LiveWindowReachTest {
protected:
    bool MeterData() const override { return true; }
};

// The meter data of a VK archive open from the archive window's command in
// a window of their own, which has no commands of its own.
TEST_F(MeterWindowReachTest, OpensFromTheArchiveAndOffersNoCommands)
{
    ASSERT_NO_FATAL_FAILURE(OpenArchive(QStringLiteral("hala.vk")));
    CheckRows({
        {32225, true,
         [this](const Effects& e) {
             EXPECT_EQ(e.activeDocument, QStringLiteral("CBexorArchivDoc")) << e.Describe().toStdString();
             liveFrame = frame->ActiveChildFrame();
         }},
    });
    ASSERT_NE(liveFrame, nullptr);
    ASSERT_EQ(frame->GetActiveDocument()->RuntimeClassName(), QStringLiteral("CBexorArchivDoc"));
    // The rows left: none, so any command the meter window offered fails.
    CheckRows({});
    EXPECT_EQ(Find(32136), nullptr);
}

class ControllerWindowReachTest : public LiveWindowReachTest, public testing::WithParamInterface<int> {};

TEST_P(ControllerWindowReachTest, Live)
{
    ASSERT_NO_FATAL_FAILURE(OpenLive(GetParam()));
    // A live graph runs up to now: its time axis stays whole.
    CheckRows(Join(Join(GraphBarAndPrintRows(), PercentZoomRows(false)),
                   {
                       {32180, true, kWholeGraph},
                       {32235, true, nullptr, true},
                       // Nothing measured yet: no quantities to choose.
                       {32181, true, nullptr},
                       {32138, true, nullptr, true},
                       {32139, true, nullptr, true},
                       {32140, true, nullptr, true},
                       {32179, true, nullptr, true},
                       {32141, true, Window("Hala")},
                       {32136, true, Box("Nastavení nelze zobrazit")},
                       {32211, true, Box("Přístroj neodpovídá")},
                       {32212, true, Box("Přístroj neodpovídá")},
                       {32232, false, nullptr},
                       {32236, true, Box("Požadovaný soubor nenalezen.")},
                       {32227, true, ChoosesHala()},
                       {40029, true, Box(kPortMissing)},
                       {32137, true, nullptr},
                   }));
    CheckMeasurementBar(LiveBarRows(32227));
    CheckHideKey(32137);
}

INSTANTIATE_TEST_SUITE_P(Families, ControllerWindowReachTest, testing::Values(CPristroj::kQorin, CPristroj::kDuskar));

// The titles of the modal dialogs `act` brought up, each closed at once.
QStringList ModalsDuring(const std::function<void()>& act)
{
    QStringList modals;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&modals] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            modals << modal->windowTitle();
            modal->reject();
        }
    });
    closer.start();
    act();
    QCoreApplication::processEvents();
    return modals;
}

// A live window's keys and buttons work from the moment it opens, before
// its menu was ever opened: the window learns its instrument only after it
// was shown and activated.
struct FreshWindowKeys {
    int type;
    const char* hide;
    const char* panel; // the floating panel's key, null where there is none
};

class FreshLiveWindowTest : public LiveWindowReachTest, public testing::WithParamInterface<FreshWindowKeys> {
protected:
    // Presses `key` on the main window as the user would; the titles of the
    // modal dialogs it brought up (each closed at once) and of the windows
    // that appeared.
    std::pair<QStringList, QStringList> Press(const char* key)
    {
        QStringList windows;
        std::set<QWidget*> before;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                before.insert(w);
        const QStringList modals =
            ModalsDuring([this, key] { QTest::keySequence(frame, QKeySequence(QString::fromLatin1(key))); });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !before.count(w) && !qobject_cast<QMenu*>(w))
                windows << w->windowTitle();
        return {modals, windows};
    }
};

TEST_P(FreshLiveWindowTest, KeysAndBarWorkBeforeTheMenuWasOpened)
{
    const FreshWindowKeys keys = GetParam();
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
    ASSERT_NO_FATAL_FAILURE(OpenLive(keys.type));
    ASSERT_NO_FATAL_FAILURE(Activate());
    bool settingsButton = false;
    for (QAction* action : frame->MeasurementBar()->actions())
        settingsButton = settingsButton || (action->data().typeId() == QMetaType::Int && action->data().toInt() == 32136);
    EXPECT_TRUE(settingsButton) << "the instrument's buttons are missing from the bar";
    QPointer<ui::CDocument> document = frame->GetActiveDocument();
    if (keys.panel) {
        const auto [modals, windows] = Press(keys.panel);
        EXPECT_TRUE(modals.isEmpty()) << modals.join(QLatin1Char(',')).toStdString();
        EXPECT_TRUE(windows.filter(QStringLiteral("Hala")).size() == 1) << windows.join(QLatin1Char(',')).toStdString();
        ASSERT_NO_FATAL_FAILURE(Activate());
    }
    const auto [modals, windows] = Press(keys.hide);
    EXPECT_TRUE(modals.isEmpty()) << modals.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(!document || document->IsClosing());
}

// The graph pane's own menu offers the shown quantities before any data
// came; with nothing to load the command shows nothing.
class FreshAnalyserGraphTest : public LiveWindowReachTest, public testing::WithParamInterface<int> {};

TEST_P(FreshAnalyserGraphTest, TheGraphPaneOffersTheShownQuantitiesBeforeAnyData)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
    ASSERT_NO_FATAL_FAILURE(OpenLive(GetParam()));
    CGraphWnd* graph = Graph();
    ASSERT_NE(graph, nullptr);
    const QPoint centre = graph->PlotRect().ToQRect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, centre, graph->mapToGlobal(centre));
    QApplication::sendEvent(graph, &event);
    QPointer<QMenu> menu = graph->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(menu, nullptr);
    QAction* item = FindInMenu(menu, CGraphWnd::kCmdShownQuantities);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isVisible());
    EXPECT_TRUE(item->isEnabled());
    menu->close();
    const QStringList modals = ModalsDuring([&] { emit menu->triggered(item); });
    delete menu;
    EXPECT_TRUE(modals.isEmpty()) << modals.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(boxes.Requests().empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, FreshLiveWindowTest,
                         testing::Values(FreshWindowKeys{CPristroj::kVK, "Ctrl+Z", "Ctrl+N"},
                                         FreshWindowKeys{CPristroj::kVKR, "Ctrl+Z", "Ctrl+N"},
                                         FreshWindowKeys{CPristroj::kVKT, "Ctrl+S", "Ctrl+N"},
                                         FreshWindowKeys{CPristroj::kQorin, "Ctrl+Z", nullptr},
                                         FreshWindowKeys{CPristroj::kDuskar, "Ctrl+Z", nullptr}));

INSTANTIATE_TEST_SUITE_P(Analysers, FreshAnalyserGraphTest,
                         testing::Values(CPristroj::kVK, CPristroj::kVKR, CPristroj::kVKT));

} // namespace
