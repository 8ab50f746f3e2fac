#pragma once

#include "model/PrevodTyp.h"
#include "platform/StringIds.h"

#include <QString>

// Outcome of the check of a (minimum, maximum) pair that a dialog is saving.
struct FloatRangeResult {
    // 0: the pair passes; else the text's id (platform::IDS_DDV_...), whose
    // "%s" is the row's name
    int messageId = 0;
    double limit = 0.0; // the "%f" of the limit messages
    // TRUE: the minimum's edit takes the focus; FALSE: the focus stays with
    // the control exchanged last.
    BOOL focusMinimum = FALSE;
};

// The checks stop at the first that fails: minimum below the lower limit,
// maximum above the upper limit, then either the cosine rule (minimum <= 0 <=
// maximum) or the order rule (minimum < maximum). The dialog side shows the
// message and keeps the dialog open.
FloatRangeResult DDV_FloatRange(float minimum, float maximum, float lowerLimit, float upperLimit, BOOL cosineMode);

// Fills a message of the range check: the row's name for "%s", the limit for "%f".
QString FormatFloatRangeMessage(const QString& pattern, const QString& name, double limit);

// Unbalance in per cent from the three line voltages (any common unit). FALSE
// when all three are practically zero; 100.0 when the voltages cannot form a
// triangle.
BOOL ComputeVoltageUnbalance(float a, float b, float c, float& result);

// Removes every trailing copy of suffix from path (case-sensitive). An empty
// suffix leaves the path as it is.
void StripTrailing(QString& path, const QString& suffix);
