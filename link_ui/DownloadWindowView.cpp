#include "link_ui/DownloadWindowView.h"

#include "link/DownloadJob.h"
#include "link_ui/DownloaderDoc.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/MessageBox.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

namespace {

template <class T>
T* Named(T* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace

CDownloadWindowView::CDownloadWindowView(QWidget* parent)
    : ui::CView(parent),
      m_status(Named(new QLineEdit, IdStatus)),
      m_progress(Named(new QProgressBar, IdProgress)),
      m_ident(Named(new QLineEdit, IdIdent)),
      m_timer(new QTimer(this))
{
    m_status->setReadOnly(true);
    m_ident->setReadOnly(true);
    m_progress->setRange(0, 100);
    connect(m_timer, &QTimer::timeout, this, [this] { OnWorkerDone(); });
    // The frame asks instead of closing: a running download is cancelled first.
    SetMessageHandler(platform::WM_VIEW_REFRESH, [this](std::uintptr_t, std::intptr_t) {
        OnCancel();
        return 0;
    });
}

CDownloadWindowView::~CDownloadWindowView()
{
    // A job may go only after its worker has ended.
    if (m_job)
        m_job->Cancel();
    m_thread.Join();
}

QWidget* CDownloadWindowView::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

CDownloaderDoc* CDownloadWindowView::Document() const
{
    return qobject_cast<CDownloaderDoc*>(GetDocument());
}

void CDownloadWindowView::Launch(std::function<void()> work)
{
    if (!m_thread.Start(std::move(work))) {
        CloseDocument();
        return;
    }
    m_timer->start(kTimerMs);
}

bool CDownloadWindowView::WorkerEnded()
{
    if (m_job)
        ShowDownloadProgress(*m_job, m_progress, m_status, m_ident);
    if (!m_thread.JoinIfEnded())
        return false;
    m_timer->stop();
    return true;
}

bool CDownloadWindowView::AskRetry(int result)
{
    return ui::ShowMessageBox(this, DownloadErrorText(result), QStringLiteral("CHYBA"), ui::MsgButtons::RetryCancel,
                              ui::MsgIcon::Warning) == ui::MsgAnswer::Retry;
}

void CDownloadWindowView::CancelWorkerOrClose()
{
    if (m_job && m_thread.IsRunning())
        m_job->Cancel();
    else
        CloseDocument();
}

void CDownloadWindowView::CloseDocument()
{
    if (m_closing)
        return;
    m_closing = true;
    m_timer->stop();
    CloseDocumentLater(*this);
}
