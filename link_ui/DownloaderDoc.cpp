#include "link_ui/DownloaderDoc.h"

#include "link_ui/DownloaderView.h"
#include "link_ui/DownloaderViewProf.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

IDownloaderView* CDownloaderDoc::FirstForm() const
{
    return dynamic_cast<IDownloaderView*>(FirstView());
}

void CDownloaderDoc::StartDownload(const CPristroj& source)
{
    m_state.StartDownload(source, FirstForm());
    SetTitle(m_state.Title());
}

void CDownloaderDoc::StartIntervalDownload(const CPristroj& source, CTime from, CTime to, BOOL fromOpen, BOOL toOpen,
                                           const QString& file)
{
    m_state.StartIntervalDownload(source, from, to, fromOpen, toOpen, file, FirstForm());
    SetTitle(m_state.Title());
}

void CDownloaderDoc::StartProfileDownload(const CPristroj& source, const QString& file, int kind, CTime date,
                                          const CProfileStatus* status)
{
    m_state.StartProfileDownload(source, file, kind, date, status,
                                 dynamic_cast<IDownloaderProfileView*>(FirstView()));
    SetTitle(m_state.Title());
}

void AddDownloaderTemplates(ui::CDocManager& manager)
{
    manager.AddTemplate(ui::MakeDocTemplate<CDownloaderDoc, ui::CDownloaderChildFrame, CDownloaderView>(
        191, CDownloaderDoc::DocString()));
    manager.AddTemplate(ui::MakeDocTemplate<CDownloaderDoc, ui::CDownloaderChildFrame, CDownloaderViewProf>(
        192, CDownloaderDoc::ProfileDocString()));
}

CDownloaderDoc* OpenProfileDownloader(ui::CDocManager& manager, const CPristroj& instrument, const QString& file,
                                      int kind, CTime date, const CProfileStatus* status)
{
    ui::CDocTemplate* found =
        manager.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Profile Downloader"));
    auto* document = found ? dynamic_cast<CDownloaderDoc*>(found->OpenDocumentFile(QString(), true)) : nullptr;
    if (document)
        document->StartProfileDownload(instrument, file, kind, date, status);
    return document;
}
