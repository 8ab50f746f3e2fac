#include "model/QorinConfig.h"

#include <algorithm>
#include <cmath>

QORIN_IMPLEMENT_SERIAL(CConfig, &CPrevodTyp::classCPrevodTyp, 1)

namespace {

constexpr int kSignalBits[CConfig::kAlarmCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
// Alarms 1, 2 and 5 have no action; their bits are always set.
constexpr int kActionBits[CConfig::kAlarmActionCount] = {0, 3, 4, 6, 7, 8};
constexpr WORD kNoActionBits = 0x0026;

void GetMaskBits(WORD word, BOOL* flags)
{
    for (int i = 0; i < CConfig::kStageCount; ++i)
        flags[i] = (word >> i) & 1;
}

void SetMaskBits(WORD& word, const BOOL* flags)
{
    for (int i = 0; i < CConfig::kStageCount; ++i) {
        if (flags[i])
            word = WORD(word | (1u << i));
        else
            word = WORD(word & ~(1u << i));
    }
}

// value * 4000 truncated toward zero, low 16 bits. The product is taken in
// single precision so that a word read by GetStageCurrents comes back unchanged.
short StageWord(float value)
{
    const float scaled = std::trunc(value * 4000.0f);
    if (!std::isfinite(scaled))
        return CConfig::kStageNotSet;
    double low = std::fmod(double(scaled), 65536.0);
    if (low < 0)
        low += 65536.0;
    return short(WORD(low));
}

} // namespace

void CConfig::CommonFromRaw(const BYTE* image)
{
    ctRatio = GetWord(image + 12);
    reclosingBlock = image[14];
    voltageConnection = image[15];
    switchingProgram = image[16];
    ck = image[17];
    capacitorCount = image[18];
    for (int i = 0; i < kStageCount; ++i)
        stageCurrents[i] = short(GetWord(image + 20 + 2 * i));
    regulatedStages = GetWord(image + 48);
    switchedOffStages = GetWord(image + 50);
    reactorLimit = static_cast<signed char>(image[52]);
    alarmSignal = GetWord(image + 54);
    alarmAction = GetWord(image + 56);
}

void CConfig::CommonToRaw(BYTE* image) const
{
    PutWord(image + 12, ctRatio);
    image[14] = reclosingBlock;
    image[15] = voltageConnection;
    image[16] = switchingProgram;
    image[17] = ck;
    image[18] = capacitorCount;
    for (int i = 0; i < kStageCount; ++i)
        PutWord(image + 20 + 2 * i, WORD(stageCurrents[i]));
    PutWord(image + 48, regulatedStages);
    PutWord(image + 50, switchedOffStages);
    image[52] = BYTE(reactorLimit);
    PutWord(image + 54, alarmSignal);
    PutWord(image + 56, alarmAction);
}

void CConfig::FromRaw(const BYTE* image)
{
    CommonFromRaw(image);
    mode = image[0];
    byteA = image[1];
    tarif1.FromRaw(image + 2);
    tarif2.FromRaw(image + 7);
    transistorSection = image[19];
    transistorSpeed = image[53];
    thdLimit = image[58];
    switchCountLimit = image[59];
    byteG = image[60];
    byteH = image[61];
    byteI = image[62];
    byteJ = image[63];
    wordK = GetWord(image + 64);
}

void CConfig::ToRaw(BYTE* image) const
{
    CommonToRaw(image);
    image[0] = mode;
    image[1] = byteA;
    tarif1.ToRaw(image + 2);
    tarif2.ToRaw(image + 7);
    image[19] = transistorSection;
    image[53] = transistorSpeed;
    image[58] = thdLimit;
    image[59] = switchCountLimit;
    image[60] = byteG;
    image[61] = byteH;
    image[62] = byteI;
    image[63] = byteJ;
    PutWord(image + 64, wordK);
}

void CConfig::SerializeStages(SerialArchive& ar)
{
    for (short& current : stageCurrents)
        Exchange(ar, current);
    Exchange(ar, regulatedStages, switchedOffStages);
}

void CConfig::Serialize(SerialArchive& ar)
{
    Exchange(ar, byteA);
    if (ar.IsLoading()) {
        ar.ReadObjectInto(tarif1);
        ar.ReadObjectInto(tarif2);
        mode = 0;
    } else {
        ar.WriteObject(&tarif1);
        ar.WriteObject(&tarif2);
    }
    Exchange(ar, ctRatio, reclosingBlock, voltageConnection, switchingProgram, ck, capacitorCount, transistorSection);
    SerializeStages(ar);
    Exchange(ar, reactorLimit, transistorSpeed, alarmSignal, alarmAction);
    Exchange(ar, thdLimit, switchCountLimit, byteG, byteH, byteI, byteJ, wordK);
}

int CConfig::GetCtPrimaryCurrent() const
{
    return (ctRatio & 0x7FFF) * 5;
}

int CConfig::GetCtSecondaryCurrent() const
{
    return (ctRatio & 0x8000) ? 5 : 1;
}

void CConfig::SetCtRatio(int primary, int secondary)
{
    WORD code;
    if (primary < 0)
        code = 0;
    else if (primary > 49750)
        code = 9950;
    else
        code = WORD(primary / 5);
    ctRatio = secondary == 1 ? code : WORD(code | 0x8000);
}

int CConfig::GetVoltageConnection() const
{
    const int c = voltageConnection & 7;
    if (c == 0 || c == 7)
        return 0;
    return (voltageConnection & 8) ? c + 6 : c;
}

void CConfig::SetVoltageConnection(int type)
{
    // Types outside 0-12 are clamped: the instrument must never receive a
    // code with all low bits set.
    type = std::clamp(type, 0, 12);
    voltageConnection = type > 6 ? BYTE((type - 6) | 8) : BYTE(type);
}

void CConfig::GetStageCurrents(float* currents) const
{
    for (int i = 0; i < kStageCount; ++i)
        currents[i] = float(stageCurrents[i]) * 0.00025f;
}

void CConfig::SetStageCurrents(const float* currents)
{
    for (int i = 0; i < kStageCount; ++i)
        stageCurrents[i] = StageWord(currents[i]);
}

void CConfig::GetStageFlagsA(BOOL* flags) const
{
    GetMaskBits(regulatedStages, flags);
}

void CConfig::SetStageFlagsA(const BOOL* flags)
{
    SetMaskBits(regulatedStages, flags);
}

void CConfig::GetStageFlagsB(BOOL* flags) const
{
    GetMaskBits(switchedOffStages, flags);
}

void CConfig::SetStageFlagsB(const BOOL* flags)
{
    SetMaskBits(switchedOffStages, flags);
}

float CConfig::GetCk() const
{
    return std::clamp(ck * 0.01f, 0.01f, 2.0f);
}

void CConfig::SetCk(float value)
{
    const float code = value * 100.0f + 0.5f;
    // Out-of-range input would not fit the byte; keep it at the byte's ends.
    ck = code >= 255.0f ? BYTE(255) : code > 0.0f ? BYTE(code) : BYTE(0);
}

int CConfig::GetCapacitorCount() const
{
    return capacitorCount & 0x0F;
}

int CConfig::GetCapacitorCountHigh() const
{
    return capacitorCount >> 4;
}

void CConfig::SetCapacitorCount(int low, int high)
{
    capacitorCount = BYTE(((high & 0x0F) << 4) | (low & 0x0F));
}

void CConfig::GetInvertedBits(WORD word, const int* bits, int count, BOOL* flags)
{
    for (int i = 0; i < count; ++i)
        flags[i] = ((word >> bits[i]) & 1) ? FALSE : TRUE;
}

WORD CConfig::BuildInvertedBits(WORD fixed, const int* bits, int count, const BOOL* flags)
{
    WORD word = fixed;
    for (int i = 0; i < count; ++i) {
        if (!flags[i])
            word = WORD(word | (1u << bits[i]));
    }
    return word;
}

void CConfig::GetAlarmSignalFlags(BOOL* flags) const
{
    GetInvertedBits(alarmSignal, kSignalBits, kAlarmCount, flags);
}

void CConfig::SetAlarmSignalFlags(const BOOL* flags)
{
    alarmSignal = BuildInvertedBits(0, kSignalBits, kAlarmCount, flags);
}

void CConfig::GetAlarmActionFlags(BOOL* flags) const
{
    GetInvertedBits(alarmAction, kActionBits, kAlarmActionCount, flags);
}

void CConfig::SetAlarmActionFlags(const BOOL* flags)
{
    alarmAction = BuildInvertedBits(kNoActionBits, kActionBits, kAlarmActionCount, flags);
}

int CConfig::GetTransistorStageCount() const
{
    return transistorSection & 0x0F;
}

void CConfig::SetTransistorStageCount(int n)
{
    transistorSection = BYTE((transistorSection & 0xF0) | (n & 0x0F));
}
