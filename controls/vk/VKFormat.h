#pragma once
// Formatting of the three VK display windows: digit codes, the common point
// position and the unit prefix, by the rule of the screen.
#include <array>
#include <cstdint>

namespace controls::vk {

enum Code : std::uint8_t { CodeL = 10, CodeC = 11, CodeMinus = 12, CodeBlank = 13 };
enum Prefix : int { PrefixNone = 0, PrefixKilo = 1, PrefixMega = 2 };

struct Display {
    // Window k, position 0 (sign or leading digit) to 3.
    std::array<std::array<std::uint8_t, 4>, 3> windows{{{CodeBlank, CodeBlank, CodeBlank, CodeBlank},
                                                        {CodeBlank, CodeBlank, CodeBlank, CodeBlank},
                                                        {CodeBlank, CodeBlank, CodeBlank, CodeBlank}}};
    // 0 none, 1-4 after position 2, 1, 0 or before 0; 5 two decimals in
    // window 1 and one in windows 2 and 3.
    int point = 0;
    int prefix = PrefixNone;
};

// The screen's quantities (0-11; 100-111 format as 0-11). Screens outside
// both ranges leave the display as it is.
Display format(int screen, const std::array<float, 3>& values, bool aron, const Display& previous = {});

// Which point (g) a window shows for a point position: 0 none.
int pointSlot(int point, int window);

// Screens that make no sense in an Aron connection are skipped.
int aronForward(int screen);
int aronBackward(int screen);

} // namespace controls::vk
