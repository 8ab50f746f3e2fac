#include "charts_stats/VKFamilyStatEngine.h"

#include "archive/store/VKFamilyArchivData.h"
#include "model/ValueChecks.h"

#include <cmath>

namespace charts::stats {

namespace {

constexpr int kPowerChannels = 28;
constexpr int kClassChannel = 20; // + phase: P of samples with Q >= 0; + 4 + phase: Q < 0

int StateOf(bool applicable, BOOL valid)
{
    return !applicable ? vkstat::kNotApplicable : valid ? vkstat::kPresent : vkstat::kNoValue;
}

float Percent(const CStatLimitRatio& r)
{
    return float(r.GetRatio() * 100.0);
}

float Pf(float p, float q)
{
    return ShiftPowerFactor(p / std::sqrt(p * p + q * q));
}

void ReadGroup(CStatValueGroup& g, const CStatMean& mean, const CStatMinMax& minMax, const CStatAverages& window,
               int channel, bool applicable, float scale)
{
    BOOL ok = mean.GetMean(g.average);
    g.average /= scale;
    g.averageState = StateOf(applicable, ok);
    ok = minMax.Get(g.min);
    minMax.GetMax(g.max);
    minMax.GetMinTime(g.minTime);
    minMax.GetMaxTime(g.maxTime);
    g.min /= scale;
    g.max /= scale;
    g.extremesState = StateOf(applicable, ok);
    const auto& largest = window.GetLargest(channel);
    const auto& smallest = window.GetSmallest(channel);
    g.windowMax = largest.value / scale;
    g.windowMin = smallest.value / scale;
    g.windowMaxTime = largest.time;
    g.windowMinTime = smallest.time;
    g.windowState = StateOf(applicable, largest.set);
}

} // namespace

void CopyDisplayUnits(const CVKFamilyArchivData& data, CVKFamilyStatSettings& settings)
{
    float ratio = 1.0f;
    data.GetScaleU(ratio, settings.voltageFormat, settings.voltageMultiplier);
    data.GetScaleI(ratio, settings.currentFormat, settings.currentMultiplier);
    data.GetScalePower(settings.powerFormat, settings.powerMultiplier);
}

float WorstPowerFactor(float min, float max, bool& fromMax)
{
    fromMax = !(min <= 1.0f && (max <= 1.0f || 2.0f - max >= min));
    return fromMax ? 2.0f - max : min;
}

CVKFamilyStatEngine::Applicable CVKFamilyStatEngine::Applicable::All()
{
    Applicable a;
    a.voltage.fill(true);
    a.current.fill(true);
    a.voltageThd.fill(true);
    a.currentThd.fill(true);
    a.power.fill(true);
    a.powerFactor.fill(true);
    a.displacement.fill(true);
    a.energy.fill(true);
    a.unbalance = true;
    return a;
}

void CVKFamilyStatEngine::Reset(CTime start)
{
    m_core.BeginSegment(start);
    const CVKFamilyStatSettings& s = m_settings;
    for (int k = 0; k < 6; ++k) {
        const float nominal = (k < 3 ? s.nominalVoltage : s.nominalVoltageLine) * m_units.voltage;
        m_uMean[k].Reset();
        m_uMinMax[k] = {};
        m_uDrops[k].Reset();
        m_u115[k].Init(1, nominal * 1.15f);
        m_u90[k].Init(0, nominal * 0.9f);
        m_u10[k].Init(0, nominal * 0.1f);
    }
    for (int k = 0; k < 3; ++k) {
        m_iMean[k].Reset();
        m_iMinMax[k] = {};
        m_iHalf[k].Init(1, s.nominalCurrent * m_units.current * 0.5f);
        m_iNominal[k].Init(1, s.nominalCurrent * m_units.current);
    }
    for (int k = 0; k < 9; ++k) {
        m_thdMean[k].Reset();
        m_thdMax[k].Reset();
    }
    for (int e = 0; e < 20; ++e) {
        m_pMean[e].Reset();
        m_pMinMax[e] = {};
    }
    for (int i = 0; i < 12; ++i) {
        const float nominal = (i % 4 == kSum ? s.nominalPower : s.nominalPowerPhase) * m_units.power;
        m_pHalf[i].Init(1, nominal * 0.5f);
        m_pNominal[i].Init(1, nominal);
    }
    m_energyFed.fill(false);
    for (int i = 0; i < 8; ++i) {
        m_pfP[i].Reset();
        m_pfS[i].Reset();
        m_pfSample[i] = {};
        m_pfWindow[i] = {};
        m_pfBelow[i].Init(0, 0.95f);
        m_pfClass[i].Init(1, 1.0f);
    }
    for (int i = 0; i < 6; ++i) {
        m_disp[i] = {};
        m_dispBelow[i].Init(0, 0.95f);
        m_dispClass[i].Init(1, 1.0f);
    }
    m_unbMax.Reset();
    m_unbMean.Reset();
    m_win.Start(start, s);
    SetInterval(m_core.Interval());
}

void CVKFamilyStatEngine::SetInterval(int seconds)
{
    m_win.SetInterval(seconds);
}

void CVKFamilyStatEngine::BeginRecord(CTime t)
{
    m_t = t;
    m_minute = m_core.AddCovered(t);
    m_win.BeginRecord();
}

void CVKFamilyStatEngine::Voltage(int k, float value)
{
    const float nominal = (k < 3 ? m_settings.nominalVoltage : m_settings.nominalVoltageLine) * m_units.voltage;
    m_uMean[k].Add(value, m_minute);
    m_uMinMax[k].Add(value, m_t);
    m_u115[k].Add(value);
    m_u90[k].Add(value);
    m_uDrops[k].Update(value < nominal * 0.1f ? 1 : 0);
    m_win.voltages.Set(std::size_t(k), value);
}

void CVKFamilyStatEngine::VoltageMissing(int k, bool countsAsDrop)
{
    if (m_minute)
        m_uMean[k].CloseInterval();
    if (countsAsDrop)
        m_uDrops[k].Update(1);
}

void CVKFamilyStatEngine::VoltageLow(int k, float value)
{
    m_u10[k].Add(value);
}

void CVKFamilyStatEngine::Current(int k, float value)
{
    m_iMean[k].Add(value, m_minute);
    m_iMinMax[k].Add(value, m_t);
    m_win.currents.Set(std::size_t(k), value);
}

void CVKFamilyStatEngine::CurrentMissing(int k)
{
    if (m_minute)
        m_iMean[k].CloseInterval();
}

void CVKFamilyStatEngine::CurrentLimits(int k, float value)
{
    m_iHalf[k].Add(value);
    m_iNominal[k].Add(value);
}

void CVKFamilyStatEngine::Thd(int k, float percent)
{
    m_thdMean[k].Add(percent, m_minute);
    m_thdMax[k].AddMax(percent, m_t);
    m_win.thd.Set(std::size_t(k), percent);
}

void CVKFamilyStatEngine::ThdMissing(int k)
{
    if (m_minute)
        m_thdMean[k].CloseInterval();
}

void CVKFamilyStatEngine::FeedPower(int element, float magnitude)
{
    m_pMean[element].Add(magnitude, m_minute);
    m_pMinMax[element].Add(magnitude, m_t);
    m_win.powers.Set(std::size_t(element), magnitude);
    const int type = element / 4;
    const int phase = element % 4;
    const int limit = type == kPImport ? phase : type == kPExport ? 4 + phase : type == kS ? 8 + phase : -1;
    if (limit >= 0) {
        m_pHalf[limit].Add(magnitude);
        m_pNominal[limit].Add(magnitude);
    }
    if (element < 16) {
        m_win.energy[element].Add(magnitude, m_t);
        m_energyFed[element] = true;
    }
}

void CVKFamilyStatEngine::ActivePower(int phase, float p)
{
    FeedPower(p >= 0.0f ? 4 * kPImport + phase : 4 * kPExport + phase, std::fabs(p));
    m_win.powers.valid[std::size_t(4 * kPImport + phase)] = m_win.powers.valid[std::size_t(4 * kPExport + phase)] = TRUE;
}

void CVKFamilyStatEngine::ReactivePower(int phase, float q)
{
    FeedPower(q >= 0.0f ? 4 * kQImport + phase : 4 * kQExport + phase, std::fabs(q));
    m_win.powers.valid[std::size_t(4 * kQImport + phase)] = m_win.powers.valid[std::size_t(4 * kQExport + phase)] = TRUE;
}

void CVKFamilyStatEngine::ApparentPower(int phase, float s)
{
    FeedPower(4 * kS + phase, std::fabs(s));
}

void CVKFamilyStatEngine::PowerMissing(int phase)
{
    if (!m_minute)
        return;
    for (int type = 0; type < 5; ++type)
        m_pMean[4 * type + phase].CloseInterval();
}

void CVKFamilyStatEngine::ActiveByClass(int phase, float p, float q)
{
    m_win.powers.Set(std::size_t(kClassChannel + (q < 0.0f ? 0 : 4) + phase), 0.0f);
    m_win.powers.Set(std::size_t(kClassChannel + (q < 0.0f ? 4 : 0) + phase), p);
}

void CVKFamilyStatEngine::PowerFactor(int phase, float p, float q, float s, bool means)
{
    const float pf = Pf(p, q);
    const int kind = q < 0.0f ? 1 : 0;
    const int own = 4 * kind + phase;
    const int other = 4 * (1 - kind) + phase;
    m_pfBelow[own].Add(std::fabs(SignedPowerFactor(pf)));
    m_pfBelow[other].Add(1.0f);
    m_pfClass[own].Add(2.0f);
    m_pfClass[other].Add(0.0f);
    if (means) {
        m_pfP[own].Add(p, m_minute);
        m_pfS[own].Add(s, m_minute);
    }
    m_pfSample[own].Add(pf, m_t);
}

void CVKFamilyStatEngine::Displacement(int phase, float pf, bool qNegative)
{
    const int kind = qNegative ? 1 : 0;
    const int own = 2 * phase + kind;
    const int other = 2 * phase + 1 - kind;
    m_dispBelow[own].Add(std::fabs(pf));
    m_dispBelow[other].Add(1.0f);
    m_dispClass[own].Add(2.0f);
    m_dispClass[other].Add(0.0f);
    m_disp[own].Add(ShiftPowerFactor(pf), m_t);
}

void CVKFamilyStatEngine::Unbalance(float u12, float u23, float u31)
{
    float unbalance = 0.0f;
    if (!ComputeVoltageUnbalance(u12, u23, u31, unbalance)) {
        UnbalanceMissing();
        return;
    }
    m_unbMax.AddMax(unbalance, m_t);
    m_unbMean.Add(unbalance, m_minute);
}

void CVKFamilyStatEngine::UnbalanceMissing()
{
    if (m_minute)
        m_unbMean.CloseInterval();
}

void CVKFamilyStatEngine::EndRecord()
{
    const bool w1 = m_core.WindowFilled(m_t, m_settings.window1);
    const bool w2 = m_core.WindowFilled(m_t, m_settings.window2);
    std::array<float, kPowerChannels> avg{};
    std::array<BOOL, kPowerChannels> ok{};
    if (!m_win.EndRecord(m_t, w1, w2, avg, ok))
        return;
    for (int k = 0; k < 4; ++k) {
        for (int kind = 0; kind < 2; ++kind) {
            const int p = kClassChannel + 4 * kind + k;
            const int q = 4 * (kind == 0 ? kQImport : kQExport) + k;
            if (ok[p] && ok[q] && !(avg[p] == 0.0f && avg[q] == 0.0f))
                m_pfWindow[4 * kind + k].Add(Pf(avg[p], avg[q]), m_t);
        }
    }
}

void CVKFamilyStatEngine::Finish(CVKStatResult& out, CTime end, const Applicable& a)
{
    const CVKFamilyStatSettings& s = m_settings;
    out.settings = &m_settings;
    const float uScale = m_units.voltage * float(std::max(s.voltageMultiplier, 1));
    const float iScale = m_units.current * float(std::max(s.currentMultiplier, 1));
    const float pScale = m_units.power * float(std::max(s.powerMultiplier, 1));

    for (int k = 0; k < 6; ++k) {
        CVKVoltageStat& v = out.voltages[k];
        ReadGroup(v, m_uMean[k], m_uMinMax[k], m_win.voltages.window, k, a.voltage[k], uScale);
        v.above115 = Percent(m_u115[k]);
        v.below90 = Percent(m_u90[k]);
        v.below10 = Percent(m_u10[k]);
        v.dropState = StateOf(a.voltage[k], m_uDrops[k].GetChanges(v.drops));
    }
    for (int k = 0; k < 3; ++k) {
        CVKCurrentStat& c = out.currents[k];
        ReadGroup(c, m_iMean[k], m_iMinMax[k], m_win.currents.window, k, a.current[k], iScale);
        c.aboveHalf = Percent(m_iHalf[k]);
        c.aboveNominal = Percent(m_iNominal[k]);
    }
    for (int k = 0; k < 9; ++k) {
        CStatPeakGroup& g = k < 6 ? out.voltageThd[k] : out.currentThd[k - 6];
        const bool applicable = k < 6 ? a.voltageThd[k] : a.currentThd[k - 6];
        g.averageState = StateOf(applicable, m_thdMean[k].GetMean(g.average));
        g.maxState = StateOf(applicable, m_thdMax[k].Get(g.max));
        m_thdMax[k].GetTime(g.maxTime);
        const auto& largest = m_win.thd.window.GetLargest(k);
        g.windowMax = largest.value;
        g.windowMaxTime = largest.time;
        g.windowState = StateOf(applicable, largest.set);
    }
    for (int e = 0; e < 20; ++e)
        ReadGroup(out.powers[e], m_pMean[e], m_pMinMax[e], m_win.powers.window, e, a.power[e], pScale);
    for (int i = 0; i < 12; ++i) {
        out.powerAboveHalf[i] = Percent(m_pHalf[i]);
        out.powerAboveNominal[i] = Percent(m_pNominal[i]);
    }
    for (int i = 0; i < 8; ++i) {
        CVKPowerFactorStat& pf = out.powerFactors[i];
        pf.classShare = Percent(m_pfClass[i]);
        pf.below095 = Percent(m_pfBelow[i]);
        float p = 0.0f, apparent = 0.0f;
        const BOOL means = m_pfP[i].GetMean(p) && m_pfS[i].GetMean(apparent);
        // No factor from an apparent power of nothing, nor one above 1.
        const bool averageOk = means && apparent > 0.0f && std::fabs(p) <= apparent;
        pf.average = averageOk ? std::fabs(p) / apparent : 0.0f;
        pf.averageState = StateOf(a.powerFactor[i], averageOk);
        bool fromMax = false;
        float min = 0.0f, max = 0.0f;
        BOOL ok = m_pfSample[i].Get(min);
        m_pfSample[i].GetMax(max);
        pf.worst = WorstPowerFactor(min, max, fromMax);
        fromMax ? m_pfSample[i].GetMaxTime(pf.worstTime) : m_pfSample[i].GetMinTime(pf.worstTime);
        pf.worstState = StateOf(a.powerFactor[i], ok);
        ok = m_pfWindow[i].Get(min);
        m_pfWindow[i].GetMax(max);
        pf.windowWorst = WorstPowerFactor(min, max, fromMax);
        fromMax ? m_pfWindow[i].GetMaxTime(pf.windowWorstTime) : m_pfWindow[i].GetMinTime(pf.windowWorstTime);
        pf.windowState = StateOf(a.powerFactor[i], ok);
    }
    for (int phase = 0; phase < 3; ++phase) {
        CVKDisplacementStat& d = out.displacement[phase];
        for (int kind = 0; kind < 2; ++kind) {
            const int i = 2 * phase + kind;
            d.classShare[kind] = Percent(m_dispClass[i]);
            d.below095[kind] = Percent(m_dispBelow[i]);
            float min = 0.0f, max = 0.0f;
            const BOOL ok = m_disp[i].Get(min);
            m_disp[i].GetMax(max);
            bool fromMax = false;
            const float worst = WorstPowerFactor(min, max, fromMax);
            d.worst[kind] = fromMax ? -worst : worst;
            fromMax ? m_disp[i].GetMaxTime(d.worstTime[kind]) : m_disp[i].GetMinTime(d.worstTime[kind]);
            d.state[kind] = StateOf(a.displacement[phase], ok);
        }
    }
    for (int e = 0; e < 16; ++e) {
        out.energies[e].value = m_win.energy[e].GetValue() / pScale;
        out.energies[e].state = StateOf(a.energy[e], m_energyFed[e]);
    }
    out.unbalance.maxState = StateOf(a.unbalance, m_unbMax.Get(out.unbalance.max));
    m_unbMax.GetTime(out.unbalance.maxTime);
    out.unbalance.averageState = StateOf(a.unbalance, m_unbMean.GetMean(out.unbalance.average));
    m_core.FillTail(out.tail, end);
}

} // namespace charts::stats
