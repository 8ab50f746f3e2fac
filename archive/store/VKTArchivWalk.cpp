// Reading side of the VKT archive: the loaded window, its record walk, value
// rows, axis names and graph scales.
#include "archive/store/VKTArchivData.h"

#include "archive/store/VKArchivFormats.h"
#include "archive/store/VKTFormats.h"
#include "model/QuantityNames.h"
#include "model/ValueChecks.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <cmath>

using platform::CTime;

namespace {

constexpr int kAverage = CAktData::Average;
const QString kNotConnected = QStringLiteral("-N-");
const QString kNoValueText = QStringLiteral("--");
const QString kZeroText = QStringLiteral("0.0");

bool IsFixed(const CArchivRecord& r)
{
    return r.type == kRecordSettings || r.type == kRecordIden || r.type == kRecordStatus;
}

const BYTE* Bytes(const CArchivRecord& r)
{
    return reinterpret_cast<const BYTE*>(r.data.constData());
}

// A fixed record whose payload is shorter than its image is not decoded; a
// longer one is decoded from its first bytes.
template <class T>
std::optional<T> DecodeFixed(const CArchivRecord& r, std::uint8_t type, int imageSize)
{
    if (r.type != type || r.data.size() < imageSize)
        return std::nullopt;
    T value;
    value.FromRaw(Bytes(r));
    return value;
}

QString Name(int q)
{
    return VKTQuantityNames[std::size_t(q)].toString();
}

QStringList Names(int from, int to)
{
    QStringList names;
    for (int q = from; q <= to; ++q)
        names << Name(q);
    return names;
}

} // namespace

// ---- loaded window ---------------------------------------------------------------

int CVKTArchivData::LoadWindow(int firstSlot, int blockCount, CTime start, int span)
{
    m_currentPos.reset();
    m_windowFirstBlockStart = 0;
    std::vector<std::uint32_t> table;
    if (ReadHeader()) {
        std::lock_guard ring(ringLock);
        if (header)
            table = header->slotTable;
    }
    const int n = int(table.size());
    const bool known = firstSlot >= 0 && firstSlot < n;
    std::vector<int> blockSlots;
    if (known) {
        m_windowFirstBlockStart = table[std::size_t(firstSlot)];
        for (int b = 0; b < std::min(blockCount, n); ++b) {
            const int slot = (firstSlot + b) % n;
            if (table[std::size_t(slot)] != 0)
                blockSlots.push_back(slot);
        }
    }
    const int ok = m_window.Load(*this, std::move(blockSlots), start, span);
    return known ? ok : 0;
}

int CVKTArchivData::GetWindowRowCount() const
{
    int rows = 0;
    for (int n : m_window.rowCounts)
        rows += n;
    return rows;
}

// ---- record walk -------------------------------------------------------------------

void CVKTArchivData::TakeFixedRecord(const CArchivRecord& record)
{
    if (const auto config = DecodeFixed<CVKTConfig>(record, kRecordSettings, CVKTConfig::kImageSize))
        ApplyRatios(RatiosOf(*config));
    else if (const auto iden = DecodeFixed<CIden>(record, kRecordIden, CIden::kImageSize))
        m_modelIndex = iden->GetVKTModelIndex();
    else if (const auto status = DecodeFixed<CVKTStatus>(record, kRecordStatus, CVKTStatus::kImageSize))
        m_walkStatus = *status;
}

bool CVKTArchivData::DecodeMeasurement(const CArchivRecord& record, const std::optional<CVKTStatus>& status,
                                       CAktData& values, bool baseValid, bool withHarmonics)
{
    const BYTE* data = Bytes(record);
    const int size = int(record.data.size());
    const auto unpack = [&](CAktData& target, bool full) {
        return (withHarmonics ? target.Unpack(data, size, full) : target.UnpackNoHarmonics(data, size, full)) > 0;
    };
    CAktData decoded;
    bool ok = false;
    switch (record.type) {
    case kRecordFull:
        // The program's own layout, whatever description came before.
        ok = unpack(decoded, true);
        break;
    case kRecordChanged:
        // Changes apply only to a record of the program's layout decoded before.
        decoded = values;
        ok = baseValid && !values.IsDescribed() && unpack(decoded, false);
        break;
    case kRecordVKT:
        // The instrument's layout needs the description of a status record.
        if (status) {
            decoded.SetArchiveLayout(*status);
            ok = unpack(decoded, true);
        }
        break;
    default:
        break;
    }
    values = ok ? std::move(decoded) : CAktData();
    return ok;
}

