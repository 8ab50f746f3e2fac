#include "archive/store/VKRDisplayValues.h"

#include "archive/store/VKRArchivData.h"

#include <cmath>

namespace {

const QString kMissing = QStringLiteral("--");
const QString kNotMeasured = QStringLiteral("-N-");
const QString kTwoDecimals = QStringLiteral("%0.2f");
// Angle codes in 0.0001 rad; 15707 is just below a right angle.
constexpr int kRightAngle = 15707;
// Below these a dialog value counts as negative, a panel value likewise.
constexpr double kDialogNegative = -1e-18;
constexpr double kPanelNegative = -1e-8;

// Columns of the value list, whose hiding rules the dialog shares.
enum Column {
    kColU = 0,
    kColI = 3,
    kColPF = 6,
    kColFrequency = 9,
    kColTemperature = 10,
    kColCos = 11,
    kColULine = 14,
    kColP = 17,
    kColQ = 20,
    kColS = 23,
    kColThdU = 26,
    kColThdI = 29,
    kColPF3 = 32,
    kColP3 = 33,
    kColQ3 = 34,
    kColS3 = 35,
    kColThdULine = 36,
};

bool NoCode(std::int16_t code)
{
    return code == CVKRAktData::kNoValue16;
}

// The magnitude after "E" when `negative`.
QString Signed(const CArchivNumberFormat& format, double value, bool negative)
{
    return negative ? QStringLiteral("E") + FormatScaled(format, std::fabs(value)) : FormatScaled(format, value);
}

// Phases a connection type leaves out of the totals: phase 2 with type 4
// (Aron), phase 3 with type 1 (two phases).
bool Counted(int phase, int connectionType)
{
    return !((phase == 1 && connectionType == CVKRConfig::Aron) || (phase == 2 && connectionType == CVKRConfig::TwoPhases));
}

} // namespace

