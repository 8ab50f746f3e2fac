#pragma once

#include "archive/store/ArchivRecord.h"
#include "archive/store/ArchivTimeAxis.h"
#include "platform/Time32.h"

#include <vector>

class CArchivData;

namespace archive {
class Storage;

// What a loaded window is kept for: graph series, the record index of the
// value list, or neither.
enum ArchivWindowMode : int { kModeGraph = 0, kModeList = 1, kModeNone = 2 };

} // namespace archive

// The window's record index with its place on the ring, as a private copy of
// the window needs it to walk the same rows.
struct CArchivBlockTable {
    std::vector<int> ringSlots; // ring slot of each block of the window
    std::vector<int> rowCounts; // rows of each block inside the window
    platform::CTime windowStart;
    int windowLength = 0;
    int blockCount = 0;
    int firstBlock = -1;
};

// A time window of an archive loaded for reading: the ring slots of its
// blocks (oldest first), how many rows each block gives inside the window,
// the records read, and the walk's current measurement record. A row is a
// measurement record (type 2, 3 or 12) or error record (type 4) whose time
// lies in the window.
struct CArchivWindow {
    std::vector<int> ringSlots;
    std::vector<int> rowCounts;
    std::vector<std::size_t> blockFirstRecord; // index in `records` where each block starts
    CArchivRecordList records;
    int currentIndex = 0;
    platform::CTime start;
    int span = 0;

    platform::CTime End() const;
    bool InWindow(std::uint32_t time) const;
    static bool IsRow(const CArchivRecord& record);

    // Reads the blocks of the window into `records` and counts their rows.
    // 0 when a block could not be read whole (what was read stays, with the
    // error record that says so).
    int Load(CArchivData& data, std::vector<int> blockSlots, platform::CTime windowStart, int windowSpan);
    // The records of the blocks from `firstBlock` on, read again from the file.
    int ReadFrom(CArchivData& data, std::size_t firstBlock, CArchivRecordList& out) const;
    // The block that holds row `row` and the number of rows before it; false
    // when the window has fewer rows.
    bool FindRowBlock(int row, std::size_t& block, int& rowsBefore) const;
    // The block that holds record `position` of `records`; -1 when none does.
    int BlockOfRecord(std::size_t position) const;

    // Rows of the record index (every block's rows in the window).
    int GetRecordCount() const;
    // Time of row `row`; false when the window has fewer rows.
    bool RowTime(int row, std::uint32_t& time) const;
    // Fresh arrays of the index and the window's place; an earlier copy's
    // arrays are replaced.
    void GetBlockTable(CArchivBlockTable& out, int firstBlock, int blockCount) const;
};

namespace archive {

// The time `permille` thousandths into a window.
platform::CTime SeekTimeOf(platform::CTime windowStart, int windowLength, int permille);

// The block a time lies in: from the newest block back, the first that
// starts at or before `time`, the oldest when none does; -1 without blocks.
int FindSeekBlock(const std::vector<std::uint32_t>& slotTimes, CBlockEnds ends, platform::CTime time);


// Every stream of the archive's storage into `destination`, flushed; true
// only when all of it arrived.
bool CopyStorageTo(CArchivData& source, Storage& destination);

} // namespace archive
