#include "platform/ui/WaitDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace ui {

CWaitDlg::CWaitDlg(QWidget* parent)
    : QDialog(parent), m_text(new QLabel(this)), m_progress(new QProgressBar(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
}

void CWaitDlg::SetText(const QString& text)
{
    m_text->setText(text);
    if (isVisible())
        m_text->repaint();
}

void CWaitDlg::SetProgress(int percent)
{
    m_progress->setValue(std::clamp(percent, 0, 100));
}

QString CWaitDlg::Text() const
{
    return m_text->text();
}

int CWaitDlg::Progress() const
{
    return m_progress->value();
}

} // namespace ui
