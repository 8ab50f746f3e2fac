#include "model/DuskarAktData.h"

void CDuskarAktData::ApplyNoPowerRule()
{
    if (state & 0xC0)
        cosPhi = kNoCosPhi;
}

void CDuskarAktData::FromRaw(const BYTE* image)
{
    word0 = GetWord(image + 0);
    word1 = GetWord(image + 2);
    model = GetWord(image + 4);
    ctWord = GetWord(image + 6);
    freqCode = image[8];
    current = GetWord(image + 9);
    word18 = GetWord(image + 11);
    activeCurrent = std::int16_t(GetWord(image + 13));
    reactiveCurrent = std::int16_t(GetWord(image + 15));
    word1E = std::int16_t(GetWord(image + 17));
    cosPhi = std::int8_t(image[19]);
    thdUCode = image[20];
    thdICode = image[21];
    for (int i = 0; i < kHarmonicCount; ++i) {
        harmonicU[i] = image[22 + i];
        harmonicI[i] = image[31 + i];
    }
    voltage = std::int16_t(GetWord(image + 40));
    voltageP = std::int16_t(GetWord(image + 42));
    chlCode = image[44];
    missingCurrent = std::int16_t(GetWord(image + 45));
    temperature = std::int8_t(image[47]);
    byte4B = image[48];
    byte45 = image[49];
    vtCode = image[50];
    byte4C = image[51];
    stageMask = GetWord(image + 52);
    byte24 = image[54];
    byte25 = image[55];
    state = image[56];
    flags = image[57];
    byte28 = image[58];
    byte21 = image[59];
    ApplyNoPowerRule();
}

double CDuskarAktData::GetThd(int kind) const
{
    return DecodeDuskarThd(SignalWord(kind), ctWord, kind == kCurrent ? thdICode : thdUCode, kind);
}

double CDuskarAktData::GetHarmonic(int n, int kind) const
{
    if (n < 0 || n >= kHarmonicCount)
        return kNoValue;
    // Code 0 decodes to 0 % whenever the signal is strong enough.
    if (DecodeDuskarThd(SignalWord(kind), ctWord, 0, kind) == kNoValue)
        return kNoValue;
    return DecodeHarmonicCode(kind == kCurrent ? harmonicI[n] : harmonicU[n]);
}