int CVKTArchivData::FirstRecord()
{
    m_last = CAktData();
    m_lastValid = false;
    m_walkStatus.reset();
    m_modelIndex = CIden::kUnknownModelIndex;
    m_currentPos.reset();
    m_window.currentIndex = 0;
    int dataIndex = -1;
    for (std::size_t pos = 0; pos < m_window.records.size(); ++pos) {
        const CArchivRecord& r = m_window.records[pos];
        if (IsFixed(r)) {
            TakeFixedRecord(r);
            continue;
        }
        if (!r.IsData())
            continue;
        ++dataIndex;
        // Changes need the full record they follow.
        if (r.type == kRecordChanged)
            continue;
        m_lastValid = DecodeMeasurement(r, m_walkStatus, m_last, m_lastValid, true);
        m_window.currentIndex = dataIndex;
        m_currentPos = pos;
        m_currentTime = CTime(r.time);
        return 1;
    }
    return 0;
}

int CVKTArchivData::NextRecord()
{
    for (std::size_t pos = m_currentPos ? *m_currentPos + 1 : 0; pos < m_window.records.size(); ++pos) {
        const CArchivRecord& r = m_window.records[pos];
        if (IsFixed(r)) {
            TakeFixedRecord(r);
            continue;
        }
        if (!r.IsData())
            continue;
        m_lastValid = DecodeMeasurement(r, m_walkStatus, m_last, m_lastValid, true);
        m_window.currentIndex = m_currentPos ? m_window.currentIndex + 1 : 0;
        m_currentPos = pos;
        m_currentTime = CTime(r.time);
        return 1;
    }
    return 0;
}

int CVKTArchivData::GetConfigAt(CVKTConfig& out) const
{
    if (m_currentPos) {
        for (std::size_t pos = *m_currentPos + 1; pos-- > 0;) {
            if (const auto c = DecodeFixed<CVKTConfig>(m_window.records[pos], kRecordSettings, CVKTConfig::kImageSize)) {
                out = *c;
                return 1;
            }
        }
    }
    for (const CArchivRecord& r : m_window.records) {
        if (const auto c = DecodeFixed<CVKTConfig>(r, kRecordSettings, CVKTConfig::kImageSize)) {
            out = *c;
            return 1;
        }
    }
    return 0;
}

int CVKTArchivData::GetIdenAt(CIden& out) const
{
    if (!m_currentPos)
        return 0;
    for (std::size_t pos = *m_currentPos + 1; pos-- > 0;) {
        if (const auto iden = DecodeFixed<CIden>(m_window.records[pos], kRecordIden, CIden::kImageSize)) {
            out = *iden;
            return 1;
        }
    }
    return 0;
}

int CVKTArchivData::GetStatusRecord(CVKTStatus& out) const
{
    for (const CArchivRecord& r : m_window.records) {
        if (r.type == kRecordFull || r.type == kRecordChanged)
            return 0;
        if (const auto status = DecodeFixed<CVKTStatus>(r, kRecordStatus, CVKTStatus::kImageSize)) {
            out = *status;
            return 1;
        }
    }
    return 0;
}

CVKTArchivData::WindowTexts CVKTArchivData::GetWindowTexts() const
{
    WindowTexts texts;
    {
        std::lock_guard ring(ringLock);
        if (header)
            texts.fileName = header->name;
    }
    texts.windowStart = CTime(m_windowFirstBlockStart).Format(QStringLiteral("%d.%m %H:%M"));
    texts.recordingStart = startTime.Format(QStringLiteral("%d.%m %H:%M"));
    texts.currentTime = m_currentTime.Format(QStringLiteral("%d.%m %H:%M:%S"));
    return texts;
}

// ---- rows -------------------------------------------------------------------------

