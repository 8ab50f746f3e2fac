#include "charts_stats/VKTStatistics.h"

#include "archive/store/VKTArchivData.h"
#include "charts_stats/StatWalk.h"
#include "charts_stats/VKFamilyStatEngine.h"
#include "model/AktData.h"
#include "model/VKTConfig.h"
#include "model/VKTStatus.h"

#include <cmath>
#include <optional>

namespace charts::stats {

namespace {

constexpr int kAvg = CAktData::Average;
constexpr int kMin = CAktData::Minimum;
constexpr int kMax = CAktData::Maximum;
constexpr int kTotal = 4;          // power position of the three-phase value
constexpr int kPfChannel = 25;     // + 5 x class + position: P; + 10: S
constexpr int kChannels = 45;
constexpr float kUnbalanceLimit = 101.0f;

enum Block { kPImport = 0, kPExport = 1, kQImport = 2, kQExport = 3, kS = 4 };

// The limit shares of a power, by its index; -1 for those without.
int ShareIndex(int power)
{
    const int block = power / 5;
    return block == kPImport ? power : block == kPExport ? power : block == kS ? 10 + power % 5 : -1;
}

int StateOf(bool excluded, bool valid)
{
    return excluded ? vkstat::kNotApplicable : valid ? vkstat::kPresent : vkstat::kNoValue;
}

float Percent(double share)
{
    return float(share * 100.0);
}

// Worst power factor or cosine of shifted values (0 to 2, 1 at unity).
float Worst(const CStatMinMax& tracker, CTime& time, BOOL& valid)
{
    float min = 0.0f, max = 0.0f;
    valid = tracker.Get(min);
    tracker.GetMax(max);
    bool fromMax = false;
    const float worst = WorstPowerFactor(min, max, fromMax);
    fromMax ? tracker.GetMaxTime(time) : tracker.GetMinTime(time);
    return worst;
}

struct VKTKey {
    bool vtUnset = false;
    int connection = 0;
    bool operator==(const VKTKey&) const = default;
};

// Average and separate minimum and maximum trackers of one quantity, with
// what the records held of it.
struct ValueAcc {
    CStatMean mean;
    CStatExtreme min, max;
    bool held = false;
    bool heldExtreme = false;
    void Reset() { *this = ValueAcc(); }
};

struct Ratios {
    float u = 1.0f, u4 = 1.0f, i = 1.0f, i4 = 1.0f;
};

float CtRatio(WORD word)
{
    if (word == CVKTConfig::kUnset)
        return 1.0f;
    const float v = float(word & 0x7FFF);
    return (word & 0x8000) ? v * 0.2f : v;
}

class CVKTStatEngine {
public:
    using Key = VKTKey;
    using Result = CVKTStatResult;
    static constexpr bool kBlockKinds = true;
    static constexpr bool kIntervalAtBlockHead = true;
    static constexpr bool kKeyFromBlockHead = true;

    CVKTStatEngine(CVKTStatSettings& settings, Ratios ratios) : m_settings(settings), m_ratios(ratios) {}

    Key InitialKey() const { return {}; }
    static bool Config(const CArchivRecord& r, CVKTConfig& config)
    {
        if (r.type != kRecordSettings || r.data.size() < CVKTConfig::kImageSize)
            return false;
        config.FromRaw(reinterpret_cast<const BYTE*>(r.data.constData()));
        return true;
    }
    bool ReadKey(const CArchivRecord& r, Key& key) const
    {
        CVKTConfig config;
        if (!Config(r, config))
            return false;
        key = {config.IsVtRatioUnset(), config.GetConnection()};
        return true;
    }
    bool NeedsDefaults() const { return m_settings.filled == 0; }
    void TakeDefaults(const CArchivRecord& r);
    void MarkFilled() { m_settings.filled = 1; }
    void UseKey(const Key&) {}
    void UseSettings(const CArchivRecord& r)
    {
        CVKTConfig config;
        if (!Config(r, config))
            return;
        m_ratios.u = float(config.GetPrimary());
        m_ratios.u4 = float(config.GetSecondVtRatio());
        m_ratios.i = CtRatio(config.GetCtPrimary());
        m_ratios.i4 = CtRatio(config.GetCt4());
    }
    bool Decode(const CArchivRecord& r);
    StatusPeriodFn StatusPeriods() const
    {
        return [](const CArchivRecord& r) {
            if (r.data.size() < CVKTStatus::kImageSize)
                return 0;
            CVKTStatus status;
            status.FromRaw(reinterpret_cast<const BYTE*>(r.data.constData()));
            return int(status.GetArch().GetInterval());
        };
    }
    void SetDownloaded(bool) {}
    // A block recorded on line describes its records itself.
    void BeginBlock(std::span<const CArchivRecord> block)
    {
        if (block.empty() || block.front().type != kRecordStatus) {
            m_values.ClearArchived();
            m_status.reset();
        }
    }
    CStatEngineCore& Core() { return m_core; }

