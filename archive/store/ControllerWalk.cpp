#include "archive/store/ControllerWalk.h"

#include "archive/store/ArchivData.h"

namespace archive::controller {

std::vector<QStringList> ReadRows(CArchivData& store, const CArchivWindow& window, int index, const RowReader& reader,
                                  int& count, int& first, std::vector<int>* offsets)
{
    count = 0;
    first = -1;
    if (offsets)
        offsets->clear();
    std::vector<QStringList> rows;
    const int from = std::max(index - kRowsBefore, 0);
    std::size_t block = 0;
    int row = 0;
    if (!window.FindRowBlock(from, block, row))
        return rows;
    CArchivRecordList records;
    window.ReadFrom(store, block, records);
    reader.reset();
    for (const CArchivRecord& r : records) {
        if (!CArchivWindow::IsRow(r))
            continue;
        // Changed-fields records build on every record before them, in the
        // window or not.
        const bool hasValues = r.type != kRecordError && reader.apply(r);
        if (!window.InWindow(r.time))
            continue;
        if (row >= from) {
            if (first < 0)
                first = row;
            rows.push_back(reader.format(platform::CTime(r.time), hasValues));
            if (offsets)
                offsets->push_back(int(std::int64_t(r.time) - std::int64_t(window.start.GetTime())));
            if (++count == kRowsPerCall)
                break;
        }
        ++row;
    }
    return rows;
}

} // namespace archive::controller
