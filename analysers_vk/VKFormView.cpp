#include "analysers_vk/VKFormView.h"

#include "charts/GraphWnd.h"
#include "platform/ui/MenuCommand.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace analysers_vk {

CVKFormView::CVKFormView(QWidget* parent) : charts::CGraphView(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
}

CVKFormView::~CVKFormView() = default;

void CVKFormView::SetPaneWidgets(CGraphWnd* graph, QWidget* values, QWidget* alarms, QWidget* panel)
{
    m_graphPane = graph;
    if (graph)
        ConnectGraphMenu(graph);
    m_valuesPane = values;
    m_alarmsPane = alarms;
    m_panelPane = panel;
}

QSize CVKFormView::sizeHint() const
{
    const int mask = PaneMask();
    const CVKPaneLayout::Sizes own{GraphPaneSizeHint(), m_valuesPane ? m_valuesPane->sizeHint() : QSize(),
                                   m_alarmsPane ? m_alarmsPane->sizeHint() : QSize(),
                                   m_panelPane ? m_panelPane->sizeHint() : QSize()};
    return CVKPaneLayout::FirstSize(mask, m_prickaX, m_prickaY, own, CVKPaneLayout::ResetFor(mask).scrollSize);
}

QSize CVKFormView::GraphPaneSizeHint() const
{
    return m_graphPane ? m_graphPane->sizeHint() : QSize();
}

int CVKFormView::PaneMask() const
{
    return CVKPaneLayout::Mask(m_isGraf, m_isData, m_isAlarm, m_isNahled);
}

void CVKFormView::SetPanes(bool graph, bool values, bool alarms, bool panel)
{
    m_isGraf = graph;
    m_isData = values;
    m_isAlarm = alarms;
    m_isNahled = panel;
    ResetPanes();
}

void CVKFormView::TogglePane(int bit)
{
    if (!PaneOffered(bit))
        return;
    switch (bit) {
    case CVKPaneLayout::kGraphBit: m_isGraf = !m_isGraf; break;
    case CVKPaneLayout::kValuesBit: m_isData = !m_isData; break;
    case CVKPaneLayout::kAlarmsBit:
        m_isAlarm = !m_isAlarm;
        if (m_isAlarm)
            RefillAlarmList();
        break;
    case CVKPaneLayout::kPanelBit: m_isNahled = !m_isNahled; break;
    default: return;
    }
    ResetPanes();
}

void CVKFormView::ResetPanes()
{
    const CVKPaneLayout::Reset reset = CVKPaneLayout::ResetFor(PaneMask());
    m_scrollSize = reset.scrollSize;
    m_prickaX = reset.ratioX;
    m_prickaY = reset.ratioY;
    OnPanesChanged();
    m_extent = m_scrollSize.expandedTo(size());
    LayoutPanes();
}

void CVKFormView::PlaceGraph(const QRect& rect, bool show)
{
    if (!m_graphPane)
        return;
    if (show)
        m_graphPane->setGeometry(rect);
    m_graphPane->setVisible(show);
}

void CVKFormView::LayoutPanes()
{
    const CVKPaneLayout::Rects rects = CVKPaneLayout::PaneRects(PaneMask(), m_prickaX, m_prickaY);
    const int W = std::max(1, m_extent.width());
    const int H = std::max(1, m_extent.height());
    const CVKPaneLayout::Rect& graph = rects[CVKPaneLayout::kGraph];
    PlaceGraph(graph.valid ? CVKPaneLayout::ToPixels(graph, W, H) : QRect(), graph.valid);
    const std::pair<QWidget*, CVKPaneLayout::Pane> panes[] = {{m_valuesPane, CVKPaneLayout::kValues},
                                                             {m_alarmsPane, CVKPaneLayout::kAlarms},
                                                             {m_panelPane, CVKPaneLayout::kPanel}};
    for (const auto& [widget, pane] : panes) {
        if (!widget)
            continue;
        const CVKPaneLayout::Rect& r = rects[pane];
        if (r.valid)
            widget->setGeometry(CVKPaneLayout::ToPixels(r, W, H));
        widget->setVisible(r.valid);
    }
}

