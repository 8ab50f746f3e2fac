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
            ShowStatus(*reinterpret_cast<const QString*>(w));
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
        ShowStage(int(w));
        return 0;
    });
}

void CModemDialDlg::ShowStatus(const QString& text)
{
    m_status->setText(text);
}

void CModemDialDlg::ShowStage(int stage)
{
    if (stage == IModemDialog::kHangingUp)
        m_button->setEnabled(false);
    if (stage == IModemDialog::kFinished) {
        m_finished = true;
        m_button->setEnabled(true);
        m_button->setText(QStringLiteral("OK"));
        m_timer->stop();
    }
}

void CModemDialDlg::Cancel()
{
    m_cancelled = true;
    if (m_cancelFlag)
        m_cancelFlag->store(true);
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
    Cancel();
}

void CModemDialDlg::reject()
{
    if (m_finished || m_closeAllowed)
        QDialog::reject();
    else
        Cancel();
}

void CModemDialDlg::closeEvent(QCloseEvent* event)
{
    if (m_finished || m_closeAllowed) {
        QDialog::closeEvent(event);
        return;
    }
    Cancel();
    event->ignore();
}

bool CModemDialDlg::event(QEvent* event)
{
    return DispatchMessageEvent(event) || QDialog::event(event);
}

namespace {

// What a dialling thread and its dialog share.
struct DialShared {
    QPointer<CModemDialDlg> dialog; // user-interface thread only; null until up, and once gone
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
};

bool OnGuiThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// Runs `work` on the user-interface thread, at once when called there,
// else queued behind what was queued before; never waits for it.
template <class F>
void ToGuiThread(F work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    if (OnGuiThread())
        work();
    else
        QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

// The window the user can reach while the dialog is up: the modal dialog
// in front (whose modality would shut out any other), else the active one.
QWidget* DialogOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

void ShowDialDialog(DialShared& shared)
{
    auto* dialog = new CModemDialDlg(DialogOwner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->SetCancelFlag(shared.cancelled);
    // A dialog it was opened from (the instrument list) may close while the
    // line still works: the dial's dialog stays, on its own.
    if (auto* owner = qobject_cast<QDialog*>(dialog->parentWidget())) {
        QObject::connect(owner, &QDialog::finished, dialog, [dialog] {
            dialog->setParent(nullptr, dialog->windowFlags());
            dialog->show();
        });
    }
    shared.dialog = dialog;
    dialog->show();
}

class QueuedDialDialog final : public IModemDialog {
public:
    explicit QueuedDialDialog(std::shared_ptr<DialShared> shared) : m_shared(std::move(shared)) {}
    ~QueuedDialDialog() override
    {
        // The line is done with it: whatever it shows, the user may close it.
        Queue([](CModemDialDlg& dialog) { dialog.AllowClose(); });
    }
    QueuedDialDialog(const QueuedDialDialog&) = delete;
    QueuedDialDialog& operator=(const QueuedDialDialog&) = delete;

    void SetCaption(const QString& caption) override
    {
        Queue([caption](CModemDialDlg& dialog) { dialog.setWindowTitle(caption); });
    }
    void SetStatus(const QString& text) override
    {
        Queue([text](CModemDialDlg& dialog) { dialog.ShowStatus(text); });
    }
    bool QueryCancel() override { return m_shared->cancelled->load(); }
    void Done(int stage) override
    {
        Queue([stage](CModemDialDlg& dialog) { dialog.ShowStage(stage); });
    }
    // A dialog that shows a failure stays up until the user closes it; the
    // others go at once.
    void Close() override
    {
        Queue([](CModemDialDlg& dialog) {
            if (!dialog.IsFinished()) {
                dialog.AllowClose();
                dialog.close();
            }
        });
    }

private:
    template <class F>
    void Queue(F change)
    {
        ToGuiThread([shared = m_shared, change] {
            if (shared->dialog)
                change(*shared->dialog);
        });
    }

    std::shared_ptr<DialShared> m_shared;
};

} // namespace

ModemDialogStarter MakeModemDialogStarter()
{
    return []() -> std::unique_ptr<IModemDialog> {
        if (!QCoreApplication::instance())
            return nullptr;
        auto shared = std::make_shared<DialShared>();
        ToGuiThread([shared] { ShowDialDialog(*shared); });
        return std::make_unique<QueuedDialDialog>(shared);
    };
}
