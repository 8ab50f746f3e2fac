#include "archive/store/VKTDisplayValues.h"

#include "archive/store/VKTArchivData.h"
#include "archive/store/VKTFormats.h"
#include "model/ValueChecks.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <cmath>

namespace {

using Panel = CVKTPanelValues;
constexpr int kAverage = CAktData::Average;
constexpr int kOrders = CAktOddHarmonics::kCount + CAktEvenHarmonics::kCount;
constexpr WORD kNoWord = 0xFFFF;
const QString kNotConnected = QStringLiteral("-N-");
const QString kMissing = QStringLiteral("--");
const QString kZeroText = QStringLiteral("0.0");

QString Fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// The channel rules of a connection type k for channel c (0 to 3), and the
// overload and zero flags of a record (bit c voltage, bit c + 4 current).
struct Channels {
    int k;
    BYTE over;
    BYTE zero;

    Channels(const CAktData& v, int connectionType)
        : k(connectionType), over(v.GetStatusA()), zero(v.GetStatusB())
    {
    }

    bool NoVoltage(int c) const { return (k == 0 && c > 0) || (k == 1 && c > 1) || (k != 5 && c == 3); }
    bool NoCurrent(int c) const { return NoVoltage(c) || (k == 4 && c == 1); }
    // Per-phase powers, power factors and phase angles.
    bool NoPhaseValue(int c) const
    {
        return (k == 0 && c > 0) || (k == 1 && c == 2) || k == 4 || (k != 5 && c == 3);
    }
    int InUse() const { return k == 1 ? 0b011 : k == 4 ? 0b101 : 0b111; }

    bool OverU(int c) const { return over & (0x01 << c); }
    bool OverI(int c) const { return over & (0x10 << c); }
    bool OverPhase(int c) const { return over & (0x11 << c); }
    bool ZeroU(int c) const { return zero & (0x01 << c); }
    bool ZeroI(int c) const { return zero & (0x10 << c); }
    bool ZeroPhase(int c) const { return zero & (0x11 << c); }
    bool OverInUse() const { return over & (InUse() | InUse() << 4); }
};

double RatioU(const CVKTDisplaySettings& s, int c)
{
    return c == 3 ? s.voltageRatio4 : s.voltageRatio;
}

double RatioI(const CVKTDisplaySettings& s, int c)
{
    return c == 3 ? s.currentRatio4 : s.currentRatio;
}

// The record holds channel c's phase values.
bool Present(const CAktData& v, int c)
{
    if (!v.GetPhase(c))
        return false;
    const WORD selection = v.GetSelection();
    return v.IsDescribed() || ((selection & (1 << c)) && (selection & 0x10));
}

// The stored word of harmonic order n + 1 of a channel that holds it.
WORD HarmonicWord(const CAktData& v, bool voltage, int c, int n)
{
    const int channel = voltage ? c : c + 4;
    return n % 2 == 0 ? v.GetOddHarmonics(channel)->values[std::size_t(n / 2)]
                      : v.GetEvenHarmonics(channel)->values[std::size_t((n - 1) / 2)];
}

// ---- Panel ---------------------------------------------------------------------

// One value with its flag nibble.
struct Display {
    float value = 0.0f;
    int bits = 0;

