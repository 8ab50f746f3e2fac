#include "archive/store/ArchivWindow.h"

#include "archive/store/ArchivData.h"

platform::CTime CArchivWindow::End() const
{
    return platform::CTime(platform::CTime::time_type(std::int64_t(start.GetTime()) + span));
}

bool CArchivWindow::InWindow(std::uint32_t time) const
{
    return time >= start.GetTime() && time <= End().GetTime();
}

bool CArchivWindow::IsRow(const CArchivRecord& record)
{
    return record.IsData() || record.type == kRecordError;
}

int CArchivWindow::Load(CArchivData& data, std::vector<int> blockSlots, platform::CTime windowStart, int windowSpan)
{
    ringSlots = std::move(blockSlots);
    start = windowStart;
    span = windowSpan;
    currentIndex = 0;
    records.clear();
    rowCounts.clear();
    blockFirstRecord.clear();
    int ok = 1;
    for (const int slot : ringSlots) {
        CArchivRecordList block;
        if (!data.ReadBlock(slot, block))
            ok = 0;
        int rows = 0;
        for (const CArchivRecord& r : block)
            rows += IsRow(r) && InWindow(r.time) ? 1 : 0;
        rowCounts.push_back(rows);
        blockFirstRecord.push_back(records.size());
        records.insert(records.end(), block.begin(), block.end());
    }
    return ok;
}

int CArchivWindow::ReadFrom(CArchivData& data, std::size_t firstBlock, CArchivRecordList& out) const
{
    int ok = 1;
    for (std::size_t b = firstBlock; b < ringSlots.size(); ++b)
        ok &= data.ReadBlock(ringSlots[b], out);
    return ok;
}

bool CArchivWindow::FindRowBlock(int row, std::size_t& block, int& rowsBefore) const
{
    rowsBefore = 0;
    for (std::size_t b = 0; b < rowCounts.size(); ++b) {
        if (row < rowsBefore + rowCounts[b]) {
            block = b;
            return true;
        }
        rowsBefore += rowCounts[b];
    }
    return false;
}

int CArchivWindow::BlockOfRecord(std::size_t position) const
{
    if (position >= records.size())
        return -1;
    int block = -1;
    for (std::size_t b = 0; b < blockFirstRecord.size() && blockFirstRecord[b] <= position; ++b)
        block = int(b);
    return block;
}
