#include "link/ModemDialog.h"

#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"

#include <cstdint>

CModemDialMessenger::CModemDialMessenger(QObject* dialog, std::function<void()> close)
    : m_dialog(dialog), m_close(std::move(close))
{
}

void CModemDialMessenger::SetCaption(const QString& caption)
{
    platform::SendMessageTo(m_dialog, platform::WM_DIAL_CAPTION, reinterpret_cast<std::uintptr_t>(&caption));
}

void CModemDialMessenger::SetStatus(const QString& text)
{
    platform::SendMessageTo(m_dialog, platform::WM_DIAL_STATUS, reinterpret_cast<std::uintptr_t>(&text));
}

bool CModemDialMessenger::QueryCancel()
{
    return platform::SendMessageTo(m_dialog, platform::WM_DIAL_QUERY_CANCEL) != 0;
}

void CModemDialMessenger::Done(int stage)
{
    platform::SendMessageTo(m_dialog, platform::WM_DIAL_DONE, std::uintptr_t(stage));
}

void CModemDialMessenger::Close()
{
    if (m_close)
        m_close();
}
