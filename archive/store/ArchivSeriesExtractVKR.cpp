#include "archive/store/ArchivSeriesExtract.h"

#include "archive/store/ArchivSeriesPoints.h"
#include "archive/store/VKRArchivData.h"

#include <cmath>

using platform::CTime;

namespace archive {

namespace {

constexpr std::int16_t kNoWord = std::int16_t(0x8000);
constexpr double kWordStep = 0.01;
constexpr double kAngleStep = 0.0001;
constexpr double kLeastApparent = 1e-9;

// Names of VKRQuantityNames by their number.
enum VKRQuantity {
    kU1 = 0, kI1 = 3, kI4 = 6, kPF1 = 7, kFr = 10, kT = 11, kCos1 = 12, kULine1 = 15, kP1 = 18, kQ1 = 21, kS1 = 24,
    kThdU1 = 27, kThdI1 = 30, kPF3 = 33, kP3 = 34, kQ3 = 35, kS3 = 36, kThdULine1 = 37,
};

// Which quantities of a phase the connection has.
struct Phases {
    int type;

    bool Phase(int k) const
    {
        return type == CVKRConfig::OnePhase ? k == 0 : type == CVKRConfig::TwoPhases ? k < 2 : true;
    }
    bool Voltage(int k) const { return Phase(k); }
    bool Current(int k) const { return Phase(k) && !(type == CVKRConfig::Aron && k == 1); }
    bool LineVoltage(int k) const
    {
        return type == CVKRConfig::OnePhase ? false : type == CVKRConfig::TwoPhases ? k == 0 : true;
    }
    bool Power(int k) const { return Phase(k) && type != CVKRConfig::Aron; }
    bool ThdLine(int k) const
    {
        return type == CVKRConfig::OnePhase ? false : type == CVKRConfig::TwoPhases ? k == 2 : true;
    }
    // Phases that enter the totals: the Aron connection has no phase 2.
    bool InTotals(int k) const { return Current(k); }
    bool Totals() const { return type != CVKRConfig::OnePhase; }
};

// A signed word quantity: 0x8000 is no value.
void Word(SeriesPoints& out, int q, int index, CTime t, bool present, bool used, std::int16_t word, double step)
{
    if (!used) {
        out.Gap(q, index, false);
        return;
    }
    out.CodedOrHold(q, index, t, present, [&](double& x) {
        x = word * step;
        return word != kNoWord;
    });
}

// Angle word in 0.0001 rad as cos phi on the scale where 1.0 is unity: the
// two signs fall above and below it.
void Cos(SeriesPoints& out, int q, int index, CTime t, bool present, bool used, std::int16_t word)
{
    if (!used) {
        out.Gap(q, index, false);
        return;
    }
    out.CodedOrHold(q, index, t, present, [&](double& x) {
        const double c = std::cos(word * kAngleStep);
        x = c >= 0 ? 2 - c : -c;
        return word != kNoWord;
    });
}

void DrawVKR(SeriesPoints& out, int index, CTime t, const CVKRAktData& v, Phases ph, std::uint32_t m)
{
    double sumP = 0;
    double sumQ = 0;
    double sumS = 0;
    for (int k = 0; k < 3; ++k) {
        const double u = std::fabs(v.GetUPhase(k));
        const double i = std::fabs(v.GetI(k));
        out.ValueOr(kU1 + k, index, t, ph.Voltage(k), u, false);
        out.ValueOr(kI1 + k, index, t, ph.Current(k), i, false);
        out.ValueOr(kULine1 + k, index, t, ph.LineVoltage(k), std::fabs(v.GetULine(k)), false);
        out.ValueOr(kP1 + k, index, t, ph.Power(k), v.GetP(k), false);
        out.ValueOr(kQ1 + k, index, t, ph.Power(k), v.GetQ(k), false);
        const double s = u * i;
        out.ValueOr(kS1 + k, index, t, ph.Power(k), s, false);
        out.ValueOr(kPF1 + k, index, t, ph.Power(k) && s >= kLeastApparent, 2 - std::fabs(v.GetP(k) / s), false);
        Cos(out, kCos1 + k, index, t, Bit(m, 13 + k), ph.Power(k), v.GetAngle(k));
        Word(out, kThdU1 + k, index, t, Bit(m, 16 + k), ph.Voltage(k), v.GetThdU(k), kWordStep);
        Word(out, kThdI1 + k, index, t, Bit(m, 19 + k), ph.Current(k), v.GetThdI(k), kWordStep);
        Word(out, kThdULine1 + k, index, t, Bit(m, 22 + k), ph.ThdLine(k), v.GetThdULine(k), kWordStep);
        if (ph.InTotals(k)) {
            sumP += v.GetP(k);
            sumQ += v.GetQ(k);
            sumS += s;
        }
    }
    out.Gap(kI4, index, false); // the VKR has three current inputs
    Word(out, kT, index, t, Bit(m, 28), true, v.GetTemperature(), kWordStep);
    Word(out, kFr, index, t, Bit(m, 29), true, v.GetFrequency(), kWordStep);

    const bool totals = ph.Totals();
    out.ValueOr(kP3, index, t, totals, sumP, false);
    out.ValueOr(kQ3, index, t, totals, sumQ, false);
    out.ValueOr(kS3, index, t, totals, sumS, false);
    const double ratio = sumS >= kLeastApparent ? sumP / sumS : 0.0;
    out.ValueOr(kPF3, index, t, totals && sumS >= kLeastApparent, ratio >= 0 ? 2 - ratio : ratio, false);
}

} // namespace

void FollowVKRSettings(const CArchivRecord& r, int& connectionType)
{
    CVKRConfig config;
    if (r.type == kRecordSettings && CVKRArchivData::DecodeConfigRecord(r, config))
        connectionType = config.GetConnection();
}

int ExtractVKRSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                     int endIndex, int startIndex, int connectionType)
{
    Phases phases{connectionType};
    bool started = false;
    return WalkSeries(
        registry, kFamilyVKR, records, channel, endIndex, startIndex, CVKRAktData(),
        [&phases](const CArchivRecord& r) { FollowVKRSettings(r, phases.type); },
        [&phases, &started](SeriesPoints& out, int index, const CArchivRecord& r, CVKRAktData& v) {
            if (r.type == kRecordFull) {
                if (!CVKRArchivData::DecodeFullRecord(v, r))
                    return false;
                started = true;
                DrawVKR(out, index, CTime(r.time), v, phases, ~0U);
                return true;
            }
            // Floats have no marker of their own: without a full record
            // before them, the fields a change leaves out are unknown.
            if (!started || !CVKRArchivData::DecodeDeltaRecord(v, r))
                return false;
            DrawVKR(out, index, CTime(r.time), v, phases, ReadU32(r.data.constData() + r.data.size() - 4));
            return true;
        });
}

} // namespace archive
