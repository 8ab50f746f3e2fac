#include "archive_docs/ArchivNavigator.h"

#include "archive_docs/ArchivDocHooks.h"
#include "archive/store/ArchivData.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/WaitDlg.h"

#include <QApplication>
#include <QPointer>

#include <algorithm>
#include <optional>

using platform::CTime;

namespace {

constexpr int kQuarter = 900;
// A window of up to this many blocks loads without the wait dialog.
constexpr int kBlocksWithoutWait = 3;

std::int64_t Seconds(CTime t)
{
    return std::int64_t(t.GetTime());
}

CTime At(std::int64_t seconds)
{
    return CTime(CTime::time_type(std::clamp<std::int64_t>(seconds, 0, 0xFFFFFFFFLL)));
}

} // namespace

// The wait dialog of a long load: over the main window, without taking the
// activation. Closed also when the load fails; the window that was active
// before gets its activation back.
class CArchivNavigator::CLoadWait {
public:
    explicit CLoadWait(int text) : m_active(QApplication::activeWindow())
    {
        const auto& hooks = CArchivDocHooks::Instance();
        m_dialog = new ui::CWaitDlg(hooks.mainWindow ? hooks.mainWindow() : QApplication::activeWindow());
        m_dialog->SetText(platform::LoadString(text));
        m_dialog->SetProgress(0);
        m_dialog->setAttribute(Qt::WA_ShowWithoutActivating);
        m_dialog->show();
        // The load that follows holds the event loop: the notice must be on
        // the screen before it starts, not after it ended.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~CLoadWait()
    {
        if (!m_dialog)
            return;
        m_dialog->close();
        if (m_active && !m_active->isActiveWindow())
            m_active->activateWindow();
    }
    CLoadWait(const CLoadWait&) = delete;
    CLoadWait& operator=(const CLoadWait&) = delete;

    void SetProgress(int percent)
    {
        if (m_dialog)
            m_dialog->SetProgress(percent);
    }

private:
    QPointer<ui::CWaitDlg> m_dialog;
    QPointer<QWidget> m_active;
};

archive::CArchivTimeAxis CArchivNavigator::Axis() const
{
    archive::CArchivTimeAxis axis;
    if (m_ends.oldest >= 0) {
        axis.oldestStart = CTime(m_slots[std::size_t(m_ends.oldest)]);
        axis.newestStart = CTime(m_slots[std::size_t(m_ends.newest)]);
    }
    axis.endTime = m_endTime;
    axis.windowStart = m_windowStart;
    axis.windowLength = m_windowLength;
    axis.graphSpan = m_windowLength;
    return axis;
}

void CArchivNavigator::GetFileRange(CTime& start, CTime& end) const
{
    start = m_ends.oldest >= 0 ? CTime(m_slots[std::size_t(m_ends.oldest)]) : CTime();
    end = m_endTime;
}

void CArchivNavigator::GetWindow(CTime& start, CTime& end) const
{
    start = m_windowStart;
    end = At(Seconds(m_windowStart) + m_windowLength);
}

std::vector<int> CArchivNavigator::WindowSlots() const
{
    std::vector<int> blockSlots;
    const int n = int(m_slots.size());
    if (m_blocks.first < 0 || n == 0)
        return blockSlots;
    int slot = m_blocks.first;
    for (int i = 0; i < m_blocks.count && i < n; ++i) {
        if (m_slots[std::size_t(slot)] != 0)
            blockSlots.push_back(slot);
        if (slot == m_ends.newest)
            break; // nothing newer follows the newest block
        slot = archive::WrapBlockIndex(slot, 1, n);
    }
    return blockSlots;
}

int CArchivNavigator::LoadWindow()
{
    const int ok = LoadBlocks(WindowSlots(), m_windowStart, m_windowLength);
    // The times of every walk position, so that moves can find the window's
    // ends without decoding twice.
    m_recordTimes.clear();
    m_current = -1;
    m_graphsBuilt = false; // the series show the window they were built for
    m_events.clear();
    if (!WalkFirst())
        return ok;
    m_walkBase = WalkIndex();
    m_recordTimes.push_back(WalkTime().GetTime());
    for (;;) {
        const int before = WalkIndex();
        WalkNext(); // a damaged record is stepped over
        if (WalkIndex() == before)
            break;
        m_recordTimes.push_back(WalkTime().GetTime());
    }
    return ok;
}

int CArchivNavigator::ReplayTo(int index)
{
    m_current = -1;
    if (!WalkFirst())
        return 0;
    int ok = 1;
    while (WalkIndex() - m_walkBase < index) {
        const int before = WalkIndex();
        if (!WalkNext())
            ok = 0; // a damaged record is stepped over
        if (WalkIndex() == before)
            break;
    }
    m_current = WalkIndex() - m_walkBase;
    return ok;
}

bool CArchivNavigator::RecordRange(int& lo, int& hi) const
{
    const std::uint32_t start = m_windowStart.GetTime();
    const std::int64_t end = Seconds(m_windowStart) + m_windowLength;
    lo = -1;
    hi = -1;
    for (std::size_t i = 0; i < m_recordTimes.size(); ++i) {
        if (m_recordTimes[i] >= start && std::int64_t(m_recordTimes[i]) <= end) {
            if (lo < 0)
                lo = int(i);
            hi = int(i);
        }
    }
    return lo >= 0;
}

std::uint32_t CArchivNavigator::LastRecordTime(int slot, bool& readable)
{
    CArchivRecordList block;
    readable = m_data.ReadBlock(slot, block) != 0;
    return readable && !block.empty() ? block.back().time : m_slots[std::size_t(slot)];
}

int CArchivNavigator::OpenAtEnd()
{
    if (!m_data.ReadHeader()) {
        SetFailureText(platform::LoadString(platform::IDS_FILE_EMPTY_OR_DAMAGED));
        return 0;
    }
    m_slots = SlotTimes();
    m_ends = archive::FindEndBlocks(m_slots);
    if (m_ends.oldest < 0) {
        SetFailureText(platform::LoadString(platform::IDS_FILE_EMPTY_OR_DAMAGED));
        return 0;
    }
    const int n = int(m_slots.size());
    int first = m_ends.newest;
    for (int i = 0; i < 2 && first != m_ends.oldest; ++i)
        first = archive::WrapBlockIndex(first, -1, n);
    m_blocks.first = first;
    m_blocks.current = m_ends.newest;
    m_blocks.count = 1;
    for (int s = first; s != m_ends.newest; s = archive::WrapBlockIndex(s, 1, n))
        ++m_blocks.count;
    bool readable = false;
    m_endTime = CTime(LastRecordTime(m_ends.newest, readable));
    // Until the first data record is known the window starts with its block.
    m_windowStart = CTime(m_slots[std::size_t(first)]);
    m_windowLength = int(std::max<std::int64_t>(Seconds(m_endTime) - Seconds(m_windowStart), 0));
    LoadWindow();
    for (std::uint32_t t : m_recordTimes) {
        if (t >= m_slots[std::size_t(first)]) {
            m_windowStart = CTime(t);
            break;
        }
    }
    m_windowLength = int(std::max<std::int64_t>(Seconds(m_endTime) - Seconds(m_windowStart), 0));
    GoLast();
    return 1;
}

int CArchivNavigator::PlaceWindow(bool zoom)
{
    m_blocks = archive::FindWindowBlocks(m_slots, m_ends, m_windowStart, At(Seconds(m_windowStart) + m_windowLength),
                                         zoom);
    if (m_blocks.first < 0)
        return 0;
    const int ok = LoadWindow();
    ReplayTo(0);
    return ok;
}

int CArchivNavigator::SetWindow(CTime start, CTime end)
{
    m_windowStart = start;
    m_windowLength = int(std::max<std::int64_t>(Seconds(end) - Seconds(start), 0));
    const int ok = PlaceWindow(false);
    // The window's first block may begin before the chosen start: the
    // record the views show and the cursor stands on must lie in the range
    // the user asked for, not in the block's earlier part.
    int lo = 0;
    int hi = 0;
    if (ok && RecordRange(lo, hi) && (m_current < lo || m_current > hi))
        ReplayTo(lo);
    return ok;
}

int CArchivNavigator::SetZoom(int position, int zoom)
{
    if (zoom < 0 || zoom >= int(archive::kZoomSpans.size()))
        zoom = archive::ZoomIndexFor(m_windowLength);
    m_windowStart = Axis().ZoomWindowStart(zoom, position);
    m_windowLength = archive::kZoomSpans[std::size_t(zoom)];
    return PlaceWindow(true);
}

int CArchivNavigator::SetWindowStart(int position, int length)
{
    const std::int64_t oldest = m_ends.oldest >= 0 ? std::int64_t(m_slots[std::size_t(m_ends.oldest)]) : 0;
    const std::int64_t start = (oldest / kQuarter + position) * kQuarter;
    return SetWindow(At(start), At(start + std::int64_t(length) * kQuarter));
}

int CArchivNavigator::GoToEnd(bool last)
{
    int lo = 0;
    int hi = 0;
    if (RecordRange(lo, hi))
        ReplayTo(last ? hi : lo);
    return 1;
}

int CArchivNavigator::Step(int records, int pages)
{
    int lo = 0;
    int hi = 0;
    if (!RecordRange(lo, hi))
        return 1;
    const std::int64_t from = m_current < 0 ? lo : m_current;
    const std::int64_t target = from + records + std::int64_t(pages) * kPageRecords;
    const std::int64_t clamped = std::clamp<std::int64_t>(target, lo, hi);
    ReplayTo(int(clamped));
    return clamped != target ? 1 : 0;
}

int CArchivNavigator::ReloadChanged(bool* blocksAdded)
{
    if (blocksAdded)
        *blocksAdded = false;
    // The user learns why the window moves on its own.
    CLoadWait wait(platform::IDS_WAIT_ARCHIVE_CHANGED);
    m_reloadWait = &wait;
    struct Forget {
        CLoadWait*& wait;
        ~Forget() { wait = nullptr; }
    } forget{m_reloadWait};
    if (!m_data.ReadHeader()) {
        SetFailureText(platform::LoadString(platform::IDS_FILE_EMPTY_OR_DAMAGED));
        throw archive::CArchivReloadError("archive header unreadable");
    }
    const archive::CWindowBlocks before = m_blocks;
    m_slots = SlotTimes();
    m_ends = archive::FindEndBlocks(m_slots);
    if (m_ends.oldest < 0)
        throw archive::CArchivReloadError("archive without blocks");
    wait.SetProgress(10);
    const int n = int(m_slots.size());
    const std::int64_t windowEnd = Seconds(m_windowStart) + m_windowLength;
    const std::uint32_t oldestTime = m_slots[std::size_t(m_ends.oldest)];
    bool changed = false;
    if (std::int64_t(oldestTime) > windowEnd) {
        // The ring has overwritten the whole window: show its oldest blocks.
        m_blocks.first = m_ends.oldest;
        m_blocks.current = m_ends.oldest;
        m_blocks.count = 1;
        for (int s = m_ends.oldest; s != m_ends.newest && m_blocks.count < 3; s = archive::WrapBlockIndex(s, 1, n))
            ++m_blocks.count;
        changed = true;
    } else {
        if (oldestTime / kQuarter > m_windowStart.GetTime() / kQuarter) {
            m_windowStart = CTime(oldestTime);
            changed = true;
        }
        m_blocks = archive::FindWindowBlocks(m_slots, m_ends, m_windowStart, At(windowEnd), false);
        if (m_blocks.first != before.first || m_blocks.count != before.count) {
            if (blocksAdded && m_blocks.first == before.first && m_blocks.count > before.count)
                *blocksAdded = true;
            changed = true;
        }
    }
    bool readable = false;
    m_endTime = CTime(LastRecordTime(m_ends.newest, readable));
    if (!readable)
        throw archive::CArchivReloadError("newest archive block unreadable");
    // Records written into the loaded blocks are shown also when the
    // placement stays.
    const int current = m_current;
    LoadWindow();
    if (changed) {
        const std::uint32_t firstBlockStart = m_slots[std::size_t(m_blocks.first)];
        for (std::uint32_t t : m_recordTimes) {
            if (t >= firstBlockStart) {
                if (m_windowStart.GetTime() < t)
                    m_windowStart = CTime(t);
                break;
            }
        }
        ReplayTo(0);
    } else {
        ReplayTo(std::max(current, 0));
    }
    return changed ? 1 : 0;
}

int CArchivNavigator::WalkPositionAt(std::uint32_t time) const
{
    int lo = 0;
    int hi = 0;
    if (!RecordRange(lo, hi))
        return -1;
    int target = lo;
    for (int i = lo; i <= hi; ++i)
        if (m_recordTimes[std::size_t(i)] <= time)
            target = i;
    return target;
}

int CArchivNavigator::SeekTimeInBlocks(CTime time)
{
    const int slot = archive::FindSeekBlock(m_slots, m_ends, time);
    if (slot < 0)
        return 0;
    CArchivRecordList block;
    if (!m_data.ReadBlock(slot, block))
        return 0;
    const int target = WalkPositionAt(time.GetTime());
    return target < 0 ? 0 : ReplayTo(target);
}

int CArchivNavigator::SeekTime(int permille)
{
    return SeekTimeInBlocks(archive::SeekTimeOf(m_windowStart, m_windowLength, permille));
}

int CArchivNavigator::SeekRecord(int row)
{
    std::uint32_t time = 0;
    if (!LoadedWindow().RowTime(row, time))
        return 0;
    const int target = WalkPositionAt(time);
    return target < 0 ? 0 : ReplayTo(target);
}

int CArchivNavigator::GetRecordCount() const
{
    return m_indexed ? LoadedWindow().GetRecordCount() : 0;
}

void CArchivNavigator::BuildGraphs(bool build, bool progress)
{
    const std::vector<int> window = build ? WindowSlots() : std::vector<int>();
    const int n = int(m_slots.size());
    m_graphsBuilt = build;
    if (window.empty() || n == 0) {
        m_data.ClearGraphData();
        m_events.clear();
        return;
    }
    const int count = archive::WrapBlockIndex(window.back(), -window.front(), n) + 1;
    // A long window takes a while: the user sees it going. The newest
    // blocks of a file open in a blink; a longer window shows its progress,
    // in the reload's own dialog while a reload runs.
    std::optional<CLoadWait> own;
    CLoadWait* wait = m_reloadWait;
    if (!wait && progress && count > kBlocksWithoutWait)
        wait = &own.emplace(platform::IDS_WAIT_WINDOW_CHANGE);
    m_data.LoadWindowGraphs(
        window.front(), count, &m_events,
        [wait](int percent) {
            if (wait)
                wait->SetProgress(percent);
        },
        m_windowStart, m_windowLength);
    if (wait)
        wait->SetProgress(100);
}

void CArchivNavigator::SetMode(int mode, int scaleFlag, bool progress)
{
    ScaleWindowSeries(scaleFlag);
    m_mode = mode;
    switch (mode) {
    case archive::kModeGraph:
        m_indexed = false;
        BuildGraphs(true, progress);
        break;
    case archive::kModeList:
        BuildGraphs(false, false);
        m_indexed = true; // the rows were counted when the blocks were loaded
        break;
    default:
        BuildGraphs(false, false);
        m_indexed = false;
        break;
    }
}

void CArchivNavigator::EnsureMode(int mode, bool progress)
{
    if (mode == archive::kModeList && !m_indexed)
        m_indexed = true;
    else if (mode == archive::kModeGraph && !m_graphsBuilt)
        BuildGraphs(true, progress);
}

void CArchivNavigator::GetBlockTable(CArchivBlockTable& out) const
{
    LoadedWindow().GetBlockTable(out, m_blocks.first, m_blocks.count);
}

bool CArchivNavigator::CopyStorageTo(archive::Storage& destination)
{
    return archive::CopyStorageTo(m_data, destination);
}
