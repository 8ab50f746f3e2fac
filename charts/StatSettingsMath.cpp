#include "charts/StatSettingsMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace statsettings {

namespace {

// The products are taken in double precision and stored as floats, so a
// float just below a round value (1.15f) truncates the way users are used to.
float Round2(double v)
{
    return float(int(v * 100.0 + 0.5) * 0.01);
}
float Round1(double v)
{
    return float(int(v * 10.0 + 0.5) * 0.1);
}
float Kilo(double watts)
{
    return float(int(watts + 0.5) * 0.001);
}
bool In(float v, float lo, float hi)
{
    return v >= lo && v <= hi;
}
// Truncated, not rounded: the current never shows more than the power allows.
float CurrentOf(double powerPhaseKva, double voltageNeutral)
{
    return float(int(powerPhaseKva * 1000.0 / voltageNeutral * 100.0) * 0.01);
}

} // namespace

QStringList WindowNames()
{
    return {QStringLiteral("1 min"), QStringLiteral("3 min"), QStringLiteral("10 min"),
            QStringLiteral("15 min"), QStringLiteral("1 hod"), QStringLiteral("2 hod")};
}

int WindowIndexOf(int seconds)
{
    for (std::size_t i = 0; i < kWindowWidths.size(); ++i)
        if (kWindowWidths[i] == seconds)
            return int(i);
    return 0;
}

int WindowWidthAt(int index)
{
    return kWindowWidths[std::size_t(std::clamp(index, 0, int(kWindowWidths.size()) - 1))];
}

namespace {

// What both kinds of record share: windows, current, three-phase power and
// voltages, rounded as the fields show them.
template <class Record>
CFields LoadCommon(const Record& record)
{
    CFields f;
    f.window1 = WindowIndexOf(record.window1);
    f.window2 = WindowIndexOf(record.window2);
    f.current = Round2(record.nominalCurrent);
    f.power3 = Kilo(record.nominalPower);
    f.voltageLine = Round1(record.nominalVoltageLine);
    f.voltageNeutral = Round1(record.nominalVoltage);
    return f;
}

bool VoltagesInRange(const CFields& f)
{
    return In(f.voltageLine, kVoltageMin, kVoltageMax) && In(f.voltageNeutral, kVoltageMin, kVoltageMax);
}

template <class Record>
void StoreCommon(const CFields& f, Record& record)
{
    record.window1 = WindowWidthAt(f.window1);
    record.window2 = WindowWidthAt(f.window2);
    if (f.voltage == kLineToNeutral) {
        record.nominalVoltage = f.voltageNeutral;
        record.nominalVoltageLine = f.voltageNeutral * 1.7320508f;
    } else {
        record.nominalVoltageLine = f.voltageLine;
        record.nominalVoltage = f.voltageLine * 0.57735026f;
    }
}

} // namespace

CFields Load(const CVKFamilyStatSettings& record)
{
    CFields f = LoadCommon(record);
    f.powerPhase = Kilo(record.nominalPowerPhase);
    if (!In(f.powerPhase, kPowerMin, kPowerMax) || !In(f.power3, kPowerMin, kPowerMax) || !VoltagesInRange(f)) {
        f.current = 5.0f;
        f.powerPhase = 1.1f;
        f.power3 = 3.3f;
        f.voltageLine = 381.05118f;
        f.voltageNeutral = 220.0f;
    }
    return f;
}

void Store(const CFields& f, CVKFamilyStatSettings& record)
{
    StoreCommon(f, record);
    if (f.phase == kOnePhase) {
        record.nominalPowerPhase = f.powerPhase * 1000.0f;
        record.nominalPower = record.nominalPowerPhase * 3.0f;
    } else {
        record.nominalPower = f.power3 * 1000.0f;
        record.nominalPowerPhase = record.nominalPower * 0.33333334f;
    }
    record.nominalCurrent = record.nominalPowerPhase / record.nominalVoltage;
}

CFields Load(const CQorinStatSettings& record)
{
    CFields f = LoadCommon(record);
    f.powerFactorChoice = record.fromInstrument ? 0 : 1;
    if (!In(f.power3, kPowerMin, kPowerMax) || !VoltagesInRange(f)) {
        f.current = 5.0f;
        f.power3 = 3.3f;
        f.voltageLine = 381.05118f;
        f.voltageNeutral = 220.0f;
    }
    f.powerFactorPosition = PositionOf(record.requiredPowerFactor);
    return f;
}

