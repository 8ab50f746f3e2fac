#include "shell/TaskEditDlg.h"

#include "shell/FamilyDescriptor.h"

#include "link/DownloadTasks.h"
#include "platform/StringTable.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"
#include "shell/AppTasks.h"
#include "shell/DlgControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimeEdit>

#include <algorithm>
#include <mutex>

namespace {

using dlg::Named;
using dlg::Text;

QString OfflineDefault(const QString& archive)
{
    return archive + QStringLiteral("S");
}

} // namespace

CTaskEditDlg::CTaskEditDlg(const CFamilyList& families, QWidget* parent) : QDialog(parent), m_families(families)
{
    setWindowTitle(Text("Úloha"));
    BuildControls();
}

void CTaskEditDlg::BuildControls()
{
    auto* form = new QFormLayout(this);
    m_name = Named(new QLineEdit, IdName);
    form->addRow(Text("Název úlohy:"), m_name);
    m_instrument = Named(new QComboBox, IdInstrument);
    form->addRow(Text("Přístroj:"), m_instrument);
    m_kind = Named(new QComboBox, IdKind);
    m_kind->addItems({Text("Záplatovat aktuální data"), Text("Off-line data samostatně")});
    form->addRow(Text("Typ úlohy:"), m_kind);
    auto* fileRow = new QHBoxLayout;
    m_file = Named(new QLineEdit, IdOffline);
    connect(m_file, &QLineEdit::textChanged, m_file, &QLineEdit::setToolTip);
    m_browse = Named(new QPushButton(Text("...")), IdBrowse);
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_browse);
    form->addRow(Text("Off-line soubor:"), fileRow);
    m_active = Named(new QCheckBox(Text("Úloha je aktivní")), IdActive);
    form->addRow(m_active);
    m_interval = Named(new QComboBox, IdInterval);
    for (int code = 0; code < 5; ++code)
        m_interval->addItem(platform::LoadString(platform::IDS_TASK_INTERVAL_8H + code));
    form->addRow(Text("Spouštěcí interval:"), m_interval);
    auto* synchRow = new QHBoxLayout;
    m_synch = Named(new QCheckBox(Text("Synchronizovat spuštění")), IdSynch);
    m_time = Named(new QTimeEdit, IdSynchTime);
    m_time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_day = Named(new QComboBox, IdSynchDay);
    for (int day = 0; day < 7; ++day)
        m_day->addItem(platform::LoadString(platform::IDS_TASK_DAY_MON + day));
    auto* at = new QLabel(Text("na"));
    at->setBuddy(m_time);
    synchRow->addWidget(m_synch);
    synchRow->addWidget(at);
    synchRow->addWidget(m_time);
    synchRow->addWidget(m_day);
    synchRow->addStretch();
    form->addRow(synchRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(Text("Konec"));
    form->addRow(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CTaskEditDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTaskEditDlg::reject);
    connect(m_instrument, &QComboBox::currentIndexChanged, this, [this] { OnInstrumentChanged(); });
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this] { OnKindChanged(); });
    connect(m_synch, &QCheckBox::toggled, this, [this] { UpdateControls(); });
    connect(m_interval, &QComboBox::currentIndexChanged, this, [this] { UpdateControls(); });
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString chosen = QFileDialog::getSaveFileName(this, QString(), m_file->text(),
                                                            QStringLiteral("*.vkt *.VKT"));
        if (!chosen.isEmpty())
            ShowFile(QDir::toNativeSeparators(chosen));
    });
}

CPristroj* CTaskEditDlg::Instrument(const QString& name) const
{
    if (m_instruments)
        for (const auto& entry : *m_instruments)
            if (entry->m_nazev == name && m_families.CanDownload(entry->GetType()))
                return entry.get();
    return nullptr;
}

bool CTaskEditDlg::FillInstruments(CDeviceRegistry::InstrumentList& instruments)
{
    m_instruments = &instruments;
    m_instrument->blockSignals(true);
    m_instrument->clear();
    for (const auto& entry : instruments)
        if (m_families.CanDownload(entry->GetType()))
            m_instrument->addItem(entry->m_nazev);
    m_instrument->blockSignals(false);
    return m_instrument->count() > 0;
}

bool CTaskEditDlg::NewTask(CDeviceRegistry::InstrumentList& instruments, CTaskList& tasks)
{
    if (!FillInstruments(instruments))
        return false;
    m_tasks = &tasks;
    m_task = nullptr;
    m_isNew = true;
    const CTime now = CTime::GetCurrentTime();
    Values v;
    v.instrument = m_instrument->itemText(0);
    v.offline = OfflineDefault(Instrument(v.instrument)->m_soubor);
    v.synchTime = CTime(now.GetYear(), now.GetMonth(), now.GetDay(), 8, 0, 0);
    Show(v);
    return true;
}

bool CTaskEditDlg::LoadTask(CDeviceRegistry::InstrumentList& instruments, CTaskList& tasks, CTask& task)
{
    if (!FillInstruments(instruments) || !Instrument(task.m_pristroj))
        return false;
    m_tasks = &tasks;
    m_task = &task;
    m_isNew = false;
    Values v;
    {
        std::lock_guard outer(tasks.OuterLock());
        v.name = task.m_nazev;
        v.instrument = task.m_pristroj;
        v.kind = task.m_typ == 0 ? 0 : 1;
        v.offline = task.m_soubor;
        v.active = task.m_active != 0;
        v.interval = task.m_interval >= 0 && task.m_interval < 5 ? task.m_interval : 2;
        v.synch = task.m_synch != 0;
        v.synchTime = task.m_synchTime;
        v.synchDay = task.m_synchDay >= 0 && task.m_synchDay < 7 ? task.m_synchDay : 0;
    }
    Show(v);
    return true;
}

