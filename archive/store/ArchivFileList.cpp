#include "archive/store/ArchivFileList.h"

#include "archive/store/ArchivHeader.h"
#include "archive/store/ArchivHost.h"
#include "archive/store/CfbArchivStorage.h"
#include "platform/StringIds.h"

#include <QFile>

#include <algorithm>
#include <cstring>

using archive::Storage;
using archive::StorageStatus;

namespace {
const std::string kHeaderStream = "hlavicka";
}

std::shared_ptr<Storage> CArchivFileEntry::GetStorage() const
{
    std::lock_guard lock(m_mutex);
    return m_storage;
}

bool CArchivFileEntry::IsDead() const
{
    std::lock_guard lock(m_mutex);
    return m_dead;
}

bool CArchivFileEntry::IsReadOnly() const
{
    std::lock_guard lock(m_mutex);
    return m_readOnly;
}

int CArchivFileEntry::GetRefCount() const
{
    std::lock_guard lock(m_mutex);
    return m_dead ? -1 : m_refCount;
}

void CArchivFileEntry::NoteHeaderImage(const QByteArray& image)
{
    std::lock_guard lock(m_mutex);
    m_headerOnDisk.assign(image.constData(), std::size_t(image.size()));
}

bool CArchivFileEntry::WriteHeaderImage(const QByteArray& image)
{
    std::lock_guard lock(m_mutex);
    if (!m_storage)
        return false;
    const qsizetype fixed = archive::kHeaderTableOffset;
    const bool sameShape = m_headerOnDisk.size() == std::size_t(image.size()) && image.size() >= fixed
                           && std::equal(image.begin(), image.begin() + fixed, m_headerOnDisk.begin());
    if (!sameShape) {
        m_headerOnDisk.clear();
        if (m_storage->WriteStream(kHeaderStream, image) != StorageStatus::Ok)
            return false;
        m_headerOnDisk.assign(image.constData(), std::size_t(image.size()));
        return true;
    }
    // Runs of differing entries, found with block compares: a block changes
    // two entries of a table that may hold 100000.
    std::unique_ptr<archive::StorageStream> stream;
    const char* wanted = image.constData();
    char* onDisk = m_headerOnDisk.data();
    const qsizetype size = image.size();
    for (qsizetype pos = fixed; pos < size;) {
        const qsizetype chunk = std::min<qsizetype>(4096, size - pos);
        if (std::memcmp(wanted + pos, onDisk + pos, std::size_t(chunk)) == 0) {
            pos += chunk;
            continue;
        }
        for (const qsizetype end = pos + chunk; pos < end; pos += 4) {
            if (std::memcmp(wanted + pos, onDisk + pos, 4) == 0)
                continue;
            if (!stream && !(stream = m_storage->OpenStream(kHeaderStream))) {
                m_headerOnDisk.clear();
                return false;
            }
            if (!stream->WriteAt(std::uint64_t(pos), wanted + pos, 4)) {
                m_headerOnDisk.clear();
                return false;
            }
            std::memcpy(onDisk + pos, wanted + pos, 4);
        }
    }
    return true;
}

CArchivFileList& CArchivFileList::Instance()
{
    static CArchivFileList list(archive::CreateCfbStorageProvider());
    return list;
}

CArchivFileList::CArchivFileList(std::shared_ptr<archive::StorageProvider> provider)
    : m_provider(std::move(provider))
{
}

void CArchivFileList::SetProvider(std::shared_ptr<archive::StorageProvider> provider)
{
    std::lock_guard lock(m_mutex);
    m_provider = std::move(provider);
}

std::shared_ptr<archive::StorageProvider> CArchivFileList::GetProvider() const
{
    std::lock_guard lock(m_mutex);
    return m_provider;
}

std::shared_ptr<CArchivFileEntry> CArchivFileList::FindLocked(const QString& path) const
{
    for (const auto& entry : m_entries) {
        if (entry->m_path == path)
            return entry;
    }
    return nullptr;
}

std::shared_ptr<CArchivFileEntry> CArchivFileList::Find(const QString& path) const
{
    std::lock_guard lock(m_mutex);
    return FindLocked(path);
}

int CArchivFileList::GetOpenCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_entries.size());
}

std::shared_ptr<CArchivFileEntry> CArchivFileList::AddLocked(const QString& path, std::shared_ptr<Storage> storage,
                                                             bool readOnly)
{
    std::shared_ptr<CArchivFileEntry> entry(new CArchivFileEntry(path));
    entry->m_storage = std::move(storage);
    entry->m_readOnly = readOnly;
    entry->m_refCount = 1;
    m_entries.push_back(entry);
    return entry;
}

