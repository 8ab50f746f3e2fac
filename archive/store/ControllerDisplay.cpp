#include "archive/store/ControllerDisplay.h"

#include "archive/store/ControllerWalk.h"
#include "platform/StringTable.h"

#include <cmath>
#include <cstdlib>

namespace archive::controller {

namespace {

using Image = CControllerPanelImage;

constexpr std::int16_t kNoSignedCurrent = 32767;
constexpr WORD kNoWord = 0xFFFF;

// ---- Values windows ----------------------------------------------------------

QString NoDataMode(int state)
{
    switch (state & 0x0F) {
    case 1:
        return platform::LoadString(platform::IDS_STATE_TEST);
    case 2:
        return platform::LoadString(platform::IDS_STATE_AP);
    case 4:
        return platform::LoadString(platform::IDS_STATE_AC);
    default:
        return platform::LoadString(platform::IDS_STATE_DATA_LOSS);
    }
}

QString ModeText(BYTE state)
{
    if ((state & 0x0F) == 15)
        return platform::LoadString(platform::IDS_STATE_MANUAL);
    if ((state & 0x0F) == 6)
        return QString();
    if (state & 0x40)
        return platform::LoadString(platform::IDS_STATE_U0);
    if (state & 0x80)
        return platform::LoadString(platform::IDS_STATE_I0);
    if (state & 0x10)
        return platform::LoadString(platform::IDS_STATE_P0);
    if (state & 0x20)
        return platform::LoadString(platform::IDS_STATE_C0);
    return QString();
}

std::array<BOOL, 14> Stages(WORD mask)
{
    std::array<BOOL, 14> stages{};
    for (int i = 0; i < 14; ++i)
        stages[std::size_t(i)] = (mask >> i) & 1;
    return stages;
}

// Qorin currents: whole hundredths of an ampere, fewer decimals as they grow.
QString QorinAmperes(double hundredths)
{
    const double amperes = hundredths * 0.01;
    return QString::number(amperes, 'f', amperes < 10 ? 2 : amperes < 100 ? 1 : 0);
}

double Bar(double value)
{
    return value == kNoValue ? CDuskarValueTexts::kNoBar : value;
}

// ---- Front panels --------------------------------------------------------------

struct PanelFamily {
    bool duskar;
    int lampBit4; // lamp of flag bit 4; flag bit 5 lights the next one
    int lampManual;
};

constexpr PanelFamily kQorinPanel{false, 21, 20};
constexpr PanelFamily kDuskarPanel{true, 20, 19};

void SetCells(Image& image, std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    image.cells = {a, b, c, d};
}

// `value` right-aligned into the cells from `from` on, `decimals` digits
// behind the point; zeros before the digit in front of the point are blank.
// Dashes when it does not fit.
void PutNumber(Image& image, long long value, int from, int decimals)
{
    long long limit = 1;
    for (int i = from; i < 4; ++i)
        limit *= 10;
    if (value < 0 || value >= limit) {
        for (int i = from; i < 4; ++i)
            image.cells[std::size_t(i)] = Image::kDash;
        image.decimals = 0;
        return;
    }
    for (int i = 3; i >= from; --i) {
        const bool leading = value == 0 && i < 3 - decimals;
        image.cells[std::size_t(i)] = leading ? Image::kBlank : std::uint32_t(value % 10);
        value /= 10;
    }
    image.decimals = decimals;
}

void PutDashes(Image& image)
{
    SetCells(image, Image::kBlank, Image::kDash, Image::kDash, Image::kDash);
    image.decimals = 0;
}

void PutPowerFactor(Image& image, std::int8_t cosPhi)
{
    const int v = cosPhi;
    if (v == CQorinAktData::kNoCosPhi || v > 100 || v < -100) {
        PutDashes(image);
        return;
    }
    if (std::abs(v) == 100) {
        SetCells(image, Image::kBlank, 1, 0, 0);
    } else {
        SetCells(image, v < 0 ? Image::kDash : Image::kBlank, 0, std::uint32_t(std::abs(v) / 10),
                 std::uint32_t(std::abs(v) % 10));
    }
    image.decimals = 2;
}

// Selector 1 of both families: its lamp, and the power factor unless a
// state symbol is shown.
void ShowPowerFactor(Image& image, std::int8_t cosPhi, bool symbol)
{
    image.lamps |= 1u << 14;
    if (!symbol)
        PutPowerFactor(image, cosPhi);
}

// Amperes in three cells: hundredths below 10 A, whole amperes above.
void PutAmperes(Image& image, double amperes)
{
    const long long hundredths = std::llround(amperes * 100);
    if (hundredths < 1000)
        PutNumber(image, hundredths, 1, 2);
    else
        PutNumber(image, std::llround(amperes), 1, 0);
}

// Steps 1 to 6: what does not depend on the selector. True when the image
// is complete.
bool PanelCommon(Image& image, const PanelFamily& family, BYTE state, BYTE flags, WORD stageMask, bool mirror,
                 int newData, bool& symbol)
{
    symbol = false;
    if (newData == 0) {
        SetCells(image, Image::kBlank, Image::kDash, Image::kDash, Image::kDash);
        image.result = 1;
        return true;
    }
    if (newData == 1 && (state & 0x0F) != 6) {
        if (state & 0x40) {
            SetCells(image, Image::kBlank, Image::kU, Image::kEquals, 0);
            symbol = true;
        } else if (state & 0x80) {
            SetCells(image, Image::kBlank, 1, Image::kEquals, 0);
            symbol = true;
        } else if (state & 0x10) {
            const bool plainP =
                family.duskar || platform::LoadString(platform::IDS_STATE_P0) == QLatin1String("P=0");
            SetCells(image, Image::kBlank, plainP ? Image::kP : 14u, Image::kEquals, 0);
            symbol = true;
        } else if (state & 0x20) {
            SetCells(image, Image::kBlank, Image::kC, Image::kEquals, 0);
            symbol = true;
        }
    }
    if (flags & 0x01)
        image.lamps |= 1u << 17;
    if (flags & 0x04)
        image.lamps |= 1u << 18;
    if (flags & 0x10)
        image.lamps |= 1u << family.lampBit4;
    if (flags & 0x20)
        image.lamps |= 1u << (family.lampBit4 + 1);
    image.result |= (flags & 0x02) ? 2u : 0u;
    image.result |= (flags & 0x08) ? 4u : 0u;

    std::uint32_t stages = stageMask & 0x3FFFu;
    if (mirror) {
        std::uint32_t mirrored = stages & 0x3Fu;
        for (int bit = 6; bit <= 13; ++bit) {
            if (stages & (1u << bit))
                mirrored |= 1u << (19 - bit);
        }
        stages = mirrored;
    }
    image.lamps |= stages;

    const int mode = (newData & 0x10) ? (newData & 0x0F) : (state & 0x0F);
    switch (mode) {
    case 0:
    case 1:
        SetCells(image, 10, 11, 12, 13);
        image.result |= 1;
        return true;
    case 2:
        SetCells(image, Image::kBlank, Image::kBlank, 10, Image::kP);
        image.result |= 1;
        return true;
    case 4:
        SetCells(image, Image::kBlank, Image::kBlank, 10, Image::kC);
        image.result |= 1;
        return true;
    case 15:
        image.lamps |= 1u << family.lampManual;
        break;
    default:
        break;
    }
    if (symbol)
        image.result |= 1;
    return false;
}

// A value scaled by tens until it fills three digits (at most three
// steps); the steps place the decimal point.
void PutScaled(Image& image, double value)
{
    int steps = 0;
    while (steps < 3 && value * 10 < 1000) {
        value *= 10;
        ++steps;
    }
    PutNumber(image, std::llround(value), 0, steps);
}

} // namespace

QString NoValueText()
{
    return QStringLiteral("--");
}

QString PercentText(double value, double limit, int decimals)
{
    return value < limit ? QString::number(value, 'f', decimals) : NoValueText();
}

QString SignedCurrentText(std::int16_t field, double ct, const CArchivNumberFormat& format, bool reactive)
{
    if (field == kNoSignedCurrent)
        return NoValueText();
    const double amperes = field * ct * 0.00025;
    return reactive ? ReactivePrefix(amperes) + FormatScaled(format, std::fabs(amperes))
                    : FormatScaled(format, amperes);
}

// A power needs both its current and the power voltage word.
QString PowerText(std::int16_t field, WORD voltageP, double vt, double ct, const CArchivNumberFormat& format,
                  bool reactive)
{
    if (field == kNoSignedCurrent || voltageP == kNoWord)
        return NoValueText();
    const double watts = field * double(voltageP) * ct * vt * 0.000075;
    return reactive ? ReactivePrefix(watts) + FormatScaled(format, std::fabs(watts)) : FormatScaled(format, watts);
}

CQorinValueTexts FormatQorinValues(const CQorinAktData& v, int state)
{
    CQorinValueTexts t;
    // The stages of the controller's model stand through an outage too.
    t.layoutModel1Or2 = v.model == 1 || v.model == 2;
    t.layoutModel3Or5 = v.model == 3 || v.model == 5;
    if (state != 1) {
        t.mode = NoDataMode(state);
        t.cosPhi = t.current = t.thd = t.activeCurrent = t.reactiveCurrent = NoValueText();
        t.harmonicBars.fill(CQorinValueTexts::kNoBar);
        return t;
    }
    t.mode = ModeText(v.state);
    const double ratio = v.GetCtRatio();
    t.cosPhi = v.cosPhi == CQorinAktData::kNoCosPhi ? NoValueText() : QString::number(v.cosPhi * 0.01, 'f', 2);
    if (v.current * 0.00025 >= 0.25) {
        t.thd = PercentText(v.GetThdI(), 850, 1);
        for (int n = 0; n < QorinAktFields::kHarmonicCount; ++n) {
            const double h = v.GetHarmonicI(n);
            t.harmonicBars[std::size_t(n)] = h < 19.5 ? h : CQorinValueTexts::kNoBar;
        }
    } else {
        t.thd = NoValueText();
        t.harmonicBars.fill(CQorinValueTexts::kNoBar);
    }
    t.current = v.current == kNoWord ? NoValueText() : QorinAmperes(std::round(v.current * ratio * 0.025));
    t.activeCurrent =
        v.activeCurrent == kNoSignedCurrent ? NoValueText() : QorinAmperes(std::round(v.activeCurrent * ratio * 0.025));
    if (v.reactiveCurrent == kNoSignedCurrent) {
        t.reactiveCurrent = NoValueText();
    } else {
        const double hundredths = std::round(v.reactiveCurrent * ratio * 0.025);
        t.reactiveCurrent = ReactivePrefix(hundredths) + QorinAmperes(std::fabs(hundredths));
    }
    t.stages = Stages(v.stageMask);
    t.progress = v.byte34;
    t.modelIndex = v.model;
    return t;
}

CDuskarValueTexts FormatDuskarValues(const CDuskarAktData& v, int state, const CVKRatioScales& scales)
{
    CDuskarValueTexts t;
    // The stages of the controller's model stand through an outage too.
    t.layoutModel17Or18 = v.model == 17 || v.model == 18;
    t.layoutModel19Or21 = v.model == 19 || v.model == 21;
    if (state != 1) {
        t.mode = NoDataMode(state);
        for (QString* text : {&t.cosPhi, &t.angle, &t.frequency, &t.voltage, &t.current, &t.activeCurrent,
                              &t.reactiveCurrent, &t.missingCurrent, &t.activePower, &t.reactivePower,
                              &t.missingPower, &t.lowVoltage, &t.thdU, &t.thdI, &t.chl, &t.temperature})
            *text = NoValueText();
        t.harmonicBarsU.fill(CDuskarValueTexts::kNoBar);
        t.harmonicBarsI.fill(CDuskarValueTexts::kNoBar);
        return t;
    }
    t.mode = ModeText(v.state);
    const double ct = v.GetCtRatio();
    const double vt = v.GetVtRatio();
    if (v.cosPhi == CDuskarAktData::kNoCosPhi || v.current < 7) {
        t.cosPhi = t.angle = NoValueText();
    } else {
        t.cosPhi = QString::number(v.cosPhi * 0.01, 'f', 2);
        t.angle = QString::number(v.word1E);
    }
    t.frequency = v.freqCode == 0xFF ? NoValueText() : QString::number(v.GetFrequency(), 'f', 1);
    const WORD voltage = WORD(v.voltage);
    t.voltage = voltage == kNoWord ? NoValueText() : FormatScaled(scales.voltage, voltage * vt * 0.1);
    t.current = v.current == kNoWord ? NoValueText() : FormatScaled(scales.current, v.current * ct * 0.00025);
    t.activeCurrent = SignedCurrentText(v.activeCurrent, ct, scales.current, false);
    t.reactiveCurrent = SignedCurrentText(v.reactiveCurrent, ct, scales.current, true);
    t.missingCurrent = SignedCurrentText(v.missingCurrent, ct, scales.current, true);
    t.temperature = v.temperature == 127 ? NoValueText() : QString::number(v.temperature);
    const WORD voltageP = WORD(v.voltageP);
    t.activePower = PowerText(v.activeCurrent, voltageP, vt, ct, scales.power, false);
    t.reactivePower = PowerText(v.reactiveCurrent, voltageP, vt, ct, scales.power, true);
    t.missingPower = PowerText(v.missingCurrent, voltageP, vt, ct, scales.power, true);
    t.lowVoltage = QString::number(v.byte4B != 0 ? 1 : 0);

    const bool currentTooSmall = (v.ctWord & 0x8000) ? v.current < 200 : v.current < 40;
    for (int n = 0; n < DuskarAktFields::kHarmonicCount; ++n) {
        t.harmonicBarsI[std::size_t(n)] =
            currentTooSmall ? CDuskarValueTexts::kNoBar : Bar(v.GetHarmonic(n, CDuskarAktData::kCurrent));
        t.harmonicBarsU[std::size_t(n)] = Bar(v.GetHarmonic(n, CDuskarAktData::kVoltage));
    }
    t.thdI = currentTooSmall ? NoValueText() : PercentText(v.GetThd(CDuskarAktData::kCurrent), 850, 1);
    t.thdU = PercentText(v.GetThd(CDuskarAktData::kVoltage), 850, 1);
    const double chl = v.GetChl();
    t.chl = chl <= 1000 ? QString::number(chl, 'f', 0) : NoValueText();
    t.stages = Stages(v.stageMask);
    t.progress = v.byte28;
    t.modelIndex = v.model;
    return t;
}

CControllerPanelImage FormatQorinPanel(const CQorinAktData& v, int state, int selector)
{
    Image image;
    bool symbol = false;
    const bool mirror = v.model == 1 || v.model == 2;
    if (PanelCommon(image, kQorinPanel, v.state, v.flags, v.stageMask, mirror, state, symbol))
        return image;
    const double ratio = v.GetCtRatio();
    const bool measurable = v.current * 0.00025 >= 0.25;
    auto putCurrent = [&](int field, bool noValue, std::uint32_t firstCell) {
        if (symbol)
            return;
        image.cells[0] = firstCell;
        if (noValue) {
            PutNumber(image, -1, 1, 0);
            return;
        }
        PutAmperes(image, std::fabs(field * 0.00025 * ratio));
    };
    switch (selector) {
    case 1:
        ShowPowerFactor(image, v.cosPhi, symbol);
        break;
    case 2:
        image.lamps |= 1u << 15;
        putCurrent(v.current, v.current == kNoWord, Image::kBlank);
        break;
    case 3: {
        image.lamps |= 1u << 16;
        if (symbol)
            break;
        const double thd = v.GetThdI();
        if (thd < 840) {
            image.cells[0] = Image::kBlank;
            PutNumber(image, std::llround(thd), 1, 0);
        } else {
            PutDashes(image);
        }
        break;
    }
    case 21:
        image.lamps |= 1u << 15;
        if (v.activeCurrent < 0 && v.activeCurrent != kNoSignedCurrent)
            image.lamps |= 1u << 21;
        putCurrent(v.activeCurrent, v.activeCurrent == kNoSignedCurrent, 20);
        break;
    case 22:
        image.lamps |= 1u << 15;
        putCurrent(v.reactiveCurrent, v.reactiveCurrent == kNoSignedCurrent, v.reactiveCurrent < 0 ? Image::kC : 19u);
        break;
    case 31:
    case 32:
    case 33:
    case 34:
    case 35:
    case 36: {
        image.lamps |= 1u << 16;
        if (symbol)
            break;
        const double h = v.GetHarmonicI(selector - 31);
        if (measurable && h < 19.5) {
            image.cells[0] = Image::kBlank;
            PutNumber(image, std::llround(h * 10), 1, 1);
        } else {
            PutDashes(image);
        }
        break;
    }
    default:
        break;
    }
    return image;
}

CControllerPanelImage FormatDuskarPanel(const CDuskarAktData& v, int state, int selector)
{
    Image image;
    bool symbol = false;
    if (PanelCommon(image, kDuskarPanel, v.state, v.flags, v.stageMask, false, state, symbol))
        return image;
    auto noValue = [&image] {
        SetCells(image, Image::kDash, Image::kBlank, Image::kBlank, Image::kBlank);
        image.decimals = 0;
    };
    switch (selector) {
    case 1:
        ShowPowerFactor(image, v.cosPhi, symbol);
        break;
    case 2:
        image.lamps |= 1u << 15;
        if (symbol)
            break;
        if (v.current == kNoWord)
            noValue();
        else
            PutScaled(image, v.current * v.GetCtRatio() * 0.00025);
        break;
    case 3: {
        image.lamps |= 1u << 16;
        if (symbol)
            break;
        const double vt = v.GetVtRatio();
        if (WORD(v.voltage) == kNoWord)
            noValue();
        else
            PutScaled(image, WORD(v.voltage) * vt * 0.1 / (vt > 1 ? 1000 : 1));
        break;
    }
    default:
        if (!symbol)
            SetCells(image, Image::kBlank, Image::kBlank, Image::kBlank, Image::kBlank);
        break;
    }
    return image;
}

} // namespace archive::controller
