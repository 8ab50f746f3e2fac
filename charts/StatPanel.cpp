#include "charts/StatPanel.h"

#include "platform/StringTable.h"
#include "platform/ui/WaitDlg.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>

CStatPanel::CStatPanel(bool vkr, QWidget* parent) : QWidget(parent)
{
    m_tabs = new CStatTabCtrl(vkr, this);
    connect(m_tabs, &CStatTabCtrl::segmentSelected, this, [this](int segment) { SegmentChosen(segment); });
    m_tabs->SetRefresh([this] { Refresh(); });
}

void CStatPanel::SetShowFlag(int show)
{
    m_show = show;
    update();
}

void CStatPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_tabs->setGeometry(rect());
}

void CStatPanel::paintEvent(QPaintEvent*)
{
    if (m_show != m_appliedShow) {
        m_tabs->setVisible(m_show > 0);
        m_appliedShow = m_show;
    }
    if (m_show != 0)
        return;
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, platform::LoadString(platform::IDS_SETTING_TIME));
}

namespace charts {

void WithStatisticsProgress(QWidget* owner, const std::function<void(const stats::ProgressFn&)>& work)
{
    QPointer<ui::CWaitDlg> wait = new ui::CWaitDlg(owner);
    wait->SetProgress(0);
    wait->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    work([&wait](int percent) {
        // The computation reports each percent once: the dialog is painted
        // a hundred times at most.
        if (wait) {
            wait->SetProgress(percent);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    });
    QApplication::restoreOverrideCursor();
    if (wait) {
        wait->close();
        if (wait)
            wait->deleteLater();
    }
}

} // namespace charts
