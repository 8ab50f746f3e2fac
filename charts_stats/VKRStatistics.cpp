#include "charts_stats/VKRStatistics.h"

#include "archive/store/VKRArchivData.h"
#include "charts_stats/StatWalk.h"
#include "charts_stats/VKFamilyStatEngine.h"

#include <cmath>

namespace charts::stats {

namespace {

using Engine = CVKFamilyStatEngine;

struct VKRKey {
    bool known = false;
    bool vtUnset = false;
    bool ctUnset = false;
    int connection = 2;
    bool operator==(const VKRKey&) const = default;
};

float Magnitude(float v)
{
    return v < -1e-18f ? -v : v;
}

class CVKRStatEngine {
public:
    using Key = VKRKey;
    using Result = CVKRStatResult;

    CVKRStatEngine(CVKRStatSettings& settings, int connection) : m_core(settings, {}), m_initialConnection(connection)
    {
    }

    Key InitialKey() const { return {false, false, false, m_initialConnection}; }
    bool ReadKey(const CArchivRecord& r, Key& key) const
    {
        CVKRConfig config;
        if (!CVKRArchivData::DecodeConfigRecord(r, config))
            return false;
        key = {true, config.IsVtRatioUnset() != 0, config.IsCtRatioUnset() != 0, config.GetConnection()};
        return true;
    }
    bool NeedsDefaults() const { return m_core.Settings().filled == 0; }
    void TakeDefaults(const CArchivRecord& r);
    void MarkFilled() { m_core.Settings().filled = 1; }
    void UseKey(const Key&) {}
    void UseSettings(const CArchivRecord&) {}
    bool Decode(const CArchivRecord& r)
    {
        if (r.type == kRecordFull)
            return CVKRArchivData::DecodeFullRecord(m_values, r) != 0;
        if (r.type == kRecordChanged)
            return CVKRArchivData::DecodeDeltaRecord(m_values, r) != 0;
        return false;
    }
    StatusPeriodFn StatusPeriods() const { return {}; }
    static constexpr bool kBlockKinds = false;
    void SetDownloaded(bool) {}
    CStatEngineCore& Core() { return m_core.Core(); }

    void Reset(CTime start, const Key& key)
    {
        m_mode = key.connection;
        m_core.Reset(start);
    }
    void SetInterval(int seconds) { m_core.SetInterval(seconds); }
    void AddRecord(const CArchivRecord& r);
    void Finish(Result& out, CTime end);

private:
    bool PhaseVoltageTaken(int i) const { return !(m_mode == 0 && i >= 1) && !(m_mode == 1 && i >= 2); }
    bool LineVoltageTaken(int i) const { return m_mode != 0 && !(m_mode == 1 && i >= 1); }
    bool CurrentTaken(int i) const
    {
        return !(m_mode == 0 && i >= 1) && !(m_mode == 1 && i >= 2) && !(m_mode == 4 && i == 1);
    }
    bool PowerTaken(int i) const { return m_mode != 4 && !(m_mode == 0 && i >= 1) && !(m_mode == 1 && i == 2); }

