#include "link/DownloadTasks.h"

#include <QDate>

#include <algorithm>

namespace {

const QString kTasks = QStringLiteral("tasks");
const QString kTaskPrefix = QStringLiteral("T");

platform::SettingsSection TaskSection(int index)
{
    return platform::SettingsSection({kTasks, kTaskPrefix + QString::number(index)});
}

} // namespace

int CTask::IntervalSeconds(int code)
{
    static constexpr int kSeconds[] = {28800, 43200, 86400, 172800, 604800};
    return kSeconds[std::clamp(code, 0, 4)];
}

CTime CTask::NextDue(CTime lastRun, int interval, CTime synchTime, int synchDay)
{
    int daysBack = 1;
    if (interval == 3) {
        daysBack = lastRun.GetDay() % 2 != 0 ? 2 : 1;
    } else if (interval == 4) {
        const int weekday = (lastRun.GetDayOfWeek() + 5) % 7; // Monday 0
        daysBack = weekday - synchDay + 14;
    }
    // Days step in local time, so that a summer-time change keeps the hour.
    const QDate day = QDate(lastRun.GetYear(), lastRun.GetMonth(), lastRun.GetDay()).addDays(-daysBack);
    const CTime start(day.year(), day.month(), day.day(), synchTime.GetHour(), synchTime.GetMinute(), 0);
    if (!lastRun.IsValid() || !start.IsValid())
        return lastRun;
    const std::int64_t period = IntervalSeconds(interval);
    std::int64_t t = start.GetTime();
    while (t + period < std::int64_t(lastRun.GetTime()))
        t += period;
    return CTime(CTime::time_type(t));
}

void CTaskList::Load(const platform::Settings& settings)
{
    std::lock_guard outer(m_outer);
    std::lock_guard list(m_list);
    m_nextIndex = settings.GetProfileInt({kTasks, QStringLiteral("nastaveni")}, QStringLiteral("lastIndex"), 0);
    m_tasks.clear();
    for (const QString& key : settings.SubSections(kTasks)) {
        if (!key.startsWith(kTaskPrefix))
            continue;
        const platform::SettingsSection section({kTasks, key});
        auto task = std::make_unique<CTask>();
        task->m_index = settings.GetProfileInt(section, QStringLiteral("index"), -1);
        if (task->m_index == -1)
            continue;
        task->m_active = settings.GetProfileInt(section, QStringLiteral("isAktiv"), 0);
        task->m_pristroj = settings.GetProfileString(section, QStringLiteral("pristroj"));
        task->m_nazev = settings.GetProfileString(section, QStringLiteral("nazev"));
        task->m_lastTime = CTime::time_type(settings.GetProfileInt(section, QStringLiteral("lastTime"), 0));
        task->m_interval = settings.GetProfileInt(section, QStringLiteral("interval"), 2);
        task->m_synch = settings.GetProfileInt(section, QStringLiteral("isSynch"), 0);
        task->m_soubor = settings.GetProfileString(section, QStringLiteral("soubor"));
        task->m_synchTime = CTime::time_type(settings.GetProfileInt(section, QStringLiteral("synchTime"), 0));
        task->m_synchDay = settings.GetProfileInt(section, QStringLiteral("synchDay"), 0);
        task->m_typ = settings.GetProfileInt(section, QStringLiteral("typ"), 0);
        task->m_error = settings.GetProfileInt(section, QStringLiteral("isChyba"), 0);
        task->m_penInterval = settings.GetProfileInt(section, QStringLiteral("penInterval"), 0);
        m_tasks.push_back(std::move(task));
    }
}

void CTaskList::Save(platform::Settings& settings) const
{
    std::lock_guard outer(m_outer);
    std::lock_guard list(m_list);
    for (const QString& key : settings.SubSections(kTasks)) {
        if (key.startsWith(kTaskPrefix))
            settings.DeleteSection({kTasks, key});
    }
    settings.WriteProfileInt({kTasks, QStringLiteral("nastaveni")}, QStringLiteral("lastIndex"), m_nextIndex);
    for (const auto& task : m_tasks) {
        const platform::SettingsSection section = TaskSection(task->m_index);
        settings.WriteProfileInt(section, QStringLiteral("index"), task->m_index);
        settings.WriteProfileInt(section, QStringLiteral("isAktiv"), task->m_active);
        settings.WriteProfileString(section, QStringLiteral("pristroj"), task->m_pristroj);
        settings.WriteProfileString(section, QStringLiteral("nazev"), task->m_nazev);
        settings.WriteProfileInt(section, QStringLiteral("lastTime"), int(task->m_lastTime.GetTime()));
        settings.WriteProfileInt(section, QStringLiteral("interval"), task->m_interval);
        settings.WriteProfileInt(section, QStringLiteral("isSynch"), task->m_synch);
        settings.WriteProfileInt(section, QStringLiteral("synchTime"), int(task->m_synchTime.GetTime()));
        settings.WriteProfileInt(section, QStringLiteral("synchDay"), task->m_synchDay);
        settings.WriteProfileInt(section, QStringLiteral("typ"), task->m_typ);
        settings.WriteProfileString(section, QStringLiteral("soubor"), task->m_soubor);
        settings.WriteProfileInt(section, QStringLiteral("penInterval"), task->m_penInterval);
        settings.WriteProfileInt(section, QStringLiteral("isChyba"), task->m_error);
    }
}

CTask* CTaskList::Add()
{
    std::lock_guard list(m_list);
    auto task = std::make_unique<CTask>();
    task->m_index = m_nextIndex++;
    m_tasks.push_back(std::move(task));
    return m_tasks.back().get();
}

void CTaskList::Remove(int index)
{
    std::lock_guard list(m_list);
    std::erase_if(m_tasks, [index](const auto& task) { return task->m_index == index; });
}

void CTaskList::RunNow(int index)
{
    std::lock_guard list(m_list);
    if (CTask* task = Find(index)) {
        task->m_error = 0;
        task->m_failures = 0;
        task->m_runNow = 1;
    }
}

CTask* CTaskList::Find(int index)
{
    for (const auto& task : m_tasks) {
        if (task->m_index == index)
            return task.get();
    }
    return nullptr;
}

int CTaskList::DueSeconds(const CTask& task, CTime now)
{
    std::lock_guard list(m_list);
    if (task.m_runNow)
        return -1;
    if (!task.m_active)
        return 0;
    std::int64_t base = task.m_synch
        ? CTask::NextDue(task.m_lastTime, task.m_interval, task.m_synchTime, task.m_synchDay).GetTime()
        : task.m_lastTime.GetTime();
    base += task.m_penInterval;
    const std::int64_t overdue = std::int64_t(now.GetTime()) - CTask::IntervalSeconds(task.m_interval) - base;
    return overdue > 0 ? int(std::min<std::int64_t>(overdue, 0x7FFFFFFF)) : 0;
}

void CTaskList::CountFailure(CTask& task)
{
    std::lock_guard list(m_list);
    ++task.m_failures;
}

bool CTaskList::CheckRetryLimit(CTask& task, int limit)
{
    std::lock_guard list(m_list);
    if (task.m_failures < limit)
        return true;
    task.m_failures = 0;
    task.m_error = 1;
    return false;
}

void CTaskList::ResetFailures(CTask& task)
{
    std::lock_guard list(m_list);
    task.m_failures = 0;
}
