#include "charts_stats/QorinStatistics.h"

#include "archive/store/QorinArchivData.h"
#include "charts_stats/StatWalk.h"

#include <cmath>

namespace charts::stats {

namespace {

constexpr int kNoKey = 0x7FFF;          // no required power factor in force
constexpr std::int16_t kNoWord = 0x7FFF; // no current value
constexpr double kRawAmpere = 0.00025;  // one unit of the current words
constexpr float kThdNoValue = 850.0f;

enum Side { kAtOrBelow = 0, kAbove = 1 };

// Second-window channels.
enum Channel { kChImport, kChExport, kChQBelow, kChQAbove, kChPBelow, kChPAbove, kChannels };

float PowerFactor(float p, float q)
{
    return ShiftPowerFactor(p / std::sqrt(p * p + q * q));
}

class CQorinStatEngine {
public:
    using Key = int;
    using Result = CQorinStatResult;

    explicit CQorinStatEngine(CQorinStatSettings& settings) : m_settings(settings) {}

    Key InitialKey() const { return kNoKey; }
    bool ReadKey(const CArchivRecord& r, Key& key) const
    {
        CConfig config;
        if (!CQorinArchivData::ConfigFromRecord(r, config))
            return false;
        key = static_cast<std::int8_t>(config.tarif1.t0);
        return true;
    }
    bool NeedsDefaults() const { return m_settings.filled == 0; }
    void TakeDefaults(const CArchivRecord& r)
    {
        CConfig config;
        if (!CQorinArchivData::ConfigFromRecord(r, config))
            return;
        m_settings.nominalVoltage = 220.0f;
        m_settings.window1 = m_settings.window2 = 60;
        m_settings.nominalCurrent = float(config.GetCtPrimaryCurrent());
        m_settings.nominalPower = 3.0f * m_settings.nominalVoltage * m_settings.nominalCurrent;
        m_settings.nominalVoltageLine = m_settings.nominalVoltage * 1.7320508f;
        m_settings.fromInstrument = 1;
    }
    void MarkFilled() { m_settings.filled = 1; }
    void UseKey(Key key);
    void UseSettings(const CArchivRecord&) {}
    bool Decode(const CArchivRecord& r)
    {
        if (r.type == kRecordFull)
            return CQorinArchivData::DecodeFullRecord(m_values, r) != 0;
        if (r.type == kRecordChanged)
            return CQorinArchivData::DecodeDeltaRecord(m_values, r) != 0;
        return false;
    }
    StatusPeriodFn StatusPeriods() const { return {}; }
    static constexpr bool kBlockKinds = false;
    void SetDownloaded(bool) {}
    CStatEngineCore& Core() { return m_core; }

    void Reset(CTime start, Key key);
    void SetInterval(int seconds);
    void AddRecord(const CArchivRecord& r);
    void Finish(Result& out, CTime end);

private:
    void AddCurrents(CTime t, BOOL minute, bool w1, double r);
    void AddPowers(CTime t, bool w2, double r);
    void AddWindowValues(CTime t);
    void AddMean(CStatMean& mean, int pending, float value)
    {
        mean.Add(value, m_pending[std::size_t(pending)]);
        m_pending[std::size_t(pending)] = FALSE;
    }

    // Pending-minute flags of the means fed only under a condition.
    enum Pending { kPendImport, kPendExport, kPendMissBelow, kPendMissAbove, kPendPfAbove, kPendPfBelow, kPendCount };

    CQorinStatSettings& m_settings;
    CStatEngineCore m_core;
    CQorinAktData m_values;
    Key m_key = kNoKey;
    float m_target = 1.0f; // shifted
    float m_tan = 0.0f;

