#include "archive/store/ArchivData.h"

#include "archive/store/ArchivSeriesExtract.h"

CArchivGraphFeed::Extractor CArchivData::GraphExtractor(int kind)
{
    // Blocks are walked oldest first, channel after channel: the ratios of a
    // settings record carry on into the blocks after it.
    auto carried = std::make_shared<archive::CSeriesScales>();
    return [this, kind, carried](const CArchivRecordList& records, int channel, int endIndex, int startIndex) {
        if (channel == 0 && startIndex == 0)
            *carried = SeriesStartScales();
        const int next =
            archive::ExtractFamilySeries(kind, m_seriesRegistry, records, channel, endIndex, startIndex, *carried);
        for (const CArchivRecord& r : records)
            if (r.type == kRecordSettings)
                archive::FollowFamilySettings(kind, r, *carried);
        return next;
    };
}

CArchivGraphFeed::LiveLists CArchivData::LiveListsLocked() const
{
    CArchivGraphFeed::LiveLists live;
    for (std::size_t i = 0; i < lists.size(); ++i)
        live.lists[i] = &lists[i];
    live.current = currentList;
    live.now = Now();
    return live;
}

// The cursor of the live graph is drawn on the axis the series were given.
void CArchivData::FollowGraphFeed()
{
    if (m_graphFeed.Span() > 0)
        SetGraphWindow(m_graphFeed.Origin(), m_graphFeed.Span());
}

void CArchivData::PublishToGraphs()
{
    std::lock_guard graphs(m_graphLock);
    {
        std::lock_guard lock(listLock);
        m_graphFeed.PublishToGraphs(LiveListsLocked());
    }
    FollowGraphFeed();
}

void CArchivData::PublishOneList()
{
    std::lock_guard graphs(m_graphLock);
    {
        std::lock_guard lock(listLock);
        m_graphFeed.PublishOneList(LiveListsLocked());
    }
    FollowGraphFeed();
}

void CArchivData::RefreshGraphs()
{
    std::lock_guard graphs(m_graphLock);
    {
        std::lock_guard lock(listLock);
        m_graphFeed.RefreshGraphs(LiveListsLocked());
    }
    FollowGraphFeed();
}

void CArchivData::ResetGraphTimeBase(int span)
{
    std::lock_guard graphs(m_graphLock);
    {
        std::lock_guard lock(listLock);
        m_graphFeed.ResetGraphTimeBase(span, lists[0], Now());
    }
    SetGraphWindow(m_graphFeed.Origin(), span);
}

int CArchivData::LoadWindowGraphs(int firstBlock, int blockCount, CArchivEventList* events,
                                  const std::function<void(int)>& progress, platform::CTime windowStart,
                                  int windowSpan)
{
    int slotCount = 0;
    {
        std::lock_guard ring(ringLock);
        slotCount = header ? int(header->slotTable.size()) : 0;
    }
    if (slotCount == 0 || firstBlock < 0)
        blockCount = 0;
    std::lock_guard graphs(m_graphLock);
    if (events)
        events->clear();
    CArchivGraphFeed::LoadObserver observer;
    observer.progress = progress;
    if (events)
        observer.block = [this, events](const CArchivRecordList& block, bool first) {
            CollectBlockEvents(block, *events, first ? TRUE : FALSE);
        };
    const bool ok = m_graphFeed.LoadWindow([this](int slot, CArchivRecordList& out) { return ReadBlock(slot, out) != 0; },
                                           firstBlock, blockCount, slotCount, observer, windowStart, windowSpan);
    if (blockCount > 0 && m_graphFeed.Span() > 0)
        SetGraphWindow(m_graphFeed.Origin(), m_graphFeed.Span());
    return ok ? 1 : 0;
}

void CArchivData::ClearGraphData()
{
    std::lock_guard graphs(m_graphLock);
    m_graphFeed.Clear();
}
