#pragma once

#include "model/PrevodTyp.h"

#include <array>

// What one record of a VKT analyser's own archive holds: the recording
// interval, fourteen selection bytes and the start time (20-byte image).
// Selection bytes s0..s13 (bits 0-3 select inputs 0..3, bit 4 adds minimum and
// maximum): s0 U L-N, s1 U L-L (input 3 = voltage unbalance), s2 I, s3 THD U,
// s4 THD I, s5 cos (average only), s6 P and s7 Q (bits 0-2 phases, bit 3
// three-phase, bit 5 import and export apart), s8 S (bits 0-2, bit 3), s9
// carried, s10 bit 0 frequency, 1 temperature, 2 relay state, 4 and 5 their
// minimum and maximum, s11 harmonic channels (bits 0-3 voltage, 4-7 current),
// s12 bits 0-6 number of orders and bit 7 all orders (clear: odd only), s13
// cyclic recording.
class CVKTArch : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKTArch)
public:
    static constexpr int kImageSize = 20;
    static constexpr int kSelectionCount = 14;
    enum Selection {
        SelVoltage = 0,
        SelLineVoltage,
        SelCurrent,
        SelThdU,
        SelThdI,
        SelCos,
        SelActivePower,
        SelReactivePower,
        SelApparentPower,
        SelCarried,
        SelFlags,
        SelHarmonics,
        SelOrders,
        SelCyclic
    };

    CVKTArch() = default;
    CVKTArch(const CVKTArch&) = default;
    CVKTArch& operator=(const CVKTArch&) = default;
    ~CVKTArch() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;

    // Bytes of one record of the instrument's archive (kind, time, status
    // bytes and the selected values).
    int GetRecordSize() const;

    // 0xFFFFFFFF starts at once: atOnce is set and the current time given. A
    // packed time that is no valid time gives the current time + 60 s.
    CTime GetStartTime(BOOL& atOnce) const;
    void SetStartTime(CTime t, BOOL atOnce);

    WORD GetInterval() const { return m_interval; }
    void SetInterval(WORD v) { m_interval = v; }
    BYTE GetSelection(int n) const { return n >= 0 && n < kSelectionCount ? m_selection[std::size_t(n)] : BYTE(0); }
    void SetSelection(int n, BYTE v)
    {
        if (n >= 0 && n < kSelectionCount)
            m_selection[std::size_t(n)] = v;
    }
    const std::array<BYTE, 4>& GetStartBytes() const { return m_start; }

    // Number of inputs selected by bits 0-3, times 3 with bit 4.
    static int CountValues(BYTE selection);

private:
    WORD m_interval = 0;
    std::array<BYTE, kSelectionCount> m_selection{};
    std::array<BYTE, 4> m_start{0xFF, 0xFF, 0xFF, 0xFF};
};

// Recording status of a VKT analyser with its archive description (46-byte
// image).
class CVKTStatus : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKTStatus)
public:
    static constexpr int kImageSize = 46;
    // State byte 1 bits that mean the instrument's archive is not readable.
    static constexpr BYTE kErrorMask = 0x0B;

    CVKTStatus() = default;
    CVKTStatus(const CVKTStatus&) = default;
    CVKTStatus& operator=(const CVKTStatus&) = default;
    ~CVKTStatus() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;

    int GetRecordSize() const { return m_arch.GetRecordSize(); }
    bool IsErrorState() const { return (m_state1 & kErrorMask) != 0; }

    const CVKTArch& GetArch() const { return m_arch; }
    CVKTArch& GetArch() { return m_arch; }

    BYTE GetState1() const { return m_state1; }
    void SetState1(BYTE v) { m_state1 = v; }
    BYTE GetState2() const { return m_state2; }
    // Capacity of the instrument's ring in records.
    DWORD GetCapacity() const { return m_counter1; }
    // Records written; negative once the ring has wrapped (see GetCapacity).
    std::int32_t GetWritePosition() const { return m_counter2; }
    WORD GetFirstWord() const { return m_firstWord; }
    WORD GetSecondWord() const { return m_secondWord; }
    // Times of the newest and of the oldest record (packed record times).
    const std::array<BYTE, 5>& GetNewestBytes() const { return m_newest; }
    const std::array<BYTE, 5>& GetOldestBytes() const { return m_oldest; }
    CTime GetNewestTime() const;
    CTime GetOldestTime() const;

private:
    BYTE m_state1 = 0;
    BYTE m_state2 = 0;
    DWORD m_counter1 = 0;
    std::int32_t m_counter2 = 0;
    WORD m_firstWord = 0;
    WORD m_reservedWord = 0;
    WORD m_secondWord = 0;
    std::array<BYTE, 5> m_newest{};
    std::array<BYTE, 5> m_oldest{};
    CVKTArch m_arch;
};
