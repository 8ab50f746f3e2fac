#pragma once

#include "archive/store/ArchivData.h"
#include "archive/store/ArchivHost.h"
#include "archive/store/ArchivImport.h"
#include "platform/StringTable.h"

#include <QString>

#include <functional>
#include <vector>

// Private copies of an archive: value lists, export and printing walk a copy
// while the archive's document may go on recording into the original. The
// same open, walk and delete operations serve the merge file of a download.
namespace archive {

// Makes the name of a copy of the archive at `sourcePath` (empty when the
// source has no file) with the family suffix ("temp.vk" ...). The program
// decides how copies are named; without a maker the store appends the local
// time ("%H%M%S") and the suffix to the source path.
using TempNameMaker = std::function<QString(const QString& sourcePath, const QString& suffix)>;
QString DefaultTempName(const QString& sourcePath, platform::CTime now, const QString& suffix);
// "temp" and the archive's extension: "temp.qor", "temp.dsk", "temp.vk" ...
QString TempSuffixFor(const QString& archivePath);

// Every stream of `from` that can be read written into `to` (streams of the
// same name replaced); false when `to` does not take one. `from` is only
// read.
bool CopyStorage(Storage& from, Storage& to);

// The oldest and newest non-empty slot of a block table (-1, -1 when every
// slot is empty). The oldest is the one with the smallest start time.
void FindEndSlots(const std::vector<std::uint32_t>& table, int& oldest, int& newest);

// Deletes the file at `path` unless an archive object still holds it open.
bool DeleteUnusedFile(const QString& path);

} // namespace archive

// A family archive object that can be a copy of another archive, walked
// block by block from the oldest readable block to the newest, and deleted
// when done. Family: the family archive class; it gives the copy's suffix.
template <class Family>
class TArchivTempCopy : public Family {
public:
    using Family::Family;

    void SetTempNameMaker(archive::TempNameMaker maker) { m_nameMaker = std::move(maker); }

    // Opens an existing archive file (an open one is shared).
    int OpenByPath(const QString& path) { return this->Open(path); }

    // Makes this object a copy of `source` in a new file and opens it on its
    // first readable block. 1 when the copy is ready (also when no block of it
    // can be read), 0 with the error text set otherwise.
    int CopyToTempFile(CArchivData& source, const QString& suffix);
    // The family's suffix from the source's extension: "temp.vk" for ".vk" ...
    int CopyToTempFile(CArchivData& source)
    {
        return CopyToTempFile(source, archive::TempSuffixFor(source.GetFilePath()));
    }

    // Reads the header and the oldest block that can be read into the
    // current block; 1 or 0.
    int OpenFirstBlock();
    // The next readable block of the ring; 0 once the newest has been passed.
    int ReadNextBlock();
    const CArchivRecordList& CurrentBlock() const { return m_block; }
    // Every block from the oldest to the newest; a block that cannot be read
    // whole gives the records before the damage and the store's error record.
    // 0 when the header cannot be read.
    int ReadAllBlocks(std::vector<CArchivRecordList>& out);
    int CurrentSlot() const { return m_slot; }
    std::vector<std::uint32_t> SlotTable() const
    {
        std::lock_guard ring(this->ringLock);
        return this->header ? this->header->slotTable : std::vector<std::uint32_t>();
    }

    // Closes the file and deletes it, unless another object still holds it.
    int DeleteFile();

protected:
    // The header name of a file about to be created, with no slot yet.
    void UseEmptyHeader(const QString& name)
    {
        this->SetNewHeader(1, name);
        std::lock_guard ring(this->ringLock);
        this->header->slotTable.clear();
    }
    QString HeaderNameCopy() const
    {
        std::lock_guard ring(this->ringLock);
        return this->header ? this->header->name : QString();
    }
    void SetError(const QString& text)
    {
        std::lock_guard ring(this->ringLock);
        this->errorText = text;
    }

private:
    int ReadSlot(int slot)
    {
        m_block.clear();
        m_slot = slot;
        return this->ReadBlock(slot, m_block);
    }

    archive::TempNameMaker m_nameMaker;
    CArchivRecordList m_block;
    int m_slot = -1;
    int m_newest = -1;
};

