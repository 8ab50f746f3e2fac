#include "archive/store/ArchivData.h"

#include "archive/store/ArchivHost.h"
#include "platform/Cp1250.h"
#include "platform/StringTable.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

using platform::CTime;

namespace {

CArchivFileList& Files()
{
    return CArchivFileList::Instance();
}

// Asks through the archive's host; an answer given after the recording was
// stopped (and perhaps started again) while the user was being asked counts
// as No: it no longer governs the file the recording now writes to.
class CStopAwareHost final : public IArchivHost {
public:
    CStopAwareHost(IArchivHost& host, std::function<bool()> stopped) : m_host(host), m_stopped(std::move(stopped)) {}
    bool AskYesNo(int textId) override
    {
        const bool yes = m_host.AskYesNo(textId);
        m_declined = m_declined || !yes;
        return yes && !m_stopped();
    }
    // The user answered No to a question.
    bool Declined() const { return m_declined; }
    void ReportFileError(const QString& path) override { m_host.ReportFileError(path); }
    void ReportBlockNotWritten(const QString& path, int queuedBlocks) override
    {
        m_host.ReportBlockNotWritten(path, queuedBlocks);
    }
    void Notify(const QString& text) override { m_host.Notify(text); }
    void ReportBlocksLost(const QString& path, int blocks) override { m_host.ReportBlocksLost(path, blocks); }

private:
    IArchivHost& m_host;
    std::function<bool()> m_stopped;
    bool m_declined = false;
};

} // namespace

std::shared_ptr<CArchivFileEntry> CArchivData::CurrentEntry() const
{
    std::lock_guard file(m_fileLock);
    return fileEntry;
}

QString CArchivData::GetFilePath() const
{
    auto entry = CurrentEntry();
    return entry ? archive::DeepCopy(entry->GetPath()) : QString();
}

int CArchivData::CurrentGeneration() const
{
    std::lock_guard ring(ringLock);
    return m_generation;
}

QString CArchivData::HeaderName() const
{
    std::lock_guard ring(ringLock);
    return header ? archive::DeepCopy(header->name) : QString();
}

bool CArchivData::MakeWritable()
{
    return Files().MakeWritable(CurrentEntry(), false);
}

void CArchivData::InstallEntry(std::shared_ptr<CArchivFileEntry> entry, int generation)
{
    std::shared_ptr<CArchivFileEntry> previous;
    {
        std::lock_guard file(m_fileLock);
        previous = std::exchange(fileEntry, std::move(entry));
        m_openGeneration = generation;
    }
    m_readDamage = false;
    Files().Release(previous);
}

void CArchivData::Close()
{
    std::shared_ptr<CArchivFileEntry> previous;
    {
        std::lock_guard file(m_fileLock);
        previous = std::exchange(fileEntry, nullptr);
    }
    Files().Release(previous);
}

int CArchivData::Open(const QString& path)
{
    Close();
    auto entry = Files().Open(path, false, false, Host());
    if (!entry) {
        SetErrorText(platform::LoadString(platform::IDS_FILE_DAMAGED));
        return 0;
    }
    InstallEntry(std::move(entry), CurrentGeneration());
    return 1;
}

int CArchivData::OpenForAppend(const QString& path, const QString& instrument)
{
    const bool existed = QFileInfo::exists(path);
    Close();
    auto entry = Files().Open(path, true, true, Host());
    if (!entry) {
        SetErrorText(platform::LoadString(platform::IDS_FILE_DAMAGED));
        return 0;
    }
    InstallEntry(std::move(entry), CurrentGeneration());
    if (!existed)
        EnsureSettingsStream(instrument);
    return 1;
}

int CArchivData::OpenForWritingNamed(const QString& name, const QString& instrument, int generation, bool recording)
{
    int stops = 0;
    {
        std::lock_guard file(m_fileLock);
        stops = m_stopCount;
    }
    const auto stopped = [this, stops] {
        std::lock_guard file(m_fileLock);
        return m_stopCount != stops;
    };
    Close();
    auto entry = recording ? ClearPathForNewFile(name, instrument) : nullptr;
    const bool unfinished = entry != nullptr;
    bool declined = false;
    if (!entry && !name.isEmpty()) {
        CStopAwareHost host(Host(), stopped);
        entry = Files().Open(name, true, false, host);
        declined = host.Declined();
    }
    if (entry && stopped()) {
        // Whatever file the recording uses since its restart stays its own.
        Files().Release(entry);
        return 0;
    }
    if (!entry) {
        std::lock_guard file(m_fileLock);
        if (m_stopCount == stops) {
            m_failedGeneration = generation;
            m_failedName = name;
            m_failedDeclined = declined;
        }
        return 0;
    }
    InstallEntry(std::move(entry), generation);
    if (unfinished)
        CompleteCreation(instrument);
    else
        EnsureSettingsStream(instrument);
    return 1;
}

int CArchivData::OpenForWriting(const QString& instrument)
{
    return OpenForWritingNamed(HeaderName(), instrument, CurrentGeneration(), false);
}

int CArchivData::CreateForImport(const QString& instrument)
{
    const QString name = HeaderName();
    Close();
    auto entry = name.isEmpty() ? nullptr : Files().CreateNew(name);
    if (!entry)
        return 0;
    InstallEntry(std::move(entry), CurrentGeneration());
    EnsureSettingsStream(instrument);
    return 1;
}

