#include "controls/vkt/VKTScreens.h"

#include <initializer_list>

namespace controls::vkt {

namespace {

ScreenNode node(std::initializer_list<int> lit, int next, int previous, int ringPrevious, int ringNext)
{
    ScreenNode n;
    for (int led : lit)
        n.leds[static_cast<std::size_t>(led)] = On;
    n.next = static_cast<std::uint8_t>(next);
    n.previous = static_cast<std::uint8_t>(previous);
    n.ringPrevious = static_cast<std::uint8_t>(ringPrevious);
    n.ringNext = static_cast<std::uint8_t>(ringNext);
    return n;
}

std::array<ScreenNode, ScreenCount> build()
{
    std::array<ScreenNode, ScreenCount> g{};
    // The eight basic quantities, then the distortions.
    const int basic[8] = {LedVLL, LedVLN, LedA, LedW, LedVar, LedVA, LedPF, LedCos};
    for (int s = 0; s < 8; ++s)
        g[static_cast<std::size_t>(s)] = node({basic[s], LedInst}, s + 1, s == 0 ? 60 : s - 1, s, s);
    g[8] = node({LedVLN, LedTHD, LedInst}, 9, 7, 8, 8);
    g[9] = node({LedA, LedTHD, LedInst}, 10, 8, 9, 9);
    // Two rings of 25 harmonic orders.
    for (int s = 10; s <= 34; ++s)
        g[static_cast<std::size_t>(s)] = node({LedVLN, LedHarm, LedInst}, 35, 9, s == 10 ? 34 : s - 1, s == 34 ? 10 : s + 1);
    for (int s = 35; s <= 59; ++s)
        g[static_cast<std::size_t>(s)] = node({LedA, LedHarm, LedInst}, 60, 10, s == 35 ? 59 : s - 1, s == 59 ? 35 : s + 1);
    g[60] = node({LedHz, LedInst}, 0, 35, 60, 60);
    return g;
}

} // namespace

const std::array<ScreenNode, ScreenCount>& screenGraph()
{
    static const std::array<ScreenNode, ScreenCount> graph = build();
    return graph;
}

int harmonicOrder(int screen)
{
    if (screen >= 10 && screen <= 34)
        return screen - 9;
    if (screen >= 35 && screen <= 59)
        return screen - 34;
    return 0;
}

} // namespace controls::vkt
