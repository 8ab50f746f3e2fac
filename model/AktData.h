#pragma once

#include "model/PrevodTyp.h"
#include "model/VKTStatus.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Values of one input of a VKT analyser.
struct CAktPhase {
    WORD voltage = 0; // U L-N, 0.025 V
    WORD lineVoltage = 0; // U L-L, 0.025 V; in the slot of input 3 the voltage unbalance, 0.01 %
    WORD current = 0; // 0.0002 A
    float activePower = 0.0f; // W
    float reactivePower = 0.0f; // var
    std::int16_t angle = 0; // phase angle between voltage and current, 0.0001 rad
    WORD thdU = 0; // 0.01 %
    WORD thdI = 0; // 0.01 %; 0xFFFF = no value
};

// Harmonics of one channel: orders 1, 3 .. 25 and 2, 4 .. 24. Voltage
// channels in 0.01 %, current channels in 0.0002 A; 0xFFFF = no value.
struct CAktOddHarmonics {
    static constexpr int kCount = 13;
    std::array<WORD, kCount> values{};
};

struct CAktEvenHarmonics {
    static constexpr int kCount = 12;
    std::array<WORD, kCount> values{};
};

// One period of one channel.
struct CAktWave {
    static constexpr int kSamples = 64;
    std::array<std::int16_t, kSamples> samples{};

    // Largest and smallest sample, both starting from 0.
    void GetPeaks(std::int16_t& maximum, std::int16_t& minimum) const;
    double GetRms() const;
    // Phase of the fundamental, radians, written as A·sin(θ + φ).
    double GetPhase() const;
};

// Sums and second components of a described record, for one kind.
struct CAktTotals {
    std::array<float, 3> apparent{}; // S of inputs 0..2
    std::array<float, 3> active2{}; // second (export) component of P
    std::array<float, 3> reactive2{};
    float active = 0.0f; // three-phase values
    float reactive = 0.0f;
    float apparentTotal = 0.0f;
    float active2Total = 0.0f;
    float reactive2Total = 0.0f;
};

// Minimum, maximum and total values of a described record.
struct CAktExtra {
    std::array<std::optional<CAktTotals>, 3> totals; // by kind
    std::array<std::optional<CAktPhase>, 4> minPhases;
    std::array<std::optional<CAktPhase>, 4> maxPhases;
    std::int16_t minTemperature = 0;
    std::int16_t maxTemperature = 0;
    std::int16_t minFrequency = 0;
    std::int16_t maxFrequency = 0;
};

// One set of VKT measured values: a live record read with a selection word,
// or a described record of the instrument's own archive that carries a copy
// of the archive description. Inputs 0..3; channels 0..3 the voltages and
// 4..7 the currents of the inputs; kind 0 average (or live value), 1 minimum,
// 2 maximum. Every getter gives 65535.0 (kNoValue) for a value the record
// does not hold.
class CAktData : public CPrevodTyp {
public:
    enum Kind { Average = 0, Minimum = 1, Maximum = 2 };
    static constexpr int kInputs = 4;
    static constexpr int kChannels = 8;
    // Power factor when the apparent power is missing or practically zero.
    static constexpr double kNoPowerFactor = 10000.0;
    // Voltage unbalance that cannot be computed.
    static constexpr double kNoUnbalance = 100000.0;
    // Size of the live record's header in the program's archive.
    static constexpr int kHeaderSize = 10;
    static constexpr int kPhaseSize = 20;

    CAktData() = default;
    CAktData(const CAktData&) = default;
    CAktData& operator=(const CAktData&) = default;
    CAktData(CAktData&&) = default;
    CAktData& operator=(CAktData&&) = default;
    ~CAktData() override = default;

    // --- layout
    // Data bytes of a live reply after the selection word, or the body of a
    // described record (record size - 6).
    int GetRawSize(WORD selection) const;
    static int GetLiveRawSize(WORD selection);
    // Reads the selection word of a live reply and creates the parts it
    // selects (dropping any description). FALSE when the reply is too short.
    BOOL CreateParts(const BYTE* reply, int size);
    // Fills the parts from the live reply after the selection word.
    BOOL FromRawParts(const BYTE* data, int size);
    // Takes the archive description of a status record and the parts it needs.
    void SetArchiveLayout(const CVKTStatus& status);
    void ClearArchived();
    bool IsDescribed() const { return m_arch.has_value(); }
    const CVKTArch* GetArch() const { return m_arch ? &*m_arch : nullptr; }

