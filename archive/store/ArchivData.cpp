#include "archive/store/ArchivData.h"

#include "archive/store/ArchivHost.h"
#include "charts_core/CalendarTime.h"
#include "platform/Cp1250.h"

using platform::CTime;

namespace {

CTime PlusSeconds(CTime t, std::int64_t seconds)
{
    return CTime(CTime::time_type(std::int64_t(t.GetTime()) + seconds));
}

} // namespace

CArchivData::CArchivData() : m_graphFeed(m_seriesRegistry, -1, GraphExtractor(-1)) {}

// The family kind of the graphs is the instrument type less one.
CArchivData::CArchivData(int type)
    : scaleCategories(type), m_graphFeed(m_seriesRegistry, type - 1, GraphExtractor(type - 1))
{
}

CArchivData::~CArchivData()
{
    ClearGraphData();
    DrainAndClose();
    ClearLists();
}

void CArchivData::SetTimeSource(TimeSource now)
{
    m_now = std::move(now);
}

CTime CArchivData::Now() const
{
    return m_now ? m_now() : CTime::GetCurrentTime();
}

void CArchivData::SetHost(IArchivHost* host)
{
    m_host = host;
}

IArchivHost& CArchivData::Host() const
{
    return m_host ? *m_host : SilentArchivHost();
}

// ---- Queueing ------------------------------------------------------------

void CArchivData::AddRecordLocked(CTime time, std::uint8_t type, QByteArray data)
{
    CurrentListLocked().push_back({time.GetTime(), type, std::move(data)});
    recordsPending = 1;
}

void CArchivData::AddRecord(const QString& text, int type)
{
    const CTime now = Now();
    std::lock_guard queue(queueLock);
    std::lock_guard list(listLock);
    AddRecordLocked(now, std::uint8_t(type), platform::ToCp1250(text));
    if (type == kRecordError) {
        ++blockRecordCount;
        lastMeasurementTime = now;
    }
}

void CArchivData::AddWordRecord(DWORD value)
{
    QByteArray data;
    archive::AppendU32(data, value);
    const CTime now = Now();
    std::lock_guard queue(queueLock);
    std::lock_guard list(listLock);
    AddRecordLocked(now, kRecordWord, std::move(data));
}

void CArchivData::AddBlockMarker(CTime time)
{
    std::lock_guard queue(queueLock);
    std::lock_guard list(listLock);
    AddRecordLocked(time, kRecordBlockMarker, QByteArray(1, '\0'));
}

int CArchivData::GetBlockRecordCount() const
{
    std::lock_guard lock(queueLock);
    return blockRecordCount;
}

int CArchivData::NeedsConfigRecord() const
{
    std::lock_guard lock(listLock);
    return needConfigRecord;
}

int CArchivData::HasPendingRecords() const
{
    std::lock_guard lock(listLock);
    return recordsPending;
}

int CArchivData::HasNewData() const
{
    std::lock_guard lock(valuesLock);
    return newData;
}

void CArchivData::SetDeviceState(int state)
{
    std::lock_guard lock(valuesLock);
    newData = state;
}

void CArchivData::ClearLists()
{
    std::lock_guard queue(queueLock);
    std::lock_guard list(listLock);
    for (CArchivRecordList& l : lists)
        l.clear();
}

// ---- Block timing ----------------------------------------------------------

CTime CArchivData::GetPeriodBoundary(int period, int which, int lead) const
{
    return charts::AlignTimeToCalendar(PlusSeconds(Now(), lead), period, which == 1);
}

bool CArchivData::IsPeriodDueRing(int period, int lead)
{
    const CTime now = Now();
    if (!periodEnd) {
        startTime = now;
        periodEnd = GetPeriodBoundary(period, 0, lead);
    }
    return *periodEnd < PlusSeconds(now, lead);
}

int CArchivData::IsPeriodDue(int period, int lead)
{
    std::lock_guard ring(ringLock);
    return IsPeriodDueRing(period, lead) ? 1 : 0;
}

CTime CArchivData::NextBlockStart(int lead) const
{
    CTime t = PlusSeconds(Now(), lead);
    const int second = t.GetSecond();
    if (second < lead)
        t = PlusSeconds(t, -second);
    return t;
}

int CArchivData::AlignBlockStartLocked(int recordsPerBlock, int interval)
{
    const CTime now = Now();
    const std::int64_t span = std::int64_t(recordsPerBlock) * interval;
    int k = 0;
    if (span > 0) {
        if (10800 % span == 0)
            k = 3;
        if (7200 % span == 0)
            k = 2;
        if (3600 % span == 0)
            k = 1;
    }
    if (k == 0 || interval <= 0) {
        blockRecordCount = 0;
        AddRecordLocked(PlusSeconds(now, interval), kRecordBlockMarker, QByteArray(1, '\0'));
        return 0;
    }
    CTime start(now.GetYear(), now.GetMonth(), now.GetDay(), now.GetHour() / k * k, 0, 0);
    if (start > now)
        start = PlusSeconds(start, -3600);
    // A span whose last poll instant has passed has no room left: its next
    // poll would end it late and find the following block's first poll due
    // at once, two polls (and two records) in one second. Such a block
    // starts on the coming boundary instead, at most one interval ahead.
    while (PlusSeconds(start, span - interval) < now)
        start = PlusSeconds(start, span);
    AddRecordLocked(start, kRecordBlockMarker, QByteArray(1, '\0'));
    int n = 0;
    for (CTime t = PlusSeconds(start, -interval); PlusSeconds(t, interval) < now; t = PlusSeconds(t, interval))
        ++n;
    blockRecordCount = n;
    return 1;
}

