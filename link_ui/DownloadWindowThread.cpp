#include "link_ui/DownloadWindowThread.h"

#include "link/DownloadJob.h"
#include "platform/ui/Document.h"

#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

#include <system_error>

bool CDownloadWindowThread::Start(std::function<void()> work)
{
    Join();
    m_ended = false;
    try {
        m_thread = std::thread([this, work = std::move(work)] {
            work();
            m_ended = true;
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CDownloadWindowThread::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CDownloadWindowThread::JoinIfEnded()
{
    if (!m_thread.joinable() || !m_ended)
        return false;
    m_thread.join();
    return true;
}

void ShowDownloadProgress(CDownloadJob& job, QProgressBar* progress, QLineEdit* status, QLineEdit* ident)
{
    QString text;
    int step = 0;
    job.GetProgress(text, step);
    progress->setValue(step);
    status->setText(text);
    if (job.IsIdentReady()) {
        job.SetIdentReady(FALSE);
        ident->setText(job.GetIdentText());
    }
}

void CloseDocumentLater(ui::CView& view)
{
    QPointer<ui::CDocument> document = view.GetDocument();
    QTimer::singleShot(0, [document] {
        if (document)
            document->OnCloseDocument();
    });
}
