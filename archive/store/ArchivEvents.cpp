#include "archive/store/ArchivEvents.h"

namespace archive {

void AppendEvents(const CArchivRecordList& records, CArchivEventList& out, int& count)
{
    for (const CArchivRecord& r : records) {
        if (r.IsEvent())
            out.push_back({r.time, r.type, DeepCopy(r.data), count});
        else if (r.IsData())
            ++count;
    }
}

CArchivEventItem SeparatorItem(std::uint32_t time, int count)
{
    return {time, kRecordSeparator, QByteArray(1, '\0'), count};
}

} // namespace archive
