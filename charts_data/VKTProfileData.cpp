#include "charts_data/VKTProfileData.h"

#include "archive/store/VKArchivFormats.h"
#include "model/VKTPackedTime.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
constexpr double kTiny = 1e-18;

const char* const kNames[CVKTProfileData::kQuantityCount] = {
    "U1", "U2", "U3", "I1", "I2", "I3", "I4", "PF1", "PF2", "PF3", "3PF", "P1",
    "P2", "P3", "3P", "Q1", "Q2", "Q3", "3Q", "S1", "S2", "S3", "3S"};

// Phase `phase` (0..2) is not measured in connection `c` (voltages and
// currents).
bool PhaseMissing(int c, int phase)
{
    return (c == 0 && phase > 0) || (c == 1 && phase == 2) || (c == 4 && phase == 1);
}

} // namespace

CVKTProfileRecord CVKTProfileRecord::Decode(const BYTE* raw, CTime expected, BYTE& counter)
{
    CVKTProfileRecord r;
    BYTE want[4] = {};
    PackRecordTime(expected, want);
    bool match = std::memcmp(raw, want, 4) == 0;
    if (!match && raw[3] == 24 && want[3] == 0) {
        BYTE before[4] = {};
        PackRecordTime(CTime(expected.GetTime() - 3600), before);
        match = std::memcmp(raw, before, 3) == 0;
    }
    for (int k = 0; k < 3; ++k) {
        r.u[std::size_t(k)] = CPrevodTyp::GetWord(raw + 4 + 2 * k);
        r.i[std::size_t(k)] = CPrevodTyp::GetWord(raw + 10 + 2 * k);
        r.p[std::size_t(k)] = CPrevodTyp::GetFloat(raw + 16 + 4 * k);
        r.q[std::size_t(k)] = CPrevodTyp::GetFloat(raw + 28 + 4 * k);
        r.s[std::size_t(k)] = CPrevodTyp::GetFloat(raw + 40 + 4 * k);
    }
    if (!match)
        return r;
    r.valid = true;
    if (!TryUnpackRecordTime(raw, false, r.time))
        r.time = expected;
    r.outages = BYTE(raw[52] - counter);
    counter = raw[52];
    r.missingSeconds = raw[53] > 57 ? 0 : 60 - raw[53];
    return r;
}

QString CVKTProfileData::GetQuantityName(int index) const
{
    return index >= 0 && index < kQuantityCount ? QString::fromLatin1(kNames[index]) : QString();
}

QString CVKTProfileData::ReadFile(const QByteArray& bytes)
{
    charts::CVKTProfileFile read;
    const QString failure = charts::LoadProfileFile(bytes, read);
    if (!failure.isEmpty())
        return failure;
    m_file = std::move(read);
    TakeHead(m_file.head, m_file.config.GetPrimary(), m_file.config.GetRatio(), m_file.config.GetConnection());
    return {};
}

std::array<double, CVKTProfileData::kQuantityCount> CVKTProfileData::Values(const CVKTProfileRecord& r) const
{
    std::array<double, kQuantityCount> v;
    v.fill(kGap);
    if (r.missingSeconds > kMaxMissingSeconds)
        return v;
    const int c = m_connection;
    const double ku = double(m_voltageRatio);
    const double ki = double(m_currentRatio);
    for (int k = 0; k < 3; ++k) {
        const auto n = std::size_t(k);
        if (!PhaseMissing(c, k)) {
            v[n] = r.u[n] * ku * 0.025;
            v[3 + n] = r.i[n] * ki * 0.0002;
        }
        if (PhaseMissing(c, k) || c == 4)
            continue;
        const double p = double(r.p[n]) * ku * ki;
        const double s = double(r.s[n]) * ku * ki;
        v[11 + n] = p;
        v[15 + n] = double(r.q[n]) * ku * ki;
        v[19 + n] = s;
        v[7 + n] = p > s ? 1.0 : (s < kTiny ? kGap : p / s);
    }
    const double i2 = (c == 0 || c == 4) ? 0.0 : r.i[1];
    const double i3 = c < 2 ? 0.0 : r.i[2];
    v[6] = (r.i[0] + i2 + i3) * ki * 0.0002;
    if (c != 0) {
        const auto sum = [&](const std::array<float, 3>& x) {
            double total = double(x[0]);
            if (c != 4)
                total += double(x[1]);
            if (c != 1)
                total += double(x[2]);
            return total * ku * ki;
        };
        const double p3 = sum(r.p);
        const double q3 = sum(r.q);
        const double s3 = std::sqrt(p3 * p3 + q3 * q3);
        v[14] = p3;
        v[18] = q3;
        v[22] = s3;
        v[10] = p3 > s3 ? 1.0 : (s3 <= kTiny ? kGap : p3 / s3);
    }
    return v;
}

