#include "analysers_vk/VKSeznamDlg.h"

#include "analysers_vk/VK01View.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"

#include <QListWidget>

namespace analysers_vk {

CVKSeznamDlg::CVKSeznamDlg(QWidget* parent)
    : CPanelControlHost(controls::ControlFactory::VKDialog, kMinControlSize, 0, parent)
{
    m_list = new QListWidget(this);
    m_list->hide();
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { ChooseScenario(m_list->row(item)); });
}

void CVKSeznamDlg::ControlEvent(int id)
{
    switch (id) {
    case 1: emit scenarioChanged(); break;
    case 2: emit settingsRequested(); break;
    case 3: ShowScenarioList(); break;
    default: break;
    }
}

void CVKSeznamDlg::resizeEvent(QResizeEvent* event)
{
    CPanelControlHost::resizeEvent(event);
    if (m_list->isVisible())
        PlaceList();
}

void CVKSeznamDlg::PlaceList()
{
    const int w = ControlSize().width() * 2 / 5;
    const int h = ControlSize().height() / 2;
    m_list->setGeometry(width() - w, height() - h, w, h);
}

void CVKSeznamDlg::ShowScenarioList()
{
    if (Control())
        Control()->setEnabled(false);
    m_list->clear();
    m_list->addItems(CVK01View::ScenarioNames());
    PlaceList();
    m_list->show();
    m_list->raise();
}

void CVKSeznamDlg::ChooseScenario(int item)
{
    if (item < 0)
        return;
    if (Control()) {
        Control()->Invoke(1, {item + m_offset});
        Control()->setEnabled(true);
    }
    m_list->hide();
    emit scenarioChanged();
}

} // namespace analysers_vk