namespace archive::vkr {

QString ThdText(std::int16_t code)
{
    return NoCode(code) ? kMissing : FormatArchivNumber(QStringLiteral("%0.1f"), (code + 5) * 0.01);
}

// A 16-bit no-value code is no frequency or temperature either; read as a
// number it would show -327.67.
QString HundredthsText(std::int16_t code)
{
    return NoCode(code) ? kMissing : FormatArchivNumber(kTwoDecimals, (code + 0.5) * 0.01);
}

QString CosPhiText(std::int16_t a)
{
    if (NoCode(a))
        return kMissing;
    const char* prefix = a > kRightAngle ? "C-" : a >= 0 ? "L+" : a < -kRightAngle ? "L-" : "C+";
    return QLatin1String(prefix) + FormatArchivNumber(kTwoDecimals, std::fabs(std::cos(a * 0.0001)));
}

CVKRValueTexts FormatValues(const CVKRAktData& v, int newData, const CVKRDisplaySettings& settings)
{
    const CVKRatioScales& s = settings.scales;
    CVKRValueTexts t;
    if (!newData || v.HasInvalidValues()) {
        for (auto* texts : {&t.u, &t.i, &t.pf, &t.cosPhi, &t.uLine, &t.p, &t.q, &t.s, &t.thdU, &t.thdI, &t.thdULine})
            texts->fill(kMissing);
        for (QString* text : {&t.frequency, &t.temperature, &t.pf3, &t.p3, &t.q3, &t.s3})
            *text = kMissing;
        return t;
    }
    t.hasValues = true;
    const int c = settings.connectionType;
    t.connectionType = c;
    t.voltageMultiplier = s.voltage.multiplier;
    t.currentMultiplier = s.current.multiplier;
    t.powerMultiplier = s.power.multiplier;
    // A cell the connection does not measure reads "-N-" whatever its value.
    auto cell = [c](int column, auto&& text) { return CVKRArchivData::IsColumnHidden(column, c) ? kNotMeasured : text(); };

    double p3 = 0, q3 = 0, s3 = 0, allUI = 0;
    for (int k = 0; k < 3; ++k) {
        const auto at = std::size_t(k);
        const double u = v.GetUPhase(k);
        const double i = v.GetI(k);
        const double uLine = v.GetULine(k);
        const double ui = u * i;
        const bool negativeI = i < kDialogNegative;
        const bool negativeS = u < kDialogNegative || negativeI;
        allUI += ui;
        if (Counted(k, c)) {
            p3 += v.GetP(k);
            q3 += v.GetQ(k);
            s3 += ui;
        }
        t.u[at] = cell(kColU + k, [&] { return Signed(s.voltage, u, u < kDialogNegative); });
        t.i[at] = cell(kColI + k, [&] { return Signed(s.current, i, negativeI); });
        t.pf[at] = cell(kColPF + k, [&] {
            return std::fabs(ui) < 1e-8 ? kMissing : FormatArchivNumber(kTwoDecimals, v.GetP(k) / ui);
        });
        t.cosPhi[at] = cell(kColCos + k, [&] { return CosPhiText(v.GetAngle(k)); });
        t.uLine[at] = cell(kColULine + k, [&] { return Signed(s.voltage, uLine, uLine < kDialogNegative); });
        t.p[at] = cell(kColP + k, [&] { return Signed(s.power, v.GetP(k), negativeI); });
        t.q[at] = cell(kColQ + k, [&] { return Signed(s.power, v.GetQ(k), negativeI); });
        t.s[at] = cell(kColS + k, [&] { return Signed(s.power, ui, negativeS); });
        t.thdU[at] = cell(kColThdU + k, [&] { return ThdText(v.GetThdU(k)); });
        t.thdI[at] = cell(kColThdI + k, [&] { return ThdText(v.GetThdI(k)); });
        t.thdULine[at] = cell(kColThdULine + k, [&] { return ThdText(v.GetThdULine(k)); });
    }
    t.frequency = cell(kColFrequency, [&] { return HundredthsText(v.GetFrequency()); });
    t.temperature = cell(kColTemperature, [&] { return HundredthsText(v.GetTemperature()); });
    t.pf3 = cell(kColPF3, [&] {
        return s3 < 1e-8 || allUI < 1e-9 ? kMissing : FormatArchivNumber(kTwoDecimals, p3 / s3);
    });
    t.p3 = cell(kColP3, [&] { return FormatScaled(s.power, p3); });
    t.q3 = cell(kColQ3, [&] { return FormatScaled(s.power, q3); });
    t.s3 = cell(kColS3, [&] { return FormatScaled(s.power, s3); });
    return t;
}

CVKRPanelValues PanelValues(const CVKRAktData& v, int newData, int connectionType, int kind)
{
    using P = CVKRPanelValues;
    P panel;
    panel.connectionType = connectionType;
    if (!newData || v.HasInvalidValues())
        return panel;
    auto& out = panel.out;
    auto code = [](std::int16_t c, double scale) { return NoCode(c) ? P::kMissing : float(c * scale); };
    auto negativeUI = [&v](int k) { return v.GetUPhase(k) < kPanelNegative || v.GetI(k) < kPanelNegative; };

    switch (kind) {
    case 5:
    case 7:
    case 9: {
        double p3 = 0, q3 = 0, s3 = 0;
        bool negative = false;
        for (int k = 0; k < 3; ++k) {
            if (!Counted(k, connectionType))
                continue;
            p3 += v.GetP(k);
            q3 += v.GetQ(k);
            s3 += double(v.GetUPhase(k)) * v.GetI(k);
            negative = negative || negativeUI(k);
        }
        if (kind == 9) {
            out[1] = s3 < 1e-8 ? P::kMissing : float(std::fabs(p3) / s3);
        } else {
            out[1] = float(kind == 5 ? p3 : q3);
            if (negative)
                panel.connectionType |= P::kNegativeTotal;
        }
        return panel;
    }
    case 14:
        out[1] = code(v.GetFrequency(), 0.01);
        return panel;
    case 15:
        // A temperature without a value must not read as -327.68 degrees.
        out[1] = code(v.GetTemperature(), 0.01);
        return panel;
    default:
        break;
    }

    for (int k = 0; k < 3; ++k) {
        float& o = out[std::size_t(k)];
        bool negative = false;
        auto magnitude = [&negative](double value) {
            negative = value < kPanelNegative;
            return float(std::fabs(value));
        };
        switch (kind) {
        case 1:
            o = magnitude(v.GetULine(k));
            break;
        case 2:
            o = magnitude(v.GetUPhase(k));
            break;
        case 3:
            o = magnitude(v.GetI(k));
            break;
        case 4:
        case 6:
            o = kind == 4 ? v.GetP(k) : v.GetQ(k);
            negative = negativeUI(k);
            break;
        case 8: {
            const double u = v.GetUPhase(k);
            const double i = v.GetI(k);
            o = u >= 1e-8 && i >= 1e-8 ? float(std::fabs(v.GetP(k) / (u * i))) : P::kMissing;
            break;
        }
        case 10:
            o = code(v.GetAngle(k), 0.0001);
            break;
        case 11:
            o = code(v.GetThdULine(k), 0.01);
            break;
        case 12:
            o = code(v.GetThdU(k), 0.01);
            break;
        case 13:
            o = code(v.GetThdI(k), 0.01);
            break;
        default:
            break;
        }
        if (negative)
            panel.connectionType |= P::NegativePhase(k);
    }
    return panel;
}

CVKRDisplaySettings ReadDisplaySettings(const CVKRArchivData& store)
{
    CVKRDisplaySettings s;
    s.scales = archive::vk::ReadRatioScales(store);
    s.connectionType = store.GetConnectionType();
    return s;
}

CVKRValueTexts FillValuesDialog(const CVKRArchivData& store)
{
    CVKRAktData values;
    int newData = 0;
    store.GetLatestValues(values, newData);
    return FormatValues(values, newData, ReadDisplaySettings(store));
}

CVKRPanelValues GetPanelValues(const CVKRArchivData& store, int kind)
{
    const int connectionType = store.GetConnectionType();
    CVKRAktData values;
    int newData = 0;
    store.GetLatestValues(values, newData);
    return PanelValues(values, newData, connectionType, kind);
}

} // namespace archive::vkr
