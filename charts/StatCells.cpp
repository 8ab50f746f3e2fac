#include "charts/StatCells.h"

#include "charts/StatSettingsMath.h"

#include <algorithm>

namespace statcells {

namespace {

QString Format(const QString& format, double value)
{
    return QString::asprintf(format.toLatin1().constData(), value);
}

QString Scaled(int scale, const char* unit)
{
    const QString base = QString::fromUtf8(unit);
    if (scale == 1000)
        return QStringLiteral("k") + base;
    if (scale == 1000000)
        return QStringLiteral("M") + base;
    return base;
}

} // namespace

QString VKValue(float value, const QString& format, int state)
{
    if (state == 0)
        return Format(format, double(value));
    return state == 1 ? QStringLiteral("--") : QStringLiteral("-N-");
}

QString VKTime(platform::CTime time, int state)
{
    if (state == 0)
        return time.Format(QStringLiteral("%H:%M:%S %d.%m.%Y"));
    return state == 1 ? QStringLiteral("--") : QStringLiteral("-N-");
}

QString VKShareCount(float share, int count, int state)
{
    if (state == 0)
        return QString::asprintf("%0.1f%% / %d", double(share), count);
    return state == 1 ? QStringLiteral("--") : QStringLiteral("-N-");
}

QString QorinValue(float value, const QString& format, int valid)
{
    return valid ? Format(format, double(value)) : QStringLiteral("--");
}

QString QorinTime(platform::CTime time, int valid)
{
    return valid ? time.Format(QStringLiteral("%H:%M:%S %d.%m.%Y")) : QStringLiteral("--");
}

bool PercentOfNominal(int scale, float average, float nominal, float& percent)
{
    if (nominal == 0.0f)
        return false;
    percent = float(double(scale) * average * 100.0 / nominal);
    return true;
}

QString WindowLabel(int seconds)
{
    const QStringList names = statsettings::WindowNames();
    return names.value(statsettings::WindowIndexOf(seconds));
}

QString VoltageUnit(int scale)
{
    return Scaled(scale, "V");
}

QString CurrentUnit(int scale)
{
    return Scaled(scale, "A");
}

QString PowerUnit(int scale, int kind)
{
    static const char* const units[] = {"W", "var", "VA"};
    return Scaled(scale, units[std::clamp(kind, 0, 2)]);
}

} // namespace statcells
