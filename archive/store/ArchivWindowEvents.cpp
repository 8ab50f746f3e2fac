#include "archive/store/ArchivWindowEvents.h"

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivWindow.h"

#include <algorithm>

namespace archive {

void CollectWindowEvents(CArchivData& data, const CArchivWindow& window, CArchivEventList& out)
{
    out.clear();
    const std::size_t blocks = window.blockFirstRecord.size();
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::size_t from = std::min(window.blockFirstRecord[b], window.records.size());
        const std::size_t to =
            b + 1 < blocks ? std::min(window.blockFirstRecord[b + 1], window.records.size()) : window.records.size();
        if (from >= to)
            continue;
        const CArchivRecordList block(window.records.begin() + std::ptrdiff_t(from),
                                      window.records.begin() + std::ptrdiff_t(to));
        // The first block read starts the count of measurements again.
        data.CollectBlockEvents(block, out, out.empty() ? TRUE : FALSE);
    }
}

} // namespace archive
