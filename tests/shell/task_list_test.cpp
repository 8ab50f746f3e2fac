#include "ShellTestSupport.h"

#include "shell/AppTasks.h"

using namespace shelltest;

namespace {

platform::SettingsSection TaskKey(const QString& key)
{
    return {QStringLiteral("tasks"), key};
}

const CTime kNow(2026, 12, 1, 8, 0, 0);

class TaskListTest : public StoreTest {
protected:
    CTaskList tasks;
};

} // namespace

TEST_F(TaskListTest, TasksReadBackWithTheirIndicesAndWithoutRunState)
{
    CTask* first = AddTask(tasks, kNow);
    CTask* second = AddTask(tasks, kNow);
    EXPECT_EQ(first->m_index, 0);
    EXPECT_EQ(second->m_index, 1);
    EXPECT_EQ(first->m_lastTime, kNow);

    second->m_active = 1;
    second->m_pristroj = QStringLiteral("Rozvodna/č. 2");
    second->m_nazev = QStringLiteral("Noční stahování");
    second->m_lastTime = CTime(2026, 11, 30, 22, 15, 0);
    second->m_interval = 4;
    second->m_synch = 1;
    second->m_soubor = QStringLiteral("/data/rozvodna.vkt");
    second->m_synchTime = CTime(2026, 1, 1, 6, 30, 0);
    second->m_synchDay = 3;
    second->m_typ = 1;
    second->m_error = 1;
    second->m_penInterval = 600;
    second->m_failures = 4;
    second->m_runNow = 1;
    second->m_running = 1;
    tasks.Save(store);

    CTaskList loaded;
    LoadTaskList(loaded, store);
    ASSERT_EQ(int(loaded.m_tasks.size()), 2);
    const CTask* back = loaded.Find(1);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->m_active, 1);
    EXPECT_EQ(back->m_pristroj, second->m_pristroj);
    EXPECT_EQ(back->m_nazev, second->m_nazev);
    EXPECT_EQ(back->m_lastTime, second->m_lastTime);
    EXPECT_EQ(back->m_interval, 4);
    EXPECT_EQ(back->m_synch, 1);
    EXPECT_EQ(back->m_soubor, second->m_soubor);
    EXPECT_EQ(back->m_synchTime, second->m_synchTime);
    EXPECT_EQ(back->m_synchDay, 3);
    EXPECT_EQ(back->m_typ, 1);
    EXPECT_EQ(back->m_error, 1);
    EXPECT_EQ(back->m_penInterval, 600);
    EXPECT_EQ(back->m_failures, 0);
    EXPECT_EQ(back->m_runNow, 0);
    EXPECT_EQ(back->m_running, 0);
    EXPECT_EQ(AddTask(loaded, kNow)->m_index, 2);
}

TEST_F(TaskListTest, SaveDropsRemovedTasksAndLeavesOtherKeysAlone)
{
    store.WriteProfileInt(TaskKey(QStringLiteral("X1")), QStringLiteral("index"), 1);
    store.WriteProfileInt(TaskKey(QStringLiteral("T8")), QStringLiteral("index"), -1);
    store.WriteProfileInt(TaskKey(QStringLiteral("T9")), QStringLiteral("isAktiv"), 1); // no index
    for (int i = 0; i < 3; ++i)
        AddTask(tasks, kNow);
    tasks.Save(store);

    CTaskList loaded;
    LoadTaskList(loaded, store);
    EXPECT_EQ(int(loaded.m_tasks.size()), 3); // neither X1 nor the keys without an index
    loaded.Remove(1);
    loaded.Remove(42);
    loaded.Save(store);

    QStringList keys = store.SubSections(platform::SettingsSection(QStringLiteral("tasks")));
    keys.sort();
    EXPECT_EQ(keys, (QStringList{QStringLiteral("T0"), QStringLiteral("T2"), QStringLiteral("X1"),
                                 QStringLiteral("nastaveni")}));
    EXPECT_EQ(store.GetProfileInt(TaskKey(QStringLiteral("nastaveni")), QStringLiteral("lastIndex"), -1), 3);
}

TEST_F(TaskListTest, StaleLastIndexDoesNotReuseAStoredTasksIndex)
{
    store.WriteProfileInt(TaskKey(QStringLiteral("nastaveni")), QStringLiteral("lastIndex"), 2);
    store.WriteProfileInt(TaskKey(QStringLiteral("T5")), QStringLiteral("index"), 5);
    store.WriteProfileString(TaskKey(QStringLiteral("T5")), QStringLiteral("nazev"), QStringLiteral("stará"));
    LoadTaskList(tasks, store);

    CTask* added = AddTask(tasks, kNow);
    EXPECT_EQ(added->m_index, 6);
    added->m_nazev = QStringLiteral("nová");
    tasks.Save(store);
    EXPECT_EQ(store.GetProfileString(TaskKey(QStringLiteral("T5")), QStringLiteral("nazev")), QStringLiteral("stará"));
}

