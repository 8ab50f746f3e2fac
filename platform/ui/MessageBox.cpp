#include "platform/ui/MessageBox.h"
#include "platform/ui/ThreadQuestions.h"

#include "platform/StringIds.h"
#include "platform/StringTable.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
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

MsgAnswer EscapeAnswer(MsgButtons buttons)
{
    return AnswerOf(QMessageBox::NoButton, buttons);
}

QMessageBox::StandardButton SecondButtonOf(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return QMessageBox::Ok;
    case MsgButtons::OkCancel: return QMessageBox::Cancel;
    case MsgButtons::YesNo: return QMessageBox::No;
    case MsgButtons::YesNoCancel: return QMessageBox::No;
    case MsgButtons::RetryCancel: return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MsgAnswer RealBox(const MessageBoxRequest& request, bool secondDefault)
{
    QMessageBox box(IconOf(request.icon), request.caption, request.text, ButtonsOf(request.buttons),
                    request.owner.data());
    if (secondDefault)
        box.setDefaultButton(SecondButtonOf(request.buttons));
    return AnswerOf(box.exec(), request.buttons);
}

MsgAnswer Show(const MessageBoxRequest& request, bool secondDefault = false)
{
    const MessageBoxHandler handler = CurrentHandler();
    return handler ? handler(request) : RealBox(request, secondDefault);
}

// A question another thread waits on; its answer is set once, under
// g_questionMutex.
struct WaitingQuestion {
    MessageBoxRequest request;
    bool secondDefault = false;
    std::optional<MsgAnswer> answer;
    bool shown = false;
};

std::mutex g_questionMutex;
std::condition_variable g_questionAnswered;
std::deque<std::shared_ptr<WaitingQuestion>> g_questions;
bool g_questionsRefused = false;
// GUI thread only: a box's own event loop must not put the next question on
// top of it; the loop that shows the first shows the rest in turn.
bool g_serving = false;

void Answer(WaitingQuestion& question, MsgAnswer answer)
{
    if (!question.answer)
        question.answer = answer;
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

MsgAnswer AskAndWait(const MessageBoxRequest& request, bool secondDefault)
{
    if (OnGuiThread())
        return Show(request, secondDefault);
    QCoreApplication* app = QCoreApplication::instance();
    auto question = std::make_shared<WaitingQuestion>();
    question->request = request;
    question->secondDefault = secondDefault;
    {
        std::lock_guard lock(g_questionMutex);
        if (g_questionsRefused || !app)
            return EscapeAnswer(request.buttons);
        g_questions.push_back(question);
    }
    QMetaObject::invokeMethod(app, [] { ServeWaitingQuestions(); }, Qt::QueuedConnection);
    std::unique_lock lock(g_questionMutex);
    g_questionAnswered.wait(lock, [&] { return question->answer.has_value(); });
    return *question->answer;
}

bool ServeWaitingQuestions()
{
    if (!OnGuiThread() || g_serving)
        return false;
    g_serving = true;
    bool shown = false;
    for (;;) {
        std::shared_ptr<WaitingQuestion> question;
        {
            std::lock_guard lock(g_questionMutex);
            const auto next = std::find_if(g_questions.begin(), g_questions.end(),
                                           [](const auto& q) { return !q->shown && !q->answer; });
            if (next == g_questions.end())
                break;
            question = *next;
            question->shown = true;
        }
        const MsgAnswer answer = Show(question->request, question->secondDefault);
        shown = true;
        {
            std::lock_guard lock(g_questionMutex);
            Answer(*question, answer);
            std::erase(g_questions, question);
        }
        g_questionAnswered.notify_all();
    }
    g_serving = false;
    return shown;
}

void RefuseThreadQuestions(bool refuse)
{
    {
        std::lock_guard lock(g_questionMutex);
        g_questionsRefused = refuse;
        if (refuse) {
            for (const auto& question : g_questions)
                Answer(*question, EscapeAnswer(question->request.buttons));
            g_questions.clear();
        }
    }
    g_questionAnswered.notify_all();
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    std::lock_guard lock(g_handlerMutex);
    return std::exchange(g_handler, std::move(handler));
}

} // namespace ui
