#pragma once

#include "archive/store/ArchivRecord.h"
#include "platform/Time32.h"

#include <vector>

class CArchivData;

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
};
