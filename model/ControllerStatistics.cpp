#include "model/ControllerStatistics.h"

#include "model/QorinAktData.h"

void CStageSwitchState::FromRaw(const BYTE* image)
{
    byte0 = image[0];
    for (int i = 0; i < kStageCount; ++i)
        countLow[i] = image[1 + i];
    flags = GetWord(image + 15);
    word17 = GetWord(image + 17);
    word19 = GetWord(image + 19);
    byte21 = image[21];
    alarm0 = GetWord(image + 22);
    alarm1 = GetWord(image + 24);
    word26 = GetWord(image + 26);
    version = GetWord(image + 28);
    word30 = GetWord(image + 30);
    model = GetWord(image + 32);
}

BOOL CStageSwitchState::HasStageTimeCounters() const
{
    return model > 15 || CQorinAktData::HasStageTimeCounters(model, version);
}

namespace {

// Where each field of the block lies, from the end of the head.
struct BlockLayout {
    int b1, b2, b10, b3, b4, switchCounts, w1, onTimes;
};
constexpr BlockLayout kQorinLayout = {2, 3, 4, 5, 6, 12, 40, 42};
constexpr BlockLayout kDuskarLayout = {17, 14, 2, 15, 5, 52, 108, 80};

void FromBlock(CStageSwitchStats& s, const BYTE* block, const BlockLayout& layout, bool hasOnTimes)
{
    s.W0 = CPrevodTyp::GetWord(block);
    s.B1 = block[layout.b1];
    s.B2 = block[layout.b2];
    s.B10 = block[layout.b10];
    s.B3 = block[layout.b3];
    for (int i = 0; i < 6; ++i)
        s.B4_9[i] = block[layout.b4 + i];
    s.W1 = CPrevodTyp::GetWord(block + layout.w1);
    for (int i = 0; i < CStageSwitchStats::kStageCount; ++i) {
        s.switchCounts[i] = CPrevodTyp::GetWord(block + layout.switchCounts + 2 * i);
        s.onTimes[i] = hasOnTimes ? CPrevodTyp::GetWord(block + layout.onTimes + 2 * i) : WORD(0);
    }
}

} // namespace

void CStageSwitchStats::FromRawQorin(const BYTE* block, const CStageSwitchState& head)
{
    // Older firmware sends no on-times.
    FromBlock(*this, block, kQorinLayout, head.GetVersionByte() > 31);
}

void CStageSwitchStats::FromRawDuskar(const BYTE* block, const CStageSwitchState&)
{
    FromBlock(*this, block, kDuskarLayout, true);
}

int CStageSwitchStats::GetSwitchCount(int stage, const CStageSwitchState& head) const
{
    if (stage < 0 || stage >= kStageCount)
        return 0;
    return switchCounts[stage] * 64 + head.countLow[stage];
}

int CStageSwitchStats::GetOnTimeHours(int stage) const
{
    if (stage < 0 || stage >= kStageCount)
        return 0;
    return onTimes[stage] * 2;
}
