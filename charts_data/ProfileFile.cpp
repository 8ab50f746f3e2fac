#include "charts_data/ProfileFile.h"

#include "model/UniTyp.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"

#include <QFile>

namespace charts {

namespace {

void StoreHead(SerialArchive& ar, const CProfileFileHead& head)
{
    ar << head.name << head.type << head.kind << head.date;
}

void LoadHead(SerialArchive& ar, CProfileFileHead& head)
{
    ar >> head.name >> head.type >> head.kind >> head.date;
}

template <class File>
QByteArray Store(const File& file, int perBlock)
{
    SerialArchive ar;
    StoreHead(ar, file.head);
    auto iden = file.iden;
    iden.Serialize(ar);
    auto config = file.config;
    config.Serialize(ar);
    auto notebook = file.notebook;
    notebook.Serialize(ar);
    const int total = file.RecordCount();
    const int step = std::max(perBlock, 1);
    for (int at = 0; at < total; at += step) {
        const int n = std::min(step, total - at);
        CUniTyp block;
        block.SetSize(DWORD(n), DWORD(File::kRecordSize));
        std::copy_n(file.Record(at), std::size_t(n) * File::kRecordSize, block.GetData());
        block.Serialize(ar);
    }
    CUniTyp end;
    end.Serialize(ar);
    return ar.buffer();
}

template <class File>
QString Load(const QByteArray& bytes, File& out)
{
    const QString damaged = platform::LoadString(platform::IDS_FILE_READ_ERROR);
    File read;
    try {
        SerialArchive ar(bytes);
        LoadHead(ar, read.head);
        if (read.head.type != File::kType)
            return platform::LoadString(platform::IDS_FILE_DAMAGED);
        read.iden.Serialize(ar);
        read.config.Serialize(ar);
        read.notebook.Serialize(ar);
        // Blocks up to the empty one; a file written a minute a block may
        // end after the last minute without it.
        while (read.RecordCount() < kProfileMinutes) {
            CUniTyp block;
            block.Serialize(ar);
            if (block.GetCount() == 0)
                break;
            if (block.GetItemSize() != DWORD(File::kRecordSize))
                return damaged;
            const int n = std::min(int(block.GetCount()), kProfileMinutes - read.RecordCount());
            read.records.append(reinterpret_cast<const char*>(block.GetData()), qsizetype(n) * File::kRecordSize);
        }
    } catch (const platform::ArchiveError&) {
        return damaged;
    }
    out = std::move(read);
    return {};
}

} // namespace

QByteArray StoreProfileFile(const CVKProfileFile& file, int perBlock) { return Store(file, perBlock); }
QByteArray StoreProfileFile(const CVKTProfileFile& file, int perBlock) { return Store(file, perBlock); }
QString LoadProfileFile(const QByteArray& bytes, CVKProfileFile& out) { return Load(bytes, out); }
QString LoadProfileFile(const QByteArray& bytes, CVKTProfileFile& out) { return Load(bytes, out); }

DWORD ReadProfileFileNumber(const QString& path, QString& header)
{
    header.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // The head is a name and one number; a few kilobytes always hold it.
    try {
        SerialArchive ar(file.read(70000));
        QString name;
        DWORD number = 0;
        ar >> name >> number;
        header = name;
        return number;
    } catch (const platform::ArchiveError&) {
        return 0;
    }
}

int ProfileFileType(const QString& path)
{
    QString header;
    const DWORD type = ReadProfileFileNumber(path, header);
    return type == kProfileTypeVK || type == kProfileTypeVKT ? int(type) : 0;
}

} // namespace charts
