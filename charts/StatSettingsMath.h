#pragma once

#include "charts_stats/QorinStatistics.h"
#include "charts_stats/VKStatResult.h"

#include <QString>
#include <QStringList>

#include <array>

// The figures of the statistics settings dialogs, kept apart from the
// widgets: the window widths, the derived voltage, power and current, and
// the required power factor's up-down positions. Computed in 32-bit floats
// with the dialogs' own rounding, so the fields show what users know.
namespace statsettings {

inline constexpr std::array<int, 6> kWindowWidths = {60, 180, 600, 900, 3600, 7200};
QStringList WindowNames();
// The position of a width in the table; 0 for a width not in it.
int WindowIndexOf(int seconds);
int WindowWidthAt(int index);

// Valid ranges of the typed numbers.
inline constexpr float kPowerMin = 0.0001f;
inline constexpr float kPowerMax = 1e15f;
inline constexpr float kVoltageMin = 0.01f;
inline constexpr float kVoltageMax = 1e12f;

enum PhaseChoice : int { kThreePhase = 0, kOnePhase = 1 };
enum VoltageChoice : int { kLineToNeutral = 0, kLineToLine = 1 };

// What the VK, VKR and VKT dialogs show.
struct CFields {
    int window1 = 0;
    int window2 = 0;
    float current = 0;     // A, derived
    float powerPhase = 0;  // kVA
    float power3 = 0;      // kVA
    int phase = kThreePhase;
    int voltage = kLineToNeutral;
    float voltageLine = 0;    // V
    float voltageNeutral = 0; // V
    // Qorin only.
    int powerFactorChoice = 0; // 0: the instrument's, 1: own
    int powerFactorPosition = 12;
};

CFields Load(const CVKFamilyStatSettings& record);
void Store(const CFields& fields, CVKFamilyStatSettings& record);
CFields Load(const CQorinStatSettings& record);
void Store(const CFields& fields, CQorinStatSettings& record);

// A text the user is still typing: empty, zero-like or ending in a point.
bool IsHalfTyped(const QString& text, const QStringList& zeroLike);
QStringList VoltageZeroTexts();
QStringList PowerPhaseZeroTexts();
QStringList PowerZeroTexts();

// The other voltage and the current after the active voltage changed;
// `qorin`: the current from the three-phase power.
void VoltageEdited(CFields& fields, bool qorin);
// The other power and the current after the active power changed.
void PowerEdited(CFields& fields);
// The Qorin dialog's current after its three-phase power changed.
void QorinPowerEdited(CFields& fields);

// Power-factor positions 0 to 30: 0..9 capacitive -0.90..-0.99, 10..30
// inductive 1.00..0.80.
float PowerFactorAt(int position);
QString PowerFactorText(int position);
// The position of a power factor; `fallback` when it lies outside the band
// of its sign.
int PositionOf(float powerFactor, int fallback = 12);
// A typed power factor (at most 10 characters): its position, 0.98's with
// `refused` set when it lies outside both bands.
int ParsePowerFactor(const QString& text, bool& refused);

// The first invalid number as a message; empty when all are in range.
QString RangeProblem(const CFields& fields, bool qorin);

// Float fields as the dialogs print them.
QString FloatText(float value);

} // namespace statsettings