std::vector<QStringList> CVKTArchivData::GetRecordRows(int index, const Selection& selection, int& count,
                                                       int& first, std::vector<int>* offsets)
{
    std::vector<QStringList> rows;
    count = 0;
    first = -1;
    if (offsets)
        offsets->clear();
    std::size_t blockIndex = 0;
    int rowsBefore = 0;
    if (!m_window.FindRowBlock(std::max(index, 0), blockIndex, rowsBefore))
        return rows;
    CArchivRecordList block;
    ReadBlock(m_window.ringSlots[blockIndex], block);
    int running = rowsBefore;

    Ratios ratios = HeldRatios();
    CAktData values;
    bool valid = false;
    std::optional<CVKTStatus> status;
    const std::uint32_t start = m_window.start.GetTime();
    for (const CArchivRecord& r : block) {
        if (r.time > m_window.End().GetTime())
            break;
        if (const auto config = DecodeFixed<CVKTConfig>(r, kRecordSettings, CVKTConfig::kImageSize))
            ratios = RatiosOf(*config);
        else if (const auto s = DecodeFixed<CVKTStatus>(r, kRecordStatus, CVKTStatus::kImageSize))
            status = *s;
        else if (r.IsData())
            valid = DecodeMeasurement(r, status, values, valid, false);
        if (!CArchivWindow::IsRow(r) || r.time < start)
            continue;
        if (running >= index - 3) {
            if (offsets)
                offsets->push_back(int(r.time - start));
            if (first < 0)
                first = running;
            const bool withValues = r.type != kRecordError && valid;
            rows.push_back(FormatRecordRow(selection, withValues ? &values : nullptr, CTime(r.time), ratios.i,
                                           ratios.u, ratios.i4, ratios.u4, ratios.connection));
            if (int(rows.size()) == kMaxRows)
                break;
        }
        ++running;
    }
    count = int(rows.size());
    return rows;
}

namespace {

struct FormatSet {
    QString format;
    int multiplier;
};

// The sets of a channel: channels 1 to 3 take set A when the selection bit is
// set, channel 4 the other one.
FormatSet Pick(bool channelsUseA, int c, const QString& formatA, int multiplierA, const QString& formatB,
               int multiplierB)
{
    const bool a = c == 3 ? !channelsUseA : channelsUseA;
    return a ? FormatSet{formatA, multiplierA} : FormatSet{formatB, multiplierB};
}

} // namespace

