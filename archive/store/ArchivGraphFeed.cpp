#include "archive/store/ArchivGraphFeed.h"

#include "archive/store/ArchivTimeAxis.h"

#include <utility>

using platform::CTime;

namespace {

constexpr int kEmptyListSpan = 900;
constexpr int kEmptyWindowSpan = 12;

const CArchivRecordList& ListAt(const CArchivGraphFeed::LiveLists& live, int back)
{
    static const CArchivRecordList none;
    const CArchivRecordList* list = live.lists[std::size_t(((live.current - back) % 3 + 3) % 3)];
    return list ? *list : none;
}

std::int64_t Diff(CTime a, CTime b)
{
    return std::int64_t(a.GetTime()) - std::int64_t(b.GetTime());
}

} // namespace

CArchivGraphFeed::CArchivGraphFeed(CArchivSeriesRegistry& registry, int kind, Extractor extract)
    : m_registry(registry)
    , m_kind(kind)
    , m_extract(std::move(extract))
{
}

namespace {

const CArchivRecord* RecordAt(const CArchivRecordList& list, int current)
{
    int n = 0;
    for (const CArchivRecord& r : list)
        if (r.IsData() && n++ == current)
            return &r;
    return list.empty() ? nullptr : &list.back();
}

} // namespace

int CArchivGraphFeed::GetNewestRecordPos(const CArchivRecordList& list, int current, CTime windowStart,
                                         int windowSpan)
{
    const CArchivRecord* r = RecordAt(list, current);
    if (!r || windowSpan == 0 || windowStart.GetTime() == 0)
        return 0;
    return int(double(Diff(CTime(r->time), windowStart)) * 30000.0 / windowSpan);
}

int CArchivGraphFeed::GetRecordPos(const CArchivRecordList& list, int current, CTime origin, int span, int width)
{
    const CArchivRecord* r = RecordAt(list, current);
    if (!r || span == 0 || origin.GetTime() == 0)
        return 0;
    // In 64 bits: a day of seconds times the axis width does not fit 32.
    return int(Diff(CTime(r->time), origin) * width / span);
}

int CArchivGraphFeed::CountPoints(const CArchivRecordList& records)
{
    int n = 0;
    for (const CArchivRecord& r : records)
        if (r.IsData() || r.type == kRecordError)
            ++n;
    return n;
}

CTime CArchivGraphFeed::FirstDataTime(const CArchivRecordList& records, CTime empty)
{
    if (records.empty())
        return empty;
    for (const CArchivRecord& r : records)
        if (r.IsData() || r.type == kRecordBlockMarker)
            return CTime(r.time);
    return CTime(records.back().time);
}

void CArchivGraphFeed::SetTimeBase(bool rescale, bool roll)
{
    m_registry.SetGraphTimeBase(m_origin, m_span);
    m_registry.SetSeriesTimeBase(m_kind, m_origin, m_span, rescale, roll);
}

bool CArchivGraphFeed::ChooseLiveBase(const LiveLists& live, int least)
{
    const CArchivRecordList& current = ListAt(live, 0);
    for (int back = 2; back >= 1; --back) {
        const CArchivRecordList& older = ListAt(live, back);
        if (older.empty())
            continue;
        // The older lists take the left part of the axis, room is left for
        // the current one.
        const std::int64_t num = back == 2 ? 16 : 11;
        const std::int64_t den = back == 2 ? 10 : 5;
        m_newest = back;
        m_origin = FirstDataTime(older, CTime(0));
        std::int64_t span = Diff(FirstDataTime(current, back == 2 ? live.now : CTime(0)), m_origin) * num / den;
        if (span < least)
            span = Diff(live.now, m_origin) * num / den;
        m_span = int(span);
        return true;
    }
    m_newest = 0;
    return false;
}

void CArchivGraphFeed::FillChannel(int channel, const CArchivRecordList& records)
{
    const int n = CountPoints(records);
    m_registry.SizeSeriesChannel(m_kind, channel, n);
    m_extract(records, channel, n, 0);
}

void CArchivGraphFeed::FillStages(int list, const CArchivRecordList& records)
{
    archive::ExtractFamilyStages(m_kind, records, m_stages[std::size_t(list)], {m_origin, {}, false});
}

void CArchivGraphFeed::PublishToGraphs(const LiveLists& live)
{
    if (!ChooseLiveBase(live, 1)) {
        RefreshGraphs(live);
        return;
    }
    SetTimeBase(false, false);
    for (int k = m_newest; k >= 0; --k) {
        FillChannel(m_newest - k, ListAt(live, k));
        FillStages(((live.current - k) % 3 + 3) % 3, ListAt(live, k));
    }
}

void CArchivGraphFeed::PublishOneList(const LiveLists& live)
{
    if (!ChooseLiveBase(live, 1))
        return;
    if (m_span == 0)
        m_span = kEmptyListSpan;
    try {
        SetTimeBase(true, true);
    } catch (const CGraphTraceRangeError&) {
        PublishToGraphs(live);
        return;
    }
    for (int list = 0; list < 3; ++list)
        FillStages(list, live.lists[std::size_t(list)] ? *live.lists[std::size_t(list)] : CArchivRecordList());
}