    // --- the instrument's archive record, from the status bytes on
    BOOL FromRaw(const BYTE* body, int size);

    // --- the program's archive forms (little-endian)
    // Described record.
    QByteArray Pack() const;
    // Live record: the header full (previous null) or as changes against previous.
    void PackHeader(QByteArray& out, const CAktData* previous) const;
    // Phases and harmonics: full, or as changes against previous (every
    // field counts as changed where previous is null or lacks the part).
    void PackPhases(QByteArray& out, bool full, const CAktData* previous) const;
    void PackHarmonics(QByteArray& out, bool full, const CAktData* previous) const;
    QByteArray PackFull(bool withHarmonics = true) const;
    QByteArray PackDifference(const CAktData& previous, bool withHarmonics = true) const;
    // Read the forms back (the described form when the record has a
    // description). Bytes read, or 0 when the data is short; the record is
    // left unchanged then.
    int Unpack(const BYTE* data, int size, bool full);
    int UnpackNoHarmonics(const BYTE* data, int size, bool full);

    // --- values
    double GetVoltage(int i, int k) const;
    double GetLineVoltage(int i, int k) const;
    double GetCurrent(int i, int k) const;
    // Phase angle φ in radians; cos φ is its cosine.
    double GetCosPhi(int i) const;
    double GetThdU(int i, int k) const;
    double GetThdI(int i, int k) const;
    bool IsThdIMissing(int i, int k) const;
    double GetFrequency(int k) const;
    double GetTemperature(int k) const;
    int GetRelayState() const { return m_relayState; }
    // component 0 net value, 1 first (import), 2 second (export) component.
    double GetActivePower(int i, int k, int component) const;
    double GetReactivePower(int i, int k, int component) const;
    double GetApparentPower(int i, int k) const;
    double GetTotalActivePower(int connection, int k, int component) const;
    double GetTotalReactivePower(int connection, int k, int component) const;
    double GetTotalApparentPower(int connection, int k) const;
    double GetPowerFactor(int i, int k) const;
    double GetTotalPowerFactor(int connection, int k) const;
    double GetVoltageUnbalance(int k) const;
    // n: order - 1.
    double GetHarmonicValue(bool voltage, int i, int n) const;
    bool AreHarmonicsEmpty(int i) const;

    // --- presence
    bool HasVoltage(int i, int k) const;
    bool HasLineVoltage(int i, int k) const;
    bool HasCurrent(int i, int k) const;
    bool HasThdU(int i, int k) const;
    bool HasThdI(int i, int k) const;
    bool HasCosPhi(int i) const;
    bool HasActivePower(int i, int k, int component) const;
    bool HasReactivePower(int i, int k, int component) const;
    bool HasApparentPower(int i, int k) const;
    bool HasPowerFactor(int i, int k) const;
    bool HasTotalActivePower(int connection, int k, int component) const;
    bool HasTotalReactivePower(int connection, int k, int component) const;
    bool HasTotalApparentPower(int connection, int k) const;
    bool HasTotalPowerFactor(int connection, int k) const;
    bool HasVoltageUnbalance(int k) const;
    bool HasFrequency(int k) const;
    bool HasTemperature(int k) const;
    bool HasRelayState() const;
    bool HasHarmonic(bool voltage, int i, int n) const;
    // Input n is flagged (its voltage or current counts as 0).
    bool HasPhaseFlag(int n) const { return n >= 0 && n < kInputs && (m_statusB & (0x11 << n)) != 0; }
    // Voltage or current of input n is overloaded.
    bool HasOverloadFlag(int n) const { return n >= 0 && n < kInputs && (m_statusA & (0x11 << n)) != 0; }

