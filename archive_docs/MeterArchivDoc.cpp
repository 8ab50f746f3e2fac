#include "archive_docs/MeterArchivDoc.h"

#include "archive_docs/ArchivDocHooks.h"
#include "archive/store/ArchivTitles.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"

#include <memory>

namespace {

void ShowSystemError()
{
    ui::ErrorBox(nullptr, platform::LoadString(platform::IDS_ARCHIVE_SYSTEM_ERROR), ui::MsgButtons::OkCancel,
                 ui::MsgIcon::None);
}

template <class Index, class Block>
bool ReadMeterBlock(CArchivData& archiv, Index& index, Block& block, int& current)
{
    std::unique_ptr<CArchivStream> stream;
    if (!archiv.OpenBexorStream(stream, index)) {
        index = Index();
        block.Clear();
        return false;
    }
    if (current < 0 || current >= index.GetBlockCount())
        current = 0;
    const bool read = index.ReadBlock(*stream, current, block) != 0;
    stream.reset();
    if (!read)
        block.Clear();
    return read;
}

} // namespace

bool CMeterArchivDocBase::OnOpenDocument(const QString& path)
{
    (void)path;
    return true;
}

void CMeterArchivDocBase::SetPathName(const QString& path, bool addToRecent)
{
    (void)path;
    (void)addToRecent;
    const QString title = platform::LoadString(platform::IDS_TITLE_METER_ARCHIVE_FILE)
                              .replace(QLatin1String("%s"),
                                       archive::PeriodTitleOf(GetArchiv().GetFilePath(), ArchivExtension()));
    ui::CDocument::SetPathName(title, false);
    SetTitle(title);
}

int CMeterArchivDocBase::OpenArchive(CArchivData& source)
{
    try {
        if (!GetArchiv().Open(source.GetFilePath())) {
            ui::ErrorBox(nullptr, GetArchiv().GetErrorText(), ui::MsgButtons::Ok, ui::MsgIcon::None);
            return 0;
        }
        SetPathName(QString());
        return 1;
    } catch (const std::exception&) {
        ShowSystemError();
        return 0;
    }
}

void CMeterArchivDocBase::LoadDisplaySettings()
{
    const auto& hooks = CArchivDocHooks::Instance();
    if (hooks.loadMeterDisplay)
        hooks.loadMeterDisplay(IsVKT(), m_display);
}

int CMeterArchivDocBase::ReadBlockGuarded(const std::function<int()>& read)
{
    try {
        return read();
    } catch (const std::exception&) {
        ShowSystemError();
        OnCloseDocument();
        return 0;
    }
}

int CMeterArchivDocBase::ReadCurrentBlock()
{
    return ReadBlockGuarded([this] {
        if (!ReadIndexAndBlock())
            return 0;
        LoadDisplaySettings();
        std::intptr_t hint = kHintBlockRead;
        if (BlockCount() != m_lastCount) {
            m_lastCount = BlockCount();
            hint = kHintBlockCountChanged;
        }
        UpdateAllViews(nullptr, hint);
        return 1;
    });
}

int CMeterArchivDocBase::ReadRange(std::intptr_t hint)
{
    return ReadBlockGuarded([this, hint] {
        const DWORD entriesBefore = EntryCountAt(m_currentIndex);
        const std::uint32_t keyBefore = KeyAt(m_currentIndex);
        if (!ReadIndexAndBlock())
            return 0;
        std::intptr_t sent = hint;
        if (BlockCount() != m_lastCount) {
            m_lastCount = BlockCount();
            sent |= 1;
        }
        if (EntryCountAt(m_currentIndex) != entriesBefore || KeyAt(m_currentIndex) != keyBefore) {
            m_lastCount = BlockCount();
            sent |= 4;
        }
        UpdateAllViews(nullptr, sent);
        return 1;
    });
}

CBexorArchivDoc::CBexorArchivDoc() = default;
CBexorArchivDoc::~CBexorArchivDoc() = default;

bool CBexorArchivDoc::ReadIndexAndBlock()
{
    return ReadMeterBlock(m_archiv, m_index, m_block, CurrentIndexRef());
}

CVKTBexorArchivDoc::CVKTBexorArchivDoc() = default;
CVKTBexorArchivDoc::~CVKTBexorArchivDoc() = default;

bool CVKTBexorArchivDoc::ReadIndexAndBlock()
{
    return ReadMeterBlock(m_archiv, m_index, m_block, CurrentIndexRef());
}
