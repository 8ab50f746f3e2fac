#include "link/DownloadWorker.h"

#include "model/VKStatus.h"
#include "model/VKTPackedTime.h"
#include "model/VKTStatus.h"
#include "platform/Archive.h"

#include <array>

#include <algorithm>
#include <new>
#include <thread>

CVKRingRun VKRingRun(std::int64_t remaining, std::int64_t chunk, std::int64_t perRequest, std::int64_t toEnd)
{
    CVKRingRun run{perRequest, std::min(remaining, chunk) / perRequest};
    if (run.requests == 0) {
        run.requests = 1;
        run.n = remaining;
    }
    if (run.requests * run.n > toEnd) {
        run.requests = toEnd / run.n;
        if (run.requests == 0) {
            run.requests = 1;
            run.n = toEnd;
        }
    }
    return run;
}

bool StatusTimesValid(const CVKStatus& status)
{
    return status.GetNewestRecordTime().IsValid() && status.GetOldestRecordTime().IsValid();
}

bool StatusTimesValid(const CVKTStatus& status)
{
    // The unpacked times read an unusable date as the first day of 2000:
    // the packed bytes themselves are checked.
    constexpr int kNewestAt = 10;
    constexpr int kOldestAt = 15;
    std::array<BYTE, CVKTStatus::kImageSize> image{};
    status.ToRaw(image.data());
    CTime t;
    return TryUnpackRecordTime(image.data() + kNewestAt, true, t) && TryUnpackRecordTime(image.data() + kOldestAt, true, t);
}

CVKTRing VKTRing(const CVKTStatus& status)
{
    CVKTRing ring;
    const std::int64_t capacity = std::int64_t(status.GetCapacity());
    const std::int64_t written = status.GetWritePosition();
    ring.places = capacity - 1;
    if (ring.places <= 0)
        return ring;
    if (written < 0) { // wrapped: the oldest record sits at written + C
        ring.first = written + capacity;
        ring.count = ring.places;
    } else {
        ring.first = written == capacity ? 1 : 0;
        ring.count = std::min(ring.places, written);
    }
    ring.ok = ring.first >= 0 && ring.first < ring.places;
    return ring;
}

int CDownloadWorker::Run()
{
    m_job.m_result = kDownloadOk;
    m_job.SetProgress(QString::fromUtf8(download_texts::kConnecting), 1);
    if (!m_entry.OpenLink()) {
        m_job.m_result = kDownloadLinkFailed;
        m_entry.CloseLink();
        return m_job.m_result;
    }
    m_slow = SlowLink();
    m_job.SetProgress(QString::fromUtf8(download_texts::kSettings), 2);
    if (!m_file.Create(m_job.m_tempPath)) {
        m_job.m_result = kDownloadFileError;
        m_entry.CloseLink();
        return m_job.m_result;
    }
    int result = kDownloadOtherError;
    try {
        result = Download();
    } catch (const CDownloadFileError&) {
        result = kDownloadFileError;
    } catch (const platform::ArchiveError&) {
        result = kDownloadArchiveError;
    } catch (const std::bad_alloc&) {
        result = kDownloadMemoryError;
    } catch (...) {
        result = kDownloadOtherError;
    }
    if (result != kDownloadOk)
        return Fail(result);
    m_entry.CloseLink();
    m_job.m_result = kDownloadOk;
    return kDownloadOk;
}

int CDownloadWorker::Fail(int result)
{
    if (!m_statusStored)
        BeforeFailure(result);
    m_file.Discard();
    m_entry.CloseLink();
    m_job.m_result = result;
    return result;
}

bool CDownloadWorker::SlowLink()
{
    return m_entry.HasModem() || m_entry.GetPortRetryCount() != 0;
}

bool CDownloadWorker::ReadTwice(const std::function<bool()>& read, int pauseMs)
{
    if (read())
        return true;
    if (pauseMs > 0)
        Pause(pauseMs);
    return read();
}

bool CDownloadWorker::ThreeTries(const std::function<bool()>& read)
{
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            Yield();
        if (read())
            return true;
    }
    return false;
}

void CDownloadWorker::ShowIdent(const QString& text)
{
    m_job.SetIdentText(text);
    m_job.SetIdentReady(1);
}

void CDownloadWorker::StoreBlock(CUniTyp& block, CPrevodTyp& status)
{
    Yield();
    if (!m_statusStored) {
        m_file.Store(status);
        m_statusStored = true;
    }
    m_file.Store(block);
}

void CDownloadWorker::Yield()
{
    std::this_thread::yield();
}

void CDownloadWorker::Pause(int ms) const
{
    m_entry.Clock().Sleep(DWORD(ms));
}

int CArchiveDownloadWorker::Download()
{
    if (!ReadTwice([&] { return ReadSettings(); }, 1000))
        return kDownloadReadFailed;
    if (m_entry.m_synchronizovat && !SyncClock())
        m_job.m_clockSynchronised = 0;
    m_job.SetProgress(QString::fromUtf8(download_texts::kSettings), 5);
    ShowIdent(IdentText());
    Yield();
    StoreSettings();
    Yield();
    if (!ReadTwice([&] { return ReadStatus(); }, 0))
        return kDownloadReadFailed;
    if (int result = CheckStatus())
        return result;
    if (int result = SetUpRange())
        return result;
    if (int result = Transfer())
        return result;
    SyncAgain();
    m_file.Finish();
    SyncAgain();
    m_job.SetProgress(QString::fromUtf8(download_texts::kDone), 100);
    return kDownloadOk;
}

void CArchiveDownloadWorker::SyncAgain()
{
    if (m_entry.m_synchronizovat && !m_job.m_clockSynchronised && SyncClock())
        m_job.m_clockSynchronised = 1;
}
