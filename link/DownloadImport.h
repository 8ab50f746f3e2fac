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
    // Only the records from rangeFrom to rangeTo (both included) go into
    // the file, when both are valid: one period file of several. A ranged
    // import leaves the downloaded file to its caller.
    CTime rangeFrom{CTime::kInvalid};
    CTime rangeTo{CTime::kInvalid};

    bool HasRange() const { return rangeFrom.IsValid() && rangeTo.IsValid(); }
};

// How an import ended.
enum DownloadImportResult : int {
    kImportFailed = 0, // reported; the temporary file stays for another target
    kImportDone = 1, // the records are in the target; the temporary file is gone
    // Reported: the download held no record that could be placed in time.
    // The temporary file is kept for good (it is all that was fetched).
    kImportNothingStored = 2,
};

// Reads the job's temporary file back into the target archive. Failures
// are reported through the host.
int ImportVKArchive(const CDownloadJob& job, const CDownloadTarget& target, IDownloadImportHost& host);
int ImportVKTArchive(const CDownloadJob& job, const CDownloadTarget& target, IDownloadImportHost& host);

namespace download_texts {
inline constexpr char kTempOpenFailed[] = "Nepodařilo se otevřít dočasný soubor.";
inline constexpr char kDataOpenFailed[] = "Nepodařilo se otevřít datový soubor.";
inline constexpr char kErrorCaption[] = "CHYBA";
inline constexpr char kNothingStored[] =
    "Přijatá data neobsahují žádný záznam s platným časem, do souboru nebylo nic uloženo.\n"
    "Přijatá data zůstávají v souboru %1.";
} // namespace download_texts
