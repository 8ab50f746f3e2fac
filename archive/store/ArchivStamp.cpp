#include "archive/store/ArchivStamp.h"

#include "archive/store/ArchivFileList.h"
#include "archive/store/ArchivRecord.h"

namespace {
const std::string kStampStream = "znacka";
}

void CArchivStamp::Write(CArchivFileEntry* entry, platform::CTime now)
{
    ++changeCounter;
    changeTime = now.GetTime();
    auto storage = entry ? entry->GetStorage() : nullptr;
    if (!storage) {
        changeTime = 0;
        return;
    }
    QByteArray bytes;
    archive::AppendU32(bytes, changeTime);
    archive::AppendU32(bytes, changeCounter);
    if (storage->WriteStream(kStampStream, bytes) != archive::StorageStatus::Ok)
        changeTime = 0;
}

void CArchivStamp::Read(CArchivFileEntry* entry)
{
    changeTime = 0;
    auto storage = entry ? entry->GetStorage() : nullptr;
    QByteArray bytes;
    if (!storage || storage->ReadStream(kStampStream, bytes) != archive::StorageStatus::Ok || bytes.size() < 4)
        return;
    changeTime = archive::ReadU32(bytes.constData());
    if (bytes.size() < 8)
        changeTime = 0;
    else
        changeCounter = archive::ReadU32(bytes.constData() + 4);
}

bool CArchivStamp::Matches(CArchivFileEntry* entry) const
{
    CArchivStamp onDisk;
    onDisk.Read(entry);
    return onDisk.changeCounter == changeCounter && onDisk.changeTime == changeTime;
}