QStringList CVKTArchivData::FormatRecordRow(const Selection& selection, const CAktData* values, CTime time,
                                            float currentRatio, float voltageRatio, float currentRatio4,
                                            float voltageRatio4, int connectionType) const
{
    QStringList texts;
    texts << time.Format(QStringLiteral("%d.%m %H:%M:%S"));
    const GraphFormats& g = m_graph;
    const auto voltageSet = [&g](int c) {
        return Pick(g.selection & 0x01, c, g.voltageFormatA, g.voltageMultiplierA, g.voltageFormatB,
                    g.voltageMultiplierB);
    };
    const auto currentSet = [&g](int c) {
        return Pick(g.selection & 0x02, c, g.currentFormatA, g.currentMultiplierA, g.currentFormatB,
                    g.currentMultiplierB);
    };
    const auto powerSet = [&g](int c) {
        return Pick(g.selection & 0x04, c, g.powerFormatA, g.powerMultiplierA, g.powerFormatB, g.powerMultiplierB);
    };
    const auto scaled = [](double v, const FormatSet& set, bool overload) {
        return (overload ? QStringLiteral("E") : QString()) + FormatArchivNumber(set.format, v / set.multiplier);
    };
    const auto fixed = [](double v, int decimals) { return QString::number(v, 'f', decimals); };

    const int k = connectionType;
    const BYTE over = values ? values->GetStatusA() : 0;
    const BYTE zero = values ? values->GetStatusB() : 0;
    const auto overU = [over](int c) { return (over & (0x01 << c)) != 0; };
    const auto overI = [over](int c) { return (over & (0x10 << c)) != 0; };
    const auto zeroU = [zero](int c) { return (zero & (0x01 << c)) != 0; };
    const auto zeroI = [zero](int c) { return (zero & (0x10 << c)) != 0; };
    const auto overPhase = [over](int c) { return (over & (0x11 << c)) != 0; };
    const auto zeroPhase = [zero](int c) { return (zero & (0x11 << c)) != 0; };
    const int inUse = k == 1 ? 0b011 : k == 4 ? 0b101 : 0b111;
    const bool overInUse = (over & (inUse | (inUse << 4))) != 0;
    // Channels the connection does not have.
    const auto noChannel = [k](int c) { return (k == 0 && c > 0) || (k == 1 && c > 1) || (k != 5 && c == 3); };
    const auto noPower = [k](int c) { return (k == 0 && c > 0) || (k == 1 && c == 2) || k == 4 || (k != 5 && c == 3); };
    const auto noCos = [k, &noChannel](int c) { return noChannel(c) || k == 4; };
    const auto ratioU = [&](int c) { return double(c == 3 ? voltageRatio4 : voltageRatio); };
    const auto ratioI = [&](int c) { return double(c == 3 ? currentRatio4 : currentRatio); };

    for (int q = 0; q < kQuantityCount; ++q) {
        if (!selection[std::size_t(q)])
            continue;
        if (!values) {
            texts << kNoValueText;
            continue;
        }
        const CAktData& v = *values;
        QString text;
        if (q <= 3) {
            const int c = q;
            if (noChannel(c) || !v.HasVoltage(c, kAverage))
                text = kNotConnected;
            else if (zeroU(c))
                text = kZeroText;
            else
                text = scaled(v.GetVoltage(c, kAverage) * ratioU(c), voltageSet(c), overU(c));
        } else if (q <= 7) {
            const int c = q - 4;
            if (noChannel(c) || (k == 4 && c == 1) || !v.HasCurrent(c, kAverage))
                text = kNotConnected;
            else if (zeroI(c))
                text = kZeroText;
            else
                text = scaled(v.GetCurrent(c, kAverage) * ratioI(c), currentSet(c), overI(c));
        } else if (q <= 12 && q != 11) {
            const int c = q == 12 ? 3 : q - 8;
            if (noPower(c) || !v.HasActivePower(c, kAverage, 0) || !v.HasApparentPower(c, kAverage)) {
                text = kNotConnected;
            } else {
                const double pf = v.GetPowerFactor(c, kAverage);
                text = overPhase(c) || pf > 1.01 ? kNoValueText : fixed(pf, 2);
            }
        } else if (q == 11) {
            if (!v.HasTotalPowerFactor(k, kAverage)) {
                text = kNotConnected;
            } else {
                const double pf = v.GetTotalPowerFactor(k, kAverage);
                text = pf > 1.01 || overInUse ? kNoValueText : fixed(pf, 2);
            }
        } else if (q == 13) {
            text = v.HasFrequency(kAverage) ? fixed(v.GetFrequency(kAverage), 2) : kNotConnected;
        } else if (q == 14) {
            text = v.HasTemperature(kAverage) ? fixed(v.GetTemperature(kAverage), 2) : kNotConnected;
        } else if (q <= 18) {
            const int c = q - 15;
            if (noCos(c) || !v.HasCosPhi(c)) {
                text = kNotConnected;
            } else if (overPhase(c) || zeroPhase(c)) {
                text = kNoValueText;
            } else {
                const double phi = v.GetCosPhi(c);
                const char* prefix = phi > 1.570795 ? "C-" : phi >= 0.0 ? "L+" : phi >= -1.570795 ? "C+" : "L-";
                text = QLatin1String(prefix) + fixed(std::fabs(std::cos(phi)), 2);
            }
        } else if (q <= 21) {
            const int j = q - 19;
            const int other = (j + 1) % 3;
            if (k == 0 || (k == 1 && j > 0) || !v.HasLineVoltage(j, kAverage))
                text = kNotConnected;
            else if (zeroU(j) && zeroU(other))
                text = kZeroText;
            else
                text = scaled(v.GetLineVoltage(j, kAverage) * voltageRatio, voltageSet(0), overU(j) || overU(other));
        } else if (q == 22) {
            const double u = v.HasVoltageUnbalance(kAverage) ? v.GetVoltageUnbalance(kAverage) : kNoValue;
            const CAktPhase* fourth = v.GetPhase(3);
            if (k < 2 || !v.HasVoltageUnbalance(kAverage) || u >= CAktData::kNoUnbalance)
                text = kNotConnected;
            else if ((over & 0x07) || (fourth && fourth->lineVoltage == 0xFFFF))
                text = kNoValueText;
            else
                text = fixed(u, 1);
        } else if (q <= 37) {
            const int kind = (q - 23) / 5; // 0 P, 1 Q, 2 S
            const int slot = (q - 23) % 5;
            if (slot == 3) {
                const bool has = kind == 0   ? v.HasTotalActivePower(k, kAverage, 0)
                                 : kind == 1 ? v.HasTotalReactivePower(k, kAverage, 0)
                                             : v.HasTotalApparentPower(k, kAverage);
                const double total = kind == 0   ? v.GetTotalActivePower(k, kAverage, 0)
                                     : kind == 1 ? v.GetTotalReactivePower(k, kAverage, 0)
                                                 : v.GetTotalApparentPower(k, kAverage);
                text = overInUse || !has ? kNotConnected
                                         : fixed(total * double(currentRatio) * double(voltageRatio), 2);
            } else {
                const int c = slot == 4 ? 3 : slot;
                const bool has = kind == 0   ? v.HasActivePower(c, kAverage, 0)
                                 : kind == 1 ? v.HasReactivePower(c, kAverage, 0)
                                             : v.HasApparentPower(c, kAverage);
                if (noPower(c) || !has) {
                    text = kNotConnected;
                } else if (zeroPhase(c)) {
                    text = kZeroText;
                } else {
                    const double value = kind == 0   ? v.GetActivePower(c, kAverage, 0)
                                         : kind == 1 ? v.GetReactivePower(c, kAverage, 0)
                                                     : v.GetApparentPower(c, kAverage);
                    text = scaled(value * ratioI(c) * ratioU(c), powerSet(c), overPhase(c));
                }
            }
        } else if (q <= 41) {
            const int c = q - 38;
            if (noChannel(c) || !v.HasThdU(c, kAverage))
                text = kNotConnected;
            else
                text = overU(c) || zeroU(c) ? kNoValueText : fixed(v.GetThdU(c, kAverage), 1);
        } else {
            const int c = q - 42;
            if (noChannel(c) || (k == 4 && c == 1) || !v.HasThdI(c, kAverage))
                text = kNotConnected;
            else if (overI(c) || zeroI(c) || v.IsThdIMissing(c, kAverage))
                text = kNoValueText;
            else
                text = fixed(v.GetThdI(c, kAverage), 1);
        }
        texts << text;
    }
    return texts;
}

