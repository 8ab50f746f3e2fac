#include "platform/ui/ChildFrame.h"

#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/Document.h"
#include "platform/ui/MdiFrame.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QMetaObject>

#include <algorithm>
#include <array>
#include <vector>

namespace ui {

namespace {

struct ClassBars {
    const char* className;
    FrameBars bars;
};

constexpr FrameBars kArchive{1, true, true};
constexpr FrameBars kLive{0, true, false};
constexpr FrameBars kPlain{2, false, false};

constexpr std::array kClassBars{
    ClassBars{"CArchivDoc", kArchive},       ClassBars{"CVKArchivDoc", kArchive},
    ClassBars{"CVKRArchivDoc", kArchive},    ClassBars{"CVKTArchivDoc", kArchive},
    ClassBars{"CDuskarArchivDoc", kArchive}, ClassBars{"CQorin01Doc", kLive},
    ClassBars{"CVK01Doc", kLive},            ClassBars{"CVKR01Doc", kLive},
    ClassBars{"CVKT01Doc", kLive},           ClassBars{"CDuskarDoc", kLive},
    ClassBars{"CDownloaderDoc", kPlain},     ClassBars{"CBexorArchivDoc", kPlain},
    ClassBars{"CVKTBexorArchivDoc", kPlain}, ClassBars{"CProfileDoc", FrameBars{2, true, false}},
};

} // namespace

FrameBars BarsForDocumentClass(const QString& className)
{
    for (const ClassBars& entry : kClassBars) {
        if (className == QLatin1String(entry.className))
            return entry.bars;
    }
    return {};
}

bool IsArchiveDocumentClass(const QString& className)
{
    // The Duskar archive takes the archive bars but not the focus refresh.
    return className != QLatin1String("CDuskarArchivDoc") && BarsForDocumentClass(className).takesDataBar;
}

CChildFrame::CChildFrame(QWidget* parent) : QMdiSubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates oldState, Qt::WindowStates newState) {
                if (newState.testFlag(Qt::WindowActive) && !oldState.testFlag(Qt::WindowActive)) {
                    OnMDIActivate();
                    OnSetFocus();
                }
            });
}

CChildFrame::~CChildFrame()
{
    // Once the frame has left the MDI area, the main frame looks again at
    // what is active.
    if (QPointer<CMDIFrame> main = GetMainFrame()) {
        QMetaObject::invokeMethod(
            main, [main] { if (main) main->OnActiveDocChanged(); }, Qt::QueuedConnection);
    }
}

void CChildFrame::SetView(CView* view)
{
    setWidget(view);
    // A frame that chose its own first size still opens large enough for
    // every control of its view: smaller, the layout squeezes them past
    // reading (a download window's target files).
    if (testAttribute(Qt::WA_Resized))
        resize(size().expandedTo(minimumSizeHint()));
}

void CChildFrame::FitToView()
{
    if (!GetActiveView() || isMaximized() || isMinimized())
        return;
    QMdiArea* area = mdiArea();
    QSize wanted = sizeHint();
    if (const QSize room = NewWindowRoom(); room.isValid() && !room.isEmpty())
        wanted = wanted.boundedTo(room);
    resize(wanted.expandedTo(minimumSizeHint()));
    // Moved back far enough for the whole window to be seen.
    if (area && area->isVisible()) {
        const QSize room = area->viewport()->size();
        const QPoint at = m_shown ? pos() : CascadePoint(room);
        const QPoint from(std::max(0, std::min(at.x(), room.width() - width())),
                          std::max(0, std::min(at.y(), room.height() - height())));
        if (from != pos())
            move(from);
    }
}

QSize CChildFrame::NewWindowRoom() const
{
    QMdiArea* area = mdiArea();
    if (area && area->isVisible()) {
        // A window as large as the area would hide every other one, and
        // the next would open right over it: a few steps of the cascade are
        // kept free, so that each new window is seen a step further on.
        const int kept = kCascadeStepsKept * CascadeStep();
        return area->viewport()->size() - QSize(kept, kept);
    }
    if (QScreen* shown = screen())
        return shown->availableSize();
    return {};
}

