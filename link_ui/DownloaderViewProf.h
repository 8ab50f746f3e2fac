#pragma once

#include "link/DownloaderDocState.h"
#include "link/ProfileDownload.h"
#include "link_ui/DownloadWindowThread.h"
#include "platform/ui/Document.h"

#include <functional>
#include <memory>

class CDownloaderDoc;
class QLineEdit;
class QProgressBar;
class QTimer;

// The form of a profile download window: runs the profile download worker
// on a job, shows its progress every 500 ms, and when the profile file is
// written opens it and closes itself; a failure offers a retry, which reads
// the profile status from the instrument anew. A cancelled download leaves
// no profile file behind.
class CDownloaderViewProf : public ui::CView, public IDownloaderProfileView {
    Q_OBJECT
public:
    enum ControlId {
        IdIdent = 1019,
        IdKind = 1020,
        IdDate = 1021,
        IdCancel = 1023,
        IdProgress = 1297,
        IdStatus = 1298,
    };
    static constexpr int kTimerMs = 500;

    // The worker of a job; returns when the download ended (the result is
    // in the job). Tests replace the real download routines.
    using Worker = std::function<void(CProfileDownloadJob& job)>;
    // Opens a finished profile file as a document.
    using Opener = std::function<void(const QString& path)>;

    explicit CDownloaderViewProf(QWidget* parent = nullptr);
    ~CDownloaderViewProf() override;

    void SetWorker(Worker worker) { m_worker = std::move(worker); }
    void SetOpener(Opener opener) { m_opener = std::move(opener); }

    // IDownloaderProfileView
    void StartWorker(const QString& file, int kind, CTime date, const CProfileStatus* status) override;

    void OnWorkerDone();
    void OnCancel();

    bool IsFinished() const { return m_finished; }
    bool IsWorkerRunning() const { return m_thread.IsRunning(); }
    CProfileDownloadJob* Job() const { return m_job.get(); }
    QWidget* Control(int id) const;
    QString Text(int id) const;

private:
    CDownloaderDoc* Document() const;
    void Launch();
    bool AskRetry(int result);
    void CloseDocument();

    QLineEdit* m_status;
    QProgressBar* m_progress;
    QLineEdit* m_ident;
    QLineEdit* m_kind;
    QLineEdit* m_date;
    QTimer* m_timer;

    bool m_finished = false;
    bool m_closing = false;
    std::unique_ptr<CProfileDownloadJob> m_job;
    CDownloadWindowThread m_thread;
    Worker m_worker;
    Opener m_opener;
};
