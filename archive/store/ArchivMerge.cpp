#include "archive/store/ArchivMerge.h"

#include "archive/store/ArchivHeader.h"
#include "archive/store/ArchivImport.h"
#include "archive/store/ArchivStamp.h"

#include <algorithm>
#include <limits>

namespace archive {

namespace {

using Time = std::int64_t;

// Seconds by which the instrument's and the computer's stamps of one
// measurement may differ.
constexpr Time kClockSlack = 2;

bool IsText(const CArchivRecord& r, std::uint8_t type, const QString& text)
{
    return r.type == type && RecordText(r) == text;
}

class Merger {
public:
    Merger(const std::vector<CArchivRecordList>& s, const IMergeCodec& codec, bool clockAgreed)
        : m_s(s), m_codec(codec), m_clockAgreed(clockAgreed)
    {
    }

    bool IsMeasurement(const CArchivRecord& r) const { return m_codec.IsDataRecord(r) && r.type != kRecordError; }

    std::optional<Time> FirstData(const CArchivRecordList& b) const
    {
        for (const CArchivRecord& r : b) {
            if (m_codec.IsDataRecord(r))
                return r.time;
        }
        return std::nullopt;
    }
    static Time LastTime(const CArchivRecordList& b) { return b.empty() ? 0 : Time(b.back().time); }
    static Time FirstTime(const CArchivRecordList& b) { return b.empty() ? 0 : Time(b.front().time); }

    // The period of S's current block, or of the next that has one.
    int SPeriod() const
    {
        for (std::size_t i = m_si; i < m_s.size(); ++i) {
            const int p = GetBlockPeriod(m_s[i], m_codec, true).period;
            if (p >= 0)
                return p;
        }
        return m_lastSPeriod;
    }

    void Write()
    {
        if (!m_cur.empty())
            m_out.push_back(std::move(m_cur));
        m_cur.clear();
    }

    void StartEvents(Time t)
    {
        m_cur.push_back(TextRecord(platform::CTime(std::uint32_t(t)), kRecordState, OfflineStartText()));
        if (!m_clockAgreed)
            m_cur.push_back(TextRecord(platform::CTime(std::uint32_t(t)), kRecordState, ClockMismatchStartText()));
    }
    void EndEvents(Time t)
    {
        if (!m_clockAgreed)
            m_cur.push_back(TextRecord(platform::CTime(std::uint32_t(t)), kRecordState, ClockMismatchEndText()));
        m_cur.push_back(TextRecord(platform::CTime(std::uint32_t(t)), kRecordState, OfflineEndText()));
    }
    void ErrorRecord(Time t, const QString& text)
    {
        m_cur.push_back(TextRecord(platform::CTime(std::uint32_t(t)), kRecordError, text));
    }

    // The status, settings, identification and word records in force before
    // `position`, stamped with `time`.
    void HeadersInForce(const CArchivRecordList& b, std::size_t position, Time time)
    {
        for (std::uint8_t type : {kRecordStatus, kRecordSettings, kRecordIden, kRecordWord}) {
            for (std::size_t i = position; i-- > 0;) {
                if (b[i].type == type) {
                    CArchivRecord r = b[i];
                    r.time = std::uint32_t(time);
                    m_cur.push_back(std::move(r));
                    break;
                }
            }
        }
    }

    // Records of `b` from `position` on into the current block: the first
    // measurement in full (kept as it is when it cannot be decoded).
    void CopyRest(const CArchivRecordList& b, std::size_t position)
    {
        bool fullDone = false;
        for (std::size_t p = position; p < b.size(); ++p) {
            if (!fullDone && IsMeasurement(b[p])) {
                fullDone = true;
                if (auto full = m_codec.FullRecordAt(b, p)) {
                    m_cur.push_back(std::move(*full));
                    continue;
                }
            }
            m_cur.push_back(b[p]);
        }
    }

    // The records of S block `b` with from <= time <= to, events left out;
    // opened by the records in force, the start events when `opened` is
    // still false, the first measurement in full. False when no data record
    // lies in the span.
    bool CopyPart(const CArchivRecordList& b, Time from, Time to, bool& opened, Time& last)
    {
        std::vector<std::size_t> picked;
        bool anyData = false;
        for (std::size_t i = 0; i < b.size(); ++i) {
            const Time t = b[i].time;
            if (t < from || t > to || b[i].type == kRecordState)
                continue;
            picked.push_back(i);
            anyData = anyData || m_codec.IsDataRecord(b[i]);
        }
        if (!anyData)
            return false;
        const Time first = b[picked.front()].time;
        HeadersInForce(b, picked.front(), first);
        if (!opened)
            StartEvents(first);
        opened = true;
        bool fullDone = false;
        for (std::size_t i : picked) {
            if (!fullDone && IsMeasurement(b[i])) {
                auto full = m_codec.FullRecordAt(b, i);
                if (!full)
                    continue; // a change record without its base cannot be shown
                fullDone = true;
                m_cur.push_back(std::move(*full));
            } else {
                m_cur.push_back(b[i]);
            }
            last = b[i].time;
        }
        return true;
    }