// ---- axis names ------------------------------------------------------------------

QStringList CVKTArchivData::GetAxisNames(const Selection& selection) const
{
    const GraphFormats& g = m_graph;
    const auto multiplier = [](bool channelsUseA, int c, int a, int b) { return (c == 3 ? !channelsUseA : channelsUseA) ? a : b; };
    QStringList names;
    names << platform::LoadString(platform::IDS_TIME);
    for (int q = 0; q < kQuantityCount; ++q) {
        if (!selection[std::size_t(q)])
            continue;
        QString unit;
        if (q <= 3 || (q >= 19 && q <= 21)) {
            const int c = q <= 3 ? q : 0;
            unit = vkt::VoltageUnit(multiplier(g.selection & 0x01, c, g.voltageMultiplierA, g.voltageMultiplierB));
        } else if (q <= 7) {
            unit = vkt::CurrentUnit(multiplier(g.selection & 0x02, q - 4, g.currentMultiplierA, g.currentMultiplierB));
        } else if (q <= 12 || (q >= 15 && q <= 18) || q == 22) {
            unit.clear();
        } else if (q == 13) {
            unit = QStringLiteral("Hz");
        } else if (q == 14) {
            unit = QStringLiteral("C");
        } else if (q <= 37) {
            static const char* const bases[] = {"W", "var", "VA"};
            const QString base = QLatin1String(bases[(q - 23) / 5]);
            const int slot = (q - 23) % 5;
            // Three-phase totals are listed unscaled, so their unit is the base one.
            unit = slot == 3 ? base
                             : vkt::PowerUnit(base, multiplier(g.selection & 0x04, slot == 4 ? 3 : slot,
                                                               g.powerMultiplierA, g.powerMultiplierB));
        } else {
            unit = QStringLiteral("%");
        }
        names << Name(q) + QStringLiteral(" [") + unit + QLatin1Char(']');
    }
    return names;
}

// ---- graph scales ------------------------------------------------------------------

void CVKTArchivData::SetSeries(const QStringList& names, int category, double factor, const QString& unit,
                               int multiplier, bool power, BOOL allowNegativePower)
{
    if (!m_series)
        return;
    double minimum = 0.0;
    double maximum = 0.0;
    if (!scaleCategories.GetEffectiveRange(category, kInstrumentType, minimum, maximum, factor))
        return;
    if (power && !allowNegativePower && minimum < 0.0)
        minimum = 0.0;
    for (const QString& name : names) {
        m_series->SetSeriesText(name, unit, multiplier);
        m_series->SetSeriesScale(name, minimum, maximum);
    }
}

// The fourth input has transformers of its own: U4, I4 and the powers of
// channel 4 take their ranges from them, the rest from inputs 1 to 3.
void CVKTArchivData::SetVoltageSeries(float ratio, float ratio4, int multiplier)
{
    const QString unit = vkt::VoltageUnit(multiplier);
    SetSeries(Names(0, 2) + Names(19, 21), 0, ratio, unit, multiplier, false, TRUE);
    SetSeries(Names(3, 3), 0, ratio4, unit, multiplier, false, TRUE);
}

