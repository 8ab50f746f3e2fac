#include "platform/ui/DocTemplate.h"

#include "platform/ui/ChildFrame.h"
#include "platform/ui/Document.h"
#include "platform/ui/MdiFrame.h"

#include <QMdiArea>

#include <algorithm>

namespace ui {

CDocTemplate::CDocTemplate(int resourceId, const QString& docString, DocumentFactory document, FrameFactory frame,
                           ViewFactory view)
    : m_resourceId(resourceId),
      m_docStrings(docString.split(QLatin1Char('\n'))),
      m_newDocument(std::move(document)),
      m_newFrame(std::move(frame)),
      m_newView(std::move(view))
{
}

CDocTemplate::~CDocTemplate()
{
    for (CDocument* document : m_documents)
        document->m_template = nullptr;
}

QString CDocTemplate::GetDocString(DocStringIndex index) const
{
    return index < m_docStrings.size() ? m_docStrings.at(index) : QString();
}

bool CDocTemplate::MatchesExtension(const QString& path) const
{
    QString ext = GetDocString(filterExt);
    if (ext.startsWith(QLatin1Char('*')))
        ext.remove(0, 1);
    return ext.size() > 1 && path.endsWith(ext, Qt::CaseInsensitive);
}

CDocument* CDocTemplate::OpenDocumentFile(const QString& path, bool makeVisible)
{
    CDocument* document = m_newDocument();
    document->m_template = this;
    m_documents.push_back(document);

    CChildFrame* frame = m_newFrame();
    CView* view = m_newView();
    frame->SetView(view);
    frame->SetRememberedDocument(document);
    document->AddView(view);
    if (CMDIFrame* main = m_manager ? m_manager->MainFrame() : nullptr) {
        // A shown MDI area sizes and places a window it is given that was
        // not sized yet, by a rule of its own (beside the others, as large
        // as the area): that is no place the view chose, and the cascade
        // below still puts it.
        const bool sized = frame->testAttribute(Qt::WA_Resized);
        main->AddChildFrame(frame);
        if (!sized)
            frame->setAttribute(Qt::WA_Resized, false);
    }

    if (path.isEmpty())
        document->SetTitle(GetDocString(docName));
    const bool opened = path.isEmpty() ? document->OnNewDocument() : document->OnOpenDocument(path);
    if (!opened) {
        // The view goes with the frame, and the document with its last view.
        delete frame;
        return nullptr;
    }
    if (!path.isEmpty())
        document->SetPathName(path);

    view->OnInitialUpdate();
    if (makeVisible && !document->IsClosing()) {
        // A frame its view did not place opens at the size the view asks
        // for, not as the bare title bar an unsized window would be.
        if (!frame->testAttribute(Qt::WA_Resized))
            frame->FitToView();
        frame->show();
        if (QMdiArea* area = frame->mdiArea())
            area->setActiveSubWindow(frame);
    }
    return document->IsClosing() ? nullptr : document;
}

void CDocTemplate::RemoveDocument(CDocument* document)
{
    m_documents.erase(std::remove(m_documents.begin(), m_documents.end(), document), m_documents.end());
}

CDocTemplate* CDocManager::AddTemplate(std::unique_ptr<CDocTemplate> docTemplate)
{
    docTemplate->m_manager = this;
    m_templates.push_back(std::move(docTemplate));
    return m_templates.back().get();
}

CDocTemplate* CDocManager::FindTemplate(CDocTemplate::DocStringIndex index, const QString& text) const
{
    for (const auto& docTemplate : m_templates) {
        if (docTemplate->GetDocString(index) == text)
            return docTemplate.get();
    }
    return nullptr;
}

CDocTemplate* CDocManager::TemplateForPath(const QString& path) const
{
    for (const auto& docTemplate : m_templates) {
        if (docTemplate->MatchesExtension(path))
            return docTemplate.get();
    }
    return nullptr;
}

CDocument* CDocManager::OpenDocumentFile(const QString& path, bool makeVisible)
{
    CDocTemplate* docTemplate = TemplateForPath(path);
    return docTemplate ? docTemplate->OpenDocumentFile(path, makeVisible) : nullptr;
}

} // namespace ui
