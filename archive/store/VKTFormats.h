#pragma once

#include <QString>

// Unit divisor and printf-style format of VKT values, chosen from the size of
// the transformer ratio in force. The multiplier divides a value in V, A, W,
// var or VA: 1 base unit, 1000 kilo, 1000000 mega.

// ratio: voltage-transformer ratio.
void ChooseVoltageFormat(float ratio, QString& format, int& multiplier);
// ratio: product of the voltage and current transformer ratios.
void ChoosePowerFormat(float ratio, QString& format, int& multiplier);
// ratio: current-transformer ratio.
void ChooseCurrentFormat(float ratio, QString& format, int& multiplier);

namespace vkt {

// Unit texts by multiplier: "V"/"kV", "A"/"kA"; power units with the base
// unit given ("W", "var", "VA") for 1, 1000 and anything else.
QString VoltageUnit(int multiplier);
QString CurrentUnit(int multiplier);
QString PowerUnit(const QString& base, int multiplier);

} // namespace vkt
