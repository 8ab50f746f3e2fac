#include "platform/ui/MdiFrame.h"

#include "platform/ui/ChildFrame.h"
#include "platform/ui/Document.h"

#include <QMdiArea>

namespace ui {

CMDIFrame::CMDIFrame(QWidget* parent) : QMainWindow(parent), m_mdiArea(new QMdiArea(this))
{
    setCentralWidget(m_mdiArea);
}

CMDIFrame::~CMDIFrame() = default;

void CMDIFrame::AddChildFrame(CChildFrame* frame)
{
    m_mdiArea->addSubWindow(frame);
}

CChildFrame* CMDIFrame::ActiveChildFrame() const
{
    return qobject_cast<CChildFrame*>(m_mdiArea->activeSubWindow());
}

CDocument* CMDIFrame::GetActiveDocument() const
{
    CChildFrame* frame = ActiveChildFrame();
    return frame ? frame->GetActiveDocument() : nullptr;
}

QWidget* CMDIFrame::ShowBarsForView(int mode, bool withGraph)
{
    (void)mode;
    (void)withGraph;
    return nullptr;
}

bool CMDIFrame::event(QEvent* event)
{
    return DispatchMessageEvent(event) || QMainWindow::event(event);
}

} // namespace ui