void CArchivGraphFeed::RefreshGraphs(const LiveLists& live)
{
    try {
        if (m_origin.GetTime() == 0) {
            // Recording with the graphs never shown has no base yet: the
            // current list's first point starts one, else the axis would
            // count from 1970. Without a point, or with one of no time,
            // there is no time to show.
            const CTime first = FirstDataTime(ListAt(live, 0), live.now);
            if (CountPoints(ListAt(live, 0)) == 0 || first.GetTime() == 0)
                return;
            m_origin = first;
            if (m_span <= 0)
                m_span = kEmptyListSpan;
            SetTimeBase(false, false);
        }
        const std::int64_t elapsed = Diff(live.now, m_origin);
        if (elapsed > m_span) {
            m_span = int(elapsed * 5 / 4);
            SetTimeBase(true, false);
        }
    } catch (const CGraphTraceRangeError&) {
        PublishToGraphs(live);
        return;
    }
    FillChannel(m_newest, ListAt(live, 0));
    FillStages(((live.current % 3) + 3) % 3, ListAt(live, 0));
}

void CArchivGraphFeed::ResetGraphTimeBase(int span, const CArchivRecordList& list0, CTime now)
{
    m_span = span;
    m_origin = FirstDataTime(list0, now);
    SetTimeBase(false, false);
}

void CArchivGraphFeed::Clear()
{
    m_registry.FreeAllPoints();
    for (auto& channel : m_stages)
        for (auto& list : channel)
            list.clear();
}

namespace {

// The first record time (see FirstDataTime) of the window's first block that
// holds records and the last record's time of its last such block; both 0
// when no block holds one. False when a block could not be read.
bool WindowBounds(const CArchivGraphFeed::BlockReader& read, int firstBlock, int blockCount, int slotCount,
                  CTime& first, CTime& last)
{
    CArchivRecordList block;
    int b = 0;
    for (; b < blockCount && block.empty(); ++b)
        if (!read(archive::WrapBlockIndex(firstBlock, b, slotCount), block))
            return false;
    if (block.empty())
        return true;
    first = CArchivGraphFeed::FirstDataTime(block, CTime(0));
    const int firstFull = b - 1;
    block.clear();
    for (b = blockCount - 1; b >= firstFull && block.empty(); --b)
        if (!read(archive::WrapBlockIndex(firstBlock, b, slotCount), block))
            return false;
    last = CTime(block.back().time);
    return true;
}

} // namespace

bool CArchivGraphFeed::LoadWindow(const BlockReader& read, int firstBlock, int blockCount, int slotCount,
                                  const LoadObserver& observer, CTime windowStart, int windowSpan)
{
    const auto progress = [&observer](int percent) {
        if (observer.progress)
            observer.progress(percent);
    };
    const auto empty = [this] {
        m_registry.FreeSeriesPoints(m_kind);
        for (auto& channel : m_stages)
            for (auto& list : channel)
                list.clear();
        return true;
    };
    if (blockCount <= 0)
        return empty();
    CTime first, last;
    if (!WindowBounds(read, firstBlock, blockCount, slotCount, first, last))
        return false;
    if (windowSpan > 0) {
        // The whole blocks reach beyond the chosen window on both sides: the
        // axis, the curves and the clicks on them all count in the window.
        m_origin = windowStart;
        m_span = windowSpan;
    } else if (first.GetTime() == 0) {
        // Blocks without a record give no time to draw them in.
        return empty();
    } else {
        m_origin = first;
        const std::int64_t span = Diff(last, m_origin);
        m_span = span != 0 ? int(span) : kEmptyWindowSpan;
    }
    SetTimeBase(false, false);

    CArchivRecordList block;
    const std::array<int, 3> split = archive::SplitWindowChannels(blockCount);
    int slot = firstBlock;
    int lastPoints = 0;
    for (int channel = 0; channel < 3; ++channel) {
        const int blocks = split[std::size_t(channel)];
        const int base = 5 + 25 * channel;
        int total = 0;
        const std::span<const std::vector<std::uint32_t>> before =
            channel > 0 ? std::span<const std::vector<std::uint32_t>>(m_stages[std::size_t(channel - 1)])
                        : std::span<const std::vector<std::uint32_t>>();
        if (blocks == 0)
            for (auto& list : m_stages[std::size_t(channel)])
                list.clear();
        for (int b = 0; b < blocks; ++b) {
            block.clear();
            if (!read(archive::WrapBlockIndex(slot, b, slotCount), block))
                return false;
            archive::ExtractFamilyStages(m_kind, block, m_stages[std::size_t(channel)], {m_origin, before, b > 0});
            if (observer.block)
                observer.block(block, channel == 0 && b == 0);
            total += CountPoints(block);
        }
        m_registry.SizeSeriesChannel(m_kind, channel, total);
        progress(base);
        int index = 0;
        for (int b = 0; b < blocks; ++b) {
            block.clear();
            if (!read(archive::WrapBlockIndex(slot, b, slotCount), block))
                return false;
            index = m_extract(block, channel, total, index);
            if (b % 100 == 0)
                progress(base + 20 * (b + 1) / blocks);
        }
        slot = archive::WrapBlockIndex(slot, blocks, slotCount);
        lastPoints = total;
    }
    if (const int perColumn = archive::DecimationPerColumn(lastPoints)) {
        int n = 0;
        for (CGraphTrace* series : m_registry.FamilySeries(m_kind)) {
            series->Decimate(perColumn);
            progress(79 + 5 * n++);
        }
        progress(100);
    }
    return true;
}
