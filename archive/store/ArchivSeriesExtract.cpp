#include "archive/store/ArchivSeriesExtract.h"

#include "archive/store/ArchivSeriesPoints.h"

#include "archive/store/ControllerRecordCodec.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"

#include <cmath>
#include <cstdlib>
#include <vector>

using platform::CTime;

namespace archive {

namespace {

constexpr WORD kNoWord = 0xFFFF;
constexpr std::int16_t kNoSigned = 0x7FFF;
constexpr double kThdLimit = 850.0;
constexpr double kFrequencyLimit = 100.0;
constexpr double kChlLimit = 1000.0;
constexpr double kCurrentStep = 0.00025;
constexpr double kPowerStep = 0.000075;

std::uint32_t MaskAt(const CArchivRecord& r, int fromEnd, int bytes)
{
    const int at = int(r.data.size()) - fromEnd;
    if (at < 0)
        return 0;
    return bytes == 4 ? ReadU32(r.data.constData() + at) : controller::ReadU16(r.data.constData() + at);
}

// ---- Qorin -------------------------------------------------------------------

enum QorinCurve { kQCos, kQProud, kQReal, kQImag, kQThd };

void DrawQorin(SeriesPoints& out, int index, CTime t, const CQorinAktData& v, bool full, std::uint32_t mask)
{
    out.CodedOrHold(kQCos, index, t, full || Bit(mask, 0), [&v](double& x) { return CosFromCode(v.cosPhi, x); });

    const bool currents = full || Bit(mask, 4) || Bit(mask, 6) || Bit(mask, 8) || Bit(mask, 9) || Bit(mask, 11);
    if (!currents) {
        for (int q : {kQProud, kQReal, kQImag, kQThd})
            out.Hold(q, index, t);
        return;
    }
    const double kI = CPrevodTyp::DecodeCtRatio(v.ctWord);
    out.ValueOr(kQProud, index, t, v.current != kNoWord, v.current * kI * kCurrentStep, false);
    out.ValueOr(kQReal, index, t, v.activeCurrent != kNoSigned, v.activeCurrent * kI * kCurrentStep, false);
    out.ValueOr(kQImag, index, t, v.reactiveCurrent != kNoSigned, v.reactiveCurrent * kI * kCurrentStep, false);
    out.CodedOrHold(kQThd, index, t, full || Bit(mask, 11), [&v](double& x) {
        x = CPrevodTyp::DecodeThd(v.current, v.thdCode);
        return x <= kThdLimit;
    });
}

// ---- Duskar ------------------------------------------------------------------

enum DuskarQuantity { kDCos, kDU, kDFr, kDPac, kDPre, kDdPre, kDIeff, kDIact, kDIrea, kDdIrea, kDThdI, kDThdU, kDChl, kDT };

struct DuskarPresence {
    bool cos, freq, thdU, thdI, chl, temperature;
};

void DrawDuskar(SeriesPoints& out, int index, CTime t, const CDuskarAktData& v, DuskarPresence present)
{
    const double kI = CPrevodTyp::DecodeCtRatio(v.ctWord);
    const double kU = CPrevodTyp::DecodeVtRatio(v.vtCode);

    out.CodedOrHold(kDCos, index, t, present.cos, [&v](double& x) { return CosFromCode(v.cosPhi, x); });

    out.CodedOrHold(kDFr, index, t, present.freq, [&v](double& x) {
        x = CPrevodTyp::DecodeFrequency(v.freqCode);
        return x <= kFrequencyLimit;
    });

    const bool voltage = v.current != kNoWord && WORD(v.voltage) != kNoWord;
    out.ValueOr(kDU, index, t, voltage, v.voltage * kU * 0.1, true);
    out.ValueOr(kDIeff, index, t, v.current != kNoWord, v.current * kI * kCurrentStep, true);
    out.ValueOr(kDIact, index, t, v.activeCurrent != kNoSigned, std::abs(v.activeCurrent) * kI * kCurrentStep, true);
    out.ValueOr(kDIrea, index, t, v.reactiveCurrent != kNoSigned, std::abs(v.reactiveCurrent) * kI * kCurrentStep,
                true);
    const bool missing = v.missingCurrent != kNoSigned && v.reactiveCurrent != kNoSigned;
    out.ValueOr(kDdIrea, index, t, missing, std::abs(v.missingCurrent) * kI * kCurrentStep, true);

    const bool powerVoltage = WORD(v.voltageP) != kNoWord;
    const double power = v.voltageP * kU * kI * kPowerStep;
    out.ValueOr(kDPac, index, t, powerVoltage && v.activeCurrent != kNoSigned, power * v.activeCurrent, true);
    out.ValueOr(kDPre, index, t, powerVoltage && v.reactiveCurrent != kNoSigned, power * v.reactiveCurrent, true);
    out.ValueOr(kDdPre, index, t, powerVoltage && missing, power * v.missingCurrent, true);

    out.CodedOrHold(kDThdI, index, t, present.thdI, [&v](double& x) {
        x = CPrevodTyp::DecodeDuskarThd(v.current, v.ctWord, v.thdICode, CDuskarAktData::kCurrent);
        return x <= kThdLimit;
    });
    out.CodedOrHold(kDThdU, index, t, present.thdU, [&v](double& x) {
        x = CPrevodTyp::DecodeDuskarThd(WORD(v.voltage), v.ctWord, v.thdUCode, CDuskarAktData::kVoltage);
        return x <= kThdLimit;
    });
    out.CodedOrHold(kDChl, index, t, present.chl, [&v](double& x) {
        x = CPrevodTyp::DecodeChl(v.chlCode, WORD(v.voltage));
        return x <= kChlLimit;
    });
    out.CodedOrHold(kDT, index, t, present.temperature, [&v](double& x) {
        x = v.temperature;
        return v.temperature != 0x7F;
    });
}

} // namespace

int ExtractQorinSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                       int endIndex, int startIndex, WORD ctWord)
{
    CQorinAktData start = QorinArchivTraits::NoValues();
    start.cosPhi = CQorinAktData::kNoCosPhi;
    start.current = kNoWord;
    start.activeCurrent = kNoSigned;
    start.reactiveCurrent = kNoSigned;
    start.thdCode = 0xFF;
    start.ctWord = ctWord;
    return WalkSeries(
        registry, kFamilyQorin, records, channel, endIndex, startIndex, start, [](const CArchivRecord&) {},
        [](SeriesPoints& out, int index, const CArchivRecord& r, CQorinAktData& v) {
            const CTime t(r.time);
            if (r.type == kRecordFull) {
                if (!CQorinArchivData::DecodeFullRecord(v, r))
                    return false;
                DrawQorin(out, index, t, v, true, 0);
                return true;
            }
            if (!CQorinArchivData::DecodeDeltaRecord(v, r))
                return false;
            DrawQorin(out, index, t, v, false, MaskAt(r, 4, 4));
            return true;
        });
}

