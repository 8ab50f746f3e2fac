#include "link_ui/ModemDialDlg.h"

#include "platform/ThreadMessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

CModemDialDlg::CModemDialDlg(QWidget* parent)
    : QDialog(parent), m_status(new QLabel), m_button(new QPushButton(QStringLiteral("Storno"))), m_timer(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Spojení s modemem"));
    auto* top = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    const QStyle::StandardPixmap icons[2] = {QStyle::SP_DriveNetIcon, QStyle::SP_ComputerIcon};
    for (int i = 0; i < 2; ++i) {
        m_pictures[i] = new QLabel;
        m_pictures[i]->setObjectName(QString::number(i == 0 ? IdPicture1 : IdPicture2));
        m_pictures[i]->setPixmap(style()->standardIcon(icons[i]).pixmap(32, 32));
        row->addWidget(m_pictures[i]);
    }
    m_status->setObjectName(QString::number(IdStatus));
    m_status->setMinimumWidth(280);
    m_status->setWordWrap(true);
    row->addWidget(m_status, 1);
    top->addLayout(row);
    m_button->setObjectName(QString::number(IdButton));
    top->addWidget(m_button, 0, Qt::AlignHCenter);
    m_pictures[1]->hide();

    connect(m_button, &QPushButton::clicked, this, &CModemDialDlg::OnButton);
    connect(m_timer, &QTimer::timeout, this, &CModemDialDlg::Blink);
    m_timer->start(kBlinkMs);

    SetMessageHandler(platform::WM_DIAL_STATUS, [this](std::uintptr_t w, std::intptr_t) -> std::intptr_t {
        if (w)
            m_status->setText(*reinterpret_cast<const QString*>(w));
        return 0;
    });
    SetMessageHandler(platform::WM_DIAL_CAPTION, [this](std::uintptr_t w, std::intptr_t) -> std::intptr_t {
        if (w)
            setWindowTitle(*reinterpret_cast<const QString*>(w));
        return 0;
    });
    SetMessageHandler(platform::WM_DIAL_QUERY_CANCEL,
                      [this](std::uintptr_t, std::intptr_t) -> std::intptr_t { return m_cancelled ? 1 : 0; });
    SetMessageHandler(platform::WM_DIAL_DONE, [this](std::uintptr_t w, std::intptr_t) -> std::intptr_t {
        if (w == IModemDialog::kHangingUp)
            m_button->setEnabled(false);
        if (w == IModemDialog::kFinished) {
            m_finished = true;
            m_button->setEnabled(true);
            m_button->setText(QStringLiteral("OK"));
            m_timer->stop();
        }
        return 0;
    });
}

QString CModemDialDlg::StatusText() const
{
    return m_status->text();
}

QString CModemDialDlg::ButtonText() const
{
    return m_button->text();
}

void CModemDialDlg::Blink()
{
    m_pictures[m_picture]->hide();
    m_picture = 1 - m_picture;
    m_pictures[m_picture]->show();
}

void CModemDialDlg::OnButton()
{
    if (m_finished) {
        accept();
        return;
    }
    m_cancelled = true;
}

void CModemDialDlg::reject()
{
    if (m_finished || m_closeAllowed)
        QDialog::reject();
    else
        m_cancelled = true;
}

void CModemDialDlg::closeEvent(QCloseEvent* event)
{
    if (m_finished || m_closeAllowed) {
        QDialog::closeEvent(event);
        return;
    }
    m_cancelled = true;
    event->ignore();
}

bool CModemDialDlg::event(QEvent* event)
{
    return DispatchMessageEvent(event) || QDialog::event(event);
}

namespace {

// Runs `work` on the user-interface thread and waits for it.
template <class F>
void OnGuiThread(F work)
{
    QObject* gui = QCoreApplication::instance();
    if (!gui || QThread::currentThread() == gui->thread())
        work();
    else
        QMetaObject::invokeMethod(gui, work, Qt::BlockingQueuedConnection);
}

} // namespace

ModemDialogStarter MakeModemDialogStarter()
{
    return []() -> std::unique_ptr<IModemDialog> {
        if (!QCoreApplication::instance())
            return nullptr;
        QPointer<CModemDialDlg> dialog;
        OnGuiThread([&dialog] {
            dialog = new CModemDialDlg(QApplication::activeWindow());
            dialog->setAttribute(Qt::WA_DeleteOnClose);
            dialog->show();
        });
        if (!dialog)
            return nullptr;
        // Closing leaves a dialog that shows a failure up until the user
        // closes it; the others go at once.
        auto close = [dialog] {
            OnGuiThread([dialog] {
                if (dialog && !dialog->IsFinished()) {
                    dialog->AllowClose();
                    dialog->close();
                }
            });
        };
        return std::make_unique<CModemDialMessenger>(dialog.data(), close);
    };
}
