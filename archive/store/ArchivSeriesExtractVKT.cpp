#include "archive/store/ArchivSeriesExtract.h"

#include "archive/store/ArchivSeriesPoints.h"
#include "archive/store/ArchivVKTRecords.h"
#include "model/AktData.h"
#include "model/VKTConfig.h"
#include "model/VKTStatus.h"

#include <algorithm>
#include <array>
#include <cmath>

using platform::CTime;

namespace archive {

namespace {

constexpr double kLeastApparent = 1e-18;
constexpr double kMostPowerFactor = 1.01;
// Fault states whose values are not drawn: the record is a hole like an outage.
constexpr BYTE kFaultMask = 0x0B;
constexpr int kAverage = CAktData::Average;

// Names of VKTQuantityNames by their number.
constexpr std::array<int, 4> kU = {0, 1, 2, 3};
constexpr std::array<int, 4> kI = {4, 5, 6, 7};
constexpr std::array<int, 4> kPF = {8, 9, 10, 12};
constexpr std::array<int, 4> kCos = {15, 16, 17, 18};
constexpr std::array<int, 3> kULine = {19, 20, 21};
constexpr std::array<int, 4> kP = {23, 24, 25, 27};
constexpr std::array<int, 4> kQ = {28, 29, 30, 32};
constexpr std::array<int, 4> kS = {33, 34, 35, 37};
constexpr std::array<int, 4> kThdU = {38, 39, 40, 41};
constexpr std::array<int, 4> kThdI = {42, 43, 44, 45};
constexpr int k3PF = 11;
constexpr int kFr = 13;
constexpr int kT = 14;
constexpr int kUnbalance = 22;
constexpr int k3P = 26;
constexpr int k3Q = 31;
constexpr int k3S = 36;

bool Valid(double v)
{
    return v != kNoValue;
}

// Which quantities the connection type has.
struct Connection {
    int type;

    bool Phase(int i) const
    {
        if (i == 3)
            return type == CVKTConfig::FourPhase;
        return type == CVKTConfig::Single ? i == 0 : type == CVKTConfig::TwoPhase ? i < 2 : true;
    }
    bool Voltage(int i) const { return Phase(i) && type != CVKTConfig::Aron; }
    bool Current(int i) const { return Phase(i) && !(type == CVKTConfig::Aron && i == 1); }
    bool LineVoltage(int j) const
    {
        return type == CVKTConfig::Single ? false
               : type == CVKTConfig::TwoPhase ? j == 0
               : type == CVKTConfig::Aron     ? j != 1
                                              : true;
    }
    // Inputs the three-phase totals are made of.
    bool InTotals(int i) const
    {
        return type == CVKTConfig::TwoPhase ? i < 2 : type == CVKTConfig::Aron ? i == 0 || i == 2 : i < 3;
    }
    // The selection bits a program-form record needs for its totals.
    WORD TotalsSelection() const
    {
        return type == CVKTConfig::TwoPhase ? 19 : type == CVKTConfig::Aron ? 21 : 23;
    }
};

class VKTDrawer {
public:
    VKTDrawer(SeriesPoints& out, int index, CTime t, const CAktData& v, const CVKTSeriesScales& s)
        : m_out(out)
        , m_index(index)
        , m_t(t)
        , m_v(v)
        , m_s(s)
        , m_c{s.connectionType}
        , m_described(v.IsDescribed())
    {
    }

    void Draw()
    {
        for (int i = 0; i < CAktData::kInputs; ++i)
            DrawInput(i);
        for (int j = 0; j < 3; ++j) {
            const double u = m_v.GetLineVoltage(j, kAverage);
            const bool failed = (m_v.GetStatusB() >> j) & 1U;
            m_out.ValueOr(kULine[std::size_t(j)], m_index, m_t, m_c.LineVoltage(j) && Valid(u),
                          failed ? 0.0 : u * m_s.voltageRatio, false);
        }
        const double unbalance = m_v.GetVoltageUnbalance(kAverage);
        const bool hasUnbalance = m_c.type >= CVKTConfig::Star && m_c.type != CVKTConfig::Aron && Valid(unbalance) &&
                                  unbalance != CAktData::kNoUnbalance && std::fabs(unbalance - 655.35) > 1e-6;
        m_out.ValueOr(kUnbalance, m_index, m_t, hasUnbalance, unbalance, false);
        const double fr = m_v.GetFrequency(kAverage);
        m_out.ValueOr(kFr, m_index, m_t, m_v.HasFrequency(kAverage) && Valid(fr), fr, false);
        const double temperature = m_v.GetTemperature(kAverage);
        m_out.ValueOr(kT, m_index, m_t, m_v.HasTemperature(kAverage) && Valid(temperature), temperature, false);
        DrawTotals();
    }

private:
    double VoltageRatio(int i) const { return i == 3 ? m_s.voltageRatio4 : m_s.voltageRatio; }
    double CurrentRatio(int i) const { return i == 3 ? m_s.currentRatio4 : m_s.currentRatio; }
    bool Blocked(int i) const { return m_v.HasOverloadFlag(i) || m_v.HasPhaseFlag(i); }

