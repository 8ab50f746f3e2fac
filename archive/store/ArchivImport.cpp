#include "archive/store/ArchivImport.h"

#include "platform/Cp1250.h"

namespace archive {

QString OfflineStartText()
{
    return QStringLiteral("Začátek Off-line dat. ");
}

QString OfflineEndText()
{
    return QStringLiteral("Konec Off-line dat. ");
}

QString ClockMismatchStartText()
{
    return QStringLiteral("Čas přístroje neodpovídá času PC  (Začátek).  ");
}

QString ClockMismatchEndText()
{
    return QStringLiteral("Čas přístroje neodpovídá času PC  (Konec).  ");
}

QString InstrumentOutageText()
{
    return QStringLiteral("Výpadek přístroje.");
}

QString DataUnavailableText()
{
    return QStringLiteral("Data nejsou k dispozici.");
}

QString TempFileOpenErrorText()
{
    return QStringLiteral("Nepodařilo se otevřít dočasný soubor.");
}

QString TempFileProcessErrorText()
{
    return QStringLiteral("Chyba při zpracovávání dočasného souboru.");
}

CArchivRecord TextRecord(platform::CTime time, std::uint8_t type, const QString& text)
{
    return {time.GetTime(), type, platform::ToCp1250(text)};
}

QString RecordText(const CArchivRecord& record)
{
    return platform::FromCp1250(record.data);
}

void CImportBlockWriter::Attach(std::shared_ptr<CArchivFileEntry> entry, CArchivHeader* header)
{
    m_entry = std::move(entry);
    m_header = header;
}

void CImportBlockWriter::Add(CArchivRecord record)
{
    if (IsCountedRecord(record))
        ++m_counted;
    m_records.push_back(std::move(record));
}

void CImportBlockWriter::Recount()
{
    m_counted = 0;
    for (const CArchivRecord& r : m_records)
        m_counted += IsCountedRecord(r) ? 1 : 0;
}

bool CImportBlockWriter::WriteBlock()
{
    if (!IsAttached() || m_records.empty())
        return IsAttached();
    auto storage = m_entry->GetStorage();
    if (!storage || m_header->SlotCount() >= kMaxSlotCount)
        return false;
    if (m_beforeWrite)
        m_beforeWrite();
    const int slot = m_header->SlotCount();
    m_header->slotTable.push_back(m_records.front().time);
    const bool written = storage->WriteStream(SlotStreamName(slot), EncodeBlock(m_records)) == StorageStatus::Ok
                         && m_entry->WriteHeaderImage(EncodeHeader(*m_header, {}))
                         && storage->Flush() == StorageStatus::Ok;
    if (!written) {
        m_header->slotTable.pop_back();
        return false;
    }
    m_records.clear();
    m_counted = 0;
    m_needFull = true;
    return true;
}

} // namespace archive
