#pragma once

#include "link/DownloaderDocState.h"
#include "link/ProfileDownload.h"
#include "link_ui/DownloadWindowView.h"

#include <functional>

class QLineEdit;

// The form of a profile download window: runs the profile download worker
// on a job, shows its progress every 500 ms, and when the profile file is
// written opens it and closes itself; a failure offers a retry, which reads
// the profile status from the instrument anew. A cancelled download leaves
// no profile file behind.
class CDownloaderViewProf : public CDownloadWindowView, public IDownloaderProfileView {
    Q_OBJECT
public:
    enum ControlId {
        IdKind = 1020,
        IdDate = 1021,
    };

    // The worker of a job; returns when the download ended (the result is
    // in the job). Tests replace the real download routines.
    using Worker = std::function<void(CProfileDownloadJob& job)>;
    // Opens a finished profile file as a document.
    using Opener = std::function<void(const QString& path)>;

    explicit CDownloaderViewProf(QWidget* parent = nullptr);

    void SetWorker(Worker worker) { m_worker = std::move(worker); }
    void SetOpener(Opener opener) { m_opener = std::move(opener); }

    // IDownloaderProfileView
    void StartWorker(const QString& file, int kind, CTime date, const CProfileStatus* status) override;

    void OnWorkerDone() override;
    void OnCancel() override;

    CProfileDownloadJob* Job() const { return static_cast<CProfileDownloadJob*>(m_job.get()); }
    QString Text(int id) const;

private:
    void RunJob();

    QLineEdit* m_kind;
    QLineEdit* m_date;
    Worker m_worker;
    Opener m_opener;
};
