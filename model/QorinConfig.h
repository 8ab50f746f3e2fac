#pragma once

#include "model/PrevodTyp.h"
#include "model/QorinTarif.h"

// Configuration block of the Qorin controller (66-byte image). Fields keep
// host order; comments give the image offset.
class CConfig : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CConfig)
public:
    static constexpr int kImageSize = 66;
    static constexpr int kStageCount = 14;
    static constexpr int kAlarmCount = 9;
    static constexpr int kAlarmActionCount = 6;
    static constexpr short kStageNotSet = 32767;

    CConfig() = default;
    CConfig(const CConfig&) = default;
    CConfig& operator=(const CConfig&) = default;
    ~CConfig() override = default;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;
    // The mode byte is never stored; a loaded configuration has mode 0.
    void Serialize(SerialArchive& ar) override;

    // Current transformer, in A.
    int GetCtPrimaryCurrent() const;
    int GetCtSecondaryCurrent() const;
    void SetCtRatio(int primary, int secondary);

    // Types 0 (not set) and 1-12.
    int GetVoltageConnection() const;
    void SetVoltageConnection(int type);

    // Secondary amperes; 32767 in a word means the stage is not set.
    void GetStageCurrents(float* currents) const;
    void SetStageCurrents(const float* currents);

    // A: stage regulated automatically; B: a fixed stage is held off.
    void GetStageFlagsA(BOOL* flags) const;
    void SetStageFlagsA(const BOOL* flags);
    void GetStageFlagsB(BOOL* flags) const;
    void SetStageFlagsB(const BOOL* flags);

    // C/k in secondary amperes, 0.01-2.00.
    float GetCk() const;
    void SetCk(float value);

    int GetCapacitorCount() const;
    int GetCapacitorCountHigh() const;
    void SetCapacitorCount(int low, int high);

    // TRUE = alarm i is signalled.
    void GetAlarmSignalFlags(BOOL* flags) const;
    void SetAlarmSignalFlags(const BOOL* flags);
    // TRUE = the action of alarms 0, 3, 4, 6, 7 and 8 is on.
    void GetAlarmActionFlags(BOOL* flags) const;
    void SetAlarmActionFlags(const BOOL* flags);

    int GetTransistorStageCount() const;
    void SetTransistorStageCount(int n);

    BYTE mode = 0;              // 0: bit 0 regulating, bit 1 tariff 2 off, bit 2 automatic stage detection, bit 3 locked
    BYTE byteA = 0;             // 1
    CTarif tarif1;              // 2-6
    CTarif tarif2;              // 7-11
    WORD ctRatio = 0;           // 12-13: bits 0-14 primary / 5, bit 15 5 A secondary
    BYTE reclosingBlock = 0;    // 14: code 0-8
    BYTE voltageConnection = 0; // 15
    BYTE switchingProgram = 0;  // 16: 0 none, 1-12
    BYTE ck = 0;                // 17: hundredths of an ampere
    BYTE capacitorCount = 0;    // 18: low nibble
    BYTE transistorSection = 0; // 19: low nibble = stages of the transistor section
    short stageCurrents[kStageCount] = {}; // 20-47: units of 0.00025 A, secondary side
    WORD regulatedStages = 0;   // 48-49
    WORD switchedOffStages = 0; // 50-51
    signed char reactorLimit = 0; // 52: signed hundredths, 127 off
    BYTE transistorSpeed = 0;   // 53: code 0-29
    WORD alarmSignal = 0;       // 54-55: bit set = alarm not signalled
    WORD alarmAction = 0;       // 56-57: bit set = no action
    BYTE thdLimit = 0;          // 58: half percent
    BYTE switchCountLimit = 0;  // 59: tens of thousands of switchings
    BYTE byteG = 0;             // 60
    BYTE byteH = 0;             // 61
    BYTE byteI = 0;             // 62
    BYTE byteJ = 0;             // 63
    WORD wordK = 0;             // 64-65

protected:
    // The Duskar configuration keeps these fields at the same image offsets:
    // 12-18, 20-52 and 54-57.
    void CommonFromRaw(const BYTE* image);
    void CommonToRaw(BYTE* image) const;
    // Stage currents and the two stage flag words, as both families stream them.
    void SerializeStages(SerialArchive& ar);

    // Loads or stores the fields in the order given.
    template <class... T>
    static void Exchange(SerialArchive& ar, T&... fields)
    {
        if (ar.IsLoading())
            (ar >> ... >> fields);
        else
            (ar << ... << fields);
    }

    // Alarm words hold one bit per alarm, set = off.
    static void GetInvertedBits(WORD word, const int* bits, int count, BOOL* flags);
    static WORD BuildInvertedBits(WORD fixed, const int* bits, int count, const BOOL* flags);
};
