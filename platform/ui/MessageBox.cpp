#include "platform/ui/MessageBox.h"

#include "platform/StringIds.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <mutex>
#include <utility>

namespace ui {

namespace {

std::mutex g_handlerMutex;
MessageBoxHandler g_handler;

MessageBoxHandler CurrentHandler()
{
    std::lock_guard lock(g_handlerMutex);
    return g_handler;
}

bool OnGuiThread()
{
    return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

QMessageBox::StandardButtons ButtonsOf(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Error: return QMessageBox::Critical;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

MsgAnswer AnswerOf(int button, MsgButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default:
        // Closed without a button: the box's escape answer.
        return buttons == MsgButtons::Ok ? MsgAnswer::Ok : buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    }
}

MsgAnswer RealBox(const MessageBoxRequest& request)
{
    QMessageBox box(IconOf(request.icon), request.caption, request.text, ButtonsOf(request.buttons),
                    request.owner.data());
    return AnswerOf(box.exec(), request.buttons);
}

MsgAnswer Show(const MessageBoxRequest& request)
{
    const MessageBoxHandler handler = CurrentHandler();
    return handler ? handler(request) : RealBox(request);
}

} // namespace

MsgAnswer ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, MsgButtons buttons,
                         MsgIcon icon)
{
    MessageBoxRequest request{owner, text, caption, buttons, icon};
    if (!OnGuiThread()) {
        PostMessageBox(request);
        return MsgAnswer::Cancel;
    }
    return Show(request);
}

MsgAnswer ErrorBox(QWidget* owner, const QString& text, MsgButtons buttons, MsgIcon icon)
{
    return ShowMessageBox(owner, text, platform::LoadString(platform::IDS_CAPTION_ERROR), buttons, icon);
}

MsgAnswer InfoBox(QWidget* owner, const QString& text, MsgButtons buttons, MsgIcon icon)
{
    return ShowMessageBox(owner, text, platform::LoadString(platform::IDS_CAPTION_INFO), buttons, icon);
}

void PostMessageBox(const MessageBoxRequest& request)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, [request] { Show(request); }, Qt::QueuedConnection);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard lock(g_handlerMutex);
    return std::exchange(g_handler, std::move(handler));
}

} // namespace ui
