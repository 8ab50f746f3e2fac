#include "archive/store/ArchivData.h"

#include "archive/store/ArchivHost.h"

int CArchivData::Flush(BOOL, int mode, const QString& instrument)
{
    int result = 1;
    if (mode == 1 || mode == 2) {
        try {
            result = WritePending(&instrument);
        } catch (...) {
            result = 0;
        }
        qCDebug(lcArchivWrite, "%s: flush mode %d, result %d", qPrintable(instrument), mode, result);
    }
    SignalWriter();
    return result;
}

void CArchivData::SignalWriter()
{
    writerIdle.Set();
}

bool CArchivData::WaitWriterIdle(int timeoutMs)
{
    return writerIdle.Wait(timeoutMs);
}

int CArchivData::WriteBlock()
{
    return WritePending(nullptr);
}

int CArchivData::GetQueuedBlockCount() const
{
    std::lock_guard ring(ringLock);
    return int(m_pending.size());
}

int CArchivData::WritePending(const QString* instrument)
{
    int result = 1;
    int lost = 0;
    for (;;) {
        PendingBlock job;
        {
            std::lock_guard ring(ringLock);
            if (m_pending.empty())
                break;
            const PendingBlock& front = m_pending.front();
            job = front;
            job.fileName = archive::DeepCopy(front.fileName);
            job.records = archive::DeepCopy(front.records);
            job.header = archive::DeepCopy(front.header);
        }
        std::unique_lock file(m_fileLock);
        if (job.generation < m_openGeneration) {
            // The file of this block was closed for the next period.
            std::lock_guard ring(ringLock);
            if (!m_pending.empty() && m_pending.front().sequence == job.sequence) {
                m_pending.pop_front();
                ++lost;
            }
            continue;
        }
        if (job.generation > m_openGeneration) {
            if (job.generation == m_failedGeneration) {
                // Its file was refused: nothing of that period can be written,
                // and kept it would only grow until the recording stops.
                lost += DropGenerationRing(job.generation);
                result = 0;
                break;
            }
            if (!instrument) {
                result = 0;
                break;
            }
            if (m_openingFile) {
                // Another write of this archive is asking the user about the
                // new file (its box runs an event loop, on this thread or
                // another): one question per file, and that write goes on
                // with every block waiting here once it is answered, in
                // order, before any of them reaches the file.
                break;
            }
            m_openingFile = true;
            const int stops = m_stopCount;
            file.unlock();
            const bool opened = OpenForWritingNamed(job.fileName, *instrument, job.generation, true) != 0;
            file.lock();
            m_openingFile = false;
            if (m_stopCount != stops) {
                // The recording was stopped while the user was asked (a
                // merge's pause, a deactivation): a stopped archive holds no
                // file open, and a refusal it no longer needs must not end a
                // recording that is to go on afterwards. What is queued now
                // belongs to the recording as it stands.
                if (m_failedGeneration == job.generation) {
                    m_failedGeneration = -1;
                    m_failedName.clear();
                }
                if (opened) {
                    file.unlock();
                    Close();
                }
                continue;
            }
            if (!opened) {
                lost += DropGenerationRing(job.generation);
                result = 0;
                break;
            }
            continue;
        }
        if (WriteOne(job) != WriteOutcome::Written) {
            result = 0;
            break;
        }
        std::lock_guard ring(ringLock);
        if (!m_pending.empty() && m_pending.front().sequence == job.sequence)
            m_pending.pop_front();
    }
    const QString path = GetFilePath().isEmpty() ? HeaderName() : GetFilePath();
    if (lost > 0)
        Host().ReportBlocksLost(path, lost);
    if (result == 0) {
        const int queued = GetQueuedBlockCount();
        if (queued > 0)
            Host().ReportBlockNotWritten(path, queued);
    }
    return result;
}

// One block, with m_fileLock held: the change stamp, the block stream, the
// header, the streams a shrink cut off, and the file put on disk.
CArchivData::WriteOutcome CArchivData::WriteOne(const PendingBlock& job)
{
    if (fileEntry && !CArchivFileList::Instance().MakeWritable(fileEntry, false))
        return WriteOutcome::Failed;
    stamp.Write(fileEntry.get(), Now());
    auto storage = fileEntry ? fileEntry->GetStorage() : nullptr;
    if (!storage)
        return WriteOutcome::NoFile;
    if (storage->WriteStream(archive::SlotStreamName(job.slot), archive::EncodeBlock(job.records))
        != archive::StorageStatus::Ok) {
        ReportFileErrorLocked(job.header.name);
        return WriteOutcome::Failed;
    }
    if (!fileEntry->WriteHeaderImage(archive::EncodeHeader(job.header, {job.collectingSlot}))) {
        ReportFileErrorLocked(job.header.name);
        return WriteOutcome::Failed;
    }
    for (int slot = job.destroyFrom; slot < job.destroyTo; ++slot)
        (void)storage->Destroy(archive::SlotStreamName(slot));
    return ReportFileErrorLocked(job.header.name) ? WriteOutcome::Written : WriteOutcome::Failed;
}

int CArchivData::DropGenerationRing(int generation)
{
    std::lock_guard ring(ringLock);
    return int(std::erase_if(m_pending, [generation](const PendingBlock& block) { return block.generation == generation; }));
}

QString CArchivData::RefusedNewFile() const
{
    std::lock_guard file(m_fileLock);
    return m_failedGeneration > m_openGeneration ? archive::DeepCopy(m_failedName) : QString();
}

bool CArchivData::RefusedNewFileDeclined() const
{
    std::lock_guard file(m_fileLock);
    return m_failedGeneration > m_openGeneration && m_failedDeclined;
}

void CArchivData::DropPending(const QString& why)
{
    int dropped = 0;
    {
        std::lock_guard ring(ringLock);
        dropped = int(m_pending.size());
        m_pending.clear();
    }
    if (dropped > 0)
        Host().ReportBlocksLost(why, dropped);
}

void CArchivData::DrainAndClose()
{
    {
        std::lock_guard file(m_fileLock);
        ++m_stopCount;
    }
    WritePending(nullptr);
    DropPending(GetFilePath().isEmpty() ? HeaderName() : GetFilePath());
    Close();
}
