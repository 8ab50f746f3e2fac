#include "model/QorinAktData.h"

namespace {

// -1.00 as the instrument sends it.
constexpr std::int8_t kCosMinusOne = -100;

} // namespace

void CQorinAktData::ApplyCopyRules()
{
    if (cosPhi == kCosMinusOne)
        cosPhi = 100;
    ApplyNoPowerRule();
}

void CQorinAktData::ApplyNoPowerRule()
{
    if (state & 0xC0)
        cosPhi = kNoCosPhi;
}

void CQorinAktData::FromRaw(const BYTE* image)
{
    word0 = GetWord(image + 0);
    word1 = GetWord(image + 2);
    model = GetWord(image + 4);
    ctWord = GetWord(image + 6);
    byte8 = image[8];
    current = GetWord(image + 9);
    word11 = GetWord(image + 11);
    activeCurrent = std::int16_t(GetWord(image + 13));
    reactiveCurrent = std::int16_t(GetWord(image + 15));
    word17 = GetWord(image + 17);
    cosPhi = std::int8_t(image[19]);
    thdCode = image[20];
    for (int i = 0; i < kHarmonicCount; ++i)
        harmonicCode[i] = image[21 + i];
    byte27 = image[27];
    stageMask = GetWord(image + 28);
    byte30 = image[30];
    byte31 = image[31];
    state = image[32];
    flags = image[33];
    byte34 = image[34];
    ApplyNoPowerRule();
}

void CQorinAktData::SetNoValue()
{
    thdCode = 0xFF;
    current = 0xFFFF;
    activeCurrent = std::int16_t(-1);
    reactiveCurrent = std::int16_t(-1);
    ctWord = 0x8001;
    cosPhi = kNoCosPhi;
    stageMask = 0;
}

BOOL CQorinAktData::HasStageTimeCounters(WORD model, WORD version)
{
    const int firmware = version & 0xFF;
    return (model == 1 || model == 2) ? firmware >= 17 : firmware >= 32;
}

double CQorinAktData::GetHarmonicI(int n) const
{
    if (n < 0 || n >= kHarmonicCount)
        return kNoValue;
    return DecodeHarmonic(current, harmonicCode[n]);
}
