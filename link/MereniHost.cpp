#include "link/Mereni.h"

#include "link/Pristroj.h"
#include "platform/WindowMessage.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <deque>
#include <mutex>

namespace {

struct BoxRequest {
    QString caption;
    QString text;
    std::function<void()> closed;
};

// Boxes wait here until the one on screen is closed: a modal box runs its
// own event loop, which would otherwise show the next request on top.
std::mutex g_boxLock;
std::deque<BoxRequest> g_boxes;
bool g_showing = false;

void ShowQueuedBoxes(QObject* parent)
{
    {
        std::lock_guard lock(g_boxLock);
        if (g_showing)
            return;
        g_showing = true;
    }
    for (;;) {
        BoxRequest box;
        {
            std::lock_guard lock(g_boxLock);
            if (g_boxes.empty()) {
                g_showing = false;
                return;
            }
            box = std::move(g_boxes.front());
            g_boxes.pop_front();
        }
        CPristroj::Host().ShowError(parent, box.text, box.caption);
        if (box.closed)
            box.closed();
    }
}

} // namespace

bool CMereniWindowHost::SendToMainWindow(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam)
{
    return m_mainWindow && platform::SendNotifyMessageTo(m_mainWindow, id, wParam, lParam);
}

bool CMereniWindowHost::PostToApplication(platform::MessageId id, std::uintptr_t wParam, std::intptr_t lParam)
{
    return m_application && platform::PostThreadMessage(m_application, id, wParam, lParam);
}

bool CMereniWindowHost::PostMessageBox(const QString& caption, const QString& text, bool /*information*/,
                                       std::function<void()> closed)
{
    if (!m_mainWindow)
        return false;
    QPointer<QObject> window(m_mainWindow);
    // Queued, so the request cannot run before it is in the list.
    std::lock_guard lock(g_boxLock);
    const bool posted = QMetaObject::invokeMethod(
        m_mainWindow, [window] { ShowQueuedBoxes(window.data()); }, Qt::QueuedConnection);
    if (posted)
        g_boxes.push_back({caption, text, std::move(closed)});
    return posted;
}
