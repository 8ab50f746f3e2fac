#include "analysers_vk/VKRArchivViewRecord.h"

namespace analysers_vk {

using namespace recordbytes;

QByteArray CVKRArchivViewRecord::Write() const
{
    QByteArray out;
    WriteLayout(out);
    PutInt(out, tab1);
    PutBlob(out, statA);
    PutBlob(out, statB);
    PutInt(out, statSecond);
    PutInt(out, statFirst);
    return out;
}

CVKRArchivViewRecord CVKRArchivViewRecord::Read(const QByteArray& block)
{
    CVKRArchivViewRecord record;
    Reader r(block);
    if (!record.ReadLayout(r, block.size(), {&record.tab1}) || block.size() <= kPlacementEnd)
        return record;
    CVKRArchivViewRecord read = record;
    if (r.Blob(read.statA) && r.Blob(read.statB) && r.Int(read.statSecond) && r.Int(read.statFirst)) {
        read.hasStatistics = true;
        record = read;
    }
    return record;
}

} // namespace analysers_vk
