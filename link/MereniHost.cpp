#include "link/Mereni.h"

#include "link/Pristroj.h"
#include "platform/WindowMessage.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <deque>
#include <mutex>

void CMereniWindowHost::ShowQueuedBoxes(QObject* parent)
{
    {
        std::lock_guard lock(m_boxLock);
        if (m_showing)
            return;
        m_showing = true;
    }
    for (;;) {
        BoxRequest box;
        {
            std::lock_guard lock(m_boxLock);
            if (m_boxes.empty()) {
                m_showing = false;
                return;
            }
            box = std::move(m_boxes.front());
            m_boxes.pop_front();
        }
        m_boxHost.ShowError(parent, box.text, box.caption);
        if (box.closed)
            box.closed();
    }
}

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
    // Queued, so the request cannot run before it is in the list. The main
    // window is the context: the request goes with it, and the host outlives
    // the main window.
    std::lock_guard lock(m_boxLock);
    const bool posted = QMetaObject::invokeMethod(
        m_mainWindow, [this, window] { ShowQueuedBoxes(window.data()); }, Qt::QueuedConnection);
    if (posted)
        m_boxes.push_back({caption, text, std::move(closed)});
    return posted;
}