    void Reset(CTime start, const Key& key);
    void SetInterval(int seconds);
    void AddRecord(const CArchivRecord& r);
    void Finish(Result& out, CTime end);

private:
    // Which positions the connection samples.
    bool PhaseVoltageSampled(int i) const;
    bool LineVoltageSampled(int k) const;
    bool PhaseSampled(int i) const; // currents, THD
    bool PhasePowerSampled(int i) const;
    bool PowerExcluded(int position) const;
    bool OverloadExcluded(int position) const;

    bool ZeroU(int i) const { return (m_values.GetStatusB() >> i) & 1; }
    bool ZeroI(int i) const { return (m_values.GetStatusB() >> (4 + i)) & 1; }
    bool OverU(int i) const { return (m_values.GetStatusA() >> i) & 1; }
    bool OverI(int i) const { return (m_values.GetStatusA() >> (4 + i)) & 1; }

    void AddVoltage(int pos, bool sampled, bool present, float value, std::optional<float> min,
                    std::optional<float> max, bool overload);
    void AddCurrent(int i, bool sampled, float ratio);
    void AddThd(int pos, bool sampled, float value, std::optional<float> max);
    void Extremes(ValueAcc& acc, float value, std::optional<float> min, std::optional<float> max);
    // A power given by its getters (component 0 net, 1 import, 2 export part).
    template <class Has, class Get>
    std::optional<float> AddSignedPower(int block, int position, Has has, Get get, float ratio, bool zero);
    template <class Has, class Get>
    std::optional<float> AddApparent(int position, Has has, Get get, float ratio, bool zero);
    void FeedPower(int index, float value, bool extremes);
    void ZeroShare(int index);
    void AddPowerFactor(int position, std::optional<float> p, std::optional<float> q, std::optional<float> s,
                        bool flagsClear);
    void AddPhaseAngle(int i, std::optional<float> q);
    void AddUnbalance();

    CVKTStatSettings& m_settings;
    Ratios m_ratios;
    CStatEngineCore m_core;
    CAktData m_values;
    bool m_valuesValid = false;
    std::optional<CVKTStatus> m_status;
    int m_connection = 0;

    CTime m_t;
    BOOL m_minute = FALSE;
    bool m_carried = false;     // the record carries extreme forms
    bool m_carriedSeen = false; // some record of the segment did

    std::array<ValueAcc, 7> m_u;
    std::array<CStatLimitRatio, 7> m_u115, m_u90, m_u10;
    std::array<CStatEventRatio, 7> m_uOverload;
    std::array<CStatChangeCounter, 7> m_uDrops, m_uOverloadChanges;
    std::array<ValueAcc, 4> m_i;
    std::array<CStatLimitRatio, 4> m_iHalf, m_iNominal;
    std::array<CStatEventRatio, 4> m_iOverload;
    std::array<CStatChangeCounter, 4> m_iOverloadChanges;
    std::array<ValueAcc, 8> m_thd;
    std::array<ValueAcc, 25> m_power;
    std::array<CStatLimitRatio, 20> m_pHalf, m_pNominal;
    std::array<CStatEventRatio, 5> m_overload;
    std::array<CStatChangeCounter, 5> m_overloadChanges;
    std::array<CStatMinMax, 8> m_angle; // 2 x phase + class
    std::array<CStatLimitRatio, 8> m_angleClass, m_angleLow;
    std::array<bool, 4> m_angleHeld{};
    std::array<CStatMinMax, 10> m_pf, m_pfWindow; // 5 x class + position
    std::array<CStatMean, 10> m_pfP, m_pfS;
    std::array<CStatLimitRatio, 10> m_pfClass, m_pfLow;
    std::array<bool, 5> m_pfHeld{};
    ValueAcc m_unbalance;