int ExtractDuskarSeries(const CArchivSeriesRegistry& registry, const CArchivRecordList& records, int channel,
                        int endIndex, int startIndex, WORD ctWord, BYTE vtCode)
{
    CDuskarAktData start = DuskarArchivTraits::NoValues();
    start.ctWord = ctWord;
    start.vtCode = vtCode;
    return WalkSeries(
        registry, kFamilyDuskar, records, channel, endIndex, startIndex, start, [](const CArchivRecord&) {},
        [](SeriesPoints& out, int index, const CArchivRecord& r, CDuskarAktData& v) {
            const CTime t(r.time);
            if (r.type == kRecordFull) {
                if (!CDuskarArchivData::DecodeFullRecord(v, r))
                    return false;
                DrawDuskar(out, index, t, v, {true, true, true, true, true, true});
                return true;
            }
            if (!CDuskarArchivData::DecodeDeltaRecord(v, r))
                return false;
            const std::uint32_t m = MaskAt(r, 6, 4);
            const std::uint32_t w = MaskAt(r, 2, 2);
            DrawDuskar(out, index, t, v, {Bit(m, 0), Bit(m, 5), Bit(m, 11), Bit(m, 12), Bit(w, 2), Bit(w, 5)});
            return true;
        });
}

void FollowFamilySettings(int kind, const CArchivRecord& settings, CSeriesScales& scales)
{
    switch (kind) {
    case kFamilyVK:
        FollowVKSettings(settings, scales.vk);
        break;
    case kFamilyVKR:
        FollowVKRSettings(settings, scales.vkrConnection);
        break;
    case kFamilyVKT:
        FollowVKTSettings(settings, scales.vkt);
        break;
    default:
        break;
    }
}

int ExtractFamilySeries(int kind, const CArchivSeriesRegistry& registry, const CArchivRecordList& records,
                        int channel, int endIndex, int startIndex, const CSeriesScales& scales)
{
    switch (kind) {
    case kFamilyQorin:
        return ExtractQorinSeries(registry, records, channel, endIndex, startIndex, scales.controllerCtWord);
    case kFamilyVK:
        return ExtractVKSeries(registry, records, channel, endIndex, startIndex, scales.vk);
    case kFamilyVKR:
        return ExtractVKRSeries(registry, records, channel, endIndex, startIndex, scales.vkrConnection);
    case kFamilyVKT:
        return ExtractVKTSeries(registry, records, channel, endIndex, startIndex, scales.vkt);
    case kFamilyDuskar:
        return ExtractDuskarSeries(registry, records, channel, endIndex, startIndex, scales.controllerCtWord,
                                   scales.controllerVtCode);
    default:
        return startIndex;
    }
}

} // namespace archive
