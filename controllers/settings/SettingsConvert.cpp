#include "controllers/settings/SettingsConvert.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace controllers::convert {

namespace {

bool InRanges(double v, double lowA, double highA, double lowB, double highB)
{
    return (v >= lowA && v <= highA) || (v >= lowB && v <= highB);
}

} // namespace

int QorinPfCode(double value)
{
    return int(std::trunc(value * 1.005 * 100.0));
}

double QorinPfValue(int code)
{
    const double v = code * 0.01;
    return InRanges(v, 0.795, 1.005, -0.995, -0.895) ? v : 1.0;
}

bool QorinPfLineUp(double& value)
{
    bool moved = false;
    if (value < -0.905 || value > 0.79) {
        value += 0.01;
        moved = true;
    }
    if (value > 1.005)
        value = -0.99;
    return moved;
}

bool QorinPfLineDown(double& value)
{
    bool moved = false;
    if (value > 0.805 || value < -0.89) {
        value -= 0.01;
        moved = true;
    }
    if (value < -0.995)
        value = 1.0;
    return moved;
}

bool IsQorinPfTyped(double value)
{
    // Two decimals typed: compare in hundredths so that -0.90 is inside.
    const double h = std::round(value * 1000.0) / 1000.0;
    return InRanges(h, 0.8, 1.0, -0.99, -0.9);
}

int DuskarChokeCode(double value)
{
    return value >= 0 ? int(std::trunc(value * 100.0 + 0.01)) : int(std::trunc(value * 100.0 - 0.01));
}

double DuskarChokeValue(int code)
{
    const double v = code * 0.01;
    return InRanges(v, 0.795, 1.005, -0.995, -0.795) ? v : 1.0;
}

bool DuskarChokeLineUp(double& value)
{
    bool moved = false;
    if (value < -0.805 || value > 0.79) {
        value += 0.01;
        moved = true;
    }
    if (value > 1.005)
        value = -0.99;
    return moved;
}

bool DuskarChokeLineDown(double& value)
{
    bool moved = false;
    if (value > 0.805 || value < -0.79) {
        value -= 0.01;
        moved = true;
    }
    if (value < -0.995)
        value = 1.0;
    return moved;
}

bool IsDuskarChokeTyped(double value)
{
    const double h = std::round(value * 1000.0) / 1000.0;
    return InRanges(h, 0.8, 1.0, -0.99, -0.8);
}

bool IsAngleCode(int code)
{
    return code >= 101 && code <= 121;
}

QString DuskarTargetText(int code)
{
    if ((code >= 80 && code <= 100) || (code >= -99 && code <= -80))
        return QString::asprintf("%0.2f", code * 0.01);
    return QString::asprintf("%d", 111 - code) + QChar(0x00B0);
}

int ParseDuskarTarget(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QChar(0x2212), QLatin1Char('-'));
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const qsizetype degree = t.indexOf(QChar(0x00B0));
    if (degree >= 0) {
        static const QRegularExpression leadingInt(QStringLiteral("^\\s*([+-]?\\d+)"));
        const auto match = leadingInt.match(t.left(degree));
        const int angle = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (angle >= 11)
            return 101;
        if (angle < -10)
            return 121;
        return 111 - angle;
    }
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        v = 1.0;
    const double h = std::round(v * 1000.0) / 1000.0;
    if (!InRanges(h, 0.8, 1.0, -0.99, -0.8))
        v = 1.0;
    return v >= 0 ? int(std::trunc(v * 100.0 + 0.5)) : int(std::trunc(v * 100.0 - 0.5));
}

bool StepDuskarTarget(int& code, bool up)
{
    const int old = code;
    int c = up ? old + 1 : old - 1;
    bool ok = true;
    if (c == 101 && old == 100)
        c = -99;
    else if (c == -79)
        c = 101;
    else if (c == -100)
        c = 100;
    else if (c > 121) {
        c = 121;
        ok = false;
    } else if (c == 100 && old == 101)
        c = -80;
    else if (c == 79) {
        c = 80;
        ok = false;
    }
    code = c;
    return ok;
}

const QStringList& SwitchingProgramNames()
{
    static const QStringList names{
        QStringLiteral("1:1:1:1:1"), QStringLiteral("1:1:2:2:2 "), QStringLiteral("1:1:2:2:4"),
        QStringLiteral("1:1:2:3:3"), QStringLiteral("1:1:2:4:4"),  QStringLiteral("1:1:2:4:8"),
        QStringLiteral("1:2:2:2:2"), QStringLiteral("1:2:3:3:3"),  QStringLiteral("1:2:3:4:4"),
        QStringLiteral("1:2:3:6:6"), QStringLiteral("1:2:4:4:4"),  QStringLiteral("1:2:4:8:8")};
    return names;
}

std::array<int, 5> ProgramMultipliers(int program)
{
    std::array<int, 5> m{1, 1, 1, 1, 1};
    const QStringList& names = SwitchingProgramNames();
    if (program < 0 || program >= names.size())
        return m;
    const QStringList parts = names[program].trimmed().split(QLatin1Char(':'));
    for (int i = 0; i < 5 && i < parts.size(); ++i)
        m[std::size_t(i)] = parts[i].toInt();
    return m;
}

QString GroupThousands(long long value)
{
    const bool negative = value < 0;
    QString digits = QString::number(negative ? -value : value);
    for (qsizetype pos = digits.size() - 3; pos > 0; pos -= 3)
        digits.insert(pos, QLatin1Char(' '));
    return negative ? QLatin1Char('-') + digits : digits;
}

} // namespace controllers::convert
