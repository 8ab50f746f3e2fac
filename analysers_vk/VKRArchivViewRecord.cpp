#include "analysers_vk/VKRArchivViewRecord.h"

#include <QtEndian>

#include <cstring>
#include <initializer_list>

namespace analysers_vk {

namespace {

void PutInt(QByteArray& out, int value)
{
    char bytes[4];
    qToLittleEndian<qint32>(value, bytes);
    out.append(bytes, 4);
}

void PutFloat(QByteArray& out, float value)
{
    PutInt(out, 4);
    quint32 bits = 0;
    std::memcpy(&bits, &value, 4);
    PutInt(out, int(bits));
}

// Reads the values in order; false (nothing taken) when the block ends
// before the last of them.
bool TakeInts(const QByteArray& block, int offset, std::initializer_list<int*> values)
{
    if (offset + 4 * int(values.size()) > block.size())
        return false;
    for (int* value : values) {
        *value = qFromLittleEndian<qint32>(block.constData() + offset);
        offset += 4;
    }
    return true;
}

} // namespace

QByteArray CVKRArchivViewRecord::Write() const
{
    QByteArray out;
    for (int value : {isAlarm, isData, isGraf, prickaX, prickaY, x, y, cx, cy, showCommand, tab1})
        PutInt(out, value);
    PutFloat(out, statA);
    PutFloat(out, statB);
    PutInt(out, statSecond);
    PutInt(out, statFirst);
    return out;
}

CVKRArchivViewRecord CVKRArchivViewRecord::Read(const QByteArray& block)
{
    CVKRArchivViewRecord r;
    r.hasLayout = TakeInts(block, 0, {&r.isAlarm, &r.isData, &r.isGraf, &r.prickaX, &r.prickaY});
    if (!r.hasLayout || block.size() <= kLayoutEnd)
        return r;
    r.hasPlacement = TakeInts(block, kLayoutEnd, {&r.x, &r.y, &r.cx, &r.cy, &r.showCommand, &r.tab1});
    if (!r.hasPlacement || block.size() <= kPlacementEnd)
        return r;
    int lengthA = 0, bitsA = 0, lengthB = 0, bitsB = 0, second = 0, first = 0;
    if (!TakeInts(block, kPlacementEnd, {&lengthA, &bitsA, &lengthB, &bitsB, &second, &first}) || lengthA != 4
        || lengthB != 4)
        return r;
    std::memcpy(&r.statA, &bitsA, 4);
    std::memcpy(&r.statB, &bitsB, 4);
    r.statSecond = second;
    r.statFirst = first;
    r.hasStatistics = true;
    return r;
}

} // namespace analysers_vk