// Windows opened one after another would otherwise all stand in the area's
// corner, each hiding the one before: every new one goes a title bar further
// down and to the right of the last, the first place no other window's
// corner holds, and starts again at the corner when it would no longer fit.
int CChildFrame::CascadeStep() const
{
    QStyleOptionTitleBar option;
    option.initFrom(this);
    return std::max(1, style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, this));
}

QPoint CChildFrame::CascadePoint(QSize room) const
{
    const int step = CascadeStep();
    const int places = 1 + std::max(0, std::min((room.width() - width()) / step, (room.height() - height()) / step));
    std::vector<bool> taken(std::size_t(places), false);
    int others = 0;
    for (QMdiSubWindow* window : mdiArea()->subWindowList()) {
        if (window == this)
            continue;
        ++others;
        const auto* frame = qobject_cast<const CChildFrame*>(window);
        const QPoint corner = frame ? frame->NormalGeometry().topLeft() : window->geometry().topLeft();
        if (corner.x() == corner.y() && corner.x() >= 0 && corner.x() % step == 0 && corner.x() / step < places)
            taken[std::size_t(corner.x() / step)] = true;
    }
    const auto free = std::find(taken.begin(), taken.end(), false);
    const int place = free != taken.end() ? int(free - taken.begin()) : others % places;
    return QPoint(place * step, place * step);
}

CView* CChildFrame::GetActiveView() const
{
    return qobject_cast<CView*>(widget());
}

CDocument* CChildFrame::GetActiveDocument() const
{
    CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

CMDIFrame* CChildFrame::GetMainFrame() const
{
    QMdiArea* area = mdiArea();
    return area ? qobject_cast<CMDIFrame*>(area->window()) : nullptr;
}

void CChildFrame::OnMDIActivate()
{
    CDocument* document = GetActiveDocument();
    if (!document)
        document = m_rememberedDocument;
    m_rememberedDocument = nullptr;
    CMDIFrame* main = GetMainFrame();
    if (!document || !main)
        return;
    const FrameBars bars = BarsForDocumentClass(document->RuntimeClassName());
    if (bars.mode < 0)
        return;
    QWidget* dataBar = main->ShowBarsForView(bars.mode, bars.withGraph);
    if (bars.takesDataBar)
        document->TakeDataControlBar(dataBar);
}

void CChildFrame::OnSetFocus()
{
    CDocument* document = GetActiveDocument();
    CMDIFrame* main = GetMainFrame();
    if (document && main && IsArchiveDocumentClass(document->RuntimeClassName()))
        platform::SendMessageTo(main, platform::WM_UPDATE_FRAME_UI, 0xFFFF, 0xFFFF);
}

void CChildFrame::focusInEvent(QFocusEvent* event)
{
    QMdiSubWindow::focusInEvent(event);
    OnSetFocus();
}

void CChildFrame::moveEvent(QMoveEvent* event)
{
    QMdiSubWindow::moveEvent(event);
    TakeNormalGeometry();
}

void CChildFrame::showEvent(QShowEvent* event)
{
    QMdiSubWindow::showEvent(event);
    m_shown = true;
}

void CChildFrame::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    TakeNormalGeometry();
}

void CChildFrame::TakeNormalGeometry()
{
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) && !isShaded())
        m_normal = geometry();
}

CDownloaderChildFrame::CDownloaderChildFrame(QWidget* parent) : CChildFrame(parent)
{
    resize(DluToPixels(QSize(230, 130), font()));
}

void CDownloaderChildFrame::closeEvent(QCloseEvent* event)
{
    event->ignore();
    CDocument* document = GetActiveDocument();
    if (document && document->FirstView())
        platform::SendMessageTo(document->FirstView(), platform::WM_VIEW_REFRESH, 0, 0);
}

} // namespace ui
