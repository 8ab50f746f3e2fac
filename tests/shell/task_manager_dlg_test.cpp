#include "DialogTestSupport.h"

#include "link/DownloadTasks.h"
#include "shell/TaskEditDlg.h"
#include "shell/TaskManagerDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>

#include <mutex>

using namespace shelltest;

namespace {

class TaskManagerDlgTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        auto e = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, DataFolder(), FALSE, CPristroj::kVK, env);
        e->m_nazev = QStringLiteral("Meter");
        instruments.push_back(std::move(e));
        std::lock_guard list(tasks.ListLock());
        for (const char* name : {"One", "Two", "Three"}) {
            CTask* task = tasks.Add();
            task->m_nazev = QString::fromLatin1(name);
            task->m_pristroj = QStringLiteral("Meter");
            task->m_active = 1;
        }
    }

    CDeviceRegistry::InstrumentList instruments;
    CTaskList tasks;
    CTaskManagerDlg dlg{families, store};
};

} // namespace

TEST(TaskListCtrlText, IntervalColumn)
{
    CTask task;
    task.m_active = 1;
    task.m_interval = 4;
    task.m_synch = 1;
    task.m_synchTime = CTime(2026, 3, 2, 6, 30, 0);
    task.m_synchDay = 4;
    EXPECT_EQ(CTaskListCtrl::IntervalText(task), QStringLiteral("1 týden (06:30:00, Pá)"));
    task.m_interval = 0;
    EXPECT_EQ(CTaskListCtrl::IntervalText(task), QStringLiteral("8 hodin (06:30:00)"));
    task.m_synch = 0;
    EXPECT_EQ(CTaskListCtrl::IntervalText(task), QStringLiteral("8 hodin"));
    task.m_active = 0;
    EXPECT_EQ(CTaskListCtrl::IntervalText(task), QStringLiteral("vypnuto"));
}

TEST_F(TaskManagerDlgTest, RunMarkedSchedulesTheMarkedTasksAndCountsThem)
{
    dlg.SetContext(&instruments, &tasks);
    ASSERT_EQ(dlg.List()->rowCount(), 3);
    EXPECT_FALSE(dlg.Button(CTaskManagerDlg::IdRunMarked)->isEnabled());
    dlg.OnListClick(0, 0);
    dlg.OnListClick(2, 0);
    dlg.OnListClick(1, 1); // selects only
    EXPECT_TRUE(dlg.IsMarked(0));
    EXPECT_FALSE(dlg.IsMarked(1));
    EXPECT_TRUE(dlg.Button(CTaskManagerDlg::IdRunMarked)->isEnabled());

    ui::ScriptedMessageBoxes boxes;
    dlg.OnRunMarked();
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Bylo naplánováno spuštění 2 úloh."));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("INFO"));
    EXPECT_TRUE(tasks.m_tasks[0]->m_runNow);
    EXPECT_FALSE(tasks.m_tasks[1]->m_runNow);
    EXPECT_TRUE(tasks.m_tasks[2]->m_runNow);
    EXPECT_FALSE(dlg.IsMarked(0));
    EXPECT_FALSE(dlg.Button(CTaskManagerDlg::IdRunMarked)->isEnabled());
}

TEST_F(TaskManagerDlgTest, DeleteAsksNothingButNeedsASelection)
{
    dlg.SetContext(&instruments, &tasks);
    ui::ScriptedMessageBoxes boxes;
    dlg.OnDelete();
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("V seznamu není označena žádná položka"));

    dlg.OnListClick(2, 0);
    dlg.OnListClick(1, 0);
    dlg.OnDelete();
    EXPECT_EQ(boxes.Requests().size(), 1u);
    ASSERT_EQ(tasks.m_tasks.size(), 2u);
    EXPECT_EQ(tasks.m_tasks[1]->m_nazev, QStringLiteral("Three"));
    EXPECT_EQ(store.SubSections(QStringLiteral("tasks")).size(), 3); // with "nastaveni"
    EXPECT_EQ(dlg.List()->rowCount(), 2);
    EXPECT_TRUE(dlg.IsMarked(1)); // "Three" keeps its mark
}

TEST_F(TaskManagerDlgTest, AddRunsTheEditorSavesAndStartsTheDownloads)
{
    int started = 0;
    dlg.SetContext(&instruments, &tasks);
    dlg.SetStartDownloads([&started] { ++started; });
    dlg.SetEditorRunner([](CTaskEditDlg& editor) {
        editor.open();
        editor.Control<QLineEdit>(CTaskEditDlg::IdName)->setText(QStringLiteral("Four"));
        editor.accept();
        return editor.result() == QDialog::Accepted;
    });
    dlg.OnAdd();
    ASSERT_EQ(tasks.m_tasks.size(), 4u);
    EXPECT_EQ(dlg.List()->rowCount(), 4);
    EXPECT_EQ(dlg.List()->item(3, 1)->text(), QStringLiteral("Four"));
    EXPECT_EQ(started, 1);
    EXPECT_EQ(store.SubSections(QStringLiteral("tasks")).size(), 5); // with "nastaveni"
}

// Every header and text is shown whole in its column (a synchronised weekly
// task has the longest interval text), and the list needs no horizontal
// scroll bar.
TEST_F(TaskManagerDlgTest, ColumnsShowTheirHeadersAndTextsWhole)
{
    {
        std::lock_guard list(tasks.ListLock());
        CTask& task = *tasks.m_tasks[0];
        task.m_nazev = QStringLiteral("Týdenní stahování rozvodny");
        task.m_interval = 4;
        task.m_synch = 1;
        task.m_synchTime = CTime(2026, 3, 2, 6, 30, 0);
        task.m_synchDay = 4;
        task.m_lastTime = CTime(2026, 12, 10, 22, 48, 58);
    }
    dlg.SetContext(&instruments, &tasks);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QCoreApplication::processEvents();
    QTableWidget* list = dlg.List();
    const QFontMetrics header(list->horizontalHeader()->font());
    for (int column = 0; column < list->columnCount(); ++column) {
        const QString title = list->horizontalHeaderItem(column)->text();
        EXPECT_LE(header.horizontalAdvance(title), list->columnWidth(column)) << title.toStdString();
        for (int row = 0; row < list->rowCount(); ++row) {
            const QString text = list->item(row, column)->text();
            EXPECT_LE(list->fontMetrics().horizontalAdvance(text), list->columnWidth(column)) << text.toStdString();
        }
    }
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
}
