#include "analysers_vk/VKRPlochaDlg.h"

#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QLabel>

namespace analysers_vk {

namespace {

constexpr int kEventChangeScenar = 1;

} // namespace

CVKRPlochaDlg::CVKRPlochaDlg(QWidget* parent) : QWidget(parent)
{
    QString error;
    m_control = controls::ControlFactory::create(controls::ControlFactory::VKRDialog, this, &error);
    if (m_control) {
        connect(m_control, &controls::CPanelControl::controlEvent, this, [this](int id, const QVariantList&) {
            if (id == kEventChangeScenar)
                emit screenChanged();
            else if (id == controls::DispidMouseDown)
                emit menuRequested(QCursor::pos());
        });
    } else {
        auto* label = new QLabel(error, this);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        m_error = label;
    }
}

void CVKRPlochaDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_controlSize = QSize(std::max(1, width() - 1), std::max(1, height() - 1));
    (m_control ? static_cast<QWidget*>(m_control) : m_error)->setGeometry(QRect(QPoint(1, 1), m_controlSize));
}

void CVKRPlochaDlg::contextMenuEvent(QContextMenuEvent* event)
{
    emit menuRequested(event->globalPos());
}

} // namespace analysers_vk
