#include "link_ui/DownloaderViewProf.h"

#include "archive_docs/ArchivDocHooks.h"
#include "link/DownloadRoutines.h"
#include "link_ui/DownloaderDoc.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/MessageBox.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLineEdit* ReadOnlyEdit(int id)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::number(id));
    edit->setReadOnly(true);
    return edit;
}

} // namespace

CDownloaderViewProf::CDownloaderViewProf(QWidget* parent)
    : ui::CView(parent),
      m_status(ReadOnlyEdit(IdStatus)),
      m_progress(new QProgressBar),
      m_ident(ReadOnlyEdit(IdIdent)),
      m_kind(ReadOnlyEdit(IdKind)),
      m_date(ReadOnlyEdit(IdDate)),
      m_timer(new QTimer(this))
{
    m_progress->setObjectName(QString::number(IdProgress));
    m_progress->setRange(0, 100);
    auto* top = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Přístroj:")), 0, 0);
    grid->addWidget(m_ident, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Typ záznamu:")), 1, 0);
    grid->addWidget(m_kind, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Datum záznamu:")), 2, 0);
    grid->addWidget(m_date, 2, 1);
    grid->setColumnStretch(1, 1);
    m_ident->setMinimumWidth(260);
    top->addLayout(grid);
    top->addWidget(new QLabel(QStringLiteral("Stav příjmu dat:")));
    top->addWidget(m_progress);
    top->addWidget(m_status);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cancel = new QPushButton(QStringLiteral("Storno"));
    cancel->setObjectName(QString::number(IdCancel));
    buttons->addWidget(cancel);
    top->addLayout(buttons);
    top->addStretch();

    connect(cancel, &QPushButton::clicked, this, &CDownloaderViewProf::OnCancel);
    connect(m_timer, &QTimer::timeout, this, &CDownloaderViewProf::OnWorkerDone);
    // The frame asks instead of closing: a running download is cancelled first.
    SetMessageHandler(platform::WM_VIEW_REFRESH, [this](std::uintptr_t, std::intptr_t) {
        OnCancel();
        return 0;
    });
    m_opener = [](const QString& path) {
        auto& hooks = CArchivDocHooks::Instance();
        if (hooks.openArchiveFile)
            hooks.openArchiveFile(path);
    };
}

CDownloaderViewProf::~CDownloaderViewProf()
{
    // A job may go only after its worker has ended.
    if (m_job)
        m_job->Cancel();
    m_thread.Join();
}

QWidget* CDownloaderViewProf::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

QString CDownloaderViewProf::Text(int id) const
{
    const auto* edit = qobject_cast<const QLineEdit*>(Control(id));
    return edit ? edit->text() : QString();
}

CDownloaderDoc* CDownloaderViewProf::Document() const
{
    return qobject_cast<CDownloaderDoc*>(GetDocument());
}

void CDownloaderViewProf::StartWorker(const QString& file, int kind, CTime date, const CProfileStatus* status)
{
    // A retry names the file of the job replaced below: its own copy outlives it.
    const QString path = file;
    m_thread.Join();
    m_job = std::make_unique<CProfileDownloadJob>();
    if (CDownloaderDoc* document = Document())
        m_job->m_pristroj = document->Instrument();
    m_job->SetProgress(QStringLiteral("Zjišťuji soubory nastavení přístroje."), 0);
    m_job->m_tempPath = path;
    m_job->m_kind = kind;
    m_kind->setText(kind == CProfileDownloadJob::kSelected ? QStringLiteral("Vybraný profil")
                                                           : QStringLiteral("Maximální profil"));
    m_job->SetStatus(status);
    m_date->setText(date.Format(QStringLiteral("%d.%m.%y %H:%M:%S")));
    m_job->m_date = date;
    m_finished = false;
    Launch();
}

void CDownloaderViewProf::Launch()
{
    Worker worker = m_worker;
    if (!worker)
        worker = [](CProfileDownloadJob& job) {
            job.m_pristroj.GetType() == CPristroj::kVKT ? DownloadVKTProfilesProc(&job) : DownloadVKProfilesProc(&job);
        };
    CProfileDownloadJob* job = m_job.get();
    if (!m_thread.Start([job, worker] { worker(*job); })) {
        CloseDocument();
        return;
    }
    m_timer->start(kTimerMs);
}

void CDownloaderViewProf::OnWorkerDone()
{
    if (m_job)
        ShowDownloadProgress(*m_job, m_progress, m_status, m_ident);
    if (!m_thread.JoinIfEnded())
        return;
    m_timer->stop();
    if (m_job && m_job->m_result == kDownloadOk && m_job->IsRunning()) {
        m_finished = true;
        if (m_opener)
            m_opener(m_job->m_tempPath);
        CloseDocument();
        return;
    }
    const int result = m_job ? m_job->m_result : kDownloadCancelled;
    if (result >= kDownloadCancelled || (m_job && !m_job->IsRunning())) {
        // A cancelled download leaves no half-written profile behind.
        if (m_job)
            QFile::remove(m_job->m_tempPath);
        CloseDocument();
        return;
    }
    if (!AskRetry(result)) {
        // A failed download leaves no half-written profile behind either.
        QFile::remove(m_job->m_tempPath);
        CloseDocument();
        return;
    }
    // The retry reads the profile status from the instrument itself.
    StartWorker(m_job->m_tempPath, m_job->m_kind, m_job->m_date, nullptr);
}

bool CDownloaderViewProf::AskRetry(int result)
{
    return ui::ShowMessageBox(this, DownloadErrorText(result), QStringLiteral("CHYBA"), ui::MsgButtons::RetryCancel,
                              ui::MsgIcon::Warning) == ui::MsgAnswer::Retry;
}

void CDownloaderViewProf::OnCancel()
{
    if (m_finished) {
        if (m_job)
            QFile::remove(m_job->m_tempPath);
        CloseDocument();
        return;
    }
    if (m_job && m_thread.IsRunning())
        m_job->Cancel();
    else
        CloseDocument();
}

void CDownloaderViewProf::CloseDocument()
{
    if (m_closing)
        return;
    m_closing = true;
    m_timer->stop();
    CloseDocumentLater(*this);
}
