#include "archive/store/ArchivStageExtract.h"

#include "archive/store/ArchivSeriesPoints.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"

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

template <class Changed, class Full>
void WalkStages(const CArchivRecordList& records, CStageLists& lists, const CStageWalk& walk, Full full,
                Changed changed)
{
    if (!walk.append)
        for (auto& list : lists)
            list.clear();
    const std::int64_t origin = walk.origin.GetTime();
    bool first = true;
    bool started = false;
    WORD word = 0;
    std::array<bool, kStageCount> broken{};
    std::optional<std::uint32_t> lastTime;
    for (const CArchivRecord& r : records) {
        const bool error = r.type == kRecordError || r.type == kRecordBlockMarker;
        if (std::int64_t(r.time) < origin || !(error || r.type == kRecordFull || r.type == kRecordChanged))
            continue;
        const std::uint32_t seconds = std::uint32_t(std::int64_t(r.time) - origin);
        if (first && error) {
            for (int k = 0; k < kStageCount; ++k) {
                auto& list = lists[std::size_t(k)];
                const std::vector<std::uint32_t>* before = walk.previous ? &(*walk.previous)[std::size_t(k)] : nullptr;
                std::uint32_t at = seconds;
                if (!list.empty())
                    at = list.back() & kTimeBits;
                else if (before && !before->empty())
                    at = (before->back() & kTimeBits) + 1;
                list.push_back(Entry(false, at));
            }
        }
        first = false;
        lastTime = seconds;
        if (!started) {
            if (r.type != kRecordFull)
                continue;
            const std::optional<WORD> stages = full(r);
            if (!stages)
                continue;
            started = true;
            word = *stages;
            for (int k = 0; k < kStageCount; ++k)
                lists[std::size_t(k)].push_back(Entry(Bit(word, k), seconds));
            continue;
        }
        if (error) {
            for (int k = 0; k < kStageCount; ++k) {
                auto& list = lists[std::size_t(k)];
                if (!list.empty() && IsOn(list.back())) {
                    list.push_back(Entry(false, seconds));
                    broken[std::size_t(k)] = true;
                }
            }
            continue;
        }
        if (r.type != kRecordChanged)
            continue; // later full records repeat what the changes said
        const std::optional<WORD> stages = changed(r);
        bool anyBroken = false;
        for (bool b : broken)
            anyBroken = anyBroken || b;
        if (!stages && !anyBroken)
            continue;
        if (stages)
            word = *stages;
        for (int k = 0; k < kStageCount; ++k) {
            auto& list = lists[std::size_t(k)];
            const bool on = Bit(word, k);
            if (broken[std::size_t(k)] || list.empty() || IsOn(list.back()) != on) {
                list.push_back(Entry(on, seconds));
                broken[std::size_t(k)] = false;
            }
        }
    }
    if (!lastTime)
        return;
    for (auto& list : lists)
        if (!list.empty())
            list.push_back(Entry(IsOn(list.back()), *lastTime));
}

} // namespace

void ExtractQorinStages(const CArchivRecordList& records, CStageLists& lists, const CStageWalk& walk)
{
    StageDecoder<QorinArchivTraits> decoder;
    constexpr int kStageField = 19;
    WalkStages(
        records, lists, walk, [&decoder](const CArchivRecord& r) { return decoder.Full(r); },
        [&decoder](const CArchivRecord& r) { return decoder.Changed(r, 4, 4, kStageField); });
}

void ExtractDuskarStages(const CArchivRecordList& records, CStageLists& lists, const CStageWalk& walk)
{
    StageDecoder<DuskarArchivTraits> decoder;
    constexpr int kStageBitOfSecondMask = 8;
    WalkStages(
        records, lists, walk, [&decoder](const CArchivRecord& r) { return decoder.Full(r); },
        [&decoder](const CArchivRecord& r) { return decoder.Changed(r, 2, 2, kStageBitOfSecondMask); });
}

} // namespace archive
