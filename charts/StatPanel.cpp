#include "charts/StatPanel.h"

#include "platform/StringTable.h"
#include "platform/ui/WaitDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>

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

namespace {

// Keeps the wait dialog up for the whole run: Esc and the title bar's close
// would only hide it, the computation goes on regardless.
class KeepOpen : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void WithStatisticsProgress(QWidget* owner, const std::function<void(const stats::ProgressFn&)>& work)
{
    QPointer<ui::CWaitDlg> wait = new ui::CWaitDlg(owner);
    // Modal, so that while the run lets events through only the dialog takes
    // input, and the dialog itself cannot be closed.
    wait->setWindowModality(Qt::ApplicationModal);
    auto* keepOpen = new KeepOpen(wait.data());
    wait->installEventFilter(keepOpen);
    wait->SetProgress(0);
    wait->show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QElapsedTimer sinceShown;
    sinceShown.start();
    const stats::ProgressFn progress([&wait, &sinceShown](int percent) {
        if (!wait)
            return;
        // A few paints a second, however fast the percents come.
        if (percent < 100 && sinceShown.elapsed() < 250)
            return;
        sinceShown.restart();
        wait->SetProgress(percent);
        QApplication::processEvents();
    });
    work(progress);
    QApplication::restoreOverrideCursor();
    if (wait) {
        wait->removeEventFilter(keepOpen);
        wait->close();
        if (wait)
            wait->deleteLater();
    }
}

} // namespace charts