    // --- fields and parts
    WORD GetSelection() const { return m_selection; }
    std::int16_t GetTemperatureWord() const { return m_temperature; }
    void SetTemperatureWord(std::int16_t v) { m_temperature = v; }
    std::int16_t GetFrequencyWord() const { return m_frequency; }
    void SetFrequencyWord(std::int16_t v) { m_frequency = v; }
    void SetRelayState(BYTE v) { m_relayState = v; }
    // Overload flags: bit n voltage, bit n + 4 current of input n.
    BYTE GetStatusA() const { return m_statusA; }
    void SetStatusA(BYTE v) { m_statusA = v; }
    // Flagged inputs, same layout.
    BYTE GetStatusB() const { return m_statusB; }
    void SetStatusB(BYTE v) { m_statusB = v; }
    BYTE GetChangeCounter() const { return m_changeCounter; }
    void SetChangeCounter(BYTE v) { m_changeCounter = v; }
    // 0 = no fault; bits 0 and 1: the values are not valid.
    BYTE GetFaultState() const { return m_faultState; }
    void SetFaultState(BYTE v) { m_faultState = v; }

    const CAktPhase* GetPhase(int i) const { return Part(m_phases, i); }
    CAktPhase* GetPhase(int i) { return Part(m_phases, i); }
    const CAktOddHarmonics* GetOddHarmonics(int c) const { return Part(m_odd, c); }
    CAktOddHarmonics* GetOddHarmonics(int c) { return Part(m_odd, c); }
    const CAktEvenHarmonics* GetEvenHarmonics(int c) const { return Part(m_even, c); }
    CAktEvenHarmonics* GetEvenHarmonics(int c) { return Part(m_even, c); }
    const CAktWave* GetWave(int c) const { return Part(m_waves, c); }
    CAktWave* GetWave(int c) { return Part(m_waves, c); }
    const CAktExtra* GetExtra() const { return m_extra ? &*m_extra : nullptr; }

private:
    struct Slot;
    template <class Array>
    static auto Part(Array& parts, int n) -> decltype(&*parts[0])
    {
        return n >= 0 && n < int(parts.size()) && parts[std::size_t(n)] ? &*parts[std::size_t(n)] : nullptr;
    }

    void SetLiveSelection(WORD selection);
    // The fields of a described record in the instrument's order or in the
    // program's order.
    std::vector<Slot> DescribedSlots(bool programOrder);
    int UnpackLive(const BYTE* data, int size, bool full, bool withHarmonics);
    int UnpackDescribed(const BYTE* data, int size);

    BYTE Sel(int n) const { return m_arch ? m_arch->GetSelection(n) : BYTE(0); }
    static bool KindOk(int k) { return k >= Average && k <= Maximum; }
    bool LiveInput(int i) const;
    bool DescribedInput(int selectionByte, int i, int k, int inputs) const;
    const CAktPhase* PhaseOf(int i, int k) const;
    const CAktTotals* TotalsOf(int k) const;
    std::optional<double> Power(bool active, int i, int k, int component) const;
    std::optional<double> TotalPower(bool active, int connection, int k, int component) const;
    std::optional<double> Apparent(int i, int k) const;
    std::optional<double> TotalApparent(int connection, int k) const;
    bool HasPower(bool active, int i, int k, int component) const;
    bool HasTotalPower(bool active, int connection, int k, int component) const;

    std::array<std::optional<CAktPhase>, kInputs> m_phases;
    std::array<std::optional<CAktOddHarmonics>, kChannels> m_odd;
    std::array<std::optional<CAktEvenHarmonics>, kChannels> m_even;
    std::array<std::optional<CAktWave>, kChannels> m_waves;
    std::int16_t m_temperature = 0; // 0.01 degree
    std::int16_t m_frequency = 0; // 0.01 Hz
    BYTE m_relayState = 0; // bit 0 input, bits 3 and 4 relay outputs
    BYTE m_statusA = 0;
    BYTE m_statusB = 0;
    BYTE m_changeCounter = 0;
    BYTE m_faultState = 0;
    // Live records: bits 0-3 inputs, 4 phase values, 5 voltage harmonics,
    // 6 current harmonics, 7 even harmonics too, 8-15 waveform of channel 0..7.
    WORD m_selection = 0;
    std::optional<CVKTArch> m_arch;
    std::optional<CAktExtra> m_extra;
};
