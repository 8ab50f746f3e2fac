// The reading side of the VKR archive: rows of the value list and their
// value rules.
#include "archive/store/VKRArchivData.h"

#include "archive/store/VKRDisplayValues.h"

#include "model/QuantityNames.h"

#include <cmath>

using platform::CTime;

namespace {

const QString kMissing = QStringLiteral("--");
const QString kNotMeasured = QStringLiteral("-N-");
const QString kTwoDecimals = QStringLiteral("%0.2f");
// The phase whose value a column shows; -1 for the columns without phases.
int PhaseOf(int column)
{
    if (column <= 8)
        return column % 3;
    if (column >= 11 && column <= 31)
        return (column - 11) % 3;
    if (column >= 36)
        return column - 36;
    return -1;
}

} // namespace

bool CVKRArchivData::IsColumnHidden(int column, int connectionType)
{
    const int c = connectionType;
    const int k = PhaseOf(column);
    // One phase measures phase 1 only; two phases measure phases 1 and 2.
    const bool phaseMissing = (c == 0 && k >= 1) || (c == 1 && k == 2);
    if (column <= 2 || (column >= 26 && column <= 28) || column >= 36)
        return phaseMissing;
    if (column <= 5 || (column >= 29 && column <= 31))
        return phaseMissing || (c == 4 && k == 1);
    if (column <= 8 || (column >= 11 && column <= 13) || (column >= 17 && column <= 25))
        return phaseMissing || c == 4;
    if (column >= 14 && column <= 16)
        return c == 0 || (c == 1 && column != 14);
    if (column >= 32 && column <= 35)
        return c == 0;
    return false;
}

QStringList CVKRArchivData::FormatRecordRow(const int* selection, const int* extraSelection,
                                            const CVKRAktData* values, CTime time, float /*currentRatio*/,
                                            float /*voltageRatio*/, int connectionType) const
{
    // VKR values are primary values: the ratios only chose the formats.
    QStringList texts;
    texts << time.Format(QStringLiteral("%d.%m %H:%M:%S"));
    const CVKWindowScales w = GetWindowScales();
    const int t = connectionType;
    double p3 = 0, q3 = 0, s3 = 0, allUI = 0;
    if (values) {
        for (int k = 0; k < 3; ++k) {
            const double ui = double(values->GetUPhase(k)) * values->GetI(k);
            allUI += ui;
            if ((k == 1 && t == 4) || (k == 2 && t == 1))
                continue;
            p3 += values->GetP(k);
            q3 += values->GetQ(k);
            s3 += ui;
        }
    }
    for (int c = 0; c < kColumnCount + kExtraColumnCount; ++c) {
        if (!(c < kColumnCount ? selection[c] : extraSelection[c - kColumnCount]))
            continue;
        if (!values) {
            texts << kMissing;
            continue;
        }
        if (IsColumnHidden(c, t)) {
            texts << kNotMeasured;
            continue;
        }
        const CVKRAktData& v = *values;
        const int k = PhaseOf(c);
        const double ui = k >= 0 ? double(v.GetUPhase(k)) * v.GetI(k) : 0.0;
        QString text;
        if (c <= 2)
            text = FormatScaled(w.voltage, v.GetUPhase(k));
        else if (c <= 5)
            text = FormatScaled(w.current, v.GetI(k));
        else if (c <= 8)
            text = std::fabs(ui) < 1e-8 ? kMissing : FormatArchivNumber(kTwoDecimals, v.GetP(k) / ui);
        else if (c == 9)
            text = archive::vkr::HundredthsText(v.GetFrequency());
        else if (c == 10)
            text = archive::vkr::HundredthsText(v.GetTemperature());
        else if (c <= 13)
            text = archive::vkr::CosPhiText(v.GetAngle(k));
        else if (c <= 16)
            text = FormatScaled(w.voltage, v.GetULine(c - 14));
        else if (c <= 19)
            text = FormatScaled(w.power, v.GetP(k));
        else if (c <= 22)
            text = FormatScaled(w.power, v.GetQ(k));
        else if (c <= 25)
            text = FormatScaled(w.power, ui);
        else if (c <= 28)
            text = archive::vkr::ThdText(v.GetThdU(k));
        else if (c <= 31)
            text = archive::vkr::ThdText(v.GetThdI(k));
        else if (c == 32)
            text = s3 < 1e-8 || allUI < 1e-9 ? kMissing : FormatArchivNumber(kTwoDecimals, p3 / s3);
        else if (c == 33)
            text = FormatScaled(w.power, p3);
        else if (c == 34)
            text = FormatScaled(w.power, q3);
        else if (c == 35)
            text = FormatScaled(w.power, s3);
        else
            text = archive::vkr::ThdText(v.GetThdULine(k));
        texts << text;
    }
    return texts;
}

class CVKRArchivData::Rows final : public CVKFamilyArchivData::RowSink {
public:
    Rows(const CVKRArchivData& owner, const int* selection, const int* extraSelection)
        : m_owner(owner), m_selection(selection), m_extra(extraSelection)
    {
        m_vt = owner.GetRatioU();
        m_ct = owner.GetRatioI();
        m_connection = owner.GetConnectionType();
    }

    void TakeSettings(const CArchivRecord& record) override
    {
        CVKRConfig config;
        if (!DecodeConfigRecord(record, config))
            return;
        m_vt = float(config.GetVtRatio());
        m_ct = float(config.GetCtRatio());
        m_connection = config.GetConnection();
    }

    bool TakeMeasurement(const CArchivRecord& record) override
    {
        return DecodeMeasurement(m_values, record) != 0;
    }

    QStringList Format(CTime time, bool hasValues) override
    {
        return m_owner.FormatRecordRow(m_selection, m_extra, hasValues ? &m_values : nullptr, time, m_ct, m_vt,
                                       m_connection);
    }

private:
    const CVKRArchivData& m_owner;
    const int* m_selection;
    const int* m_extra;
    CVKRAktData m_values;
    float m_vt = 1, m_ct = 1;
    int m_connection = 2;
};

std::vector<QStringList> CVKRArchivData::GetRecordRows(int index, const int* selection, const int* extraSelection,
                                                       int& count, int& first, std::vector<int>* offsets)
{
    Rows rows(*this, selection, extraSelection);
    return CollectRows(index, rows, count, first, offsets);
}

QStringList CVKRArchivData::GetScaledAxisNames(const int* selection, const int* extraSelection) const
{
    QStringList names = ColumnAxisNames(selection);
    for (int j = 0; j < kExtraColumnCount; ++j)
        if (extraSelection[j])
            names << VKRQuantityNames[std::size_t(37 + j)].toString();
    return names;
}