void CVKFormView::resizeEvent(QResizeEvent* event)
{
    ui::CView::resizeEvent(event);
    m_extent = m_scrollSize.expandedTo(size());
    LayoutPanes();
}

void CVKFormView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        m_dragging = CVKPaneLayout::HitTest(PaneMask(), m_prickaX, m_prickaY, m_extent.width(), m_extent.height(),
                                            p.x(), p.y());
    }
    ui::CView::mousePressEvent(event);
}

void CVKFormView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_dragging == CVKPaneLayout::kX) {
        m_prickaX = CVKPaneLayout::DragRatio(p.x(), m_extent.width());
        LayoutPanes();
    } else if (m_dragging == CVKPaneLayout::kY) {
        m_prickaY = CVKPaneLayout::DragRatio(p.y(), m_extent.height());
        LayoutPanes();
    } else {
        switch (CVKPaneLayout::HitTest(PaneMask(), m_prickaX, m_prickaY, m_extent.width(), m_extent.height(), p.x(),
                                       p.y())) {
        case CVKPaneLayout::kX: setCursor(Qt::SizeHorCursor); break;
        case CVKPaneLayout::kY: setCursor(Qt::SizeVerCursor); break;
        default: unsetCursor(); break;
        }
    }
    ui::CView::mouseMoveEvent(event);
}

void CVKFormView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragging != CVKPaneLayout::kNone) {
        const QPoint p = event->position().toPoint();
        if (m_dragging == CVKPaneLayout::kX)
            m_prickaX = CVKPaneLayout::DragRatio(p.x(), m_extent.width());
        else
            m_prickaY = CVKPaneLayout::DragRatio(p.y(), m_extent.height());
        m_dragging = CVKPaneLayout::kNone;
        LayoutPanes();
    }
    ui::CView::mouseReleaseEvent(event);
}

void CVKFormView::FillMenu(QMenu& menu)
{
    auto pane = [&](int id, const char* text, int bit, int shown) {
        if (!PaneOffered(bit))
            return;
        QAction* action
            = ui::WithCommandId(menu.addAction(QString::fromUtf8(text), this, [this, bit] { TogglePane(bit); }), id);
        action->setCheckable(true);
        action->setChecked(shown);
        action->setEnabled(PaneEnabled(bit));
    };
    pane(32140, "Panel &grafu", CVKPaneLayout::kGraphBit, m_isGraf);
    pane(32139, "Panel &aktuálních dat", CVKPaneLayout::kValuesBit, m_isData);
    pane(32138, "Panel &přístroje", CVKPaneLayout::kPanelBit, m_isNahled);
    pane(32179, "Panel a&larmů a událostí", CVKPaneLayout::kAlarmsBit, m_isAlarm);
    menu.addSeparator();
    AddGraphMenuItems(menu, QStringLiteral("Vypnout lupy"));
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Zobrazené veličiny ..."), this, &CVKFormView::OnDisplayedQuantities),
        CGraphWnd::kCmdShownQuantities)
        ->setEnabled(IsCommandEnabled(CGraphWnd::kCmdShownQuantities));
}

bool CVKFormView::IsCommandEnabled(int id)
{
    // The graph pane's own menu asks here too. Offered with the graph even
    // before any data came: with nothing to load the dialog does not come up.
    if (id == CGraphWnd::kCmdShownQuantities)
        return m_isGraf && ZoomAllowed();
    return CGraphView::IsCommandEnabled(id);
}

bool CVKFormView::OnCommand(int id)
{
    if (id == CGraphWnd::kCmdShownQuantities) {
        if (IsCommandEnabled(id))
            OnDisplayedQuantities();
        return true;
    }
    return CGraphView::OnCommand(id);
}

void CVKFormView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    FillMenu(menu);
    menu.exec(event->globalPos());
}

} // namespace analysers_vk
