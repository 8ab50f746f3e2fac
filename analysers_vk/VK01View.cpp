#include "analysers_vk/VK01View.h"

#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "analysers_vk/VKZobrazeneVelicinyDlg.h"
#include "charts/GraphWnd.h"
#include "charts/PanelEventList.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace analysers_vk {

namespace {

constexpr int kScenar = 1;
constexpr int kEventChangeScenar = 1;
constexpr int kEventSettings = 2;
constexpr int kEventList = 3;

} // namespace

QStringList CVK01View::ScenarioNames()
{
    return {QStringLiteral("UL-N"), QStringLiteral("I"),   QStringLiteral("PF"),  QStringLiteral("UL-L"),
            QStringLiteral("cos"),  QStringLiteral("3PfT"), QStringLiteral("P"),  QStringLiteral("Q"),
            QStringLiteral("S"),    QStringLiteral("3PQS"), QStringLiteral("THDU"), QStringLiteral("THDI")};
}

CVK01View::CVK01View(QWidget* parent) : ui::CView(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
    m_graph = new CVKGrafAktual(this);
    m_graph->setWindowTitle(QStringLiteral("ahoj"));
    m_alarms = new CPanelEventList(this);
    m_values = new CVKHodnotyDlg(this);

    QString error;
    m_panel = controls::ControlFactory::create(controls::ControlFactory::VKDialog, this, &error);
    if (m_panel) {
        connect(m_panel, &controls::CPanelControl::controlEvent, this,
                [this](int id, const QVariantList&) { OnPanelEvent(id); });
    } else {
        // Without the control's plugin the pane tells why it is empty.
        m_panelError = new QLabel(error, this);
        m_panelError->setWordWrap(true);
        m_panelError->setAlignment(Qt::AlignCenter);
        m_panelError->setFrameShape(QFrame::Box);
    }
    m_scenarios = new QListWidget(this);
    m_scenarios->setSelectionMode(QAbstractItemView::SingleSelection);
    m_scenarios->hide();
    connect(m_scenarios, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ChooseScenario(m_scenarios->row(item)); });
    connect(m_scenarios, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ChooseScenario(m_scenarios->row(item)); });
    ResetPanes();
    OnViewCreated();
}

CVK01View::~CVK01View() = default;

int CVK01View::PaneMask() const
{
    return (m_isGraf ? CVKPaneLayout::kGraphBit : 0) | (m_isData ? CVKPaneLayout::kValuesBit : 0) |
           (m_isAlarm ? CVKPaneLayout::kAlarmsBit : 0) | (m_isNahled ? CVKPaneLayout::kPanelBit : 0);
}

void CVK01View::SetPanes(bool graph, bool values, bool alarms, bool panel)
{
    m_isGraf = graph;
    m_isData = values;
    m_isAlarm = alarms;
    m_isNahled = panel;
    ResetPanes();
}

void CVK01View::TogglePane(int bit)
{
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

void CVK01View::ResetPanes()
{
    const CVKPaneLayout::Reset reset = CVKPaneLayout::ResetFor(PaneMask());
    m_scrollSize = reset.scrollSize;
    m_prickaX = reset.ratioX;
    m_prickaY = reset.ratioY;
    OnPanesChanged();
    m_extent = m_scrollSize.expandedTo(size());
    LayoutPanes();
}

void CVK01View::PlaceGraph(const QRect& rect, bool show)
{
    if (show) {
        m_graph->setGeometry(rect);
        m_graph->show();
    } else {
        m_graph->hide();
    }
}

void CVK01View::LayoutPanes()
{
    const int mask = PaneMask();
    const CVKPaneLayout::Rects rects = CVKPaneLayout::PaneRects(mask, m_prickaX, m_prickaY);
    const int W = std::max(1, m_extent.width());
    const int H = std::max(1, m_extent.height());
    auto place = [&](QWidget* widget, CVKPaneLayout::Pane pane) {
        if (!widget)
            return;
        const CVKPaneLayout::Rect& r = rects[pane];
        if (!r.valid) {
            widget->hide();
            return;
        }
        widget->setGeometry(CVKPaneLayout::ToPixels(r, W, H));
        widget->show();
    };
    const CVKPaneLayout::Rect& graph = rects[CVKPaneLayout::kGraph];
    PlaceGraph(graph.valid ? CVKPaneLayout::ToPixels(graph, W, H) : QRect(), graph.valid);
    place(m_values, CVKPaneLayout::kValues);
    place(m_alarms, CVKPaneLayout::kAlarms);
    place(m_panel, CVKPaneLayout::kPanel);
    place(m_panelError, CVKPaneLayout::kPanel);
    if (!m_isNahled)
        m_scenarios->hide();
}

void CVK01View::resizeEvent(QResizeEvent* event)
{
    ui::CView::resizeEvent(event);
    m_extent = m_scrollSize.expandedTo(size());
    LayoutPanes();
    if (m_isNahled && m_scenarios->isVisible())
        PlaceScenarioList();
}

void CVK01View::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        m_dragging = CVKPaneLayout::HitTest(PaneMask(), m_prickaX, m_prickaY, m_extent.width(), m_extent.height(),
                                            p.x(), p.y());
    }
    ui::CView::mousePressEvent(event);
}