    void SkipSBefore(Time from)
    {
        while (m_si < m_s.size() && LastTime(m_s[m_si]) < from)
            ++m_si;
    }

    // A measurement of S lies in [from, to].
    bool SCovers(Time from, Time to) const
    {
        for (std::size_t i = m_si; i < m_s.size() && FirstTime(m_s[i]) <= to; ++i) {
            for (const CArchivRecord& r : m_s[i]) {
                if (IsMeasurement(r) && Time(r.time) >= from && Time(r.time) <= to)
                    return true;
            }
        }
        return false;
    }

    // Fills [from, to] with S's records.
    void Fill(Time from, Time to)
    {
        bool opened = false;
        Time last = 0;
        int period = SPeriod();
        for (;;) {
            SkipSBefore(from);
            if (m_si >= m_s.size()) {
                m_sExhausted = true;
                break;
            }
            const CArchivRecordList& b = m_s[m_si];
            if (FirstTime(b) > to)
                break;
            period = SPeriod();
            m_lastSPeriod = period;
            if (CopyPart(b, from, to, opened, last))
                from = last + 1;
            if (to - from > period && LastTime(b) <= to) {
                Write();
                ++m_si;
                continue;
            }
            break;
        }
        if (!opened)
            return;
        if (m_sExhausted && to - from > period) {
            to = last + period;
            ErrorRecord(to, DataUnavailableText());
        }
        EndEvents(to);
        Write();
    }

    // One E block, cut at every gap inside it that S can fill.
    void CopyExisting(const CArchivRecordList& b, int tolerance)
    {
        std::size_t start = 0;
        for (;;) {
            if (start > 0)
                HeadersInForce(b, start, b[start].time);
            std::optional<Time> prevData;
            bool fullDone = start == 0;
            std::size_t cut = b.size();
            for (std::size_t p = start; p < b.size(); ++p) {
                const CArchivRecord& r = b[p];
                if (m_codec.IsDataRecord(r)) {
                    if (prevData && Time(r.time) - *prevData > tolerance && SCovers(*prevData + 1, Time(r.time) - 1)) {
                        cut = p;
                        break;
                    }
                    prevData = r.time;
                }
                if (!fullDone && IsMeasurement(r)) {
                    fullDone = true;
                    if (auto full = m_codec.FullRecordAt(b, p)) {
                        m_cur.push_back(std::move(*full));
                        continue;
                    }
                }
                m_cur.push_back(r);
            }
            if (prevData)
                m_eEnd = *prevData + 1;
            Write();
            if (cut == b.size())
                return;
            Fill(m_eEnd, Time(b[cut].time) - 1);
            start = cut;
        }
    }

    // Everything of S from F on.
    void Append(Time from)
    {
        SkipSBefore(from);
        std::optional<Time> next;
        for (std::size_t i = m_si; i < m_s.size() && !next; ++i) {
            for (const CArchivRecord& r : m_s[i]) {
                if (m_codec.IsDataRecord(r) && Time(r.time) >= from) {
                    next = r.time;
                    break;
                }
            }
        }
        if (!next)
            return;
        const int period = SPeriod();
        bool opened = false;
        if (!m_out.empty() && !m_out.back().empty() && m_out.back().front().type == kRecordStatus) {
            m_cur = std::move(m_out.back());
            m_out.pop_back();
            if (IsText(m_cur.back(), kRecordState, OfflineEndText())) {
                m_cur.pop_back();
                if (!m_clockAgreed && !m_cur.empty() && IsText(m_cur.back(), kRecordState, ClockMismatchEndText()))
                    m_cur.pop_back();
            }
            opened = true;
        }
        if (from + period < *next) {
            ErrorRecord(from + period, DataUnavailableText());
            ErrorRecord(*next - period, DataUnavailableText());
            Write();
        }
        Time last = 0;
        bool partial = false;
        bool first = true; // its events would open a second section
        for (; m_si < m_s.size(); ++m_si) {
            const CArchivRecordList& b = m_s[m_si];
            if (LastTime(b) < from)
                continue;
            if (FirstTime(b) < from || first) {
                first = false;
                partial = CopyPart(b, from, std::numeric_limits<Time>::max(), opened, last);
                if (partial)
                    from = last + 1;
            } else {
                m_cur.insert(m_cur.end(), b.begin(), b.end());
                partial = false;
            }
            if (partial && m_si + 1 == m_s.size())
                EndEvents(last);
            Write();
        }
    }