void CVKTArchivData::SetCurrentSeries(float ratio, float ratio4, int multiplier)
{
    const QString unit = vkt::CurrentUnit(multiplier);
    SetSeries(Names(4, 6), 1, ratio, unit, multiplier, false, TRUE);
    SetSeries(Names(7, 7), 1, ratio4, unit, multiplier, false, TRUE);
}

void CVKTArchivData::SetPowerSeries(float product, float product4, int multiplier, BOOL allowNegativePower)
{
    const QString unit = multiplier == 1      ? QStringLiteral("W,...")
                         : multiplier == 1000 ? QStringLiteral("kW,...")
                                              : QStringLiteral("MW,...");
    const QStringList fourth = {Name(27), Name(32), Name(37)};
    QStringList first = Names(23, 37);
    for (const QString& name : fourth)
        first.removeOne(name);
    SetSeries(first, 4, product, unit, multiplier, true, allowNegativePower);
    SetSeries(fourth, 4, product4, unit, multiplier, true, allowNegativePower);
}

void CVKTArchivData::ChooseGraphFormats(float vt, float vt4, float ct, float ct4, float pa, float pb)
{
    GraphFormats& g = m_graph;
    g.selection = 0;
    ChooseVoltageFormat(std::max(vt, vt4), g.voltageFormatA, g.voltageMultiplierA);
    if (vt4 < vt)
        g.selection |= 0x01;
    ChooseVoltageFormat(vt4 < vt ? vt4 : vt, g.voltageFormatB, g.voltageMultiplierB);
    ChooseCurrentFormat(std::max(ct, ct4), g.currentFormatA, g.currentMultiplierA);
    ChooseCurrentFormat(ct, g.currentFormatB, g.currentMultiplierB);
    ChoosePowerFormat(std::max(pa, pb), g.powerFormatA, g.powerMultiplierA);
    if (pa < pb)
        g.selection |= 0x04;
    ChoosePowerFormat(pa < pb ? pb : pa, g.powerFormatB, g.powerMultiplierB);
}

void CVKTArchivData::UpdateSeriesScales(BOOL allowNegativePower)
{
    const Ratios held = HeldRatios();
    float vt = held.u;
    float vt4 = held.u4;
    float ct = held.i;
    float ct4 = held.i4;
    float pa = vt * ct;
    float pb = vt4 * ct4;
    for (const CArchivRecord& r : m_window.records) {
        const auto config = DecodeFixed<CVKTConfig>(r, kRecordSettings, CVKTConfig::kImageSize);
        if (!config)
            continue;
        const Ratios s = RatiosOf(*config);
        vt = std::max(vt, s.u);
        vt4 = std::max(vt4, s.u4);
        ct = std::max(ct, s.i);
        ct4 = std::max(ct4, s.i4);
        pa = std::max(pa, s.u * s.i);
        pb = std::max(pb, s.u4 * s.i4);
    }
    ChooseGraphFormats(vt, vt4, ct, ct4, pa, pb);
    SetVoltageSeries(vt, vt4, m_graph.voltageMultiplierA);
    SetCurrentSeries(ct, ct4, m_graph.currentMultiplierA);
    SetPowerSeries(pa, pb, m_graph.powerMultiplierA, allowNegativePower);
}

int CVKTArchivData::RescaleSeries(bool voltage, BOOL allowNegativePower)
{
    std::lock_guard lock(m_settingsLock);
    bool& changed = voltage ? m_voltageScaleChanged : m_currentScaleChanged;
    if (!changed)
        return 0;
    changed = false;
    if (voltage)
        SetVoltageSeries(m_ratioU, m_ratioU4, m_voltageMultiplier);
    else
        SetCurrentSeries(m_ratioI, m_ratioI4, m_currentMultiplier);
    SetPowerSeries(m_ratioU * m_ratioI, m_ratioU4 * m_ratioI4, m_powerMultiplier, allowNegativePower);
    return 1;
}

void CVKTArchivData::MarkSeriesScalesChanged()
{
    std::lock_guard lock(m_settingsLock);
    m_voltageScaleChanged = true;
    m_currentScaleChanged = true;
}

int CVKTArchivData::RescaleCurrentSeries(BOOL allowNegativePower)
{
    return RescaleSeries(false, allowNegativePower);
}

int CVKTArchivData::RescaleVoltageSeries(BOOL allowNegativePower)
{
    return RescaleSeries(true, allowNegativePower);
}
