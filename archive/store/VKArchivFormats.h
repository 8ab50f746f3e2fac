#pragma once

#include "platform/Time32.h"

#include <QString>

// Number formats of the analyser archives (VK, VKR, and the Duskar
// controller's voltages, currents and powers): a unit divisor and the printf
// format of the divided value, chosen from the transformer ratios so that a
// value keeps about four significant digits.
struct CArchivNumberFormat {
    QString format;
    int multiplier = 1; // 1 = V, A, W; 1000 = kV, kA, kW; 1000000 = MW

    friend bool operator==(const CArchivNumberFormat&, const CArchivNumberFormat&) = default;
};

CArchivNumberFormat ChooseVoltageFormatByRatio(double ratio);
CArchivNumberFormat ChooseCurrentFormatByRatio(double ratio);
// product = voltage ratio x current ratio.
CArchivNumberFormat ChoosePowerFormatByRatio(double product);

// Text of `value` under one of the formats above ("%0.Nf"). Only that form is
// understood; the format never reaches a printf, so a damaged format cannot
// read stray arguments.
QString FormatArchivNumber(const QString& format, double value);

// value / multiplier under the format.
QString FormatScaled(const CArchivNumberFormat& format, double value);

// Transformer ratios in force and the formats that go with them, as the VK
// and VKR stores keep them for the newest settings. The two flags tell the
// live graphs that their voltage or current (and power) axes need a new
// range; they are raised whenever a format is recomputed.
struct CVKRatioScales {
    float voltageRatio = 1.0f;
    float currentRatio = 1.0f;
    CArchivNumberFormat voltage;
    CArchivNumberFormat current;
    CArchivNumberFormat power;
    int voltageScaleChanged = 1;
    int currentScaleChanged = 1;

    CVKRatioScales();
    // Keep a ratio that differs from the kept one and recompute its formats;
    // true when it changed.
    bool TakeVoltageRatio(float ratio);
    bool TakeCurrentRatio(float ratio);
    void UpdateVoltageFormat();
    void UpdateCurrentFormat();
};

// Formats chosen for a loaded time window from the largest ratios in it.
struct CVKWindowScales {
    CArchivNumberFormat voltage;
    CArchivNumberFormat current;
    CArchivNumberFormat power;

    CVKWindowScales();
    void Choose(double voltageRatio, double currentRatio, double product);
};

// File names of a recording: base + "_Y%yD%m%dH%H" + extension per period,
// base + extension for one file.
QString VKArchivFileName(const QString& base, bool plain, platform::CTime now, const QString& extension);

// The name of the period that starts at `start`: a name with a time suffix
// ("_Y" at p > 0, "D" at p+4, "H" at p+9, the extension at p+12) is cut at p,
// another at its first "."; a name without either comes back unchanged.
QString RollVKArchivFileName(const QString& name, platform::CTime start, const QString& extension);
