#include "archive/store/VKArchivFormats.h"

#include <algorithm>

namespace {

CArchivNumberFormat Fmt(int multiplier, const char* format)
{
    return {QString::fromLatin1(format), multiplier};
}

} // namespace

CArchivNumberFormat ChooseVoltageFormatByRatio(double r)
{
    if (r > 0.99 && r < 1.01)
        return Fmt(1, "%0.1f");
    if (r * 16 < 600)
        return Fmt(1, r <= 15 ? "%0.1f" : "%0.0f");
    if (r < 150)
        return Fmt(1000, "%0.3f");
    if (r < 1500)
        return Fmt(1000, "%0.2f");
    return Fmt(1000, r <= 15000 ? "%0.1f" : "%0.0f");
}

CArchivNumberFormat ChooseCurrentFormatByRatio(double r)
{
    if (r < 2000) {
        if (r < 5)
            return Fmt(1, "%0.3f");
        if (r < 50)
            return Fmt(1, "%0.2f");
        return Fmt(1, r < 500 ? "%0.1f" : "%0.0f");
    }
    if (r < 5000)
        return Fmt(1000, "%0.3f");
    if (r < 50000)
        return Fmt(1000, "%0.2f");
    return Fmt(1000, r < 500000 ? "%0.1f" : "%0.0f");
}

CArchivNumberFormat ChoosePowerFormatByRatio(double p)
{
    if (p < 20)
        return Fmt(1, "%0.0f");
    if (p < 2000) {
        if (p < 50)
            return Fmt(1000, "%0.4f");
        return Fmt(1000, p < 500 ? "%0.3f" : "%0.2f");
    }
    if (p < 5000)
        return Fmt(1000000, "%0.4f");
    if (p < 50000)
        return Fmt(1000000, "%0.3f");
    if (p < 500000)
        return Fmt(1000000, "%0.2f");
    return Fmt(1000000, p < 5e7 ? "%0.1f" : "%0.0f");
}

QString FormatArchivNumber(const QString& format, double value)
{
    int decimals = 1;
    const qsizetype dot = format.indexOf(QLatin1Char('.'));
    if (dot >= 0 && dot + 1 < format.size() && format.at(dot + 1).isDigit())
        decimals = format.at(dot + 1).digitValue();
    return QString::number(value, 'f', decimals);
}

QString FormatScaled(const CArchivNumberFormat& format, double value)
{
    return FormatArchivNumber(format.format, value / (format.multiplier != 0 ? format.multiplier : 1));
}

CVKRatioScales::CVKRatioScales()
{
    UpdateVoltageFormat();
    UpdateCurrentFormat();
}

bool CVKRatioScales::TakeVoltageRatio(float ratio)
{
    if (ratio == voltageRatio)
        return false;
    voltageRatio = ratio;
    UpdateVoltageFormat();
    return true;
}

bool CVKRatioScales::TakeCurrentRatio(float ratio)
{
    if (ratio == currentRatio)
        return false;
    currentRatio = ratio;
    UpdateCurrentFormat();
    return true;
}

void CVKRatioScales::UpdateVoltageFormat()
{
    voltage = ChooseVoltageFormatByRatio(voltageRatio);
    voltageScaleChanged = 1;
    power = ChoosePowerFormatByRatio(double(voltageRatio) * double(currentRatio));
}

void CVKRatioScales::UpdateCurrentFormat()
{
    current = ChooseCurrentFormatByRatio(currentRatio);
    currentScaleChanged = 1;
    power = ChoosePowerFormatByRatio(double(voltageRatio) * double(currentRatio));
}

CVKWindowScales::CVKWindowScales()
{
    Choose(1.0, 1.0, 1.0);
}

void CVKWindowScales::Choose(double voltageRatio, double currentRatio, double product)
{
    voltage = ChooseVoltageFormatByRatio(voltageRatio);
    current = ChooseCurrentFormatByRatio(currentRatio);
    power = ChoosePowerFormatByRatio(product);
}

QString VKArchivFileName(const QString& base, bool plain, platform::CTime now, const QString& extension)
{
    return plain ? base + extension : base + now.Format(QStringLiteral("_Y%yD%m%dH%H")) + extension;
}

QString RollVKArchivFileName(const QString& name, platform::CTime start, const QString& extension)
{
    // Only the file's own name is looked at: a folder such as "jan.novak"
    // must not cut the path short and send the next period elsewhere.
    const qsizetype file = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1;
    qsizetype p = name.indexOf(QLatin1String("_Y"), file);
    const bool suffixed = p > file && name.size() >= p + 12 + extension.size() && name.at(p + 4) == QLatin1Char('D')
                          && name.at(p + 9) == QLatin1Char('H') && name.mid(p + 12, extension.size()) == extension;
    if (!suffixed)
        p = name.indexOf(QLatin1Char('.'), file);
    if (p < 0)
        return name;
    return VKArchivFileName(name.left(p), false, start, extension);
}