void Store(const CFields& f, CQorinStatSettings& record)
{
    StoreCommon(f, record);
    record.nominalPower = f.power3 * 1000.0f;
    record.nominalCurrent = record.nominalPower * 0.33333334f / record.nominalVoltage;
    record.requiredPowerFactor = PowerFactorAt(f.powerFactorPosition);
    record.fromInstrument = f.powerFactorChoice == 0 ? 1 : 0;
}

bool IsHalfTyped(const QString& text, const QStringList& zeroLike)
{
    return text.isEmpty() || zeroLike.contains(text) || text.endsWith(QLatin1Char('.'));
}

QStringList VoltageZeroTexts()
{
    return {QStringLiteral("0"), QStringLiteral("0."), QStringLiteral("0.0")};
}

QStringList PowerPhaseZeroTexts()
{
    return {QStringLiteral("0"), QStringLiteral("0."), QStringLiteral("0.0"), QStringLiteral("0.00"),
            QStringLiteral(".00")};
}

QStringList PowerZeroTexts()
{
    return {QStringLiteral("0"), QStringLiteral("0.0"), QStringLiteral(".0"), QStringLiteral("0.00"),
            QStringLiteral(".00")};
}

void VoltageEdited(CFields& f, bool qorin)
{
    double neutral = f.voltageNeutral;
    if (f.voltage == kLineToLine) {
        neutral = f.voltageLine * 0.57735026;
        f.voltageNeutral = Round2(neutral);
    } else {
        f.voltageLine = float(int(f.voltageNeutral * 173.20508 + 0.5) * 0.01);
    }
    if (neutral == 0.0)
        return;
    f.current = qorin ? float(int(f.power3 * 333.33334 / neutral * 100.0) * 0.01) : CurrentOf(f.powerPhase, neutral);
}

void PowerEdited(CFields& f)
{
    double phase = f.powerPhase;
    if (f.phase == kOnePhase) {
        f.power3 = float(int(f.powerPhase * 3000.0 + 0.5) * 0.001);
    } else {
        phase = f.power3 * 0.33333334;
        f.powerPhase = float(int(phase * 1000.0 + 0.5) * 0.001);
    }
    if (phase != 0.0 && f.voltageNeutral != 0.0f)
        f.current = CurrentOf(phase, f.voltageNeutral);
}

void QorinPowerEdited(CFields& f)
{
    const double phase = f.power3 * 0.33333334;
    if (phase != 0.0 && f.voltageNeutral != 0.0f)
        f.current = CurrentOf(phase, f.voltageNeutral);
}

float PowerFactorAt(int position)
{
    return float(position < 10 ? -(position * 0.01 + 0.9) : 1.1 - position * 0.01);
}

QString PowerFactorText(int position)
{
    return QString::asprintf("%0.2f", double(PowerFactorAt(position)));
}

int PositionOf(float f, int fallback)
{
    if (f >= 0) {
        const int p = 110 - int(f * 100.0 + 0.5);
        return p >= 10 && p <= 30 ? p : fallback;
    }
    const int p = int(-f * 100.0 + 0.5) - 90;
    return p >= 0 && p <= 9 ? p : fallback;
}

int ParsePowerFactor(const QString& text, bool& refused)
{
    const QByteArray bytes = text.left(10).trimmed().toLatin1();
    double v = std::atof(bytes.constData());
    refused = !((v >= 0.8 && v <= 1.0) || (v >= -0.99 && v <= -0.9));
    if (refused)
        v = 0.98;
    return v >= 0 ? 110 - int(v * 100 + 0.5) : int(-v * 100 + 0.5) - 90;
}

QString RangeProblem(const CFields& f, bool qorin)
{
    const auto message = [](const char* lo, const char* hi) {
        return QStringLiteral("Zadejte číslo od %1 do %2.").arg(QLatin1String(lo), QLatin1String(hi));
    };
    if (!qorin && !In(f.powerPhase, kPowerMin, kPowerMax))
        return message("0.0001", "1e+015");
    if (!In(f.power3, kPowerMin, kPowerMax))
        return message("0.0001", "1e+015");
    if (!In(f.voltageLine, kVoltageMin, kVoltageMax) || !In(f.voltageNeutral, kVoltageMin, kVoltageMax))
        return message("0.01", "1e+012");
    return QString();
}

QString FloatText(float value)
{
    return QString::number(double(value), 'g', 6);
}

} // namespace statsettings
