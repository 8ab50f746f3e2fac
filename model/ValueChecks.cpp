#include "model/ValueChecks.h"

#include <algorithm>
#include <cmath>

FloatRangeResult DDV_FloatRange(float minimum, float maximum, float lowerLimit, float upperLimit, BOOL cosineMode)
{
    FloatRangeResult r;
    if (minimum < lowerLimit) {
        r.messageId = platform::IDS_DDV_MIN_BELOW;
        r.limit = lowerLimit;
        r.focusMinimum = maximum > lowerLimit;
    } else if (maximum > upperLimit) {
        r.messageId = platform::IDS_DDV_MAX_ABOVE;
        r.limit = upperLimit;
        r.focusMinimum = !(minimum < upperLimit);
    } else if (cosineMode) {
        if (!(minimum <= 0 && maximum >= 0)) {
            r.messageId = platform::IDS_DDV_COS_SIGNS;
            r.focusMinimum = !(minimum < 0);
        }
    } else if (!(minimum < maximum)) {
        r.messageId = platform::IDS_DDV_MIN_NOT_BELOW_MAX;
        r.focusMinimum = !(minimum < upperLimit);
    }
    return r;
}

QString FormatFloatRangeMessage(const QString& pattern, const QString& name, double limit)
{
    QString text = pattern;
    const qsizetype s = text.indexOf(QLatin1String("%s"));
    if (s >= 0)
        text.replace(s, 2, name);
    const qsizetype f = text.indexOf(QLatin1String("%f"), s >= 0 ? s + name.size() : 0);
    if (f >= 0)
        text.replace(f, 2, QString::number(limit, 'f', 6));
    return text;
}

BOOL ComputeVoltageUnbalance(float a, float b, float c, float& result)
{
    if (std::fabs(a) < 1e-30f && std::fabs(b) < 1e-30f && std::fabs(c) < 1e-30f)
        return FALSE;
    const double a2 = double(a) * a;
    const double b2 = double(b) * b;
    const double c2 = double(c) * c;
    const double sum2 = a2 + b2 + c2;
    const double beta = (a2 * a2 + b2 * b2 + c2 * c2) / (sum2 * sum2);
    if (beta < 0.5) {
        const double root = std::sqrt(3.0 - 6.0 * beta);
        // Equal voltages give beta = 1/3 and a root of 1; rounding may push
        // the root just above 1, which would make the unbalance NaN.
        const double ratio = std::max(0.0, (1.0 - root) / (1.0 + root));
        result = float(100.0 * std::sqrt(ratio));
    } else {
        result = 100.0f;
    }
    return TRUE;
}

void StripTrailing(QString& path, const QString& suffix)
{
    if (suffix.isEmpty())
        return;
    while (path.endsWith(suffix, Qt::CaseSensitive))
        path.chop(suffix.size());
}
