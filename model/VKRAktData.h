#pragma once

#include "model/PrevodTyp.h"

// Measured values of a VKR analyser (90-byte reply). Arrays are indexed by
// phase 0-2; apparent power and power factor are derived by the consumers.
class CVKRAktData : public CPrevodTyp {
public:
    static constexpr int kImageSize = 90;
    static constexpr std::int16_t kNoValue16 = std::int16_t(-32768); // 0x8000

    // Status byte 2.
    enum {
        ConfigError = 0x01,
        EepromChecksumError = 0x02,
        EepromRestored = 0x04,
        FrequencyError = 0x08,
        NoFrequency = 0x80,
    };

    CVKRAktData() { Clear(); }
    CVKRAktData(const CVKRAktData&) = default;
    CVKRAktData& operator=(const CVKRAktData&) = default;
    ~CVKRAktData() override = default;

    void FromRaw(const BYTE* image);
    void Clear();
    // Bits 0 and 1 of status byte 2: the values are not to be used.
    BOOL HasInvalidValues() const { return (m_status2 & (ConfigError | EepromChecksumError)) != 0; }

    float GetUPhase(int k) const { return m_uPhase[k]; }
    void SetUPhase(int k, float v) { m_uPhase[k] = v; }
    float GetI(int k) const { return m_current[k]; }
    void SetI(int k, float v) { m_current[k] = v; }
    // Order U3,1, U1,2, U2,3.
    float GetULine(int k) const { return m_uLine[k]; }
    void SetULine(int k, float v) { m_uLine[k] = v; }
    float GetP(int k) const { return m_p[k]; }
    void SetP(int k, float v) { m_p[k] = v; }
    float GetQ(int k) const { return m_q[k]; }
    void SetQ(int k, float v) { m_q[k] = v; }
    // 0.0001 rad.
    std::int16_t GetAngle(int k) const { return m_angle[k]; }
    void SetAngle(int k, std::int16_t v) { m_angle[k] = v; }
    // 0.01 %.
    std::int16_t GetThdU(int k) const { return m_thdU[k]; }
    void SetThdU(int k, std::int16_t v) { m_thdU[k] = v; }
    std::int16_t GetThdI(int k) const { return m_thdI[k]; }
    void SetThdI(int k, std::int16_t v) { m_thdI[k] = v; }
    // Order THDU1,2, THDU2,3, THDU3,1.
    std::int16_t GetThdULine(int k) const { return m_thdULine[k]; }
    void SetThdULine(int k, std::int16_t v) { m_thdULine[k] = v; }
    // 0.01 degree, 0.01 Hz.
    std::int16_t GetTemperature() const { return m_temperature; }
    void SetTemperature(std::int16_t v) { m_temperature = v; }
    std::int16_t GetFrequency() const { return m_frequency; }
    void SetFrequency(std::int16_t v) { m_frequency = v; }
    BYTE GetChangeCounter() const { return m_status1; }
    void SetChangeCounter(BYTE v) { m_status1 = v; }
    BYTE GetStatus() const { return m_status2; }
    void SetStatus(BYTE v) { m_status2 = v; }

private:
    float m_uPhase[3];
    float m_current[3];
    float m_uLine[3];
    float m_p[3];
    std::int16_t m_angle[3];
    std::int16_t m_thdU[3];
    std::int16_t m_thdI[3];
    std::int16_t m_thdULine[3];
    float m_q[3];
    std::int16_t m_temperature;
    std::int16_t m_frequency;
    BYTE m_status1;
    BYTE m_status2;
};