template <class Family>
int TArchivTempCopy<Family>::CopyToTempFile(CArchivData& source, const QString& suffix)
{
    const QString sourcePath = source.GetFilePath();
    const QString name = m_nameMaker ? m_nameMaker(sourcePath, suffix)
                                     : archive::DefaultTempName(sourcePath, this->Now(), suffix);
    this->Close();
    UseEmptyHeader(name);
    if (!this->OpenForWriting(QString())) {
        this->Close();
        SetError(archive::TempFileOpenErrorText());
        return 0;
    }
    auto from = CArchivFileList::Instance().Find(sourcePath);
    auto fromStorage = from ? from->GetStorage() : nullptr;
    auto entry = CArchivFileList::Instance().Find(name);
    auto toStorage = entry ? entry->GetStorage() : nullptr;
    if (!fromStorage || !toStorage || !archive::CopyStorage(*fromStorage, *toStorage)
        || toStorage->Flush() != archive::StorageStatus::Ok) {
        this->Close();
        archive::DeleteUnusedFile(name);
        SetError(archive::TempFileProcessErrorText());
        return 0;
    }
    OpenFirstBlock();
    // Rows of the copy must read as the source's list does: its window
    // formats and the ratios and connection in force, which the copy would
    // otherwise keep at their defaults because nobody walks or scales it.
    if constexpr (requires(Family& f, const Family& s) { f.TakeFormattingFrom(s); }) {
        if (const auto* same = dynamic_cast<const Family*>(&source))
            this->TakeFormattingFrom(*same);
    }
    std::lock_guard ring(this->ringLock);
    if (this->header)
        this->header->name = name;
    return 1;
}

template <class Family>
int TArchivTempCopy<Family>::OpenFirstBlock()
{
    m_block.clear();
    m_slot = -1;
    m_newest = -1;
    if (!this->ReadHeader()) {
        SetError(platform::LoadString(platform::IDS_FILE_EMPTY_OR_DAMAGED));
        return 0;
    }
    const std::vector<std::uint32_t> table = SlotTable();
    int oldest = -1;
    archive::FindEndSlots(table, oldest, m_newest);
    if (oldest < 0)
        return 0;
    for (int slot = oldest;; slot = archive::ReduceSlot(slot + 1, int(table.size()))) {
        if (table[std::size_t(slot)] != 0 && ReadSlot(slot))
            return 1;
        if (slot == m_newest)
            break;
    }
    m_block.clear();
    return 0;
}

template <class Family>
int TArchivTempCopy<Family>::ReadAllBlocks(std::vector<CArchivRecordList>& out)
{
    if (!this->ReadHeader()) {
        SetError(platform::LoadString(platform::IDS_FILE_EMPTY_OR_DAMAGED));
        return 0;
    }
    const std::vector<std::uint32_t> table = SlotTable();
    int oldest = -1;
    int newest = -1;
    archive::FindEndSlots(table, oldest, newest);
    for (int slot = oldest; slot >= 0; slot = archive::ReduceSlot(slot + 1, int(table.size()))) {
        if (table[std::size_t(slot)] != 0) {
            CArchivRecordList block;
            this->ReadBlock(slot, block);
            out.push_back(std::move(block));
        }
        if (slot == newest)
            break;
    }
    return 1;
}

template <class Family>
int TArchivTempCopy<Family>::ReadNextBlock()
{
    const std::vector<std::uint32_t> table = SlotTable();
    const int count = int(table.size());
    if (m_slot < 0 || count == 0)
        return 0;
    while (m_slot != m_newest) {
        m_slot = archive::ReduceSlot(m_slot + 1, count);
        if (table[std::size_t(m_slot)] != 0 && ReadSlot(m_slot))
            return 1;
    }
    m_block.clear();
    return 0;
}

template <class Family>
int TArchivTempCopy<Family>::DeleteFile()
{
    const QString path = this->GetFilePath();
    const QString name = path.isEmpty() ? HeaderNameCopy() : path;
    this->Close();
    m_block.clear();
    m_slot = -1;
    return !name.isEmpty() && archive::DeleteUnusedFile(name) ? 1 : 0;
}
