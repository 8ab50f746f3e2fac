#include "charts_data/VKProfileData.h"

#include "archive/store/VKArchivFormats.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
constexpr int kConnectionDelta = 2;

const char* const kNames[CVKProfileData::kQuantityCount] = {"U1", "U2", "U3", "I1", "I2",
                                                             "I3", "I4", "PF1", "PF2", "PF3"};

} // namespace

CVKProfileRecord CVKProfileRecord::Decode(const BYTE* raw)
{
    CVKProfileRecord r;
    for (int k = 0; k < 3; ++k)
        r.u[std::size_t(k)] = CPrevodTyp::GetWord(raw + 2 * k);
    for (int k = 0; k < 4; ++k)
        r.i[std::size_t(k)] = std::abs(int(std::int16_t(CPrevodTyp::GetWord(raw + 6 + 2 * k))));
    for (int k = 0; k < 3; ++k)
        r.pf[std::size_t(k)] = int(std::int8_t(raw[14 + k]));
    return r;
}

QString CVKProfileData::GetQuantityName(int index) const
{
    return index >= 0 && index < kQuantityCount ? QString::fromLatin1(kNames[index]) : QString();
}

QString CVKProfileData::ReadFile(const QByteArray& bytes)
{
    charts::CVKProfileFile read;
    const QString failure = charts::LoadProfileFile(bytes, read);
    if (!failure.isEmpty())
        return failure;
    m_file = std::move(read);
    TakeHead(m_file.head, m_file.config.GetVtRatio(), m_file.config.GetCtRatio(), m_file.config.GetConnection());
    return {};
}

double CVKProfileData::VoltageValue(const CVKProfileRecord& r, int phase) const
{
    const WORD raw = r.u[std::size_t(phase)];
    if (raw == CVKProfileRecord::kNoVoltage || (phase == 1 && m_connection == kConnectionDelta))
        return kGap;
    return raw * double(m_voltageRatio) * 0.1;
}

double CVKProfileData::CurrentValue(const CVKProfileRecord& r, int index) const
{
    const int raw = r.i[std::size_t(index)];
    return raw == CVKProfileRecord::kNoCurrent ? kGap : raw * double(m_currentRatio) * 0.0003125;
}

double CVKProfileData::PowerFactorValue(const CVKProfileRecord& r, int phase) const
{
    const int s = r.pf[std::size_t(phase)];
    if (s == CVKProfileRecord::kNoPowerFactor || m_connection == kConnectionDelta)
        return kGap;
    return (200 - std::abs(s)) * 0.01;
}

void CVKProfileData::Load(int mode)
{
    const std::vector<CGraphTrace*> traces = (mode & kFillTraces) ? QuantityTraces() : std::vector<CGraphTrace*>();
    if (mode & kFillHour)
        m_hourTable.fill(CVKProfileRecord{{CVKProfileRecord::kNoVoltage, CVKProfileRecord::kNoVoltage,
                                      CVKProfileRecord::kNoVoltage},
                                     {CVKProfileRecord::kNoCurrent, CVKProfileRecord::kNoCurrent,
                                      CVKProfileRecord::kNoCurrent, CVKProfileRecord::kNoCurrent},
                                     {CVKProfileRecord::kNoPowerFactor, CVKProfileRecord::kNoPowerFactor,
                                      CVKProfileRecord::kNoPowerFactor}});
    const int count = m_file.RecordCount();
    for (int m = 0; m < count; ++m) {
        const CVKProfileRecord r = CVKProfileRecord::Decode(m_file.Record(m));
        if ((mode & kFillHour) && m / 60 == m_hour)
            m_hourTable[std::size_t(m % 60)] = r;
        if (traces.empty())
            continue;
        const CTime t = MinuteTime(m);
        for (int q = 0; q < kQuantityCount; ++q) {
            CGraphTrace* trace = traces[std::size_t(q)];
            if (!trace)
                continue;
            const double v = q < 3 ? VoltageValue(r, q) : q < 7 ? CurrentValue(r, q - 3) : PowerFactorValue(r, q - 7);
            if (std::isnan(v))
                trace->SetGap(0, m, false);
            else
                trace->SetPoint(0, m, t, v);
        }
    }
}

CProfileValueTexts CVKProfileData::GetValueTexts() const
{
    CProfileValueTexts t = ValueTextsHead();
    const CVKProfileRecord& r = m_hourTable[std::size_t(m_cursor % 60)];
    const auto number = [](const QString& format, double value, int multiplier) {
        return std::isnan(value) ? NoValueText() : FormatArchivNumber(format, value / multiplier);
    };
    for (int k = 0; k < 3; ++k) {
        const auto n = std::size_t(k);
        t.values[n] = k == 1 && m_connection == kConnectionDelta
                          ? NotMeasuredText()
                          : number(m_voltageFormat, VoltageValue(r, k), m_voltageMultiplier);
        const int s = r.pf[n];
        t.values[7 + n] = m_connection == kConnectionDelta ? NotMeasuredText()
                          : s == CVKProfileRecord::kNoPowerFactor
                              ? NoValueText()
                              : FormatArchivNumber(QStringLiteral("%0.2f"), std::abs(s) * 0.01);
    }
    for (int k = 0; k < 4; ++k)
        t.values[3 + std::size_t(k)] = number(m_currentFormat, CurrentValue(r, k), m_currentMultiplier);
    return t;
}
