#include "link/DownloadImport.h"

#include "archive/store/VKArchivImport.h"
#include "archive/store/VKTArchivImport.h"
#include "model/Iden.h"
#include "model/UniTyp.h"
#include "model/VKNoteBook.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "platform/Archive.h"

#include <QFile>

namespace {

CImportRawBlock RawBlock(const CUniTyp& block)
{
    return {int(block.GetCount()), int(block.GetItemSize()), block.GetData()};
}

struct VKFamily {
    using NoteBook = CVKNoteBook;
    using Config = CVKConfig;
    using Status = CVKStatus;
    using Archive = CVKDownloadArchivData;
    static constexpr char kSuffix[] = ".vk";

    VKFamily(const Status& status, const Config& config)
        : layout(CVKRecordLayout::From(status, config)), period(status.GetRecordPeriodSeconds())
    {
    }
    static CTime Oldest(const Status& status) { return status.GetOldestRecordTime(); }
    // The first block opens the off-line section; the cursor runs on by the period.
    int Import(Archive& archive, bool first, CTime& t, const CUniTyp& block, const Status& status,
               const Config& config, const CIden& iden, const CDownloadTarget& target)
    {
        const CImportRawBlock raw = RawBlock(block);
        if (target.HasRange())
            return first ? archive.ImportDownloadedRangeWithEvents(t, raw, layout, period, status, config, iden,
                                                                   target.rangeFrom, target.rangeTo)
                         : archive.ImportDownloadedRange(t, raw, layout, period, status, config, iden,
                                                         target.rangeFrom, target.rangeTo);
        return first ? archive.ImportDownloadedBlockWithEvents(t, raw, layout, period, status, config, iden)
                     : archive.ImportDownloadedBlock(t, raw, layout, period, status, config, iden);
    }
    CTime EndTime(CTime t) const { return CTime(CTime::time_type(std::int64_t(t.GetTime()) - period)); }

    CVKRecordLayout layout;
    int period;
};

struct VKTFamily {
    using NoteBook = CVKTNoteBook;
    using Config = CVKTConfig;
    using Status = CVKTStatus;
    using Archive = CVKTDownloadArchivData;
    static constexpr char kSuffix[] = ".vkt";

    VKTFamily(const Status&, const Config&) {}
    static CTime Oldest(const Status& status) { return status.GetOldestTime(); }
    int Import(Archive& archive, bool first, CTime& t, const CUniTyp& block, const Status& status,
               const Config& config, const CIden& iden, const CDownloadTarget& target)
    {
        const CImportRawBlock raw = RawBlock(block);
        if (target.HasRange())
            return first ? archive.ImportDownloadedRangeWithEvents(t, raw, status, config, iden, target.rangeFrom,
                                                                   target.rangeTo)
                         : archive.ImportDownloadedRange(t, raw, status, config, iden, target.rangeFrom,
                                                         target.rangeTo);
        return first ? archive.ImportDownloadedBlockWithEvents(t, raw, status, config, iden)
                     : archive.ImportDownloadedBlock(t, raw, status, config, iden);
    }
    static CTime EndTime(CTime t) { return t; }
};

// The recording of the instrument that records into a file to be merged
// into stops while the merge runs and goes on when this goes, whatever
// became of the merge. Declared before the file's archive object, which
// then closes first: the recording opens its file again, and one still
// held here would not be its file to resume.
class RecordingPause {
public:
    explicit RecordingPause(CPristroj* live)
    {
        if (!live || !live->m_merit || !live->m_zaznamenavat)
            return;
        m_live = live;
        m_stopped = live->PostSettings(0);
    }
    ~RecordingPause()
    {
        // A pause the thread has not taken yet leaves the entry's flag set:
        // the resumption goes after it all the same.
        if (m_live)
            m_live->PostSettings(1, !m_stopped);
    }
    RecordingPause(const RecordingPause&) = delete;
    RecordingPause& operator=(const RecordingPause&) = delete;

    // False while the recording may still write into the file.
    bool Safe() const { return !m_live || m_stopped; }

private:
    CPristroj* m_live = nullptr;
    bool m_stopped = false;
};

template <class Family>
class Importer {
public:
    Importer(const CDownloadJob& job, const CDownloadTarget& target, IDownloadImportHost& host)
        : m_job(job), m_target(target), m_host(host)
    {
    }

