#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// The "hlavicka" stream: the archive's name (260 bytes, NUL-terminated, code
// page 1250), the slot count N and N block start times (0 = no block).
struct CArchivHeader {
    QString name;
    std::vector<std::uint32_t> slotTable;

    int SlotCount() const { return int(slotTable.size()); }
};

namespace archive {

inline constexpr int kHeaderNameSize = 260;
inline constexpr int kHeaderTableOffset = kHeaderNameSize + 4;
inline constexpr int kMaxSlotCount = 100000;

// The stream as it goes to disk: the slots listed in `emptySlots` (the block
// being collected, blocks not yet written) read as 0.
QByteArray EncodeHeader(const CArchivHeader& header, const std::vector<int>& emptySlots);

enum class HeaderDecode {
    Ok,
    Rejected, // slot count 0 or above the limit: no usable header
    Short,    // the stream ends inside the name, the count or the table
};
HeaderDecode DecodeHeader(const QByteArray& bytes, CArchivHeader& out);

CArchivHeader DeepCopy(const CArchivHeader& header);

// The "A%i" stream of a slot.
std::string SlotStreamName(int slot);

// slot reduced into 0..count-1.
int ReduceSlot(int slot, int count);

// The slot the record walk starts at: the smallest non-zero start time among
// slots 1..N-1 that is older than the collecting block's start, else slot 0.
int FindOldestSlot(const std::vector<std::uint32_t>& table, std::uint32_t collectingStart);

// The last slot (highest index on ties) with the greatest non-zero start
// time; -1 when every slot is empty.
int FindNewestSlot(const std::vector<std::uint32_t>& table);

// Growing the ring from N to M slots with the write position W keeps the
// blocks older than W in order and opens M - N empty slots right after W: the
// blocks in slots W+1..N-1 move up by M - N. The moves come in the order in
// which they can be carried out (highest slot first).
struct SlotMove {
    int from;
    int to;
};
std::vector<SlotMove> PlanRingGrowth(int slotCount, int writeSlot, int newCount);

} // namespace archive
