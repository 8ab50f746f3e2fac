#include "link/DownloadControl.h"

#include "link/DownloadWorker.h"
#include "model/Iden.h"
#include "model/UniTyp.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "platform/Archive.h"
#include "platform/Event.h"

#include <algorithm>
#include <thread>

void CDownloadControlMessages::PostMakeTempName(int taskIndex)
{
    platform::PostThreadMessage(m_application, platform::WM_APP_MAKE_TEMP_NAME, std::uintptr_t(taskIndex), 0);
}

void CDownloadControlMessages::PostDownloadedFile(CTime newest, int taskIndex)
{
    platform::PostThreadMessage(m_application, platform::WM_APP_DOWNLOADED_FILE, std::uintptr_t(newest.GetTime()),
                                std::intptr_t(taskIndex));
}

CTime CDownloadControlMessages::Now()
{
    return CTime::GetCurrentTime();
}

CDownloadControl::CDownloadControl(CTaskList& tasks, IDownloadControlHost& host) : m_tasks(tasks), m_host(host) {}

CDownloadControl::~CDownloadControl()
{
    // The hooks use this object's members.
    Stop(platform::Event::kInfinite);
}

bool CDownloadControl::IsVK() const
{
    return m_entry && m_entry->GetType() == CPristroj::kVK;
}

CTask* CDownloadControl::RunningTask()
{
    for (const auto& task : m_tasks.m_tasks) {
        if (task->m_running)
            return task.get();
    }
    return nullptr;
}

bool CDownloadControl::OnIdle(long)
{
    if (m_countdown > 0) {
        --m_countdown;
        IdleSleep(100);
        return true;
    }
    int index = -1;
    int started = -1;
    {
        std::lock_guard list(m_tasks.ListLock());
        if (CTask* task = RunningTask())
            index = task->m_index;
        else
            started = StartDueTask();
    }
    if (index < 0) {
        // No lock is held while the application is asked.
        if (started >= 0)
            m_host.PostMakeTempName(started);
        return true;
    }
    bool copySet = false;
    {
        std::lock_guard outer(m_tasks.OuterLock());
        copySet = m_tasks.m_downloadCopy != nullptr;
    }
    if (!m_handedOver && !copySet) {
        m_countdown = 20;
        m_host.PostMakeTempName(index);
        return true;
    }
    const bool advance = RunStep(index);
    CommonEnd(index, advance);
    return true;
}

int CDownloadControl::StartDueTask()
{
    CTask* best = nullptr;
    int bestDue = 0;
    const CTime now = m_host.Now();
    for (const auto& task : m_tasks.m_tasks) {
        const int due = m_tasks.DueSeconds(*task, now);
        if (due == -1) {
            best = task.get();
            break;
        }
        if (due > bestDue) {
            bestDue = due;
            best = task.get();
        }
    }
    if (!best) {
        m_countdown = 100;
        return -1;
    }
    m_step = 0;
    m_countdown = 10;
    m_savedLast = best->m_lastTime;
    best->m_running = 1;
    best->m_runNow = 0;
    return best->m_index;
}

bool CDownloadControl::RunStep(int index)
{
    try {
        if (m_step == 0)
            return OpenStep();
        if (m_step == 1)
            return true; // the file takes records as they come
        if (m_step == 2)
            return SettingsStep();
        if (m_step == 3)
            return StatusStep();
        if (m_step >= 4 && m_step < kAllRead)
            return ChunkStep();
        if (m_step == kHandOver) {
            m_file.Finish();
            if (m_entry)
                m_entry->CloseLink();
            m_handedOver = true;
            m_host.PostDownloadedFile(m_newest, index);
            m_countdown = 20;
        }
        return true;
    } catch (const std::exception&) {
        // The file refused the records: the run starts again.
        if (IsVK() && !m_statusStored)
            RetrySendVKArchiveControl(*m_entry);
        m_file.Discard();
        if (m_entry)
            m_entry->CloseLink();
        m_step = 0;
        return false;
    }
}

