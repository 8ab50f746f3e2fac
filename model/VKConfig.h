#pragma once

#include "model/PrevodTyp.h"

// Measuring configuration of a VK analyser: transformer ratios, connection,
// nominal values, the temperature input and the remote line (28-byte image).
class CVKConfig : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKConfig)
public:
    static constexpr int kImageSize = 28;

    // Connection types (bits 4-5 of the installation flags).
    enum { Star = 0, Delta = 1, Aron = 2 };
    // Interface kinds as the identification record reports them.
    enum { InterfaceNone = 0, InterfaceCom = 1, Interface485 = 2, InterfaceCan = 3 };

    CVKConfig() = default;
    CVKConfig(const CVKConfig&) = default;
    CVKConfig& operator=(const CVKConfig&) = default;
    ~CVKConfig() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;

    // 1.0 for a direct connection; primary / secondary otherwise.
    double GetVtRatio() const;
    double GetCtRatio() const { return GetCtRatio(m_ctRatio); }
    // Bits 0-30 are the primary in amperes; bit 31 marks a 5 A secondary.
    static double GetCtRatio(DWORD ratio);

    int GetConnection() const;
    void SetConnection(int c);
    int GetParity() const;
    void SetParity(int v);

    BOOL GetModbus() const { return GetBit(m_flags, 0); }
    void SetModbus(BOOL on) { SetBit(&m_flags, on, 0); }
    BOOL GetModem() const { return GetBit(m_flags, 1); }
    void SetModem(BOOL on) { SetBit(&m_flags, on, 1); }
    BOOL GetDirectVoltage() const { return GetBit(m_flags, 6); }
    void SetDirectVoltage(BOOL on) { SetBit(&m_flags, on, 6); }

    // The CAN interface has its own 16-bit address; the others use the byte.
    int GetBusAddress(int interfaceKind) const;
    void SetBusAddress(int interfaceKind, int address);
    // Line speed of a speed index: kbit/s for CAN, Bd otherwise; 0 when the
    // index is not on the interface's list.
    static int GetLineSpeed(int interfaceKind, int index);

    // Straight line of the 4-20 mA temperature input: degrees = code * slope + offset.
    void GetTemperatureLine(double& slope, double& offset) const;
    // Degrees of a measured temperature code; no value for code 255.
    double GetTemperature(BYTE code) const;

    DWORD GetVtPrimary() const { return m_vtPrimary; }
    void SetVtPrimary(DWORD v) { m_vtPrimary = v; }
    DWORD GetCtRatioDword() const { return m_ctRatio; }
    void SetCtRatioDword(DWORD v) { m_ctRatio = v; }
    WORD GetNominalPower() const { return m_nominalPower; }
    void SetNominalPower(WORD v) { m_nominalPower = v; }
    BYTE GetInstallationFlags() const { return m_flags; }
    void SetInstallationFlags(BYTE v) { m_flags = v; }
    BYTE GetAddressByte() const { return m_address; }
    void SetAddressByte(BYTE v) { m_address = v; }
    BYTE GetSpeedIndex() const { return m_speed; }
    void SetSpeedIndex(BYTE v) { m_speed = v; }
    WORD GetCanAddress() const { return m_canAddress; }
    void SetCanAddress(WORD v) { m_canAddress = v; }
    // VT secondary (100/110/115/120 V) or, for a direct connection, the nominal voltage.
    WORD GetVoltageWord() const { return m_voltage; }
    void SetVoltageWord(WORD v) { m_voltage = v; }
    std::int16_t GetTemperatureAt4mA() const { return m_temp4mA; }
    void SetTemperatureAt4mA(std::int16_t v) { m_temp4mA = v; }
    std::int16_t GetTemperatureAt20mA() const { return m_temp20mA; }
    void SetTemperatureAt20mA(std::int16_t v) { m_temp20mA = v; }

private:
    DWORD m_vtPrimary = 0;
    DWORD m_ctRatio = 0;
    WORD m_nominalPower = 0;
    BYTE m_flags = 0;
    BYTE m_address = 0;
    BYTE m_speed = 0;
    DWORD m_c3 = 0; // carried as read
    WORD m_canAddress = 0;
    WORD m_voltage = 0;
    BYTE m_c5 = 0, m_c6 = 0, m_c7 = 0; // carried as read
    std::int16_t m_temp4mA = 0;
    std::int16_t m_temp20mA = 0;
};
