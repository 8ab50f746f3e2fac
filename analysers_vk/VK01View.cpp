#include "analysers_vk/VK01View.h"

#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "analysers_vk/VKZobrazeneVelicinyDlg.h"
#include "charts/GraphWnd.h"
#include "charts/PanelEventList.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"

#include <QLabel>
#include <QListWidget>

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

CVK01View::CVK01View(QWidget* parent) : CVKFormView(parent)
{
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
    SetPaneWidgets(m_graph, m_values, m_alarms, m_panel ? static_cast<QWidget*>(m_panel) : m_panelError);
    ResetPanes();
    OnViewCreated();
}

CVK01View::~CVK01View() = default;

void CVK01View::LayoutPanes()
{
    CVKFormView::LayoutPanes();
    if (!m_isNahled)
        m_scenarios->hide();
}

void CVK01View::resizeEvent(QResizeEvent* event)
{
    CVKFormView::resizeEvent(event);
    if (m_isNahled && m_scenarios->isVisible())
        PlaceScenarioList();
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

void CVK01View::OnDisplayedQuantities()
{
    EditDisplayedQuantities<CVKZobrazeneVelicinyDlg>(*m_graph);
}

} // namespace analysers_vk
