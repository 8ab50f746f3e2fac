#pragma once
// What the VKR panel shows for a screen: three rows of three digit codes, the
// common point position, which row points are lit or blink, the multiplier.
#include <array>
#include <cstdint>

namespace controls::vkr {

enum Code : std::uint8_t { CodeA = 10, CodeC = 11, CodeMinus = 12, CodeBlank = 13 };

struct Display {
    std::array<std::array<std::uint8_t, 3>, 3> rows{{{CodeBlank, CodeBlank, CodeBlank},
                                                     {CodeBlank, CodeBlank, CodeBlank},
                                                     {CodeBlank, CodeBlank, CodeBlank}}};
    int point = 0; // 0-3, common to the rows
    std::array<bool, 3> rowPoint{};
    std::array<bool, 3> pointBlink{};
    int multiplier = 1; // 1, 1000 or 1000000
};

// `model` is the instrument's model number (0 = the smallest), -1 when the
// host has not set one.
Display format(int screen, int model, const std::array<float, 3>& values);

// Screens the model does not have are skipped.
int forward(int screen, int model);
int backward(int screen, int model);

} // namespace controls::vkr
