#include "link/DownloaderDocState.h"

void CDownloaderDocState::Take(const CPristroj& source)
{
    m_pristroj = source;
    m_title = source.m_nazev;
}

void CDownloaderDocState::StartDownload(const CPristroj& source, IDownloaderView* view)
{
    Take(source);
    if (view)
        view->StartWorker(TRUE);
}

void CDownloaderDocState::StartIntervalDownload(const CPristroj& source, CTime from, CTime to, BOOL fromOpen,
                                                BOOL toOpen, const QString& file, IDownloaderView* view)
{
    Take(source);
    if (view)
        view->StartIntervalWorker(from, to, fromOpen, toOpen, file);
}

void CDownloaderDocState::StartProfileDownload(const CPristroj& source, const QString& file, int kind, CTime date,
                                               const CProfileStatus* status, IDownloaderProfileView* view)
{
    Take(source);
    if (view)
        view->StartWorker(file, kind, date, status);
}
