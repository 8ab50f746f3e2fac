#pragma once

#include "archive/store/ArchivHost.h"

#include <QPointer>

class CMainFrame;

// The archive store's questions and reports in the running program: the
// questions as boxes over the main window, whichever thread asks (it waits
// for the answer), a file that can no longer be
// written stops the recording of its instrument on the main thread.
class CAppArchivHost : public IArchivHost {
public:
    explicit CAppArchivHost(CMainFrame* frame) : m_frame(frame) {}

    bool AskYesNo(int textId) override;
    void ReportFileError(const QString& path) override;
    // Posted: recording goes on while the box is open.
    void Notify(const QString& text) override;
    // A block that waits for its file is written with the next block; one
    // that was given up is gone either way: neither needs a box (the user
    // was told when the writes began to fail), the log keeps the loss.
    void ReportBlockNotWritten(const QString&, int) override {}
    void ReportBlocksLost(const QString& path, int blocks) override;

private:
    QPointer<CMainFrame> m_frame;
};
