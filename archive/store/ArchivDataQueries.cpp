#include "archive/store/ArchivData.h"

#include "archive/store/ArchivTitles.h"
#include "platform/Cp1250.h"
#include "platform/StringTable.h"

#include <QRegularExpression>

using platform::CTime;

namespace {

int CountData(const CArchivRecordList& list, bool withErrors)
{
    int n = 0;
    for (const CArchivRecord& r : list) {
        if (r.IsData() || (withErrors && r.type == kRecordError))
            ++n;
    }
    return n;
}

// The text of a string id with its number placeholder filled in.
QString MessageText(int id, int value)
{
    QString text = platform::LoadString(id);
    if (value != -1) {
        static const QRegularExpression placeholder(QStringLiteral("%[diu]"));
        const QRegularExpressionMatch m = placeholder.match(text);
        if (m.hasMatch())
            text.replace(m.capturedStart(), m.capturedLength(), QString::number(value));
    }
    return text;
}

} // namespace

int CArchivData::CountDataRecords(BOOL withErrors) const
{
    std::lock_guard list(listLock);
    const int n = CountData(lists[std::size_t(currentList)], withErrors != 0);
    return n > 0 ? n - 1 : 0;
}

int CArchivData::CountListDataRecords(int list, BOOL withErrors) const
{
    if (list < 0 || list > 2)
        return -1;
    std::lock_guard lock(listLock);
    return CountData(lists[std::size_t(list)], withErrors != 0) - 1;
}

CTime CArchivData::GetFirstDataTime(int list, BOOL nowIfEmpty) const
{
    std::lock_guard lock(listLock);
    const CArchivRecordList* records = list >= 0 && list <= 2 ? &lists[std::size_t(list)] : nullptr;
    if (!records || records->empty())
        return nowIfEmpty ? Now() : CTime();
    for (const CArchivRecord& r : *records) {
        if (r.IsData() || r.type == kRecordBlockMarker)
            return CTime(r.time);
    }
    return CTime(records->back().time);
}

CTime CArchivData::GetMarkerTime(int interval) const
{
    const CTime now = Now();
    std::lock_guard lock(listLock);
    for (const CArchivRecord& r : lists[std::size_t(currentList)]) {
        if (r.type != kRecordBlockMarker)
            continue;
        if (interval > 0 && r.time % std::uint32_t(interval) == 0)
            return CTime(r.time + now.GetTime() % std::uint32_t(interval));
        return CTime(r.time);
    }
    return now;
}

CTime CArchivData::GetNewestDataTime() const
{
    std::lock_guard lock(listLock);
    for (int back = 0; back < 2; ++back) {
        const CArchivRecordList& list = lists[std::size_t((currentList + 3 - back) % 3)];
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            if (it->IsData())
                return CTime(it->time);
        }
    }
    return CTime();
}

void CArchivData::GetRingFillTime(int interval, int recordsPerBlock, CTime& start, CTime& last, CTime& full) const
{
    int stepsBack = 0;
    int endSlot = 0;
    {
        std::lock_guard ring(ringLock);
        if (!header)
            return;
        start = startTime;
        stepsBack = archive::ReduceSlot(writeSlot - walkFirstSlot, header->SlotCount());
        endSlot = walkEndSlot;
    }
    std::lock_guard queue(queueLock);
    const int current = CountListDataRecords(currentList, TRUE);
    last = lastMeasurementTime;
    const std::int64_t records = std::int64_t(endSlot - stepsBack + 1) * recordsPerBlock - (current + 1);
    full = CTime(CTime::time_type(std::int64_t(last.GetTime()) + records * interval));
}

int CArchivData::GetGraphPosition() const
{
    std::lock_guard lock(queueLock);
    if (graphSpan <= 0)
        return 0;
    return int((std::int64_t(lastMeasurementTime.GetTime()) - std::int64_t(graphOrigin.GetTime())) * 30000
               / graphSpan);
}

void CArchivData::SetGraphWindow(CTime origin, int span)
{
    std::lock_guard lock(queueLock);
    graphOrigin = origin;
    graphSpan = span;
}

void CArchivData::SetErrorText(const QString& text)
{
    std::lock_guard file(m_fileLock);
    errorText = text;
}

QString CArchivData::GetErrorText() const
{
    std::lock_guard file(m_fileLock);
    return archive::DeepCopy(errorText);
}

void CArchivData::CollectEvents(CArchivEventList& out)
{
    out.clear();
    const CTime now = Now();
    std::lock_guard lock(listLock);
    if (lists[0].empty() && lists[1].empty() && lists[2].empty())
        return;
    int count = 0;
    for (int age = 2; age >= 0; --age)
        archive::AppendEvents(lists[std::size_t((currentList + 3 - age) % 3)], out, count);
    out.push_back(archive::SeparatorItem(now.GetTime(), count++));
    for (const QString& message : messages) {
        const QByteArray text = platform::ToCp1250(message);
        out.push_back({now.GetTime(), kRecordMessage, text, count++});
    }
    recordsPending = 0;
}

void CArchivData::CollectBlockEvents(const CArchivRecordList& block, CArchivEventList& out, BOOL reset)
{
    if (reset) {
        out.clear();
        m_blockEventCount = 0;
    }
    archive::AppendEvents(block, out, m_blockEventCount);
    out.push_back(archive::SeparatorItem(Now().GetTime(), m_blockEventCount));
}

void CArchivData::QueueMessage(int id, int value)
{
    const QString text = MessageText(id, value);
    std::lock_guard lock(listLock);
    messages.append(text);
}

void CArchivData::QueueMessageIfNew(int id, int value)
{
    const QString text = MessageText(id, value);
    std::lock_guard lock(listLock);
    if (messages.isEmpty() || messages.last() != text)
        messages.append(text);
}

void CArchivData::RemoveMessage(int id, int value)
{
    const QString text = MessageText(id, value);
    std::lock_guard lock(listLock);
    messages.removeOne(text);
}

QString CArchivData::GetDirectory() const
{
    return archive::DirectoryOf(GetFilePath());
}

QString CArchivData::GetBaseTitle(const QString& extension) const
{
    return archive::BaseTitleOf(GetFilePath(), extension);
}

QString CArchivData::GetPeriodTitle(const QString& extension) const
{
    return archive::PeriodTitleOf(GetFilePath(), extension);
}

int CArchivData::DecodeSpacingWord(WORD word)
{
    const int value = (word & 0x8000) ? (word & 0x7FFF) : (word & 0x7FFF) * 5;
    return value > 9950 || value < 1 ? 1 : value;
}
