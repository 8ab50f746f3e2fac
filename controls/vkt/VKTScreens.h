#pragma once
// The VKT screen graph: 61 screens, each with the states of the nineteen
// screen LEDs and the screens its four arrow keys lead to.
#include <array>
#include <cstdint>

namespace controls::vkt {

constexpr int ScreenCount = 61;
constexpr int ScreenLedCount = 19;

enum ScreenLed : int {
    LedVLL, LedVLN, LedA, LedW, LedVar, LedVA, LedPF, LedCos, LedTHD, LedHarm,
    LedEn1p, LedEn3p, LedQuarterP, LedHz, LedInst, LedAvg, LedMax, LedMin, LedTime,
};
enum LedState : std::uint8_t { Off = 0, On = 1, Blinking = 2 };

struct ScreenNode {
    std::array<std::uint8_t, ScreenLedCount> leds{};
    std::uint8_t next = 0;
    std::uint8_t previous = 0;
    std::uint8_t ringPrevious = 0;
    std::uint8_t ringNext = 0;
};

const std::array<ScreenNode, ScreenCount>& screenGraph();

// The harmonic order a ring screen shows (1-25), or 0 outside the rings.
int harmonicOrder(int screen);

} // namespace controls::vkt
