#include "analysers_vk/VKArchivViewBase.h"

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivWindowEvents.h"
#include "charts/PanelEventList.h"
#include "platform/ui/ChildFrame.h"

namespace analysers_vk::archivview {

void CFramePlacement::Remember(const ui::CChildFrame* frame)
{
    if (!frame)
        return;
    show = frame->isMaximized() ? kShowMaximized : frame->isMinimized() ? kShowMinimized : kShowNormal;
    normal = frame->NormalGeometry();
}

void CFramePlacement::Apply(ui::CChildFrame* frame, const QRect& normal, int show)
{
    if (!frame || normal.width() <= 0 || normal.height() <= 0)
        return;
    frame->setGeometry(normal);
    if (show == kShowMaximized)
        frame->showMaximized();
    else if (show == kShowMinimized)
        frame->showMinimized();
}

bool ReadRecord(CArchivData& data, int size, QByteArray& block)
{
    QString instrument;
    DWORD length = 0;
    std::unique_ptr<CArchivStream> stream = data.OpenSettingsStream(1, instrument, length);
    if (!stream || length == 0)
        return false;
    // A length beyond what the stream holds reads only what is there.
    block = QByteArray(qsizetype(std::min<DWORD>(length, DWORD(size))), '\0');
    const std::int64_t got = stream->Read(block.data(), block.size());
    block.truncate(qsizetype(std::max<std::int64_t>(got, 0)));
    return true;
}

bool WriteRecord(CArchivData& data, const QByteArray& block)
{
    return data.WriteSettingsSection(1, block);
}

void RefillEvents(CArchivData& data, const CArchivWindow& window, CPanelEventList& events)
{
    archive::CollectWindowEvents(data, window, events.Entries());
    events.Rebuild();
}

void TellFrame(QWidget* view, int mode, int family)
{
    if (QWidget* main = view->window(); main && main != view)
        platform::SendMessageTo(main, platform::WM_UPDATE_FRAME_UI, std::uintptr_t(mode), family);
}

} // namespace analysers_vk::archivview
