#include "shell/TaskManagerDlg.h"

#include "link/DownloadTasks.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"
#include "shell/DlgControls.h"
#include "shell/TaskEditDlg.h"
#include "shell/WaitCursor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <mutex>

namespace {

constexpr int kTaskIndexRole = Qt::UserRole;

} // namespace

CTaskListCtrl::CTaskListCtrl(QWidget* parent) : QTableWidget(parent)
{
    setObjectName(QString::number(CTaskManagerDlg::IdList));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setWordWrap(false);
}

void CTaskListCtrl::CreateColumns()
{
    setColumnCount(5);
    for (int column = 0; column < 5; ++column)
        setHorizontalHeaderItem(column,
                                new QTableWidgetItem(platform::LoadString(platform::IDS_TASK_COLUMN_MARK + column)));
}

void CTaskListCtrl::FitColumns()
{
    // Each column as wide as its header or its widest text, and the list
    // wide enough for all of them, so that nothing is cut or wraps.
    resizeColumnsToContents();
    int width = 2 * frameWidth();
    for (int column = 0; column < columnCount(); ++column)
        width += columnWidth(column);
    width += verticalScrollBar()->sizeHint().width();
    setMinimumWidth(width);
}

QString CTaskListCtrl::IntervalText(const CTask& task)
{
    if (!task.m_active)
        return platform::LoadString(platform::IDS_TASK_OFF);
    const int code = task.m_interval >= 0 && task.m_interval < 5 ? task.m_interval : 2;
    QString text = platform::LoadString(platform::IDS_TASK_INTERVAL_8H + code);
    if (task.m_synch) {
        text += QStringLiteral(" ") + task.m_synchTime.Format(QStringLiteral("(%H:%M:%S"));
        if (code == 4 && task.m_synchDay >= 0 && task.m_synchDay < 7)
            text += QStringLiteral(", ") + platform::LoadString(platform::IDS_TASK_DAY_MON + task.m_synchDay);
        text += QStringLiteral(")");
    }
    return text;
}

void CTaskListCtrl::InsertTask(int row, const CTask& task, bool marked)
{
    insertRow(row);
    auto* mark = new QTableWidgetItem;
    mark->setData(kTaskIndexRole, task.m_index);
    mark->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
    mark->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, 0, mark);
    setItem(row, 1, new QTableWidgetItem(task.m_nazev));
    setItem(row, 2, new QTableWidgetItem(task.m_pristroj));
    setItem(row, 3, new QTableWidgetItem(IntervalText(task)));
    setItem(row, 4, new QTableWidgetItem(task.m_lastTime.Format(QStringLiteral("%H:%M:%S %d.%m.%y"))));
}

