#include "analysers_vkt/VKT01View.h"

#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "analysers_vkt/VKTZobrazeneVelicinyDlg.h"
#include "charts/GraphWnd.h"
#include "charts/PanelEventList.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace analysers_vkt {

namespace {

constexpr int kEventChangeScenar = 1;

} // namespace

CVKT01View::CVKT01View(QWidget* parent) : ui::CView(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
    m_graph = new CVKTGrafAktual(this);
    m_graph->setWindowTitle(QStringLiteral("ahoj"));
    m_alarms = new CPanelEventList(this);
    m_values = new CVKTHodnotyDlg(this);
    QString error;
    m_panel = controls::ControlFactory::create(controls::ControlFactory::VKTDialog, this, &error);
    if (m_panel) {
        connect(m_panel, &controls::CPanelControl::controlEvent, this, [this](int id, const QVariantList&) {
            if (id == kEventChangeScenar)
                OnScenarioChanged();
        });
    } else {
        // Without the control's plugin the pane tells why it is empty.
        m_panelError = new QLabel(error, this);
        m_panelError->setWordWrap(true);
        m_panelError->setAlignment(Qt::AlignCenter);
        m_panelError->setFrameShape(QFrame::Box);
    }
    ResetPanes();
}

CVKT01View::~CVKT01View() = default;

int CVKT01View::PaneMask() const
{
    return (m_isGraf ? Layout::kGraphBit : 0) | (m_isData ? Layout::kValuesBit : 0) |
           (m_isAlarm ? Layout::kAlarmsBit : 0) | (m_isNahled ? Layout::kPanelBit : 0);
}

void CVKT01View::SetPanes(bool graph, bool values, bool alarms, bool panel)
{
    m_isGraf = graph;
    m_isData = values;
    m_isAlarm = alarms;
    m_isNahled = panel;
    ResetPanes();
}

void CVKT01View::TogglePane(int bit)
{
    switch (bit) {
    case Layout::kGraphBit: m_isGraf = !m_isGraf; break;
    case Layout::kValuesBit: m_isData = !m_isData; break;
    case Layout::kAlarmsBit:
        m_isAlarm = !m_isAlarm;
        if (m_isAlarm)
            RefillAlarmList();
        break;
    case Layout::kPanelBit: m_isNahled = !m_isNahled; break;
    default: return;
    }
    ResetPanes();
}

void CVKT01View::ResetPanes()
{
    const Layout::Reset reset = Layout::ResetFor(PaneMask());
    m_scrollSize = reset.scrollSize;
    m_prickaX = reset.ratioX;
    m_prickaY = reset.ratioY;
    m_extent = m_scrollSize.expandedTo(size());
    LayoutPanes();
    OnPanesChanged();
}

void CVKT01View::LayoutPanes()
{
    const Layout::Rects rects = Layout::PaneRects(PaneMask(), m_prickaX, m_prickaY);
    const int W = std::max(1, m_extent.width());
    const int H = std::max(1, m_extent.height());
    auto place = [&](QWidget* widget, Layout::Pane pane) {
        if (!widget)
            return;
        const Layout::Rect& r = rects[pane];
        if (!r.valid) {
            widget->hide();
            return;
        }
        widget->setGeometry(Layout::ToPixels(r, W, H));
        widget->show();
    };
    const Layout::Rect& graph = rects[Layout::kGraph];
    PlaceGraph(graph.valid ? Layout::ToPixels(graph, W, H) : QRect(), graph.valid);
    place(m_values, Layout::kValues);
    place(m_alarms, Layout::kAlarms);
    place(m_panel, Layout::kPanel);
    place(m_panelError, Layout::kPanel);
}

void CVKT01View::PlaceGraph(const QRect& rect, bool show)
{
    if (show) {
        m_graph->setGeometry(rect);
        m_graph->show();
    } else {
        m_graph->hide();
    }
}

void CVKT01View::resizeEvent(QResizeEvent* event)
{
    ui::CView::resizeEvent(event);
    m_extent = m_scrollSize.expandedTo(size());
    LayoutPanes();
}

