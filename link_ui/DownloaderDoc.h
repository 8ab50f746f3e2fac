#pragma once

#include "link/DownloaderDocState.h"
#include "platform/ui/Document.h"

#include <memory>

namespace ui {
class CDocManager;
}

// The document of a download window: its own copy of the instrument entry
// (the live entry keeps measuring) and the title; the start operations
// hand the download to the window's form.
class CDownloaderDoc : public ui::CDocument {
    Q_OBJECT
public:
    static QString DocString()
    {
        return QStringLiteral("Downloader\nDownloader\n\n\n\nDownloader.Document\nDownloader");
    }
    static QString ProfileDocString()
    {
        return QStringLiteral(
            "Profile Downloader\nProfile Downloader\n\n\n\nPDownloader.Document\nProfile Downloader");
    }

    void StartDownload(const CPristroj& source);
    void StartIntervalDownload(const CPristroj& source, CTime from, CTime to, BOOL fromOpen, BOOL toOpen,
                               const QString& file);
    // Copies the entry and starts the download of one of its current
    // profiles into `file` (kind 0 selected, 1 maximal); `status` may be
    // null, then the worker reads it.
    void StartProfileDownload(const CPristroj& source, const QString& file, int kind, CTime date,
                              const CProfileStatus* status);

    CPristroj& Instrument() { return m_state.Instrument(); }

private:
    IDownloaderView* FirstForm() const;

    CDownloaderDocState m_state;
};

// Adds the archive download template (resource 191) and the profile download
// template (its file-type name "Profile Downloader") to the program's list.
void AddDownloaderTemplates(ui::CDocManager& manager);
// Opens a new profile download window and starts the download; null when
// the program has no profile download template.
CDownloaderDoc* OpenProfileDownloader(ui::CDocManager& manager, const CPristroj& instrument, const QString& file,
                                      int kind, CTime date, const CProfileStatus* status);
