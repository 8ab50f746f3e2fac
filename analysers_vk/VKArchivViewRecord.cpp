#include "analysers_vk/VKArchivViewRecord.h"

#include <vector>

namespace analysers_vk {

using namespace recordbytes;

namespace {

// Reads the values in order; a part cut short leaves every field as it was.
bool TakeInts(Reader& reader, const std::vector<int*>& fields)
{
    std::vector<int> values(fields.size());
    for (int& value : values) {
        if (!reader.Int(value))
            return false;
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
        *fields[i] = values[i];
    return true;
}

} // namespace

void CVKArchivViewLayout::WriteLayout(QByteArray& out) const
{
    for (int value : {isAlarm, isData, isGraf, prickaX, prickaY, x, y, cx, cy, showCommand})
        PutInt(out, value);
}

bool CVKArchivViewLayout::ReadLayout(Reader& reader, qsizetype size, std::initializer_list<int*> tabs)
{
    hasLayout = TakeInts(reader, {&isAlarm, &isData, &isGraf, &prickaX, &prickaY});
    if (!hasLayout || size <= kLayoutEnd)
        return false;
    std::vector<int*> placement{&x, &y, &cx, &cy, &showCommand};
    placement.insert(placement.end(), tabs.begin(), tabs.end());
    hasPlacement = TakeInts(reader, placement);
    return hasPlacement;
}

QByteArray CVKArchivViewRecord::Write() const
{
    QByteArray out;
    WriteLayout(out);
    for (int value : {tab1, tab2, tab3})
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
    Reader r(block);
    if (!record.ReadLayout(r, block.size(), {&record.tab1, &record.tab2, &record.tab3}) ||
        block.size() <= kPlacementEnd)
        return record;
    CVKArchivViewRecord read = record;
    if (r.Blob(read.nominalVoltage) && r.Blob(read.nominalCurrent) && r.Int(read.window1) && r.Int(read.window2) &&
        r.Int(read.voltageMultiplier) && r.Int(read.currentMultiplier)) {
        read.hasStatistics = true;
        record = read;
    }
    return record;
}

} // namespace analysers_vk
