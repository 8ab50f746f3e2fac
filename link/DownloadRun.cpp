#include "link/DownloadRun.h"

#include <system_error>

bool CDownloadRun::Launch(std::function<void()> work)
{
    m_done = false;
    try {
        m_thread = std::thread([this, work = std::move(work)] {
            work();
            m_done = true;
        });
    } catch (const std::system_error&) {
        m_job.reset();
        return false;
    }
    return true;
}

void CDownloadRun::Stop()
{
    if (m_thread.joinable()) {
        if (m_job && !m_done)
            m_job->Cancel();
        m_thread.join();
    }
    m_job.reset();
}
