#include "charts_stats/VKStatistics.h"

#include "archive/store/VKArchivData.h"
#include "charts_stats/StatWalk.h"
#include "charts_stats/VKFamilyStatEngine.h"

#include <cmath>

namespace charts::stats {

namespace {

using Engine = CVKFamilyStatEngine;

struct VKKey {
    bool known = false;
    bool direct = false; // no voltage transformer
    int connection = 0;
    bool operator==(const VKKey&) const = default;
};

constexpr int kConnectionAron = 2;

class CVKStatEngine {
public:
    using Key = VKKey;
    using Result = CVKStatResult;
    static constexpr bool kBlockKinds = true;

    CVKStatEngine(CVKStatSettings& settings, float ratioU, float ratioI)
        : m_core(settings, {10.0f, 3200.0f, 320000.0f}), m_ratioU(ratioU), m_ratioI(ratioI)
    {
    }

    Key InitialKey() const { return {}; }
    bool ReadKey(const CArchivRecord& r, Key& key) const
    {
        CVKConfig config;
        if (r.type != kRecordSettings || !CVKArchivData::DecodeConfigRecord(r, config))
            return false;
        key = {true, config.GetDirectVoltage() != 0, config.GetConnection()};
        return true;
    }
    bool NeedsDefaults() const { return m_core.Settings().filled == 0; }
    void TakeDefaults(const CArchivRecord& r);
    void MarkFilled() { m_core.Settings().filled = 1; }
    void UseKey(const Key&) {}
    void UseSettings(const CArchivRecord& r)
    {
        CVKConfig config;
        if (!CVKArchivData::DecodeConfigRecord(r, config))
            return;
        m_ratioU = float(config.GetVtRatio());
        m_ratioI = float(config.GetCtRatio());
    }
    bool Decode(const CArchivRecord& r)
    {
        if (r.type == kRecordStatus) {
            m_hasStatus = CVKArchivData::DecodeStatus(r, m_status) != 0;
            return false;
        }
        if (r.type == kRecordFull)
            return CVKArchivData::DecodeFullRecord(m_values, r) != 0;
        if (r.type == kRecordChanged)
            return CVKArchivData::DecodeDeltaRecord(m_values, r) != 0;
        return false;
    }
    StatusPeriodFn StatusPeriods() const
    {
        return [](const CArchivRecord& r) {
            CVKStatus status;
            return CVKArchivData::DecodeStatus(r, status) ? status.GetRecordPeriodSeconds() : 0;
        };
    }
    CStatEngineCore& Core() { return m_core.Core(); }
    void SetDownloaded(bool downloaded) { m_downloaded = downloaded; }

    void Reset(CTime start, const Key& key)
    {
        m_connection = key.connection;
        m_core.Reset(start);
    }
    void SetInterval(int seconds) { m_core.SetInterval(seconds); }
    void AddRecord(const CArchivRecord& r);
    void Finish(Result& out, CTime end);

private:
    // What the downloads of the segment recorded (nothing without a status).
    struct Recorded {
        int voltages = 3, currents = 3;
        int voltageHarmonics = 2, currentHarmonics = 2;
        int powerCount = 3, powerKind = -1; // -1: every kind
        bool powerFactor = true;
    };
    Recorded Recording() const;
    bool PhaseVoltageTaken(int i, const Recorded& rec) const
    {
        if (m_connection == kConnectionAron)
            return false;
        return !m_downloaded || (rec.voltages > i && m_connection != 1);
    }
    bool LineVoltageTaken(int i, const Recorded& rec) const
    {
        if (m_downloaded)
            return rec.voltages > i && (m_connection == 1 || (i == 1 && m_connection == kConnectionAron));
        return !(m_connection == kConnectionAron && i == 1);
    }
    bool CurrentTaken(int i, const Recorded& rec) const { return !m_downloaded || i < rec.currents; }
    bool ThdTaken(int i, int mode) const { return !m_downloaded || (i == 0 ? mode >= 1 : mode == 2); }
    bool VoltageThdTaken(int i, const Recorded& rec) const
    {
        return ThdTaken(i, rec.voltageHarmonics) && !(i == 1 && m_connection == kConnectionAron);
    }
    // kind 0 P, 1 Q, 2 S.
    bool PhasePowerTaken(int i, int kind, const Recorded& rec) const
    {
        if (m_connection == kConnectionAron || SeparateTotal(rec))
            return false;
        return !m_downloaded || ((rec.powerKind < 0 || rec.powerKind == kind) && i < rec.powerCount);
    }
    bool SumTaken(int kind, const Recorded& rec) const
    {
        return !m_downloaded || ((rec.powerKind < 0 || rec.powerKind == kind) && rec.powerCount > 0);
    }
    bool SeparateTotal(const Recorded& rec) const { return m_values.HasTotals() || (m_downloaded && rec.powerCount == 4); }
    bool DisplacementTaken(int i, const Recorded& rec) const
    {
        return m_connection != kConnectionAron && (!m_downloaded || (rec.powerFactor && i < rec.currents));
    }

