#pragma once

#include "link/DownloadFile.h"
#include "link/DownloadJob.h"
#include "model/UniTyp.h"

// One pass over a VK analyser's ring: `requests` requests of `n` records
// each, at most `chunk` records, stopping at the ring's last place (`toEnd`
// places from the next one).
struct CVKRingRun {
    std::int64_t n = 0;
    std::int64_t requests = 0;
};
CVKRingRun VKRingRun(std::int64_t remaining, std::int64_t chunk, std::int64_t perRequest, std::int64_t toEnd);

class CVKStatus;
class CVKTStatus;

// Where a VKT analyser's stored records begin: its ring has C places
// (capacity) of which it fills C - 1, at indices 0 to C - 2, and wraps
// after the last. `places` is C - 1; `count` the records held; ok is false
// for a status that describes no such ring.
struct CVKTRing {
    std::int64_t places = 0;
    std::int64_t first = 0;
    std::int64_t count = 0;
    bool ok = false;
};
CVKTRing VKTRing(const CVKTStatus& status);
// Whether a status that holds records dates them: the newest and the oldest
// record's times form real dates. Records of a status that does not cannot
// be placed in time.
bool StatusTimesValid(const CVKStatus& status);
bool StatusTimesValid(const CVKTStatus& status);

// The frame that every download worker shares: link, temporary file,
// progress, cancel and the mapping of failures to result codes. A family
// worker fills in the steps.
class CDownloadWorker {
public:
    explicit CDownloadWorker(CDownloadJob& job) : m_job(job), m_entry(job.m_pristroj) {}
    virtual ~CDownloadWorker() = default;
    CDownloadWorker(const CDownloadWorker&) = delete;
    CDownloadWorker& operator=(const CDownloadWorker&) = delete;

    // Runs the download; the result is also left in the job.
    int Run();

protected:
    // Everything after the temporary file is open; a result code. Throws
    // what the file or the serialisation throw.
    virtual int Download() = 0;
    // Called on every failure path while nothing has been stored past the
    // status (the VK archive's mode goes back).
    virtual void BeforeFailure(int /*result*/) {}
    // Whether the link is slow (modem, or a port that retries).
    virtual bool SlowLink();

    // Reads twice, with a second's pause between.
    bool ReadTwice(const std::function<bool()>& read, int pauseMs);
    // Up to three tries of a block read with a zero sleep between.
    static bool ThreeTries(const std::function<bool()>& read);
    bool Cancelled() const { return !m_job.IsRunning(); }
    void ShowIdent(const QString& text);
    // Stores `status` before the first block, then the block.
    void StoreBlock(CUniTyp& block, CPrevodTyp& status);
    bool StatusStored() const { return m_statusStored; }
    static void Yield();
    void Pause(int ms) const;

    CDownloadJob& m_job;
    CPristroj& m_entry;
    CDownloadFile m_file;
    bool m_slow = false;

private:
    int Fail(int result);
    bool m_statusStored = false;
};

// The steps of an archive download that both analyser families take:
// settings, clock, status, range, blocks, end.
class CArchiveDownloadWorker : public CDownloadWorker {
public:
    using CDownloadWorker::CDownloadWorker;

protected:
    int Download() final;
    virtual bool ReadSettings() = 0;
    virtual void StoreSettings() = 0;
    virtual QString IdentText() const = 0;
    // True when the instrument's clock is in step afterwards.
    virtual bool SyncClock() = 0;
    virtual bool ReadStatus() = 0;
    // 0, or why the status forbids the download.
    virtual int CheckStatus() = 0;
    virtual int SetUpRange() = 0;
    virtual int Transfer() = 0;

private:
    void SyncAgain();
};
