#include "charts/StatPanel.h"

#include "platform/StringTable.h"
#include "platform/ui/WaitDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPointer>

#include <atomic>

CStatPanel::CStatPanel(int family, QWidget* parent) : QWidget(parent)
{
    m_tabs = new CStatTabCtrl(family, this);
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

bool WithStatisticsProgress(QWidget* owner, const std::function<void(const stats::ProgressFn&)>& work)
{
    QPointer<ui::CWaitDlg> wait = new ui::CWaitDlg(owner);
    // Modal, so that while the run lets events through only the dialog takes
    // input: closing it (Esc, the title bar) stops the run.
    wait->setWindowModality(Qt::ApplicationModal);
    wait->SetProgress(0);
    wait->show();
    std::atomic<bool> cancel{false};
    const QMetaObject::Connection closed =
        QObject::connect(wait.data(), &QDialog::finished, wait.data(), [&cancel] { cancel = true; });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QElapsedTimer sinceShown;
    sinceShown.start();
    const stats::ProgressFn progress(
        [&wait, &sinceShown, &cancel](int percent) {
            if (!wait) {
                cancel = true;
                return;
            }
            // A few paints a second, however fast the percents come.
            if (percent < 100 && sinceShown.elapsed() < 250)
                return;
            sinceShown.restart();
            wait->SetProgress(percent);
            QApplication::processEvents();
        },
        &cancel);
    work(progress);
    QApplication::restoreOverrideCursor();
    QObject::disconnect(closed);
    if (wait) {
        wait->close();
        if (wait)
            wait->deleteLater();
    }
    return !cancel.load();
}

} // namespace charts