    Engine m_core;
    float m_ratioU;
    float m_ratioI;
    int m_connection = 0;
    bool m_downloaded = false;
    bool m_hasStatus = false;
    CVKStatus m_status;
    CVKAktData m_values;
};

CVKStatEngine::Recorded CVKStatEngine::Recording() const
{
    Recorded rec;
    if (!m_downloaded)
        return rec;
    if (!m_hasStatus)
        return Recorded{0, 0, 0, 0, 0, -1, false};
    const int m = m_status.GetSamplingMode();
    int choice = 0;
    m_status.GetVoltageRecording(m, rec.voltages, choice);
    m_status.GetCurrentRecording(m, rec.currents, choice);
    rec.voltageHarmonics = m_status.GetVoltageHarmonicsMode();
    rec.currentHarmonics = m_status.GetCurrentHarmonicsMode();
    BOOL apart = FALSE;
    m_status.GetPowerRecording(rec.powerCount, rec.powerKind, apart);
    rec.powerFactor = (m_status.GetCurrentByte() & 0x08) != 0;
    return rec;
}

void CVKStatEngine::TakeDefaults(const CArchivRecord& r)
{
    CVKConfig config;
    if (!CVKArchivData::DecodeConfigRecord(r, config))
        return;
    CVKFamilyStatSettings& s = m_core.Settings();
    float u = config.GetDirectVoltage() ? float(config.GetVoltageWord()) * 0.1f
                                        : float(config.GetVtRatio()) * float(config.GetVoltageWord()) * 0.0578035f;
    if (!(u > 0.0f))
        u = 0.0f;
    s.nominalVoltage = u;
    const WORD power = config.GetNominalPower();
    s.nominalPower = power != 0 && power != 0xFFFF
                         ? float(power) * 1000.0f
                         : float(config.GetCtRatioDword() & 0x7FFFFFFFu) * u * 3.0f;
    s.nominalPowerPhase = s.nominalPower / 3.0f;
    // No current follows from a nominal voltage of nothing.
    s.nominalCurrent = u > 0.0f ? s.nominalPowerPhase / u : 0.0f;
    s.nominalVoltageLine = u * 1.7320508f;
    s.window1 = s.window2 = 60;
}

void CVKStatEngine::AddRecord(const CArchivRecord& r)
{
    Engine& e = m_core;
    const Recorded rec = Recording();
    e.BeginRecord(CTime(r.time));

    std::array<float, 3> lines{};
    std::array<bool, 3> lineOk{};
    for (int i = 0; i < 3; ++i) {
        const WORD phaseWord = m_values.GetU(i);
        const bool phasePresent = phaseWord != CVKAktData::kNoVoltage;
        const float u = phasePresent ? float(phaseWord) * m_ratioU : 0.0f;
        if (PhaseVoltageTaken(i, rec) && phasePresent)
            e.Voltage(i, u);
        else
            e.VoltageMissing(i, false);
        e.VoltageLow(i, PhaseVoltageTaken(i, rec) ? u : 0.0f);

        // Line voltages come as U3,1, U1,2, U2,3; the statistics count from U1,2.
        const WORD lineWord = m_values.GetULine((i + 1) % 3);
        const bool linePresent = lineWord != CVKAktData::kNoVoltage;
        const float line = linePresent ? float(lineWord) * m_ratioU : 0.0f;
        if (LineVoltageTaken(i, rec) && linePresent) {
            e.Voltage(3 + i, line);
            lines[std::size_t(i)] = line;
            lineOk[std::size_t(i)] = true;
        } else {
            e.VoltageMissing(3 + i, LineVoltageTaken(i, rec));
        }
        e.VoltageLow(3 + i, LineVoltageTaken(i, rec) ? line : 0.0f);

        const std::int16_t currentWord = m_values.GetI(i);
        const bool currentPresent = currentWord != CVKAktData::kNoCurrent;
        const float current = currentPresent ? std::fabs(float(currentWord) * m_ratioI) : 0.0f;
        if (CurrentTaken(i, rec) && currentPresent)
            e.Current(i, current);
        else
            e.CurrentMissing(i);
        e.CurrentLimits(i, CurrentTaken(i, rec) ? current : 0.0f);

        const BYTE thdU = m_values.GetVoltageHarmonics().GetThdCode(i);
        if (VoltageThdTaken(i, rec) && thdU != CVKHarmonicBlock::kNoCode)
            e.Thd(i, float(m_values.GetVoltageHarmonics().GetThd(i)));
        else
            e.ThdMissing(i);
        const BYTE thdI = m_values.GetCurrentHarmonics().GetThdCode(i);
        if (ThdTaken(i, rec.currentHarmonics) && CurrentTaken(i, rec) && thdI != CVKHarmonicBlock::kNoCode)
            e.Thd(6 + i, float(m_values.GetCurrentHarmonics().GetThd(i)));
        else
            e.ThdMissing(6 + i);
    }

    if (lineOk[0] && lineOk[1] && lineOk[2])
        e.Unbalance(lines[0], lines[1], lines[2]);
    else
        e.UnbalanceMissing();

    const float powerRatio = m_ratioU * m_ratioI;
    auto power = [&](std::int32_t code, bool& present) {
        present = code != CVKAktData::kNoPower;
        return present ? float(code) * powerRatio : 0.0f;
    };

    // Phases.
    for (int i = 0; i < 3; ++i) {
        bool hasP = false, hasQ = false, hasS = false;
        const float p = power(m_values.GetP(i), hasP);
        const float q = power(m_values.GetQ(i), hasQ);
        const float s = power(m_values.GetS(i), hasS);
        hasP = hasP && PhasePowerTaken(i, 0, rec);
        hasQ = hasQ && PhasePowerTaken(i, 1, rec);
        hasS = hasS && PhasePowerTaken(i, 2, rec);
        if (!(hasP || hasQ || hasS))
            e.PowerMissing(i);
        if (hasP)
            e.ActivePower(i, p);
        if (hasQ)
            e.ReactivePower(i, q);
        if (hasS)
            e.ApparentPower(i, s);
        if (hasP && hasQ) {
            e.ActiveByClass(i, p, q);
            if (!(p == 0.0f && q == 0.0f) && !m_downloaded)
                e.PowerFactor(i, p, q, hasS ? s : std::sqrt(p * p + q * q), true);
        }
        const std::int8_t own = m_values.GetPF(i);
        if (DisplacementTaken(i, rec) && own != CVKAktData::kNoFactor)
            e.Displacement(i, float(own) * 0.01f, hasQ && q < 0.0f);
    }

    // Three-phase values: the instrument's own totals, or the sum of the phases.
    bool hasP = false, hasQ = false, hasS = false;
    float p = 0.0f, q = 0.0f, s = 0.0f;
    if (SeparateTotal(rec)) {
        p = power(m_values.GetP(0), hasP);
        q = power(m_values.GetQ(0), hasQ);
        s = power(m_values.GetS(0), hasS);
        hasP = hasP && SumTaken(0, rec);
        hasQ = hasQ && SumTaken(1, rec);
        hasS = hasS && SumTaken(2, rec);
    } else if (!m_downloaded || rec.powerCount > 0) {
        // Aron: two wattmeters, phases 1 and 3.
        const int phases[] = {0, 1, 2};
        hasP = hasQ = true;
        for (int i : phases) {
            if (m_connection == kConnectionAron && i == 1)
                continue;
            bool okP = false, okQ = false;
            p += power(m_values.GetP(i), okP);
            q += power(m_values.GetQ(i), okQ);
            hasP = hasP && okP && (m_connection == kConnectionAron || PhasePowerTaken(i, 0, rec));
            hasQ = hasQ && okQ && (m_connection == kConnectionAron || PhasePowerTaken(i, 1, rec));
        }
        hasS = hasP && hasQ;
        s = std::sqrt(p * p + q * q);
    }
    if (!(hasP || hasQ || hasS))
        e.PowerMissing(Engine::kSum);
    if (hasP)
        e.ActivePower(Engine::kSum, p);
    if (hasQ)
        e.ReactivePower(Engine::kSum, q);
    if (hasS)
        e.ApparentPower(Engine::kSum, s);
    if (hasP && hasQ) {
        e.ActiveByClass(Engine::kSum, p, q);
        if (!(p == 0.0f && q == 0.0f) && !m_downloaded && m_connection != kConnectionAron)
            e.PowerFactor(Engine::kSum, p, q, hasS ? s : std::sqrt(p * p + q * q), true);
    }
    e.EndRecord();
}

void CVKStatEngine::Finish(Result& out, CTime end)
{
    const Recorded rec = Recording();
    Engine::Applicable a;
    for (int i = 0; i < 3; ++i) {
        const std::size_t k = std::size_t(i);
        a.voltage[k] = PhaseVoltageTaken(i, rec);
        a.voltage[3 + k] = LineVoltageTaken(i, rec);
        a.current[k] = CurrentTaken(i, rec);
        a.voltageThd[k] = VoltageThdTaken(i, rec);
        a.currentThd[k] = ThdTaken(i, rec.currentHarmonics) && CurrentTaken(i, rec);
        a.displacement[k] = DisplacementTaken(i, rec);
        for (int type = 0; type < 5; ++type) {
            const int kind = type / 2; // P import/export, Q import/export, S
            a.power[std::size_t(4 * type + i)] = PhasePowerTaken(i, kind, rec);
            a.power[std::size_t(4 * type + Engine::kSum)] = SumTaken(kind, rec);
        }
        for (int kind = 0; kind < 2; ++kind)
            a.powerFactor[std::size_t(4 * kind + i)] = !m_downloaded;
    }
    for (int kind = 0; kind < 2; ++kind)
        a.powerFactor[std::size_t(4 * kind + Engine::kSum)] = !m_downloaded && m_connection != kConnectionAron;
    for (std::size_t el = 0; el < 16; ++el)
        a.energy[el] = a.power[el];
    a.unbalance = a.voltage[3] && a.voltage[4] && a.voltage[5];
    m_core.Finish(out, end, a);
}

} // namespace

std::vector<CVKStatResult> ComputeVKStatistics(CVKArchivData& data, CVKStatSettings& settings,
                                               const ProgressFn& progress)
{
    CopyDisplayUnits(data, settings);
    CVKStatEngine engine(settings, data.GetRatioU(), data.GetRatioI());
    return CStatWalk<CVKStatEngine>(std::as_const(data).Window(), engine, progress).Run();
}

} // namespace charts::stats