    int Run()
    {
        QFile file(m_job.m_tempPath);
        if (!file.open(QIODevice::ReadOnly))
            return Fail(QString::fromUtf8(download_texts::kTempOpenFailed));
        int result = kImportFailed;
        try {
            platform::SerialArchive ar(file.readAll());
            file.close();
            m_iden.Serialize(ar);
            m_notebook.Serialize(ar);
            m_config.Serialize(ar);
            m_status.Serialize(ar);
            result = Convert(ar);
        } catch (const std::exception&) {
            // The temporary file stays for another target.
            return Fail(QString::fromUtf8(download_texts::kTempOpenFailed));
        }
        // A range is one of several read from the same file.
        if (result == kImportDone && !m_target.HasRange())
            QFile::remove(m_job.m_tempPath);
        return result;
    }

private:
    int Convert(platform::SerialArchive& ar)
    {
        Family family(m_status, m_config);
        const auto* interval = dynamic_cast<const CDownloadIntervalJob*>(&m_job);
        CTime t = m_target.intervalMode && interval ? interval->m_from : Family::Oldest(m_status);
        // Without a time base no record can be placed: the download is
        // kept rather than thrown away as if the instrument had been empty.
        if (!t.IsValid())
            return NothingStored();
        typename Family::Archive download;
        m_host.PrepareArchive(download);
        download.SetClockAgreement(m_job.m_clockSynchronised);
        const QString name = m_job.m_pristroj.m_nazev;
        if (m_target.mode == 0) {
            if (!download.NewHeader(m_target.newFile, name))
                return Fail(QString::fromUtf8(download_texts::kDataOpenFailed));
            if (const Stored stored = ImportBlocks(ar, family, download, t); stored != Stored::Records)
                return Tell(stored, Discard(download));
            download.Close();
            m_host.OpenArchiveFile(m_target.newFile);
            return kImportDone;
        }
        Stored stored = Stored::Records;
        QString why;
        {
            const RecordingPause pause(m_host.FindDevice(m_target.existingFile));
            typename Family::Archive existing;
            m_host.PrepareArchive(existing);
            // A recording that has not stopped may still write into the file.
            if (!pause.Safe() || !existing.OpenByPath(m_target.existingFile)
                || !download.NewHeader(m_job.m_tempPath + QString::fromLatin1(Family::kSuffix), name)) {
                stored = Stored::Failed;
                why = QString::fromUtf8(download_texts::kDataOpenFailed);
            } else if (stored = ImportBlocks(ar, family, download, t); stored != Stored::Records) {
                why = Discard(download);
            } else {
                if (!existing.ImportTempFile(download)) {
                    stored = Stored::Failed;
                    why = existing.GetErrorText();
                }
                download.DeleteFile();
            }
        }
        // Told only once the recording goes on: a box may wait long for the user.
        return stored == Stored::Records ? kImportDone : Tell(stored, why);
    }

    enum class Stored { Records, Nothing, Failed };

    // Nothing: no block held a record to open the off-line section at (or,
    // for a range, to store).
    Stored ImportBlocks(platform::SerialArchive& ar, Family& family, typename Family::Archive& download, CTime& t)
    {
        for (;;) {
            CUniTyp block;
            block.Serialize(ar);
            if (block.GetCount() == 0)
                break;
            // A VKT block may hold no record to open the section at: the
            // next one is offered as the first then.
            const bool first = !download.SectionOpened();
            const int result = family.Import(download, first, t, block, m_status, m_config, m_iden, m_target);
            if (download.WriteFailed())
                return Stored::Failed;
            // A range ends with the call that met a record beyond it; a 0
            // before the section opened only says that it could not open.
            if (m_target.HasRange() && result == 0 && download.SectionOpened())
                break;
        }
        // A period without a downloaded record gets no file of its own and
        // nothing merged into its file.
        if (!download.SectionOpened() || (m_target.HasRange() && !download.RecordsStored()))
            return Stored::Nothing;
        CTime end = family.EndTime(t);
        if (m_target.HasRange() && m_target.rangeTo < end)
            end = m_target.rangeTo;
        return download.AddDownloadEvent(end) ? Stored::Records : Stored::Failed;
    }

    // The file the records were going into goes: it holds a part of them at
    // most, and the downloaded file keeps them all.
    static QString Discard(typename Family::Archive& download)
    {
        const QString why = download.GetErrorText();
        download.DeleteFile();
        return why;
    }

    int Tell(Stored stored, const QString& why) { return stored == Stored::Nothing ? NothingStored() : Fail(why); }

    int Fail(const QString& text)
    {
        m_host.ShowError(text, QString::fromUtf8(download_texts::kErrorCaption));
        return kImportFailed;
    }

    int NothingStored()
    {
        m_host.ShowError(QString::fromUtf8(download_texts::kNothingStored).arg(m_job.m_tempPath),
                         QString::fromUtf8(download_texts::kErrorCaption));
        return kImportNothingStored;
    }

    const CDownloadJob& m_job;
    const CDownloadTarget& m_target;
    IDownloadImportHost& m_host;
    CIden m_iden;
    typename Family::NoteBook m_notebook;
    typename Family::Config m_config;
    typename Family::Status m_status;
};

} // namespace

int ImportVKArchive(const CDownloadJob& job, const CDownloadTarget& target, IDownloadImportHost& host)
{
    return Importer<VKFamily>(job, target, host).Run();
}

int ImportVKTArchive(const CDownloadJob& job, const CDownloadTarget& target, IDownloadImportHost& host)
{
    return Importer<VKTFamily>(job, target, host).Run();
}