void CVK01View::mouseMoveEvent(QMouseEvent* event)
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

void CVK01View::mouseReleaseEvent(QMouseEvent* event)
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

void CVK01View::OnPanelEvent(int id)
{
    switch (id) {
    case kEventChangeScenar: OnScenarioChanged(); break;
    case kEventSettings: OnSettingsRequested(); break;
    case kEventList: ShowScenarioList(); break;
    default: break;
    }
}

void CVK01View::PlaceScenarioList()
{
    QWidget* host = m_panel ? static_cast<QWidget*>(m_panel) : m_panelError;
    const QRect client = host ? host->geometry() : rect();
    const int w = client.width() * 2 / 5;
    const int h = client.height() / 2;
    m_scenarios->setGeometry(rect().right() + 1 - w, rect().bottom() + 1 - h, w, h);
}

void CVK01View::ShowScenarioList()
{
    if (m_panel)
        m_panel->setEnabled(false);
    PlaceScenarioList();
    m_scenarios->clear();
    m_scenarios->addItems(ScenarioNames());
    m_scenarios->show();
    m_scenarios->raise();
}

void CVK01View::ChooseScenario(int item)
{
    if (item < 0)
        return;
    if (m_panel)
        m_panel->Invoke(kScenar, {item + m_scenarioOffset});
    m_scenarios->hide();
    if (m_panel)
        m_panel->setEnabled(true);
}

void CVK01View::FillMenu(QMenu& menu)
{
    auto pane = [&](const char* text, int bit, int shown) {
        QAction* action = menu.addAction(QString::fromUtf8(text), this, [this, bit] { TogglePane(bit); });
        action->setCheckable(true);
        action->setChecked(shown);
    };
    pane("Panel &grafu", CVKPaneLayout::kGraphBit, m_isGraf);
    pane("Panel &aktuálních dat", CVKPaneLayout::kValuesBit, m_isData);
    QAction* panel = menu.addAction(QStringLiteral("Panel &přístroje"), this,
                                    [this] { TogglePane(CVKPaneLayout::kPanelBit); });
    panel->setCheckable(true);
    panel->setChecked(m_isNahled);
    pane("Panel a&larmů a událostí", CVKPaneLayout::kAlarmsBit, m_isAlarm);
    menu.addSeparator();
    QMenu* vertical = menu.addMenu(QStringLiteral("Vertikální lupa"));
    QMenu* time = menu.addMenu(QStringLiteral("Časová lupa"));
    for (int percent : CGraphWnd::kZoomPercents) {
        const QString text = QStringLiteral("%1%").arg(percent);
        vertical->addAction(text, this, [this, percent] { m_graph->SetZoom(percent, 2); });
        time->addAction(text, this, [this, percent] { m_graph->SetZoom(percent, 1); });
    }
    const bool zoom = m_isGraf && ZoomAllowed();
    vertical->setEnabled(zoom);
    time->setEnabled(zoom);
    menu.addAction(QStringLiteral("Vypnout lupy"), this, [this] { m_graph->SetZoom(100, 3); })->setEnabled(zoom);
    QAction* grid = menu.addAction(QStringLiteral("Rastr"), this, [this] {
        m_graph->SetGrid(!m_graph->Grid());
        m_graph->Redraw();
    });
    grid->setCheckable(true);
    grid->setChecked(m_graph->Grid());
    menu.addAction(QStringLiteral("Zobrazené veličiny ..."), this, &CVK01View::OnDisplayedQuantities)
        ->setEnabled(zoom && m_graph->HasSource());
}

void CVK01View::OnDisplayedQuantities()
{
    CVKZobrazeneVelicinyDlg dialog(this);
    if (dialog.LoadFromGraph(*m_graph) && dialog.exec() == QDialog::Accepted) {
        dialog.StoreToGraph(*m_graph);
        OnQuantitiesChanged();
        m_graph->SaveSettings();
    }
    m_graph->CreateFontsNow();
    m_graph->update();
}

void CVK01View::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    FillMenu(menu);
    menu.exec(event->globalPos());
}

} // namespace analysers_vk
