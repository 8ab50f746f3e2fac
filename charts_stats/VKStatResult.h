#pragma once

#include "charts_stats/StatCommon.h"

#include <array>

// Statistics records of the VK and VKR analysers. States: 0 value present,
// 1 no value, 2 not applicable (the instrument does not deliver that
// quantity in this connection or recording mode). A value without state 0
// is undefined.
namespace vkstat {
enum State { kPresent = 0, kNoValue = 1, kNotApplicable = 2 };
}

// Kept by the statistics panel between runs. The unit multipliers and
// formats are the archive's display choices, copied on every run; the
// nominal values and windows are filled from the instrument's first settings
// while `filled` is 0.
struct CVKFamilyStatSettings {
    int voltageMultiplier = 1; // 1 or 1000: V or kV
    int currentMultiplier = 1;
    int powerMultiplier = 1;
    QString voltageFormat = QStringLiteral("%0.1f");
    QString currentFormat = QStringLiteral("%0.2f");
    QString powerFormat = QStringLiteral("%0.1f");
    int window1 = 60; // s: voltages, currents, THD
    int window2 = 60; // s: powers and power factors
    float nominalVoltage = 230.0f;      // V, line to neutral
    float nominalVoltageLine = 398.37167f; // V, line to line
    float nominalCurrent = 5.0f;        // A
    float nominalPowerPhase = 1150.0f;  // W
    float nominalPower = 3450.0f;       // W, three-phase
    int filled = 0;
};

struct CVKStatSettings : CVKFamilyStatSettings {};
struct CVKRStatSettings : CVKFamilyStatSettings {};

// Average, extremes and sliding-window extremes of one quantity.
struct CStatValueGroup {
    float average = 0;
    int averageState = vkstat::kNoValue;
    float max = 0, min = 0;
    int extremesState = vkstat::kNoValue;
    CTime maxTime, minTime;
    float windowMax = 0, windowMin = 0;
    int windowState = vkstat::kNoValue;
    CTime windowMaxTime, windowMinTime;
};

// Average, maximum and largest window average (distortion).
struct CStatPeakGroup {
    float average = 0;
    int averageState = vkstat::kNoValue;
    float max = 0;
    CTime maxTime;
    int maxState = vkstat::kNoValue;
    float windowMax = 0;
    CTime windowMaxTime;
    int windowState = vkstat::kNoValue;
};

struct CVKVoltageStat : CStatValueGroup {
    float above115 = 0; // %
    float below90 = 0;  // %
    int drops = 0;      // changes of the state "below 10 % of the nominal"
    float below10 = 0;  // %
    int dropState = vkstat::kNoValue;
};

struct CVKCurrentStat : CStatValueGroup {
    float aboveHalf = 0;    // % above half the nominal current
    float aboveNominal = 0; // % above the nominal current
};

// Power factor of one class (kind 0: samples with Q >= 0, 1: Q < 0).
struct CVKPowerFactorStat {
    float classShare = 0; // % of all samples that fell into the class
    float average = 0;    // |mean P| / mean S
    int averageState = vkstat::kNoValue;
    float worst = 0; // farthest from 1, as a magnitude
    CTime worstTime;
    int worstState = vkstat::kNoValue;
    float windowWorst = 0;
    CTime windowWorstTime;
    int windowState = vkstat::kNoValue;
    float below095 = 0; // % of all samples in the class and below 0.95
};

// The instrument's own power factor of one phase, two classes.
struct CVKDisplacementStat {
    std::array<float, 2> classShare{};
    std::array<float, 2> worst{}; // signed
    std::array<CTime, 2> worstTime{};
    std::array<int, 2> state{vkstat::kNoValue, vkstat::kNoValue};
    std::array<float, 2> below095{};
};

// Voltage unbalance in percent.
struct CVKUnbalanceStat {
    int maxState = vkstat::kNoValue;
    float max = 0;
    CTime maxTime;
    int averageState = vkstat::kNoValue;
    float average = 0;
};

struct CVKEnergyStat {
    int state = vkstat::kNoValue;
    float value = 0; // Wh or varh over the power multiplier
};

// One segment. Element orders: voltages U1, U2, U3, U1,2, U2,3, U3,1;
// voltage THD phases 1-3 then the line pairs; powers 4 x type + phase (types
// P import, P export, Q import, Q export, S; phase 3 the three-phase value);
// power limit shares 4 x kind + phase (P import, P export, S); power factors
// 4 x class + phase; energies 4 x type + phase (the first four power types).
struct CVKStatResult {
    const CVKFamilyStatSettings* settings = nullptr;
    std::array<CVKVoltageStat, 6> voltages{};
    std::array<CVKCurrentStat, 3> currents{};
    std::array<CStatPeakGroup, 6> voltageThd{};
    std::array<CStatPeakGroup, 3> currentThd{};
    std::array<CStatValueGroup, 20> powers{};
    std::array<float, 12> powerAboveHalf{};
    std::array<float, 12> powerAboveNominal{};
    std::array<CVKPowerFactorStat, 8> powerFactors{};
    std::array<CVKDisplacementStat, 3> displacement{};
    std::array<CVKEnergyStat, 16> energies{};
    CVKUnbalanceStat unbalance;
    charts::stats::CStatTail tail;
};

struct CVKRStatResult : CVKStatResult {};
