#pragma once

#include "link/DownloadFile.h"
#include "link/DownloadTasks.h"
#include "model/VKStatus.h"
#include "model/VKTStatus.h"
#include "platform/WorkerThread.h"

#include <memory>

// What the scheduled downloads ask of the application thread: a temporary
// file name and an entry copy for a task (WM_APP_MAKE_TEMP_NAME), and the
// import of a finished file (WM_APP_DOWNLOADED_FILE); and the time.
class IDownloadControlHost {
public:
    virtual ~IDownloadControlHost() = default;
    virtual void PostMakeTempName(int taskIndex) = 0;
    virtual void PostDownloadedFile(CTime newest, int taskIndex) = 0;
    virtual CTime Now() = 0;
};

// The host of the running program: thread messages to the application.
class CDownloadControlMessages : public IDownloadControlHost {
public:
    explicit CDownloadControlMessages(platform::ThreadHandle application) : m_application(application) {}
    void PostMakeTempName(int taskIndex) override;
    void PostDownloadedFile(CTime newest, int taskIndex) override;
    CTime Now() override;

private:
    platform::ThreadHandle m_application;
};

// The scheduled-download thread: in its idle time it starts the task that
// is most overdue and downloads the records of the task's VK or VKT analyser
// that are newer than the task's last download, one step per idle call, into
// the temporary file that the application then imports.
class CDownloadControl : public platform::WorkerThread {
public:
    static constexpr int kAllRead = 1000000;
    static constexpr int kHandOver = 1000001;

    CDownloadControl(CTaskList& tasks, IDownloadControlHost& host);
    ~CDownloadControl() override;

    // For tests and the status of the run.
    int Step() const { return m_step; }

protected:
    bool OnIdle(long count) override;
    void OnMessage(const platform::ThreadMessage& message) override;
    int ExitInstance() override;
    // The idle pause; tests shorten it.
    virtual void IdleSleep(int ms) { WaitForMessage(ms); }

private:
    CTask* RunningTask();
    // Marks the most overdue task running; its index, or -1 when none is due.
    int StartDueTask();
    // A step of the download; false when it failed and is to be repeated.
    bool RunStep(int index);
    bool OpenStep();
    bool SettingsStep();
    bool StatusStep();
    // Tells the application where the records of the file begin.
    void SetDownloadFrom(CTime from);
    bool VKStatusStep();
    bool VKTStatusStep();
    bool ChunkStep();
    bool ReadVKChunk(CUniTyp& block, std::int64_t& count);
    bool ReadVKTChunk(CUniTyp& block, std::int64_t& count);
    void CommonEnd(int index, bool advance);
    // False when the task's failures reached the limit: it is marked failed
    // and its next run put off.
    bool WithinRetryLimit(CTask& task);
    // The application has imported the file: the task's last download moves on.
    void Finish(int index);
    // Ends the run: the task's last download as it was, the file gone.
    void Abandon(int index);
    // Runs `work` on the task of that index under the list lock; false when
    // the task is gone (removed while it ran).
    template <class F>
    bool WithTask(int index, F work);
    void Settle();
    void FreeStatus();
    bool IsVK() const;

    CTaskList& m_tasks;
    IDownloadControlHost& m_host;
    std::unique_ptr<CPristroj> m_entry; // this thread's copy of the application's copy
    CDownloadFile m_file;
    int m_step = 0;
    bool m_slow = false;
    bool m_statusStored = false;
    int m_recordSize = 0;
    std::int64_t m_position = 0;
    std::int64_t m_capacity = 0; // the ring's places (VKT: those in use, C - 1)
    std::int64_t m_perRequest = 0;
    std::int64_t m_remaining = 0;
    CTime m_newest;
    std::int64_t m_vkChunk = 0;
    int m_vktBatch = 25;
    CTime m_savedLast;
    unsigned m_countdown = 1000;
    std::unique_ptr<CVKStatus> m_vkStatus;
    std::unique_ptr<CVKTStatus> m_vktStatus;
    bool m_handedOver = false;
    bool m_settled = false;
};
