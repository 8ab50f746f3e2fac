#pragma once

#include "archive/store/ArchivFileList.h"
#include "archive/store/ArchivHeader.h"
#include "archive/store/ArchivRecord.h"
#include "platform/Time32.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// What imports of downloaded records and merges of downloaded archives share:
// the texts they leave in a file and the block being built. An imported or
// merged file holds its blocks in slot order: the k-th block lands in slot
// k - 1 and the header grows by one slot per block, so that a file cut off
// after any block still reads up to that block.
namespace archive {

// Event (type 7) and error (type 4) texts of the off-line sections.
QString OfflineStartText();
QString OfflineEndText();
QString ClockMismatchStartText();
QString ClockMismatchEndText();
QString InstrumentOutageText();
QString DataUnavailableText();

// Error texts of the copies and merges.
QString TempFileOpenErrorText();
QString TempFileProcessErrorText();

// An instrument image of `size` bytes filled by `toRaw(BYTE*)`.
template <class ToRaw>
QByteArray RawImage(int size, ToRaw toRaw)
{
    QByteArray out(size, '\0');
    toRaw(reinterpret_cast<std::uint8_t*>(out.data()));
    return out;
}

// A text record as the store writes it (code page 1250, no terminator).
CArchivRecord TextRecord(platform::CTime time, std::uint8_t type, const QString& text);
// The text of a type 4 to 7 record.
QString RecordText(const CArchivRecord& record);
// Measurement (2, 3, 12) and error (4) records: what a block counts.
inline bool IsCountedRecord(const CArchivRecord& record)
{
    return record.IsData() || record.type == kRecordError;
}

// The block being built and the file it goes to.
class CImportBlockWriter {
public:
    static constexpr int kRecordsPerBlock = 100;

    // The file and the header (name, slots written so far) to continue.
    void Attach(std::shared_ptr<CArchivFileEntry> entry, CArchivHeader* header);
    bool IsAttached() const { return m_entry != nullptr && m_header != nullptr; }

    void Add(CArchivRecord record);
    CArchivRecordList& Records() { return m_records; }
    int CountedRecords() const { return m_counted; }
    bool NeedFullRecord() const { return m_needFull; }
    void SetNeedFullRecord(bool need) { m_needFull = need; }
    // Recounts after records were removed from the block.
    void Recount();

    // Appends the block as the next slot (its first record's time in the
    // slot table), rewrites the header and puts both on disk; then starts an
    // empty block that opens with a full measurement. False (the header and
    // the block in memory as before) when the file refused.
    bool WriteBlock();
    // Called before each block write (the file's change stamp).
    void SetBeforeWrite(std::function<void()> hook) { m_beforeWrite = std::move(hook); }
    int BlocksWritten() const { return m_header ? m_header->SlotCount() : 0; }

private:
    std::shared_ptr<CArchivFileEntry> m_entry;
    CArchivHeader* m_header = nullptr;
    CArchivRecordList m_records;
    int m_counted = 0;
    bool m_needFull = true;
    std::function<void()> m_beforeWrite;
};

} // namespace archive
