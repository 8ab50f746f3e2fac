#include "analysers_vk/VKR01View.h"

#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "analysers_vk/VKRZobrazeneVelicinyDlg.h"
#include "charts/GraphWnd.h"
#include "charts/PanelEventList.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

namespace analysers_vk {

CVKR01View::CVKR01View(QWidget* parent) : ui::CView(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
    m_graph = new CVKGrafAktual(this);
    m_graph->setWindowTitle(QStringLiteral("ahoj"));
    m_alarms = new CPanelEventList(this);
    m_values = new CVKRHodnotyDlg(this);
    m_panel = new CVKRPlochaDlg(this);
    connect(m_panel, &CVKRPlochaDlg::screenChanged, this, [this] { OnScreenChanged(); });
    connect(m_panel, &CVKRPlochaDlg::menuRequested, this, [this](QPoint at) {
        QMenu menu(this);
        FillMenu(menu);
        menu.exec(at);
    });
    ResetPanes();
}

CVKR01View::~CVKR01View() = default;

int CVKR01View::PaneMask() const
{
    return (m_isGraf ? CVKPaneLayout::kGraphBit : 0) | (m_isData ? CVKPaneLayout::kValuesBit : 0)
         | (m_isAlarm ? CVKPaneLayout::kAlarmsBit : 0) | (m_isNahled ? CVKPaneLayout::kPanelBit : 0);
}

void CVKR01View::SetPanes(bool graph, bool values, bool alarms, bool panel)
{
    m_isGraf = graph;
    m_isData = values;
    m_isAlarm = alarms;
    m_isNahled = panel;
    ResetPanes();
}

void CVKR01View::TogglePane(int bit)
{
    int* flag = bit == CVKPaneLayout::kGraphBit    ? &m_isGraf
              : bit == CVKPaneLayout::kValuesBit   ? &m_isData
              : bit == CVKPaneLayout::kAlarmsBit   ? &m_isAlarm
              : bit == CVKPaneLayout::kPanelBit && m_hasPanel ? &m_isNahled
                                                   : nullptr;
    if (!flag)
        return;
    *flag = !*flag;
    if (bit == CVKPaneLayout::kAlarmsBit && m_isAlarm)
        RefillAlarmList();
    ResetPanes();
}

void CVKR01View::ResetPanes()
{
    const CVKPaneLayout::Reset reset = CVKPaneLayout::ResetFor(PaneMask());
    m_scrollSize = reset.scrollSize;
    m_prickaX = reset.ratioX;
    m_prickaY = reset.ratioY;
    OnPanesChanged();
    m_extent = m_scrollSize.expandedTo(size());
    LayoutPanes();
}

void CVKR01View::LayoutPanes()
{
    const CVKPaneLayout::Rects rects = CVKPaneLayout::PaneRects(PaneMask(), m_prickaX, m_prickaY);
    const int w = std::max(1, m_extent.width());
    const int h = std::max(1, m_extent.height());
    const std::pair<QWidget*, CVKPaneLayout::Pane> panes[] = {{m_graph, CVKPaneLayout::kGraph},
                                                             {m_values, CVKPaneLayout::kValues},
                                                             {m_alarms, CVKPaneLayout::kAlarms},
                                                             {m_panel, CVKPaneLayout::kPanel}};
    for (const auto& [widget, pane] : panes) {
        const CVKPaneLayout::Rect& r = rects[pane];
        const QRect pixels = r.valid ? CVKPaneLayout::ToPixels(r, w, h) : QRect();
        if (pane == CVKPaneLayout::kGraph) {
            PlaceGraph(pixels, r.valid);
            continue;
        }
        widget->setVisible(r.valid);
        if (r.valid)
            widget->setGeometry(pixels);
    }
}

void CVKR01View::PlaceGraph(const QRect& rect, bool show)
{
    m_graph->setVisible(show);
    if (show)
        m_graph->setGeometry(rect);
}

void CVKR01View::resizeEvent(QResizeEvent* event)
{
    ui::CView::resizeEvent(event);
    m_extent = m_scrollSize.expandedTo(size());
    LayoutPanes();
}

void CVKR01View::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        m_dragging = CVKPaneLayout::HitTest(PaneMask(), m_prickaX, m_prickaY, m_extent.width(), m_extent.height(),
                                            p.x(), p.y());
    }
    ui::CView::mousePressEvent(event);
}

