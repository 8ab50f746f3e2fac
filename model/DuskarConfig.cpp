#include "model/DuskarConfig.h"

#include <algorithm>
#include <cmath>

QORIN_IMPLEMENT_SERIAL(CDuskarConfig, &CPrevodTyp::classCPrevodTyp, 1)

namespace {

constexpr int kSignalBits[CDuskarConfig::kAlarmCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
// Alarms 1, 8 and 10 have no action; their bits are always set.
constexpr int kActionBits[CDuskarConfig::kAlarmActionCount] = {0, 2, 3, 4, 5, 6, 7, 9, 11, 12};
constexpr WORD kNoActionBits = 0x0502;

constexpr BYTE kAutoDetectionOn = 0x04;
constexpr BYTE kAutoDetectionAuto = 0x20;

constexpr float kThdLimitMin = 2.0f;
constexpr float kThdLimitMax = 200.0f;

// One step along the THD-limit scale: by 0.5 % below the middle, by 2.5 %
// above it; FALSE at either end.
BOOL StepThd(float& value, double lowEnd, double middle, double highEnd, float step)
{
    if (value < lowEnd) {
        value = kThdLimitMin;
        return FALSE;
    }
    if (value < middle)
        value += step;
    else if (value < highEnd)
        value += step * 5;
    else {
        value = kThdLimitMax;
        return FALSE;
    }
    return TRUE;
}

// Float to int with the fraction dropped; callers keep the value in range.
int Trunc(double v)
{
    return int(std::trunc(v));
}

} // namespace

void CDuskarConfig::FromRaw(const BYTE* image)
{
    CommonFromRaw(image);
    mode = image[0];
    duskarTarif1.FromRaw(image + 2);
    duskarTarif2.FromRaw(image + 7);
    thyristorSection = image[19];
    thyristorSpeed = image[53];
    temperatureOutputs = image[58];
    vtCode = image[59];
    nominalVoltageCode = image[60];
    switchTemperature[0] = static_cast<signed char>(image[61]);
    switchTemperature[1] = static_cast<signed char>(image[62]);
    voltageLimit[0] = image[63];
    voltageLimit[1] = image[64];
    thdLimitCode[0] = image[65];
    thdLimitCode[1] = image[66];
    chlLimitCode = image[67];
    overheatingLimit = image[68];
    switchCountLimit = image[69];
    temperatureUnit = image[70];
    mainsFrequency = image[71];
    byteD7 = image[72];
    byteD8 = image[73];
    byteI = image[74];
    byteJ = image[75];
    evaluationWindows = image[76];
    wordK = GetWord(image + 78);
}

void CDuskarConfig::ToRaw(BYTE* image) const
{
    CommonToRaw(image);
    image[0] = mode;
    duskarTarif1.ToRaw(image + 2);
    duskarTarif2.ToRaw(image + 7);
    image[19] = thyristorSection;
    image[53] = thyristorSpeed;
    image[58] = temperatureOutputs;
    image[59] = vtCode;
    image[60] = nominalVoltageCode;
    image[61] = BYTE(switchTemperature[0]);
    image[62] = BYTE(switchTemperature[1]);
    image[63] = voltageLimit[0];
    image[64] = voltageLimit[1];
    image[65] = thdLimitCode[0];
    image[66] = thdLimitCode[1];
    image[67] = chlLimitCode;
    image[68] = overheatingLimit;
    image[69] = switchCountLimit;
    image[70] = temperatureUnit;
    image[71] = mainsFrequency;
    image[72] = byteD7;
    image[73] = byteD8;
    image[74] = byteI;
    image[75] = byteJ;
    image[76] = evaluationWindows;
    PutWord(image + 78, wordK);
}

void CDuskarConfig::Serialize(SerialArchive& ar)
{
    BYTE format = kFormat;
    Exchange(ar, format);
    if (ar.IsLoading()) {
        if (format != kFormat)
            ar.Fail(platform::ArchiveError::BadClass, "unknown format of the Duskar configuration");
        ar.ReadObjectInto(duskarTarif1);
        ar.ReadObjectInto(duskarTarif2);
        mode = 0;
    } else {
        ar.WriteObject(&duskarTarif1);
        ar.WriteObject(&duskarTarif2);
    }
    Exchange(ar, ctRatio, reclosingBlock, voltageConnection, switchingProgram, ck, capacitorCount);
    SerializeStages(ar);
    Exchange(ar, reactorLimit, alarmSignal, alarmAction);
    Exchange(ar, switchCountLimit, byteI, byteJ, wordK);
    Exchange(ar, temperatureOutputs, vtCode, nominalVoltageCode, thyristorSection);
    // The overheating limit goes with each round; the second copy is the one kept.
    for (int i = 0; i < 2; ++i)
        Exchange(ar, switchTemperature[i], voltageLimit[i], thdLimitCode[i], overheatingLimit);
    Exchange(ar, chlLimitCode, temperatureUnit, mainsFrequency, thyristorSpeed, byteD7, byteD8, evaluationWindows);
}

void CDuskarConfig::GetAlarmSignalFlags(BOOL* flags) const
{
    GetInvertedBits(alarmSignal, kSignalBits, kAlarmCount, flags);
}

void CDuskarConfig::SetAlarmSignalFlags(const BOOL* flags)
{
    alarmSignal = BuildInvertedBits(0, kSignalBits, kAlarmCount, flags);
}

void CDuskarConfig::GetAlarmActionFlags(BOOL* flags) const
{
    GetInvertedBits(alarmAction, kActionBits, kAlarmActionCount, flags);
}

void CDuskarConfig::SetAlarmActionFlags(const BOOL* flags)
{
    alarmAction = BuildInvertedBits(kNoActionBits, kActionBits, kAlarmActionCount, flags);
}

void CDuskarConfig::GetVoltageConnection(int& type, int& lineToNeutral) const
{
    lineToNeutral = (voltageConnection >> 3) & 1;
    type = voltageConnection & 7;
    if (type == 7)
        type = 0;
}

void CDuskarConfig::SetVoltageConnection(int type, int lineToNeutral)
{
    // A type outside the list would spill into the flag and the carried high nibble.
    type = std::clamp(type, 0, 6);
    voltageConnection = BYTE((lineToNeutral ? 8 : 0) + (voltageConnection & 0xF0) + type);
}

int CDuskarConfig::GetCtRatio() const
{
    return int(DecodeCtRatio(ctRatio));
}

int CDuskarConfig::GetVtRatio() const
{
    return int(DecodeVtRatio(vtCode));
}

void CDuskarConfig::SetVtRatio(int ratio)
{
    if (ratio <= 1 || ratio > 5000)
        vtCode = 0;
    else if (ratio <= 1000)
        vtCode = BYTE(ratio / 10);
    else
        vtCode = BYTE(100 + (ratio - 1000) / 100);
}

BOOL CDuskarConfig::StepVtRatioUp(int& ratio)
{
    if (ratio < 1) {
        ratio = 1;
        return FALSE;
    }
    if (ratio == 1)
        ratio = 10;
    else if (ratio < 1000)
        ratio += 10;
    else if (ratio == 1000)
        ratio = 1100;
    else if (ratio >= 5000) {
        ratio = 5000;
        return FALSE;
    } else
        ratio += 100;
    return TRUE;
}

BOOL CDuskarConfig::StepVtRatioDown(int& ratio)
{
    if (ratio < 19) {
        ratio = 1;
        return FALSE;
    }
    if (ratio <= 1000)
        ratio -= 10;
    else if (ratio <= 1100)
        ratio = 1000;
    else if (ratio > 5000) {
        ratio = 5000;
        return FALSE;
    } else
        ratio -= 100;
    return TRUE;
}

int CDuskarConfig::GetNominalVoltage() const
{
    const int code = nominalVoltageCode;
    if (code < 10)
        return 50;
    if (code == 10)
        return 55;
    if (code == 11)
        return 58;
    if (code <= 150)
        return code * 5;
    return 750;
}

void CDuskarConfig::SetNominalVoltage(int volts)
{
    if (volts < 53)
        nominalVoltageCode = 9;
    else if (volts < 57)
        nominalVoltageCode = 10;
    else if (volts < 59)
        nominalVoltageCode = 11;
    else if (volts < 752)
        nominalVoltageCode = BYTE((volts + 3) / 5);
    else
        nominalVoltageCode = 150;
}

BOOL CDuskarConfig::SnapNominalVoltage(int& volts, int factor)
{
    const int k = std::max(factor, 1);
    BOOL ok = TRUE;
    if (volts < 48 * k) {
        volts = 50 * k;
        ok = FALSE;
    } else if (volts < 53 * k)
        volts = 50 * k;
    else if (volts < 57 * k)
        volts = 55 * k;
    else if (volts < 59 * k)
        volts = 58 * k;
    else if (volts >= 753 * k) {
        volts = 750 * k;
        ok = FALSE;
    } else
        volts = (volts + 3 * k) / 5 / k * 5 * k;
    return ok;
}

BOOL CDuskarConfig::StepNominalVoltageUp(int& volts, int factor)
{
    const int k = std::max(factor, 1);
    BOOL ok = TRUE;
    if (volts < 48 * k) {
        volts = 50 * k;
        ok = FALSE;
    } else if (volts < 53 * k)
        volts = 55 * k;
    else if (volts < 57 * k)
        volts = 58 * k;
    else if (volts < 59 * k)
        volts = 60 * k;
    else if (volts < 748 * k)
        volts = ((volts + 3 * k) / 5 / k + 1) * 5 * k;
    else {
        volts = 750 * k;
        ok = FALSE;
    }
    return ok;
}

BOOL CDuskarConfig::StepNominalVoltageDown(int& volts, int factor)
{
    const int k = std::max(factor, 1);
    BOOL ok = TRUE;
    if (volts < 53 * k) {
        volts = 50 * k;
        ok = FALSE;
    } else if (volts < 56 * k) // from 55 the step goes to 50, not back to 55
        volts = 50 * k;
    else if (volts < 59 * k)
        volts = 55 * k;
    else if (volts < 63 * k)
        volts = 58 * k;
    else if (volts < 753 * k)
        volts = ((volts + 3 * k) / 5 / k - 1) * 5 * k;
    else {
        volts = 750 * k;
        ok = FALSE;
    }
    return ok;
}

float CDuskarConfig::GetThdLimit(int index) const
{
    const int code = thdLimitCode[index == 0 ? 0 : 1];
    if (code <= 100)
        return std::max(code * 0.5f, kThdLimitMin);
    if (code <= 200)
        return std::min(50 + (code - 100) * 2.5f, kThdLimitMax);
    return kThdLimitMax;
}

void CDuskarConfig::SetThdLimit(float value, int index)
{
    BYTE& code = thdLimitCode[index == 0 ? 0 : 1];
    if (value < 50.3)
        code = BYTE(std::max(Trunc(std::max(value * 2 + 0.5, 0.0)), 4));
    else if (value < 200.5)
        code = BYTE(Trunc((value - 50) * 0.4 + 100.5));
    else
        code = 160;
}

BOOL CDuskarConfig::StepThdLimitUp(float& value)
{
    return StepThd(value, 1.8, 49.7, 198.8, 0.5f);
}

BOOL CDuskarConfig::StepThdLimitDown(float& value)
{
    return StepThd(value, 2.3, 50.3, 200.5, -0.5f);
}

BOOL CDuskarConfig::SnapThdLimit(float& value)
{
    if (value < 1.8) {
        value = kThdLimitMin;
        return FALSE;
    }
    if (value < 50.5)
        value = float(Trunc(value * 2 + 0.5) / 2.0);
    else if (value < 201.25)
        value = float(50 + 2.5 * Trunc((value - 50) * 0.4 + 0.5));
    else {
        value = kThdLimitMax;
        return FALSE;
    }
    return TRUE;
}

int CDuskarConfig::GetChlLimit() const
{
    const int code = chlLimitCode;
    if (code < 80)
        return 80;
    if (code <= 150)
        return code;
    if (code <= 200)
        return std::min((code - 120) * 5, 180);
    return 180;
}

void CDuskarConfig::SetChlLimit(int value)
{
    if (value < 150)
        chlLimitCode = BYTE(std::max(value, 0));
    else if (value < 182)
        chlLimitCode = BYTE(150 + (value - 148) / 5);
    else
        chlLimitCode = 156;
}

BOOL CDuskarConfig::StepChlLimitUp(int& value)
{
    if (value < 80) {
        value = 80;
        return FALSE;
    }
    if (value < 150)
        value += 1;
    else if (value <= 154)
        value = 155;
    else if (value >= 178) {
        value = 180;
        return FALSE;
    } else
        value += 5;
    return TRUE;
}

BOOL CDuskarConfig::StepChlLimitDown(int& value)
{
    if (value <= 80) {
        value = 80;
        return FALSE;
    }
    if (value <= 150)
        value -= 1;
    else if (value <= 154)
        value = 150;
    else if (value >= 185) {
        value = 180;
        return FALSE;
    } else
        value -= 5;
    return TRUE;
}

BOOL CDuskarConfig::SnapChlLimit(int& value)
{
    if (value < 80) {
        value = 80;
        return FALSE;
    }
    if (value <= 150)
        return TRUE;
    if (value <= 181) {
        value = (value + 2) / 5 * 5;
        return TRUE;
    }
    value = 180;
    return FALSE;
}

int CDuskarConfig::GetAutoStageDetection() const
{
    if (!(mode & kAutoDetectionOn))
        return 0;
    return (mode & kAutoDetectionAuto) ? 2 : 1;
}

void CDuskarConfig::SetAutoStageDetection(int detection)
{
    mode = BYTE(mode & ~(kAutoDetectionOn | kAutoDetectionAuto));
    if (detection != 0)
        mode = BYTE(mode | kAutoDetectionOn);
    if (detection == 2)
        mode = BYTE(mode | kAutoDetectionAuto);
}
