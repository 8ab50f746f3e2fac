#include "platform/ui/MdiFrame.h"

#include "platform/ui/ChildFrame.h"
#include "platform/ui/Document.h"

#include <QAction>
#include <QKeySequence>
#include <QMdiArea>

namespace ui {

CMDIFrame::CMDIFrame(QWidget* parent) : QMainWindow(parent), m_mdiArea(new QMdiArea(this))
{
    setCentralWidget(m_mdiArea);
    // Ctrl+Tab, pressed and let go, goes back to the window used last: two
    // windows take turns and one covered by them is never reached. An MDI
    // frame steps through every window with Ctrl+F6, in the order they
    // were opened, one further at each press (Ctrl+Shift+F6 back), from
    // wherever the focus is inside the frame.
    m_mdiArea->setActivationOrder(QMdiArea::CreationOrder);
    const struct {
        QKeyCombination key;
        void (QMdiArea::*step)();
    } steps[] = {{Qt::CTRL | Qt::Key_F6, &QMdiArea::activateNextSubWindow},
                 {Qt::CTRL | Qt::SHIFT | Qt::Key_F6, &QMdiArea::activatePreviousSubWindow}};
    for (const auto& [key, step] : steps) {
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, m_mdiArea, step);
    }
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
