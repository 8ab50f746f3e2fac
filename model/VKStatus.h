#pragma once

#include "model/PrevodTyp.h"

// Recording status of a VK analyser (52-byte image): what goes into the
// instrument's archive, how often, since when, and how much it holds. It also
// gives the size and column layout of one archive record for the download.
class CVKStatus : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKStatus)
public:
    static constexpr int kImageSize = 52;
    static constexpr int kPeriodCount = 17;
    static constexpr int kLayoutColumns = 171;
    static constexpr int kHarmonicOrders = 24; // orders 2 to 25

    CVKStatus() = default;
    CVKStatus(const CVKStatus&) = default;
    CVKStatus& operator=(const CVKStatus&) = default;
    ~CVKStatus() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;

    // Start of recording; "at once" is a start 60 s from now.
    void GetRecordStartTime(CTime& time, BOOL& atOnce) const;
    void SetRecordStartTime(CTime time, BOOL atOnce);

    int GetRecordPeriodIndex() const;
    void SetRecordPeriodIndex(int index);
    int GetRecordPeriodSeconds() const;
    static int GetPeriodSeconds(int index);

    int GetSamplingMode() const { return (m_sampling >> 1) & 7; }
    void SetSamplingMode(int m);
    BOOL GetCyclic() const { return GetBit(m_sampling, 0); }
    void SetCyclic(BOOL on) { SetBit(&m_sampling, on, 0); }

    // The value choice passed in and out depends on the sampling basis m:
    // a quantity sampled at its own extreme offers only minimum and maximum.
    void GetVoltageRecording(int m, int& phases, int& choice) const;
    void SetVoltageRecording(int m, int phases, int choice);
    void GetCurrentRecording(int m, int& phases, int& choice) const;
    void SetCurrentRecording(int m, int phases, int choice);
    // kind: 0 not recorded, 1 as PF, 2 as cos phi.
    void GetPowerFactorRecording(int m, int& kind, int& choice) const;
    void SetPowerFactorRecording(int m, int kind, int choice);
    void GetFrequencyRecording(BOOL& recorded, int& choice) const;
    void SetFrequencyRecording(BOOL recorded, int choice);
    void GetTemperatureRecording(BOOL& recorded, int& choice) const;
    void SetTemperatureRecording(BOOL recorded, int choice);
    // count: 0-3 phase powers, 4 one three-phase power; kind 0 P, 1 Q, 2 S.
    void GetPowerRecording(int& count, int& kind, BOOL& apart) const;
    void SetPowerRecording(int count, int kind, BOOL apart);

    int GetVoltageHarmonicsMode() const { return HarmonicsMode(28); }
    void SetVoltageHarmonicsMode(int m) { SetHarmonicsMode(28, m); }
    int GetCurrentHarmonicsMode() const { return HarmonicsMode(30); }
    void SetCurrentHarmonicsMode(int m) { SetHarmonicsMode(30, m); }
    // 0 level (selected orders), 1 spectrum (a count of orders).
    BOOL GetRecordMode() const { return (m_harmonics >> 25) & 1; }
    void SetRecordMode(BOOL spectrum);
    int GetRecordedHarmonicsCount() const;
    void SetRecordedHarmonicsCount(int n);
    void GetHarmonicSelection(BOOL* selected) const; // 24 entries
    void SetHarmonicSelection(const BOOL* selected);

    // Bytes of one record of the instrument's archive.
    int GetRecordSize() const;
    // Fills kLayoutColumns flags, 1 for every column a record holds.
    void BuildRecordLayout(DWORD* layout) const;

    CTime GetNewestRecordTime() const;
    CTime GetOldestRecordTime() const;

    BYTE GetErrorState() const { return m_error; }
    void SetErrorState(BYTE v) { m_error = v; }
    BYTE GetSamplingByte() const { return m_sampling; }
    void SetSamplingByte(BYTE v) { m_sampling = v; }
    WORD GetPowerWord() const { return m_power; }
    void SetPowerWord(WORD v) { m_power = v; }
    BYTE GetCurrentByte() const { return m_current; }
    void SetCurrentByte(BYTE v) { m_current = v; }
    BYTE GetVoltageByte() const { return m_voltage; }
    void SetVoltageByte(BYTE v) { m_voltage = v; }
    BYTE GetFrequencyByte() const { return m_frequency; }
    void SetFrequencyByte(BYTE v) { m_frequency = v; }
    BYTE GetTemperatureByte() const { return m_temperature; }
    void SetTemperatureByte(BYTE v) { m_temperature = v; }
    BYTE GetOptionByte() const { return m_option; }
    void SetOptionByte(BYTE v) { m_option = v; }
    DWORD GetCapacity() const { return m_capacity; }
    void SetCapacity(DWORD v) { m_capacity = v; }
    DWORD GetRecordCount() const { return m_count; }
    void SetRecordCount(DWORD v) { m_count = v; }
    DWORD GetNewestPosition() const { return m_position; }
    void SetNewestPosition(DWORD v) { m_position = v; }
    const BYTE* GetNewestImage() const { return m_newest; }
    const BYTE* GetStartImage() const { return m_start; }
    BYTE GetPeriodMinutesBcd() const { return m_periodMinutes; }
    BYTE GetPeriodSecondsBcd() const { return m_periodSeconds; }
    DWORD GetHarmonicsWord() const { return m_harmonics; }
    void SetHarmonicsWord(DWORD v) { m_harmonics = v; }

private:
    void GetPhaseRecording(BYTE byte, int shiftBasis, int m, int& phases, int& choice) const;
    void SetPhaseRecording(BYTE& byte, int shiftBasis, int m, int phases, int choice);
    int HarmonicsMode(int shift) const;
    void SetHarmonicsMode(int shift, int m);
    int HarmonicsCount() const;

    BYTE m_error = 0;
    BYTE m_s1 = 0, m_s2 = 0;
    BYTE m_sampling = 0;
    WORD m_power = 0;
    BYTE m_current = 0;
    BYTE m_s3 = 0, m_s4 = 0, m_s5 = 0;
    BYTE m_voltage = 0;
    BYTE m_frequency = 0;
    BYTE m_temperature = 0;
    BYTE m_option = 0;
    BYTE m_s6 = 0, m_s7 = 0;
    DWORD m_capacity = 0;
    DWORD m_count = 0;
    DWORD m_position = 0;
    BYTE m_newest[6] = {};
    BYTE m_start[6] = {};
    BYTE m_periodMinutes = 0; // BCD
    BYTE m_periodSeconds = 0; // BCD
    WORD m_s10 = 0;
    BYTE m_s11[4] = {}; // S11-S14
    DWORD m_harmonics = 0;
};
