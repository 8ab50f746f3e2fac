#include "shell/AppArchivHost.h"

#include "link/Pristroj.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ThreadQuestions.h"
#include "shell/MainFrame.h"

#include <QMetaObject>

bool CAppArchivHost::AskYesNo(int textId)
{
    // A measurement thread waits here for the user; the store holds none of
    // its locks meanwhile, so the other instruments go on. Yes replaces a
    // file: only a deliberate choice may give it, never Enter.
    const ui::MessageBoxRequest request{m_frame.data(), platform::LoadString(textId),
                                        platform::LoadString(platform::IDS_CAPTION_INFO), ui::MsgButtons::YesNo,
                                        ui::MsgIcon::Question};
    return ui::AskAndWait(request, true) == ui::MsgAnswer::Yes;
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

void CAppArchivHost::ReportBlocksLost(const QString& path, int blocks)
{
    qWarning("%s: %d archive block(s) given up", qPrintable(path), blocks);
}
