#pragma once

#include "link/DownloadJob.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

// A download job and the worker thread that fills it, as a download window
// holds them. The job is freed only after its worker has ended: a new start
// and the destructor cancel the running worker and wait for it (the worker
// stops at its next check, within one block).
class CDownloadRun {
public:
    CDownloadRun() = default;
    CDownloadRun(const CDownloadRun&) = delete;
    CDownloadRun& operator=(const CDownloadRun&) = delete;
    ~CDownloadRun() { Stop(); }

    // Runs `proc` over `job` on a thread of its own; false (and no job) when
    // the thread cannot be made.
    template <class Job>
    bool Start(std::unique_ptr<Job> job, int (*proc)(Job*))
    {
        Stop();
        Job* raw = job.get();
        m_job = std::move(job);
        return Launch([raw, proc] { proc(raw); });
    }

    // Without waiting: the worker has ended (the result may be read).
    bool IsFinished() const { return !m_thread.joinable() || m_done.load(); }
    CDownloadJob* Job() const { return m_job.get(); }
    // Cancels a running worker, waits for it and frees the job.
    void Stop();

private:
    bool Launch(std::function<void()> work);

    std::unique_ptr<CDownloadJob> m_job;
    std::thread m_thread;
    std::atomic<bool> m_done{false};
};
