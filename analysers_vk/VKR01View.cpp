#include "analysers_vk/VKR01View.h"

#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "analysers_vk/VKRZobrazeneVelicinyDlg.h"
#include "charts/PanelEventList.h"

#include <QMenu>

namespace analysers_vk {

CVKR01View::CVKR01View(QWidget* parent) : CVKFormView(parent)
{
    m_graph = new CVKRGrafAktual(this);
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
    SetPaneWidgets(m_graph, m_values, m_alarms, m_panel);
    ResetPanes();
}

CVKR01View::~CVKR01View() = default;

void CVKR01View::OnDisplayedQuantities()
{
    EditDisplayedQuantities<CVKRZobrazeneVelicinyDlg>(*m_graph);
}

} // namespace analysers_vk
