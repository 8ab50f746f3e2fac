#pragma once

#include "archive/store/VKDisplayValues.h"
#include "model/AktData.h"

#include <QString>

#include <array>

class CVKTArchivData;

// What the VKT front panel and measured-values dialog show of the newest
// measurement, with the scaling and channel rules of the archive rows.

// The ratios, connection type and live formats the VKT value rules need.
struct CVKTDisplaySettings {
    float voltageRatio = 1.0f;
    float voltageRatio4 = 1.0f;
    float currentRatio = 1.0f;
    float currentRatio4 = 1.0f;
    int connectionType = 2;
    CArchivNumberFormat voltage;
    CArchivNumberFormat current;
    CArchivNumberFormat power;
    int modelIndex = 0;

    CVKTDisplaySettings();
};

// The front panel's four displays. The flags word holds a nibble per
// display d at bits 4d..4d+3 (the bits below), bit 16 a nonzero fault state.
struct CVKTPanelValues {
    static constexpr int kOverload = 0x1;  // shown, but a channel is overloaded
    static constexpr int kZero = 0x2;      // the channel's zero flag: the value is 0
    static constexpr int kNoQuantity = 0x4; // not for this display or connection
    static constexpr int kNoValue = 0x8;
    static constexpr int kFaultState = 1 << 16;
    static constexpr int kLastScreen = 60;

    static constexpr int Flag(int display, int bit) { return bit << (4 * display); }

    std::array<float, 4> values{};
    int flags = 0;
};

// The VKT measured-values dialog.
struct CVKTValueTexts {
    static constexpr int kChannels = 4;
    // Harmonic bars without a value.
    static constexpr float kBarFlagged = -0.99f;        // voltage overloaded or zeroed
    static constexpr float kBarNoValue = -1000000.0f;   // no voltage harmonics; current flagged or empty
    static constexpr float kBarNoCurrent = -10000000.0f; // no current harmonics
    using OddBars = std::array<float, CAktOddHarmonics::kCount>;
    using EvenBars = std::array<float, CAktEvenHarmonics::kCount>;

    int modelIndex = 0;
    bool hasValues = false;
    // The labels and the captions follow these; without values they are not
    // to be taken.
    int connectionType = 2;
    int voltageMultiplier = 1;
    int currentMultiplier = 1;
    int powerMultiplier = 1;
    QString valuesKind; // "aktuální", "průměrné", "maximální", "minimální"

    // Per channel; the line voltage of channels 1 to 3 is U3,1, U1,2, U2,3.
    std::array<QString, kChannels> u, uLine, i, p, q, s, pf, cosPhi, thdU, thdI;
    QString unbalance, frequency, temperature, outputState;
    // Odd orders 1, 3 .. 25 and even orders 2 .. 24 per channel.
    std::array<OddBars, kChannels> voltageOdd{}, currentOdd{};
    std::array<EvenBars, kChannels> voltageEven{}, currentEven{};
};

// The VKT dialog's caption controls.
inline constexpr CValuesDialogCaptionIds kVKTValuesDialogCaptionIds{1063, 1064, 1065, 1008, 1009, 1010};

namespace archive::vkt {

// `screen` 0 to 60; a larger one leaves the displays at 0 without flags.
CVKTPanelValues PanelValues(const CAktData& values, int newData, const CVKTDisplaySettings& settings, int screen);
// `dialogRows`: the rows of channels 1 to 4 the dialog has for the
// connection type. `valuesKind`: what the loaded archive holds (1 maximum,
// 2 minimum, else average); live values are current whatever it says.
CVKTValueTexts FormatValues(const CAktData& values, int newData, const CVKTDisplaySettings& settings,
                            const std::array<bool, 4>& dialogRows, int valuesKind);

CVKTDisplaySettings ReadDisplaySettings(const CVKTArchivData& store);
CVKTPanelValues GetPanelValues(const CVKTArchivData& store, int screen);
CVKTValueTexts FillValuesDialog(const CVKTArchivData& store, const std::array<bool, 4>& dialogRows, int valuesKind);

} // namespace archive::vkt
