#include "platform/ui/Document.h"

#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/FrameTitle.h"

#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>

namespace ui {

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    for (CView* view : m_views)
        view->m_document = nullptr;
    if (m_template)
        m_template->RemoveDocument(this);
}

QString CDocument::RuntimeClassName() const
{
    const QString name = QString::fromLatin1(metaObject()->className());
    const qsizetype colons = name.lastIndexOf(QLatin1String("::"));
    return colons < 0 ? name : name.mid(colons + 2);
}

void CDocument::AddView(CView* view)
{
    if (!view || view->m_document == this)
        return;
    if (view->m_document)
        view->m_document->RemoveView(view);
    m_views.push_back(view);
    view->m_document = this;
}

void CDocument::RemoveView(CView* view)
{
    const auto it = std::find(m_views.begin(), m_views.end(), view);
    if (it == m_views.end())
        return;
    m_views.erase(it);
    view->m_document = nullptr;
    if (m_views.empty() && !m_closing)
        OnCloseDocument();
}

void CDocument::UpdateAllViews(CView* sender, std::intptr_t hint, void* object)
{
    // A view's update may add or close views: walk a copy, skip the gone.
    const std::vector<CView*> views = m_views;
    for (CView* view : views) {
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(sender, hint, object);
    }
}

void CDocument::SetTitle(const QString& title)
{
    m_title = title;
    for (CView* view : m_views) {
        if (CChildFrame* frame = view->GetParentFrame())
            frame->setWindowTitle(title);
    }
}

void CDocument::SetPathName(const QString& path, bool addToRecent)
{
    (void)addToRecent;
    m_pathName = path;
    SetTitle(QFileInfo(path).fileName());
}

bool CDocument::OnOpenDocument(const QString& path)
{
    return QFileInfo(path).isFile();
}

void CDocument::OnCloseDocument()
{
    if (m_closing)
        return;
    m_closing = true;
    const std::vector<CView*> views = std::move(m_views);
    m_views.clear();
    for (CView* view : views) {
        view->m_document = nullptr;
        QWidget* holder = view->GetParentFrame();
        if (!holder)
            holder = view;
        holder->hide();
        holder->deleteLater();
    }
    if (m_template) {
        m_template->RemoveDocument(this);
        m_template = nullptr;
    }
    deleteLater();
}

CView::CView(QWidget* parent) : QWidget(parent) {}

CView::~CView()
{
    if (m_document)
        m_document->RemoveView(this);
}

CChildFrame* CView::GetParentFrame() const
{
    return ChildFrameOf(parentWidget());
}

void CView::OnUpdate(CView* sender, std::intptr_t hint, void* object)
{
    (void)sender;
    (void)hint;
    (void)object;
    update();
}

bool CView::event(QEvent* event)
{
    return DispatchMessageEvent(event) || QWidget::event(event);
}

} // namespace ui