void CTaskEditDlg::Show(const Values& v)
{
    m_name->setText(v.name);
    const CPristroj* entry = Instrument(v.instrument);
    m_archive = entry ? entry->m_soubor : QString();
    m_type = entry ? entry->GetType() : 0;
    m_instrument->blockSignals(true);
    m_instrument->setCurrentIndex(m_instrument->findText(v.instrument));
    m_instrument->blockSignals(false);
    m_offline = v.offline;
    m_kind->blockSignals(true);
    m_kind->setCurrentIndex(v.kind);
    m_kind->blockSignals(false);
    ShowFile(v.kind == 1 ? m_offline : m_archive);
    m_active->setChecked(v.active);
    m_interval->setCurrentIndex(v.interval);
    m_synch->setChecked(v.synch);
    m_synchDate = v.synchTime.IsValid() ? v.synchTime : CTime::GetCurrentTime();
    m_time->setTime(v.synchTime.IsValid()
                        ? QTime(v.synchTime.GetHour(), v.synchTime.GetMinute(), v.synchTime.GetSecond())
                        : QTime(8, 0));
    m_day->setCurrentIndex(v.synchDay);
    UpdateControls();
}

void CTaskEditDlg::OnInstrumentChanged()
{
    const QString previousDefault = OfflineDefault(m_archive);
    const CPristroj* entry = Instrument(m_instrument->currentText());
    m_archive = entry ? entry->m_soubor : QString();
    m_type = entry ? entry->GetType() : 0;
    if (m_kind->currentIndex() == 1) {
        if (m_file->text() == previousDefault)
            ShowFile(OfflineDefault(m_archive));
    } else {
        if (m_offline == previousDefault)
            m_offline = OfflineDefault(m_archive);
        ShowFile(m_archive);
    }
}

void CTaskEditDlg::OnKindChanged()
{
    if (m_kind->currentIndex() == 1) {
        ShowFile(m_offline);
    } else {
        m_offline = m_file->text();
        ShowFile(m_archive);
    }
    UpdateControls();
}

void CTaskEditDlg::ShowFile(const QString& path)
{
    // The folder tells one file from another as much as the name does: the
    // field grows to the whole path (within reason) and shows it from its
    // start. A longer path shows its end, the file's name, and the whole
    // path as the field's tool tip.
    QStyleOptionFrame option;
    option.initFrom(m_file);
    option.lineWidth = m_file->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, m_file);
    const QMargins margins = m_file->textMargins();
    // The line edit keeps two pixels either side of its text, and a cursor.
    const int text = m_file->fontMetrics().horizontalAdvance(path) + margins.left() + margins.right() + 5;
    const QSize wanted = m_file->style()->sizeFromContents(QStyle::CT_LineEdit, &option,
                                                            QSize(text, m_file->fontMetrics().height()), m_file);
    const int widest = ui::DluToPixelsX(kFileFieldMaxDlu, font());
    m_file->setMinimumWidth(std::clamp(wanted.width(), ui::DluToPixelsX(kFileFieldDlu, font()), widest));
    m_file->setText(path);
    m_file->setCursorPosition(wanted.width() > widest ? int(path.size()) : 0);
}

void CTaskEditDlg::UpdateControls()
{
    const bool synch = m_synch->isChecked();
    m_time->setEnabled(synch);
    m_day->setEnabled(synch && m_interval->currentIndex() == 4);
    const bool own = m_kind->currentIndex() == 1;
    m_file->setEnabled(own);
    m_browse->setEnabled(own);
}

void CTaskEditDlg::accept()
{
    if (!m_tasks || !m_instruments)
        return QDialog::reject();
    const QString name = m_name->text();
    const int kind = m_kind->currentIndex();
    const QString offline = kind == 1 ? m_file->text() : m_offline;
    {
        std::lock_guard list(m_tasks->ListLock());
        for (const auto& task : m_tasks->m_tasks) {
            if (task.get() != m_task && task->m_nazev == name) {
                ui::ErrorBox(this, platform::LoadString(platform::IDS_TASK_NAME_USED));
                m_name->setFocus();
                return;
            }
        }
    }
    if (kind == 1) {
        // The data-directory check reports nothing itself: one message says
        // what is wrong.
        if (!CheckDataDirectory(this, offline, m_type - 1, FALSE)) {
            ui::ErrorBox(this, platform::LoadString(platform::IDS_TASK_BAD_OFFLINE_NAME));
            m_file->setFocus();
            return;
        }
        if (offline.compare(m_archive, Qt::CaseInsensitive) == 0 &&
            ui::InfoBox(this, platform::LoadString(platform::IDS_ASK_TASK_SAME_FILE), ui::MsgButtons::YesNo,
                        ui::MsgIcon::Question) != ui::MsgAnswer::Yes)
            return;
    }
    const QTime time = m_time->time();
    const CTime synchTime(m_synchDate.GetYear(), m_synchDate.GetMonth(), m_synchDate.GetDay(), time.hour(),
                          time.minute(), time.second());
    {
        std::lock_guard outer(m_tasks->OuterLock());
        CTask* task = m_isNew ? AddTask(*m_tasks, CTime::GetCurrentTime()) : m_task;
        std::lock_guard list(m_tasks->ListLock());
        task->m_nazev = name;
        task->m_pristroj = m_instrument->currentText();
        task->m_typ = kind;
        task->m_soubor = offline;
        task->m_active = m_active->isChecked();
        task->m_interval = m_interval->currentIndex();
        task->m_synch = m_synch->isChecked();
        task->m_synchTime = synchTime;
        task->m_synchDay = m_day->currentIndex();
        m_task = task;
    }
    QDialog::accept();
}
