#pragma once

#include <QString>
#include <QStringList>

#include <array>

// Conversions between the controllers' setting codes and what the settings
// pages show.
namespace controllers::convert {

// ---- Qorin power factors (tariff targets and the choke limit): signed
// hundredths, 0.80 ... 1.00 inductive, -0.99 ... -0.90 capacitive.
// A typed value with two decimals stores as exactly those hundredths.
int QorinPfCode(double value);
// A stored code outside both ranges shows as 1.00.
double QorinPfValue(int code);
// The scroll steps along 0.80 ... 1.00, -0.99 ... -0.90; false (value kept)
// at the end of the scale, where the page beeps.
bool QorinPfLineUp(double& value);
bool QorinPfLineDown(double& value);
bool IsQorinPfTyped(double value);

// ---- Duskar choke limit: 0.80 ... 1.00, -0.99 ... -0.80.
int DuskarChokeCode(double value);
double DuskarChokeValue(int code);
bool DuskarChokeLineUp(double& value);
bool DuskarChokeLineDown(double& value);
bool IsDuskarChokeTyped(double value);

// ---- Duskar tariff targets: 80 ... 100 and -99 ... -80 power factor in
// hundredths, 101 ... 121 phase angle 111 - code degrees.
bool IsAngleCode(int code);
QString DuskarTargetText(int code);
// A typed target: "5°" (angle) or "0.95" (power factor). Out-of-range power
// factors become 1.00, angles are clamped to +10 ... -10 degrees.
int ParseDuskarTarget(const QString& text);
// One step along 80 ... 100, -99 ... -80, 101 ... 121 (`up`: line up); false
// with the code clamped at the ends, where the page beeps.
bool StepDuskarTarget(int& code, bool up);

// ---- Stages
// The twelve switching programs and their five multipliers.
const QStringList& SwitchingProgramNames();
std::array<int, 5> ProgramMultipliers(int program);
// Secondary amperes of "no stage" (0x7FFF units of 0.00025 A).
inline constexpr double kNoStageAmps = 8.19175;
inline constexpr double kStageBoundAmps = 8.0;
// C/k as the record holds it, in secondary amperes.
inline constexpr double kCkMinAmps = 0.01;
inline constexpr double kCkMaxAmps = 2.0;

// ---- Printing
// Digits grouped in threes from the right with a blank between groups.
QString GroupThousands(long long value);

} // namespace controllers::convert