void CArchivFileList::KillLocked(const std::shared_ptr<CArchivFileEntry>& entry)
{
    {
        std::lock_guard lock(entry->m_mutex);
        if (entry->m_storage)
            entry->m_storage->Close();
        entry->m_storage.reset();
        entry->m_headerOnDisk.clear();
        entry->m_dead = true;
    }
    std::erase(m_entries, entry);
}

// The other users of the entry keep their entry; they find the new file in it
// (their next change test fails and they reload). When the file cannot be
// created the old one is opened again so that they can go on.
bool CArchivFileList::RecreateLocked(const std::shared_ptr<CArchivFileEntry>& entry)
{
    std::lock_guard lock(entry->m_mutex);
    if (entry->m_storage)
        entry->m_storage->Close();
    entry->m_storage.reset();
    entry->m_headerOnDisk.clear();
    if (auto created = m_provider->Create(entry->m_path, true)) {
        entry->m_storage = std::move(created);
        entry->m_readOnly = false;
        return true;
    }
    entry->m_storage = entry->m_readOnly ? m_provider->OpenReadOnly(entry->m_path) : m_provider->Open(entry->m_path);
    if (!entry->m_storage) {
        entry->m_dead = true;
        std::erase(m_entries, entry);
    }
    return false;
}

std::shared_ptr<CArchivFileEntry> CArchivFileList::Open(const QString& path, bool forWriting, bool useExisting,
                                                        IArchivHost& host)
{
    std::unique_lock lock(m_mutex);
    bool mayReplace = false;
    if (auto entry = FindLocked(path)) {
        if (!forWriting || useExisting) {
            if (forWriting && !MakeWritableLocked(entry, false, nullptr))
                return nullptr;
            ++entry->m_refCount;
            return entry;
        }
        lock.unlock();
        if (!host.AskYesNo(platform::IDS_ASK_OVERWRITE_IN_USE))
            return nullptr;
        lock.lock();
        if (auto again = FindLocked(path))
            return ReuseAfreshLocked(again);
        mayReplace = true; // its users went away while the user was asked
    }

    if (!forWriting) {
        auto storage = m_provider->OpenReadOnly(path);
        return storage ? AddLocked(path, std::move(storage), true) : nullptr;
    }
    if (useExisting) {
        if (auto storage = m_provider->Open(path))
            return AddLocked(path, std::move(storage));
    }
    StorageStatus status = StorageStatus::Ok;
    if (auto storage = m_provider->Create(path, mayReplace, &status))
        return AddLocked(path, std::move(storage));
    if (status != StorageStatus::AlreadyExists)
        return nullptr;

    lock.unlock();
    if (!host.AskYesNo(platform::IDS_ASK_OVERWRITE_EXISTING))
        return nullptr;
    lock.lock();
    if (auto entry = FindLocked(path))
        return ReuseAfreshLocked(entry);
    if (auto storage = m_provider->Create(path, true))
        return AddLocked(path, std::move(storage));
    return nullptr;
}

std::shared_ptr<CArchivFileEntry> CArchivFileList::OpenExisting(const QString& path, StorageStatus* status)
{
    std::lock_guard lock(m_mutex);
    if (status)
        *status = StorageStatus::Ok;
    if (auto entry = FindLocked(path)) {
        if (!MakeWritableLocked(entry, false, status))
            return nullptr;
        ++entry->m_refCount;
        return entry;
    }
    if (auto storage = m_provider->Open(path, status))
        return AddLocked(path, std::move(storage));
    return nullptr;
}

bool CArchivFileList::MoveAside(const QString& path, const QString& aside)
{
    std::lock_guard lock(m_mutex);
    if (auto entry = FindLocked(path))
        std::erase(m_entries, entry);
    return QFile::rename(path, aside);
}

std::shared_ptr<CArchivFileEntry> CArchivFileList::ReuseAfreshLocked(const std::shared_ptr<CArchivFileEntry>& entry)
{
    if (!RecreateLocked(entry))
        return nullptr;
    ++entry->m_refCount;
    return entry;
}

std::shared_ptr<CArchivFileEntry> CArchivFileList::CreateNew(const QString& path)
{
    std::lock_guard lock(m_mutex);
    if (auto entry = FindLocked(path))
        return ReuseAfreshLocked(entry);
    if (auto storage = m_provider->Create(path, true))
        return AddLocked(path, std::move(storage));
    return nullptr;
}