void CVKT01View::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        m_dragging =
            Layout::HitTest(PaneMask(), m_prickaX, m_prickaY, m_extent.width(), m_extent.height(), p.x(), p.y());
    }
    ui::CView::mousePressEvent(event);
}

void CVKT01View::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (m_dragging == Layout::kX) {
        m_prickaX = Layout::DragRatio(p.x(), m_extent.width());
        LayoutPanes();
    } else if (m_dragging == Layout::kY) {
        m_prickaY = Layout::DragRatio(p.y(), m_extent.height());
        LayoutPanes();
    } else {
        switch (Layout::HitTest(PaneMask(), m_prickaX, m_prickaY, m_extent.width(), m_extent.height(), p.x(), p.y())) {
        case Layout::kX: setCursor(Qt::SizeHorCursor); break;
        case Layout::kY: setCursor(Qt::SizeVerCursor); break;
        default: unsetCursor(); break;
        }
    }
    ui::CView::mouseMoveEvent(event);
}

void CVKT01View::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_dragging != Layout::kNone) {
        const QPoint p = event->position().toPoint();
        if (m_dragging == Layout::kX)
            m_prickaX = Layout::DragRatio(p.x(), m_extent.width());
        else
            m_prickaY = Layout::DragRatio(p.y(), m_extent.height());
        m_dragging = Layout::kNone;
        LayoutPanes();
    }
    ui::CView::mouseReleaseEvent(event);
}

void CVKT01View::FillMenu(QMenu& menu)
{
    auto pane = [&](const char* text, int bit, int shown, bool enabled) {
        QAction* action = menu.addAction(QString::fromUtf8(text), this, [this, bit] { TogglePane(bit); });
        action->setCheckable(true);
        action->setChecked(shown);
        action->setEnabled(enabled);
    };
    pane("Panel &grafu", Layout::kGraphBit, m_isGraf, m_graphReady != 0);
    pane("Panel &aktuálních dat", Layout::kValuesBit, m_isData, true);
    // The instrument panel belongs to live views only (a graph without a
    // time axis).
    pane("Panel &přístroje", Layout::kPanelBit, m_isNahled, !m_graph->Offline());
    pane("Panel a&larmů a událostí", Layout::kAlarmsBit, m_isAlarm, true);
    menu.addSeparator();
    const bool zoom = m_isGraf && m_graphReady;
    QMenu* vertical = menu.addMenu(QStringLiteral("Vertikální lupa"));
    QMenu* time = menu.addMenu(QStringLiteral("Časová lupa"));
    for (int percent : CGraphWnd::kZoomPercents) {
        const QString text = QStringLiteral("%1%").arg(percent);
        vertical->addAction(text, this, [this, percent] { m_graph->SetZoom(percent, 2); });
        time->addAction(text, this, [this, percent] { m_graph->SetZoom(percent, 1); });
    }
    vertical->setEnabled(zoom);
    time->setEnabled(zoom);
    menu.addAction(QStringLiteral("Vypnout lupy"), this, [this] { m_graph->SetZoom(100, 3); })->setEnabled(zoom);
    QAction* grid = menu.addAction(QStringLiteral("Rastr"), this, [this] {
        m_graph->SetGrid(!m_graph->Grid());
        m_graph->update();
    });
    grid->setCheckable(true);
    grid->setChecked(m_graph->Grid());
    menu.addAction(QStringLiteral("Zobrazené veličiny ..."), this, &CVKT01View::OnDisplayedQuantities)
        ->setEnabled(zoom && m_graph->HasSource());
}

void CVKT01View::OnDisplayedQuantities()
{
    CVKTZobrazeneVelicinyDlg dialog(this);
    if (dialog.LoadFromGraph(*m_graph) && dialog.exec() == QDialog::Accepted) {
        dialog.StoreToGraph(*m_graph);
        OnQuantitiesChanged();
        m_graph->SaveSettings();
    }
    m_graph->CreateFontsNow();
    m_graph->update();
}

void CVKT01View::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    FillMenu(menu);
    menu.exec(event->globalPos());
}

} // namespace analysers_vkt
