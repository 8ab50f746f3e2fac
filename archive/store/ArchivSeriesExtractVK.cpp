#include "archive/store/ArchivSeriesExtract.h"

#include "archive/store/ArchivSeriesPoints.h"
#include "archive/store/VKArchivData.h"

#include <cmath>
#include <cstdlib>

using platform::CTime;

namespace archive {

namespace {

constexpr double kVoltageStep = 0.1;
constexpr double kCurrentStep = 0.0003125;
constexpr double kPowerStep = 0.000003125;
constexpr double kThdLimit = 850.0;

// Names of VKQuantityNames by their number.
enum VKQuantity {
    kU1 = 0, kI1 = 3, kPF1 = 7, kFr = 10, kT = 11, kCos1 = 12, kULine1 = 15, kP1 = 18, kQ1 = 21, kS1 = 24,
    kThdU1 = 27, kThdI1 = 30, kPF3 = 33, kP3 = 34, kQ3 = 35, kS3 = 36,
};

// Which byte-coded fields a changed-fields record carries; a full record
// carries all of them.
struct VKPresence {
    std::uint32_t first = ~0U;
    std::uint32_t second = ~0U;
    std::uint32_t third = ~0U;
};

// Power-factor code: 0x7F no value; 1.0 is unity, 2.0 zero.
bool PowerFactorFromCode(std::int8_t code, double& value)
{
    if (code == 0x7F)
        return false;
    value = code < 0 ? (code + 200) / 100.0 : (200 - code) / 100.0;
    return true;
}

bool PowerPresent(std::int32_t v)
{
    return v != CVKAktData::kNoPower;
}

void DrawTotals(SeriesPoints& out, int index, CTime t, const CVKAktData& v, const CVKSeriesScales& s)
{
    const double factor = s.voltageRatio * s.currentRatio * kPowerStep;
    if (v.HasTotals()) {
        const bool ok = !s.connectionMode2;
        const std::int32_t p = v.GetP(0);
        const std::int32_t q = v.GetP(1);
        const std::int32_t sum = v.GetP(2);
        out.ValueOr(kP3, index, t, ok && PowerPresent(p), p * factor, false);
        out.ValueOr(kQ3, index, t, ok && PowerPresent(q), q * factor, false);
        out.ValueOr(kS3, index, t, ok && PowerPresent(sum), sum * factor, false);
        // The totals' own power factor, from 3P and 3Q as for the phases.
        const double apparent = std::sqrt(double(p) * p + double(q) * q);
        const bool pf = ok && PowerPresent(p) && PowerPresent(q) && apparent >= 1e-8;
        const double ratio = pf ? p / apparent : 0.0;
        out.ValueOr(kPF3, index, t, pf, ratio < 0 ? ratio + 2 : 2 - ratio, false);
        return;
    }
    if (!out.Has(kPF3) && !out.Has(kP3) && !out.Has(kQ3) && !out.Has(kS3))
        return; // the power dwords are read only for a series that needs them
    // Phases 1 and 3, and 2 unless the Aron connection leaves it out.
    const auto sum = [&v, &s](std::int32_t (CVKAktData::*get)(int) const, bool& present) {
        present = PowerPresent((v.*get)(0)) && PowerPresent((v.*get)(2)) &&
                  (s.connectionMode2 || PowerPresent((v.*get)(1)));
        return double((v.*get)(0)) + double((v.*get)(2)) + (s.connectionMode2 ? 0.0 : double((v.*get)(1)));
    };
    bool hasP = false;
    bool hasQ = false;
    const double p = sum(&CVKAktData::GetP, hasP);
    const double q = sum(&CVKAktData::GetQ, hasQ);
    const double apparent = std::sqrt(p * p + q * q);
    out.ValueOr(kP3, index, t, hasP, p * factor, false);
    out.ValueOr(kQ3, index, t, hasQ, q * factor, false);
    out.ValueOr(kS3, index, t, hasP && hasQ, apparent * factor, false);
    const bool pf = hasP && hasQ && std::fabs(p) <= apparent && apparent >= 1e-8;
    const double ratio = pf ? p / apparent : 0.0;
    out.ValueOr(kPF3, index, t, pf, ratio < 0 ? ratio + 2 : 2 - ratio, false);
}

void DrawVK(SeriesPoints& out, int index, CTime t, const CVKAktData& v, const CVKSeriesScales& s, VKPresence m)
{
    const double power = s.voltageRatio * s.currentRatio * kPowerStep;
    for (int k = 0; k < 3; ++k) {
        const WORD u = v.GetU(k);
        out.ValueOr(kU1 + k, index, t, u != CVKAktData::kNoVoltage, u * s.voltageRatio * kVoltageStep, false);
        const WORD line = v.GetULine(k);
        out.ValueOr(kULine1 + k, index, t, line != CVKAktData::kNoVoltage, line * s.voltageRatio * kVoltageStep,
                    false);
        out.CodedOrHold(kPF1 + k, index, t, Bit(m.first, 8 + k),
                    [&](double& x) { return PowerFactorFromCode(v.GetPF(k), x); });
        out.CodedOrHold(kCos1 + k, index, t, Bit(m.first, 13 + k),
                    [&](double& x) { return CosFromCode(v.GetCos(k), x); });
        out.CodedOrHold(kThdU1 + k, index, t, Bit(m.second, k), [&](double& x) {
            x = CPrevodTyp::DecodeVKThd(v.GetVoltageHarmonics().GetThdCode(k));
            return x <= kThdLimit;
        });
        out.CodedOrHold(kThdI1 + k, index, t, Bit(m.third, k), [&](double& x) {
            x = CPrevodTyp::DecodeVKThd(v.GetCurrentHarmonics().GetThdCode(k));
            return x <= kThdLimit;
        });
        const bool phases = !v.HasTotals() && !s.connectionMode2;
        const std::int32_t p = v.GetP(k);
        const std::int32_t q = v.GetQ(k);
        const std::int32_t apparent = v.GetS(k);
        out.ValueOr(kP1 + k, index, t, phases && PowerPresent(p), p * power, false);
        out.ValueOr(kQ1 + k, index, t, phases && PowerPresent(q), q * power, false);
        out.ValueOr(kS1 + k, index, t, phases && PowerPresent(apparent), apparent * power, false);
    }
    for (int k = 0; k < 4; ++k) {
        const int current = std::abs(int(v.GetI(k)));
        out.ValueOr(kI1 + k, index, t, current != CVKAktData::kNoCurrent, current * s.currentRatio * kCurrentStep,
                    false);
    }
    out.CodedOrHold(kFr, index, t, Bit(m.first, 11), [&](double& x) {
        x = CPrevodTyp::DecodeVKFrequency(v.GetFrequencyCode());
        return v.GetFrequencyCode() != CVKAktData::kNoCode;
    });
    // The last temperature code stays in force: T is drawn from it always.
    const BYTE code = v.GetTemperatureCode();
    out.ValueOr(kT, index, t, s.temperature && code != CVKAktData::kNoCode,
                code * s.temperatureSlope + s.temperatureOffset, false);
    DrawTotals(out, index, t, v, s);
}

} // namespace

void FollowVKSettings(const CArchivRecord& r, CVKSeriesScales& scales)
{
    CVKConfig config;
    if (r.type != kRecordSettings || !CVKArchivData::DecodeConfigRecord(r, config))
        return;
    scales.voltageRatio = config.GetVtRatio();
    scales.currentRatio = config.GetCtRatio();
    scales.connectionMode2 = config.GetConnection() == CVKConfig::Aron;
    config.GetTemperatureLine(scales.temperatureSlope, scales.temperatureOffset);
}

int ExtractVKSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                    int endIndex, int startIndex, CVKSeriesScales scales)
{
    return WalkSeries(
        registry, kFamilyVK, records, channel, endIndex, startIndex, CVKAktData(),
        [&scales](const CArchivRecord& r) { FollowVKSettings(r, scales); },
        [&scales](SeriesPoints& out, int index, const CArchivRecord& r, CVKAktData& v) {
            const CTime t(r.time);
            if (r.type == kRecordFull) {
                if (!CVKArchivData::DecodeFullRecord(v, r))
                    return false;
                DrawVK(out, index, t, v, scales, VKPresence{});
                return true;
            }
            if (!CVKArchivData::DecodeDeltaRecord(v, r))
                return false;
            const qsizetype size = r.data.size();
            const char* p = r.data.constData();
            DrawVK(out, index, t, v, scales,
                   VKPresence{ReadU32(p + size - 12), ReadU32(p + size - 8), ReadU32(p + size - 4)});
            return true;
        });
}

} // namespace archive
