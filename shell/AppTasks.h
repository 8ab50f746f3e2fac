#pragma once

#include "link/DownloadTasks.h"
#include "platform/Settings.h"

#include <QString>

// What the application does with the download task list besides the
// scheduled downloads: loading it at start-up, making a new task, dropping
// the tasks of a deleted instrument and asking whether a download runs.

// Loads the list; the next index stays above every stored task's index, so
// that a stale "lastIndex" never hands out an index (and key) already taken.
void LoadTaskList(CTaskList& tasks, const platform::Settings& settings);

// A new task with the next index and `now` as its last run.
CTask* AddTask(CTaskList& tasks, CTime now);

// Removes every task of the instrument and, when one went, saves the list.
void RemoveInstrumentTasks(CTaskList& tasks, const QString& instrument, platform::Settings& settings);

// The tasks of the instrument renamed from `from` name it `to`; when one
// did, the list is saved.
void RenameInstrumentTasks(CTaskList& tasks, const QString& from, const QString& to, platform::Settings& settings);

bool IsAnyTaskRunning(CTaskList& tasks);
