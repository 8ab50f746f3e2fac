#include "shell/AppTasks.h"

#include <algorithm>
#include <mutex>

void LoadTaskList(CTaskList& tasks, const platform::Settings& settings)
{
    std::lock_guard outer(tasks.OuterLock());
    std::lock_guard list(tasks.ListLock());
    tasks.Load(settings);
    for (const auto& task : tasks.m_tasks)
        tasks.m_nextIndex = std::max(tasks.m_nextIndex, task->m_index + 1);
}

CTask* AddTask(CTaskList& tasks, CTime now)
{
    std::lock_guard list(tasks.ListLock());
    CTask* task = tasks.Add();
    task->m_lastTime = now;
    return task;
}

void RemoveInstrumentTasks(CTaskList& tasks, const QString& instrument, platform::Settings& settings)
{
    std::lock_guard outer(tasks.OuterLock());
    std::lock_guard list(tasks.ListLock());
    // Every task of the instrument goes: one left behind would keep failing
    // on an instrument that no longer exists.
    const auto removed =
        std::erase_if(tasks.m_tasks, [&instrument](const auto& task) { return task->m_pristroj == instrument; });
    if (removed)
        tasks.Save(settings);
}

void RenameInstrumentTasks(CTaskList& tasks, const QString& from, const QString& to, platform::Settings& settings)
{
    std::lock_guard outer(tasks.OuterLock());
    std::lock_guard list(tasks.ListLock());
    bool renamed = false;
    for (const auto& task : tasks.m_tasks) {
        if (task->m_pristroj == from) {
            task->m_pristroj = to;
            renamed = true;
        }
    }
    if (renamed)
        tasks.Save(settings);
}

bool IsAnyTaskRunning(CTaskList& tasks)
{
    std::lock_guard outer(tasks.OuterLock());
    std::lock_guard list(tasks.ListLock());
    return std::any_of(tasks.m_tasks.begin(), tasks.m_tasks.end(),
                       [](const auto& task) { return task->m_running != 0; });
}
