#include "analysers_vk/VKSeznamDlg.h"

#include "analysers_vk/VK01View.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QLabel>
#include <QListWidget>

#include <algorithm>

namespace analysers_vk {

CVKSeznamDlg::CVKSeznamDlg(QWidget* parent) : QWidget(parent)
{
    QString error;
    m_control = controls::ControlFactory::create(controls::ControlFactory::VKDialog, this, &error);
    if (m_control) {
        connect(m_control, &controls::CPanelControl::controlEvent, this, [this](int id, const QVariantList&) {
            switch (id) {
            case 1: emit scenarioChanged(); break;
            case 2: emit settingsRequested(); break;
            case 3: ShowScenarioList(); break;
            case controls::DispidMouseDown: emit menuRequested(QCursor::pos()); break;
            default: break;
            }
        });
    } else {
        auto* label = new QLabel(error, this);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        m_error = label;
    }
    m_list = new QListWidget(this);
    m_list->hide();
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { ChooseScenario(m_list->row(item)); });
}

void CVKSeznamDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_controlSize = QSize(std::max(width(), kMinControlSize), std::max(height(), kMinControlSize));
    QWidget* shown = m_control ? static_cast<QWidget*>(m_control) : m_error;
    shown->setGeometry(QRect(QPoint(1, 1), m_controlSize));
    if (m_list->isVisible())
        PlaceList();
}

void CVKSeznamDlg::contextMenuEvent(QContextMenuEvent* event)
{
    emit menuRequested(event->globalPos());
}

void CVKSeznamDlg::PlaceList()
{
    const int w = m_controlSize.width() * 2 / 5;
    const int h = m_controlSize.height() / 2;
    m_list->setGeometry(width() - w, height() - h, w, h);
}

void CVKSeznamDlg::ShowScenarioList()
{
    if (m_control)
        m_control->setEnabled(false);
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
    if (m_control) {
        m_control->Invoke(1, {item + m_offset});
        m_control->setEnabled(true);
    }
    m_list->hide();
    emit scenarioChanged();
}

} // namespace analysers_vk