    void DrawInput(int i)
    {
        const std::size_t n = std::size_t(i);
        const BYTE a = m_v.GetStatusA();
        const BYTE b = m_v.GetStatusB();
        const bool voltageFailed = (b >> i) & 1U;
        const bool currentFailed = (b >> (i + 4)) & 1U;

        const double u = m_v.GetVoltage(i, kAverage);
        m_out.ValueOr(kU[n], m_index, m_t, m_c.Voltage(i) && Valid(u), voltageFailed ? 0.0 : u * VoltageRatio(i),
                      false);
        const double current = m_v.GetCurrent(i, kAverage);
        m_out.ValueOr(kI[n], m_index, m_t, m_c.Current(i) && Valid(current),
                      currentFailed ? 0.0 : current * CurrentRatio(i), false);

        const double angle = m_v.GetCosPhi(i);
        const double c = std::cos(angle);
        m_out.ValueOr(kCos[n], m_index, m_t, m_c.Voltage(i) && Valid(angle) && !Blocked(i), c < 0 ? -c : 2 - c,
                      false);

        const double power = VoltageRatio(i) * CurrentRatio(i);
        const bool flagged = m_v.HasPhaseFlag(i);
        const double p = m_v.GetActivePower(i, kAverage, 0);
        const double q = m_v.GetReactivePower(i, kAverage, 0);
        const double s = m_v.GetApparentPower(i, kAverage);
        m_out.ValueOr(kP[n], m_index, m_t, m_c.Voltage(i) && Valid(p), flagged ? 0.0 : p * power, false);
        m_out.ValueOr(kQ[n], m_index, m_t, m_c.Voltage(i) && Valid(q), flagged ? 0.0 : q * power, false);
        m_out.ValueOr(kS[n], m_index, m_t, m_c.Voltage(i) && Valid(s), flagged ? 0.0 : s * power, false);

        if (m_described) {
            // The instrument's own power factor, as the record gives it.
            const double pf = m_v.GetPowerFactor(i, kAverage);
            m_out.ValueOr(kPF[n], m_index, m_t, m_c.Voltage(i) && Valid(pf) && pf <= kMostPowerFactor && !Blocked(i),
                          pf, false);
        } else {
            const bool ok = m_c.Voltage(i) && Valid(p) && Valid(s) && s >= kLeastApparent && !Blocked(i);
            m_out.ValueOr(kPF[n], m_index, m_t, ok, ok ? 2 - std::min(std::fabs(p) / s, 1.0) : 0.0, false);
        }

        const double thdU = m_v.GetThdU(i, kAverage);
        const bool thdUOk = Valid(thdU) && (m_described || !(((a | b) >> i) & 1U));
        m_out.ValueOr(kThdU[n], m_index, m_t, m_c.Voltage(i) && thdUOk, thdU, false);
        const double thdI = m_v.GetThdI(i, kAverage);
        const bool thdIOk = !m_v.IsThdIMissing(i, kAverage) && (m_described || !(((a | b) >> (i + 4)) & 1U));
        m_out.ValueOr(kThdI[n], m_index, m_t, m_c.Current(i) && thdIOk, thdI, false);
    }

    void GapTotals()
    {
        for (int q : {k3PF, k3P, k3Q, k3S})
            m_out.Gap(q, m_index, false);
    }

    bool UsedInputOverloaded() const
    {
        for (int i = 0; i < 3; ++i)
            if (m_c.InTotals(i) && m_v.HasOverloadFlag(i))
                return true;
        return false;
    }