    CStatMean m_currentMean;
    CStatMinMax m_currentMinMax;
    CStatAverages m_currentWindow;
    CStatLimitRatio m_current50, m_current100;
    CStatMean m_thdMean;
    CStatExtreme m_thdMax;
    CStatAverages m_thdWindow;
    CStatAverages m_window2;
    std::array<CStatMean, 2> m_powerMean;
    std::array<CStatMinMax, 2> m_powerMinMax;
    std::array<CStatMean, 2> m_missingMean;
    std::array<CStatMinMax, 2> m_missingMinMax;
    std::array<CStatMinMax, 2> m_missingWindow;
    std::array<CStatLimitRatio, 2> m_dir50, m_dir100, m_side, m_side2;
    std::array<CStatMean, 2> m_pfMean;
    CStatMinMax m_pf;
    std::array<CStatMinMax, 2> m_pfWindow;
    CStatLimitRatio m_pfBelow095, m_pfBelow100, m_pfExport;
    std::array<BOOL, kPendCount> m_pending{};
    std::array<float, kChannels> m_channels{};
    std::array<BOOL, kChannels> m_channelValid{};
};

void CQorinStatEngine::UseKey(Key key)
{
    m_key = key;
    // An instrument's value outside the power-factor range (or none in
    // force) leaves the required power factor of the settings.
    const bool fromKey = m_settings.fromInstrument && key >= -100 && key <= 100;
    float target = fromKey ? float(key) * 0.01f : m_settings.requiredPowerFactor;
    target = std::clamp(target, -1.0f, 1.0f);
    m_tan = float(std::tan(std::acos(std::fabs(double(target)))));
    if (target < 0.0f)
        m_tan = -m_tan;
    m_target = ShiftPowerFactor(target);
}

void CQorinStatEngine::Reset(CTime start, Key)
{
    m_core.BeginSegment(start);
    const float inom = m_settings.nominalCurrent;
    m_currentMean.Reset();
    m_currentMinMax = {};
    m_current50.Init(1, inom * 2000.0f);
    m_current100.Init(1, inom * 4000.0f);
    m_thdMean.Reset();
    m_thdMax.Reset();
    for (int i = 0; i < 2; ++i) {
        m_powerMean[i].Reset();
        m_powerMinMax[i] = {};
        m_missingMean[i].Reset();
        m_missingMinMax[i] = {};
        m_missingWindow[i] = {};
        m_dir50[i].Init(1, inom * 2000.0f);
        m_dir100[i].Init(1, inom * 4000.0f);
        m_side[i].Init(1, 1.0f);
        m_side2[i].Init(1, 1.0f);
        m_pfMean[i].Reset();
        m_pfWindow[i] = {};
    }
    m_pf = {};
    m_pfBelow095.Init(0, 0.95f);
    m_pfBelow100.Init(0, 1.0f);
    m_pfExport.Init(1, 1.0f);
    m_pending.fill(FALSE);
    m_currentWindow.Init(1, m_settings.window1, start);
    m_thdWindow.Init(1, m_settings.window1, start);
    m_window2.Init(kChannels, m_settings.window2, start);
    SetInterval(m_core.Interval());
}

void CQorinStatEngine::SetInterval(int seconds)
{
    m_currentWindow.SetInterval(seconds);
    m_thdWindow.SetInterval(seconds);
    m_window2.SetInterval(seconds);
}

void CQorinStatEngine::AddRecord(const CArchivRecord& rec)
{
    const CTime t(rec.time);
    const BOOL minute = m_core.AddCovered(t);
    if (minute)
        m_pending.fill(TRUE);
    const bool w1 = m_core.WindowFilled(t, m_settings.window1);
    const bool w2 = m_core.WindowFilled(t, m_settings.window2);
    const double r = m_values.GetCtRatio();
    AddCurrents(t, minute, w1, r);
    AddPowers(t, w2, r);
}

void CQorinStatEngine::AddCurrents(CTime t, BOOL minute, bool w1, double r)
{
    const bool present = m_values.current != WORD(kNoWord);
    const float current = present ? float(m_values.current * r) : 0.0f;
    if (present) {
        const float v = current;
        const BOOL valid = TRUE;
        m_currentWindow.AddSample(&v, &valid, t, w1);
        m_currentMean.Add(current, minute);
        m_currentMinMax.Add(current, t);
    } else if (minute) {
        m_currentMean.CloseInterval();
    }
    m_current50.Add(current);
    m_current100.Add(current);

    const float thd = float(m_values.GetThdI());
    if (thd < kThdNoValue) {
        const BOOL valid = TRUE;
        m_thdWindow.AddSample(&thd, &valid, t, w1);
        m_thdMean.Add(thd, minute);
        m_thdMax.AddMax(thd, t);
    } else if (minute) {
        m_thdMean.CloseInterval();
    }
}

void CQorinStatEngine::AddPowers(CTime t, bool w2, double r)
{
    m_channels.fill(0.0f);
    m_channelValid.fill(FALSE);
    const bool hasP = m_values.activeCurrent != kNoWord;
    const bool hasQ = m_values.reactiveCurrent != kNoWord;
    const float p = hasP ? float(m_values.activeCurrent * r) : 0.0f;
    const float q = hasQ ? float(m_values.reactiveCurrent * r) : 0.0f;

    const int dir = p < 0.0f ? 1 : 0;
    if (hasP) {
        m_channels[std::size_t(dir == 1 ? kChExport : kChImport)] = p;
        AddMean(m_powerMean[std::size_t(dir)], dir == 1 ? kPendExport : kPendImport, std::fabs(p));
        m_powerMinMax[std::size_t(dir)].Add(std::fabs(p), t);
        m_channelValid[kChImport] = m_channelValid[kChExport] = TRUE;
    }
    m_dir50[std::size_t(dir)].Add(std::fabs(p));
    m_dir100[std::size_t(dir)].Add(std::fabs(p));

    const bool hasPf = hasP && hasQ && !(p == 0.0f && q == 0.0f);
    float pf = 0.0f;
    bool above = false;
    if (hasPf) {
        pf = PowerFactor(p, q);
        above = pf > m_target;
        const float d = p * m_tan - q;
        if (above) {
            m_channels[kChQAbove] = q;
            m_channels[kChPAbove] = p;
            AddMean(m_missingMean[kAbove], kPendMissAbove, -d);
            m_missingMinMax[kAbove].Add(-d, t);
        } else {
            m_channels[kChQBelow] = q;
            m_channels[kChPBelow] = p;
            AddMean(m_missingMean[kAtOrBelow], kPendMissBelow, d);
            m_missingMinMax[kAtOrBelow].Add(d, t);
        }
        m_side[kAbove].Add(above ? 2.0f : 0.0f);
        m_side[kAtOrBelow].Add(above ? 0.0f : 2.0f);
        for (int c = kChQBelow; c <= kChPAbove; ++c)
            m_channelValid[std::size_t(c)] = TRUE;
    } else {
        m_side[kAbove].Add(0.0f);
        m_side[kAtOrBelow].Add(0.0f);
    }

    m_window2.AddSample(m_channels.data(), m_channelValid.data(), t, w2);
    if (w2)
        AddWindowValues(t);

    if (hasPf) {
        m_pf.Add(pf, t);
        m_pfBelow095.Add(pf);
        m_pfBelow100.Add(pf);
        m_pfExport.Add(pf);
        m_side2[kAtOrBelow].Add(above ? 0.0f : 2.0f);
        m_side2[kAbove].Add(above ? 2.0f : 0.0f);
        if (above)
            AddMean(m_pfMean[kAbove], kPendPfAbove, pf);
        else
            AddMean(m_pfMean[kAtOrBelow], kPendPfBelow, pf);
    } else {
        m_side2[kAtOrBelow].Add(0.0f);
        m_side2[kAbove].Add(0.0f);
    }
}

void CQorinStatEngine::AddWindowValues(CTime t)
{
    std::array<float, kChannels> avg{};
    std::array<BOOL, kChannels> present{};
    m_window2.GetAverages(avg.data(), present.data());
    // A window without enough values gives nothing: its average is no number.
    if (present[kChQAbove] && present[kChPAbove]) {
        if (!(avg[kChQAbove] == 0.0f && avg[kChPAbove] == 0.0f))
            m_pfWindow[kAbove].Add(PowerFactor(avg[kChPAbove], avg[kChQAbove]), t);
        m_missingWindow[kAbove].Add(avg[kChQAbove] - avg[kChPAbove] * m_tan, t);
    }
    if (present[kChQBelow] && present[kChPBelow]) {
        if (!(avg[kChQBelow] == 0.0f && avg[kChPBelow] == 0.0f))
            m_pfWindow[kAtOrBelow].Add(PowerFactor(avg[kChPBelow], avg[kChQBelow]), t);
        m_missingWindow[kAtOrBelow].Add(avg[kChPBelow] * m_tan - avg[kChQBelow], t);
    }
}

void CQorinStatEngine::Finish(Result& out, CTime end)
{
    const float amps = float(kRawAmpere);
    const float watts = m_settings.nominalVoltage * 0.00075f;
    out.settings = &m_settings;

    out.currentAverageValid = m_currentMean.GetMean(out.currentAverage);
    out.currentAverage *= amps;
    out.currentExtremesValid = m_currentMinMax.Get(out.currentMin);
    m_currentMinMax.GetMax(out.currentMax);
    m_currentMinMax.GetMinTime(out.currentMinTime);
    m_currentMinMax.GetMaxTime(out.currentMaxTime);
    out.currentMin *= amps;
    out.currentMax *= amps;
    const auto& cmax = m_currentWindow.GetLargest(0);
    const auto& cmin = m_currentWindow.GetSmallest(0);
    out.currentWindowValid = cmax.set;
    out.currentWindowMax = cmax.value * amps;
    out.currentWindowMin = cmin.value * amps;
    out.currentWindowMaxTime = cmax.time;
    out.currentWindowMinTime = cmin.time;
    out.currentAbove50 = float(m_current50.GetRatio() * 100.0);
    out.currentAbove100 = float(m_current100.GetRatio() * 100.0);

    out.thdAverageValid = m_thdMean.GetMean(out.thdAverage);
    out.thdMaxValid = m_thdMax.Get(out.thdMax);
    m_thdMax.GetTime(out.thdMaxTime);
    const auto& tmax = m_thdWindow.GetLargest(0);
    out.thdWindowValid = tmax.set;
    out.thdWindowMax = tmax.value;
    out.thdWindowMaxTime = tmax.time;

    for (std::size_t i = 0; i < 2; ++i) {
        out.powerAverageValid[i] = m_powerMean[i].GetMean(out.powerAverage[i]);
        out.powerAverage[i] *= watts;
        out.powerExtremesValid[i] = m_powerMinMax[i].Get(out.powerMin[i]);
        m_powerMinMax[i].GetMax(out.powerMax[i]);
        m_powerMinMax[i].GetMinTime(out.powerMinTime[i]);
        m_powerMinMax[i].GetMaxTime(out.powerMaxTime[i]);
        out.powerMin[i] *= watts;
        out.powerMax[i] *= watts;
        const int channel = i == 0 ? kChImport : kChExport;
        const auto& wmax = m_window2.GetLargest(channel);
        const auto& wmin = m_window2.GetSmallest(channel);
        out.powerWindowValid[i] = wmax.set;
        out.powerWindowMax[i] = wmax.value * watts;
        out.powerWindowMin[i] = wmin.value * watts;
        out.powerWindowMaxTime[i] = wmax.time;
        out.powerWindowMinTime[i] = wmin.time;
        out.powerAbove50[i] = float(m_dir50[i].GetRatio() * 100.0);
        out.powerAbove100[i] = float(m_dir100[i].GetRatio() * 100.0);

        out.targetShare[i] = float(m_side[i].GetRatio() * 100.0);
        out.targetShare2[i] = float(m_side2[i].GetRatio() * 100.0);

        out.missingAverageValid[i] = m_missingMean[i].GetMean(out.missingAverage[i]);
        out.missingAverage[i] *= watts;
        out.missingMinValid[i] = m_missingMinMax[i].Get(out.missingMin[i]);
        m_missingMinMax[i].GetMinTime(out.missingMinTime[i]);
        out.missingMin[i] *= watts;
        out.missingWindowMinValid[i] = m_missingWindow[i].Get(out.missingWindowMin[i]);
        m_missingWindow[i].GetMinTime(out.missingWindowMinTime[i]);
        out.missingWindowMin[i] *= watts;

        out.pfAverageValid[i] = m_pfMean[i].GetMean(out.pfAverage[i]);
        out.pfAverage[i] = SignedPowerFactor(out.pfAverage[i]);
    }

    float lowest = 0.0f, highest = 0.0f;
    const BOOL pfValid = m_pf.Get(lowest);
    m_pf.GetMax(highest);
    m_pf.GetMinTime(out.pfLowestTime);
    m_pf.GetMaxTime(out.pfHighestTime);
    out.pfLowestValid = pfValid && lowest <= m_target;
    out.pfHighestValid = pfValid && highest > m_target;
    out.pfLowest = SignedPowerFactor(lowest);
    out.pfHighest = SignedPowerFactor(highest);

    float windowLowest = 0.0f, windowHighest = 0.0f;
    out.pfWindowLowestValid = m_pfWindow[kAtOrBelow].Get(windowLowest);
    m_pfWindow[kAtOrBelow].GetMinTime(out.pfWindowLowestTime);
    out.pfWindowHighestValid = m_pfWindow[kAbove].GetMax(windowHighest);
    m_pfWindow[kAbove].GetMaxTime(out.pfWindowHighestTime);
    out.pfWindowLowest = SignedPowerFactor(windowLowest);
    out.pfWindowHighest = SignedPowerFactor(windowHighest);

    out.pfBelow095 = float(m_pfBelow095.GetRatio() * 100.0);
    out.pfBelow100 = float(m_pfBelow100.GetRatio() * 100.0);
    out.pfExport = float(m_pfExport.GetRatio() * 100.0);

    m_core.FillTail(out.tail, end);
    if (m_key < -100 || m_key > 100)
        out.powerFactorText = QStringLiteral("--/--");
    else
        out.powerFactorText = QString::asprintf("%0.2f / %0.2f", double(SignedPowerFactor(m_target)), m_key * 0.01);
}

} // namespace

std::vector<CQorinStatResult> ComputeQorinStatistics(const CArchivWindow& window, CQorinStatSettings& settings,
                                                     const ProgressFn& progress)
{
    CQorinStatEngine engine(settings);
    return CStatWalk<CQorinStatEngine>(window, engine, progress).Run();
}

std::vector<CQorinStatResult> ComputeQorinStatistics(CQorinArchivData& data, CQorinStatSettings& settings,
                                                     const ProgressFn& progress)
{
    return ComputeQorinStatistics(std::as_const(data).Window(), settings, progress);
}

} // namespace charts::stats
