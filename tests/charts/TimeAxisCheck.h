#pragma once
// Where a graph's time axis puts its ticks and where the cursor line stands,
// read from the pixels of the rendered graph: the axis, the curves, the
// cursor and the clicks must all count time over the same plot.
#include "charts/GraphPainter.h"
#include "charts/GraphWnd.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <map>
#include <vector>

namespace timeaxis {

// The x of each tick below the time axis line (it runs two pixels under the
// plot, the ticks reach a few pixels further down; the labels start lower).
inline std::vector<int> TickXs(const QImage& image, const CGraphRect& plot)
{
    std::vector<int> xs;
    const int y = plot.bottom + 4;
    if (y < 0 || y >= image.height())
        return xs;
    for (int x = std::max(plot.left, 0); x <= plot.right && x < image.width(); ++x)
        if (qGray(image.pixel(x, y)) < 96 && (xs.empty() || xs.back() != x - 1))
            xs.push_back(x);
    return xs;
}

// The x of the cursor line: the column of the plot with the most pixels of
// the marker's colour (it darkens white to that colour); -1 without one.
inline int MarkerX(const QImage& image, const CGraphRect& plot)
{
    const QRgb marker = ColorFromRef(CGraphPainter::kMarkerColour).rgb();
    std::map<int, int> counts;
    for (int y = plot.top + 1; y < plot.bottom; ++y)
        for (int x = std::max(plot.left - 2, 0); x < plot.right + 2 && x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (marker & 0xFFFFFF))
                ++counts[x];
    int best = -1;
    int most = plot.Height() / 3;
    for (const auto& [x, n] : counts)
        if (n > most) {
            most = n;
            best = x;
        }
    return best;
}

// The seconds from the axis start at x, with the first and last ticks
// standing for `first` and `last` seconds.
inline double SecondsAt(const std::vector<int>& ticks, int x, double first, double last)
{
    if (ticks.size() < 2 || ticks.back() == ticks.front())
        return -1;
    return first + (last - first) * double(x - ticks.front()) / double(ticks.back() - ticks.front());
}

// A click on the middle tick of a graph's axis `span` seconds wide, and where
// the cursor stands after it: both in seconds from the axis start, with the
// seconds of one pixel. The ticks must run from the axis start to its end.
struct TickClick {
    double tick = -1;
    double marker = -1;
    double pixel = 0;
};

inline TickClick ClickMiddleTick(CGraphWnd* graph, double span)
{
    TickClick result;
    const CGraphRect plot = graph->PlotRect();
    const std::vector<int> ticks = TickXs(graph->RenderImage(), plot);
    if (ticks.size() < 3)
        return result;
    const int x = ticks[ticks.size() / 2];
    result.tick = SecondsAt(ticks, x, 0, span);
    result.pixel = span / std::max(plot.Width(), 1);
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(x, (plot.top + plot.bottom) / 2));
    QCoreApplication::processEvents();
    result.marker = SecondsAt(ticks, MarkerX(graph->RenderImage(), graph->PlotRect()), 0, span);
    return result;
}

} // namespace timeaxis
