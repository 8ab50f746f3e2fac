#pragma once

#include "model/PrevodTyp.h"

#include <array>

// Settings of the two pulse outputs (P1, P2) and the two relay outputs of a
// VKT analyser (23-byte image). Pulse outputs are numbered 1 and 2 by the mode
// accessors; the relay accessors take the index 0 or 1.
class CVKTOutputConfig : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKTOutputConfig)
public:
    static constexpr int kImageSize = 23;
    // Limit of a relay output that is not active.
    static constexpr DWORD kLimitUnset = 0xFFFFFFFFu;
    static constexpr float kUnsetLimitValue = 100.0f;

    CVKTOutputConfig() = default;
    CVKTOutputConfig(const CVKTOutputConfig&) = default;
    CVKTOutputConfig& operator=(const CVKTOutputConfig&) = default;
    ~CVKTOutputConfig() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;

    // Energy counted by pulse output n (0 active import, 1 active export,
    // 2 reactive import, 3 reactive export); n other than 1 means output 2.
    int GetOutputMode(int n) const;
    // A mode outside 0..3 clears the output's two bits and touches no other.
    void SetOutputMode(int n, int mode);

    void GetLimit(int i, BOOL& set, float& value) const;
    void SetLimit(int i, BOOL set, float value);
    // Switching direction: 0 on below the limit, 1 on above it.
    BOOL GetFlag(int i) const;
    void SetFlag(int i, BOOL on);
    // Controlling quantity 0..12; any other value clears it.
    int GetQuantity(int i) const;
    void SetQuantity(int i, int q);
    // Phase choice 0..6; any other value clears it.
    int GetFunction(int i) const;
    void SetFunction(int i, int f);

    BYTE GetModeByte() const { return m_mode; }
    void SetModeByte(BYTE v) { m_mode = v; }
    BOOL GetSyncInput() const { return GetBit(m_mode, 2); }
    void SetSyncInput(BOOL on) { SetBit(&m_mode, on, 2); }
    // Whether pulse output n (1 or 2) sends pulses.
    BOOL GetSending(int n) const { return GetBit(m_mode, n == 1 ? 3 : 7); }
    void SetSending(int n, BOOL on) { SetBit(&m_mode, on, n == 1 ? 3 : 7); }

    // Pulse constant in 0.1 pulses per kWh (i = 0 for P1, 1 for P2).
    WORD GetPulseConstant(int i) const { return Valid(i) ? m_pulseConstant[std::size_t(i)] : WORD(0); }
    void SetPulseConstant(int i, WORD v)
    {
        if (Valid(i))
            m_pulseConstant[std::size_t(i)] = v;
    }
    // Hysteresis in 0.01 units of the limit's unit.
    WORD GetHysteresis(int i) const { return Valid(i) ? m_hysteresis[std::size_t(i)] : WORD(0); }
    void SetHysteresis(int i, WORD v)
    {
        if (Valid(i))
            m_hysteresis[std::size_t(i)] = v;
    }
    // Blocking time in seconds.
    WORD GetBlockingTime(int i) const { return Valid(i) ? m_blockingTime[std::size_t(i)] : WORD(0); }
    void SetBlockingTime(int i, WORD v)
    {
        if (Valid(i))
            m_blockingTime[std::size_t(i)] = v;
    }
    BYTE GetSettingByte(int i) const { return Valid(i) ? m_setting[std::size_t(i)] : BYTE(0); }

private:
    static bool Valid(int i) { return i == 0 || i == 1; }
    void SetSettingBits(int i, int value, int maxValue, BYTE mask, int shift);

    std::array<WORD, 2> m_pulseConstant{};
    std::array<WORD, 2> m_hysteresis{};
    std::array<WORD, 2> m_blockingTime{};
    BYTE m_mode = 0;
    std::array<DWORD, 2> m_limit{kLimitUnset, kLimitUnset}; // float bits
    std::array<BYTE, 2> m_setting{};
};
