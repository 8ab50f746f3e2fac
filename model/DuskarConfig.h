#pragma once

#include "model/DuskarTarif.h"
#include "model/QorinConfig.h"

// Configuration block of the Duskar controller (80-byte image). It shares the
// Qorin fields at the same image offsets; the Qorin fields that this image
// does not carry (byteA, byteG, byteH, transistorSection, transistorSpeed,
// thdLimit and the Qorin tariffs) stay in the record untouched. Its run-time
// class names CPrevodTyp as its base, so files never take it for a CConfig.
class CDuskarConfig : public CConfig {
    QORIN_DECLARE_SERIAL(CDuskarConfig)
public:
    static constexpr int kImageSize = 80;
    static constexpr int kAlarmCount = 13;
    static constexpr int kAlarmActionCount = 10;
    // Leading byte of the stored record.
    static constexpr BYTE kFormat = 1;

    CDuskarConfig() = default;
    CDuskarConfig(const CDuskarConfig&) = default;
    CDuskarConfig& operator=(const CDuskarConfig&) = default;
    ~CDuskarConfig() override = default;

    void FromRaw(const BYTE* image);
    // Image bytes 1 and 77 stay as the caller prepared them.
    void ToRaw(BYTE* image) const;
    // Throws platform::ArchiveError (BadClass) on an unknown format byte.
    void Serialize(SerialArchive& ar) override;

    // 13 alarms; TRUE = signalled.
    void GetAlarmSignalFlags(BOOL* flags) const;
    void SetAlarmSignalFlags(const BOOL* flags);
    // TRUE = the action of alarms 0, 2-7, 9, 11 and 12 is on.
    void GetAlarmActionFlags(BOOL* flags) const;
    void SetAlarmActionFlags(const BOOL* flags);

    // type 0 (not set) to 6; lineToNeutral 0 ("LL") or 1 ("LN").
    void GetVoltageConnection(int& type, int& lineToNeutral) const;
    void SetVoltageConnection(int type, int lineToNeutral);

    int GetCtRatio() const;

    // Voltage transformer: 1, 10-1000 by 10, 1100-5000 by 100.
    int GetVtRatio() const;
    void SetVtRatio(int ratio);
    static BOOL StepVtRatioUp(int& ratio);
    static BOOL StepVtRatioDown(int& ratio);

    // Nominal voltage in V on the secondary side: 50, 55, 58, 60-750 by 5.
    // The step and snap forms work on primary volts, factor = the whole
    // transformer ratio.
    int GetNominalVoltage() const;
    void SetNominalVoltage(int volts);
    static BOOL SnapNominalVoltage(int& volts, int factor);
    static BOOL StepNominalVoltageUp(int& volts, int factor);
    static BOOL StepNominalVoltageDown(int& volts, int factor);

    // THD alarm limits in %: 2-50 by 0.5, 50-200 by 2.5. Index 0 voltage, 1 current.
    float GetThdLimit(int index) const;
    void SetThdLimit(float value, int index);
    static BOOL StepThdLimitUp(float& value);
    static BOOL StepThdLimitDown(float& value);
    static BOOL SnapThdLimit(float& value);

    // CHL alarm limit in %: 80-150 by 1, 155-180 by 5.
    int GetChlLimit() const;
    void SetChlLimit(int value);
    static BOOL StepChlLimitUp(int& value);
    static BOOL StepChlLimitDown(int& value);
    static BOOL SnapChlLimit(int& value);

    // 0 off, 1 always, 2 automatic.
    int GetAutoStageDetection() const;
    void SetAutoStageDetection(int mode);

    CDuskarTarif duskarTarif1;       // 2-6
    CDuskarTarif duskarTarif2;       // 7-11
    BYTE thyristorSection = 0;       // 19, D1: low nibble = stages of the thyristor section
    BYTE thyristorSpeed = 0;         // 53, D2: code 0-19
    BYTE temperatureOutputs = 0;     // 58, D3: bits 0-3
    BYTE vtCode = 0;                 // 59
    BYTE nominalVoltageCode = 0;     // 60
    signed char switchTemperature[2] = {}; // 61-62, P0 cooling and P1 heating, °C
    BYTE voltageLimit[2] = {};       // 63-64, Q0 undervoltage and Q1 overvoltage, % of Unom
    BYTE thdLimitCode[2] = {};       // 65-66, voltage and current THD
    BYTE chlLimitCode = 0;           // 67
    BYTE overheatingLimit = 0;       // 68, D4: °C
    // 69 is CConfig::switchCountLimit.
    BYTE temperatureUnit = 0;        // 70, D5: bit 0 Celsius
    BYTE mainsFrequency = 0;         // 71, D6: bit 1 auto, else bit 0 50 Hz, else 60 Hz
    BYTE byteD7 = 0;                 // 72
    BYTE byteD8 = 0;                 // 73
    // 74-75 are CConfig::byteI and byteJ.
    BYTE evaluationWindows = 0;      // 76, D9: low nibble averages, high nibble extremes
    // 78-79 is CConfig::wordK.
};
