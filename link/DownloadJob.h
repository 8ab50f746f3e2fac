#pragma once

#include "link/Pristroj.h"

#include <QString>

#include <mutex>

// What a download worker ended with; the view turns it into a message.
enum DownloadResult : int {
    // The status holds records but no valid time of the newest one: taken
    // as it is, the records would land at a made-up time or nowhere.
    kDownloadInvalidStatus = -2,
    // A block of the instrument's memory could not be read (the settings
    // and the status were).
    kDownloadDataReadFailed = -3,
    kDownloadLinkFailed = -1,
    kDownloadOk = 0,
    kDownloadFileError = 1,
    kDownloadArchiveError = 2,
    kDownloadMemoryError = 3,
    kDownloadOtherError = 4,
    kDownloadReadFailed = 5, // the settings or the status

    kDownloadInstrumentError = 6,
    kDownloadNoData = 7,
    kDownloadNoDataInInterval = 8,
    kDownloadCancelled = 9,
};

// The message shown for a result (empty for a cancel).
QString DownloadErrorText(int result);

// A download in progress: the only object that a download worker and the
// view that started it share. Progress and flags are locked; the instrument,
// the file path and the result are written before the worker starts or by
// the worker alone, and the view reads the result only after the worker has
// ended.
class CDownloadJob {
public:
    CDownloadJob() = default;
    CDownloadJob(const CDownloadJob&) = delete;
    CDownloadJob& operator=(const CDownloadJob&) = delete;
    virtual ~CDownloadJob() = default;

    void SetProgress(const QString& text, int step);
    void GetProgress(QString& text, int& step) const;
    BOOL IsRunning() const;
    void Cancel();
    BOOL IsIdentReady() const;
    void SetIdentReady(BOOL ready);
    // The identification text is set before the ready flag and read after it.
    void SetIdentText(const QString& text);
    QString GetIdentText() const;

    int m_result = kDownloadOk;
    CPristroj m_pristroj;
    QString m_tempPath;
    BOOL m_clockSynchronised = 1;

private:
    mutable std::mutex m_progressLock;
    mutable std::mutex m_flagLock;
    int m_step = 0;
    QString m_text;
    QString m_identText;
    BOOL m_identReady = 0;
    BOOL m_running = 1;
};

// A download of the records between From and To only (to patch a gap).
class CDownloadIntervalJob : public CDownloadJob {
public:
    CDownloadIntervalJob(CTime from, CTime to, BOOL fromOpen, BOOL toOpen)
        : m_from(from), m_to(to), m_fromOpen(fromOpen), m_toOpen(toOpen)
    {
    }

    CTime m_from;
    CTime m_to;
    BOOL m_fromOpen = 0;
    BOOL m_toOpen = 0;
};

// Texts of the download progress.
namespace download_texts {
inline constexpr char kConnecting[] = "Navazuji spojení.";
inline constexpr char kSettings[] = "Zjišťuji soubory nastavení přístroje.";
inline constexpr char kRecords[] = "Stahuji %1 záznam z %2.";
inline constexpr char kDone[] = "Příjem dat úspěšně ukončen.";
} // namespace download_texts

// "Stahuji n záznam z m."
QString DownloadRecordsText(long long done, long long total);
