#include "analysers_vk/VKArchivViewRecord.h"

#include "analysers_vk/VKRecordBytes.h"

namespace analysers_vk {

using namespace recordbytes;

QByteArray CVKArchivViewRecord::Write() const
{
    QByteArray out;
    for (int value : {isAlarm, isData, isGraf, prickaX, prickaY, x, y, cx, cy, showCommand, tab1, tab2, tab3})
        PutInt(out, value);
    PutBlob(out, nominalVoltage);
    PutBlob(out, nominalCurrent);
    for (int value : {window1, window2, voltageMultiplier, currentMultiplier})
        PutInt(out, value);
    return out;
}

CVKArchivViewRecord CVKArchivViewRecord::Read(const QByteArray& block)
{
    CVKArchivViewRecord record;
    CVKArchivViewRecord read = record;
    Reader r(block);
    if (!r.Int(read.isAlarm) || !r.Int(read.isData) || !r.Int(read.isGraf) || !r.Int(read.prickaX) ||
        !r.Int(read.prickaY))
        return record;
    read.hasLayout = true;
    record = read;
    if (block.size() <= kLayoutEnd)
        return record;
    if (!r.Int(read.x) || !r.Int(read.y) || !r.Int(read.cx) || !r.Int(read.cy) || !r.Int(read.showCommand) ||
        !r.Int(read.tab1) || !r.Int(read.tab2) || !r.Int(read.tab3))
        return record;
    read.hasPlacement = true;
    record = read;
    if (block.size() <= kPlacementEnd)
        return record;
    if (r.Blob(read.nominalVoltage) && r.Blob(read.nominalCurrent) && r.Int(read.window1) && r.Int(read.window2) &&
        r.Int(read.voltageMultiplier) && r.Int(read.currentMultiplier)) {
        read.hasStatistics = true;
        record = read;
    }
    return record;
}

} // namespace analysers_vk
