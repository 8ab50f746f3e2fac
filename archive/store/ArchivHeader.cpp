#include "archive/store/ArchivHeader.h"

#include "archive/store/ArchivRecord.h"
#include "platform/Cp1250.h"

#include <QtEndian>

#include <algorithm>

namespace archive {

namespace {

// A merge stages its blocks behind a full ring before one header write
// switches to them (ReplaceArchiveContent): such a header names up to twice
// the ring's slots, and a file left with it must still open.
constexpr int kMaxStagedSlotCount = 2 * kMaxSlotCount;

} // namespace

QByteArray EncodeHeader(const CArchivHeader& header, const std::vector<int>& emptySlots)
{
    const int n = header.SlotCount();
    QByteArray out(kHeaderTableOffset + 4 * qsizetype(n), '\0');
    const QByteArray name = platform::ToCp1250(header.name).left(kHeaderNameSize - 1);
    std::copy(name.begin(), name.end(), out.begin());
    qToLittleEndian<std::uint32_t>(std::uint32_t(n), out.data() + kHeaderNameSize);
    qToLittleEndian<std::uint32_t>(header.slotTable.data(), n, out.data() + kHeaderTableOffset);
    for (int slot : emptySlots) {
        if (slot >= 0 && slot < n)
            std::fill_n(out.begin() + kHeaderTableOffset + 4 * qsizetype(slot), 4, '\0');
    }
    return out;
}

HeaderDecode DecodeHeader(const QByteArray& bytes, CArchivHeader& out)
{
    if (bytes.size() < kHeaderTableOffset)
        return HeaderDecode::Short;
    const std::uint32_t count = ReadU32(bytes.constData() + kHeaderNameSize);
    if (count == 0 || count > std::uint32_t(kMaxStagedSlotCount))
        return HeaderDecode::Rejected;
    if (bytes.size() < kHeaderTableOffset + 4 * qsizetype(count))
        return HeaderDecode::Short;
    const char* name = bytes.constData();
    out.name = platform::FromCp1250(name, std::find(name, name + kHeaderNameSize, '\0') - name);
    out.slotTable.resize(count);
    for (std::uint32_t i = 0; i < count; ++i)
        out.slotTable[i] = ReadU32(bytes.constData() + kHeaderTableOffset + 4 * qsizetype(i));
    return HeaderDecode::Ok;
}

CArchivHeader DeepCopy(const CArchivHeader& header)
{
    return {DeepCopy(header.name), header.slotTable};
}

std::string SlotStreamName(int slot)
{
    std::string name(1, 'A');
    name += std::to_string(slot);
    return name;
}

int ReduceSlot(int slot, int count)
{
    if (count <= 0)
        return 0;
    slot %= count;
    return slot < 0 ? slot + count : slot;
}

int FindOldestSlot(const std::vector<std::uint32_t>& table, std::uint32_t collectingStart)
{
    int oldest = 0;
    std::uint32_t minimum = collectingStart;
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (table[i] != 0 && table[i] < minimum) {
            minimum = table[i];
            oldest = int(i);
        }
    }
    return oldest;
}

int FindNewestSlot(const std::vector<std::uint32_t>& table)
{
    int newest = -1;
    std::uint32_t maximum = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i] != 0 && table[i] >= maximum) {
            maximum = table[i];
            newest = int(i);
        }
    }
    return newest;
}

std::vector<SlotMove> PlanRingGrowth(int slotCount, int writeSlot, int newCount)
{
    std::vector<SlotMove> moves;
    const int shift = newCount - slotCount;
    if (shift <= 0)
        return moves;
    for (int i = newCount - 1; i > writeSlot; --i) {
        if (i > writeSlot + shift)
            moves.push_back({i - shift, i});
    }
    return moves;
}

} // namespace archive
