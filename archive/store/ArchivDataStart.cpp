#include "archive/store/ArchivData.h"

#include "archive/store/ArchivHost.h"
#include "archive/store/ArchivSettingsCheck.h"
#include "platform/StringTable.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

using platform::CTime;

namespace {

// Readers pass over a block they cannot read; recording goes on in such a
// file, and the user hears of it once, when it is taken up again.
void ReportDamagedBlocks(CArchivData& data, const std::vector<std::uint32_t>& table, const QString& instrument,
                         const QString& path)
{
    QStringList damaged;
    for (std::size_t slot = 0; slot < table.size(); ++slot) {
        CArchivRecordList scratch;
        if (table[slot] != 0 && !data.ReadBlock(int(slot), scratch))
            damaged << QString::number(slot);
    }
    if (damaged.isEmpty())
        return;
    const QString text = damaged.size() == 1
                             ? QString::fromUtf8("Přístroj %1: archiv %2 obsahuje poškozený blok %3. Ostatní bloky "
                                                 "zůstávají čitelné, záznam pokračuje.")
                             : QString::fromUtf8("Přístroj %1: archiv %2 obsahuje poškozené bloky %3. Ostatní bloky "
                                                 "zůstávají čitelné, záznam pokračuje.");
    data.Host().Notify(text.arg(instrument, QFileInfo(path).fileName(), damaged.join(QStringLiteral(", "))));
}

} // namespace

int CArchivData::Create(int total, int recordsPerBlock, int interval, const QString& name, const QString& extension,
                        BOOL overwrite, BOOL recordToFile, const QString& instrument)
{
    // Settings that cannot run are refused with a message before anything
    // of the archive changes.
    const QString invalid =
        archive::CheckRecordingSettings({instrument, interval, recordsPerBlock, total, name, recordToFile != 0});
    if (!invalid.isEmpty()) {
        SetErrorText(invalid);
        Host().Notify(invalid);
        return 0;
    }
    const QString resume = std::exchange(resumeFile, QString());
    const std::int64_t span = std::int64_t(recordsPerBlock) * interval;
    const int slotTotal = int(std::clamp<std::int64_t>(total / span + 2, 2, archive::kMaxSlotCount));

    ClearGraphData();
    DrainAndClose();
    ClearLists();
    {
        std::lock_guard ring(ringLock);
        header.reset();
    }
    {
        std::lock_guard queue(queueLock);
        std::lock_guard list(listLock);
        needConfigRecord = 1;
        currentList = 0;
        AlignBlockStartLocked(recordsPerBlock, interval);
        needFullRecord = 1;
        std::lock_guard ring(ringLock);
        writeSlot = 0;
        periodEnd.reset();
        shrinkState = 0;
    }

    auto freshHeader = [&](BOOL plain) {
        InitHeader(slotTotal, name, plain);
        std::lock_guard ring(ringLock);
        if (header)
            header->slotTable[0] = Now().GetTime();
    };

    if (!recordToFile) {
        freshHeader(overwrite);
    } else if (overwrite) {
        // A file that cannot be recorded into is set aside, never written over.
        const QString path = name + extension;
        const RecordingFile existing =
            QFileInfo::exists(path) ? OpenExistingForRecording(path, instrument) : RecordingFile::Gone;
        if (existing == RecordingFile::Failed)
            return 0;
        if (existing == RecordingFile::Gone && !OpenForAppend(path, instrument))
            return 0;
        if (ReadHeader())
            ResumeFile(FALSE, recordToFile, slotTotal, instrument, interval, 0);
        else
            freshHeader(overwrite);
    } else {
        const CTime periodStart = GetPeriodBoundary(total, 1, interval);
        {
            std::lock_guard ring(ringLock);
            periodEnd = GetPeriodBoundary(total, 0, interval);
            startTime = Now();
        }
        QString found;
        FindPeriodFile(name, extension, found, periodStart);
        if (!resume.isEmpty() && resume != found) {
            const QFileInfo info(resume);
            const QFileInfo base(name + extension);
            const bool sameSeries = info.absolutePath() == base.absolutePath() &&
                                    info.fileName().startsWith(QFileInfo(name).fileName() + QLatin1String("_Y")) &&
                                    info.fileName().endsWith(extension);
            if (sameSeries && info.isFile() &&
                info.lastModified().toSecsSinceEpoch() >= std::int64_t(periodStart.GetTime()))
                found = resume;
        }
        const RecordingFile existing =
            found.isEmpty() ? RecordingFile::Gone : OpenExistingForRecording(found, instrument);
        if (existing == RecordingFile::Failed)
            return 0;
        if (existing == RecordingFile::Open) {
            if (ReadHeader()) {
                CTime end;
                {
                    std::lock_guard ring(ringLock);
                    end = *periodEnd;
                }
                const int remaining = int((std::int64_t(end.GetTime()) - std::int64_t(Now().GetTime())) / span + 2);
                ResumeFile(TRUE, recordToFile, slotTotal, instrument, interval, remaining);
            } else {
                freshHeader(FALSE);
            }
        } else {
            freshHeader(FALSE);
            if (!OpenForWritingNamed(HeaderName(), instrument, CurrentGeneration(), true))
                return 0;
        }
    }

    std::lock_guard ring(ringLock);
    startTime = Now();
    walkFirstSlot = 0;
    return 1;
}

