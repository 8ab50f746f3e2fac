#include "controllers/live/ControllerPaneView.h"

#include "charts/PanelEventList.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/QorinHodnotyDlg.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace controllers {

CControllerPaneView::CControllerPaneView(bool duskar, int ratioX, int ratioY, QWidget* parent)
    : charts::CGraphView(parent), m_duskar(duskar), m_prickaX(ratioX), m_prickaY(ratioY)
{
    setMouseTracking(true);
    CValuesDlgBase* values = nullptr;
    if (duskar) {
        m_graph = new CDuskarGraphWnd(this);
        values = new CDuskarValuesPanel(this);
    } else {
        m_graph = new CQuantityGraphWnd(this);
        values = new CQorinHodnotyDlg(this);
    }
    connect(values, &CValuesDlgBase::PanelMenu, this, [this, values](const QPoint& at) { ShowMenu(at, values); });
    m_values = values;
    m_events = new CPanelEventList(this);
}

CGraphWnd* CControllerPaneView::CommandGraph() const
{
    return m_graph;
}

void CControllerPaneView::ResetBars()
{
    const CControllerPaneLayout::Reset reset = CControllerPaneLayout::ResetFor(PaneMask());
    m_scrollSize = reset.scrollSize;
    m_prickaX = reset.ratioX;
    m_prickaY = reset.ratioY;
    setMinimumSize(m_scrollSize);
    LayoutPanes();
}

void CControllerPaneView::TakeExtent()
{
    m_extent = QSize(std::max(m_scrollSize.width(), width()), std::max(m_scrollSize.height(), height()));
}

void CControllerPaneView::ShowMenu(const QPoint& globalPos, CValuesDlgBase* pane)
{
    QMenu menu(this);
    FillMenu(menu);
    if (pane)
        pane->AddPanelCommands(menu);
    menu.exec(globalPos);
}

void CControllerPaneView::resizeEvent(QResizeEvent* event)
{
    ui::CView::resizeEvent(event);
    LayoutPanes();
}

void CControllerPaneView::mousePressEvent(QMouseEvent* event)
{
    m_bars.Press(this, PaneMask(), m_prickaX, m_prickaY, m_extent, event->position().toPoint());
    ui::CView::mousePressEvent(event);
}

void CControllerPaneView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bars.Move(this, PaneMask(), m_prickaX, m_prickaY, m_extent, event->position().toPoint()))
        LayoutPanes();
    ui::CView::mouseMoveEvent(event);
}

void CControllerPaneView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_bars.Release(this, PaneMask(), m_prickaX, m_prickaY, m_extent, event->position().toPoint()))
        LayoutPanes();
    ui::CView::mouseReleaseEvent(event);
}

void CControllerPaneView::contextMenuEvent(QContextMenuEvent* event)
{
    ShowMenu(event->globalPos());
}

} // namespace controllers