bool CArchivFileList::MakeWritable(const std::shared_ptr<CArchivFileEntry>& entry, bool onlyIfSettled,
                                   StorageStatus* status)
{
    if (!entry)
        return false;
    std::lock_guard lock(m_mutex);
    if (std::find(m_entries.begin(), m_entries.end(), entry) == m_entries.end()) {
        // Out of the list (dead, or its file set aside): its writers write on
        // as before, nobody reopens it.
        std::lock_guard entryLock(entry->m_mutex);
        if (status)
            *status = entry->m_storage && !entry->m_readOnly ? StorageStatus::Ok : StorageStatus::Failed;
        return entry->m_storage && !entry->m_readOnly;
    }
    return MakeWritableLocked(entry, onlyIfSettled, status);
}

// The readers of the entry find the writable file in it; when it cannot be
// opened for writing they keep reading the file as before.
bool CArchivFileList::MakeWritableLocked(const std::shared_ptr<CArchivFileEntry>& entry, bool onlyIfSettled,
                                         StorageStatus* status)
{
    std::lock_guard lock(entry->m_mutex);
    if (status)
        *status = StorageStatus::Ok;
    if (!entry->m_storage) {
        if (status)
            *status = StorageStatus::Failed;
        return false;
    }
    if (!entry->m_readOnly)
        return true;
    if (onlyIfSettled && !entry->m_storage->IsSettled()) {
        if (status)
            *status = StorageStatus::Failed;
        return false;
    }
    entry->m_storage->Close();
    entry->m_storage.reset();
    if (auto writable = m_provider->Open(entry->m_path, status)) {
        entry->m_storage = std::move(writable);
        entry->m_readOnly = false;
        return true;
    }
    entry->m_storage = m_provider->OpenReadOnly(entry->m_path);
    if (!entry->m_storage) {
        entry->m_headerOnDisk.clear();
        entry->m_dead = true;
        std::erase(m_entries, entry);
    }
    return false;
}

// A write that failed part-way (a full disk) leaves the open storage
// unusable, while the file on disk still holds every write before it. Opened
// again from there, it takes the next write, for all its users; only a file
// that cannot be opened again, or put on disk even then, is given up.
bool CArchivFileList::OpenAgainLocked(const std::shared_ptr<CArchivFileEntry>& entry)
{
    if (std::find(m_entries.begin(), m_entries.end(), entry) == m_entries.end())
        return false; // its file was set aside: the path names another one now
    std::lock_guard lock(entry->m_mutex);
    if (entry->m_storage)
        entry->m_storage->Close();
    entry->m_storage.reset();
    entry->m_headerOnDisk.clear();
    auto storage = entry->m_readOnly ? m_provider->OpenReadOnly(entry->m_path) : m_provider->Open(entry->m_path);
    if (!storage || storage->Flush() != StorageStatus::Ok)
        return false;
    // Header writes go on entry by entry from what the file holds, rather
    // than as a whole new table that a nearly full disk may not take.
    QByteArray header;
    if (storage->ReadStream(kHeaderStream, header) == StorageStatus::Ok)
        entry->m_headerOnDisk.assign(header.constData(), std::size_t(header.size()));
    entry->m_storage = std::move(storage);
    return true;
}

void CArchivFileList::Release(const std::shared_ptr<CArchivFileEntry>& entry)
{
    if (!entry)
        return;
    std::lock_guard lock(m_mutex);
    if (std::find(m_entries.begin(), m_entries.end(), entry) == m_entries.end())
        return; // dead, or replaced: not ours to close
    if (--entry->m_refCount > 0)
        return;
    {
        std::lock_guard entryLock(entry->m_mutex);
        if (entry->m_storage)
            entry->m_storage->Close();
        entry->m_storage.reset();
    }
    std::erase(m_entries, entry);
}

bool CArchivFileList::Reopen(const std::shared_ptr<CArchivFileEntry>& entry, const QString& reportName,
                             IArchivHost& host)
{
    if (!entry)
        return false;
    if (auto storage = entry->GetStorage(); storage && storage->Flush() == StorageStatus::Ok)
        return true;
    {
        std::lock_guard lock(m_mutex);
        if (OpenAgainLocked(entry))
            return false;
        KillLocked(entry);
    }
    if (!reportName.isEmpty())
        host.ReportFileError(reportName);
    return false;
}
