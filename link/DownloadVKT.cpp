#include "link/DownloadRoutines.h"
#include "link/DownloadWorker.h"

#include "model/Iden.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "model/VKTPackedTime.h"
#include "model/VKTStatus.h"

#include <algorithm>

namespace {

// Records kept beyond each end of an interval.
constexpr std::int64_t kIntervalMargin = 5;

// The time a VKT record carries: its packed time at byte 1, or at byte 11
// for a record whose kind byte is set.
CTime VKTRecordTime(const BYTE* record, int size)
{
    const int at = record[0] != 0 ? 11 : 1;
    return at + 5 <= size ? UnpackRecordTime(record + at) : CTime(CTime::kInvalid);
}

// The VKT analyser's record memory: a ring of C - 1 records by 0-based
// index, at most 1000 data bytes per request.
class VKTArchiveWorker : public CArchiveDownloadWorker {
public:
    VKTArchiveWorker(CDownloadJob& job, CDownloadIntervalJob* interval) : CArchiveDownloadWorker(job), m_interval(interval)
    {
    }

protected:
    bool SlowLink() override
    {
        return m_entry.HasModem() || (m_entry.GetPortRetryCount() != 0 && !m_entry.IsLinkKind3());
    }

    bool ReadSettings() override { return RetryReadVKTSettings(m_entry, m_config, m_notebook, m_iden) != 0; }
    void StoreSettings() override
    {
        m_file.Store(m_iden);
        m_file.Store(m_notebook);
        m_file.Store(m_config);
    }
    QString IdentText() const override { return m_iden.GetVKTModelText(); }
    bool SyncClock() override { return RetrySyncVKTClock(m_entry) != 0; }
    bool ReadStatus() override { return RetryReadVKTStatus(m_entry, m_status) != 0; }
    int CheckStatus() override
    {
        if (m_status.IsErrorState())
            return kDownloadInstrumentError;
        if (m_status.GetCapacity() == 0 || m_status.GetWritePosition() == 0)
            return kDownloadNoData;
        return StatusTimesValid(m_status) ? kDownloadOk : kDownloadInvalidStatus;
    }

private:
    int SetUpRange() override
    {
        const CVKTRing ring = VKTRing(m_status);
        m_places = ring.places;
        m_size = m_status.GetRecordSize();
        m_perRequest = m_size > 0 ? 1000 / m_size : 0;
        if (m_perRequest <= 0 || !ring.ok)
            return kDownloadReadFailed; // a status that describes no readable ring
        m_index = ring.first;
        m_total = ring.count;
        m_remaining = m_total;
        m_start = m_index;
        return m_interval ? NarrowToInterval() : kDownloadOk;
    }

    int NarrowToInterval()
    {
        CDownloadIntervalJob& job = *m_interval;
        const std::int64_t period = m_status.GetArch().GetInterval();
        const std::int64_t newest = m_status.GetNewestTime().GetTime();
        std::int64_t oldest = m_status.GetOldestTime().GetTime();
        if (period <= 0)
            return kDownloadNoDataInInterval;
        const std::int64_t from = job.m_from.GetTime();
        const std::int64_t to = job.m_to.GetTime();
        if (!job.m_fromOpen) {
            if (newest < from)
                return kDownloadNoDataInInterval;
            const std::int64_t limit = std::max<std::int64_t>(m_remaining - kIntervalMargin, 1);
            if (oldest < from && from - oldest < limit * period) {
                std::int64_t k = 0;
                for (; oldest < from; oldest += period)
                    ++k;
                // Start a few records before From: the records' own times
                // decide in the import, the count here is only an estimate.
                const std::int64_t skip = std::max<std::int64_t>(k - kIntervalMargin, 0);
                m_remaining -= skip;
                m_index = (m_start + skip) % m_places;
            }
        } else {
            job.m_from = CTime(CTime::time_type(oldest));
        }
        if (!job.m_toOpen) {
            if (oldest > to)
                return kDownloadNoDataInInterval;
            std::int64_t beyond = 0;
            for (std::int64_t t = newest; t > to; t -= period)
                ++beyond;
            m_remaining -= beyond - std::min(beyond, kIntervalMargin);
        } else {
            job.m_to = CTime(CTime::time_type(newest));
        }
        m_total = m_remaining;
        return m_remaining > 0 ? kDownloadOk : kDownloadNoDataInInterval;
    }

    // The first block of an interval that was started after From (the
    // records are not evenly spaced) is dropped and the whole ring fetched.
    bool RestartWholeRing(const CUniTyp& block)
    {
        if (!m_interval || m_interval->m_fromOpen || StatusStored() || m_index == m_start || block.GetCount() == 0)
            return false;
        const CTime first = VKTRecordTime(block.GetItem(0), int(block.GetItemSize()));
        if (!first.IsValid() || first.GetTime() <= m_interval->m_from.GetTime())
            return false;
        m_index = m_start;
        m_remaining = m_total = VKTRing(m_status).count;
        return true;
    }

    int Transfer() override
    {
        CUniTyp block;
        int batch = 25;
        while (m_remaining > 0) {
            if (Cancelled())
                return kDownloadCancelled;
            std::int64_t n = std::min(m_remaining, m_perRequest);
            const std::int64_t toEnd = m_places - m_index;
            std::int64_t requests = 1;
            const DWORD first = DWORD(m_index);
            if (!m_slow) {
                n = std::min(n, toEnd);
                if (!ThreeTries([&] { return m_entry.ReadVKTArchiveBlock(block, 0, m_size, int(n), first) != 0; }))
                    return kDownloadDataReadFailed;
            } else {
                if (n >= toEnd)
                    n = toEnd;
                else
                    requests = std::clamp<std::int64_t>(std::min(m_remaining, toEnd) / n, 1, batch);
                const auto read = [&] {
                    return m_entry.ReadVKTArchiveRecords(block, 0, m_size, int(n), int(requests), first) != 0;
                };
                if (read()) {
                    ++batch;
                } else if (Yield(), read()) {
                    batch = batch * 2 / 3 + 1;
                } else if (Pause(100), read()) {
                    batch = batch * 2 / 5 + 1;
                } else if (batch > 10) {
                    Pause(1500);
                    batch = batch > 20 ? 10 : 4;
                    continue;
                } else {
                    return kDownloadDataReadFailed;
                }
            }
            if (RestartWholeRing(block))
                continue;
            StoreBlock(block, m_status);
            m_index += requests * n;
            if (m_index >= m_places)
                m_index = 0;
            m_remaining -= requests * n;
            const std::int64_t done = m_total - m_remaining;
            m_job.SetProgress(DownloadRecordsText(done, m_total),
                              int(5 + done * 95 / std::max<std::int64_t>(m_total, 1)));
        }
        return kDownloadOk;
    }

    CDownloadIntervalJob* m_interval;
    CIden m_iden;
    CVKTNoteBook m_notebook;
    CVKTConfig m_config;
    CVKTStatus m_status;
    std::int64_t m_places = 0; // the ring's places in use, C - 1
    int m_size = 0;
    std::int64_t m_perRequest = 0;
    std::int64_t m_index = 0;
    std::int64_t m_start = 0;
    std::int64_t m_total = 0;
    std::int64_t m_remaining = 0;
};

} // namespace

int DownloadVKTArchiveProc(CDownloadJob* job)
{
    VKTArchiveWorker(*job, nullptr).Run();
    return 0;
}

int DownloadVKTArchiveIntervalProc(CDownloadIntervalJob* job)
{
    VKTArchiveWorker(*job, job).Run();
    return 0;
}
