#pragma once

#include <atomic>
#include <functional>
#include <thread>

class CDownloadJob;
class QLineEdit;
class QProgressBar;

namespace ui {
class CView;
}

// The worker thread of a download window: started on a job, asked by the
// window's timer whether it has ended, joined before the job goes.
class CDownloadWindowThread {
public:
    CDownloadWindowThread() = default;
    ~CDownloadWindowThread() { Join(); }
    CDownloadWindowThread(const CDownloadWindowThread&) = delete;
    CDownloadWindowThread& operator=(const CDownloadWindowThread&) = delete;

    // False when no thread could be made.
    bool Start(std::function<void()> work);
    void Join();
    bool IsRunning() const { return m_thread.joinable(); }
    // True once the work has returned; the thread is joined then.
    bool JoinIfEnded();

private:
    std::thread m_thread;
    std::atomic<bool> m_ended{false};
};

// The job's progress text and step, and its identification once it is read.
void ShowDownloadProgress(CDownloadJob& job, QProgressBar* progress, QLineEdit* status, QLineEdit* ident);
// Closes the view's document from the event loop, after the handler that
// asks for it (the view goes with the document).
void CloseDocumentLater(ui::CView& view);