    std::vector<CArchivRecordList> TakeOut()
    {
        Write();
        return std::move(m_out);
    }

    Time m_eEnd = 0;
    std::size_t m_si = 0;
    bool m_sExhausted = false;

private:
    const std::vector<CArchivRecordList>& m_s;
    const IMergeCodec& m_codec;
    bool m_clockAgreed;
    int m_lastSPeriod = 0;
    std::vector<CArchivRecordList> m_out;
    CArchivRecordList m_cur;
};

} // namespace

BlockPeriod GetBlockPeriod(const CArchivRecordList& block, const IMergeCodec& codec, bool skipErrors)
{
    BlockPeriod result;
    std::vector<Time> times;
    for (const CArchivRecord& r : block) {
        const bool data = codec.IsDataRecord(r) && !(skipErrors && r.type == kRecordError);
        if (times.empty() && result.period < 0) {
            if (r.type == kRecordWord && r.data.size() >= 4)
                result.period = int(ReadU32(r.data.constData()));
            else if (r.type == kRecordStatus)
                result.period = codec.StatusPeriod(r);
        }
        if (data)
            times.push_back(r.time);
        if (!times.empty() && (result.period >= 0 || times.size() == 4))
            break;
    }
    if (times.empty())
        return {};
    result.firstTime = std::uint32_t(times.front());
    if (result.period < 0) {
        switch (times.size()) {
        case 4:
            result.period = int((times[3] - times[0] + 2) / 3);
            break;
        case 3:
            result.period = int((times[2] - times[0] + 2) / 2);
            break;
        case 2:
            result.period = int(times[1] - times[0]);
            break;
        default:
            result.period = 0;
        }
    }
    return result;
}

namespace {

// The existing archive without the outage markers ("Data nejsou k
// dispozici.") at whose times the download holds a measurement: a hole
// marked by an earlier append is filled like any other gap, and its edge
// records come back instead of the markers. Blocks left without a record
// are dropped.
std::vector<CArchivRecordList> WithoutCoveredOutages(const std::vector<CArchivRecordList>& existing,
                                                     const std::vector<CArchivRecordList>& download,
                                                     const IMergeCodec& codec)
{
    std::vector<Time> measured;
    int period = 0;
    for (const CArchivRecordList& b : download) {
        period = std::max(period, GetBlockPeriod(b, codec, true).period);
        for (const CArchivRecord& r : b)
            if (codec.IsDataRecord(r) && r.type != kRecordError)
                measured.push_back(r.time);
    }
    std::sort(measured.begin(), measured.end());
    const Time reach = period / 2;
    const auto covered = [&](Time t) {
        const auto it = std::lower_bound(measured.begin(), measured.end(), t - reach);
        return it != measured.end() && *it <= t + reach;
    };
    std::vector<CArchivRecordList> out;
    for (const CArchivRecordList& b : existing) {
        CArchivRecordList kept;
        for (const CArchivRecord& r : b)
            if (!(IsText(r, kRecordError, DataUnavailableText()) && covered(r.time)))
                kept.push_back(r);
        if (!kept.empty())
            out.push_back(std::move(kept));
    }
    return out;
}

} // namespace

MergeResult MergeBlocks(const std::vector<CArchivRecordList>& existingBlocks,
                        const std::vector<CArchivRecordList>& download, const IMergeCodec& codec, bool clockAgreed)
{
    const std::vector<CArchivRecordList> existing = WithoutCoveredOutages(existingBlocks, download, codec);
    const auto withData = [&codec](const std::vector<CArchivRecordList>& blocks) {
        std::vector<CArchivRecordList> kept;
        for (const CArchivRecordList& b : blocks) {
            if (GetBlockPeriod(b, codec, false).period >= 0)
                kept.push_back(b);
        }
        return kept;
    };
    const std::vector<CArchivRecordList> e = withData(existing);
    const std::vector<CArchivRecordList> s = withData(download);
    MergeResult result;
    if (s.empty())
        return result;
    result.ok = true;
    if (e.empty()) {
        result.blocks = s;
        return result;
    }
    Merger m(s, codec, clockAgreed);
    const auto tolerance = [&](const CArchivRecordList& eBlock) {
        return std::max(m.SPeriod(), GetBlockPeriod(eBlock, codec, false).period) + kClockSlack;
    };
    const BlockPeriod sFirst = GetBlockPeriod(s.front(), codec, true);
    const Time eFirst = *m.FirstData(e.front());
    // Every downloaded record before the existing data is new, however close
    // to it: a lone record at a period's start, merged into the file a
    // recording began later in that period, is kept. Only one within the
    // clocks' slack of the existing first record is that record again.
    if (sFirst.period >= 0 && Time(sFirst.firstTime) + kClockSlack < eFirst)
        m.Fill(Time(sFirst.firstTime) - 1, eFirst - 1);
    for (std::size_t i = 0; i < e.size(); ++i) {
        if (i > 0) {
            const Time next = *m.FirstData(e[i]);
            m.SkipSBefore(m.m_eEnd);
            if (next - m.m_eEnd > tolerance(e[i]) && m.m_si < s.size() && Merger::FirstTime(s[m.m_si]) <= next)
                m.Fill(m.m_eEnd, next - 1);
        }
        m.CopyExisting(e[i], tolerance(e[i]));
    }
    m.Append(m.m_eEnd);
    result.blocks = m.TakeOut();
    return result;
}

namespace {

int SlotOfStream(const std::string& name)
{
    if (name.size() < 2 || name.size() > 7 || name[0] != 'A'
        || !std::all_of(name.begin() + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stoi(name.substr(1));
}

} // namespace

// Every step leaves a file that reads whole, also when the process dies
// after it: the merged blocks go first into slots that the current header
// does not use, one header write switches to them, and only then are they
// moved down to slots 0.. under a second header write.
bool ReplaceArchiveContent(CArchivFileEntry& target, const QString& headerName, Storage& merged,
                           const std::vector<std::uint32_t>& slotTable)
{
    auto storage = target.GetStorage();
    if (!storage)
        return false;
    const int count = int(slotTable.size());
    int used = 0; // slots of the file now (streams included that its header no longer names)
    for (const std::string& name : storage->StreamNames())
        used = std::max(used, SlotOfStream(name) + 1);
    QByteArray current;
    if (storage->ReadStream("hlavicka", current) == StorageStatus::Ok && current.size() >= kHeaderTableOffset)
        used = std::max(used, int(ReadU32(current.constData() + kHeaderNameSize)));
    const int staging = std::max(used, count);
    // The staged header may name twice a full ring (DecodeHeader reads it).
    if (count == 0 || count > kMaxSlotCount || staging + count > 2 * kMaxSlotCount)
        return false;

    std::vector<QByteArray> blocks(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (merged.ReadStream(SlotStreamName(i), blocks[std::size_t(i)]) != StorageStatus::Ok)
            return false;
    }
    const auto dropStaging = [&]() {
        for (int i = 0; i < count; ++i)
            (void)storage->Destroy(SlotStreamName(staging + i));
        (void)storage->Flush();
    };
    for (int i = 0; i < count; ++i) {
        if (storage->WriteStream(SlotStreamName(staging + i), blocks[std::size_t(i)]) != StorageStatus::Ok) {
            dropStaging();
            return false;
        }
    }
    CArchivHeader staged;
    staged.name = headerName;
    staged.slotTable.assign(std::size_t(staging), 0);
    staged.slotTable.insert(staged.slotTable.end(), slotTable.begin(), slotTable.end());
    if (storage->Flush() != StorageStatus::Ok || !target.WriteHeaderImage(EncodeHeader(staged, {}))
        || storage->Flush() != StorageStatus::Ok) {
        // The header either still reads as before or already names the
        // merged blocks: only in the first case may they go.
        QByteArray now;
        if (storage->ReadStream("hlavicka", now) == StorageStatus::Ok && now == current)
            dropStaging();
        return now != current;
    }

    // The file holds the merged archive; what follows only tidies it up.
    CArchivStamp stamp;
    stamp.Read(&target);
    stamp.Write(&target, platform::CTime::GetCurrentTime());
    bool moved = true;
    for (int i = 0; i < count && moved; ++i)
        moved = storage->WriteStream(SlotStreamName(i), blocks[std::size_t(i)]) == StorageStatus::Ok;
    CArchivHeader settled;
    settled.name = headerName;
    settled.slotTable = slotTable;
    if (moved && storage->Flush() == StorageStatus::Ok && target.WriteHeaderImage(EncodeHeader(settled, {}))
        && storage->Flush() == StorageStatus::Ok) {
        for (const std::string& name : storage->StreamNames()) {
            if (SlotOfStream(name) >= count)
                (void)storage->Destroy(name);
        }
        stamp.Write(&target, platform::CTime::GetCurrentTime());
    }
    (void)storage->Flush();
    return true;
}

} // namespace archive
