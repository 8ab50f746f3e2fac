// The scheduled downloads on the application's side: the temporary file and
// entry copy a download runs with, and the import of the finished file.
#include "shell/MavexApp.h"

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivImportFileList.h"
#include "link/DownloadJob.h"
#include "link_ui/DownloaderDoc.h"
#include "link_ui/DownloaderView.h"
#include "platform/ui/DocTemplate.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "shell/AppArchivHost.h"
#include "shell/MainFrame.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <mutex>

namespace {

// The import's boxes are collected, so that one box tells what failed and
// where the downloaded records wait.
class ScheduledImportHost : public IDownloadImportHost {
public:
    ScheduledImportHost(CMainFrame* frame, IArchivHost* archives) : m_frame(frame), m_archives(archives) {}

    void ShowError(const QString& text, const QString& caption) override
    {
        m_errors << text;
        m_caption = caption;
    }
    // A scheduled download opens no window.
    void OpenArchiveFile(const QString&) override {}
    CPristroj* FindDevice(const QString& archivePath) override
    {
        return m_frame ? m_frame->FindByArchive(archivePath) : nullptr;
    }
    void PrepareArchive(CArchivData& archive) override
    {
        if (m_archives)
            archive.SetHost(m_archives);
    }

    const QStringList& Errors() const { return m_errors; }
    const QString& Caption() const { return m_caption; }

private:
    CMainFrame* m_frame;
    IArchivHost* m_archives;
    QStringList m_errors;
    QString m_caption = QStringLiteral("CHYBA");
};

// The period file an instrument is recording into, when it has this base
// name, with the time its name was stamped with (base + "_Y%yD%m%dH%H",
// maybe "DUPn", + ending); empty when it records elsewhere or not at all.
QString RecordingPeriodFile(const CPristroj& live, const QString& base, const QString& ending, CTime& stamped)
{
    const CArchivData* archive = live.m_merit && live.m_zaznamenavat ? live.GetArchivData() : nullptr;
    const QString current = archive ? archive->GetFilePath() : QString();
    if (current.isEmpty() || !current.startsWith(base, Qt::CaseInsensitive)
        || !current.endsWith(ending, Qt::CaseInsensitive) || !QFileInfo::exists(current))
        return {};
    static const QRegularExpression pattern(QStringLiteral("^_Y(\\d\\d)D(\\d\\d)(\\d\\d)H(\\d\\d)"));
    const QRegularExpressionMatch match = pattern.match(current.mid(base.size()));
    if (!match.hasMatch())
        return {};
    const QDate day(2000 + match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const int hour = match.captured(4).toInt();
    if (!day.isValid() || hour > 23)
        return {};
    stamped = CTime(day.year(), day.month(), day.day(), hour, 0, 0);
    return stamped.IsValid() ? current : QString();
}

} // namespace

// The import of a download window: its boxes on the main window, the new
// archive opened, the instrument that records into the target paused.
class CMavexApp::CWindowImportHost : public IDownloadImportHost {
public:
    explicit CWindowImportHost(CMavexApp& app) : m_app(app) {}
    void ShowError(const QString& text, const QString& caption) override
    {
        ui::ShowMessageBox(m_app.m_mainFrame.get(), text, caption, ui::MsgButtons::Ok, ui::MsgIcon::Error);
    }
    void OpenArchiveFile(const QString& path) override { m_app.OpenArchiveFile(path); }
    CPristroj* FindDevice(const QString& archivePath) override
    {
        return m_app.m_mainFrame ? m_app.m_mainFrame->FindByArchive(archivePath) : nullptr;
    }
    void PrepareArchive(CArchivData& archive) override
    {
        if (m_app.m_archivHost)
            archive.SetHost(m_app.m_archivHost.get());
    }

private:
    CMavexApp& m_app;
};

bool CMavexApp::OpenIntervalDownload(CPristroj& entry, CTime from, CTime to, int fromOpen, int toOpen,
                                     const QString& archivePath)
{
    CDownloaderDoc* document = NewDownloadWindow();
    if (!document)
        return false;
    document->StartIntervalDownload(entry, from, to, fromOpen, toOpen, archivePath);
    return true;
}

void CMavexApp::OpenDownloadWindow(CPristroj& entry)
{
    if (CDownloaderDoc* document = NewDownloadWindow())
        document->StartDownload(entry);
}

CDownloaderDoc* CMavexApp::NewDownloadWindow()
{
    CDownloaderDoc* document = nullptr;
    ui::CDocTemplate* found = m_docManager.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Downloader"));
    if (found)
        document = dynamic_cast<CDownloaderDoc*>(found->OpenDocumentFile(QString(), true));
    if (!document)
        return nullptr;
    if (!m_windowImportHost)
        m_windowImportHost = std::make_shared<CWindowImportHost>(*this);
    if (auto* view = dynamic_cast<CDownloaderView*>(document->FirstView()))
        view->SetImportHost(m_windowImportHost.get());
    return document;
}

QString CMavexApp::TempDownloadName(const QString& archiveBase, const QDateTime& now)
{
    const QString stamp = now.toString(QStringLiteral("yyyyMMddHHmmss"));
    QString name = archiveBase + QStringLiteral("tmp") + stamp + QStringLiteral(".tmp");
    // Two downloads within one second, or a file kept from a failed import.
    for (int n = 1; QFileInfo::exists(name); ++n)
        name = archiveBase + QStringLiteral("tmp") + stamp + QString::number(n) + QStringLiteral(".tmp");
    return name;
}

std::intptr_t CMavexApp::OnMakeTempFileName(std::uintptr_t wParam, std::intptr_t)
{
    std::lock_guard outer(m_tasks.OuterLock());
    if (m_tasks.m_downloadCopy)
        return 0; // the download under way keeps its copy and name
    QString instrument;
    {
        std::lock_guard list(m_tasks.ListLock());
        const CTask* task = m_tasks.Find(static_cast<int>(wParam));
        if (!task)
            return 0;
        instrument = task->m_pristroj;
    }
    for (const auto& device : m_devices) {
        if (device->m_nazev != instrument)
            continue;
        m_tasks.m_downloadCopy = std::make_unique<CPristroj>(*device);
        m_tasks.m_downloadImported = false;
        m_tasks.m_tempName = TempDownloadName(device->m_soubor, QDateTime::currentDateTime());
        break;
    }
    return 0;
}

CDownloadTarget CMavexApp::DownloadTarget(const CPristroj& live, const QString& base, const QString& ending) const
{
    CDownloadTarget target;
    QString path = base + ending;
    // An instrument recording into a file of that base name is completed
    // there (its own records pause for the merge).
    if (const CArchivData* archive = live.GetArchivData()) {
        const QString current = archive->GetFilePath();
        if (!current.isEmpty() && current.startsWith(base, Qt::CaseInsensitive)
            && current.endsWith(ending, Qt::CaseInsensitive) && QFileInfo::exists(current))
            path = current;
    }
    if (QFileInfo::exists(path)) {
        target.mode = 1;
        target.existingFile = path;
    } else {
        target.newFile = path;
    }
    return target;
}

std::vector<CDownloadTarget> CMavexApp::DownloadTargets(const CPristroj& live, const QString& base,
                                                       const QString& ending, CTime from, CTime to) const
{
    // An instrument that overwrites cyclically keeps one file; one that
    // starts a new file per period gets the records in the period files of
    // their times, whether or not it is recording now (only its current
    // file waits for the recording to pause).
    if (live.m_prepisovat || !from.IsValid() || !to.IsValid() || to < from)
        return {DownloadTarget(live, base, ending)};
    CTime recordingSince;
    const QString recording = RecordingPeriodFile(live, base, ending, recordingSince);
    CArchivImportFileList list;
    list.FindFiles(base, ending.mid(1), from, CTime(CTime::time_type(to.GetTime() + 1)), live.m_intervalPrepisovani);
    std::vector<CDownloadTarget> targets;
    for (const CArchivImportFileEntry& entry : list.Entries()) {
        // The file being recorded into is its period's file even before its
        // first block can be read back, or beside an older file of that period.
        QString file = entry.fileName;
        if (!recording.isEmpty() && !(recordingSince < entry.first) && recordingSince < entry.last)
            file = recording;
        CDownloadTarget target;
        if (QFileInfo::exists(file)) {
            target.mode = 1;
            target.existingFile = file;
        } else {
            target.newFile = file;
        }
        // The period's end is the next period's start: it belongs there.
        target.rangeFrom = entry.first;
        target.rangeTo = CTime(CTime::time_type(entry.last.GetTime() - 1));
        targets.push_back(target);
    }
    if (targets.empty())
        targets.push_back(DownloadTarget(live, base, ending));
    return targets;
}

std::intptr_t CMavexApp::OnDownloadedFile(std::uintptr_t wParam, std::intptr_t lParam)
{
    std::unique_lock outer(m_tasks.OuterLock());
    if (!m_tasks.m_downloadCopy)
        return 0;
    // Whatever happens below, the download ends here: the copy goes, and the
    // download thread takes that as the file having been taken over.
    std::unique_ptr<CPristroj> copy = std::move(m_tasks.m_downloadCopy);
    m_tasks.m_downloadImported = false;
    const QString temp = m_tasks.m_tempName;
    if (!QFileInfo::exists(temp))
        return 0;

    QString instrument, taskFile;
    int taskKind = 0;
    bool found = false;
    {
        std::lock_guard list(m_tasks.ListLock());
        std::lock_guard second(m_tasks.SecondLock());
        if (const CTask* task = m_tasks.Find(static_cast<int>(lParam))) {
            found = true;
            instrument = task->m_pristroj;
            taskFile = task->m_soubor;
            taskKind = task->m_typ;
        }
    }
    const CPristroj* live = nullptr;
    for (const auto& device : m_devices)
        if (found && device->m_nazev == instrument)
            live = device.get();
    const CFamilyDescriptor* family = m_families.Find(copy->GetType());
    if (!live || !family || !family->importDownload) {
        // Nothing to import into: the task or its instrument is gone.
        QFile::remove(temp);
        return 0;
    }

    // The file holds the records since the task's last run: they are
    // imported from the time of the first one, not from the oldest record
    // the instrument keeps (which would shift every record back in time).
    const CTime from = m_tasks.m_downloadFrom;
    m_tasks.m_downloadFrom = CTime(CTime::kInvalid);
    CDownloadIntervalJob job(from, CTime(CTime::time_type(wParam)), FALSE, FALSE);
    job.m_pristroj = *copy;
    job.m_tempPath = temp;
    const QString base = taskKind == 1 && !taskFile.isEmpty() ? taskFile : live->m_soubor;
    const CTime to{CTime::time_type(wParam)};
    std::vector<CDownloadTarget> targets = DownloadTargets(*live, base, family->archiveEnding, from, to);
    bool imported = true;
    QStringList lines;
    QString failed;
    for (CDownloadTarget& target : targets) {
        target.intervalMode = from.IsValid() ? 1 : 0;
        ScheduledImportHost host(m_mainFrame.get(), m_archivHost.get());
        int result = kImportFailed;
        try {
            result = family->importDownload(job, target, host);
        } catch (const std::exception&) {
            result = kImportFailed;
        }
        // A period file whose span holds no downloaded record is no failure:
        // the import tells a section it could not open from a span with
        // nothing in it, and a write it could not make fails as any other.
        if (result == kImportDone || (target.HasRange() && result == kImportNothingStored))
            continue;
        imported = false;
        lines = host.Errors();
        failed = target.mode ? target.existingFile : target.newFile;
        break;
    }
    QFile::remove(temp);
    if (imported) {
        m_tasks.m_downloadImported = true;
        return 0;
    }
    // The task keeps its last download (the download thread sees the import
    // failed), so its next run fetches the same records again.
    lines << QStringLiteral("Stažená data nebyla zařazena do archivu %1, úloha je stáhne znovu při příštím běhu.")
                 .arg(QDir::toNativeSeparators(failed));
    // The box waits for the user, maybe all night: the download thread and
    // the later runs must not wait on the task lock meanwhile.
    outer.unlock();
    ui::ShowMessageBox(m_mainFrame.get(), lines.join(QLatin1Char('\n')), QStringLiteral("CHYBA"), ui::MsgButtons::Ok,
                       ui::MsgIcon::Error);
    return 0;
}