int CArchivData::ResumeFile(BOOL newFilePerPeriod, BOOL recordToFile, int slotCount, const QString& instrument,
                            int interval, int remainingBlocks)
{
    // A file moved or copied since it was made still names its first folder
    // in its header; blocks, the next period's file and every message must
    // go where the file is now.
    const QString path = GetFilePath();
    int newest = -1;
    int count = 0;
    std::vector<std::uint32_t> table;
    {
        std::lock_guard ring(ringLock);
        if (!header)
            return 1;
        if (!path.isEmpty())
            header->name = path;
        table = header->slotTable;
        newest = archive::FindNewestSlot(header->slotTable);
        count = header->SlotCount();
        if (newest < 0) {
            writeSlot = 0;
            return 1;
        }
    }
    ReportDamagedBlocks(*this, table, instrument, path);

    // Fit the ring of the file to the instrument's present geometry.
    const int needed = newFilePerPeriod ? std::clamp(std::max(newest + remainingBlocks + 2, slotCount), 2,
                                                     archive::kMaxSlotCount)
                                        : slotCount;
    if (count < needed) {
        ShiftBlocks(newest, needed, -1);
    } else if (count > needed && newFilePerPeriod) {
        std::lock_guard ring(ringLock);
        ApplyShrinkRing(needed);
    }
    {
        std::lock_guard ring(ringLock);
        if (newFilePerPeriod ? needed != slotCount : count > slotCount) {
            shrinkState = 1;
            shrinkTarget = slotCount;
        }
    }

    int keptCount = 0;
    {
        std::lock_guard queue(queueLock);
        keptCount = blockRecordCount;
        std::lock_guard ring(ringLock);
        writeSlot = newest;
    }
    const CTime marker = GetFirstDataTime(currentList, FALSE);

    // One block after the newest marks the gap in the recording.
    EndBlockImpl(newFilePerPeriod != 0, recordToFile != 0, interval, false);
    AddBlockMarker(Now() + CTimeSpan(interval));
    AddRecord(platform::LoadString(platform::IDS_NOT_ALL_DATA_READ), kRecordError);
    const int mode = EndBlock(newFilePerPeriod, recordToFile, interval);
    Flush(newFilePerPeriod, mode, instrument);

    ClearLists();
    {
        std::lock_guard queue(queueLock);
        std::lock_guard list(listLock);
        currentList = 0;
    }
    AddBlockMarker(marker);
    std::lock_guard queue(queueLock);
    blockRecordCount = keptCount;
    return 1;
}
