#include "analysers_vk/PanelControlHost.h"

#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QLabel>

#include <algorithm>

namespace analysers_vk {

CPanelControlHost::CPanelControlHost(const QString& control, int minSize, int inset, QWidget* parent)
    : QWidget(parent), m_minSize(minSize), m_inset(inset), m_controlSize(minSize, minSize)
{
    QString error;
    m_control = controls::ControlFactory::create(control, this, &error);
    if (m_control) {
        connect(m_control, &controls::CPanelControl::controlEvent, this, [this](int id, const QVariantList&) {
            if (id == controls::DispidMouseDown)
                emit menuRequested(QCursor::pos());
            else
                ControlEvent(id);
        });
    } else {
        auto* label = new QLabel(error, this);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        m_error = label;
    }
}

void CPanelControlHost::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_controlSize = QSize(std::max(m_minSize, width() - m_inset), std::max(m_minSize, height() - m_inset));
    (m_control ? static_cast<QWidget*>(m_control) : m_error)->setGeometry(QRect(QPoint(1, 1), m_controlSize));
}

void CPanelControlHost::contextMenuEvent(QContextMenuEvent* event)
{
    // The control's mouse-down has asked for the menu already; the context
    // event of the same click would show it a second time once the first
    // one is done.
    if (!m_control || event->reason() != QContextMenuEvent::Mouse)
        emit menuRequested(event->globalPos());
    event->accept();
}

} // namespace analysers_vk
