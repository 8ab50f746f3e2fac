#include "link/DownloadRoutines.h"
#include "link/DownloadWorker.h"

#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKStatus.h"

#include <algorithm>

namespace {

// The VK analyser's record memory: places 1 to C of a ring, read by
// 0-based index (place - 1), at most 240 data bytes per request.
class VKArchiveWorker : public CArchiveDownloadWorker {
public:
    VKArchiveWorker(CDownloadJob& job, CDownloadIntervalJob* interval) : CArchiveDownloadWorker(job), m_interval(interval)
    {
    }

protected:
    bool ReadSettings() override { return RetryReadVKSettings(m_entry, m_config, m_notebook, m_iden) != 0; }
    void StoreSettings() override
    {
        m_file.Store(m_iden);
        m_file.Store(m_notebook);
        m_file.Store(m_config);
    }
    QString IdentText() const override { return m_iden.GetModelText(); }
    bool SyncClock() override { return RetrySyncVKClock(m_entry) != 0; }
    bool ReadStatus() override
    {
        m_archiveOn = RetryPrepareVKArchiveRead(m_entry, m_status) != 0;
        return m_archiveOn;
    }
    int CheckStatus() override
    {
        if (m_status.GetErrorState() != 0)
            return kDownloadInstrumentError;
        if (m_status.GetRecordCount() == 0)
            return kDownloadNoData;
        return StatusTimesValid(m_status) ? kDownloadOk : kDownloadInvalidStatus;
    }

    void BeforeFailure(int result) override
    {
        // Only what the status read switched on goes back off.
        if (result != kDownloadReadFailed && result != kDownloadDataReadFailed && m_archiveOn)
            RetrySendVKArchiveControl(m_entry);
    }

private:
    int SetUpRange() override
    {
        m_capacity = std::int64_t(m_status.GetCapacity());
        m_size = m_status.GetRecordSize();
        m_perRequest = m_size > 0 ? 240 / m_size : 0;
        if (m_capacity <= 0 || m_perRequest <= 0)
            return kDownloadReadFailed; // a status that describes no readable ring
        // A count beyond the ring would read places twice.
        m_count = std::min<std::int64_t>(m_status.GetRecordCount(), m_capacity);
        m_chunk = m_perRequest * (m_slow ? 50 : 3);
        const std::int64_t newest = std::int64_t(m_status.GetNewestPosition());
        m_place = m_count == m_capacity ? newest % m_capacity + 1 : 1;
        m_remaining = m_count;
        return m_interval ? NarrowToInterval() : kDownloadOk;
    }

    int NarrowToInterval()
    {
        CDownloadIntervalJob& job = *m_interval;
        const std::int64_t period = m_status.GetRecordPeriodSeconds();
        const CTime newest = m_status.GetNewestRecordTime();
        const CTime oldestTime = m_status.GetOldestRecordTime();
        if (period <= 0 || !newest.IsValid() || !oldestTime.IsValid())
            return kDownloadNoDataInInterval;
        std::int64_t oldest = oldestTime.GetTime();
        std::int64_t skipped = 0;
        if (!job.m_fromOpen) {
            if (newest.GetTime() < job.m_from.GetTime())
                return kDownloadNoDataInInterval;
            while (oldest < std::int64_t(job.m_from.GetTime())) {
                ++skipped;
                oldest += period;
            }
            m_place = (m_place - 1 + skipped) % m_capacity + 1;
        }
        job.m_from = CTime(CTime::time_type(oldest));
        m_remaining = m_count - skipped;
        if (!job.m_toOpen) {
            if (oldest > std::int64_t(job.m_to.GetTime()))
                return kDownloadNoDataInInterval;
            for (std::int64_t t = newest.GetTime(); t > std::int64_t(job.m_to.GetTime()); t -= period)
                --m_remaining;
        } else {
            job.m_to = newest;
        }
        return m_remaining > 0 ? kDownloadOk : kDownloadNoDataInInterval;
    }

    int Transfer() override
    {
        CUniTyp block;
        while (m_remaining > 0) {
            if (Cancelled())
                return kDownloadCancelled;
            // A run stops at the ring's last place; the next one starts at place 1.
            const CVKRingRun run = VKRingRun(m_remaining, m_chunk, m_perRequest, m_capacity - m_place + 1);
            const std::int64_t n = run.n;
            const std::int64_t requests = run.requests;
            const DWORD first = DWORD(m_place - 1);
            const bool read = ThreeTries([&] {
                return (m_slow ? m_entry.ReadArchiveRecords(block, m_size, int(n), int(requests), first)
                               : m_entry.ReadArchiveBlock(block, m_size, int(n), int(requests), first))
                    != 0;
            });
            if (!read)
                return kDownloadDataReadFailed;
            StoreBlock(block, m_status);
            m_place += requests * n;
            if (m_place > m_capacity)
                m_place -= m_capacity;
            m_remaining -= requests * n;
            const std::int64_t total = std::max<std::int64_t>(m_count, 1);
            m_job.SetProgress(DownloadRecordsText((m_count - m_remaining) / m_chunk, m_count / m_chunk),
                              int(5 + (95 * (m_count - m_remaining)) / total));
        }
        return kDownloadOk;
    }

    CDownloadIntervalJob* m_interval;
    CIden m_iden;
    CVKNoteBook m_notebook;
    CVKConfig m_config;
    CVKStatus m_status;
    bool m_archiveOn = false;
    std::int64_t m_capacity = 0;
    std::int64_t m_count = 0;
    int m_size = 0;
    std::int64_t m_perRequest = 0;
    std::int64_t m_chunk = 0;
    std::int64_t m_place = 1;
    std::int64_t m_remaining = 0;
};

} // namespace

int DownloadVKArchiveProc(CDownloadJob* job)
{
    VKArchiveWorker(*job, nullptr).Run();
    return 0;
}

int DownloadVKArchiveIntervalProc(CDownloadIntervalJob* job)
{
    VKArchiveWorker(*job, job).Run();
    return 0;
}
