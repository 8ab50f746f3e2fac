#pragma once

#include "shell/DeviceRegistry.h"

#include <QDialog>
#include <QTableWidget>

#include <functional>
#include <vector>

class CTask;
class CTaskEditDlg;
class CTaskList;
class QPushButton;

// The task list of the task manager: a mark, name, instrument, interval and
// last download per task.
class CTaskListCtrl : public QTableWidget {
    Q_OBJECT
public:
    explicit CTaskListCtrl(QWidget* parent = nullptr);
    void CreateColumns();
    // Sizes the columns to their headers and texts and the list to them.
    void FitColumns();
    void InsertTask(int row, const CTask& task, bool marked);

    // "Interval stahování" of the task.
    static QString IntervalText(const CTask& task);
};

// Lists the download tasks and lets the user add, edit, delete and start
// them.
class CFamilyList;

class CTaskManagerDlg : public QDialog {
    Q_OBJECT
public:
    enum ControlId { IdList = 1392, IdAdd = 1382, IdEdit = 1384, IdDelete = 1383, IdRunMarked = 1386, IdEnd = 2 };

    // Runs the editor; true on OK. The default runs it modally.
    using EditorRunner = std::function<bool(CTaskEditDlg& editor)>;

    // `families` decide which instruments can have tasks.
    CTaskManagerDlg(const CFamilyList& families, platform::Settings& settings, QWidget* parent = nullptr);

    void SetContext(CDeviceRegistry::InstrumentList* instruments, CTaskList* tasks);
    // Starts the download thread when none runs (after a task was added).
    void SetStartDownloads(std::function<void()> start) { m_startDownloads = std::move(start); }
    void SetEditorRunner(EditorRunner runner) { m_runEditor = std::move(runner); }

    CTaskListCtrl* List() const { return m_list; }
    QPushButton* Button(int id) const;
    bool IsMarked(int row) const;

    void Refresh();
    void UpdateButtons();
    void OnListClick(int row, int column);
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnRunMarked();

private:
    CTask* TaskAt(int row) const;
    void Save();

    const CFamilyList& m_families;
    platform::Settings& m_settings;
    CDeviceRegistry::InstrumentList* m_instruments = nullptr;
    CTaskList* m_tasks = nullptr;
    CTaskListCtrl* m_list;
    std::vector<bool> m_marks;
    std::function<void()> m_startDownloads;
    EditorRunner m_runEditor;
};
