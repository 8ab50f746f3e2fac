#include "archive/store/ArchivTimeAxis.h"

#include "model/VKStatus.h"
#include "model/VKTStatus.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <ctime>

using platform::CTime;

namespace archive {

namespace {

constexpr std::int64_t kQuarter = 900;
constexpr int kMaxTicks = 500;
constexpr int kMaxPointsPerChannel = 15000;

std::int64_t Seconds(CTime t)
{
    return std::int64_t(t.GetTime());
}

CTime At(std::int64_t seconds)
{
    return CTime(CTime::time_type(seconds));
}

std::int64_t CeilQuarters(std::int64_t t)
{
    return t / kQuarter + (t % kQuarter != 0 ? 1 : 0);
}

} // namespace

int ZoomIndexFor(std::int64_t seconds)
{
    for (std::size_t i = 0; i < kZoomSpans.size(); ++i)
        if (kZoomSpans[i] >= seconds)
            return int(i);
    return int(kZoomSpans.size()) - 1;
}

CTime AlignWindowStart(CTime t, int zoom)
{
    zoom = std::clamp(zoom, 0, int(kZoomSpans.size()) - 1);
    const std::int64_t span = kZoomSpans[std::size_t(zoom)];
    std::tm tm{};
    if (!t.GetLocalTm(tm))
        return t;
    CTime base;
    std::int64_t step = span;
    if (span > 86400) {
        base = CTime(tm.tm_year + 1900, tm.tm_mon + 1, 1, 0, 0, 0);
        step = 86400;
    } else if (span > 3600) {
        base = CTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0);
    } else {
        base = CTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, 0, 0);
    }
    std::int64_t b = Seconds(base);
    if (b + step < Seconds(t))
        b += (Seconds(t) - b - 1) / step * step;
    return At(b);
}

QString FormatSpan(int seconds)
{
    const QString hours = platform::LoadString(platform::IDS_SPAN_HOURS);
    const QString minutes = platform::LoadString(platform::IDS_SPAN_MINUTES);
    const int h = seconds / 3600;
    int m = seconds / 60 - 60 * h;
    if (h == 1 || h == 2) {
        const int grid = h == 1 ? 15 : 30;
        m -= m % grid;
        return QStringLiteral("%1%2 %3%4 ").arg(h).arg(hours).arg(m).arg(minutes);
    }
    if (h >= 3)
        return QStringLiteral("%1%2 ").arg(h).arg(hours);
    if (m > 10 && m < 30)
        m -= m % 5;
    else if (m >= 30)
        m -= m % 10;
    return QStringLiteral("%1%2 ").arg(m).arg(minutes);
}

QString FormatTick(CTime t, bool withDate, int graphSpan)
{
    std::tm tm{};
    if (!t.GetLocalTm(tm))
        return {};
    QString text;
    if (withDate)
        text = QStringLiteral("%1.%2 ").arg(tm.tm_mday).arg(tm.tm_mon + 1);
    int hour = tm.tm_hour;
    int minute = tm.tm_min;
    const auto roundUp = [&minute](int grid) { minute = (minute + grid - 1) / grid * grid; };
    if (graphSpan < 800) {
        if (tm.tm_sec > 0)
            ++minute;
    } else if (graphSpan == 800 || graphSpan == 21600) {
        // these widths label the minute as it is
    } else if (graphSpan < 3600) {
        roundUp(5);
    } else if (graphSpan < 10800) {
        roundUp(15);
    } else if (graphSpan < 21600) {
        roundUp(30);
    } else if (minute != 0) {
        minute = 60;
    }
    if (minute >= 60) {
        minute = 0;
        hour = (hour + 1) % 24;
    }
    text += QStringLiteral("%1:%2 ").arg(hour).arg(minute, 2, 10, QLatin1Char('0'));
    return text;
}

QStringList CArchivTimeAxis::GetZoomList(QString& spanText) const
{
    const std::int64_t fileSpan = Seconds(endTime) - Seconds(oldestStart);
    int count = 1;
    if (fileSpan > kQuarter) {
        count = int(kZoomSpans.size());
        for (std::size_t i = 0; i < kZoomSpans.size(); ++i)
            if (kZoomSpans[i] >= fileSpan) {
                count = int(i) + 1;
                break;
            }
    }
    const QStringList names = platform::LoadString(platform::IDS_ZOOM_SPAN_NAMES).split(QLatin1Char(','));
    spanText = FormatSpan(windowLength);
    return names.mid(0, count);
}

CScrollInfo CArchivTimeAxis::GetScrollInfo() const
{
    const std::int64_t q0 = std::min(Seconds(oldestStart), Seconds(windowStart)) / kQuarter;
    CScrollInfo info;
    info.range = int(std::max<std::int64_t>(CeilQuarters(Seconds(endTime)) - q0, 1));
    info.position = int(std::max<std::int64_t>(Seconds(windowStart) / kQuarter - q0, 0));
    info.end = int(std::min<std::int64_t>(CeilQuarters(Seconds(windowStart) + windowLength) - q0, info.range));
    return info;
}