bool CDownloadControl::OpenStep()
{
    QString tempName;
    {
        std::lock_guard outer(m_tasks.OuterLock());
        if (m_tasks.m_downloadCopy)
            m_entry = std::make_unique<CPristroj>(*m_tasks.m_downloadCopy);
        tempName = m_tasks.m_tempName;
    }
    const bool analyser = m_entry && (m_entry->GetType() == CPristroj::kVK || m_entry->GetType() == CPristroj::kVKT);
    if (!analyser || !m_entry->OpenLink()) {
        if (m_entry)
            m_entry->CloseLink();
        return false;
    }
    m_slow = m_entry->HasModem() || (m_entry->GetPortRetryCount() != 0 && !m_entry->IsLinkKind3());
    m_statusStored = false;
    if (!m_file.Create(tempName)) {
        m_entry->CloseLink();
        return false;
    }
    return true;
}

bool CDownloadControl::SettingsStep()
{
    bool read = false;
    CIden iden;
    if (IsVK()) {
        CVKConfig config;
        CVKNoteBook notebook;
        read = RetryReadVKSettings(*m_entry, config, notebook, iden) != 0;
        if (read) {
            m_file.Store(iden);
            m_file.Store(notebook);
            m_file.Store(config);
        }
    } else {
        CVKTConfig config;
        CVKTNoteBook notebook;
        read = RetryReadVKTSettings(*m_entry, config, notebook, iden) != 0;
        if (read) {
            m_file.Store(iden);
            m_file.Store(notebook);
            m_file.Store(config);
        }
    }
    m_countdown = 1;
    return read;
}

bool CDownloadControl::StatusStep()
{
    if (IsVK() ? VKStatusStep() : VKTStatusStep())
        return true;
    m_countdown = 20;
    return false;
}

void CDownloadControl::SetDownloadFrom(CTime from)
{
    std::lock_guard outer(m_tasks.OuterLock());
    m_tasks.m_downloadFrom = from;
}

bool CDownloadControl::VKStatusStep()
{
    m_vkStatus = std::make_unique<CVKStatus>();
    const CVKStatus& s = *m_vkStatus;
    if (!RetryPrepareVKArchiveRead(*m_entry, *m_vkStatus) || s.GetErrorState() != 0 || s.GetRecordCount() == 0)
        return false;
    // Records that cannot be dated are not fetched: the run fails and counts.
    if (!StatusTimesValid(s))
        return false;
    m_capacity = s.GetCapacity();
    m_recordSize = s.GetRecordSize();
    m_perRequest = m_recordSize > 0 ? 240 / m_recordSize : 0;
    if (m_capacity <= 0 || m_perRequest <= 0)
        return false;
    const std::int64_t count = std::min<std::int64_t>(s.GetRecordCount(), m_capacity);
    // 1-based places; the oldest record follows the newest in a full ring.
    m_position = count == m_capacity ? std::int64_t(s.GetNewestPosition()) % m_capacity + 1 : 1;
    std::int64_t skipped = 0;
    const std::int64_t period = s.GetRecordPeriodSeconds();
    const CTime oldest = s.GetOldestRecordTime();
    if (oldest.IsValid() && period > 0) {
        // The newest record is fetched again whatever the task's last
        // time says: a skip past it would wrap to the oldest record and
        // date it after the newest.
        for (std::int64_t t = oldest.GetTime(); t < std::int64_t(m_savedLast.GetTime()) && skipped < count - 1;
             t += period)
            ++skipped;
    }
    m_position = (m_position - 1 + skipped) % m_capacity + 1;
    m_remaining = std::max<std::int64_t>(count - skipped, 1);
    m_newest = s.GetNewestRecordTime();
    SetDownloadFrom(period > 0 ? CTime(CTime::time_type(oldest.GetTime() + skipped * period))
                               : CTime(CTime::kInvalid));
    m_vkChunk = m_perRequest * (m_slow ? 50 : 3);
    return true;
}

