#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

namespace ui {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Error, Warning, Question, Information };
// The chosen button (the numbers of the classic box answers).
enum class MsgAnswer { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

struct MessageBoxRequest {
    QPointer<QWidget> owner;
    QString text;
    QString caption;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
};

// Every message box of the program goes through here. GUI thread only: a
// call from another thread does not show a box, it posts the request to the
// GUI thread (as PostMessageBox) and answers Cancel.
MsgAnswer ShowMessageBox(QWidget* owner, const QString& text, const QString& caption,
                         MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None);
// Caption "CHYBA".
MsgAnswer ErrorBox(QWidget* owner, const QString& text, MsgButtons buttons = MsgButtons::Ok,
                   MsgIcon icon = MsgIcon::Warning);
// Caption "INFO", for questions and notices.
MsgAnswer InfoBox(QWidget* owner, const QString& text, MsgButtons buttons = MsgButtons::Ok,
                  MsgIcon icon = MsgIcon::Information);

// From any thread: the box is shown later on the GUI thread; its answer is
// dropped.
void PostMessageBox(const MessageBoxRequest& request);

// Replaces what shows the boxes (tests answer from a script); returns the
// handler it replaced. An empty handler restores the real boxes.
using MessageBoxHandler = std::function<MsgAnswer(const MessageBoxRequest&)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

} // namespace ui