void CVKTProfileData::Load(int mode)
{
    const std::vector<CGraphTrace*> traces = (mode & kFillTraces) ? QuantityTraces() : std::vector<CGraphTrace*>();
    if (mode & kFillHour)
        m_hourTable.fill(CVKTProfileRecord());
    BYTE counter = 0;
    const int count = m_file.RecordCount();
    for (int m = 0; m < count; ++m) {
        const CTime t = MinuteTime(m);
        const CVKTProfileRecord r = CVKTProfileRecord::Decode(m_file.Record(m), t, counter);
        if ((mode & kFillHour) && m / 60 == m_hour)
            m_hourTable[std::size_t(m % 60)] = r;
        if (traces.empty())
            continue;
        const auto values = Values(r);
        for (int q = 0; q < kQuantityCount; ++q) {
            CGraphTrace* trace = traces[std::size_t(q)];
            if (!trace)
                continue;
            if (std::isnan(values[std::size_t(q)]))
                trace->SetGap(0, m, false);
            else
                trace->SetPoint(0, m, t, values[std::size_t(q)]);
        }
    }
}

bool CVKTProfileData::IsMeasured(int q) const
{
    const int c = m_connection;
    if (q < 6)
        return !PhaseMissing(c, q % 3);
    if (q == 6)
        return true;
    if (q == 10 || q == 14 || q == 18 || q == 22)
        return c != 0;
    const int phase = q < 10 ? q - 7 : (q - 11) % 4;
    return !PhaseMissing(c, phase) && c != 4;
}

CProfileValueTexts CVKTProfileData::GetValueTexts() const
{
    CProfileValueTexts t = ValueTextsHead();
    t.currentCaption = QStringLiteral("I[A]");
    const QString prefix = m_powerMultiplier == 1      ? QString()
                           : m_powerMultiplier == 1000 ? QStringLiteral("k")
                                                       : QStringLiteral("M");
    t.powerCaptions[0] = QStringLiteral("P[") + prefix + QStringLiteral("W]");
    t.powerCaptions[1] = QStringLiteral("Q[") + prefix + QStringLiteral("var]");
    t.powerCaptions[2] = QStringLiteral("S[") + prefix + QStringLiteral("VA]");
    const CVKTProfileRecord& r = m_hourTable[std::size_t(m_cursor % 60)];
    if (r.missingSeconds > kMaxMissingSeconds)
        return t;
    const auto values = Values(r);
    for (int q = 0; q < kQuantityCount; ++q) {
        const double v = values[std::size_t(q)];
        QString& text = t.values[std::size_t(q)];
        if (!IsMeasured(q))
            text = NotMeasuredText();
        else if (std::isnan(v))
            text = NoValueText();
        else if (q < 3)
            text = FormatArchivNumber(m_voltageFormat, v / m_voltageMultiplier);
        else if (q < 7)
            text = FormatArchivNumber(m_currentFormat, v / m_currentMultiplier);
        else if (q <= 10)
            text = FormatArchivNumber(QStringLiteral("%0.2f"), v);
        else
            text = FormatArchivNumber(m_powerFormat, v / m_powerMultiplier);
    }
    return t;
}
