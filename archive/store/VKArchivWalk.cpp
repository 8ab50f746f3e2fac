// The reading side of the VK archive: rows of the value list and their
// value rules.
#include "archive/store/VKArchivData.h"

#include "archive/store/VKDisplayValues.h"

#include <cmath>

using platform::CTime;

namespace {

constexpr double kPowerUnit = 320000.0;
const QString kMissing = QStringLiteral("--");
const QString kTwoDecimals = QStringLiteral("%0.2f");
const QString kOneDecimal = QStringLiteral("%0.1f");

bool PowerPresent(std::int32_t code)
{
    return code != CVKAktData::kNoPower;
}

QString Total(bool present, double value, const CArchivNumberFormat& format)
{
    return present ? FormatScaled(format, value) : kMissing;
}

} // namespace

CVKArchivData::Totals CVKArchivData::ComputeTotals(const CVKAktData& v, double currentRatio, double voltageRatio,
                                                   int connectionMode2)
{
    const double factor = currentRatio * voltageRatio / kPowerUnit;
    Totals t;
    if (v.HasTotals()) {
        t.hasP = PowerPresent(v.GetP(0));
        t.hasQ = PowerPresent(v.GetQ(0));
        t.hasS = PowerPresent(v.GetS(0));
        t.p = v.GetP(0) * factor;
        t.q = v.GetQ(0) * factor;
        t.s = v.GetS(0) * factor;
        return t;
    }
    auto sum = [&](std::int32_t (CVKAktData::*get)(int) const, bool& present) {
        const bool second = PowerPresent((v.*get)(1));
        present = PowerPresent((v.*get)(0)) && PowerPresent((v.*get)(2)) && (second || connectionMode2);
        const double p2 = connectionMode2 ? 0.0 : double((v.*get)(1));
        return (double((v.*get)(0)) + double((v.*get)(2)) + p2) * factor;
    };
    t.p = sum(&CVKAktData::GetP, t.hasP);
    t.q = sum(&CVKAktData::GetQ, t.hasQ);
    t.hasS = t.hasP && t.hasQ;
    t.s = std::sqrt(t.p * t.p + t.q * t.q);
    t.hasPF = t.hasS && std::fabs(t.s) >= std::fabs(t.p) && std::fabs(t.s) >= 1e-8;
    t.pf = t.hasPF ? std::fabs(t.p) / t.s : 0.0;
    return t;
}

QStringList CVKArchivData::FormatRecordRow(const int* selection, const CVKAktData* values, CTime time,
                                           float currentRatio, float voltageRatio, float temperatureOffset,
                                           float temperatureSlope, int variantBit0, int connectionMode2) const
{
    QStringList texts;
    texts << time.Format(QStringLiteral("%d.%m %H:%M:%S"));
    const CVKWindowScales w = GetWindowScales();
    const double vt = voltageRatio;
    const double ct = currentRatio;
    const Totals totals = values ? ComputeTotals(*values, ct, vt, connectionMode2) : Totals{};
    for (int c = 0; c < kColumnCount; ++c) {
        if (!selection[c])
            continue;
        if (!values) {
            texts << kMissing;
            continue;
        }
        const CVKAktData& v = *values;
        QString text;
        if (c <= 2) {
            text = archive::vk::VoltageText(v.GetU(c), vt, w.voltage);
        } else if (c <= 5) {
            text = archive::vk::CurrentText(v.GetI(c - 3), ct, w.current, false);
        } else if (c <= 8) {
            text = archive::vk::FactorText(v.GetPF(c - 6), false);
        } else if (c == 9) {
            text = archive::vk::DecodedText(v.GetFrequency());
        } else if (c == 10) {
            const BYTE code = v.GetTemperatureCode();
            text = !variantBit0 || code == CVKAktData::kNoCode
                       ? kMissing
                       : FormatArchivNumber(kOneDecimal, code * double(temperatureSlope) + temperatureOffset);
        } else if (c <= 13) {
            text = archive::vk::FactorText(v.GetCos(c - 11), false);
        } else if (c <= 16) {
            text = archive::vk::VoltageText(v.GetULine(c - 14), vt, w.voltage);
        } else if (c <= 25) {
            // The phase powers are not measured in connection mode 2; with the
            // totals layout the first P slot holds 3P, not P1.
            const bool hidden = connectionMode2 || (c <= 19 && v.HasTotals());
            const int k = (c - 17) % 3;
            const std::int32_t code = c <= 19 ? v.GetP(k) : c <= 22 ? v.GetQ(k) : v.GetS(k);
            text = hidden ? kMissing : archive::vk::PowerText(code, ct, vt, w.power);
        } else if (c <= 28) {
            text = archive::vk::DecodedText(v.GetVoltageHarmonics().GetThd(c - 26));
        } else if (c <= 31) {
            text = archive::vk::DecodedText(v.GetCurrentHarmonics().GetThd(c - 29));
        } else if (c == 32) {
            text = totals.hasPF ? FormatArchivNumber(kTwoDecimals, totals.pf) : kMissing;
        } else if (c == 33) {
            text = Total(totals.hasP, totals.p, w.power);
        } else if (c == 34) {
            text = Total(totals.hasQ, totals.q, w.power);
        } else {
            text = Total(totals.hasS, totals.s, w.power);
        }
        texts << text;
    }
    return texts;
}

// The settings and values of the rows, apart from the walk's.
class CVKArchivData::Rows final : public CVKFamilyArchivData::RowSink {
public:
    Rows(const CVKArchivData& owner, const int* selection) : m_owner(owner), m_selection(selection)
    {
        m_vt = owner.GetRatioU();
        m_ct = owner.GetRatioI();
        owner.GetTemperatureScale(m_slope, m_offset);
        m_bit0 = owner.HasVariantBit0();
        m_mode2 = owner.IsConnectionMode2();
    }

    void TakeSettings(const CArchivRecord& record) override
    {
        CVKConfig config;
        if (!DecodeConfigRecord(record, config))
            return;
        m_vt = float(config.GetVtRatio());
        m_ct = float(config.GetCtRatio());
        double slope = 0, offset = 0;
        config.GetTemperatureLine(slope, offset);
        m_slope = float(slope);
        m_offset = float(offset);
        m_mode2 = config.GetConnection() == CVKConfig::Aron ? 1 : 0;
    }

    bool TakeMeasurement(const CArchivRecord& record) override
    {
        return DecodeMeasurement(m_values, record) != 0;
    }

    QStringList Format(CTime time, bool hasValues) override
    {
        return m_owner.FormatRecordRow(m_selection, hasValues ? &m_values : nullptr, time, m_ct, m_vt, m_offset,
                                       m_slope, m_bit0, m_mode2);
    }

private:
    const CVKArchivData& m_owner;
    const int* m_selection;
    CVKAktData m_values;
    float m_vt = 1, m_ct = 1, m_slope = 0, m_offset = 0;
    int m_bit0 = 0, m_mode2 = 0;
};

std::vector<QStringList> CVKArchivData::GetRecordRows(int index, const int* selection, int& count, int& first,
                                                      std::vector<int>* offsets)
{
    Rows rows(*this, selection);
    return CollectRows(index, rows, count, first, offsets);
}

QStringList CVKArchivData::GetAxisNames(const int* selection) const
{
    return ColumnAxisNames(selection);
}