    void DrawTotals()
    {
        if (m_c.type == CVKTConfig::Single) {
            GapTotals();
            return;
        }
        const double power = m_s.voltageRatio * m_s.currentRatio;
        if (m_described) {
            const int c = m_c.type;
            const double p = m_v.GetTotalActivePower(c, kAverage, 0);
            const double q = m_v.GetTotalReactivePower(c, kAverage, 0);
            const double s = m_v.GetTotalApparentPower(c, kAverage);
            m_out.ValueOr(k3P, m_index, m_t, m_v.HasTotalActivePower(c, kAverage, 0) && Valid(p), p * power, false);
            m_out.ValueOr(k3Q, m_index, m_t, m_v.HasTotalReactivePower(c, kAverage, 0) && Valid(q), q * power,
                          false);
            m_out.ValueOr(k3S, m_index, m_t, m_v.HasTotalApparentPower(c, kAverage) && Valid(s), s * power, false);
            const double pf = m_v.GetTotalPowerFactor(c, kAverage);
            m_out.ValueOr(k3PF, m_index, m_t, Valid(pf) && pf <= kMostPowerFactor && !UsedInputOverloaded(), pf,
                          false);
            return;
        }
        const WORD needed = m_c.TotalsSelection();
        if ((m_v.GetSelection() & needed) != needed) {
            GapTotals();
            return;
        }
        double p = 0;
        double q = 0;
        double s = 0;
        for (int i = 0; i < 3; ++i) {
            if (!m_c.InTotals(i) || m_v.HasPhaseFlag(i))
                continue;
            const double pi = m_v.GetActivePower(i, kAverage, 0);
            const double qi = m_v.GetReactivePower(i, kAverage, 0);
            const double si = m_v.GetApparentPower(i, kAverage);
            p += Valid(pi) ? pi : 0.0;
            q += Valid(qi) ? qi : 0.0;
            s += Valid(si) ? si : 0.0;
        }
        m_out.Value(k3P, m_index, m_t, p * power);
        m_out.Value(k3Q, m_index, m_t, q * power);
        m_out.Value(k3S, m_index, m_t, s * power);
        const bool ok = s >= kLeastApparent && !UsedInputOverloaded();
        m_out.ValueOr(k3PF, m_index, m_t, ok, ok ? 2 - std::min(std::fabs(p) / s, 1.0) : 0.0, false);
    }

    SeriesPoints& m_out;
    int m_index;
    CTime m_t;
    const CAktData& m_v;
    const CVKTSeriesScales& m_s;
    Connection m_c;
    bool m_described;
};

} // namespace

void FollowVKTSettings(const CArchivRecord& r, CVKTSeriesScales& scales)
{
    if (r.type != kRecordSettings || r.data.size() < CVKTConfig::kImageSize)
        return;
    CVKTConfig config;
    config.FromRaw(reinterpret_cast<const BYTE*>(r.data.constData()));
    scales.voltageRatio = config.GetPrimary();
    scales.voltageRatio4 = config.GetSecondVtRatio();
    scales.currentRatio = config.GetRatio();
    scales.currentRatio4 = config.GetCt4Ratio();
    scales.connectionType = config.GetConnection();
}

int ExtractVKTSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                     int endIndex, int startIndex, CVKTSeriesScales scales)
{
    CVKTRecordDecoder decoder;
    BYTE faultState = 0;
    return WalkSeries(
        registry, kFamilyVKT, records, channel, endIndex, startIndex, 0,
        [&](const CArchivRecord& r) {
            decoder.Observe(r);
            if (r.type == kRecordSettings) {
                FollowVKTSettings(r, scales);
            } else if (r.type == kRecordStatus) {
                faultState = 0;
            }
        },
        [&](SeriesPoints& out, int index, const CArchivRecord& r, int) {
            if (!decoder.Decode(r))
                return false;
            const CAktData& v = decoder.Values();
            // The instrument's own records carry no fault state: the one
            // before them stays in force.
            if (r.type != kRecordVKT)
                faultState = v.GetFaultState();
            if (faultState & kFaultMask)
                return false;
            VKTDrawer(out, index, CTime(r.time), v, scales).Draw();
            return true;
        });
}

} // namespace archive