// The plain daily, two-day and weekly cases are covered with the download
// thread; these are the edges of the synchronised grid and the postponement.
// The plain daily, two-day and weekly cases are run with the download
// thread's tests; these are the edges of the grid and the postponement.
TEST_F(TaskListTest, DueSeconds)
{
    const struct {
        const char* what;
        BOOL active;
        BOOL runNow;
        BOOL synch;
        int interval;
        CTime lastRun;
        CTime synchTime;
        int synchDay;
        int postponement;
        CTime now;
        int expected;
    } cases[] = {
        {"8 hours", 1, 0, 0, 0, CTime(2026, 12, 9, 10, 0, 0), CTime(), 0, 0, CTime(2026, 12, 9, 18, 0, 5), 5},
        {"postponed an hour", 1, 0, 0, 2, CTime(2026, 12, 9, 10, 0, 0), CTime(), 0, 3600,
         CTime(2026, 12, 10, 11, 30, 0), 1800},
        {"synchronised daily, before 6:00", 1, 0, 1, 2, CTime(2026, 12, 9, 15, 0, 0), CTime(2026, 1, 1, 6, 0, 0), 0, 0,
         CTime(2026, 12, 10, 5, 59, 0), 0},
        {"synchronised 12 h", 1, 0, 1, 1, CTime(2026, 12, 9, 15, 0, 0), CTime(2026, 1, 1, 6, 0, 0), 0, 0,
         CTime(2026, 12, 9, 18, 0, 1), 1},
        {"two days from the 9th", 1, 0, 1, 3, CTime(2026, 12, 9, 15, 0, 0), CTime(2026, 1, 1, 6, 0, 0), 0, 0,
         CTime(2026, 12, 11, 6, 1, 0), 60},
        // Wednesday 9 December: not before Monday the 14th.
        {"weekly, not before Monday", 1, 0, 1, 4, CTime(2026, 12, 9, 15, 0, 0), CTime(2026, 1, 1, 6, 0, 0), 0, 0,
         CTime(2026, 12, 14, 5, 0, 0), 0},
        // Monday 7 December before the synch time: due the same morning.
        {"weekly, last run early on Monday", 1, 0, 1, 4, CTime(2026, 12, 7, 5, 0, 0), CTime(2026, 1, 1, 6, 0, 0), 0, 0,
         CTime(2026, 12, 7, 6, 0, 1), 1},
        {"weekly on Sunday", 1, 0, 1, 4, CTime(2026, 12, 9, 15, 0, 0), CTime(2026, 1, 1, 20, 0, 0), 6, 0,
         CTime(2026, 12, 13, 20, 0, 2), 2},
        {"run now while inactive", 0, 1, 0, 2, CTime(2026, 12, 9, 10, 0, 0), CTime(), 0, 0, CTime(2026, 12, 9, 10, 0, 0),
         -1},
    };
    for (const auto& c : cases) {
        CTask task;
        task.m_active = c.active;
        task.m_runNow = c.runNow;
        task.m_synch = c.synch;
        task.m_interval = c.interval;
        task.m_lastTime = c.lastRun;
        task.m_synchTime = c.synchTime;
        task.m_synchDay = c.synchDay;
        task.m_penInterval = c.postponement;
        EXPECT_EQ(tasks.DueSeconds(task, c.now), c.expected) << c.what;
    }
}

TEST_F(TaskListTest, SixFailuresSetTheErrorUntilRunNow)
{
    CTask* task = AddTask(tasks, kNow);
    int allowed = 0;
    for (int attempt = 0; attempt < 6; ++attempt) {
        tasks.CountFailure(*task);
        if (tasks.CheckRetryLimit(*task, CTaskList::kRetryLimit))
            ++allowed;
    }
    EXPECT_EQ(allowed, 5);
    EXPECT_EQ(task->m_error, 1);
    EXPECT_EQ(task->m_failures, 0);

    tasks.CountFailure(*task);
    tasks.ResetFailures(*task);
    EXPECT_EQ(task->m_failures, 0);

    tasks.RunNow(task->m_index);
    EXPECT_EQ(task->m_error, 0);
    EXPECT_EQ(task->m_runNow, 1);
}

TEST_F(TaskListTest, DeletedInstrumentTakesAllItsTasksWithIt)
{
    for (const char* instrument : {"hala", "kotelna", "hala"})
        AddTask(tasks, kNow)->m_pristroj = QString::fromUtf8(instrument);
    tasks.Save(store);

    RemoveInstrumentTasks(tasks, QStringLiteral("hala"), store);
    ASSERT_EQ(int(tasks.m_tasks.size()), 1);
    EXPECT_EQ(tasks.m_tasks.front()->m_pristroj, QStringLiteral("kotelna"));

    CTaskList loaded;
    LoadTaskList(loaded, store);
    ASSERT_EQ(int(loaded.m_tasks.size()), 1);
    EXPECT_NE(loaded.Find(1), nullptr);
}

TEST_F(TaskListTest, RunningFlagOfAnyTask)
{
    AddTask(tasks, kNow);
    CTask* second = AddTask(tasks, kNow);
    EXPECT_FALSE(IsAnyTaskRunning(tasks));
    second->m_running = 1;
    EXPECT_TRUE(IsAnyTaskRunning(tasks));
}
