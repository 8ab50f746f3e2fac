#include "archive/store/ArchivStageExtract.h"

#include "archive/store/ArchivSeriesPoints.h"
#include "archive/store/ArchivVKTRecords.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"

#include <algorithm>
#include <optional>

namespace archive {

namespace {

constexpr std::uint32_t kTimeBits = 0x7FFFFFFFu;

bool IsOn(std::uint32_t entry)
{
    return (entry & kStageOn) != 0;
}

std::uint32_t Entry(bool on, std::uint32_t seconds)
{
    return (on ? kStageOn : 0u) | (seconds & kTimeBits);
}

// Family decoding of one record: the stage word of a full record, or of a
// changed-fields record that carries it (over the running values).
template <class Traits>
class StageDecoder {
public:
    std::optional<WORD> Full(const CArchivRecord& r)
    {
        if (!CControllerArchivData<Traits>::DecodeFullRecord(m_values, r))
            return std::nullopt;
        m_started = true;
        return m_values.stageMask;
    }
    std::optional<WORD> Changed(const CArchivRecord& r, int maskFromEnd, int maskBytes, int bit)
    {
        if (!m_started || !CControllerArchivData<Traits>::DecodeDeltaRecord(m_values, r))
            return std::nullopt;
        const int at = int(r.data.size()) - maskFromEnd;
        const std::uint32_t mask =
            maskBytes == 4 ? ReadU32(r.data.constData() + at) : controller::ReadU16(r.data.constData() + at);
        if (!Bit(mask, bit))
            return std::nullopt;
        return m_values.stageMask;
    }

private:
    typename Traits::Values m_values = Traits::NoValues();
    bool m_started = false;
};

// The runs of `lists` from the records from the origin on. `observe` sees
// every record; `walked` says which measurement types take part (outages 4
// and 8 always do); `first` gives the state bits (bit k for list k) of the
// record that starts the runs, `later` those a later measurement states
// (none: it states nothing).
template <class Observe, class Walked, class First, class Later>
void WalkRuns(const CArchivRecordList& records, std::span<std::vector<std::uint32_t>> lists, const CStageWalk& walk,
              Observe observe, Walked walked, First first, Later later)
{
    if (!walk.append)
        for (auto& list : lists)
            list.clear();
    const std::size_t n = lists.size();
    const std::int64_t origin = walk.origin.GetTime();
    bool atFirst = true;
    bool started = false;
    std::uint32_t word = 0;
    std::vector<bool> broken(n, false);
    std::optional<std::uint32_t> lastTime;
    for (const CArchivRecord& r : records) {
        observe(r);
        const bool error = r.type == kRecordError || r.type == kRecordBlockMarker;
        if (std::int64_t(r.time) < origin || !(error || walked(r)))
            continue;
        const std::uint32_t seconds = std::uint32_t(std::int64_t(r.time) - origin);
        if (atFirst && error) {
            for (std::size_t k = 0; k < n; ++k) {
                auto& list = lists[k];
                std::uint32_t at = seconds;
                if (!list.empty())
                    at = list.back() & kTimeBits;
                else if (k < walk.previous.size() && !walk.previous[k].empty())
                    at = (walk.previous[k].back() & kTimeBits) + 1;
                list.push_back(Entry(false, at));
            }
        }
        atFirst = false;
        lastTime = seconds;
        if (!started) {
            const std::optional<std::uint32_t> bits = error ? std::nullopt : first(r);
            if (!bits)
                continue;
            started = true;
            word = *bits;
            for (std::size_t k = 0; k < n; ++k)
                lists[k].push_back(Entry(Bit(word, int(k)), seconds));
            continue;
        }
        if (error) {
            for (std::size_t k = 0; k < n; ++k) {
                auto& list = lists[k];
                if (!list.empty() && IsOn(list.back())) {
                    list.push_back(Entry(false, seconds));
                    broken[k] = true;
                }
            }
            continue;
        }
        const std::optional<std::uint32_t> bits = later(r);
        const bool anyBroken = std::find(broken.begin(), broken.end(), true) != broken.end();
        if (!bits && !anyBroken)
            continue;
        if (bits)
            word = *bits;
        for (std::size_t k = 0; k < n; ++k) {
            auto& list = lists[k];
            const bool on = Bit(word, int(k));
            if (broken[k] || list.empty() || IsOn(list.back()) != on) {
                list.push_back(Entry(on, seconds));
                broken[k] = false;
            }
        }
    }
    if (!lastTime)
        return;
    for (auto& list : lists)
        if (!list.empty())
            list.push_back(Entry(IsOn(list.back()), *lastTime));
}

// The controllers: the stage word of the first full record, then of the
// changed-fields records that carry it (later full records repeat what the
// changes said).
template <class Traits>
void WalkStages(const CArchivRecordList& records, std::span<std::vector<std::uint32_t>> lists, const CStageWalk& walk,
                int maskFromEnd, int maskBytes, int stageBit)
{
    StageDecoder<Traits> decoder;
    WalkRuns(
        records, lists.first(std::min<std::size_t>(lists.size(), kStageCount)), walk, [](const CArchivRecord&) {},
        [](const CArchivRecord& r) { return r.type == kRecordFull || r.type == kRecordChanged; },
        [&decoder](const CArchivRecord& r) -> std::optional<std::uint32_t> {
            if (r.type != kRecordFull)
                return std::nullopt;
            return decoder.Full(r);
        },
        [&](const CArchivRecord& r) -> std::optional<std::uint32_t> {
            if (r.type != kRecordChanged)
                return std::nullopt;
            return decoder.Changed(r, maskFromEnd, maskBytes, stageBit);
        });
}

} // namespace

void ExtractQorinStages(const CArchivRecordList& records, std::span<std::vector<std::uint32_t>> lists,
                        const CStageWalk& walk)
{
    constexpr int kStageField = 19;
    WalkStages<QorinArchivTraits>(records, lists, walk, 4, 4, kStageField);
}

void ExtractDuskarStages(const CArchivRecordList& records, std::span<std::vector<std::uint32_t>> lists,
                         const CStageWalk& walk)
{
    constexpr int kStageBitOfSecondMask = 8;
    WalkStages<DuskarArchivTraits>(records, lists, walk, 2, 2, kStageBitOfSecondMask);
}

void ExtractVKTOutputs(const CArchivRecordList& records, std::span<std::vector<std::uint32_t>> lists,
                       const CStageWalk& walk)
{
    // A changed-fields record begins with the mask of its header fields.
    constexpr int kRelayField = 3;
    constexpr int kStatusAField = 4;
    CVKTRecordDecoder decoder;
    const auto decode = [&decoder](const CArchivRecord& r) -> std::optional<std::uint32_t> {
        if (!decoder.Decode(r))
            return std::nullopt;
        const auto head = r.data.isEmpty() ? 0U : std::uint32_t(BYTE(r.data[0]));
        if (r.type == kRecordChanged && !Bit(head, kRelayField) && !Bit(head, kStatusAField))
            return std::nullopt;
        const CAktData& v = decoder.Values();
        const std::uint32_t relay = v.HasRelayState() ? v.GetRelayState() & 1U : 0U;
        return std::uint32_t(v.GetStatusA()) | relay << 8;
    };
    WalkRuns(
        records, lists.first(std::min<std::size_t>(lists.size(), kOutputCount)), walk,
        [&decoder](const CArchivRecord& r) { decoder.Observe(r); },
        [](const CArchivRecord& r) { return r.IsData(); }, decode, decode);
}

bool ExtractFamilyStages(int kind, const CArchivRecordList& records, CStageLists& lists, const CStageWalk& walk)
{
    switch (kind) {
    case kFamilyQorin:
        ExtractQorinStages(records, lists, walk);
        return true;
    case kFamilyDuskar:
        ExtractDuskarStages(records, lists, walk);
        return true;
    case kFamilyVKT:
        ExtractVKTOutputs(records, lists, walk);
        return true;
    default:
        return false;
    }
}

} // namespace archive
