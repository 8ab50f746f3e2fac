#pragma once

#include "archive/store/VKArchivFormats.h"
#include "model/VKAktData.h"

#include <QString>

#include <array>
#include <vector>

class CVKArchivData;
class CVKFamilyArchivData;

// What the analysers' values dialogs and front panels show of the newest
// measurement, as plain values; the dialogs and panel frames copy them into
// their controls.

// ---- Column captions shared by the analysers' values dialogs -----------------

struct CValuesDialogCaption {
    int control = 0;
    QString text;

    friend bool operator==(const CValuesDialogCaption&, const CValuesDialogCaption&) = default;
};

// The control ids of the six caption groups of a values dialog.
struct CValuesDialogCaptionIds {
    int power;    // P
    int reactive; // Q
    int apparent; // S
    int phaseVoltage;
    int lineVoltage;
    int current;
};

// The multipliers a values dialog's captions show. Captions are set again
// only when a multiplier changes, so that a refresh every second does not
// rewrite every label.
class CValuesDialogCaptions {
public:
    explicit CValuesDialogCaptions(const CValuesDialogCaptionIds& ids) : m_ids(ids) {}

    // The captions to set for these multipliers; empty when none changed.
    std::vector<CValuesDialogCaption> Update(int voltageMultiplier, int currentMultiplier, int powerMultiplier);

    // "P[W]", "P[kW]", "P[MW]" by 1, 1000, other; kind 0 P, 1 Q, 2 S.
    static QString PowerCaption(int kind, int multiplier);
    // "U L-N[V]" or "U L-N[kV]" (line: "U L-L..."), "I[A]" or "I[kA]".
    static QString VoltageCaption(bool line, int multiplier);
    static QString CurrentCaption(int multiplier);

private:
    CValuesDialogCaptionIds m_ids;
    // 0 until the first update: the first values set every caption.
    int m_voltage = 0;
    int m_current = 0;
    int m_power = 0;
};

// The VK and VKR dialogs' caption controls.
inline constexpr CValuesDialogCaptionIds kVKValuesDialogCaptionIds{1281, 1282, 1283, 1159, 1160, 1161};

// ---- VK ------------------------------------------------------------------------

// What the value rules of a VK measurement need of the store's settings.
struct CVKDisplaySettings {
    CVKRatioScales scales; // the live ratios and formats
    float temperatureSlope = 0.0f;
    float temperatureOffset = 0.0f;
    int variantBit0 = 0;
    int connectionMode2 = 0;
    int modelIndex = 0;
};

// The VK values dialog.
struct CVKValueTexts {
    static constexpr int kBarCount = 36;
    static constexpr float kNoBar = -1.0f;
    using Bars = std::array<float, kBarCount>;

    int modelIndex = 0;
    bool hasValues = false;
    // The layout and the captions follow these; without values they are
    // not to be taken.
    int variantBit0 = 0;
    int connectionMode2 = 0;
    int voltageMultiplier = 1;
    int currentMultiplier = 1;
    int powerMultiplier = 1;

    // Per phase; PF and I as magnitudes.
    std::array<QString, 3> u, pf, cosPhi, uLine, thdU, p, q, s, i, thdI;
    QString frequency, temperature, p3, q3, s3, pf3;
    // Harmonic entry h of phase p at 12p + h/2: odd entries in the odd
    // arrays, even entries in the even ones.
    Bars voltageOdd{}, voltageEven{}, currentOdd{}, currentEven{};
};

// The VK values dialog's kept layout flags: true when the layout must be
// built again for the values' variant bit 0 and connection mode 2.
struct CVKValuesLayout {
    int variantBit0 = -1; // -1: no layout built yet
    int connectionMode2 = -1;

    bool Take(const CVKValueTexts& texts);
};

// Three numbers for the VK front panel (V, A, W, var, VA, %, Hz; not
// divided by the multipliers) and the two flag bits of the measurement.
struct CVKPanelValues {
    // No measurement yet (every display), or a quantity the panel does not
    // know.
    static constexpr float kNoData = -1e12f;

    std::array<float, 3> out{kNoData, kNoData, kNoData};
    std::array<int, 2> bits{0, 0}; // flags byte bit 0 as 0/1, bit 1 as 0/2
    int connectionMode2 = 0;
};

namespace archive::vk {

// Value rules of one VK code; "--" for a code that holds no value.
QString VoltageText(WORD code, double voltageRatio, const CArchivNumberFormat& format);
QString CurrentText(std::int16_t code, double currentRatio, const CArchivNumberFormat& format, bool magnitude);
QString FactorText(std::int8_t code, bool magnitude);
QString PowerText(std::int32_t code, double currentRatio, double voltageRatio, const CArchivNumberFormat& format);
// THD and frequency decoded with "%0.1f".
QString DecodedText(double value);
QString TemperatureText(BYTE code, const CVKDisplaySettings& settings);

// `newData`: a measurement came since the store was made.
CVKValueTexts FormatValues(const CVKAktData& values, int newData, const CVKDisplaySettings& settings);
// `kind`: 0 U, 1 I, 2 PF, 3 U L-L, 4 cos, 5 3PF / frequency / temperature,
// 6 P, 7 Q, 8 S, 9 3P / 3Q / 3S, 10 THD U, 11 THD I.
CVKPanelValues PanelValues(const CVKAktData& values, int newData, const CVKDisplaySettings& settings, int kind);

// The live ratios and formats of a VK or VKR store.
CVKRatioScales ReadRatioScales(const CVKFamilyArchivData& store);
// The store's settings and newest values.
CVKDisplaySettings ReadDisplaySettings(const CVKArchivData& store);
CVKValueTexts FillValuesDialog(const CVKArchivData& store);
CVKPanelValues GetPanelValues(const CVKArchivData& store, int kind);

} // namespace archive::vk
