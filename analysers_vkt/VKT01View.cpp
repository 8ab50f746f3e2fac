#include "analysers_vkt/VKT01View.h"

#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "analysers_vkt/VKTZobrazeneVelicinyDlg.h"
#include "charts/PanelEventList.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"

#include <QLabel>

namespace analysers_vkt {

namespace {

constexpr int kEventChangeScenar = 1;

} // namespace

CVKT01View::CVKT01View(QWidget* parent) : CVKFormView(parent)
{
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
    SetPaneWidgets(m_graph, m_values, m_alarms, m_panel ? static_cast<QWidget*>(m_panel) : m_panelError);
    ResetPanes();
}

CVKT01View::~CVKT01View() = default;

bool CVKT01View::PaneEnabled(int bit) const
{
    if (bit == Layout::kGraphBit)
        return m_graphReady != 0;
    return bit != Layout::kPanelBit || !m_graph->Offline();
}

void CVKT01View::OnDisplayedQuantities()
{
    EditDisplayedQuantities<CVKTZobrazeneVelicinyDlg>(*m_graph);
}

} // namespace analysers_vkt
