#pragma once

#include "archive/store/ArchivMerge.h"
#include "archive/store/ArchivTempCopy.h"
#include "platform/StringTable.h"

#include <QByteArray>

// A raw block of an analyser's record memory as the download brings it:
// record i starts at first + i * stride.
struct CImportRawBlock {
    int count = 0;
    int stride = 0;
    const BYTE* first = nullptr;

    const BYTE* Record(int i) const { return first + std::ptrdiff_t(i) * stride; }
};

// The family archive object that a download fills: a fresh object, not
// shared with a document, that creates the file, takes the downloaded blocks
// and closes the off-line section. The family adds the record decoding.
template <class Family>
class TArchivDownload : public TArchivTempCopy<Family> {
public:
    using TArchivTempCopy<Family>::TArchivTempCopy;

    // Zero: the instrument's clock disagreed with the computer's.
    void SetClockAgreement(int agreed) { m_clockAgreed = agreed; }
    int GetClockAgreement() const { return m_clockAgreed; }

    // Creates the file at `path` anew with an empty header and the settings
    // stream naming the instrument. 0 when the file cannot be created.
    int NewHeader(const QString& path, const QString& instrument)
    {
        this->UseEmptyHeader(path);
        m_writer = {};
        m_opened = false;
        m_writeFailed = false;
        if (!this->CreateForImport(instrument)) {
            this->Close();
            this->SetError(platform::LoadString(platform::IDS_FILE_OPEN_FAILED));
            return 0;
        }
        AttachWriter();
        return 1;
    }

    // Ends the import: the end events at `time`, then the last block.
    int AddDownloadEvent(platform::CTime time)
    {
        AddEndEvents(time);
        return WriteImportBlock() ? 1 : 0;
    }

    // A 0 from an import call means either that the off-line section could
    // not be opened yet or that a record lay past the range: these tell the
    // cases apart, and a block the file refused, since NewHeader.
    bool SectionOpened() const { return m_opened; }
    bool WriteFailed() const { return m_writeFailed; }
    // A section opened by a block whose records all lay outside the range
    // holds no record: a period file of nothing but events.
    bool RecordsStored() const { return m_recordsStored; }

protected:
    // Merges the download `source` into this object's file through a merge
    // file named after it with `suffix`; see the families' ImportTempFile.
    int MergeDownload(TArchivDownload& source, const archive::IMergeCodec& codec, const QString& suffix);

    void AttachWriter()
    {
        m_writer.Attach(this->fileEntry, this->header.get());
        m_writer.SetBeforeWrite([this] { this->stamp.Write(this->fileEntry.get(), this->Now()); });
    }
    archive::CImportBlockWriter& Writer() { return m_writer; }

    void AddText(platform::CTime time, std::uint8_t type, const QString& text)
    {
        m_writer.Add(archive::TextRecord(time, type, text));
    }
    void AddHeaderRecords(platform::CTime time, const QByteArray& status, const QByteArray& config,
                          const QByteArray& iden)
    {
        m_writer.Add({time.GetTime(), kRecordStatus, status});
        m_writer.Add({time.GetTime(), kRecordSettings, config});
        m_writer.Add({time.GetTime(), kRecordIden, iden});
    }
    void AddStartEvents(platform::CTime time)
    {
        m_opened = true;
        AddText(time, kRecordState, archive::OfflineStartText());
        if (!m_clockAgreed)
            AddText(time, kRecordState, archive::ClockMismatchStartText());
    }
    void AddEndEvents(platform::CTime time)
    {
        if (!m_clockAgreed)
            AddText(time, kRecordState, archive::ClockMismatchEndText());
        AddText(time, kRecordState, archive::OfflineEndText());
    }
    // Writes the block; on failure the error text tells why.
    bool WriteImportBlock()
    {
        if (m_writer.WriteBlock())
            return true;
        m_writeFailed = true;
        this->SetError(archive::TempFileProcessErrorText());
        return false;
    }
    // Before a counted record: a full block goes out and the next one opens
    // with the header records at `time`.
    bool StartRecord(platform::CTime time, const QByteArray& status, const QByteArray& config, const QByteArray& iden)
    {
        m_recordsStored = true;
        if (m_writer.CountedRecords() < archive::CImportBlockWriter::kRecordsPerBlock)
            return true;
        if (!WriteImportBlock())
            return false;
        AddHeaderRecords(time, status, config, iden);
        return true;
    }

private:
    archive::CImportBlockWriter m_writer;
    int m_clockAgreed = 1;
    bool m_opened = false;
    bool m_writeFailed = false;
    bool m_recordsStored = false;
};

template <class Family>
int TArchivDownload<Family>::MergeDownload(TArchivDownload& source, const archive::IMergeCodec& codec,
                                           const QString& suffix)
{
    const QString path = this->GetFilePath();
    TArchivDownload merge;
    merge.SetHost(&this->Host());
    merge.SetTimeSource([this] { return this->Now(); });
    merge.UseEmptyHeader(path + suffix);
    // A merge file that cannot be made (or may not replace a file of its
    // name) leaves every file as it was.
    if (path.isEmpty() || !merge.OpenForWriting(QString())) {
        merge.Close();
        this->SetError(archive::TempFileOpenErrorText());
        return 0;
    }
    merge.AttachWriter();
    const auto fail = [&](const QString& why) {
        merge.DeleteFile();
        this->SetError(why);
        return 0;
    };

    std::vector<CArchivRecordList> downloaded;
    source.SetError(QString());
    if (source.OpenFirstBlock()) {
        do
            downloaded.push_back(source.CurrentBlock());
        while (source.ReadNextBlock());
    } else if (!source.GetErrorText().isEmpty()) { // the header could not be read
        return fail(source.GetErrorText());
    }
    // Blocks of the existing archive that cannot be read whole keep what can
    // be read: the merged file replaces them.
    std::vector<CArchivRecordList> existing;
    if (!this->ReadAllBlocks(existing))
        return fail(this->GetErrorText());
    const QString headerName = this->HeaderNameCopy();

    archive::MergeResult merged = archive::MergeBlocks(existing, downloaded, codec, m_clockAgreed != 0);
    if (!merged.ok)
        return fail(source.GetErrorText());
    for (CArchivRecordList& block : merged.blocks) {
        merge.Writer().Records() = std::move(block);
        merge.Writer().Recount();
        if (!merge.WriteImportBlock())
            return fail(merge.GetErrorText());
    }
    auto target = this->fileEntry;
    if (target && !CArchivFileList::Instance().MakeWritable(target, false))
        return fail(archive::TempFileProcessErrorText());
    auto mergeStorage = merge.fileEntry ? merge.fileEntry->GetStorage() : nullptr;
    if (!target || !mergeStorage
        || !archive::ReplaceArchiveContent(*target, headerName, *mergeStorage, merge.SlotTable()))
        return fail(archive::TempFileProcessErrorText());
    merge.DeleteFile();
    return 1;
}
