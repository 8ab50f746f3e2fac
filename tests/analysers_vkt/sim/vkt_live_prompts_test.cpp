// The prompts of a live window's commands reach the main frame's status bar
// wherever the user points at a command: the window's menu in the menu bar,
// its buttons on the tool bars, and its context menu.
#include "shell/SettingsRouteSupport.h"

#include "analysers_vkt/VKTAktMer.h"
#include "platform/ui/ChildFrame.h"
#include "shell/MainFrame.h"

#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <gtest/gtest.h>

namespace {

struct PromptRow {
    int id;
    const char* prompt; // empty: the command has none
};

const PromptRow kPromptRows[] = {
    {32136, "Konfigurace základních údajů přístroje"},
    {40029, "Zobrazí informace o připojeném přístroji"},
    {32232, "Otevření souboru do něhož jsou právě ukládána data."},
    {32236, "Otevření předchozího datového souboru."},
    // The graph bar's, from the window's graph.
    {32191, "Zvětší vertikální  lupu"},
    {32197, "Přepnutí do/z režimu grafického výběru lupy"},
    // The table's text under this id is a message, not a prompt.
    {40006, ""},
};

bool IsCommand(const QAction* action, int id)
{
    return action->data().typeId() == QMetaType::Int && action->data().toInt() == id;
}

void Collect(QMenu* menu, int id, std::vector<QAction*>& found)
{
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu())
            Collect(sub, id, found);
        else if (IsCommand(action, id))
            found.push_back(action);
    }
}

// Down arrows until the item of command `id` is the menu's active one, as
// the keyboard walks a menu; false when the menu has none.
bool WalkTo(QMenu* menu, int id)
{
    for (int step = 0; step < 60; ++step) {
        if (menu->activeAction() && IsCommand(menu->activeAction(), id))
            return true;
        QTest::keyClick(menu, Qt::Key_Down);
    }
    return false;
}

class VKTLivePrompts : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = program.app->MainFrame();
        ASSERT_NE(frame, nullptr);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
        view = analysers_vkt::OpenVKTLive(program.app->DocManager(), *program.entry);
        ASSERT_NE(view, nullptr);
        frame->MdiArea()->setActiveSubWindow(view->GetParentFrame());
        QCoreApplication::processEvents();
        frame->UpdateCommandUI();
    }
    void TearDown() override
    {
        if (view)
            view->GetDocument()->OnCloseDocument();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Every action of command `id` in the menu bar (its menus opened as the
    // user opens them) and on the tool bars.
    std::vector<QAction*> ActionsOf(int id)
    {
        std::vector<QAction*> found;
        for (QAction* top : frame->menuBar()->actions())
            if (QMenu* menu = top->menu()) {
                emit menu->aboutToShow();
                Collect(menu, id, found);
            }
        for (QToolBar* bar : {frame->MeasurementBar(), frame->GraphBar()})
            for (QAction* action : bar->actions())
                if (IsCommand(action, id))
                    found.push_back(action);
        return found;
    }

    routetest::ProgramWithInstrument program{sim::Instrument(sim::Family::VKT, 1), CPristroj::kVKT};
    CMainFrame* frame = nullptr;
    ui::CView* view = nullptr;
};

TEST_F(VKTLivePrompts, EveryPlaceOfACommandCarriesItsPrompt)
{
    for (const PromptRow& row : kPromptRows) {
        SCOPED_TRACE(row.id);
        const std::vector<QAction*> actions = ActionsOf(row.id);
        EXPECT_FALSE(actions.empty());
        for (QAction* action : actions)
            EXPECT_EQ(action->statusTip(), QString::fromUtf8(row.prompt)) << action->text().toStdString();
    }
    // The settings command is both in the window's menu and a button.
    EXPECT_GE(ActionsOf(32136).size(), 2u);
}

TEST_F(VKTLivePrompts, TheStatusBarShowsThePromptOfWhatThePointerOrTheKeysRestOn)
{
    const QString settings = QStringLiteral("Konfigurace základních údajů přístroje");
    const QString info = QStringLiteral("Zobrazí informace o připojeném přístroji");
    QStatusBar* status = frame->statusBar();

    // The button on the "Vybraný přístroj" bar.
    QToolBar* bar = frame->MeasurementBar();
    // Whether the user keeps the bar shown is a choice of theirs.
    bar->setVisible(true);
    QAction* button = nullptr;
    for (QAction* action : bar->actions())
        if (IsCommand(action, 32136))
            button = action;
    ASSERT_NE(button, nullptr);
    QWidget* buttonWidget = bar->widgetForAction(button);
    ASSERT_NE(buttonWidget, nullptr);
    status->clearMessage();
    QTest::mouseMove(frame->MdiArea(), frame->MdiArea()->rect().center());
    QTest::mouseMove(buttonWidget, buttonWidget->rect().center());
    EXPECT_EQ(status->currentMessage(), settings);

    // The window's menu, opened from the menu bar.
    QAction* title = nullptr;
    for (QAction* top : frame->menuBar()->actions()) {
        std::vector<QAction*> found;
        if (top->menu()) {
            emit top->menu()->aboutToShow();
            Collect(top->menu(), 40029, found);
        }
        if (!found.empty())
            title = top;
    }
    ASSERT_NE(title, nullptr);
    status->clearMessage();
    QTest::mouseClick(frame->menuBar(), Qt::LeftButton, {}, frame->menuBar()->actionGeometry(title).center());
    QMenu* menu = title->menu();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_TRUE(WalkTo(menu, 40029));
    EXPECT_EQ(status->currentMessage(), info);
    menu->close();

    // The window's context menu.
    status->clearMessage();
    QString shown;
    bool reached = false;
    QTimer walk;
    walk.setSingleShot(true);
    QObject::connect(&walk, &QTimer::timeout, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!popup)
            return;
        reached = WalkTo(popup, 40029);
        shown = status->currentMessage();
        popup->close();
    });
    walk.start(0);
    const QPoint at = view->rect().center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &click);
    EXPECT_TRUE(reached);
    EXPECT_EQ(shown, info);
}

} // namespace
