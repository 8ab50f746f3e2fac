#pragma once

#include "link/DownloadJob.h"

class CArchivData;

// What the import of a downloaded file needs of the program: its error box
// (caption "CHYBA"), opening an archive as a document, the instrument that
// records into a file (WM_FIND_DEVICE), and the set-up of a new archive
// object (time and host of the store).
class IDownloadImportHost {
public:
    virtual ~IDownloadImportHost() = default;
    virtual void ShowError(const QString& text, const QString& caption) = 0;
    virtual void OpenArchiveFile(const QString& path) = 0;
    virtual CPristroj* FindDevice(const QString& archivePath) = 0;
    virtual void PrepareArchive(CArchivData& /*archive*/) {}
};

// Where the downloaded records go: a new archive file (mode 0) or an
// existing one that they complete (mode 1).
struct CDownloadTarget {
    int mode = 0;
    QString newFile;
    QString existingFile;
    BOOL intervalMode = 0;
};

// Reads the job's temporary file back into the target archive; non-zero on
// success, after which the temporary file is gone. Failures are reported
// through the host and leave the temporary file for another try.
BOOL ImportVKArchive(const CDownloadJob& job, const CDownloadTarget& target, IDownloadImportHost& host);
BOOL ImportVKTArchive(const CDownloadJob& job, const CDownloadTarget& target, IDownloadImportHost& host);

namespace download_texts {
inline constexpr char kTempOpenFailed[] = "Nepodařilo se otevřít dočasný soubor.";
inline constexpr char kDataOpenFailed[] = "Nepodařilo se otevřít datový soubor.";
inline constexpr char kErrorCaption[] = "CHYBA";
} // namespace download_texts
