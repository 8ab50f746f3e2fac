#pragma once

#include <QStringView>

#include <array>

// Short quantity names per instrument kind. The index of a name is the
// program-wide number of that quantity: graph series, displayed-quantity
// choices, registry value names and axis captions are keyed by it, so the
// order must never change. Compile-time constants: usable from any static
// initialiser without ordering concerns.

// VK analysers.
inline constexpr std::array<QStringView, 37> VKQuantityNames = {
    u"U1",    u"U2",    u"U3",    u"I1",    u"I2",    u"I3",    u"I4",    u"PF1",   u"PF2",   u"PF3",
    u"Fr",    u"T",     u"cos1",  u"cos2",  u"cos3",  u"U3,1",  u"U1,2",  u"U2,3",  u"P1",    u"P2",
    u"P3",    u"Q1",    u"Q2",    u"Q3",    u"S1",    u"S2",    u"S3",    u"THDU1", u"THDU2", u"THDU3",
    u"THDI1", u"THDI2", u"THDI3", u"3PF",   u"3P",    u"3Q",    u"3S",
};

// VKR analysers: the VK numbers mean the same quantities, three line THDs follow.
inline constexpr std::array<QStringView, 40> VKRQuantityNames = {
    u"U1",    u"U2",    u"U3",    u"I1",    u"I2",    u"I3",      u"I4",      u"PF1",     u"PF2",   u"PF3",
    u"Fr",    u"T",     u"cos1",  u"cos2",  u"cos3",  u"U3,1",    u"U1,2",    u"U2,3",    u"P1",    u"P2",
    u"P3",    u"Q1",    u"Q2",    u"Q3",    u"S1",    u"S2",      u"S3",      u"THDU1",   u"THDU2", u"THDU3",
    u"THDI1", u"THDI2", u"THDI3", u"3PF",   u"3P",    u"3Q",      u"3S",      u"THDU1,2", u"THDU2,3", u"THDU3,1",
};

// VKT analysers (four measuring channels). The three-phase totals stand inside
// their groups, before the fourth channel's value.
inline constexpr std::array<QStringView, 46> VKTQuantityNames = {
    u"U1",    u"U2",    u"U3",    u"U4",    u"I1",    u"I2",    u"I3",    u"I4",    u"PF1",   u"PF2",
    u"PF3",   u"3PF",   u"PF4",   u"Fr",    u"T",     u"cos1",  u"cos2",  u"cos3",  u"cos4",  u"U3,1",
    u"U1,2",  u"U2,3",  u"_u2",   u"P1",    u"P2",    u"P3",    u"3P",    u"P4",    u"Q1",    u"Q2",
    u"Q3",    u"3Q",    u"Q4",    u"S1",    u"S2",    u"S3",    u"3S",    u"S4",    u"THDU1", u"THDU2",
    u"THDU3", u"THDU4", u"THDI1", u"THDI2", u"THDI3", u"THDI4",
};

// Power-factor controllers, both families; the last entry is deliberately empty.
inline constexpr std::array<QStringView, 15> ControllerQuantityNames = {
    u"Cos", u"U", u"Fr", u"Pac", u"Pre", u"dPre", u"Ieff", u"Iact", u"Irea", u"dIrea", u"THDI", u"THDU", u"CHL", u"T", u"",
};

// Curves of the controller's live graph.
inline constexpr std::array<QStringView, 5> ControllerCurveNames = {u"Cos", u"Proud", u"real", u"imag", u"THD"};