int CArchivData::ReportFileErrorLocked(const QString& name)
{
    if (!fileEntry)
        return 0;
    if (Files().Reopen(fileEntry, name, Host()))
        return 1;
    if (fileEntry->IsDead())
        fileEntry.reset(); // out of the list; else opened again for the next write
    return 0;
}

int CArchivData::ReportFileError(const QString& name)
{
    std::lock_guard file(m_fileLock);
    return ReportFileErrorLocked(name);
}

int CArchivData::ReadHeader()
{
    std::lock_guard file(m_fileLock);
    stamp.Read(fileEntry.get());
    auto storage = fileEntry ? fileEntry->GetStorage() : nullptr;
    QByteArray bytes;
    if (!storage || storage->ReadStream("hlavicka", bytes) != archive::StorageStatus::Ok)
        return 0;
    auto read = std::make_unique<CArchivHeader>();
    switch (archive::DecodeHeader(bytes, *read)) {
    case archive::HeaderDecode::Ok:
        break;
    case archive::HeaderDecode::Rejected:
        m_readDamage = true;
        return 0;
    case archive::HeaderDecode::Short:
        m_readDamage = true;
        ReportFileErrorLocked(QString());
        return 0;
    }
    fileEntry->NoteHeaderImage(bytes);
    std::lock_guard ring(ringLock);
    header = std::move(read);
    return 1;
}

int CArchivData::ReadBlock(int slot, CArchivRecordList& out)
{
    std::uint32_t slotStart = 0;
    {
        std::lock_guard ring(ringLock);
        if (!header || slot < 0 || slot >= header->SlotCount())
            return 0;
        slotStart = header->slotTable[std::size_t(slot)];
    }
    const std::size_t before = out.size();
    bool complete = false;
    const auto entry = CurrentEntry();
    if (auto storage = entry ? entry->GetStorage() : nullptr) {
        QByteArray bytes;
        complete = storage->ReadStream(archive::SlotStreamName(slot), bytes) == archive::StorageStatus::Ok
                   && archive::DecodeBlock(bytes, out);
    }
    if (complete)
        return 1;
    m_readDamage = true;
    const std::uint32_t last = out.size() > before ? out.back().time : slotStart;
    out.push_back({last + 2, kRecordError, platform::ToCp1250(platform::LoadString(platform::IDS_NOT_ALL_DATA_READ))});
    return 0;
}

int CArchivData::IsFileChanged()
{
    std::lock_guard file(m_fileLock);
    return stamp.Matches(fileEntry.get()) ? 0 : 1;
}

bool CArchivData::GetFileTimeRange(CTime& first, CTime& last)
{
    if (!ReadHeader())
        return false;
    std::lock_guard ring(ringLock);
    std::uint32_t lo = 0;
    std::uint32_t hi = 0;
    for (std::uint32_t t : header->slotTable) {
        if (t == 0)
            continue;
        lo = lo == 0 ? t : std::min(lo, t);
        hi = std::max(hi, t);
    }
    if (lo == 0)
        return false;
    first = CTime(lo);
    last = CTime(hi);
    return true;
}

bool CArchivData::GetRecordTimeRange(CTime& first, CTime& last)
{
    if (!GetFileTimeRange(first, last))
        return false;
    std::vector<std::pair<std::uint32_t, int>> blocks; // start, slot: oldest first
    {
        std::lock_guard ring(ringLock);
        for (std::size_t slot = 0; slot < header->slotTable.size(); ++slot)
            if (header->slotTable[slot] != 0)
                blocks.emplace_back(header->slotTable[slot], int(slot));
    }
    std::sort(blocks.begin(), blocks.end());
    // The time of the first (or last) data record of the blocks in the
    // order given.
    const auto find = [this](auto begin, auto end, bool newest, CTime& time) {
        for (auto block = begin; block != end; ++block) {
            CArchivRecordList records;
            ReadBlock(block->second, records);
            if (newest)
                std::reverse(records.begin(), records.end());
            const auto data = std::find_if(records.begin(), records.end(), [](const CArchivRecord& r) { return r.IsData(); });
            if (data != records.end()) {
                time = CTime(data->time);
                return;
            }
        }
    };
    find(blocks.begin(), blocks.end(), false, first);
    find(blocks.rbegin(), blocks.rend(), true, last);
    return true;
}

void CArchivData::FindPeriodFile(const QString& name, const QString& extension, QString& found, CTime since)
{
    const QFileInfo base(name);
    const QDir dir = base.absoluteDir();
    const QStringList matches = dir.entryList({base.fileName() + QLatin1String("_Y*") + extension}, QDir::Files);
    for (const QString& fileName : matches) {
        const QString path = dir.filePath(fileName);
        const QDateTime modified = QFileInfo(path).lastModified();
        if (modified.isValid() && modified.toSecsSinceEpoch() < std::int64_t(since.GetTime()))
            continue;
        // Looked at read-only first: a damaged file is left exactly as it is
        // for whoever sets it aside.
        archive::StorageStatus status = archive::StorageStatus::Ok;
        if (!Files().Find(path) && archive::InspectArchiveFile(path, Now(), &status) == archive::FoundArchive::Damaged)
            continue;
        CArchivData candidate;
        candidate.SetHost(&Host());
        CTime first;
        CTime last;
        if (candidate.Open(path) && candidate.GetFileTimeRange(first, last) && since <= first) {
            since = first;
            found = path;
        }
    }
}
