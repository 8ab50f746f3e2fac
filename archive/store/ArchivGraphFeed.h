#pragma once

#include "archive/store/ArchivRecord.h"
#include "archive/store/ArchivSeriesRegistry.h"
#include "archive/store/ArchivStageExtract.h"
#include "platform/Time32.h"

#include <array>
#include <functional>

// Feeds the graph series of one family from archive records: live, from the
// three write lists used in turn (channel 2, or the newest channel, is the
// current list, the older channels the older lists), or from the blocks of
// an archive window split into three channels of consecutive blocks.
//
// The caller holds the store's list lock while the write lists are read and
// keeps the registry to one thread.
class CArchivGraphFeed {
public:
    // One list into one channel from `startIndex`, at most up to `endIndex`;
    // returns the index after the last point.
    using Extractor = std::function<int(const CArchivRecordList& records, int channel, int endIndex, int startIndex)>;
    // Reads the block of a ring slot; false when it cannot be read.
    using BlockReader = std::function<bool(int slot, CArchivRecordList& out)>;
    // What a window load reports as it goes: its progress in per cent, and
    // each block once (`first` for the window's first block), for the
    // document's event list. Either may be empty.
    struct LoadObserver {
        std::function<void(int percent)> progress;
        std::function<void(const CArchivRecordList& block, bool first)> block;
    };

    CArchivGraphFeed(CArchivSeriesRegistry& registry, int kind, Extractor extract);

    // The three write lists and which one is being filled.
    struct LiveLists {
        std::array<const CArchivRecordList*, 3> lists{};
        int current = 0;
        platform::CTime now;
    };

    // Rebuilds every channel from the write lists.
    void PublishToGraphs(const LiveLists& live);
    // A new write list began: the channels roll one place under a new time
    // base.
    void PublishOneList(const LiveLists& live);
    // New records in the current list: the newest channel is rebuilt, the
    // time axis widened when now has run past it.
    void RefreshGraphs(const LiveLists& live);
    // A new live graph `span` seconds wide from the first record of list 0.
    void ResetGraphTimeBase(int span, const CArchivRecordList& list0, platform::CTime now);

    // Loads the window of `blockCount` blocks from `firstBlock` of a ring of
    // `slotCount` slots. False when a block could not be read (the series
    // keep what was loaded before it). With a `windowSpan` above 0 the time
    // axis is that window from `windowStart`, else the blocks' first data
    // record to their last record.
    bool LoadWindow(const BlockReader& read, int firstBlock, int blockCount, int slotCount,
                    const LoadObserver& observer = {}, platform::CTime windowStart = {}, int windowSpan = 0);
    // Every series without points and the stage lists empty.
    void Clear();

    // The stage (or output) runs of a channel for the stage bars of the
    // controllers and the VKT; live, the channel of a write list is its
    // number, in a window the third of the window.
    const archive::CStageLists& StageLists(int channel) const { return m_stages[std::size_t(channel)]; }

    platform::CTime Origin() const { return m_origin; }
    int Span() const { return m_span; }
    int NewestChannel() const { return m_newest; }

    // The x of the record the walk stands on: the data record numbered
    // `current` (from 0) of the list, else its last record; 0 for an empty
    // list or an axis of no width. On the 0..30000 axis of the window, and on
    // an axis `width` wide from the graph's origin.
    static int GetNewestRecordPos(const CArchivRecordList& list, int current, platform::CTime windowStart,
                                  int windowSpan);
    static int GetRecordPos(const CArchivRecordList& list, int current, platform::CTime origin, int span, int width);

    // Records that take a point: measurements (2, 3, 12) and outages (4).
    static int CountPoints(const CArchivRecordList& records);
    // The first record of type 2, 3, 8 or 12, else the last record; an empty
    // list gives `empty`.
    static platform::CTime FirstDataTime(const CArchivRecordList& records, platform::CTime empty);

private:
    // The origin, span and newest channel the older lists give; false when
    // only the current list holds records.
    bool ChooseLiveBase(const LiveLists& live, int least);
    void FillChannel(int channel, const CArchivRecordList& records);
    void SetTimeBase(bool rescale, bool roll);
    // The runs of write list `list` from the graph origin, afresh.
    void FillStages(int list, const CArchivRecordList& records);

    CArchivSeriesRegistry& m_registry;
    int m_kind;
    Extractor m_extract;
    platform::CTime m_origin;
    int m_span = 0;
    int m_newest = 0;
    std::array<archive::CStageLists, 3> m_stages;
};
