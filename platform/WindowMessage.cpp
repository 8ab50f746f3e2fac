#include "platform/WindowMessage.h"

#include "platform/Event.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <atomic>
#include <utility>

namespace platform {

struct SendReply {
    Event done{true, false};
    std::atomic<bool> handled{false};
    std::atomic<std::intptr_t> result{0};
};

QEvent::Type MessageEvent::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

MessageEvent::MessageEvent(MessageId id, std::uintptr_t wParam, std::intptr_t lParam)
    : QEvent(EventType()), m_id(id), m_wParam(wParam), m_lParam(lParam)
{
}

MessageEvent::~MessageEvent()
{
    if (m_reply) {
        m_reply->result = m_result;
        m_reply->handled = isAccepted();
        m_reply->done.Set();
    }
}

namespace {

bool OnReceiverThread(const QObject* receiver)
{
    return receiver->thread() == QThread::currentThread();
}

} // namespace

bool PostMessageTo(QObject* receiver, MessageId id, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!receiver)
        return false;
    QCoreApplication::postEvent(receiver, new MessageEvent(id, wParam, lParam));
    return true;
}

bool SendNotifyMessageTo(QObject* receiver, MessageId id, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (!receiver)
        return false;
    if (!OnReceiverThread(receiver))
        return PostMessageTo(receiver, id, wParam, lParam);
    MessageEvent event(id, wParam, lParam);
    QCoreApplication::sendEvent(receiver, &event);
    return true;
}

bool SendMessageTimeoutTo(QObject* receiver, MessageId id, std::uintptr_t wParam, std::intptr_t lParam,
                          int timeoutMs, std::intptr_t* result)
{
    if (!receiver)
        return false;
    if (OnReceiverThread(receiver)) {
        MessageEvent event(id, wParam, lParam);
        event.setAccepted(false);
        QCoreApplication::sendEvent(receiver, &event);
        if (result)
            *result = event.Result();
        return event.isAccepted();
    }
    auto reply = std::make_shared<SendReply>();
    auto* event = new MessageEvent(id, wParam, lParam);
    event->setAccepted(false);
    event->m_reply = reply;
    QCoreApplication::postEvent(receiver, event);
    // The reply is shared: after a time-out the event may still be handled
    // and destroyed later without touching this frame.
    if (!reply->done.Wait(timeoutMs))
        return false;
    if (result)
        *result = reply->result;
    return reply->handled;
}

std::intptr_t SendMessageTo(QObject* receiver, MessageId id, std::uintptr_t wParam, std::intptr_t lParam)
{
    std::intptr_t result = 0;
    SendMessageTimeoutTo(receiver, id, wParam, lParam, Event::kInfinite, &result);
    return result;
}

void MessageDispatcher::SetMessageHandler(MessageId id, Handler handler)
{
    if (handler)
        m_handlers[id] = std::move(handler);
    else
        m_handlers.erase(id);
}

bool MessageDispatcher::DispatchMessageEvent(QEvent* event)
{
    if (!event || event->type() != MessageEvent::EventType())
        return false;
    auto* message = static_cast<MessageEvent*>(event);
    const auto it = m_handlers.find(message->Id());
    if (it == m_handlers.end()) {
        message->setAccepted(false);
        return true;
    }
    // Copied: a handler may replace its own entry while it runs.
    const Handler handler = it->second;
    message->SetResult(handler(message->WParam(), message->LParam()));
    message->setAccepted(true);
    return true;
}

class ThreadMessageReceiver::Sink : public MessageSink {
public:
    explicit Sink(QObject* target) : m_target(target) {}

    bool Post(const ThreadMessage& message) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return PostMessageTo(m_target, message.id, message.wParam, message.lParam);
    }

    void Detach()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_target = nullptr;
    }

private:
    std::mutex m_mutex;
    QObject* m_target;
};

ThreadMessageReceiver::ThreadMessageReceiver(QObject* target)
    : m_sink(std::make_shared<Sink>(target)), m_handle(RegisterMessageSink(m_sink))
{
}

ThreadMessageReceiver::~ThreadMessageReceiver()
{
    UnregisterMessageSink(m_handle);
    m_sink->Detach();
}

} // namespace platform