bool CDownloadControl::VKTStatusStep()
{
    m_vktStatus = std::make_unique<CVKTStatus>();
    const CVKTStatus& s = *m_vktStatus;
    if (!RetryReadVKTStatus(*m_entry, *m_vktStatus) || s.IsErrorState() || s.GetWritePosition() == 0
        || !StatusTimesValid(s))
        return false;
    const CVKTRing ring = VKTRing(s);
    m_capacity = ring.places;
    m_recordSize = s.GetRecordSize();
    m_perRequest = m_recordSize > 0 ? 1000 / m_recordSize : 0;
    if (!ring.ok || m_perRequest <= 0)
        return false;
    const std::int64_t start = ring.first;
    const std::int64_t count = ring.count;
    std::int64_t skipped = 0;
    const std::int64_t period = s.GetArch().GetInterval();
    if (period > 0) {
        for (std::int64_t t = s.GetOldestTime().GetTime(); t < std::int64_t(m_savedLast.GetTime()) && skipped < count - 1;
             t += period)
            ++skipped;
    }
    m_position = (start + skipped) % m_capacity;
    m_remaining = std::max<std::int64_t>(count - skipped, 1);
    m_newest = s.GetNewestTime();
    SetDownloadFrom(period > 0 ? CTime(CTime::time_type(s.GetOldestTime().GetTime() + skipped * period))
                               : CTime(CTime::kInvalid));
    m_vktBatch = 25;
    return true;
}

bool CDownloadControl::ChunkStep()
{
    CUniTyp block;
    std::int64_t count = 0;
    if (!(IsVK() ? ReadVKChunk(block, count) : ReadVKTChunk(block, count)))
        return false;
    std::this_thread::yield();
    if (!m_statusStored) {
        if (IsVK())
            m_file.Store(*m_vkStatus);
        else
            m_file.Store(*m_vktStatus);
        m_statusStored = true;
    }
    m_file.Store(block);
    m_position += count;
    if (IsVK() ? m_position > m_capacity : m_position >= m_capacity)
        m_position = IsVK() ? m_position - m_capacity : 0;
    m_remaining -= count;
    if (m_remaining <= 0)
        m_step = kAllRead;
    return true;
}

bool CDownloadControl::ReadVKChunk(CUniTyp& block, std::int64_t& count)
{
    const CVKRingRun run = VKRingRun(m_remaining, m_vkChunk, m_perRequest, m_capacity - m_position + 1);
    const DWORD first = DWORD(m_position - 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0)
            m_entry->Clock().Sleep(100);
        const BOOL read = m_slow ? m_entry->ReadArchiveRecords(block, m_recordSize, int(run.n), int(run.requests), first)
                                 : m_entry->ReadArchiveBlock(block, m_recordSize, int(run.n), int(run.requests), first);
        if (read) {
            count = run.n * run.requests;
            return true;
        }
    }
    return false;
}

bool CDownloadControl::ReadVKTChunk(CUniTyp& block, std::int64_t& count)
{
    const std::int64_t toEnd = m_capacity - m_position;
    std::int64_t n = std::min({m_remaining, m_perRequest, toEnd});
    std::int64_t requests = 1;
    if (m_slow && n < toEnd)
        requests = std::clamp<std::int64_t>(std::min(m_remaining, toEnd) / n, 1, m_vktBatch);
    const DWORD first = DWORD(m_position);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        if (attempt > 1)
            std::this_thread::yield();
        const BOOL read = m_slow ? m_entry->ReadVKTArchiveRecords(block, 0, m_recordSize, int(n), int(requests), first)
                                 : m_entry->ReadVKTArchiveBlock(block, 0, m_recordSize, int(n), first);
        if (read) {
            if (m_slow)
                m_vktBatch = attempt == 1 ? m_vktBatch + 1 : 2 * m_vktBatch / attempt + 1;
            count = n * requests;
            return true;
        }
    }
    if (m_slow && m_vktBatch > 10) {
        m_entry->Clock().Sleep(1500);
        m_vktBatch = m_vktBatch <= 20 ? 4 : 10;
    }
    return false;
}

template <class F>
bool CDownloadControl::WithTask(int index, F work)
{
    std::lock_guard list(m_tasks.ListLock());
    CTask* task = m_tasks.Find(index);
    if (task)
        work(*task);
    return task != nullptr;
}

