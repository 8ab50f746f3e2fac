#pragma once

#include <QLoggingCategory>
#include <QString>

// Archive writes for diagnosing a field problem, off by default
// (QT_LOGGING_RULES="qorin.archive.write.debug=true"): every flush with its
// file, mode and result.
Q_DECLARE_LOGGING_CATEGORY(lcArchivWrite)

// What the archive store asks of the program around it. The store never shows
// anything itself: questions and reports go through this interface, which the
// application implements on its main thread (posting, never blocking a
// measurement thread on a window) and tests script.
class IArchivHost {
public:
    virtual ~IArchivHost() = default;

    // A yes/no question by string id (32254, 32258), caption "INFO", No as the
    // default button. True for Yes. Called without any lock of the store held.
    virtual bool AskYesNo(int textId) = 0;

    // The reports below may come from any thread with the store's locks
    // held: post them on, never wait in them.

    // The archive file at `path` can no longer be written: the main window
    // stops the recording of the instrument whose archive has that path.
    virtual void ReportFileError(const QString& path) = 0;

    // A block could not be written to the archive at `path`; it stays queued
    // (`queuedBlocks` in all) and goes to the file with the next write.
    virtual void ReportBlockNotWritten(const QString& path, int queuedBlocks) = 0;

    // A notice for the user (an archive set aside because it could not be
    // recorded into): shown once, never as a box that waits for an answer.
    virtual void Notify(const QString& text) { (void)text; }

    // Queued blocks for `path` had to be given up (their file was closed or
    // replaced before they could be written).
    virtual void ReportBlocksLost(const QString& path, int blocks) = 0;
};

// The host of an archive object that was given none: it answers No and
// drops reports. Stateless, so every such object may share it.
IArchivHost& SilentArchivHost();
