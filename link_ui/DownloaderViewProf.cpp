#include "link_ui/DownloaderViewProf.h"

#include "archive_docs/ArchivDocHooks.h"
#include "link/DownloadRoutines.h"
#include "link_ui/DownloaderDoc.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
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
    : CDownloadWindowView(parent),
      m_kind(ReadOnlyEdit(IdKind)),
      m_date(ReadOnlyEdit(IdDate))
{
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
    m_opener = [](const QString& path) {
        auto& hooks = CArchivDocHooks::Instance();
        if (hooks.openArchiveFile)
            hooks.openArchiveFile(path);
    };
}

QString CDownloaderViewProf::Text(int id) const
{
    const auto* edit = qobject_cast<const QLineEdit*>(Control(id));
    return edit ? edit->text() : QString();
}

void CDownloaderViewProf::StartWorker(const QString& file, int kind, CTime date, const CProfileStatus* status)
{
    // A retry names the file of the job replaced below: its own copy outlives it.
    const QString path = file;
    m_thread.Join();
    auto job = std::make_unique<CProfileDownloadJob>();
    if (CDownloaderDoc* document = Document())
        job->m_pristroj = document->Instrument();
    job->SetProgress(QStringLiteral("Zjišťuji soubory nastavení přístroje."), 0);
    job->m_tempPath = path;
    job->m_kind = kind;
    m_kind->setText(kind == CProfileDownloadJob::kSelected ? QStringLiteral("Vybraný profil")
                                                           : QStringLiteral("Maximální profil"));
    job->SetStatus(status);
    m_date->setText(date.Format(QStringLiteral("%d.%m.%y %H:%M:%S")));
    job->m_date = date;
    m_job = std::move(job);
    m_finished = false;
    RunJob();
}

void CDownloaderViewProf::RunJob()
{
    Worker worker = m_worker;
    if (!worker)
        worker = [](CProfileDownloadJob& job) {
            job.m_pristroj.GetType() == CPristroj::kVKT ? DownloadVKTProfilesProc(&job) : DownloadVKProfilesProc(&job);
        };
    CProfileDownloadJob* job = Job();
    Launch([job, worker] { worker(*job); });
}

void CDownloaderViewProf::OnWorkerDone()
{
    if (!WorkerEnded())
        return;
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
    StartWorker(m_job->m_tempPath, Job()->m_kind, Job()->m_date, nullptr);
}

void CDownloaderViewProf::OnCancel()
{
    if (m_finished) {
        if (m_job)
            QFile::remove(m_job->m_tempPath);
        CloseDocument();
        return;
    }
    CancelWorkerOrClose();
}