CTaskManagerDlg::CTaskManagerDlg(const CFamilyList& families, platform::Settings& settings, QWidget* parent)
    : QDialog(parent), m_families(families), m_settings(settings), m_list(new CTaskListCtrl(this))
{
    setWindowTitle(dlg::Text("Správce stahování"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    auto* buttons = new QHBoxLayout;
    const struct {
        int id;
        const char* text;
        void (CTaskManagerDlg::*handler)();
    } kButtons[] = {
        {IdAdd, "Přidat úlohu", &CTaskManagerDlg::OnAdd},
        {IdEdit, "Editovat úlohu", &CTaskManagerDlg::OnEdit},
        {IdDelete, "Smazat úlohu", &CTaskManagerDlg::OnDelete},
        {IdRunMarked, "Spustit označené", &CTaskManagerDlg::OnRunMarked},
    };
    for (const auto& b : kButtons) {
        auto* button = dlg::Named(new QPushButton(dlg::Text(b.text)), b.id);
        connect(button, &QPushButton::clicked, this, b.handler);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    auto* end = dlg::Named(new QPushButton(dlg::Text("Konec")), IdEnd);
    connect(end, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(end);
    layout->addLayout(buttons);

    m_list->CreateColumns();
    m_list->FitColumns();
    connect(m_list, &QTableWidget::cellClicked, this, &CTaskManagerDlg::OnListClick);
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &CTaskManagerDlg::UpdateButtons);
    m_runEditor = [](CTaskEditDlg& editor) { return editor.exec() == QDialog::Accepted; };
    UpdateButtons();
}

void CTaskManagerDlg::SetContext(CDeviceRegistry::InstrumentList* instruments, CTaskList* tasks)
{
    m_instruments = instruments;
    m_tasks = tasks;
    Refresh();
}

QPushButton* CTaskManagerDlg::Button(int id) const
{
    return findChild<QPushButton*>(QString::number(id));
}

bool CTaskManagerDlg::IsMarked(int row) const
{
    return row >= 0 && row < static_cast<int>(m_marks.size()) && m_marks[static_cast<std::size_t>(row)];
}

void CTaskManagerDlg::Refresh()
{
    m_list->setRowCount(0);
    if (!m_tasks)
        return;
    std::lock_guard list(m_tasks->ListLock());
    m_marks.resize(m_tasks->m_tasks.size(), false);
    int row = 0;
    for (const auto& task : m_tasks->m_tasks) {
        m_list->InsertTask(row, *task, IsMarked(row));
        ++row;
    }
    m_list->FitColumns();
    UpdateButtons();
}

void CTaskManagerDlg::UpdateButtons()
{
    const bool selected = !m_list->selectedItems().isEmpty();
    Button(IdEdit)->setEnabled(selected);
    Button(IdDelete)->setEnabled(selected);
    Button(IdRunMarked)->setEnabled(std::find(m_marks.begin(), m_marks.end(), true) != m_marks.end());
}

CTask* CTaskManagerDlg::TaskAt(int row) const
{
    const QTableWidgetItem* item = row >= 0 ? m_list->item(row, 0) : nullptr;
    if (!item || !m_tasks)
        return nullptr;
    std::lock_guard list(m_tasks->ListLock());
    return m_tasks->Find(item->data(kTaskIndexRole).toInt());
}

void CTaskManagerDlg::OnListClick(int row, int column)
{
    if (row >= 0 && row < static_cast<int>(m_marks.size())) {
        m_list->selectRow(row);
        if (column == 0) {
            m_marks[static_cast<std::size_t>(row)] = !m_marks[static_cast<std::size_t>(row)];
            m_list->item(row, 0)->setCheckState(IsMarked(row) ? Qt::Checked : Qt::Unchecked);
        }
    }
    UpdateButtons();
}

void CTaskManagerDlg::Save()
{
    std::lock_guard outer(m_tasks->OuterLock());
    m_tasks->Save(m_settings);
}

void CTaskManagerDlg::OnAdd()
{
    if (!m_tasks || !m_instruments)
        return;
    CTaskEditDlg editor(m_families, this);
    if (!editor.NewTask(*m_instruments, *m_tasks) || !m_runEditor(editor))
        return;
    Save();
    Refresh();
    if (m_startDownloads)
        m_startDownloads();
}

void CTaskManagerDlg::OnEdit()
{
    CTask* task = TaskAt(m_list->currentRow());
    if (!task || m_list->selectedItems().isEmpty()) {
        ui::ErrorBox(this, platform::LoadString(platform::IDS_NO_ITEM_SELECTED));
        return;
    }
    CTaskEditDlg editor(m_families, this);
    if (!editor.LoadTask(*m_instruments, *m_tasks, *task) || !m_runEditor(editor))
        return;
    Save();
    Refresh();
}

void CTaskManagerDlg::OnDelete()
{
    const int row = m_list->currentRow();
    CTask* task = TaskAt(row);
    if (!task || m_list->selectedItems().isEmpty()) {
        ui::ErrorBox(this, platform::LoadString(platform::IDS_NO_ITEM_SELECTED));
        return;
    }
    {
        std::lock_guard outer(m_tasks->OuterLock());
        m_tasks->Remove(task->m_index);
    }
    Save();
    m_marks.erase(m_marks.begin() + row);
    Refresh();
}

void CTaskManagerDlg::OnRunMarked()
{
    if (!m_tasks)
        return;
    int count = 0;
    {
        CWaitCursor wait;
        for (int row = 0; row < static_cast<int>(m_marks.size()); ++row) {
            if (!IsMarked(row))
                continue;
            if (const QTableWidgetItem* item = m_list->item(row, 0))
                m_tasks->RunNow(item->data(kTaskIndexRole).toInt());
            ++count;
            m_marks[static_cast<std::size_t>(row)] = false;
        }
    }
    Refresh();
    ui::InfoBox(this,
                platform::LoadString(platform::IDS_TASKS_SCHEDULED).replace(QStringLiteral("%d"), QString::number(count)),
                ui::MsgButtons::Ok, ui::MsgIcon::Information);
}
