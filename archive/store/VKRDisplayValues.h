#pragma once

#include "archive/store/VKDisplayValues.h"
#include "model/VKRAktData.h"

class CVKRArchivData;

// What the VKR values dialog and front panel show of the newest
// measurement. VKR values are primary values: the ratios only chose the
// formats.

struct CVKRDisplaySettings {
    CVKRatioScales scales; // the live formats
    int connectionType = 2;
};

// The VKR values dialog. A quantity the connection does not measure reads
// "-N-"; a negative one its magnitude after "E".
struct CVKRValueTexts {
    bool hasValues = false;
    // The labels and the captions follow these; without values they are not
    // to be taken.
    int connectionType = 2;
    int voltageMultiplier = 1;
    int currentMultiplier = 1;
    int powerMultiplier = 1;

    // Per phase; line voltages in the order U3,1, U1,2, U2,3, their THD in
    // the order THDU1,2, THDU2,3, THDU3,1.
    std::array<QString, 3> u, i, pf, cosPhi, uLine, p, q, s, thdU, thdI, thdULine;
    QString frequency, temperature, pf3, p3, q3, s3;
};

// Three numbers for the VKR front panel and the connection type with the
// sign flags: bit 28 + i when the value of phase i was negative, bit 29
// when a total was.
struct CVKRPanelValues {
    static constexpr float kNoData = -1e12f;
    // A value that cannot be given.
    static constexpr float kMissing = 1e14f;
    static constexpr int kNegativeTotal = 1 << 29;
    static constexpr int NegativePhase(int phase) { return 1 << (28 + phase); }

    std::array<float, 3> out{kNoData, kNoData, kNoData};
    int connectionType = 0;
};

namespace archive::vkr {

// Value rules of the VKR codes; "--" for a 16-bit code 0x8000.
QString ThdText(std::int16_t code);
// Frequency and temperature in hundredths.
QString HundredthsText(std::int16_t code);
// "C-", "L+", "L-", "C+" by the angle code, then |cos| with two decimals.
QString CosPhiText(std::int16_t angle);

// `newData`: a measurement came since the store was made.
CVKRValueTexts FormatValues(const CVKRAktData& values, int newData, const CVKRDisplaySettings& settings);
// `kind`: 1 U L-L, 2 U, 3 I, 4 P, 6 Q, 8 PF, 10 angle, 11 THD of the line
// voltages, 12 THD U, 13 THD I per phase; 5 3P, 7 3Q, 9 3PF, 14 frequency,
// 15 temperature in out[1] only.
CVKRPanelValues PanelValues(const CVKRAktData& values, int newData, int connectionType, int kind);

CVKRDisplaySettings ReadDisplaySettings(const CVKRArchivData& store);
CVKRValueTexts FillValuesDialog(const CVKRArchivData& store);
CVKRPanelValues GetPanelValues(const CVKRArchivData& store, int kind);

} // namespace archive::vkr
