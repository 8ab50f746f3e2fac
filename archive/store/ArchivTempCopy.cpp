#include "archive/store/ArchivTempCopy.h"

#include <QFile>
#include <QFileInfo>

namespace archive {

QString DefaultTempName(const QString& sourcePath, platform::CTime now, const QString& suffix)
{
    return sourcePath + now.Format(QStringLiteral("%H%M%S")) + suffix;
}

QString TempSuffixFor(const QString& archivePath)
{
    return QStringLiteral("temp.") + QFileInfo(archivePath).suffix();
}

bool CopyStorage(Storage& from, Storage& to)
{
    for (const std::string& name : from.StreamNames()) {
        // A stream that cannot be read (a damaged block) stays out of the
        // copy, whose readers then find it damaged as in the original,
        // rather than costing them every sound one.
        QByteArray data;
        if (from.ReadStream(name, data) != StorageStatus::Ok)
            continue;
        if (to.WriteStream(name, data) != StorageStatus::Ok)
            return false;
    }
    return true;
}

void FindEndSlots(const std::vector<std::uint32_t>& table, int& oldest, int& newest)
{
    oldest = -1;
    newest = FindNewestSlot(table);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i] != 0 && (oldest < 0 || table[i] < table[std::size_t(oldest)]))
            oldest = int(i);
    }
}

bool DeleteUnusedFile(const QString& path)
{
    if (path.isEmpty() || CArchivFileList::Instance().Find(path))
        return false;
    return QFile::remove(path);
}

} // namespace archive
