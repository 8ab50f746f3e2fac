#include "shell/AppArchivHost.h"

#include "link/Pristroj.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"
#include "shell/MainFrame.h"

#include <QMetaObject>

bool CAppArchivHost::AskYesNo(int textId)
{
    // Off the main thread the box only gets posted and the answer is No.
    return ui::InfoBox(m_frame.data(), platform::LoadString(textId), ui::MsgButtons::YesNo, ui::MsgIcon::Question)
           == ui::MsgAnswer::Yes;
}

void CAppArchivHost::Notify(const QString& text)
{
    ui::PostMessageBox({nullptr, text, platform::LoadString(platform::IDS_CAPTION_INFO), ui::MsgButtons::Ok,
                        ui::MsgIcon::Information});
}

void CAppArchivHost::ReportFileError(const QString& path)
{
    // Posted: the store may hold its locks here.
    QPointer<CMainFrame> frame = m_frame;
    if (!frame)
        return;
    QMetaObject::invokeMethod(
        frame.data(),
        [frame, path] {
            if (frame)
                if (CPristroj* device = frame->FindByArchive(path))
                    device->StopOnFileError();
        },
        Qt::QueuedConnection);
}