void CDownloadControl::CommonEnd(int index, bool advance)
{
    // A task removed while it ran takes its run with it.
    if (!WithTask(index, [&](CTask& task) {
            if (!advance)
                m_tasks.CountFailure(task);
        })) {
        Abandon(index);
        m_countdown = 10;
        return;
    }
    if (m_step > kHandOver) {
        bool released = false;
        bool imported = false;
        {
            std::lock_guard outer(m_tasks.OuterLock());
            released = m_tasks.m_downloadCopy == nullptr;
            imported = m_tasks.m_downloadImported;
        }
        if (released && imported) {
            Finish(index);
            m_countdown = 2;
            return;
        }
        if (released) {
            // The records did not reach the archive: the task keeps its last
            // download, so the next run fetches them again.
            WithTask(index, [&](CTask& task) {
                m_tasks.CountFailure(task);
                WithinRetryLimit(task);
            });
            Abandon(index);
            m_countdown = 10;
            return;
        }
    }
    bool refused = false;
    WithTask(index, [&](CTask& task) { refused = !WithinRetryLimit(task); });
    if (refused) {
        Abandon(index);
        m_countdown = 10;
        return;
    }
    if (m_step > kHandOver) {
        // The application has not taken the finished file yet (a dialog may
        // hold it): ask again. The download itself went well, so waiting is
        // no failure; counting it would give up a good file.
        m_host.PostDownloadedFile(m_newest, index);
        m_countdown = 50;
    }
    if (advance)
        ++m_step;
}

bool CDownloadControl::WithinRetryLimit(CTask& task)
{
    if (m_tasks.CheckRetryLimit(task, CTaskList::kRetryLimit))
        return true;
    const std::int64_t interval = CTask::IntervalSeconds(task.m_interval);
    const std::int64_t now = m_host.Now().GetTime();
    const std::int64_t saved = m_savedLast.GetTime();
    if (saved + interval * 4 / 3 + task.m_penInterval < now)
        task.m_penInterval = int(now - saved);
    else
        task.m_penInterval += int(interval / 3);
    m_tasks.ResetFailures(task);
    return false;
}

void CDownloadControl::Finish(int index)
{
    {
        std::lock_guard second(m_tasks.SecondLock());
        WithTask(index, [&](CTask& task) {
            task.m_lastTime = m_newest;
            task.m_running = 0;
            m_tasks.ResetFailures(task);
        });
    }
    m_step = 0;
    m_handedOver = false;
    m_entry.reset();
    FreeStatus();
}

void CDownloadControl::Abandon(int index)
{
    if (!m_handedOver)
        m_file.Discard();
    if (m_entry)
        m_entry->CloseLink();
    {
        std::lock_guard outer(m_tasks.OuterLock());
        std::lock_guard second(m_tasks.SecondLock());
        WithTask(index, [&](CTask& task) {
            task.m_lastTime = m_savedLast;
            task.m_running = 0;
        });
        m_tasks.m_downloadCopy.reset();
    }
    m_entry.reset();
    m_step = 0;
    m_handedOver = false;
    FreeStatus();
}

void CDownloadControl::FreeStatus()
{
    m_vkStatus.reset();
    m_vktStatus.reset();
    m_statusStored = false;
}

void CDownloadControl::Settle()
{
    if (m_settled)
        return;
    m_settled = true;
    int index = -1;
    {
        std::lock_guard list(m_tasks.ListLock());
        if (CTask* task = RunningTask())
            index = task->m_index;
    }
    if (index < 0)
        return;
    bool imported = false;
    {
        std::lock_guard outer(m_tasks.OuterLock());
        imported = m_tasks.m_downloadCopy == nullptr && m_tasks.m_downloadImported;
    }
    if (m_step > kHandOver && imported)
        Finish(index);
    else
        Abandon(index);
}

void CDownloadControl::OnMessage(const platform::ThreadMessage& message)
{
    if (message.id != platform::WM_THREAD_END)
        return;
    Settle();
    if (auto* done = reinterpret_cast<platform::Event*>(message.wParam))
        done->Set();
}

int CDownloadControl::ExitInstance()
{
    // Also when the thread ends without WM_THREAD_END.
    Settle();
    return WorkerThread::ExitInstance();
}
