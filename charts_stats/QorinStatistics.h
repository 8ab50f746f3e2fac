#pragma once

#include "charts_stats/StatCommon.h"

#include <array>
#include <vector>

class CQorinArchivData;

// Statistics of a Qorin controller archive: the current with its active and
// reactive parts, the three-phase powers they give at the nominal voltage,
// and how the power factor kept to the required one. Segments split where
// the instrument's required power factor changes.

// Kept by the statistics panel between runs; the first run over an archive
// fills it from the instrument's settings unless `filled` is set.
struct CQorinStatSettings {
    int window1 = 60;             // s
    int window2 = 60;             // s
    float nominalVoltage = 220.0f;       // V, line to neutral
    float nominalVoltageLine = 381.05118f; // V, line to line
    float nominalCurrent = 100.0f;       // A
    float nominalPower = 66000.0f;       // W, three-phase
    float requiredPowerFactor = 0.95f;   // signed: + inductive, - capacitive
    int fromInstrument = 1;       // take the required power factor from the archive
    int filled = 0;
};

// One segment. Flags are 1 when the value exists; a value without its flag
// is undefined. Arrays of two: [0] active power >= 0 / at or below the
// required power factor, [1] active power < 0 / above it.
struct CQorinStatResult {
    using Pair = std::array<float, 2>;
    using Flags = std::array<int, 2>;
    using Times = std::array<CTime, 2>;

    const CQorinStatSettings* settings = nullptr;

    float currentAverage = 0;
    int currentAverageValid = 0;
    float currentMax = 0, currentMin = 0;
    int currentExtremesValid = 0;
    CTime currentMaxTime, currentMinTime;
    float currentWindowMax = 0, currentWindowMin = 0;
    int currentWindowValid = 0;
    CTime currentWindowMaxTime, currentWindowMinTime;
    float currentAbove50 = 0, currentAbove100 = 0; // %

    float thdAverage = 0;
    int thdAverageValid = 0;
    float thdMax = 0;
    CTime thdMaxTime;
    int thdMaxValid = 0;
    float thdWindowMax = 0;
    CTime thdWindowMaxTime;
    int thdWindowValid = 0;

    Pair powerAverage{};
    Flags powerAverageValid{};
    Pair powerMax{}, powerMin{};
    Flags powerExtremesValid{};
    Times powerMaxTime{}, powerMinTime{};
    Pair powerWindowMax{}, powerWindowMin{};
    Flags powerWindowValid{};
    Times powerWindowMaxTime{}, powerWindowMinTime{};
    Pair powerAbove50{}, powerAbove100{}; // % of the nominal current, by direction

    Pair targetShare{}; // % at or below / above the required power factor

    Pair missingAverage{}; // var
    Flags missingAverageValid{};
    Pair missingMin{};
    Times missingMinTime{};
    Flags missingMinValid{};
    Pair missingWindowMin{};
    Times missingWindowMinTime{};
    Flags missingWindowMinValid{};

    Pair targetShare2{};
    Pair pfAverage{};
    Flags pfAverageValid{};

    float pfLowest = 0, pfHighest = 0;
    CTime pfLowestTime, pfHighestTime;
    int pfLowestValid = 0, pfHighestValid = 0;
    float pfWindowLowest = 0, pfWindowHighest = 0;
    CTime pfWindowLowestTime, pfWindowHighestTime;
    int pfWindowLowestValid = 0, pfWindowHighestValid = 0;

    float pfBelow095 = 0; // %
    // %, power factor below 1.00: inductive import (an export power factor
    // lies above 1 before it is signed).
    float pfBelow100 = 0;
    float pfExport = 0;   // %, power factor above 1 (export)

    charts::stats::CStatTail tail;
    QString powerFactorText; // "target / instrument's" or "--/--"
};

namespace charts::stats {

// The statistics of the archive's loaded window, one result per segment (at
// least one). `settings` is read and, while unfilled, filled.
std::vector<CQorinStatResult> ComputeQorinStatistics(const CArchivWindow& window, CQorinStatSettings& settings,
                                                     const ProgressFn& progress = {});
std::vector<CQorinStatResult> ComputeQorinStatistics(CQorinArchivData& data, CQorinStatSettings& settings,
                                                     const ProgressFn& progress = {});

} // namespace charts::stats
