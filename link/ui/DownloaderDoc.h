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

    CPristroj& Instrument() { return m_state.Instrument(); }

private:
    IDownloaderView* FirstForm() const;

    CDownloaderDocState m_state;
};

// Adds the archive download template (resource 191) to the program's list.
void AddDownloaderTemplates(ui::CDocManager& manager);
// Opens a new download window and starts the whole-archive download of the
// instrument; null when the program has no download template.
CDownloaderDoc* OpenDownloader(ui::CDocManager& manager, const CPristroj& instrument);
