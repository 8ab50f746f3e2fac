#pragma once

#include "model/PrevodTyp.h"

#include <array>

// Installation settings of a VKT analyser (35-byte image): transformer ratios
// of the three main inputs and of the fourth input, nominal frequency,
// connection, communication, nominal values and the display.
class CVKTConfig : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKTConfig)
public:
    static constexpr int kImageSize = 35;
    static constexpr WORD kUnset = 0xFFFF;

    // Connection types; a model with index 38 or more has no FourPhase.
    enum { Single = 0, TwoPhase = 1, Star = 2, Delta = 3, Aron = 4, FourPhase = 5 };

    CVKTConfig() = default;
    CVKTConfig(const CVKTConfig&) = default;
    CVKTConfig& operator=(const CVKTConfig&) = default;
    ~CVKTConfig() override = default;

    // The display byte is not part of the stored form; loading keeps it.
    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;

    // Voltage ratio of inputs 1-3; 1.0 when there is no transformer.
    double GetPrimary() const;
    double GetSecondVtRatio() const;
    bool IsVtRatioUnset() const { return m_vtPrimary == kUnset; }
    // Current ratio of inputs 1-3; bit 15 of the word is a 5 A secondary.
    double GetRatio() const;
    // Current ratio of the fourth input; the secondary choice is the main one.
    double GetCt4Ratio() const;
    int GetConnection() const { return m_connection; }
    void SetConnection(int c) { m_connection = BYTE(c); }

    WORD GetVtPrimary() const { return m_vtPrimary; }
    void SetVtPrimary(WORD v) { m_vtPrimary = v; }
    WORD GetVt4() const { return m_vt4; }
    void SetVt4(WORD v) { m_vt4 = v; }
    WORD GetCtPrimary() const { return m_ctPrimary; }
    void SetCtPrimary(WORD v) { m_ctPrimary = v; }
    WORD GetCt4() const { return m_ct4; }
    void SetCt4(WORD v) { m_ct4 = v; }
    WORD GetNominalFrequency() const { return m_frequency; }
    void SetNominalFrequency(WORD v) { m_frequency = v; }
    BYTE GetBusAddress() const { return m_address; }
    void SetBusAddress(BYTE v) { m_address = v; }
    BYTE GetLineSpeed() const { return m_speed; }
    void SetLineSpeed(BYTE v) { m_speed = v; }
    // Bits 0-3 Modbus-RTU parity + 1 (0 = off), bit 5 non-transparent line,
    // bit 6 GPRS, bit 7 modem.
    BYTE GetRemoteOptions() const { return m_remote; }
    void SetRemoteOptions(BYTE v) { m_remote = v; }
    DWORD GetIpAddress() const { return m_ip; }
    void SetIpAddress(DWORD v) { m_ip = v; }
    WORD GetIpPort() const { return m_port; }
    void SetIpPort(WORD v) { m_port = v; }
    // Secondary-side nominal values (V, W).
    float GetNominalVoltage() const { return m_nominalVoltage; }
    void SetNominalVoltage(float v) { m_nominalVoltage = v; }
    float GetNominalPower() const { return m_nominalPower; }
    void SetNominalPower(float v) { m_nominalPower = v; }
    // Bits 0-3 quantity, 4-5 mode (3 reads as 1), 6-7 brightness.
    BYTE GetDisplay() const { return m_display; }
    void SetDisplay(BYTE v) { m_display = v; }
    const std::array<BYTE, 6>& GetReserved() const { return m_reserved; }

private:
    static double CtRatio(WORD primary, bool fiveAmp);

    WORD m_vtPrimary = kUnset;
    WORD m_vt4 = kUnset;
    WORD m_ctPrimary = kUnset;
    WORD m_ct4 = kUnset;
    WORD m_frequency = 50;
    BYTE m_connection = Star;
    BYTE m_address = 0;
    BYTE m_speed = 0;
    BYTE m_remote = 0;
    DWORD m_ip = 0;
    WORD m_port = 0;
    float m_nominalVoltage = 0.0f;
    float m_nominalPower = 0.0f;
    BYTE m_display = 0;
    std::array<BYTE, 6> m_reserved{};
};
