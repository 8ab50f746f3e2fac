#pragma once

#include "link_ui/DownloadWindowThread.h"
#include "platform/ui/Document.h"

#include <functional>
#include <memory>

class CDownloadJob;
class CDownloaderDoc;
class QLineEdit;
class QProgressBar;
class QTimer;

// What an archive and a profile download window share: the job and its
// worker thread, the timer that shows the job's progress every 500 ms and
// notices its end, the retry question and closing the window. A window
// goes only after its worker has ended.
class CDownloadWindowView : public ui::CView {
    Q_OBJECT
public:
    enum SharedControlId {
        IdIdent = 1019,
        IdCancel = 1023,
        IdProgress = 1297,
        IdStatus = 1298,
    };
    static constexpr int kTimerMs = 500;

    ~CDownloadWindowView() override;

    // The timer's tick, and the frame's or the cancel button's wish to close.
    virtual void OnWorkerDone() = 0;
    virtual void OnCancel() = 0;

    bool IsFinished() const { return m_finished; }
    bool IsWorkerRunning() const { return m_thread.IsRunning(); }
    QWidget* Control(int id) const;

protected:
    explicit CDownloadWindowView(QWidget* parent);

    CDownloaderDoc* Document() const;
    // Runs the work on the window's thread and starts the timer; a thread
    // that cannot be made closes the window.
    void Launch(std::function<void()> work);
    // Shows the job's progress; true once the worker has ended (it is joined
    // and the timer stopped then).
    bool WorkerEnded();
    bool AskRetry(int result);
    // A running worker is asked to stop (its end closes the window through
    // the timer); without one the window closes now.
    void CancelWorkerOrClose();
    void CloseDocument();

    QLineEdit* m_status;
    QProgressBar* m_progress;
    QLineEdit* m_ident;
    QTimer* m_timer;
    bool m_finished = false;
    std::unique_ptr<CDownloadJob> m_job;
    CDownloadWindowThread m_thread;

private:
    bool m_closing = false;
};
