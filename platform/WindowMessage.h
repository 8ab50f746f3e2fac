#pragma once

#include "platform/ThreadMessages.h"
#include "platform/WorkerThread.h"

#include <QEvent>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

class QObject;

namespace platform {

struct SendReply;

// A private window message on its way to a QObject through the Qt event loop.
class MessageEvent : public QEvent {
public:
    // The registered event type, the same for every message id.
    static QEvent::Type EventType();

    MessageEvent(MessageId id, std::uintptr_t wParam, std::intptr_t lParam);
    ~MessageEvent() override;

    MessageId Id() const { return m_id; }
    std::uintptr_t WParam() const { return m_wParam; }
    std::intptr_t LParam() const { return m_lParam; }

    // The handler's answer, handed back to a sender that waits for it.
    void SetResult(std::intptr_t result) { m_result = result; }
    std::intptr_t Result() const { return m_result; }

private:
    friend bool SendMessageTimeoutTo(QObject*, MessageId, std::uintptr_t, std::intptr_t, int, std::intptr_t*);

    MessageId m_id;
    std::uintptr_t m_wParam;
    std::intptr_t m_lParam;
    std::intptr_t m_result = 0;
    // Set for a cross-thread send: completed when the event is destroyed,
    // handled or not, so that a sender never waits for a receiver that is gone.
    std::shared_ptr<SendReply> m_reply;
};

// Queues the message for the receiver's thread and returns at once. False
// when there is no receiver.
bool PostMessageTo(QObject* receiver, MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

// Called on the receiver's thread the message is delivered at once; from any
// other thread it is queued and the call returns without waiting (a caller
// that must know it was handled passes an Event that the handler sets).
bool SendNotifyMessageTo(QObject* receiver, MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

// Delivers the message and returns the handler's result (0 when nobody
// handled it). From another thread it waits for the receiver's thread to
// handle it: never call it while holding a lock that the receiver's thread
// may need.
std::intptr_t SendMessageTo(QObject* receiver, MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

// As SendMessageTo with a bound on the wait (Event::kInfinite: none). False
// on time-out, when the receiver dropped the message unhandled (e.g. it was
// destroyed) or when there is no receiver.
bool SendMessageTimeoutTo(QObject* receiver, MessageId id, std::uintptr_t wParam, std::intptr_t lParam,
                          int timeoutMs, std::intptr_t* result = nullptr);

// Mix-in for a QObject subclass that takes private messages by id:
//
//   class View : public QWidget, public platform::MessageDispatcher {
//       bool event(QEvent* e) override { return DispatchMessageEvent(e) || QWidget::event(e); }
//   };
//   SetMessageHandler(WM_NEW_DATA, [this](std::uintptr_t w, std::intptr_t l) { ...; return 0; });
class MessageDispatcher {
public:
    using Handler = std::function<std::intptr_t(std::uintptr_t wParam, std::intptr_t lParam)>;

    // Replaces an earlier handler of the same id; an empty handler removes it.
    void SetMessageHandler(MessageId id, Handler handler);

    // True when `event` is a MessageEvent (handled, or ignored for want of a
    // handler); false for every other event, which the caller passes on.
    bool DispatchMessageEvent(QEvent* event);

protected:
    ~MessageDispatcher() = default;

private:
    std::unordered_map<MessageId, Handler> m_handlers;
};

// Makes a QObject reachable by a thread handle, so that worker threads post
// to it with PostThreadMessage as to any thread (the application thread's
// receiver). Messages arrive as MessageEvents. Keep the receiver as a member
// of (or owned by) the target so that it unregisters before the target dies;
// a post in progress then completes before the destructor returns.
class ThreadMessageReceiver {
public:
    explicit ThreadMessageReceiver(QObject* target);
    ThreadMessageReceiver(const ThreadMessageReceiver&) = delete;
    ThreadMessageReceiver& operator=(const ThreadMessageReceiver&) = delete;
    ~ThreadMessageReceiver();

    ThreadHandle Handle() const { return m_handle; }

private:
    class Sink;
    std::shared_ptr<Sink> m_sink;
    ThreadHandle m_handle;
};

} // namespace platform