    static Display Flagged(int bits) { return {0.0f, bits}; }
    static Display Shown(double value, bool overloaded)
    {
        return {float(value), overloaded ? Panel::kOverload : 0};
    }
};

// A per-phase power quantity of screens 3 to 6, unscaled (W, var, VA at the
// instrument's inputs).
double PhasePower(const CAktPhase& ph, int screen)
{
    switch (screen) {
    case 3:
        return ph.activePower;
    case 4:
        return ph.reactivePower;
    default:
        return double(ph.voltage) * double(ph.current) * 5e-6;
    }
}

double PowerFactor(double p, double s)
{
    return std::min(std::fabs(p) / s, 1.0);
}

Display PowerDisplay(const CAktData& v, const Channels& ch, const CVKTDisplaySettings& s, int d, int screen)
{
    const double ratio = double(s.voltageRatio) * double(s.currentRatio);
    if (d < 3) {
        const CAktPhase* ph = v.GetPhase(d);
        if (ch.NoPhaseValue(d) || !Present(v, d))
            return Display::Flagged(Panel::kNoQuantity);
        if (ch.ZeroPhase(d))
            return Display::Flagged(Panel::kZero);
        if (screen == 6) {
            const double apparent = PhasePower(*ph, 5);
            if (apparent < 1e-18)
                return Display::Flagged(Panel::kNoValue);
            return Display::Shown(PowerFactor(ph->activePower, apparent), ch.OverPhase(d));
        }
        return Display::Shown(PhasePower(*ph, screen) * ratio, ch.OverPhase(d));
    }
    // Display 4: the three-phase value over the phases in use.
    if (ch.k == 0)
        return Display::Flagged(Panel::kNoQuantity);
    double p = 0, q = 0, apparent = 0;
    for (int c = 0; c < 3; ++c) {
        if (!(ch.InUse() & (1 << c)))
            continue;
        if (!Present(v, c))
            return Display::Flagged(Panel::kNoQuantity);
        if (ch.ZeroPhase(c))
            continue;
        const CAktPhase& ph = *v.GetPhase(c);
        p += PhasePower(ph, 3);
        q += PhasePower(ph, 4);
        apparent += PhasePower(ph, 5);
    }
    if (screen == 6) {
        if (ch.OverInUse() || apparent < 1e-18)
            return Display::Flagged(Panel::kNoValue);
        return Display::Shown(PowerFactor(p, apparent), false);
    }
    return Display::Shown((screen == 3 ? p : screen == 4 ? q : apparent) * ratio, ch.OverInUse());
}

Display LineVoltageDisplay(const CAktData& v, const Channels& ch, const CVKTDisplaySettings& s, int d)
{
    const CAktPhase& ph = *v.GetPhase(d);
    if (d == 3) {
        // The unbalance the instrument gives in the fourth input's line slot.
        if (ch.k < 2)
            return Display::Flagged(Panel::kNoQuantity);
        if ((ch.over & 0x07) || ph.lineVoltage == kNoWord)
            return Display::Flagged(Panel::kNoValue);
        return Display::Shown(ph.lineVoltage * 0.01, false);
    }
    if (ch.k == 0 || (ch.k == 1 && d > 0))
        return Display::Flagged(Panel::kNoQuantity);
    const int other = (d + 1) % 3;
    if (ch.ZeroU(d) && ch.ZeroU(other))
        return Display::Flagged(Panel::kZero);
    return Display::Shown(ph.lineVoltage * 0.025 * s.voltageRatio, ch.OverU(d) || ch.OverU(other));
}

Display HarmonicDisplay(const CAktData& v, const Channels& ch, const CVKTDisplaySettings& s, int c, bool voltage,
                        int order)
{
    if (voltage ? ch.NoVoltage(c) : ch.NoCurrent(c))
        return Display::Flagged(Panel::kNoQuantity);
    if (!v.HasHarmonic(voltage, c, order - 1))
        return Display::Flagged(Panel::kNoQuantity);
    if (voltage ? ch.OverU(c) || ch.ZeroU(c) : ch.OverI(c) || ch.ZeroI(c))
        return Display::Flagged(Panel::kNoValue);
    const double word = std::int16_t(HarmonicWord(v, voltage, c, order - 1));
    return Display::Shown(voltage ? word * 0.01 : word * 0.0002 * RatioI(s, c), false);
}

Display PanelDisplay(const CAktData& v, const Channels& ch, const CVKTDisplaySettings& s, int d, int screen)
{
    if (screen >= 3 && screen <= 6)
        return PowerDisplay(v, ch, s, d, screen);
    if (!Present(v, d))
        return Display::Flagged(Panel::kNoQuantity);
    const int c = d;
    const CAktPhase& ph = *v.GetPhase(c);
    switch (screen) {
    case 0:
        return LineVoltageDisplay(v, ch, s, d);
    case 1:
        if (ch.NoVoltage(c) || ch.k == 4)
            return Display::Flagged(Panel::kNoQuantity);
        if (ch.ZeroU(c))
            return Display::Flagged(Panel::kZero);
        return Display::Shown(ph.voltage * 0.025 * RatioU(s, c), ch.OverU(c));
    case 2:
        if (ch.NoCurrent(c))
            return Display::Flagged(Panel::kNoQuantity);
        if (ch.ZeroI(c))
            return Display::Flagged(Panel::kZero);
        return Display::Shown(ph.current * 0.0002 * RatioI(s, c), ch.OverI(c));
    case 7:
        if (ch.NoPhaseValue(c))
            return Display::Flagged(Panel::kNoQuantity);
        if (ch.OverPhase(c) || ch.ZeroPhase(c))
            return Display::Flagged(Panel::kNoValue);
        return Display::Shown(ph.angle, false);
    case 8:
        if (ch.NoVoltage(c))
            return Display::Flagged(Panel::kNoQuantity);
        if (ch.OverU(c) || ch.ZeroU(c))
            return Display::Flagged(Panel::kNoValue);
        return Display::Shown(ph.thdU * 0.01, false);
    case 9:
        if (ch.NoCurrent(c))
            return Display::Flagged(Panel::kNoQuantity);
        if (ch.OverI(c) || ch.ZeroI(c) || ph.thdI == kNoWord)
            return Display::Flagged(Panel::kNoValue);
        return Display::Shown(ph.thdI * 0.01, false);
    case Panel::kLastScreen:
        if (d == 1)
            return Display::Shown(v.GetFrequencyWord() * 0.01, false);
        if (d == 3)
            return Display::Shown(v.GetTemperatureWord() * 0.01, false);
        return Display::Flagged(Panel::kNoQuantity);
    default:
        return screen <= 34 ? HarmonicDisplay(v, ch, s, c, true, screen - 9)
                            : HarmonicDisplay(v, ch, s, c, false, screen - 34);
    }
}

// ---- Dialog --------------------------------------------------------------------

QString CosPhiText(double phi)
{
    const char* prefix = phi > 1.570795 ? "C-" : phi >= 0.0 ? "L+" : phi >= -1.570795 ? "C+" : "L-";
    return QLatin1String(prefix) + Fixed(std::fabs(std::cos(phi)), 2);
}

// "E" before the number of an overloaded value.
QString Scaled(double value, const CArchivNumberFormat& format, bool overloaded)
{
    return (overloaded ? QStringLiteral("E") : QString()) + FormatScaled(format, value);
}

void FillChannel(CVKTValueTexts& t, const CAktData& v, const Channels& ch, const CVKTDisplaySettings& s, int c)
{
    const auto at = std::size_t(c);
    if (ch.NoVoltage(c) || !v.HasVoltage(c, kAverage))
        t.u[at] = kNotConnected;
    else
        t.u[at] = ch.ZeroU(c) ? kZeroText : Scaled(v.GetVoltage(c, kAverage) * RatioU(s, c), s.voltage, ch.OverU(c));

    const int other = (c + 1) % 3;
    if (c == 3 || ch.k == 0 || (ch.k == 1 && c > 0) || !v.HasLineVoltage(c, kAverage))
        t.uLine[at] = kNotConnected;
    else if (ch.ZeroU(c) && ch.ZeroU(other))
        t.uLine[at] = kZeroText;
    else
        t.uLine[at] = Scaled(v.GetLineVoltage(c, kAverage) * s.voltageRatio, s.voltage, ch.OverU(c) || ch.OverU(other));

    if (ch.NoCurrent(c) || !v.HasCurrent(c, kAverage))
        t.i[at] = kNotConnected;
    else
        t.i[at] = ch.ZeroI(c) ? kZeroText : Scaled(v.GetCurrent(c, kAverage) * RatioI(s, c), s.current, ch.OverI(c));

    const bool noPhase = ch.NoPhaseValue(c);
    if (noPhase || !v.HasActivePower(c, kAverage, 0) || !v.HasApparentPower(c, kAverage)) {
        t.pf[at] = kNotConnected;
    } else {
        const double pf = v.GetPowerFactor(c, kAverage);
        t.pf[at] = ch.OverPhase(c) || pf > 1.01 ? kMissing : Fixed(pf, 2);
    }

    if (noPhase || !v.HasCosPhi(c))
        t.cosPhi[at] = kNotConnected;
    else
        t.cosPhi[at] = ch.OverPhase(c) || ch.ZeroPhase(c) ? kMissing : CosPhiText(v.GetCosPhi(c));

    const double ratio = RatioU(s, c) * RatioI(s, c);
    const auto power = [&](bool has, double value) {
        if (noPhase || !has)
            return kNotConnected;
        if (ch.ZeroPhase(c))
            return kZeroText;
        // A stored no-value marker is no number either.
        return value == kNoValue ? kMissing : Scaled(value * ratio, s.power, ch.OverPhase(c));
    };
    t.p[at] = power(v.HasActivePower(c, kAverage, 0), v.GetActivePower(c, kAverage, 0));
    t.q[at] = power(v.HasReactivePower(c, kAverage, 0), v.GetReactivePower(c, kAverage, 0));
    t.s[at] = power(v.HasApparentPower(c, kAverage), v.GetApparentPower(c, kAverage));

    if (ch.NoVoltage(c) || !v.HasThdU(c, kAverage))
        t.thdU[at] = kNotConnected;
    else
        t.thdU[at] = ch.OverU(c) || ch.ZeroU(c) ? kMissing : Fixed(v.GetThdU(c, kAverage), 1);

    if (ch.NoCurrent(c) || !v.HasThdI(c, kAverage))
        t.thdI[at] = kNotConnected;
    else if (ch.OverI(c) || ch.ZeroI(c) || v.IsThdIMissing(c, kAverage))
        t.thdI[at] = kMissing;
    else
        t.thdI[at] = Fixed(v.GetThdI(c, kAverage), 1);
}

void FillBars(CVKTValueTexts& t, const CAktData& v, const Channels& ch, const CVKTDisplaySettings& s, int c,
              bool inDialog)
{
    const auto at = std::size_t(c);
    const bool voltageChannel = inDialog && !ch.NoVoltage(c);
    const bool currentChannel = inDialog && !ch.NoCurrent(c);
    const bool voltageFlagged = ch.OverU(c) || ch.ZeroU(c);
    const bool currentFlagged = ch.OverI(c) || ch.ZeroI(c) || v.AreHarmonicsEmpty(c);
    for (int n = 0; n < kOrders; ++n) {
        float voltage = CVKTValueTexts::kBarNoValue;
        if (voltageChannel && v.HasHarmonic(true, c, n))
            voltage = voltageFlagged ? CVKTValueTexts::kBarFlagged : float(v.GetHarmonicValue(true, c, n));
        float current = CVKTValueTexts::kBarNoCurrent;
        if (currentChannel && v.HasHarmonic(false, c, n))
            current = currentFlagged ? CVKTValueTexts::kBarNoValue
                                     : float(v.GetHarmonicValue(false, c, n) * RatioI(s, c));
        if (n % 2 == 0) {
            t.voltageOdd[at][std::size_t(n / 2)] = voltage;
            t.currentOdd[at][std::size_t(n / 2)] = current;
        } else {
            t.voltageEven[at][std::size_t(n / 2)] = voltage;
            t.currentEven[at][std::size_t(n / 2)] = current;
        }
    }
}

QString UnbalanceText(const CAktData& v, const Channels& ch, const std::array<bool, 4>& dialogRows)
{
    if (!(dialogRows[0] || dialogRows[1] || dialogRows[2]) || ch.k == 0 || ch.k == 1 || ch.k == 4)
        return kNotConnected;
    if (ch.over & 0x07)
        return kMissing;
    if (ch.k == 5) {
        const CAktPhase* fourth = Present(v, 3) ? v.GetPhase(3) : nullptr;
        return fourth && fourth->lineVoltage != kNoWord ? Fixed(fourth->lineVoltage * 0.01, 1) : kMissing;
    }
    for (int c = 0; c < 3; ++c) {
        if (!Present(v, c))
            return kMissing;
    }
    float unbalance = 0.0f;
    if (!ComputeVoltageUnbalance(v.GetPhase(0)->lineVoltage, v.GetPhase(1)->lineVoltage, v.GetPhase(2)->lineVoltage,
                                 unbalance))
        return kMissing;
    return Fixed(unbalance, 1);
}

QString ValuesKindText(const CAktData& v, int valuesKind)
{
    using namespace platform;
    if (!v.IsDescribed())
        return LoadString(IDS_VALUES_CURRENT);
    return LoadString(valuesKind == 1 ? IDS_VALUES_MAXIMUM : valuesKind == 2 ? IDS_VALUES_MINIMUM : IDS_VALUES_AVERAGE);
}

} // namespace