void CVKR01View::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_dragging == CVKPaneLayout::kX || m_dragging == CVKPaneLayout::kY) {
        if (m_dragging == CVKPaneLayout::kX)
            m_prickaX = CVKPaneLayout::DragRatio(p.x(), m_extent.width());
        else
            m_prickaY = CVKPaneLayout::DragRatio(p.y(), m_extent.height());
        LayoutPanes();
    } else {
        const auto hit = CVKPaneLayout::HitTest(PaneMask(), m_prickaX, m_prickaY, m_extent.width(),
                                                m_extent.height(), p.x(), p.y());
        if (hit == CVKPaneLayout::kNone)
            unsetCursor();
        else
            setCursor(hit == CVKPaneLayout::kX ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    }
    ui::CView::mouseMoveEvent(event);
}

void CVKR01View::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = CVKPaneLayout::kNone;
    ui::CView::mouseReleaseEvent(event);
}

void CVKR01View::FillMenu(QMenu& menu)
{
    auto pane = [&](const char* text, int bit, int shown) {
        QAction* action = menu.addAction(QString::fromUtf8(text), this, [this, bit] { TogglePane(bit); });
        action->setCheckable(true);
        action->setChecked(shown);
    };
    pane("Panel &grafu", CVKPaneLayout::kGraphBit, m_isGraf);
    pane("Panel &aktuálních dat", CVKPaneLayout::kValuesBit, m_isData);
    if (m_hasPanel)
        pane("Panel &přístroje", CVKPaneLayout::kPanelBit, m_isNahled);
    pane("Panel a&larmů a událostí", CVKPaneLayout::kAlarmsBit, m_isAlarm);
    menu.addSeparator();
    // Zoom percent for each axis: 1 time, 2 value, 3 both (off).
    for (const auto& [text, axes] : {std::pair{"Vertikální lupa", 2u}, std::pair{"Časová lupa", 1u}}) {
        QMenu* zoom = menu.addMenu(QString::fromUtf8(text));
        for (int percent : CGraphWnd::kZoomPercents)
            zoom->addAction(QStringLiteral("%1%").arg(percent), this,
                            [this, percent, axes = axes] { m_graph->SetZoom(percent, axes); });
        zoom->setEnabled(m_isGraf);
    }
    menu.addAction(QStringLiteral("Vypnout lupy"), this, [this] { m_graph->SetZoom(100, 3); })->setEnabled(m_isGraf);
    QAction* grid = menu.addAction(QStringLiteral("Rastr"), this, [this] {
        m_graph->SetGrid(!m_graph->Grid());
        m_graph->Redraw();
    });
    grid->setCheckable(true);
    grid->setChecked(m_graph->Grid());
    menu.addAction(QStringLiteral("Zobrazené veličiny ..."), this, &CVKR01View::OnDisplayedQuantities)
        ->setEnabled(m_isGraf && m_graph->HasSource());
}

void CVKR01View::OnDisplayedQuantities()
{
    CVKRZobrazeneVelicinyDlg dialog(this);
    if (dialog.LoadFromGraph(*m_graph) && dialog.exec() == QDialog::Accepted) {
        dialog.StoreToGraph(*m_graph);
        OnQuantitiesChanged();
        m_graph->SaveSettings();
    }
    m_graph->update();
}

void CVKR01View::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    FillMenu(menu);
    menu.exec(event->globalPos());
}

} // namespace analysers_vk
