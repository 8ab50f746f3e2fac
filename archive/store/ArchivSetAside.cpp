#include "archive/store/ArchivSetAside.h"

#include "archive/store/ArchivHeader.h"
#include "archive/store/CfbArchivStorage.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

namespace archive {

FoundArchive InspectArchive(Storage& storage, platform::CTime now)
{
    QByteArray bytes;
    const StorageStatus status = storage.ReadStream("hlavicka", bytes);
    if (status == StorageStatus::NotFound || (status == StorageStatus::Ok && bytes.isEmpty())) {
        // Only a file whose creation stopped after its settings stream is
        // finished here; any other compound file (another program's, or one
        // with nothing in it) is not taken over but set aside unchanged.
        const std::vector<std::string> names = storage.StreamNames();
        const bool ours = !names.empty() && std::all_of(names.begin(), names.end(), [](const std::string& name) {
            return name == "nastaveni" || name == "hlavicka";
        });
        return ours ? FoundArchive::Unfinished : FoundArchive::Damaged;
    }
    CArchivHeader header;
    if (status != StorageStatus::Ok || DecodeHeader(bytes, header) != HeaderDecode::Ok)
        return FoundArchive::Damaged;
    const std::int64_t limit = std::int64_t(now.GetTime()) + kFutureSlotTolerance;
    for (std::uint32_t start : header.slotTable) {
        if (std::int64_t(start) > limit)
            return FoundArchive::Damaged;
    }
    return FoundArchive::Usable;
}

FoundArchive InspectArchiveFile(const QString& path, platform::CTime now, StorageStatus* status)
{
    StorageStatus opened = StorageStatus::Ok;
    auto storage = OpenCfbReadOnly(path, &opened);
    if (status)
        *status = opened;
    if (!storage)
        return FoundArchive::Damaged;
    const FoundArchive found = InspectArchive(*storage, now);
    storage->Close();
    return found;
}

QString DamagedFileName(const QString& path, platform::CTime now)
{
    const QString stamp = QDateTime::fromSecsSinceEpoch(std::int64_t(now.GetTime())).toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString base = path + QStringLiteral(".poskozeny-") + stamp;
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QLatin1Char('-') + QString::number(n);
    return name;
}

} // namespace archive
