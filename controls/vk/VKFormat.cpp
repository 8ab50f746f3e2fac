#include "controls/vk/VKFormat.h"

#include <algorithm>
#include <cmath>

namespace controls::vk {

namespace {

using Window = std::array<std::uint8_t, 4>;

constexpr Window kOutOfRange{CodeBlank, CodeMinus, CodeMinus, CodeMinus};
constexpr Window kDashes{CodeMinus, CodeMinus, CodeMinus, CodeMinus};

// Rounds half up. The instrument's own rule added 0.5 * 10^-p after scaling
// by 10^p, which for p > 0 truncated instead of rounding.
long long roundScaled(double v, int p)
{
    return static_cast<long long>(std::floor(v * std::pow(10.0, p) + 0.5));
}

// Positions 1-3 from n; a fourth digit goes to position 0 when it is free,
// otherwise the number is held at 999 rather than shown wrapped.
void fillDigits(Window& w, long long n)
{
    n = std::clamp<long long>(n, 0, 9999);
    if (n >= 1000) {
        if (w[0] == CodeBlank)
            w[0] = static_cast<std::uint8_t>(n / 1000);
        else
            n = 999;
    }
    w[1] = static_cast<std::uint8_t>(n / 100 % 10);
    w[2] = static_cast<std::uint8_t>(n / 10 % 10);
    w[3] = static_cast<std::uint8_t>(n % 10);
}

// The window cleared for digits, or null when it shows out of range.
Window* beginWindow(Display& d, std::size_t k, bool out, const Window& outCodes = kOutOfRange)
{
    Window& w = d.windows[k];
    w = out ? outCodes : Window{CodeBlank, CodeBlank, CodeBlank, CodeBlank};
    return out ? nullptr : &w;
}

// Leading zeros before the point are blanked when no digit stands before them.
void blankLeading(Window& w, int p)
{
    const bool digitBefore = w[0] <= 9;
    if (!digitBefore && w[1] == 0 && p < 2) {
        w[1] = CodeBlank;
        if (w[2] == 0 && p == 0)
            w[2] = CodeBlank;
    }
}

// Times m can be divided by 10 while it stays 10 or more.
int decade(double m)
{
    int i = 0;
    while (m >= 10.0) {
        m /= 10.0;
        ++i;
    }
    return i;
}

void magnitude(Display& d, const std::array<float, 3>& values)
{
    std::array<double, 3> v{};
    std::array<bool, 3> out{};
    double m = 0;
    for (std::size_t k = 0; k < 3; ++k) {
        v[k] = std::fabs(static_cast<double>(values[k]));
        out[k] = !(v[k] < 1e8);
        if (!out[k] && v[k] >= 1e7)
            v[k] = 9999000.0;
        if (!out[k])
            m = std::max(m, v[k]);
    }
    const int i = decade(m);
    static constexpr int kPoint[7] = {2, 1, 0, 2, 1, 0, 0};
    d.point = kPoint[std::min(i, 6)];
    d.prefix = i > 2 ? PrefixKilo : PrefixNone;
    for (std::size_t k = 0; k < 3; ++k) {
        Window* pw = beginWindow(d, k, out[k]);
        if (!pw)
            continue;
        Window& w = *pw;
        if (m < 1.0) {
            d.point = 3;
            fillDigits(w, roundScaled(v[k], 3));
            if (w[0] == CodeBlank)
                w[0] = 0;
        } else if (m >= 1e6) {
            fillDigits(w, std::min(roundScaled(v[k] / 1000.0, 0), 9999LL));
        } else {
            const double shown = d.prefix == PrefixKilo ? v[k] / 1000.0 : v[k];
            fillDigits(w, roundScaled(shown, d.point));
        }
        blankLeading(w, d.point);
    }
}

void ratio(Display& d, int screen, const std::array<float, 3>& values)
{
    d.point = 2;
    d.prefix = PrefixNone;
    for (std::size_t k = 0; k < 3; ++k) {
        double v = values[k];
        const bool marked = screen == 4 && v < 0;
        if (v > -1.005 && v < -0.995)
            v = 0.001;
        v = std::fabs(v);
        Window* w = beginWindow(d, k, k == 0 ? v > 1.004 : v >= 1.004);
        if (!w)
            continue;
        if (marked)
            (*w)[0] = CodeC;
        fillDigits(*w, std::min(roundScaled(v, 2), 999LL));
    }
}

void power(Display& d, int screen, const std::array<float, 3>& values)
{
    std::array<double, 3> v{};
    std::array<bool, 3> out{};
    std::array<bool, 3> marked{};
    double m = 0;
    for (std::size_t k = 0; k < 3; ++k) {
        marked[k] = (screen == 6 || screen == 7 || screen == 9) && values[k] < 0;
        v[k] = std::fabs(static_cast<double>(values[k]));
        out[k] = !(v[k] < 1e9);
        if (!out[k])
            m = std::max(m, v[k]);
    }
    const int i = decade(m);
    d.point = (i == 1 || i == 4 || i == 7) ? 1 : (i == 2 || i == 5) ? 0 : i > 7 ? 0 : 2;
    d.prefix = i > 5 ? PrefixMega : i > 2 ? PrefixKilo : PrefixNone;
    const double divisor = d.prefix == PrefixMega ? 1e6 : d.prefix == PrefixKilo ? 1e3 : 1.0;
    for (std::size_t k = 0; k < 3; ++k) {
        Window* pw = beginWindow(d, k, out[k]);
        if (!pw)
            continue;
        Window& w = *pw;
        if (marked[k])
            w[0] = (screen == 7 || (screen == 9 && k == 1)) ? CodeC : CodeMinus;
        fillDigits(w, roundScaled(v[k] / divisor, d.point));
        blankLeading(w, d.point);
    }
}

void screen5(Display& d, const std::array<float, 3>& values)
{
    d.point = 5;
    d.prefix = PrefixNone;
    const double pf = values[0];
    const double f = values[1];
    const double t = values[2];
    struct Item {
        bool out;
        long long n;
        bool minus;
    };
    const Item items[3] = {
        {pf < 0 || pf > 1.004, roundScaled(pf, 2), false},
        {!(f >= 37.19 && f <= 93.01), roundScaled(f, 1), false},
        {!(t <= 999.99 && t > -100), roundScaled(std::fabs(t), 1), t < 0},
    };
    for (std::size_t k = 0; k < 3; ++k) {
        Window* pw = beginWindow(d, k, items[k].out, kDashes);
        if (!pw)
            continue;
        Window& w = *pw;
        const long long n = std::clamp<long long>(items[k].n, 0, 9999);
        w[0] = items[k].minus ? std::uint8_t{CodeMinus} : (n / 1000 == 0 ? std::uint8_t{CodeBlank} : static_cast<std::uint8_t>(n / 1000));
        w[1] = static_cast<std::uint8_t>(n / 100 % 10);
        w[2] = static_cast<std::uint8_t>(n / 10 % 10);
        w[3] = static_cast<std::uint8_t>(n % 10);
        if (k > 0 && w[0] == CodeBlank && w[1] == 0)
            w[1] = CodeBlank;
    }
}

void distortion(Display& d, const std::array<float, 3>& values)
{
    const double a = values[0];
    const double b = values[1];
    const double c = values[2];
    // Distortion is never negative; a negative value is a failed measurement.
    const bool out1 = a < 0 || a >= 840.5;
    const bool out2 = out1 || b < 0 || b >= 840.5;
    const bool out3 = out1 || c < 0 || c >= 840.5;
    const bool out[3] = {out1, out2, out3};
    d.point = (a < 100 && b < 100 && c < 100) ? 1 : 0;
    d.prefix = PrefixNone;
    for (std::size_t k = 0; k < 3; ++k) {
        Window* pw = beginWindow(d, k, out[k]);
        if (!pw)
            continue;
        Window& w = *pw;
        fillDigits(w, roundScaled(values[k], d.point));
        blankLeading(w, d.point);
    }
}

} // namespace

Display format(int screen, const std::array<float, 3>& values, bool aron, const Display& previous)
{
    const int s = screen >= 100 ? screen - 100 : screen;
    if (s < 0 || s > 11)
        return previous;
    Display d;
    switch (s) {
    case 0:
    case 1:
    case 3:
        magnitude(d, values);
        break;
    case 2:
    case 4:
        ratio(d, s, values);
        break;
    case 5:
        screen5(d, values);
        break;
    case 10:
    case 11:
        distortion(d, values);
        break;
    default:
        power(d, s, values);
        break;
    }
    if (aron && (s == 3 || s == 10))
        d.windows[1] = {CodeBlank, CodeBlank, CodeBlank, CodeBlank};
    return d;
}

int pointSlot(int point, int window)
{
    if (point == 5)
        return window == 0 ? 2 : 1;
    return point >= 1 && point <= 4 ? point : 0;
}

int aronForward(int screen)
{
    switch (screen) {
    case 0: return 1;
    case 2: return 3;
    case 4: return 5;
    case 6: case 7: case 8: return 9;
    case 100: return 101;
    case 102: return 103;
    case 104: return 105;
    case 106: case 107: case 108: return 109;
    default: return screen;
    }
}

int aronBackward(int screen)
{
    switch (screen) {
    case 0: return 11;
    case 2: return 1;
    case 4: return 3;
    case 6: case 7: case 8: return 5;
    case 100: return 111;
    case 102: return 101;
    case 104: return 103;
    case 106: case 107: case 108: return 105;
    default: return screen;
    }
}

} // namespace controls::vk
