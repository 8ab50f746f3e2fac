#include "archive/store/ArchivSeriesExtract.h"

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

// The series of a family's names, looked up once per walk; a name without a
// series costs nothing.
class SeriesPoints {
public:
    SeriesPoints(const CArchivSeriesRegistry& registry, int kind, int channel) : m_channel(channel)
    {
        for (QStringView name : SeriesNamesOfKind(kind))
            m_series.push_back(registry.FindGraphSeries(name));
    }

    bool Any() const
    {
        for (const CGraphTrace* s : m_series)
            if (s)
                return true;
        return false;
    }
    bool Has(int q) const { return m_series[std::size_t(q)] != nullptr; }

    void Value(int q, int index, CTime t, double value)
    {
        if (CGraphTrace* s = m_series[std::size_t(q)])
            s->SetPoint(m_channel, index, t, value);
    }
    void Gap(int q, int index, bool flag)
    {
        if (CGraphTrace* s = m_series[std::size_t(q)])
            s->SetGap(m_channel, index, flag);
    }
    void Hold(int q, int index, CTime t)
    {
        if (CGraphTrace* s = m_series[std::size_t(q)])
            s->SetHoldPoint(m_channel, index, t);
    }
    // A value, or a gap when `valid` is false.
    void ValueOr(int q, int index, CTime t, bool valid, double value, bool flag)
    {
        if (valid)
            Value(q, index, t, value);
        else
            Gap(q, index, flag);
    }
    void GapAll(int index)
    {
        for (std::size_t q = 0; q < m_series.size(); ++q)
            Gap(int(q), index, false);
    }

private:
    int m_channel;
    std::vector<CGraphTrace*> m_series;
};

bool TakesIndex(const CArchivRecord& r)
{
    return r.type == kRecordFull || r.type == kRecordChanged || r.type == kRecordError;
}

// Cos code: 0x7F no value; the two signs of cos phi fall below and above 1.
bool CosFromCode(std::int8_t code, double& value)
{
    if (code == 0x7F)
        return false;
    value = code < 0 ? -code / 100.0 : (200 - code) / 100.0;
    return true;
}

std::uint32_t MaskAt(const CArchivRecord& r, int fromEnd, int bytes)
{
    const int at = int(r.data.size()) - fromEnd;
    if (at < 0)
        return 0;
    return bytes == 4 ? ReadU32(r.data.constData() + at) : controller::ReadU16(r.data.constData() + at);
}

bool Bit(std::uint32_t mask, int bit)
{
    return (mask >> bit) & 1U;
}

// ---- Qorin -------------------------------------------------------------------

enum QorinCurve { kQCos, kQProud, kQReal, kQImag, kQThd };

void DrawQorin(SeriesPoints& out, int index, CTime t, const CQorinAktData& v, bool full, std::uint32_t mask)
{
    double cos = 0;
    if (full || Bit(mask, 0))
        out.ValueOr(kQCos, index, t, CosFromCode(v.cosPhi, cos), cos, true);
    else
        out.Hold(kQCos, index, t);

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
    if (full || Bit(mask, 11)) {
        const double thd = CPrevodTyp::DecodeThd(v.current, v.thdCode);
        out.ValueOr(kQThd, index, t, thd <= kThdLimit, thd, true);
    } else {
        out.Hold(kQThd, index, t);
    }
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

    double cos = 0;
    if (present.cos)
        out.ValueOr(kDCos, index, t, CosFromCode(v.cosPhi, cos), cos, true);
    else
        out.Hold(kDCos, index, t);

    if (present.freq) {
        const double fr = CPrevodTyp::DecodeFrequency(v.freqCode);
        out.ValueOr(kDFr, index, t, fr <= kFrequencyLimit, fr, true);
    } else {
        out.Hold(kDFr, index, t);
    }

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

    if (present.thdI) {
        const double thd = CPrevodTyp::DecodeDuskarThd(v.current, v.ctWord, v.thdICode, CDuskarAktData::kCurrent);
        out.ValueOr(kDThdI, index, t, thd <= kThdLimit, thd, true);
    } else {
        out.Hold(kDThdI, index, t);
    }
    if (present.thdU) {
        const double thd =
            CPrevodTyp::DecodeDuskarThd(WORD(v.voltage), v.ctWord, v.thdUCode, CDuskarAktData::kVoltage);
        out.ValueOr(kDThdU, index, t, thd <= kThdLimit, thd, true);
    } else {
        out.Hold(kDThdU, index, t);
    }
    if (present.chl) {
        const double chl = CPrevodTyp::DecodeChl(v.chlCode, WORD(v.voltage));
        out.ValueOr(kDChl, index, t, chl <= kChlLimit, chl, true);
    } else {
        out.Hold(kDChl, index, t);
    }
    if (present.temperature)
        out.ValueOr(kDT, index, t, v.temperature != 0x7F, v.temperature, true);
    else
        out.Hold(kDT, index, t);
}

// The common walk of the controllers: `draw` decodes one measurement record
// into the running values and draws it; false for a damaged record, which is
// a gap like an outage.
template <class Values, class Draw>
int WalkController(const CArchivSeriesRegistry& registry, int kind, const CArchivRecordList& records, int channel,
                   int endIndex, int startIndex, Values values, Draw draw)
{
    SeriesPoints out(registry, kind, channel);
    int index = startIndex;
    if (!out.Any()) {
        for (const CArchivRecord& r : records)
            if (TakesIndex(r) && index < endIndex)
                ++index;
        return index;
    }
    for (const CArchivRecord& r : records) {
        if (index >= endIndex)
            break;
        if (!TakesIndex(r))
            continue;
        if (r.type == kRecordError || !draw(out, index, r, values))
            out.GapAll(index);
        ++index;
    }
    return index;
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
    return WalkController(
        registry, kFamilyQorin, records, channel, endIndex, startIndex, start,
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
    return WalkController(
        registry, kFamilyDuskar, records, channel, endIndex, startIndex, start,
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

} // namespace archive
