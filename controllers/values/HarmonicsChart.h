#pragma once

#include <QString>
#include <QStringList>

#include <span>

class QPainter;
class QSize;

namespace controllers {

// The bar chart of odd harmonics in per cent of the fundamental on a
// logarithmic scale (one step at 1 %, 3.33 steps per decade), as the values
// displays of both controllers draw it. A value of 100 or more, or below 0,
// has no value: "--" and no bar.
struct CHarmonicsChart {
    // The Qorin chart: six harmonics, dark red, no title band.
    // The Duskar chart: nine harmonics, dark blue, a caption above a
    // light blue band.
    static void DrawQorin(QPainter& painter, const QSize& size, int logPixelsY, std::span<const float> values);
    static void DrawDuskar(QPainter& painter, const QSize& size, int logPixelsY, std::span<const float> values,
                           const QString& caption);

    static bool HasValue(double value) { return value >= 0 && value < 100; }
    static QString ValueText(double value);
    // The top of a bar whose bottom is y0 - 1 (equal: no bar).
    static int BarTop(double value, int y0, int s);
};

} // namespace controllers
