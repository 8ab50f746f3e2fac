#include "controls/vkr/VKRFormat.h"

#include <algorithm>
#include <cmath>

namespace controls::vkr {

namespace {

using Row = std::array<std::uint8_t, 3>;
constexpr Row kDashes{CodeMinus, CodeMinus, CodeMinus};
constexpr Row kBlank{CodeBlank, CodeBlank, CodeBlank};

long long rounded(double v)
{
    return static_cast<long long>(std::floor(v + 0.5));
}

// Three digits of n (0-999) with the leading zeros the point leaves blank.
Row digits(long long n, int point)
{
    n = std::clamp<long long>(n, 0, 999);
    Row r{static_cast<std::uint8_t>(n / 100), static_cast<std::uint8_t>(n / 10 % 10), static_cast<std::uint8_t>(n % 10)};
    if (r[0] == 0 && point < 2) {
        r[0] = CodeBlank;
        if (r[1] == 0 && point == 0)
            r[1] = CodeBlank;
    }
    return r;
}

struct Scale {
    int point;
    double factor;
    int multiplier;
};

Scale scaleFor(double largest)
{
    struct Step {
        double from;
        Scale scale;
    };
    static constexpr Step steps[] = {
        {1e8, {0, 1e-6, 1000000}}, {1e7, {1, 1e-5, 1000000}}, {1e6, {2, 1e-4, 1000000}},
        {1e5, {0, 1e-3, 1000}},    {1e4, {1, 0.01, 1000}},    {1e3, {2, 0.1, 1000}},
        {100, {0, 1, 1}},          {10, {1, 10, 1}},          {1, {2, 100, 1}},
        {0.001, {3, 1000, 1}},
    };
    for (const Step& s : steps) {
        if (largest >= s.from)
            return s.scale;
    }
    return {0, 1, 1};
}

bool inRange(double v)
{
    return v >= 0 && v <= 1e9;
}

// Three values to three significant digits; rows in `shown` only.
void scaleRows(Display& d, const std::array<double, 3>& v, const std::array<bool, 3>& shown)
{
    double largest = 0;
    for (std::size_t k = 0; k < 3; ++k) {
        if (inRange(v[k]))
            largest = std::max(largest, v[k]);
    }
    const Scale s = scaleFor(largest);
    d.point = s.point;
    d.multiplier = s.multiplier;
    for (std::size_t k = 0; k < 3; ++k) {
        if (!shown[k]) {
            d.rows[k] = kBlank;
        } else if (!inRange(v[k])) {
            d.rows[k] = kDashes;
        } else {
            d.rows[k] = digits(rounded(v[k] * s.factor), s.point);
            d.rowPoint[k] = s.point != 0;
        }
    }
}

std::array<bool, 3> rowsOf(int model, int screen)
{
    if (model == 0)
        return screen == 1 ? std::array<bool, 3>{} : std::array<bool, 3>{true, false, false};
    if (model == 1)
        return screen == 1 ? std::array<bool, 3>{false, true, false} : std::array<bool, 3>{true, true, false};
    return {true, true, true};
}

std::uint8_t modelMark(int model)
{
    return model == 1 ? std::uint8_t{2} : model == 4 ? std::uint8_t{CodeA} : std::uint8_t{3};
}

// Per cent of a ratio 0-1 as 0.xx or 1.00.
Row ratioRow(double v)
{
    const long long n = rounded(v * 100);
    if (n < 0 || n > 100)
        return kDashes;
    return {static_cast<std::uint8_t>(n / 100), static_cast<std::uint8_t>(n / 10 % 10), static_cast<std::uint8_t>(n % 10)};
}

} // namespace

int forward(int screen, int model)
{
    switch (screen) {
    case 1: case 5: case 7: case 9: case 11:
        return model == 0 ? screen + 1 : screen;
    case 4: case 6: case 8: case 10:
        return model == 4 ? screen + 1 : screen;
    default:
        return screen;
    }
}

int backward(int screen, int model)
{
    if (screen == 1)
        return model == 0 ? 15 : screen;
    return forward(screen, model) != screen ? screen - 1 : screen;
}

Display format(int screen, int model, const std::array<float, 3>& values)
{
    Display d;
    const std::array<double, 3> v{values[0], values[1], values[2]};
    const std::array<bool, 3> shown = rowsOf(model, screen);
    switch (screen) {
    case 1:
    case 2:
    case 3:
    case 12:
    case 13:
        scaleRows(d, v, shown);
        if (screen == 1 && d.multiplier == 1 && model < 3)
            d.rowPoint = {};
        if (screen == 3 && model == 4)
            d.rows[1] = kDashes;
        if ((screen == 12 || screen == 13) && d.point > 1) {
            // One digit less: round the shown number to one decimal.
            const long long div = d.point == 2 ? 10 : 100;
            for (std::size_t k = 0; k < 3; ++k) {
                if (!shown[k] || !inRange(v[k]))
                    continue;
                const Row r = d.rows[k];
                const long long n = (r[0] <= 9 ? r[0] : 0) * 100 + (r[1] <= 9 ? r[1] : 0) * 10 + r[2];
                d.rows[k] = digits((n + div / 2) / div, 1);
            }
            d.point = 1;
        }
        break;
    case 4:
    case 6: {
        if (model == 4) {
            d.rows = {kDashes, kDashes, kDashes};
            break;
        }
        std::array<double, 3> a{};
        std::array<bool, 3> marked{};
        for (std::size_t k = 0; k < 3; ++k) {
            marked[k] = v[k] < 0;
            a[k] = std::fabs(v[k]);
        }
        scaleRows(d, a, shown);
        for (std::size_t k = 0; k < 3; ++k) {
            if (marked[k] && shown[k] && d.rows[k] != kDashes) {
                d.rowPoint[k] = true;
                d.pointBlink[k] = true;
            }
        }
        break;
    }
    case 5:
    case 7: {
        const double a = std::fabs(v[1]);
        scaleRows(d, {0, a, 0}, {false, true, false});
        d.rows[0] = {CodeMinus, modelMark(model), CodeMinus};
        if (v[1] < 0 && d.rows[1] != kDashes) {
            d.rowPoint[1] = true;
            d.pointBlink[1] = true;
        }
        break;
    }
    case 8:
        d.point = 2;
        for (std::size_t k = 0; k < 3; ++k) {
            d.rows[k] = shown[k] ? ratioRow(v[k]) : kBlank;
            d.rowPoint[k] = shown[k] && d.rows[k] != kDashes;
        }
        break;
    case 9:
        d.point = 2;
        d.rows[0] = {CodeBlank, modelMark(model), CodeBlank};
        d.rows[1] = ratioRow(v[1]);
        d.rowPoint[1] = d.rows[1] != kDashes;
        break;
    case 10:
        d.point = 2;
        for (std::size_t k = 0; k < 3; ++k) {
            const double a = v[k];
            if (!shown[k]) {
                d.rows[k] = kBlank;
                continue;
            }
            if (!(a >= -3.14159 && a <= 3.14159)) {
                d.rows[k] = kDashes;
                continue;
            }
            const long long n = std::min<long long>(rounded(std::fabs(std::cos(a)) * 100), 100);
            const bool capacitive = a > 1.570795 || (a > -1.570795 && a < 0);
            d.rows[k] = {n == 100 ? std::uint8_t{1} : capacitive ? std::uint8_t{CodeC} : std::uint8_t{0},
                         static_cast<std::uint8_t>(n / 10 % 10), static_cast<std::uint8_t>(n % 10)};
            d.rowPoint[k] = true;
            d.pointBlink[k] = std::fabs(a) > 1.570795;
        }
        break;
    case 11:
        if (model == 0) {
            d.rows = {kDashes, kDashes, kDashes};
            break;
        }
        return format(2, model, values);
    default: {
        // Frequency in tenths, temperature in whole degrees, in row 2.
        const double x = v[1];
        const bool tenths = screen == 14;
        const long long n = rounded(tenths ? x * 10 : x);
        d.point = tenths ? 1 : 0;
        if (x < 0 || n > 999) {
            d.rows[1] = kDashes;
        } else {
            d.rows[1] = digits(n, d.point);
            d.rowPoint[1] = tenths;
        }
        break;
    }
    }
    return d;
}

} // namespace controls::vkr
