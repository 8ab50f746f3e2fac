#include "archive/store/ArchivData.h"

#include <algorithm>

// The completed list becomes a block waiting to be written into slot W - 1,
// together with the header as it must read once the block is on disk.
void CArchivData::QueueBlockRing()
{
    PendingBlock job;
    job.sequence = m_nextSequence++;
    job.generation = m_generation;
    job.fileName = archive::DeepCopy(header->name);
    job.slot = archive::ReduceSlot(writeSlot - 1, header->SlotCount());
    job.collectingSlot = writeSlot;
    job.records = archive::DeepCopy(lists[std::size_t(currentList)]);
    job.header = archive::DeepCopy(*header);
    if (shrinkState == 2) {
        job.destroyFrom = header->SlotCount();
        job.destroyTo = m_shrinkFrom;
        shrinkState = 0;
    }
    // A block still waiting for the same slot of the same file would be
    // overwritten on disk by this one anyway.
    std::erase_if(m_pending, [&job](const PendingBlock& p) {
        return p.generation == job.generation && p.slot == job.slot;
    });
    m_pending.push_back(std::move(job));
}

// After the ring changed under blocks that are still waiting: their headers
// follow the table in memory, with the collecting slot and the slots of the
// blocks queued after them still empty.
void CArchivData::RebuildPendingHeadersRing()
{
    if (!header)
        return;
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (it->generation != m_generation)
            continue;
        it->header = archive::DeepCopy(*header);
        for (auto later = it + 1; later != m_pending.end(); ++later) {
            if (later->generation == m_generation && later->slot < it->header.SlotCount())
                it->header.slotTable[std::size_t(later->slot)] = 0;
        }
    }
}

std::vector<int> CArchivData::EmptySlotsRing(int collectingSlot) const
{
    std::vector<int> empty;
    if (collectingSlot >= 0)
        empty.push_back(collectingSlot);
    for (const PendingBlock& p : m_pending) {
        if (p.generation == m_generation)
            empty.push_back(p.slot);
    }
    return empty;
}

void CArchivData::ApplyShrinkRing(int target)
{
    if (!header || target <= 0 || target >= header->SlotCount()) {
        shrinkState = 0;
        return;
    }
    m_shrinkFrom = header->SlotCount();
    header->slotTable.resize(std::size_t(target));
    shrinkState = 2;
    std::erase_if(m_pending, [this, target](const PendingBlock& p) {
        return p.generation == m_generation && p.slot >= target;
    });
    RebuildPendingHeadersRing();
}

void CArchivData::ResizeRing(int total, int recordsPerBlock, int interval)
{
    const std::int64_t span = std::int64_t(recordsPerBlock) * interval;
    if (span <= 0 || total < 0)
        return;
    const int target = int(std::clamp<std::int64_t>(total / span + 1, 2, archive::kMaxSlotCount));
    int n = 0;
    int w = 0;
    {
        std::lock_guard ring(ringLock);
        if (!header)
            return;
        n = header->SlotCount();
        w = writeSlot;
        if (target < n) {
            shrinkState = 1;
            shrinkTarget = target;
            return;
        }
        if (target == n)
            return;
        shrinkState = 0;
    }
    ShiftBlocks(w, target, w);
}

// Growing moves the blocks after the write position up by M - N slots. Each
// move copies the block, enters it at its new slot and only then clears the
// old slot, one header entry at a time, so that a crash at any point leaves
// every block reachable through the header.
void CArchivData::ShiftBlocks(int writePosition, int newCount, int collectingSlot)
{
    WritePending(nullptr);
    std::lock_guard file(m_fileLock);
    std::lock_guard ring(ringLock);
    if (!fileEntry || !header || newCount <= header->SlotCount() || newCount > archive::kMaxSlotCount)
        return;
    if (!CArchivFileList::Instance().MakeWritable(fileEntry, false))
        return;
    auto storage = fileEntry->GetStorage();
    if (!storage)
        return;
    const int n = header->SlotCount();
    const std::vector<archive::SlotMove> moves = archive::PlanRingGrowth(n, writePosition, newCount);
    header->slotTable.resize(std::size_t(newCount), 0);
    const QString name = header->name;
    auto writeHeader = [&]() {
        if (fileEntry->WriteHeaderImage(archive::EncodeHeader(*header, EmptySlotsRing(collectingSlot))))
            return true;
        ReportFileErrorLocked(name);
        return false;
    };
    if (!writeHeader())
        return;
    for (const archive::SlotMove& move : moves) {
        QByteArray block;
        if (storage->ReadStream(archive::SlotStreamName(move.from), block) == archive::StorageStatus::Ok
            && storage->WriteStream(archive::SlotStreamName(move.to), block) != archive::StorageStatus::Ok) {
            ReportFileErrorLocked(name);
            return;
        }
        for (PendingBlock& p : m_pending) {
            if (p.generation != m_generation)
                continue;
            if (p.slot == move.from)
                p.slot = move.to;
            if (p.collectingSlot == move.from)
                p.collectingSlot = move.to;
        }
        header->slotTable[std::size_t(move.to)] = header->slotTable[std::size_t(move.from)];
        if (!writeHeader())
            return;
        header->slotTable[std::size_t(move.from)] = 0;
        if (!writeHeader())
            return;
    }
    RebuildPendingHeadersRing();
    ReportFileErrorLocked(name);
}
