#pragma once

#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/Time32.h"

#include <QString>

#include <memory>
#include <mutex>
#include <vector>

// One scheduled download: which instrument, how often, when it last ran.
class CTask {
public:
    // Seconds of the interval codes 0 to 4 (8 h, 12 h, 1 day, 2 days, 1 week).
    static int IntervalSeconds(int code);
    // The base time of a synchronised task: the grid time of the synch time
    // of day (and weekday) one interval before its next run.
    static CTime NextDue(CTime lastRun, int interval, CTime synchTime, int synchDay);

    int m_index = -1;
    BOOL m_active = 0;
    QString m_pristroj;
    QString m_nazev;
    CTime m_lastTime;
    int m_interval = 2;
    BOOL m_synch = 0;
    QString m_soubor;
    CTime m_synchTime;
    int m_synchDay = 0;
    int m_typ = 0;
    int m_failures = 0;
    BOOL m_error = 0;
    BOOL m_runNow = 0;
    BOOL m_running = 0;
    int m_penInterval = 0;
};

// The application's download tasks and the state of the one download in
// progress. Lock order: outer lock, then list lock; the second lock guards
// a task's last-download time against the downloaded-file processing.
class CTaskList {
public:
    static constexpr int kRetryLimit = 6;

    // The tasks under "tasks"; a key without a valid index is skipped.
    void Load(const platform::Settings& settings);
    void Save(platform::Settings& settings) const;

    CTask* Add();
    void Remove(int index);
    void RunNow(int index);
    // The task of that index, or null (the caller holds the list lock).
    CTask* Find(int index);

    // -1 to run at once, 0 when not due, else the seconds it is overdue.
    int DueSeconds(const CTask& task, CTime now);
    void CountFailure(CTask& task);
    // False at the limit: the count restarts and the task is marked failed.
    bool CheckRetryLimit(CTask& task, int limit);
    void ResetFailures(CTask& task);

    std::recursive_mutex& OuterLock() { return m_outer; }
    std::recursive_mutex& ListLock() { return m_list; }
    std::recursive_mutex& SecondLock() { return m_second; }

    // Set by the application for the download in progress, freed by it
    // after the hand-over (outer lock).
    std::unique_ptr<CPristroj> m_downloadCopy;
    QString m_tempName;
    // The time of the first record in the file: a download that skipped the
    // records of earlier runs starts there, not at the ring's oldest record.
    // Invalid: at the oldest record of the status in the file.
    CTime m_downloadFrom{CTime::kInvalid};
    // Set by the application when the hand-over ended with the records in
    // the archive; a failed import leaves the task's last download as it was.
    bool m_downloadImported = false;
    // Guarded by the list lock.
    std::vector<std::unique_ptr<CTask>> m_tasks;
    int m_nextIndex = 0;

private:
    mutable std::recursive_mutex m_outer;
    mutable std::recursive_mutex m_list;
    mutable std::recursive_mutex m_second;
};