    CAnalyserWindows<7, 4, 8, kChannels, 20> m_win;
};

bool CVKTStatEngine::Decode(const CArchivRecord& r)
{
    const BYTE* data = reinterpret_cast<const BYTE*>(r.data.constData());
    const int size = int(r.data.size());
    if (r.type == kRecordStatus) {
        if (size >= CVKTStatus::kImageSize) {
            CVKTStatus status;
            status.FromRaw(data);
            m_status = status;
        }
        return false;
    }
    CAktData decoded;
    bool ok = false;
    switch (r.type) {
    case kRecordFull:
        ok = decoded.Unpack(data, size, true) > 0;
        break;
    case kRecordChanged:
        // Changes build on a record of the program's own layout.
        decoded = m_values;
        ok = m_valuesValid && !m_values.IsDescribed() && decoded.Unpack(data, size, false) > 0;
        break;
    case kRecordVKT:
        if (m_status) {
            decoded.SetArchiveLayout(*m_status);
            ok = decoded.Unpack(data, size, true) > 0;
        }
        break;
    default:
        return false;
    }
    m_values = ok ? std::move(decoded) : CAktData();
    m_valuesValid = ok;
    return ok;
}

void CVKTStatEngine::TakeDefaults(const CArchivRecord& r)
{
    CVKTConfig config;
    if (!Config(r, config))
        return;
    CVKFamilyStatSettings& s = m_settings;
    const float field = config.GetNominalVoltage();
    float u = config.IsVtRatioUnset() ? field * 0.057803467f : field * 0.1f;
    if (!(u > 0.0f))
        u = 0.0f;
    s.nominalVoltage = u;
    const float power = config.GetNominalPower();
    s.nominalPower = power != 0.0f && power != 65535.0f ? power * 1000.0f : float(config.GetCtPrimary()) * u * 3.0f;
    s.nominalPowerPhase = s.nominalPower * 0.33333334f;
    // No current follows from a nominal voltage of nothing.
    s.nominalCurrent = u > 0.0f ? s.nominalPowerPhase / u : 0.0f;
    s.nominalVoltageLine = u * 1.7320508f;
    s.window1 = s.window2 = 60;
}

bool CVKTStatEngine::PhaseVoltageSampled(int i) const
{
    switch (m_connection) {
    case 0: return i == 0;
    case 1: return i <= 1;
    case 4: return false;
    case 5: return true;
    default: return i <= 2;
    }
}

bool CVKTStatEngine::LineVoltageSampled(int k) const
{
    switch (m_connection) {
    case 0: return false;
    case 1: return k == 0;
    case 4: return k == 0 || k == 2;
    default: return true;
    }
}

bool CVKTStatEngine::PhaseSampled(int i) const
{
    switch (m_connection) {
    case 0: return i == 0;
    case 1: return i <= 1;
    case 4: return i == 0 || i == 2;
    case 5: return true;
    default: return i <= 2;
    }
}

bool CVKTStatEngine::PhasePowerSampled(int i) const
{
    return m_connection != 4 && (m_connection == 5 || i <= 2) && (m_connection != 0 || i == 0) &&
           (m_connection != 1 || i <= 1);
}

bool CVKTStatEngine::PowerExcluded(int position) const
{
    if (position == kTotal)
        return m_connection == 0;
    return !PhasePowerSampled(position);
}

bool CVKTStatEngine::OverloadExcluded(int position) const
{
    switch (m_connection) {
    case 0: return position != 0;
    case 1: return position == 2;
    case 4: return position <= 3;
    default: return false;
    }
}

void CVKTStatEngine::Reset(CTime start, const Key& key)
{
    m_connection = key.connection;
    m_core.BeginSegment(start);
    m_carriedSeen = false;
    const CVKFamilyStatSettings& s = m_settings;
    for (int k = 0; k < 7; ++k) {
        const float nominal = k < 4 ? s.nominalVoltage : s.nominalVoltageLine;
        m_u[k].Reset();
        m_u115[k].Init(1, nominal * 1.15f);
        m_u90[k].Init(0, nominal * 0.9f);
        m_u10[k].Init(0, nominal * 0.1f);
        m_uOverload[k].Reset();
        m_uDrops[k].Reset();
        m_uOverloadChanges[k].Reset();
    }
    for (int i = 0; i < 4; ++i) {
        m_i[i].Reset();
        m_iHalf[i].Init(1, s.nominalCurrent * 0.5f);
        m_iNominal[i].Init(1, s.nominalCurrent);
        m_iOverload[i].Reset();
        m_iOverloadChanges[i].Reset();
    }
    for (ValueAcc& a : m_thd)
        a.Reset();
    for (ValueAcc& a : m_power)
        a.Reset();
    for (int n = 0; n < 20; ++n) {
        const float nominal = n % 5 == kTotal ? s.nominalPower : s.nominalPowerPhase;
        m_pHalf[n].Init(1, nominal * 0.5f);
        m_pNominal[n].Init(1, nominal);
    }
    for (int n = 0; n < 5; ++n) {
        m_overload[n].Reset();
        m_overloadChanges[n].Reset();
    }
    for (int n = 0; n < 8; ++n) {
        m_angle[n] = {};
        m_angleClass[n].Init(1, 1.0f);
        m_angleLow[n].Init(0, 0.95f);
    }
    m_angleHeld.fill(false);
    for (int n = 0; n < 10; ++n) {
        m_pf[n] = {};
        m_pfWindow[n] = {};
        m_pfP[n].Reset();
        m_pfS[n].Reset();
        m_pfClass[n].Init(1, 1.0f);
        m_pfLow[n].Init(0, 0.95f);
    }
    m_pfHeld.fill(false);
    m_unbalance.Reset();
    m_win.Start(start, s);
    SetInterval(m_core.Interval());
}

void CVKTStatEngine::SetInterval(int seconds)
{
    m_win.SetInterval(seconds);
}

void CVKTStatEngine::Extremes(ValueAcc& acc, float value, std::optional<float> min, std::optional<float> max)
{
    if (!m_carried) {
        acc.min.AddMin(value, m_t);
        acc.max.AddMax(value, m_t);
        return;
    }
    if (min) {
        acc.min.AddMin(*min, m_t);
        acc.heldExtreme = true;
    }
    if (max) {
        acc.max.AddMax(*max, m_t);
        acc.heldExtreme = true;
    }
}

void CVKTStatEngine::AddVoltage(int pos, bool sampled, bool present, float value, std::optional<float> min,
                                std::optional<float> max, bool overload)
{
    const float nominal = pos < 4 ? m_settings.nominalVoltage : m_settings.nominalVoltageLine;
    ValueAcc& acc = m_u[std::size_t(pos)];
    if (sampled && present) {
        acc.held = true;
        acc.mean.Add(value, m_minute);
        Extremes(acc, value, min, max);
        m_u90[pos].Add(value);
        m_u10[pos].Add(value);
        m_uOverload[pos].Add(overload);
        m_uDrops[pos].Update(value < nominal * 0.1f ? 1 : 0);
        m_uOverloadChanges[pos].Update(overload ? 1 : 0);
        m_win.voltages.Set(std::size_t(pos), value);
    } else if (m_minute) {
        acc.mean.CloseInterval();
    }
    m_u115[pos].Add(sampled && present ? value : 0.0f);
}

void CVKTStatEngine::AddCurrent(int i, bool sampled, float ratio)
{
    ValueAcc& acc = m_i[std::size_t(i)];
    const bool present = sampled && m_values.HasCurrent(i, kAvg);
    float value = 0.0f;
    if (present) {
        const bool zero = ZeroI(i);
        auto form = [&](int k) -> std::optional<float> {
            if (!m_values.HasCurrent(i, k))
                return std::nullopt;
            return zero ? 0.0f : float(m_values.GetCurrent(i, k)) * ratio;
        };
        value = *form(kAvg);
        acc.held = true;
        acc.mean.Add(value, m_minute);
        Extremes(acc, value, form(kMin), form(kMax));
        m_iOverload[i].Add(OverI(i));
        m_iOverloadChanges[i].Update(OverI(i) ? 1 : 0);
        m_win.currents.Set(std::size_t(i), value);
    } else if (m_minute) {
        acc.mean.CloseInterval();
    }
    m_iHalf[i].Add(value);
    m_iNominal[i].Add(value);
}

void CVKTStatEngine::AddThd(int pos, bool sampled, float value, std::optional<float> max)
{
    ValueAcc& acc = m_thd[std::size_t(pos)];
    if (!sampled) {
        if (m_minute)
            acc.mean.CloseInterval();
        return;
    }
    acc.held = true;
    acc.mean.Add(value, m_minute);
    if (!m_carried) {
        acc.max.AddMax(value, m_t);
    } else if (max) {
        acc.max.AddMax(*max, m_t);
        acc.heldExtreme = true;
    }
    m_win.thd.Set(std::size_t(pos), value);
}

void CVKTStatEngine::FeedPower(int index, float value, bool extremes)
{
    ValueAcc& acc = m_power[std::size_t(index)];
    acc.mean.Add(value, m_minute);
    if (extremes) {
        acc.min.AddMin(value, m_t);
        acc.max.AddMax(value, m_t);
    }
    const int share = ShareIndex(index);
    if (share >= 0) {
        m_pHalf[share].Add(value);
        m_pNominal[share].Add(value);
    }
    if (index < 20)
        m_win.energy[std::size_t(index)].Add(value, m_t);
    m_win.powers.Set(std::size_t(index), value);
}

void CVKTStatEngine::ZeroShare(int index)
{
    const int share = ShareIndex(index);
    if (share >= 0) {
        m_pHalf[share].Add(0.0f);
        m_pNominal[share].Add(0.0f);
    }
    m_win.powers.Set(std::size_t(index), 0.0f);
}

template <class Has, class Get>
std::optional<float> CVKTStatEngine::AddSignedPower(int block, int position, Has has, Get get, float ratio,
                                                     bool zero)
{
    const int imp = 5 * block + position;
    const int exp = 5 * (block + 1) + position;
    auto value = [&](int k, int c) -> std::optional<float> {
        if (!has(k, c))
            return std::nullopt;
        return zero ? 0.0f : float(get(k, c)) * ratio;
    };
    std::optional<float> net;
    const bool parts = has(kAvg, 1) && has(kAvg, 2);
    if (parts) {
        const float p = *value(kAvg, 1);
        const float n = std::fabs(*value(kAvg, 2));
        FeedPower(imp, p, !m_carried);
        FeedPower(exp, n, !m_carried);
        net = has(kAvg, 0) ? value(kAvg, 0) : std::optional<float>(p - n);
    } else if (has(kAvg, 0)) {
        const float v = *value(kAvg, 0);
        if (v >= 0.0f) {
            FeedPower(imp, v, !m_carried);
            ZeroShare(exp);
        } else {
            FeedPower(exp, -v, !m_carried);
            ZeroShare(imp);
        }
        net = v;
    } else {
        return std::nullopt;
    }
    m_power[std::size_t(imp)].held = m_power[std::size_t(exp)].held = true;
    if (m_carried) {
        auto feed = [&](int index, std::optional<float> v, bool asMin) {
            if (!v)
                return;
            ValueAcc& acc = m_power[std::size_t(index)];
            asMin ? acc.min.AddMin(*v, m_t) : acc.max.AddMax(*v, m_t);
            acc.heldExtreme = true;
        };
        if (parts) {
            feed(imp, value(kMin, 1), true);
            feed(imp, value(kMax, 1), false);
            const auto n1 = value(kMin, 2);
            const auto n2 = value(kMax, 2);
            if (n1 && n2) {
                feed(exp, std::min(std::fabs(*n1), std::fabs(*n2)), true);
                feed(exp, std::max(std::fabs(*n1), std::fabs(*n2)), false);
            }
        } else {
            for (const int k : {kMin, kMax}) {
                const auto v = value(k, 0);
                if (v)
                    feed(*v >= 0.0f ? imp : exp, std::fabs(*v), k == kMin);
            }
        }
    }
    return net;
}

template <class Has, class Get>
std::optional<float> CVKTStatEngine::AddApparent(int position, Has has, Get get, float ratio, bool zero)
{
    if (!has(kAvg))
        return std::nullopt;
    auto value = [&](int k) -> std::optional<float> {
        if (!has(k))
            return std::nullopt;
        return zero ? 0.0f : float(get(k)) * ratio;
    };
    const int index = 5 * kS + position;
    const float s = *value(kAvg);
    ValueAcc& acc = m_power[std::size_t(index)];
    acc.held = true;
    FeedPower(index, s, false);
    Extremes(acc, s, value(kMin), value(kMax));
    return s;
}

void CVKTStatEngine::AddPowerFactor(int position, std::optional<float> p, std::optional<float> q,
                                    std::optional<float> s, bool flagsClear)
{
    if (!p || !s || *s == 0.0f || !flagsClear)
        return;
    const float pf = ShiftPowerFactor(*p / *s);
    if (!(pf >= 0.0f && pf <= 2.0f))
        return;
    const int cls = q && *q < 0.0f ? 1 : 0;
    const int own = 5 * cls + position;
    const int other = 5 * (1 - cls) + position;
    m_pfLow[own].Add(pf > 1.0f ? 2.0f - pf : pf);
    m_pfLow[other].Add(1.0f);
    m_pfClass[own].Add(2.0f);
    m_pfClass[other].Add(0.0f);
    m_pf[own].Add(pf, m_t);
    if (q) {
        m_pfP[own].Add(*p, m_minute);
        m_pfS[own].Add(*s, m_minute);
    }
    const int ownCh = kPfChannel + 5 * cls + position;
    const int otherCh = kPfChannel + 5 * (1 - cls) + position;
    m_win.powers.Set(std::size_t(ownCh), *p);
    m_win.powers.Set(std::size_t(ownCh + 10), *s);
    m_win.powers.Set(std::size_t(otherCh), 0.0f);
    m_win.powers.Set(std::size_t(otherCh + 10), 0.0f);
}

void CVKTStatEngine::AddPhaseAngle(int i, std::optional<float> q)
{
    if (!PhasePowerSampled(i) || !m_values.HasCosPhi(i))
        return;
    m_angleHeld[std::size_t(i)] = true;
    if (OverU(i) || OverI(i) || ZeroU(i) || ZeroI(i))
        return;
    const float c = float(std::cos(m_values.GetCosPhi(i)));
    const int cls = q && *q < 0.0f ? 1 : 0;
    const int own = 2 * i + cls;
    const int other = 2 * i + 1 - cls;
    m_angleLow[own].Add(std::fabs(c));
    m_angleLow[other].Add(1.0f);
    m_angleClass[own].Add(2.0f);
    m_angleClass[other].Add(0.0f);
    m_angle[own].Add(c > 0.0f ? c : c + 2.0f, m_t);
}

void CVKTStatEngine::AddUnbalance()
{
    const bool measured = m_connection != 0 && m_connection != 1 && m_connection != 4;
    const bool overload = OverU(0) || OverU(1) || OverU(2);
    bool added = false;
    if (measured && m_values.HasVoltageUnbalance(kAvg)) {
        m_unbalance.held = true;
        const float value = float(m_values.GetVoltageUnbalance(kAvg));
        if (!overload && value <= kUnbalanceLimit) {
            m_unbalance.mean.Add(value, m_minute);
            added = true;
            if (!m_carried) {
                m_unbalance.max.AddMax(value, m_t);
            } else if (m_values.HasVoltageUnbalance(kMax)) {
                m_unbalance.heldExtreme = true;
                const float max = float(m_values.GetVoltageUnbalance(kMax));
                if (max <= kUnbalanceLimit)
                    m_unbalance.max.AddMax(max, m_t);
            }
        }
    }
    if (!added && m_minute)
        m_unbalance.mean.CloseInterval();
}

void CVKTStatEngine::AddRecord(const CArchivRecord& r)
{
    m_t = CTime(r.time);
    m_minute = m_core.AddCovered(m_t);
    m_carried = m_values.GetExtra() != nullptr;
    m_carriedSeen = m_carriedSeen || m_carried;
    m_win.BeginRecord();

    // Voltages.
    for (int i = 0; i < 4; ++i) {
        const float ratio = i < 3 ? m_ratios.u : m_ratios.u4;
        const bool zero = ZeroU(i);
        auto form = [&](int k) -> std::optional<float> {
            if (!m_values.HasVoltage(i, k))
                return std::nullopt;
            return zero ? 0.0f : float(m_values.GetVoltage(i, k)) * ratio;
        };
        const auto avg = form(kAvg);
        AddVoltage(i, PhaseVoltageSampled(i), avg.has_value(), avg.value_or(0.0f), form(kMin), form(kMax), OverU(i));
    }
    for (int k = 0; k < 3; ++k) {
        const int second = (k + 1) % 3;
        const bool zero = (ZeroU(k) && ZeroU(second)) || (ZeroU(k) && m_connection == 4);
        auto form = [&](int kind) -> std::optional<float> {
            if (!m_values.HasLineVoltage(k, kind))
                return std::nullopt;
            return zero ? 0.0f : float(m_values.GetLineVoltage(k, kind)) * m_ratios.u;
        };
        const bool overload = OverU(k) || (m_connection != 4 && OverU(second));
        const auto avg = form(kAvg);
        AddVoltage(4 + k, LineVoltageSampled(k), avg.has_value(), avg.value_or(0.0f), form(kMin), form(kMax),
                   overload);
    }

    // Currents and distortion.
    for (int i = 0; i < 4; ++i) {
        AddCurrent(i, PhaseSampled(i), i < 3 ? m_ratios.i : m_ratios.i4);
        const bool uSampled = PhaseSampled(i) && m_values.HasThdU(i, kAvg) && !OverU(i) && !ZeroU(i);
        const std::optional<float> uMax =
            m_values.HasThdU(i, kMax) ? std::optional<float>(float(m_values.GetThdU(i, kMax))) : std::nullopt;
        AddThd(i, uSampled, uSampled ? float(m_values.GetThdU(i, kAvg)) : 0.0f, uMax);
        const bool iSampled = PhaseSampled(i) && m_values.HasThdI(i, kAvg) && !OverI(i) && !ZeroI(i) &&
                              !m_values.IsThdIMissing(i, kAvg);
        const std::optional<float> iMax = m_values.HasThdI(i, kMax) && !m_values.IsThdIMissing(i, kMax)
                                              ? std::optional<float>(float(m_values.GetThdI(i, kMax)))
                                              : std::nullopt;
        AddThd(4 + i, iSampled, iSampled ? float(m_values.GetThdI(i, kAvg)) : 0.0f, iMax);
    }

    // Overloads.
    for (int i = 0; i < 4; ++i) {
        const bool state = OverU(i) || OverI(i);
        m_overload[i].Add(state);
        m_overloadChanges[i].Update(state ? 1 : 0);
    }
    const bool any = OverU(0) || OverI(0) || OverU(1) || OverI(1) || OverU(2) || OverI(2);
    m_overload[4].Add(any);
    m_overloadChanges[4].Update(any ? 1 : 0);

    // Phase powers, phase angles and power factors.
    for (int i = 0; i < 4; ++i) {
        if (!PhasePowerSampled(i))
            continue;
        const float ratio = i < 3 ? m_ratios.i * m_ratios.u : m_ratios.i4 * m_ratios.u4;
        const bool zero = ZeroU(i) || ZeroI(i);
        const auto p = AddSignedPower(
            kPImport, i, [&](int k, int c) { return m_values.HasActivePower(i, k, c); },
            [&](int k, int c) { return m_values.GetActivePower(i, k, c); }, ratio, zero);
        const auto s = AddApparent(
            i, [&](int k) { return m_values.HasApparentPower(i, k); },
            [&](int k) { return m_values.GetApparentPower(i, k); }, ratio, zero);
        const auto q = AddSignedPower(
            kQImport, i, [&](int k, int c) { return m_values.HasReactivePower(i, k, c); },
            [&](int k, int c) { return m_values.GetReactivePower(i, k, c); }, ratio, zero);
        AddPhaseAngle(i, q);
        if (m_values.HasPowerFactor(i, kAvg))
            m_pfHeld[std::size_t(i)] = true;
        AddPowerFactor(i, p, q, s, !(OverU(i) || OverI(i) || ZeroU(i) || ZeroI(i)));
    }

    // Three-phase values.
    const int c = m_connection;
    const float totalRatio = m_ratios.i * m_ratios.u;
    const auto p = AddSignedPower(
        kPImport, kTotal, [&](int k, int comp) { return m_values.HasTotalActivePower(c, k, comp); },
        [&](int k, int comp) { return m_values.GetTotalActivePower(c, k, comp); }, totalRatio, false);
    const auto s = AddApparent(
        kTotal, [&](int k) { return m_values.HasTotalApparentPower(c, k); },
        [&](int k) { return m_values.GetTotalApparentPower(c, k); }, totalRatio, false);
    const auto q = AddSignedPower(
        kQImport, kTotal, [&](int k, int comp) { return m_values.HasTotalReactivePower(c, k, comp); },
        [&](int k, int comp) { return m_values.GetTotalReactivePower(c, k, comp); }, totalRatio, false);
    if (m_minute) {
        for (int block = 0; block < 5; ++block) {
            const bool absent = block == kS ? !s : (block < kQImport ? !p : !q);
            if (absent)
                m_power[std::size_t(5 * block + kTotal)].mean.CloseInterval();
        }
    }
    bool flagsClear = !OverI(0) && !ZeroI(0);
    const int phases = c == 1 ? 0x3 : c == 4 ? 0x5 : 0x7;
    for (int i = 0; i < 3; ++i)
        if ((phases >> i) & 1)
            flagsClear = flagsClear && !OverU(i) && !OverI(i);
    if (m_values.HasTotalPowerFactor(c, kAvg))
        m_pfHeld[kTotal] = true;
    AddPowerFactor(kTotal, p, q, s, flagsClear);

    AddUnbalance();

    const bool w1 = m_core.WindowFilled(m_t, m_settings.window1);
    const bool w2 = m_core.WindowFilled(m_t, m_settings.window2);
    std::array<float, kChannels> avg{};
    std::array<BOOL, kChannels> ok{};
    if (!m_win.EndRecord(m_t, w1, w2, avg, ok))
        return;
    for (int cls = 0; cls < 2; ++cls) {
        for (int k = 0; k < 5; ++k) {
            const std::size_t pc = std::size_t(kPfChannel + 5 * cls + k);
            const std::size_t sc = pc + 10;
            if (!ok[pc] || !ok[sc] || avg[sc] == 0.0f)
                continue;
            const float pf = ShiftPowerFactor(avg[pc] / avg[sc]);
            if (pf >= 0.0f && pf <= 2.0f)
                m_pfWindow[std::size_t(5 * cls + k)].Add(pf, m_t);
        }
    }
}

void CVKTStatEngine::Finish(Result& out, CTime end)
{
    const CVKFamilyStatSettings& s = m_settings;
    out.settings = &m_settings;
    const float uDiv = float(std::max(s.voltageMultiplier, 1));
    const float iDiv = float(std::max(s.currentMultiplier, 1));
    const float pDiv = float(std::max(s.powerMultiplier, 1));
    const bool any = m_core.RecordCount() > 0;

    auto group = [&](CStatValueGroup& g, const ValueAcc& a, const CStatAverages& win, int ch, float div,
                     bool excluded) {
        const bool notHeld = excluded || (any && !a.held);
        g.averageState = StateOf(notHeld, a.mean.GetMean(g.average));
        g.average /= div;
        const BOOL minOk = a.min.Get(g.min);
        a.max.Get(g.max);
        a.min.GetTime(g.minTime);
        a.max.GetTime(g.maxTime);
        g.min /= div;
        g.max /= div;
        g.extremesState = StateOf(notHeld || (m_carriedSeen && !a.heldExtreme && !minOk), minOk);
        if (ch >= 0) {
            const auto& largest = win.GetLargest(ch);
            const auto& smallest = win.GetSmallest(ch);
            g.windowMax = largest.value / div;
            g.windowMin = smallest.value / div;
            g.windowMaxTime = largest.time;
            g.windowMinTime = smallest.time;
            g.windowState = StateOf(notHeld, largest.set);
        }
        return notHeld;
    };

    for (int k = 0; k < 7; ++k) {
        CVKTVoltageStat& v = out.voltages[std::size_t(k)];
        const bool excluded = k < 4 ? !PhaseVoltageSampled(k) : !LineVoltageSampled(k - 4);
        const bool notHeld = group(v, m_u[std::size_t(k)], m_win.voltages.window, k, uDiv, excluded);
        v.above115 = Percent(m_u115[k].GetRatio());
        v.below90 = Percent(m_u90[k].GetRatio());
        v.below10 = Percent(m_u10[k].GetRatio());
        v.dropState = StateOf(notHeld, m_uDrops[k].GetChanges(v.drops));
        v.overloadShare = Percent(m_uOverload[k].GetRatio());
        v.overloadState = StateOf(notHeld, m_uOverloadChanges[k].GetChanges(v.overloadChanges));
    }
    for (int i = 0; i < 4; ++i) {
        CVKTCurrentStat& c = out.currents[std::size_t(i)];
        const bool notHeld = group(c, m_i[std::size_t(i)], m_win.currents.window, i, iDiv, !PhaseSampled(i));
        c.aboveHalf = Percent(m_iHalf[i].GetRatio());
        c.aboveNominal = Percent(m_iNominal[i].GetRatio());
        c.overloadShare = Percent(m_iOverload[i].GetRatio());
        c.overloadState = StateOf(notHeld, m_iOverloadChanges[i].GetChanges(c.overloadChanges));
    }
    for (int n = 0; n < 8; ++n) {
        CStatPeakGroup& g = n < 4 ? out.voltageThd[std::size_t(n)] : out.currentThd[std::size_t(n - 4)];
        const ValueAcc& a = m_thd[std::size_t(n)];
        const bool notHeld = !PhaseSampled(n % 4) || (any && !a.held);
        g.averageState = StateOf(notHeld, a.mean.GetMean(g.average));
        const BOOL maxOk = a.max.Get(g.max);
        a.max.GetTime(g.maxTime);
        g.maxState = StateOf(notHeld || (m_carriedSeen && !a.heldExtreme && !maxOk), maxOk);
        const auto& largest = m_win.thd.window.GetLargest(n);
        g.windowMax = largest.value;
        g.windowMaxTime = largest.time;
        g.windowState = StateOf(notHeld, largest.set);
    }
    for (int n = 0; n < 25; ++n) {
        const bool excluded = PowerExcluded(n % 5);
        const bool notHeld = group(out.powers[std::size_t(n)], m_power[std::size_t(n)], m_win.powers.window, n, pDiv, excluded);
        if (n < 20) {
            out.energies[std::size_t(n)].value = m_win.energy[std::size_t(n)].GetValue() / pDiv;
            out.energies[std::size_t(n)].state = notHeld ? vkstat::kNotApplicable : vkstat::kPresent;
            out.powerAboveHalf[std::size_t(n)] = Percent(m_pHalf[n].GetRatio());
            out.powerAboveNominal[std::size_t(n)] = Percent(m_pNominal[n].GetRatio());
        }
    }
    for (int n = 0; n < 5; ++n) {
        CVKTOverloadStat& o = out.overloads[std::size_t(n)];
        o.share = Percent(m_overload[n].GetRatio());
        o.state = StateOf(OverloadExcluded(n), m_overloadChanges[n].GetChanges(o.changes));
    }
    for (int n = 0; n < 10; ++n) {
        CVKTPowerFactorStat& pf = out.powerFactors[std::size_t(n)];
        const int position = n % 5;
        const bool notHeld = PowerExcluded(position) || (any && !m_pfHeld[std::size_t(position)]);
        pf.classShare = Percent(m_pfClass[n].GetRatio());
        pf.below095 = Percent(m_pfLow[n].GetRatio());
        float p = 0.0f, apparent = 0.0f;
        const bool means = m_pfP[n].GetMean(p) && m_pfS[n].GetMean(apparent);
        // No factor from an apparent power of nothing or smaller than the active.
        const bool averageOk = means && apparent > 0.0f && apparent >= std::fabs(p);
        pf.average = averageOk ? std::fabs(p) / apparent : 0.0f;
        pf.averageState = StateOf(notHeld, averageOk);
        BOOL ok = FALSE;
        pf.worst = Worst(m_pf[n], pf.worstTime, ok);
        pf.worstState = StateOf(notHeld, ok);
        pf.windowWorst = Worst(m_pfWindow[n], pf.windowWorstTime, ok);
        pf.windowState = StateOf(notHeld, ok);
    }
    for (int i = 0; i < 4; ++i) {
        CVKTPhaseAngleStat& a = out.phaseAngles[std::size_t(i)];
        const bool notHeld = !PhasePowerSampled(i) || (any && !m_angleHeld[std::size_t(i)]);
        for (int cls = 0; cls < 2; ++cls) {
            const int n = 2 * i + cls;
            a.classShare[std::size_t(cls)] = Percent(m_angleClass[n].GetRatio());
            a.below095[std::size_t(cls)] = Percent(m_angleLow[n].GetRatio());
            BOOL ok = FALSE;
            a.worst[std::size_t(cls)] = Worst(m_angle[n], a.worstTime[std::size_t(cls)], ok);
            a.state[std::size_t(cls)] = StateOf(notHeld, ok);
        }
    }
    const bool unbalanceExcluded =
        m_connection == 0 || m_connection == 1 || m_connection == 4 || (any && !m_unbalance.held);
    out.unbalance.averageState = StateOf(unbalanceExcluded, m_unbalance.mean.GetMean(out.unbalance.average));
    const BOOL maxOk = m_unbalance.max.Get(out.unbalance.max);
    m_unbalance.max.GetTime(out.unbalance.maxTime);
    out.unbalance.maxState =
        StateOf(unbalanceExcluded || (m_carriedSeen && !m_unbalance.heldExtreme && !maxOk), maxOk);
    m_core.FillTail(out.tail, end);
}

} // namespace

std::vector<CVKTStatResult> ComputeVKTStatistics(const CVKTArchivData& data, CVKTStatSettings& settings,
                                                 const ProgressFn& progress)
{
    float ratio = 1.0f, ratio4 = 1.0f;
    data.GetScaleU(ratio, ratio4, settings.voltageFormat, settings.voltageMultiplier);
    data.GetScaleI(ratio, ratio4, settings.currentFormat, settings.currentMultiplier);
    data.GetScalePower(settings.powerFormat, settings.powerMultiplier);
    CVKTStatEngine engine(settings, {data.GetRatioU(), data.GetRatioU4(), data.GetRatioI(), data.GetRatioI4()});
    return CStatWalk<CVKTStatEngine>(data.Window(), engine, progress).Run();
}

} // namespace charts::stats