    Engine m_core;
    int m_initialConnection;
    int m_mode = 2;
    CVKRAktData m_values;
};

void CVKRStatEngine::TakeDefaults(const CArchivRecord& r)
{
    CVKRConfig config;
    if (!CVKRArchivData::DecodeConfigRecord(r, config))
        return;
    CVKFamilyStatSettings& s = m_core.Settings();
    const DWORD vt = config.GetVtPrimary();
    s.nominalVoltage = !(config.GetMode() & 0x80) && vt != CVKRConfig::kUnset ? float(vt) : 230.0f;
    const DWORD ct = config.GetCtPrimary();
    s.nominalCurrent = ct == CVKRConfig::kUnset ? 5.0f : float(ct & 0x7FFFFFFFu);
    s.nominalPowerPhase = s.nominalVoltage * s.nominalCurrent;
    s.nominalPower = 3.0f * s.nominalPowerPhase;
    s.nominalVoltageLine = s.nominalVoltage * 1.7320508f;
    s.window1 = s.window2 = 60;
}

void CVKRStatEngine::AddRecord(const CArchivRecord& r)
{
    Engine& e = m_core;
    e.BeginRecord(CTime(r.time));
    // Line voltages come as U3,1, U1,2, U2,3; the statistics count from U1,2.
    auto line = [this](int i) { return Magnitude(m_values.GetULine((i + 1) % 3)); };
    std::array<float, 3> s{};
    for (int i = 0; i < 3; ++i) {
        const float u = Magnitude(m_values.GetUPhase(i));
        if (PhaseVoltageTaken(i))
            e.Voltage(i, u);
        else
            e.VoltageMissing(i, false);
        e.VoltageLow(i, PhaseVoltageTaken(i) ? u : 0.0f);
        if (LineVoltageTaken(i))
            e.Voltage(3 + i, line(i));
        else
            e.VoltageMissing(3 + i, false);
        e.VoltageLow(3 + i, LineVoltageTaken(i) ? line(i) : 0.0f);

        const float current = Magnitude(m_values.GetI(i));
        if (CurrentTaken(i))
            e.Current(i, current);
        else
            e.CurrentMissing(i);
        e.CurrentLimits(i, CurrentTaken(i) ? current : 0.0f);

        const std::int16_t thd[3] = {m_values.GetThdU(i), m_values.GetThdULine(i), m_values.GetThdI(i)};
        const bool thdTaken[3] = {PhaseVoltageTaken(i), LineVoltageTaken(i), CurrentTaken(i)};
        const int thdIndex[3] = {i, 3 + i, 6 + i};
        for (int k = 0; k < 3; ++k) {
            if (thdTaken[k] && thd[k] != CVKRAktData::kNoValue16)
                e.Thd(thdIndex[k], float(thd[k]) * 0.01f);
            else
                e.ThdMissing(thdIndex[k]);
        }

        s[std::size_t(i)] = current * u;
        if (!PowerTaken(i))
            continue;
        const float p = m_values.GetP(i);
        const float q = m_values.GetQ(i);
        e.ActivePower(i, p);
        e.ReactivePower(i, q);
        e.ApparentPower(i, s[std::size_t(i)]);
        e.ActiveByClass(i, p, q);
        if (p != 0.0f)
            e.PowerFactor(i, p, q, s[std::size_t(i)], true);
    }

    if (LineVoltageTaken(0) && LineVoltageTaken(1) && LineVoltageTaken(2))
        e.Unbalance(line(0), line(1), line(2));
    else
        e.UnbalanceMissing();

    if (m_mode != 0) {
        float sumP = 0.0f, sumQ = 0.0f, sumS = 0.0f;
        for (int i = 0; i < 3; ++i) {
            if ((m_mode == 4 && i == 1) || (m_mode == 1 && i == 2))
                continue;
            sumP += m_values.GetP(i);
            sumQ += m_values.GetQ(i);
            sumS += s[std::size_t(i)];
        }
        e.ActivePower(Engine::kSum, sumP);
        e.ReactivePower(Engine::kSum, sumQ);
        e.ApparentPower(Engine::kSum, sumS);
        e.ActiveByClass(Engine::kSum, sumP, sumQ);
        if (sumP != 0.0f)
            e.PowerFactor(Engine::kSum, sumP, sumQ, sumS, true);
    } else {
        e.PowerMissing(Engine::kSum);
    }

    if (m_mode != 0 && m_mode != 1 && m_mode != 4) {
        for (int i = 0; i < 3; ++i) {
            const std::int16_t angle = m_values.GetAngle(i);
            if (angle != CVKRAktData::kNoValue16)
                e.Displacement(i, float(std::cos(angle * 0.0001)), m_values.GetQ(i) < 0.0f);
        }
    }
    e.EndRecord();
}

void CVKRStatEngine::Finish(Result& out, CTime end)
{
    Engine::Applicable a = Engine::Applicable::All();
    for (int i = 0; i < 3; ++i) {
        a.voltage[std::size_t(i)] = a.voltageThd[std::size_t(i)] = PhaseVoltageTaken(i);
        a.voltage[std::size_t(3 + i)] = a.voltageThd[std::size_t(3 + i)] = LineVoltageTaken(i);
        a.current[std::size_t(i)] = a.currentThd[std::size_t(i)] = CurrentTaken(i);
    }
    a.unbalance = LineVoltageTaken(0) && LineVoltageTaken(1) && LineVoltageTaken(2);
    // Powers, power factors and energies of a phase the connection does not
    // measure read "not measured", not "no value"; so does the sum of a
    // single phase.
    for (int c = 0; c < 4; ++c) {
        const bool taken = c < Engine::kSum ? PowerTaken(c) : m_mode != 0;
        for (int k = 0; k < 5; ++k)
            a.power[std::size_t(4 * k + c)] = taken;
        for (int m = 0; m < 2; ++m)
            a.powerFactor[std::size_t(4 * m + c)] = taken;
        for (int r = 0; r < 4; ++r)
            a.energy[std::size_t(4 * r + c)] = taken;
    }
    for (int i = 0; i < 3; ++i)
        a.displacement[std::size_t(i)] = m_mode != 0 && m_mode != 1 && m_mode != 4;
    m_core.Finish(out, end, a);
}

} // namespace

std::vector<CVKRStatResult> ComputeVKRStatistics(CVKRArchivData& data, CVKRStatSettings& settings,
                                                 const ProgressFn& progress)
{
    CopyDisplayUnits(data, settings);
    CVKRStatEngine engine(settings, data.GetConnectionType());
    return CStatWalk<CVKRStatEngine>(std::as_const(data).Window(), engine, progress).Run();
}

} // namespace charts::stats
