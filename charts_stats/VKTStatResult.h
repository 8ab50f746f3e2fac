#pragma once

#include "charts_stats/VKStatResult.h"

#include <array>

// Statistics records of the VKT analyser. Status words as for the other
// analysers: 0 value present, 1 no value, 2 not measured with the segment's
// connection or not held by the archived records.

// Kept by the statistics panel between runs (same fields as the other
// analysers: display units copied on every run, nominal values filled
// while unfilled).
struct CVKTStatSettings : CVKFamilyStatSettings {};

struct CVKTVoltageStat : CStatValueGroup {
    float above115 = 0; // %
    float below90 = 0;  // %
    int drops = 0;      // changes of the state "below 10 % of the nominal"
    float below10 = 0;  // %
    int dropState = vkstat::kNoValue;
    int overloadChanges = 0;
    float overloadShare = 0; // %
    int overloadState = vkstat::kNoValue;
};

struct CVKTCurrentStat : CStatValueGroup {
    float aboveHalf = 0;    // %
    float aboveNominal = 0; // %
    int overloadChanges = 0;
    float overloadShare = 0; // %
    int overloadState = vkstat::kNoValue;
};

struct CVKTOverloadStat {
    int changes = 0;
    float share = 0; // %
    int state = vkstat::kNoValue;
};

// Power factor of one class of a position, as for the other analysers
// (shares over all valid samples of the position).
using CVKTPowerFactorStat = CVKPowerFactorStat;

// Phase angle of one phase by class, as the other analysers' displacement;
// the worst value is the cosine's magnitude (0 to 1).
using CVKTPhaseAngleStat = CVKDisplacementStat;

// One segment. Positions: voltages U1-U4, U12, U23, U31; currents I1-I4;
// THD phases 1-4; powers 5 x block + position (blocks P import, P export,
// Q import, Q export, S; positions phases 1-4 and the total); power limit
// shares 5 x block + position for the blocks P import, P export and S
// (entries 15-19 unused); overloads phases 1-4 and any of 1-3; power
// factors 5 x class + position; energies as the first 20 powers.
struct CVKTStatResult {
    const CVKTStatSettings* settings = nullptr;
    std::array<CVKTVoltageStat, 7> voltages{};
    std::array<CVKTCurrentStat, 4> currents{};
    std::array<CStatPeakGroup, 4> voltageThd{};
    std::array<CStatPeakGroup, 4> currentThd{};
    std::array<CStatValueGroup, 25> powers{};
    std::array<float, 20> powerAboveHalf{};
    std::array<float, 20> powerAboveNominal{};
    std::array<CVKTOverloadStat, 5> overloads{};
    std::array<CVKTPowerFactorStat, 10> powerFactors{};
    std::array<CVKTPhaseAngleStat, 4> phaseAngles{};
    std::array<CVKEnergyStat, 20> energies{};
    CVKUnbalanceStat unbalance;
    charts::stats::CStatTail tail;
};
