#pragma once

#include "archive/store/ArchivEvents.h"
#include "archive/store/ArchivTimeAxis.h"
#include "archive/store/ArchivWindow.h"
#include "platform/Time32.h"

#include <QStringList>

#include <cstdint>
#include <stdexcept>
#include <vector>

class CArchivData;

namespace archive {

// A reload that found the file unreadable: the document's view of the
// archive cannot go on.
class CArchivReloadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace archive

// The window of an archive document over the ring of the open file: where it
// lies, which blocks it loads, the current data record, and the reload after
// a recorder changed the file. The family object behind it loads the blocks
// and walks their records (see TArchivDocData).
class CArchivNavigator {
public:
    // Records of one page of the value list.
    static constexpr int kPageRecords = 10;

    explicit CArchivNavigator(CArchivData& data) : m_data(data) {}
    virtual ~CArchivNavigator() = default;
    CArchivNavigator(const CArchivNavigator&) = delete;
    CArchivNavigator& operator=(const CArchivNavigator&) = delete;

    // Reads the header and places the walk on the newest records (the window
    // covers the newest three blocks at most); 0 with the error text
    // "Soubor je prázdný, nebo poškozený." when the header cannot be read.
    int OpenAtEnd();
    // Start of the oldest block and time of the newest record.
    void GetFileRange(platform::CTime& start, platform::CTime& end) const;
    void GetWindow(platform::CTime& start, platform::CTime& end) const;
    // Non-zero when the blocks of the new window could be read.
    int SetWindow(platform::CTime start, platform::CTime end);
    int SetZoom(int position, int zoom);
    // Position and length in quarter hours from the oldest block's start.
    int SetWindowStart(int position, int length);

    int GoFirst() { return GoToEnd(false); }
    int GoLast() { return GoToEnd(true); }
    // 1 when the step ran into an end of the window's data records (that end
    // is then current), 0 when it moved within them.
    int Step(int records, int pages);
    // Index of the current data record among the loaded ones; -1 without.
    int GetCurrentRecord() const { return m_current; }
    int GetLoadedRecordCount() const { return int(m_recordTimes.size()); }

    // Reads the changed file again and places the window in its new range.
    // Non-zero when the placement changed; `blocksAdded` tells whether blocks
    // written after the window were taken into it. Throws
    // archive::CArchivReloadError when the header or the newest block cannot
    // be read.
    int ReloadChanged(bool* blocksAdded = nullptr);

    QStringList GetZoomList(QString& spanText) const { return Axis().GetZoomList(spanText); }
    QStringList GetTimeTicks(QString& startText) const { return Axis().GetTimeTicks(startText); }
    archive::CScrollInfo GetScrollInfo() const { return Axis().GetScrollInfo(); }
    int GetWindowBlockCount() const { return m_blocks.count; }

    // The data record at `time` becomes current: the last one not later than
    // it (the first of the window when all are later). 0 when its block
    // cannot be read; the current record then stays.
    int SeekTimeInBlocks(platform::CTime time);
    // The same at `permille` thousandths of the window.
    int SeekTime(int permille);
    // List mode: row `row` of the value list becomes the current record.
    int SeekRecord(int row);
    // Rows of the value list (0 without a record index).
    int GetRecordCount() const;
    // Graph (0), list (1) or neither (2): the family scales its series with
    // `scaleFlag`, then the graph series or the record index are built and
    // the other one let go. A window of more than three blocks loads behind
    // the wait dialog (parent from the document hooks) unless `progress` is
    // false.
    void SetMode(int mode, int scaleFlag = 0, bool progress = true);
    // Builds what `mode` needs when it is missing.
    void EnsureMode(int mode, bool progress = true);
    int GetMode() const { return m_mode; }
    // The alarms and events of the window's blocks, gathered when the graphs
    // were last built for it; empty before that.
    const CArchivEventList& Events() const { return m_events; }
    // The record index and the window's place, for a private copy.
    void GetBlockTable(CArchivBlockTable& out) const;
    // The whole archive into `destination`; true only on success.
    bool CopyStorageTo(archive::Storage& destination);

protected:
    // Family hooks: the block table of the header read last; loading the
    // window's blocks; the record walk (first, next, its data-record index
    // and the time of its current record).
    virtual std::vector<std::uint32_t> SlotTimes() const = 0;
    virtual int LoadBlocks(const std::vector<int>& blockSlots, platform::CTime start, int span) = 0;
    virtual int WalkFirst() = 0;
    virtual int WalkNext() = 0;
    virtual int WalkIndex() const = 0;
    virtual platform::CTime WalkTime() const = 0;
    virtual void SetFailureText(const QString& text) = 0;
    // The loaded window of the family (rows and their blocks).
    virtual const CArchivWindow& LoadedWindow() const = 0;
    virtual void ScaleWindowSeries(int /*flag*/) {}

private:
    archive::CArchivTimeAxis Axis() const;
    std::vector<int> WindowSlots() const;
    int LoadWindow();
    int PlaceWindow(bool zoom);
    int ReplayTo(int index);
    int GoToEnd(bool last);
    // Range of data records inside the window; false when none is.
    bool RecordRange(int& lo, int& hi) const;
    std::uint32_t LastRecordTime(int slot, bool& readable);
    // The last walk position of the window not later than `time` (the
    // window's first when all are later); -1 when the window has none.
    int WalkPositionAt(std::uint32_t time) const;
    void BuildGraphs(bool build, bool progress);

    CArchivData& m_data;
    std::vector<std::uint32_t> m_slots;
    archive::CBlockEnds m_ends;
    archive::CWindowBlocks m_blocks;
    platform::CTime m_windowStart;
    int m_windowLength = 0;
    platform::CTime m_endTime;
    std::vector<std::uint32_t> m_recordTimes; // of every walk position of the loaded blocks
    int m_walkBase = 0; // walk index of the first loaded record
    int m_current = -1;
    int m_mode = archive::kModeNone;
    bool m_indexed = false;   // the value list's rows are counted
    bool m_graphsBuilt = false;
    class CLoadWait;
    // The reload's wait dialog while a reload runs.
    CLoadWait* m_reloadWait = nullptr;
    CArchivEventList m_events; // of the window the graphs were built for
};
