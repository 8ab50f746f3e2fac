#include "archive/store/VKDisplayValues.h"

#include "archive/store/VKArchivData.h"

#include <cmath>

namespace {

constexpr double kPowerUnit = 320000.0;
constexpr double kCurrentUnit = 3200.0;
const QString kMissing = QStringLiteral("--");

// Panel markers of a missing value, by quantity.
constexpr float kPanelNoVoltage = -1e17f;
constexpr float kPanelNoFactor = -2.0f;
constexpr float kPanelNoLineVoltage = -1.0f;
constexpr float kPanelNoPower = -1e12f;
constexpr float kPanelNoThd = -1.0f;
constexpr float kPanelNoTotalFactor = 2.0f;
constexpr float kPanelNoFrequency = 100.0f;
constexpr float kPanelNoTemperature = 100000.0f;
constexpr float kPanelNoTotalP = -1e14f;

float PanelDecoded(double value, float missing)
{
    return value == kNoValue ? missing : float(value);
}

} // namespace

// ---- Captions ------------------------------------------------------------------

QString CValuesDialogCaptions::PowerCaption(int kind, int multiplier)
{
    static const char* const units[3] = {"W", "var", "VA"};
    static const char* const names[3] = {"P[", "Q[", "S["};
    const int k = kind >= 0 && kind < 3 ? kind : 0;
    const QString prefix = multiplier == 1 ? QString() : multiplier == 1000 ? QStringLiteral("k") : QStringLiteral("M");
    return QLatin1String(names[k]) + prefix + QLatin1String(units[k]) + QLatin1Char(']');
}

QString CValuesDialogCaptions::VoltageCaption(bool line, int multiplier)
{
    return (line ? QStringLiteral("U L-L[") : QStringLiteral("U L-N["))
           + (multiplier == 1 ? QStringLiteral("V]") : QStringLiteral("kV]"));
}

QString CValuesDialogCaptions::CurrentCaption(int multiplier)
{
    return multiplier == 1 ? QStringLiteral("I[A]") : QStringLiteral("I[kA]");
}

std::vector<CValuesDialogCaption> CValuesDialogCaptions::Update(int voltageMultiplier, int currentMultiplier,
                                                                int powerMultiplier)
{
    std::vector<CValuesDialogCaption> captions;
    if (powerMultiplier != m_power) {
        m_power = powerMultiplier;
        captions.push_back({m_ids.power, PowerCaption(0, powerMultiplier)});
        captions.push_back({m_ids.reactive, PowerCaption(1, powerMultiplier)});
        captions.push_back({m_ids.apparent, PowerCaption(2, powerMultiplier)});
    }
    if (voltageMultiplier != m_voltage) {
        m_voltage = voltageMultiplier;
        captions.push_back({m_ids.phaseVoltage, VoltageCaption(false, voltageMultiplier)});
        captions.push_back({m_ids.lineVoltage, VoltageCaption(true, voltageMultiplier)});
    }
    if (currentMultiplier != m_current) {
        m_current = currentMultiplier;
        captions.push_back({m_ids.current, CurrentCaption(currentMultiplier)});
    }
    return captions;
}

// ---- VK ------------------------------------------------------------------------

bool CVKValuesLayout::Take(const CVKValueTexts& texts)
{
    if (!texts.hasValues || (texts.variantBit0 == variantBit0 && texts.connectionMode2 == connectionMode2))
        return false;
    variantBit0 = texts.variantBit0;
    connectionMode2 = texts.connectionMode2;
    return true;
}

