#include "archive/store/ArchivData.h"

#include "archive/store/ArchivHost.h"
#include "archive/store/ArchivSetAside.h"
#include "platform/StringTable.h"

#include <QFile>
#include <QFileInfo>

using archive::StorageStatus;

namespace {

CArchivFileList& Files()
{
    return CArchivFileList::Instance();
}

QString SetAsideText(const QString& instrument, const QString& path, const QString& aside)
{
    return QString::fromUtf8("Přístroj %1: archiv %2 je poškozený nebo nevěrohodný, byl odložen beze změny jako %3. "
                             "Záznam pokračuje do nového souboru.")
        .arg(instrument, QFileInfo(path).fileName(), QFileInfo(aside).fileName());
}

QString EmptyFileText(const QString& path)
{
    return QString::fromUtf8("Prázdný archiv %1 (jeho založení nebylo dokončeno) byl nahrazen novým.")
        .arg(QFileInfo(path).fileName());
}

} // namespace

bool CArchivData::SetAsideFile(const QString& path, const QString& instrument)
{
    if (QFileInfo(path).size() == 0) {
        if (!QFile::remove(path))
            return false;
        AddRecord(EmptyFileText(path), kRecordError);
        return true;
    }
    const QString aside = archive::DamagedFileName(path, Now());
    if (!Files().MoveAside(path, aside))
        return false;
    const QString text = SetAsideText(instrument, path, aside);
    AddRecord(text, kRecordError);
    Host().Notify(text);
    return true;
}

// A file nobody in this process holds is looked at read-only first, so that
// one set aside is the very file that was found.
archive::FoundArchive CArchivData::ProbeFile(const QString& path, std::shared_ptr<CArchivFileEntry>& entry,
                                             StorageStatus& status)
{
    status = StorageStatus::Ok;
    if (!Files().Find(path)) {
        const archive::FoundArchive found = archive::InspectArchiveFile(path, Now(), &status);
        if (status != StorageStatus::Ok || found == archive::FoundArchive::Damaged)
            return found;
    }
    entry = Files().OpenExisting(path, &status);
    auto storage = entry ? entry->GetStorage() : nullptr;
    return storage ? archive::InspectArchive(*storage, Now()) : archive::FoundArchive::Damaged;
}

CArchivData::RecordingFile CArchivData::OpenExistingForRecording(const QString& path, const QString& instrument)
{
    Close();
    std::shared_ptr<CArchivFileEntry> entry;
    StorageStatus status = StorageStatus::Ok;
    const archive::FoundArchive found = ProbeFile(path, entry, status);
    if (status == StorageStatus::NotFound)
        return RecordingFile::Gone;
    if (entry && found != archive::FoundArchive::Damaged) {
        InstallEntry(std::move(entry), CurrentGeneration());
        if (found == archive::FoundArchive::Unfinished)
            CompleteCreation(instrument);
        else
            EnsureSettingsStream(instrument);
        return RecordingFile::Open;
    }
    Files().Release(entry);
    // Held by another program: not damaged, and not ours to move.
    if (status != StorageStatus::Ok && status != StorageStatus::Failed) {
        SetErrorText(platform::LoadString(platform::IDS_FILE_DAMAGED));
        return RecordingFile::Failed;
    }
    if (!SetAsideFile(path, instrument)) {
        SetErrorText(platform::LoadString(platform::IDS_FILE_DAMAGED));
        return RecordingFile::Failed;
    }
    return RecordingFile::Gone;
}

void CArchivData::CompleteCreation(const QString& instrument)
{
    if (!GetInstrumentName().isEmpty())
        return;
    auto entry = CurrentEntry();
    auto storage = entry ? entry->GetStorage() : nullptr;
    if (auto created = storage ? storage->CreateStream("nastaveni") : nullptr) {
        CArchivStream stream(std::move(created));
        WriteStringToStream(instrument, stream);
    }
    ReportFileError(QString());
}

std::shared_ptr<CArchivFileEntry> CArchivData::ClearPathForNewFile(const QString& path, const QString& instrument)
{
    if (path.isEmpty() || Files().Find(path) || !QFileInfo::exists(path))
        return nullptr;
    std::shared_ptr<CArchivFileEntry> entry;
    StorageStatus status = StorageStatus::Ok;
    const archive::FoundArchive found = ProbeFile(path, entry, status);
    if (entry && found == archive::FoundArchive::Unfinished)
        return entry;
    Files().Release(entry);
    if (found == archive::FoundArchive::Damaged && (status == StorageStatus::Ok || status == StorageStatus::Failed))
        SetAsideFile(path, instrument);
    return nullptr;
}
