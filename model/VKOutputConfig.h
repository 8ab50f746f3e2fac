#pragma once

#include "model/PrevodTyp.h"

// Output configuration of a VK analyser: two relay outputs, two analog
// outputs and two pulse outputs P1, P2. Older firmware has no analog part
// (20-byte image); the program always writes the 30-byte image.
class CVKOutputConfig : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKOutputConfig)
public:
    static constexpr int kLongImageSize = 30;
    static constexpr int kShortImageSize = 20;
    // Firmware versions above this one give the long image.
    static constexpr int kLastShortFirmware = 121;

    CVKOutputConfig() = default;
    CVKOutputConfig(const CVKOutputConfig&) = default;
    CVKOutputConfig& operator=(const CVKOutputConfig&) = default;
    ~CVKOutputConfig() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRawLong(const BYTE* image);
    void FromRawShort(const BYTE* image);
    void ToRaw(BYTE* image) const;

    // Relay blocking time in seconds (0-3600) and its code.
    int GetBlockingTime(int i) const;
    void SetBlockingTime(int i, unsigned seconds);
    static int BlockingCodeToSeconds(BYTE code);
    static BYTE SecondsToBlockingCode(unsigned seconds);

    // Energy kind of pulse output p (1 = P1, otherwise P2): 0 active import,
    // 1 active export, 2 reactive import, 3 reactive export.
    int GetPulseOutputKind(int p) const;
    void SetPulseOutputKind(int p, int kind);
    BOOL GetPulseSending(int p) const;
    void SetPulseSending(int p, BOOL on);
    BOOL GetTimeSyncInput() const { return GetBit(m_pulse, 2); }
    void SetTimeSyncInput(BOOL on) { SetBit(&m_pulse, on, 2); }
    // Pulses per kWh (0.1 steps).
    double GetPulseConstant(int i) const { return ScaledWord(m_pulseConstant, i, 0.1); }
    void SetPulseConstant(int i, double pulses) { SetScaledWord(m_pulseConstant, i, pulses, 10); }

    // Switching limit in percent of the nominal value; an inactive relay
    // reads 100.0.
    void GetRelayLevel(int i, BOOL& active, double& limit) const;
    void SetRelayLevel(int i, BOOL active, double limit);
    // Hysteresis band in percent of the nominal value.
    double GetHysteresis(int i) const { return ScaledWord(m_hysteresis, i, 0.01); }
    void SetHysteresis(int i, double percent) { SetScaledWord(m_hysteresis, i, percent, 100); }
    BOOL GetRelayFlag6(int i) const { return ControlBit(m_relayControl, i, 6); } // 1 switch on, 0 switch off
    void SetRelayFlag6(int i, BOOL on) { SetControlBit(m_relayControl, i, 6, on); }
    BOOL GetRelayAbove(int i) const { return ControlBit(m_relayControl, i, 7); } // 1 above the limit, 0 below
    void SetRelayAbove(int i, BOOL above) { SetControlBit(m_relayControl, i, 7, above); }
    // Controlling quantity 0-10 (U, I, PF, f, T, P, Q, S, cos, THDI, THDU).
    int GetRelayQuantity(int i) const { return Quantity(m_relayControl, i); }
    void SetRelayQuantity(int i, int quantity) { SetQuantity(m_relayControl, i, quantity); }
    int GetRelayPhase(int i) const { return Phase(m_relayControl, i); }
    void SetRelayPhase(int i, int phase) { SetPhase(m_relayControl, i, phase); }

    BOOL GetAnalogActive(int i) const { return ControlBit(m_analogControl, i, 7); }
    void SetAnalogActive(int i, BOOL on) { SetControlBit(m_analogControl, i, 7, on); }
    // Range starts at 4 mA (else 0 mA).
    BOOL GetAnalogFrom4mA(int i) const { return ControlBit(m_analogControl, i, 6); }
    void SetAnalogFrom4mA(int i, BOOL on) { SetControlBit(m_analogControl, i, 6, on); }
    int GetAnalogQuantity(int i) const { return Quantity(m_analogControl, i); }
    void SetAnalogQuantity(int i, int quantity) { SetQuantity(m_analogControl, i, quantity); }
    int GetAnalogPhase(int i) const { return Phase(m_analogControl, i); }
    void SetAnalogPhase(int i, int phase) { SetPhase(m_analogControl, i, phase); }
    // Values at the range start and at 20 mA, percent of the nominal value.
    double GetAnalogStart(int i) const { return ScaledWord(m_analogStart, i, 0.01); }
    void SetAnalogStart(int i, double percent) { SetScaledWord(m_analogStart, i, percent, 100); }
    double GetAnalogEnd(int i) const { return ScaledWord(m_analogEnd, i, 0.01); }
    void SetAnalogEnd(int i, double percent) { SetScaledWord(m_analogEnd, i, percent, 100); }

    BYTE GetPulseByte() const { return m_pulse; }
    void SetPulseByte(BYTE v) { m_pulse = v; }
    BYTE GetRelayControl(int i) const { return Valid(i) ? m_relayControl[i] : 0; }
    BYTE GetAnalogControl(int i) const { return Valid(i) ? m_analogControl[i] : 0; }
    WORD GetRelayLevelWord(int i) const { return Valid(i) ? m_level[i] : WORD(0xFFFF); }
    BYTE GetBlockingCode(int i) const { return Valid(i) ? m_blocking[i] : 0; }

private:
    static bool Valid(int i) { return i == 0 || i == 1; }
    static WORD ScaleToWord(double value, double factor, WORD maximum);
    static BOOL ControlBit(const BYTE* bytes, int i, int bit);
    static void SetControlBit(BYTE* bytes, int i, int bit, BOOL on);
    static double ScaledWord(const WORD* words, int i, double scale);
    static void SetScaledWord(WORD* words, int i, double value, double factor);
    static int Quantity(const BYTE* bytes, int i);
    static void SetQuantity(BYTE* bytes, int i, int quantity);
    static int Phase(const BYTE* bytes, int i);
    static void SetPhase(BYTE* bytes, int i, int phase);

    BYTE m_pulse = 0;
    WORD m_pulseConstant[2] = {}; // R1
    WORD m_level[2] = {};
    WORD m_hysteresis[2] = {}; // R2
    BYTE m_blocking[2] = {};
    BYTE m_relayControl[2] = {};
    BYTE m_analogControl[2] = {};
    WORD m_analogStart[2] = {}; // A1
    WORD m_analogEnd[2] = {}; // A2
    BYTE m_r3[2] = {}; // carried as read
    BYTE m_o1 = 0; // carried as read
};