int CArchivData::AlignBlockStart(int recordsPerBlock, int interval)
{
    std::lock_guard queue(queueLock);
    std::lock_guard list(listLock);
    return AlignBlockStartLocked(recordsPerBlock, interval);
}

// ---- Ending a block ----------------------------------------------------------

int CArchivData::EndBlock(BOOL newFilePerPeriod, BOOL recordToFile, int lead)
{
    return EndBlockImpl(newFilePerPeriod != 0, recordToFile != 0, lead, true);
}

// `handOver` false ends the block without writing it (the resumption of a
// file moves past the newest block that way).
int CArchivData::EndBlockImpl(bool newFilePerPeriod, bool recordToFile, int lead, bool handOver)
{
    int result = 1;
    {
        std::lock_guard queue(queueLock);
        std::lock_guard list(listLock);
        std::lock_guard ring(ringLock);
        if (!recordToFile) {
            graphOrigin = NextBlockStart(lead);
        } else if (header) {
            const int n = header->SlotCount();
            if (shrinkState == 1 && writeSlot == shrinkTarget - 1 && !newFilePerPeriod)
                ApplyShrinkRing(shrinkTarget);
            bool periodChange = false;
            bool wrapped = false;
            if (newFilePerPeriod) {
                periodChange = periodChangePending != 0;
                periodChangePending = 0;
                if (IsPeriodDueRing(86400, lead)) {
                    periodEnd.reset();
                    periodChangePending = 1;
                }
            } else if (writeSlot >= header->SlotCount() - 1) {
                writeSlot = 0;
                wrapped = true;
            }
            if (periodChange) {
                const std::uint32_t completedStart = header->slotTable[std::size_t(writeSlot)];
                RollFileName();
                if (shrinkState != 0 && header && shrinkTarget > 0 && shrinkTarget < header->SlotCount())
                    header->slotTable.resize(std::size_t(shrinkTarget));
                shrinkState = 0;
                if (header && !header->slotTable.empty()) {
                    header->slotTable[0] = completedStart;
                    writeSlot = 1;
                    ++m_generation;
                    result = 2;
                    if (header->SlotCount() < 2)
                        header->slotTable.resize(2, 0);
                }
            } else if (!wrapped) {
                // Without overwriting the write position only grows; a period
                // that ends late gets more slots rather than running past the
                // table (or, at the largest ring, wraps as the ring does).
                if (writeSlot + 1 >= n) {
                    if (n < archive::kMaxSlotCount)
                        header->slotTable.resize(std::size_t(n) + 1, 0);
                    else
                        writeSlot = -1;
                }
                ++writeSlot;
            }
            if (header) {
                writeList = currentList;
                if (handOver)
                    QueueBlockRing();
            }
        }
        currentList = (currentList + 1) % 3;
        if (recordToFile && header)
            header->slotTable[std::size_t(writeSlot)] = NextBlockStart(lead).GetTime();
        blockRecordCount = 0;
        needConfigRecord = 1;
        recordsPending = 1;
        lists[std::size_t(currentList)].clear();
        needFullRecord = 1;
        UpdateWalkRing(lead);
    }
    writerIdle.Reset();
    return result;
}

void CArchivData::UpdateWalkRing(int lead)
{
    if (!header)
        return;
    walkEndSlot = header->SlotCount();
    walkFirstSlot = archive::FindOldestSlot(header->slotTable, NextBlockStart(lead).GetTime());
}

int CArchivData::ChangeBlockGeometry(int recordsPerBlock, int interval, BOOL newFilePerPeriod, BOOL recordToFile,
                                     const QString& instrument)
{
    const int mode = EndBlock(newFilePerPeriod, recordToFile, interval);
    Flush(newFilePerPeriod, mode, instrument);
    std::lock_guard queue(queueLock);
    std::lock_guard list(listLock);
    AlignBlockStartLocked(recordsPerBlock, interval);
    needConfigRecord = 1;
    return 1;
}

void CArchivData::StopArchive(BOOL keepData)
{
    DrainAndClose();
    if (keepData)
        return;
    {
        std::lock_guard ring(ringLock);
        header.reset();
    }
    ClearGraphData();
    ClearLists();
}

// ---- Family hooks ----------------------------------------------------------

void CArchivData::InitHeader(int, const QString&, BOOL) {}

void CArchivData::RollFileName() {}

void CArchivData::SetNewHeader(int slotTotal, const QString& name)
{
    std::lock_guard ring(ringLock);
    header = std::make_unique<CArchivHeader>();
    header->name = name;
    header->slotTable.assign(std::size_t(std::max(slotTotal, 1)), 0);
}
