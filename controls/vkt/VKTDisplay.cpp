#include "controls/vkt/VKTDisplay.h"

#include <algorithm>
#include <cmath>

namespace controls::vkt {

namespace {

constexpr double kPi = 3.14159265358979323846;

long long roundHalfUp(double v)
{
    return static_cast<long long>(std::floor(v + 0.5));
}

double pow10(int d)
{
    return std::pow(10.0, d);
}

// Integer digits of y: 1, 2 or 3.
int integerDigits(double y)
{
    return y >= 100 ? 3 : y >= 10 ? 2 : 1;
}

// Decimals the largest value leaves for four cells, at most D.
int decimalsFor(double largest, int maxDecimals)
{
    return std::min({4 - integerDigits(largest), 3, maxDecimals});
}

int decimalsOfScreen(int screen)
{
    switch (screen) {
    case 0: case 1: case 6: return 2;
    case 2: case 4: case 5: return 3;
    default: return 1; // 3, 8 and 9
    }
}

} // namespace

std::array<int, 4> Display::shownCodes(int window) const
{
    std::array<int, 4> codes{};
    for (int c = 0; c < 4; ++c) {
        const Cell& x = cell(window, c);
        codes[static_cast<std::size_t>(c)] = x.digitState == BlinkDark ? GlyphBlank : x.code;
    }
    return codes;
}

void Display::joinBlink(int window, int position)
{
    // A cell is listed once: listed twice it would be toggled back within the same tick.
    auto& list = m_blink[static_cast<std::size_t>(window)];
    const int i = static_cast<int>(index(window, position));
    if (std::find(list.begin(), list.end(), i) == list.end())
        list.push_back(i);
}

void Display::showValue(int window, double v, int decimals, Flags flags)
{
    decimals = std::clamp(decimals, 0, 3);
    showNumber(window, roundHalfUp(v * pow10(decimals)), decimals, flags);
}

void Display::showNumber(int window, long long scaled, int decimals, Flags flags)
{
    if (window < 0 || window >= Windows)
        return;
    if (flags.dashes || flags.blank) {
        for (int c = 0; c < 4; ++c) {
            Cell& x = cell(window, c);
            x.code = flags.dashes ? GlyphMinus : GlyphBlank;
            x.point = false;
        }
    } else {
        decimals = std::clamp(decimals, 0, 3);
        const long long n = std::clamp<long long>(scaled, 0, 9999);
        const int digits[4] = {static_cast<int>(n / 1000), static_cast<int>(n / 100 % 10),
                               static_cast<int>(n / 10 % 10), static_cast<int>(n % 10)};
        const int pointCell = 3 - decimals; // 0-based cell 4 - d
        bool leading = true;
        for (int c = 0; c < 4; ++c) {
            Cell& x = cell(window, c);
            leading = leading && c < pointCell && digits[c] == 0;
            x.code = leading ? GlyphBlank : digits[c];
            x.point = decimals > 0 && c == pointCell;
        }
    }
    for (int c = 0; c < 4; ++c) {
        Cell& x = cell(window, c);
        if (flags.blink && x.digitState == Steady && x.pointState == Steady) {
            x.digitState = BlinkLit;
            x.pointState = BlinkLit;
            joinBlink(window, c);
        }
        if (flags.negative) {
            if (x.pointState == Steady)
                x.pointState = BlinkLit;
            joinBlink(window, c);
        }
        x.dirty = true;
    }
}

void Display::showWhole(int window, long long n, Flags flags)
{
    const bool negative = n < 0;
    n = std::min<long long>(std::llabs(n), 999);
    showValue(window, 0, 0, {flags.blink, false, true, false});
    if (flags.dashes || n == 0)
        return;
    int c = 3;
    for (long long rest = n; rest > 0 && c >= 0; rest /= 10, --c)
        cell(window, c).code = static_cast<int>(rest % 10);
    if (negative && c >= 0)
        cell(window, c).code = GlyphMinus;
}

void Display::stopBlinking()
{
    for (auto& list : m_blink) {
        for (int i : list) {
            Cell& x = m_cells[static_cast<std::size_t>(i)];
            x.digitState = Steady;
            x.pointState = Steady;
            x.dirty = true;
        }
        list.clear();
    }
}

void Display::toggleBlinking()
{
    const auto swap = [](int& state) {
        if (state == BlinkLit)
            state = BlinkDark;
        else if (state == BlinkDark)
            state = BlinkLit;
    };
    for (const auto& list : m_blink) {
        for (int i : list) {
            Cell& x = m_cells[static_cast<std::size_t>(i)];
            swap(x.digitState);
            swap(x.pointState);
            x.dirty = true;
        }
    }
}

void Display::markAllDirty()
{
    for (Cell& c : m_cells)
        c.dirty = true;
}

Multipliers Display::format(int screen, const std::array<float, 4>& values, std::uint32_t priznaky)
{
    stopBlinking();
    Multipliers result;
    if (screen < 0 || screen > 60)
        return result;

    // Values made positive with their marks; the nibble's bits applied.
    struct Item {
        double v;
        Flags f;
    };
    const auto prepare = [&](int window) {
        Item it{values[static_cast<std::size_t>(window)], flagsOf(priznaky, window)};
        const unsigned nibble = (priznaky >> (4 * window)) & 0xFU;
        it.f.negative = it.v < 0;
        it.v = std::fabs(it.v);
        if (nibble & 2U)
            it.v = 0;
        return it;
    };

    if (screen == 7) {
        for (int w = 0; w < Windows; ++w) {
            const double angle = values[static_cast<std::size_t>(w)] / 10000.0;
            Flags f = flagsOf(priznaky, w);
            const bool inside = angle >= -kPi && angle <= kPi;
            const bool secondOrThird = inside && std::fabs(angle) > kPi / 2;
            const double shown = std::fabs(std::cos(angle));
            f.negative = secondOrThird;
            showValue(w, shown, 2, f);
            const bool capacitive = (angle > kPi / 2 && angle <= kPi) || (angle >= -kPi / 2 && angle < 0);
            if (!f.dashes && !f.blank && capacitive && roundHalfUp(shown * 100) != 1)
                cell(w, 0).code = GlyphC;
        }
        return result;
    }

    if (screen >= 10 && screen <= 59) {
        const int maxDecimals = screen <= 34 ? 2 : 3;
        std::array<Item, 3> items{};
        double largest = 0;
        for (int w = 0; w < 3; ++w) {
            Item it = prepare(w);
            if (it.v > 999.9) {
                it.v = 999.9;
                it.f.blink = true;
            }
            if (it.f.dashes || it.f.blank)
                it.v = 0;
            largest = std::max(largest, it.v);
            items[static_cast<std::size_t>(w)] = it;
        }
        const int d = decimalsFor(largest, maxDecimals);
        for (int w = 0; w < 3; ++w)
            showValue(w, items[static_cast<std::size_t>(w)].v, d, items[static_cast<std::size_t>(w)].f);
        Item lower = prepare(LowerWindow);
        if (lower.f.dashes || lower.f.blank)
            lower.v = 0;
        if (roundHalfUp(lower.v) >= 1000) {
            lower.v /= 1000;
            result.lower = 1000;
        }
        showValue(LowerWindow, lower.v, decimalsFor(lower.v, maxDecimals), lower.f);
        return result;
    }

    if (screen == 60) {
        blankWindow(0);
        blankWindow(2);
        Item it = prepare(1);
        if (it.v > 99.99) {
            it.v = 99.99;
            it.f.blink = true;
        }
        if (it.f.dashes || it.f.blank)
            it.v = 0;
        const double rounded = roundHalfUp(it.v * 100) / 100.0;
        showValue(1, it.v, decimalsFor(rounded, 2), it.f);
        const Flags lowerFlags = flagsOf(priznaky, LowerWindow);
        const unsigned nibble = (priznaky >> 12) & 0xFU;
        const double t = values[LowerWindow];
        long long whole = static_cast<long long>(std::trunc(std::fabs(t)));
        if (nibble & 0xEU)
            whole = 0;
        whole = std::min<long long>(whole, 999);
        showWhole(LowerWindow, t < 0 ? -whole : whole, {lowerFlags.blink, false, false, false});
        return result;
    }

    // The generic rule, for the upper windows together and the lower alone.
    const int maxDecimals = decimalsOfScreen(screen);
    const auto generic = [&](int first, int last) {
        std::vector<Item> items;
        double largest = 0;
        for (int w = first; w <= last; ++w) {
            Item it = prepare(w);
            if (it.v >= 1e9) {
                it.v = 999900032.0;
                it.f.blink = true;
            }
            const double counted = (it.f.dashes || it.f.blank) ? 0 : it.v;
            largest = std::max(largest, counted);
            items.push_back(it);
        }
        int multiplier = largest >= 1e6 ? 1000000 : largest >= 1000 ? 1000 : 1;
        double y = roundHalfUp(largest * pow10(maxDecimals) / multiplier) / pow10(maxDecimals);
        if (y >= 1000) {
            y /= 1000;
            multiplier *= 1000;
        }
        const int d = decimalsFor(y, maxDecimals);
        for (int w = first; w <= last; ++w) {
            const Item& it = items[static_cast<std::size_t>(w - first)];
            // Scaled by the decimals before the multiplier divides, so that halves round up exactly.
            showNumber(w, roundHalfUp(it.v * pow10(d) / multiplier), d, it.f);
        }
        return multiplier;
    };
    result.upper = generic(0, 2);
    result.lower = generic(LowerWindow, LowerWindow);
    return result;
}

} // namespace controls::vkt