namespace archive::vk {

QString VoltageText(WORD code, double voltageRatio, const CArchivNumberFormat& format)
{
    return code == CVKAktData::kNoVoltage ? kMissing : FormatScaled(format, code * voltageRatio / 10.0);
}

QString CurrentText(std::int16_t code, double currentRatio, const CArchivNumberFormat& format, bool magnitude)
{
    if (code == CVKAktData::kNoCurrent)
        return kMissing;
    const double amperes = code * currentRatio / kCurrentUnit;
    return FormatScaled(format, magnitude ? std::fabs(amperes) : amperes);
}

QString FactorText(std::int8_t code, bool magnitude)
{
    if (code == CVKAktData::kNoFactor)
        return kMissing;
    const double value = code * 0.01;
    return FormatArchivNumber(QStringLiteral("%0.2f"), magnitude ? std::fabs(value) : value);
}

QString PowerText(std::int32_t code, double currentRatio, double voltageRatio, const CArchivNumberFormat& format)
{
    return code == CVKAktData::kNoPower ? kMissing
                                        : FormatScaled(format, code * currentRatio * voltageRatio / kPowerUnit);
}

QString DecodedText(double value)
{
    return value == kNoValue ? kMissing : FormatArchivNumber(QStringLiteral("%0.1f"), value);
}

QString TemperatureText(BYTE code, const CVKDisplaySettings& s)
{
    if (!s.variantBit0 || code == CVKAktData::kNoCode)
        return kMissing;
    return FormatArchivNumber(QStringLiteral("%0.1f"),
                              code * double(s.temperatureSlope) + double(s.temperatureOffset));
}

CVKValueTexts FormatValues(const CVKAktData& v, int newData, const CVKDisplaySettings& settings)
{
    const CVKRatioScales& s = settings.scales;
    CVKValueTexts t;
    t.modelIndex = settings.modelIndex;
    if (!newData) {
        for (auto* texts : {&t.u, &t.pf, &t.cosPhi, &t.uLine, &t.thdU, &t.p, &t.q, &t.s, &t.i, &t.thdI})
            texts->fill(kMissing);
        for (QString* text : {&t.frequency, &t.temperature, &t.p3, &t.q3, &t.s3, &t.pf3})
            *text = kMissing;
        for (auto* bars : {&t.voltageOdd, &t.voltageEven, &t.currentOdd, &t.currentEven})
            bars->fill(CVKValueTexts::kNoBar);
        return t;
    }
    t.hasValues = true;
    t.variantBit0 = settings.variantBit0;
    t.connectionMode2 = settings.connectionMode2;
    t.voltageMultiplier = s.voltage.multiplier;
    t.currentMultiplier = s.current.multiplier;
    t.powerMultiplier = s.power.multiplier;
    const double vt = s.voltageRatio;
    const double ct = s.currentRatio;
    // Phase powers are not measured in connection mode 2; with the totals
    // layout the first slots hold the three-phase values, not the phases'.
    const bool noPhasePowers = settings.connectionMode2 != 0;
    const bool noPhaseP = noPhasePowers || v.HasTotals();
    for (int k = 0; k < 3; ++k) {
        const auto at = std::size_t(k);
        t.u[at] = VoltageText(v.GetU(k), vt, s.voltage);
        t.pf[at] = FactorText(v.GetPF(k), true);
        t.cosPhi[at] = FactorText(v.GetCos(k), false);
        t.uLine[at] = VoltageText(v.GetULine(k), vt, s.voltage);
        t.thdU[at] = DecodedText(v.GetVoltageHarmonics().GetThd(k));
        t.p[at] = noPhaseP ? kMissing : PowerText(v.GetP(k), ct, vt, s.power);
        t.q[at] = noPhasePowers ? kMissing : PowerText(v.GetQ(k), ct, vt, s.power);
        t.s[at] = noPhasePowers ? kMissing : PowerText(v.GetS(k), ct, vt, s.power);
        t.i[at] = CurrentText(v.GetI(k), ct, s.current, true);
        t.thdI[at] = DecodedText(v.GetCurrentHarmonics().GetThd(k));
        for (int h = 0; h < CVKHarmonicBlock::kOrders; ++h) {
            const auto bar = std::size_t(12 * k + h / 2);
            const bool odd = h % 2 != 0;
            (odd ? t.voltageOdd : t.voltageEven)[bar] = float(v.GetVoltageHarmonics().GetHarmonic(k, h));
            (odd ? t.currentOdd : t.currentEven)[bar] = float(v.GetCurrentHarmonics().GetHarmonic(k, h));
        }
    }
    t.frequency = DecodedText(v.GetFrequency());
    t.temperature = TemperatureText(v.GetTemperatureCode(), settings);
    const CVKArchivData::Totals totals = CVKArchivData::ComputeTotals(v, ct, vt, settings.connectionMode2);
    t.p3 = totals.hasP ? FormatScaled(s.power, totals.p) : kMissing;
    t.q3 = totals.hasQ ? FormatScaled(s.power, totals.q) : kMissing;
    t.s3 = totals.hasS ? FormatScaled(s.power, totals.s) : kMissing;
    t.pf3 = totals.hasPF ? FormatArchivNumber(QStringLiteral("%0.2f"), std::fabs(totals.pf)) : kMissing;
    return t;
}

CVKPanelValues PanelValues(const CVKAktData& v, int newData, const CVKDisplaySettings& s, int kind)
{
    CVKPanelValues panel;
    panel.connectionMode2 = s.connectionMode2;
    if (!newData)
        return panel;
    const double vt = s.scales.voltageRatio;
    const double ct = s.scales.currentRatio;
    const BYTE flags = v.GetPowerLayout();
    panel.bits = {flags & 1, flags & 2};
    auto& out = panel.out;

    if (kind == 5 || kind == 9) {
        // The panel sums the phases whatever layout the flags byte names.
        CVKAktData phases = v;
        phases.SetPowerLayout(0);
        const CVKArchivData::Totals totals = CVKArchivData::ComputeTotals(phases, ct, vt, s.connectionMode2);
        if (kind == 5) {
            out[0] = totals.hasPF ? float(std::fabs(totals.pf)) : kPanelNoTotalFactor;
            out[1] = PanelDecoded(v.GetFrequency(), kPanelNoFrequency);
            const BYTE code = v.GetTemperatureCode();
            out[2] = !s.variantBit0 || code == CVKAktData::kNoCode
                         ? kPanelNoTemperature
                         : float(code * double(s.temperatureSlope) + double(s.temperatureOffset));
        } else {
            out[0] = totals.hasP ? float(totals.p) : kPanelNoTotalP;
            out[1] = totals.hasQ ? float(totals.q) : kPanelNoPower;
            out[2] = totals.hasS ? float(totals.s) : kPanelNoPower;
        }
        return panel;
    }

    const double powerFactor = ct * vt / kPowerUnit;
    auto power = [powerFactor](std::int32_t code) {
        return code == CVKAktData::kNoPower ? kPanelNoPower : float(code * powerFactor);
    };
    auto factor = [](std::int8_t code) { return code == CVKAktData::kNoFactor ? kPanelNoFactor : float(code * 0.01); };
    for (int k = 0; k < 3; ++k) {
        float& o = out[std::size_t(k)];
        switch (kind) {
        case 0:
            o = v.GetU(k) == CVKAktData::kNoVoltage ? kPanelNoVoltage : float(v.GetU(k) * vt * 0.1);
            break;
        case 1:
            o = v.GetI(k) == CVKAktData::kNoCurrent ? kPanelNoVoltage : float(v.GetI(k) * ct / kCurrentUnit);
            break;
        case 2:
            o = factor(v.GetPF(k));
            break;
        case 3:
            o = v.GetULine(k) == CVKAktData::kNoVoltage ? kPanelNoLineVoltage : float(v.GetULine(k) * vt * 0.1);
            break;
        case 4:
            o = factor(v.GetCos(k));
            break;
        case 6:
            o = power(v.GetP(k));
            break;
        case 7:
            o = power(v.GetQ(k));
            break;
        case 8:
            o = power(v.GetS(k));
            break;
        case 10:
            o = PanelDecoded(v.GetVoltageHarmonics().GetThd(k), kPanelNoThd);
            break;
        case 11:
            o = PanelDecoded(v.GetCurrentHarmonics().GetThd(k), kPanelNoThd);
            break;
        default:
            break;
        }
    }
    return panel;
}

CVKDisplaySettings ReadDisplaySettings(const CVKArchivData& store)
{
    CVKDisplaySettings s;
    s.scales = ReadRatioScales(store);
    store.GetTemperatureScale(s.temperatureSlope, s.temperatureOffset);
    s.variantBit0 = store.HasVariantBit0();
    s.connectionMode2 = store.IsConnectionMode2();
    s.modelIndex = store.GetModelIndex();
    return s;
}

CVKRatioScales ReadRatioScales(const CVKFamilyArchivData& store)
{
    CVKRatioScales s;
    store.GetScaleU(s.voltageRatio, s.voltage.format, s.voltage.multiplier);
    store.GetScaleI(s.currentRatio, s.current.format, s.current.multiplier);
    store.GetScalePower(s.power.format, s.power.multiplier);
    return s;
}

CVKValueTexts FillValuesDialog(const CVKArchivData& store)
{
    CVKAktData values;
    int newData = 0;
    store.GetLatestValues(values, newData);
    return FormatValues(values, newData, ReadDisplaySettings(store));
}

CVKPanelValues GetPanelValues(const CVKArchivData& store, int kind)
{
    CVKAktData values;
    int newData = 0;
    store.GetLatestValues(values, newData);
    return PanelValues(values, newData, ReadDisplaySettings(store), kind);
}

} // namespace archive::vk