CVKTDisplaySettings::CVKTDisplaySettings()
{
    ChooseVoltageFormat(1.0f, voltage.format, voltage.multiplier);
    ChooseCurrentFormat(1.0f, current.format, current.multiplier);
    ChoosePowerFormat(1.0f, power.format, power.multiplier);
}

namespace archive::vkt {

CVKTPanelValues PanelValues(const CAktData& v, int newData, const CVKTDisplaySettings& s, int screen)
{
    Panel panel;
    const BYTE fault = v.GetFaultState();
    if (fault != 0)
        panel.flags |= Panel::kFaultState;
    if (!newData || (fault & 0x03)) {
        for (int d = 0; d < 4; ++d)
            panel.flags |= Panel::Flag(d, Panel::kNoValue);
        return panel;
    }
    if (screen < 0 || screen > Panel::kLastScreen)
        return panel;
    const Channels ch(v, s.connectionType);
    for (int d = 0; d < 4; ++d) {
        const Display display = PanelDisplay(v, ch, s, d, screen);
        panel.values[std::size_t(d)] = display.value;
        panel.flags |= Panel::Flag(d, display.bits);
    }
    return panel;
}

CVKTValueTexts FormatValues(const CAktData& v, int newData, const CVKTDisplaySettings& s,
                            const std::array<bool, 4>& dialogRows, int valuesKind)
{
    CVKTValueTexts t;
    t.modelIndex = s.modelIndex;
    if (!newData || (v.GetFaultState() & 0x03))
        return t;
    t.hasValues = true;
    t.connectionType = s.connectionType;
    t.voltageMultiplier = s.voltage.multiplier;
    t.currentMultiplier = s.current.multiplier;
    t.powerMultiplier = s.power.multiplier;
    t.valuesKind = ValuesKindText(v, valuesKind);
    const Channels ch(v, s.connectionType);
    for (int c = 0; c < CVKTValueTexts::kChannels; ++c) {
        const bool inDialog = dialogRows[std::size_t(c)];
        if (inDialog) {
            FillChannel(t, v, ch, s, c);
        } else {
            for (auto* texts : {&t.u, &t.uLine, &t.i, &t.p, &t.q, &t.s, &t.pf, &t.cosPhi, &t.thdU, &t.thdI})
                (*texts)[std::size_t(c)] = kNotConnected;
        }
        FillBars(t, v, ch, s, c, inDialog);
    }
    t.unbalance = UnbalanceText(v, ch, dialogRows);
    t.frequency = v.HasFrequency(kAverage) ? Fixed(v.GetFrequency(kAverage), 2) : kMissing;
    t.temperature = v.HasTemperature(kAverage) ? Fixed(v.GetTemperature(kAverage), 0) : kMissing;
    if (v.HasRelayState()) {
        const int relay = v.GetRelayState();
        t.outputState = QStringLiteral("%1 / %2 %3").arg(relay & 1).arg((relay >> 3) & 1).arg((relay >> 4) & 1);
    }
    return t;
}

CVKTDisplaySettings ReadDisplaySettings(const CVKTArchivData& store)
{
    CVKTDisplaySettings s;
    s.connectionType = store.GetConnectionType();
    store.GetScaleU(s.voltageRatio, s.voltageRatio4, s.voltage.format, s.voltage.multiplier);
    store.GetScaleI(s.currentRatio, s.currentRatio4, s.current.format, s.current.multiplier);
    store.GetScalePower(s.power.format, s.power.multiplier);
    s.modelIndex = store.GetModelIndex();
    return s;
}

CVKTPanelValues GetPanelValues(const CVKTArchivData& store, int screen)
{
    const CVKTDisplaySettings settings = ReadDisplaySettings(store);
    CAktData values;
    int newData = 0;
    store.GetLatestData(values, newData);
    return PanelValues(values, newData, settings, screen);
}

CVKTValueTexts FillValuesDialog(const CVKTArchivData& store, const std::array<bool, 4>& dialogRows, int valuesKind)
{
    const CVKTDisplaySettings settings = ReadDisplaySettings(store);
    CAktData values;
    int newData = 0;
    store.GetLatestData(values, newData);
    return FormatValues(values, newData, settings, dialogRows, valuesKind);
}

} // namespace archive::vkt