QStringList CArchivTimeAxis::GetTimeTicks(QString& startText) const
{
    const int zoom = ZoomIndexFor(windowLength);
    const std::int64_t step = kZoomSpans[std::size_t(zoom)];
    std::int64_t count = (Seconds(endTime) - Seconds(oldestStart)) / step + 2;
    std::tm first{};
    std::tm last{};
    const bool sameDay = oldestStart.GetLocalTm(first) && newestStart.GetLocalTm(last) &&
                         first.tm_mday == last.tm_mday && first.tm_mon == last.tm_mon;
    startText = FormatTick(windowStart, !sameDay, graphSpan);
    const std::int64_t base = Seconds(AlignWindowStart(oldestStart, zoom));
    if (base + (count - 1) * step > Seconds(endTime))
        --count;
    QStringList labels;
    for (std::int64_t i = 0; i < std::min<std::int64_t>(count, kMaxTicks); ++i)
        labels << FormatTick(At(base + i * step), !sameDay, graphSpan);
    return labels;
}

CTime CArchivTimeAxis::ZoomWindowStart(int zoom, int& position) const
{
    const std::int64_t span = kZoomSpans[std::size_t(std::clamp(zoom, 0, int(kZoomSpans.size()) - 1))];
    const std::int64_t base = Seconds(AlignWindowStart(oldestStart, zoom));
    if (position < 0 || span != windowLength)
        position = int(std::max<std::int64_t>(Seconds(windowStart) - base, 0) / span);
    return At(base + std::int64_t(position) * span);
}

int WrapBlockIndex(int slot, int offset, int slotCount)
{
    if (slotCount <= 0)
        return 0;
    const int r = (slot + offset) % slotCount;
    return r < 0 ? r + slotCount : r;
}

CBlockEnds FindEndBlocks(const std::vector<std::uint32_t>& slotTimes)
{
    CBlockEnds ends;
    for (std::size_t i = 0; i < slotTimes.size(); ++i) {
        const std::uint32_t t = slotTimes[i];
        if (t == 0)
            continue;
        if (ends.oldest < 0 || t < slotTimes[std::size_t(ends.oldest)])
            ends.oldest = int(i);
        if (ends.newest < 0 || t > slotTimes[std::size_t(ends.newest)])
            ends.newest = int(i);
    }
    return ends;
}

CWindowBlocks FindWindowBlocks(const std::vector<std::uint32_t>& slotTimes, CBlockEnds ends, CTime start, CTime end,
                               bool zoom)
{
    CWindowBlocks w;
    const int n = int(slotTimes.size());
    if (ends.oldest < 0 || ends.newest < 0 || n == 0)
        return w;
    const auto timeOf = [&slotTimes](int slot) { return std::int64_t(slotTimes[std::size_t(slot)]); };
    int slot = ends.oldest;
    for (int steps = 0; slot != ends.newest && steps < n; ++steps) {
        if (timeOf(WrapBlockIndex(slot, 1, n)) > Seconds(start))
            break;
        slot = WrapBlockIndex(slot, 1, n);
    }
    w.first = slot;
    if (slot == ends.newest) {
        w.current = slot;
        w.count = 1;
        return w;
    }
    w.current = WrapBlockIndex(slot, 1, n);
    w.count = 2;
    int walk = w.current;
    for (int steps = 0; walk != ends.newest && steps < n; ++steps) {
        const std::int64_t next = timeOf(WrapBlockIndex(walk, 1, n));
        if (zoom ? next > Seconds(end) : next >= Seconds(end))
            break;
        ++w.count;
        walk = WrapBlockIndex(walk, 1, n);
    }
    return w;
}

std::array<int, 3> SplitWindowChannels(int blocks)
{
    if (blocks <= 0)
        return {0, 0, 0};
    return {(blocks + 2) / 3, blocks / 3 + (blocks % 3 == 2 ? 1 : 0), blocks / 3};
}

int DecimationPerColumn(int points)
{
    return points > kMaxPointsPerChannel ? points / kMaxPointsPerChannel + 1 : 0;
}

int GetListInterval(const CArchivRecordList& records, int modelNumber)
{
    const bool vk = (modelNumber >= 8 && modelNumber <= 19) || (modelNumber >= 22 && modelNumber <= 33);
    const bool vkt = modelNumber >= 34 && modelNumber <= 99;
    std::vector<std::int64_t> times; // data and outage records since the count began
    for (const CArchivRecord& r : records) {
        if (r.type == kRecordWord)
            return r.data.size() >= 4 ? int(ReadU32(r.data.constData())) : -1;
        if (r.type == kRecordStatus && times.empty()) {
            const BYTE* image = reinterpret_cast<const BYTE*>(r.data.constData());
            if (vk && r.data.size() >= CVKStatus::kImageSize) {
                CVKStatus status;
                status.FromRaw(image);
                return status.GetRecordPeriodSeconds();
            }
            if (vkt && r.data.size() >= CVKTStatus::kImageSize) {
                CVKTStatus status;
                status.FromRaw(image);
                return status.GetArch().GetInterval();
            }
            continue;
        }
        if (!(r.IsData() || r.type == kRecordError))
            continue;
        times.push_back(std::int64_t(r.time));
        if (times.size() == 5) {
            const std::int64_t spacing = (times[4] - times[0] + 2) / 4;
            if (spacing != 0)
                return int(spacing);
            times.clear();
        }
    }
    std::int64_t spacing = 0;
    switch (times.size()) {
    case 4:
        spacing = (times[3] - times[0] + 2) / 3;
        break;
    case 3:
        spacing = (times[2] - times[0] + 2) / 2;
        break;
    case 2:
        spacing = times[1] - times[0];
        break;
    default:
        break;
    }
    return spacing != 0 ? int(spacing) : -1;
}

} // namespace archive
