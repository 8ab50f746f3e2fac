#include "archive/store/ArchivWindow.h"

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivTempCopy.h"

#include <algorithm>
#include <numeric>

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

int CArchivWindow::GetRecordCount() const
{
    return std::accumulate(rowCounts.begin(), rowCounts.end(), 0);
}

bool CArchivWindow::RowTime(int row, std::uint32_t& time) const
{
    std::size_t block = 0;
    int rowsBefore = 0;
    if (row < 0 || !FindRowBlock(row, block, rowsBefore) || block >= blockFirstRecord.size())
        return false;
    const std::size_t end = block + 1 < blockFirstRecord.size() ? blockFirstRecord[block + 1] : records.size();
    for (std::size_t i = blockFirstRecord[block]; i < end; ++i) {
        const CArchivRecord& r = records[i];
        if (!IsRow(r) || !InWindow(r.time))
            continue;
        if (rowsBefore == row) {
            time = r.time;
            return true;
        }
        ++rowsBefore;
    }
    return false;
}

void CArchivWindow::GetBlockTable(CArchivBlockTable& out, int firstBlock, int blockCount) const
{
    out.ringSlots = ringSlots;
    out.rowCounts = rowCounts;
    out.windowStart = start;
    out.windowLength = span;
    out.blockCount = blockCount;
    out.firstBlock = firstBlock;
}

namespace archive {

platform::CTime SeekTimeOf(platform::CTime windowStart, int windowLength, int permille)
{
    const std::int64_t t = std::int64_t(windowStart.GetTime()) + std::int64_t(windowLength) * permille / 1000;
    return platform::CTime(platform::CTime::time_type(std::clamp<std::int64_t>(t, 0, 0xFFFFFFFFLL)));
}

int FindSeekBlock(const std::vector<std::uint32_t>& slotTimes, CBlockEnds ends, platform::CTime time)
{
    if (ends.oldest < 0 || ends.newest < 0 || slotTimes.empty())
        return -1;
    const int n = int(slotTimes.size());
    int slot = ends.newest;
    for (int i = 0; i < n && slot != ends.oldest; ++i, slot = WrapBlockIndex(slot, -1, n)) {
        const std::uint32_t start = slotTimes[std::size_t(slot)];
        if (start != 0 && start <= time.GetTime())
            return slot;
    }
    return ends.oldest;
}

bool CopyStorageTo(CArchivData& source, Storage& destination)
{
    auto entry = CArchivFileList::Instance().Find(source.GetFilePath());
    auto from = entry ? entry->GetStorage() : nullptr;
    return from && CopyStorage(*from, destination) && destination.Flush() == StorageStatus::Ok;
}

} // namespace archive
