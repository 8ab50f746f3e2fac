#pragma once

#include "charts_core/GraphTrace.h"
#include "platform/Time32.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>

#include <array>

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

class QFont;
class QLine;
class QPaintDevice;
class QPainter;

// A rectangle as the graphs compute it: right and bottom are the first pixel
// outside, so widths are right - left.
struct CGraphRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    static CGraphRect FromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    bool operator==(const CGraphRect&) const = default;
};

// 0x00BBGGRR as the traces and settings store colours.
QColor ColorFromRef(std::uint32_t colorRef);

// The rows of switch events of one channel: per row the events in time
// order, bit 31 set for a switch-on, bits 0-30 the seconds from the graph's
// time origin.
using CSwitchRows = std::span<const std::vector<std::uint32_t>>;

// One tick of the time axis: pixel offset from the axis start and its label.
struct CTimeTick {
    int offset = 0;
    QString label;
};

// Draws one graph on a painter of any device (widget, image, printer). The
// whole graph lives in a logical space 30000 wide and 15000 high; a zoom
// window in per mille of that space (x from the left, y up from the bottom)
// is mapped onto a device rectangle by SetViewport. Axes, titles and bar
// panels are drawn in device pixels before SetViewport, traces and the
// marker in logical units after it.
class CGraphPainter {
public:
    static constexpr std::uint32_t kMarkerColour = 0x005050FA;
    static constexpr std::uint32_t kGridColour = 0x00B4B4B4;
    static constexpr std::uint32_t kBusyColour = 0x00DEDEDE;
    static constexpr std::uint32_t kBarColour = 0x00000080;

    // The fonts are not owned and must outlive the painter.
    CGraphPainter(QPainter* painter, const QFont* labelFont, const QFont* titleFont);
    virtual ~CGraphPainter();
    CGraphPainter(const CGraphPainter&) = delete;
    CGraphPainter& operator=(const CGraphPainter&) = delete;

    QPainter* Painter() const { return m_painter; }
    int AverageCharWidth() const { return m_charWidth; }
    int TextHeight() const { return m_textHeight; }

    // Maps the zoom window (per mille) onto the device rectangle and clips
    // drawing to it.
    void SetViewport(int left, int top, int right, int bottom, int x0, int y0, int x1, int y1);
    void DeleteClipRegion();
    // Where a logical point lands under the current viewport.
    QPoint LogicalToDevice(int x, int y) const;

    void DrawTrace(const CGraphTrace& trace, int x0, int y0, int x1, int y1);
    // Long traces are drawn through an index kept between paints, and an
    // unchanged one in an unchanged window from the strokes of its last
    // paint; off, every point is walked (tests compare the two).
    static void UseColumnIndex(bool on);
    // Line segments the last DrawTrace drew.
    int LastSegmentCount() const { return m_segments; }
    void DrawMarkerLine(int x, int windowWidth);

    void DrawTimeAxis(const CGraphTrace& trace, CGraphRect& axis, bool grid, int x0, int x1);
    // How far under the plot the time axis's labels reach: a line and a half
    // of `labelFont` on `device` (the screen without one). A layout keeps
    // that much room below the plot, more than its text size where the face
    // has a tall line.
    static int TimeAxisRoom(const QFont& labelFont, const QPaintDevice* device);
    // The numbers are the trace's range divided by its divisor (the prefix
    // of its unit), times `factor`.
    void DrawValueAxis(const CGraphTrace& trace, CGraphRect& axis, bool grid, int gridRight, int y0, int y1,
                       float factor);
    void DrawPowerFactorAxis(const CGraphTrace& trace, CGraphRect& axis, bool grid, int gridRight, int y0, int y1);
    void DrawTitle(const CGraphRect& client, const CGraphRect& plot);
    void DrawBusyNotice(int left, int top, int right, int bottom);

    // Event bar panels over the trace's span and the visible window x0..x1.
    // Stage bars: 14 rows (6 with `compact`); channel bars: 9 rows. A bar
    // still on at the end stops at `newest` (seconds of the span: the newest
    // record), as nothing is known of the time after it.
    static constexpr int kNoNewest = std::numeric_limits<int>::max();
    void DrawStageBars(const std::array<CSwitchRows, 3>& channels, const CGraphRect& panel, int span, int x0, int x1,
                       bool compact, int newest = kNoNewest);
    void DrawChannelBars(const std::array<CSwitchRows, 3>& channels, const CGraphRect& panel, int span, int x0,
                         int x1, int newest = kNoNewest);

    // Axis arithmetic, public for the graphs that lay out their own axes.
    struct AxisStep {
        double step = 0;
        int count = 0;
    };
    static AxisStep ComputeAxisStep(double range, int maxTicks);
    static double RoundUpToStep(double v, double step);
    static int DecimalsOfStep(double step);
    // Labels first + i * step; the power-factor form shows 2 - v from 1 up
    // and -v below.
    static QStringList FormatAxisLabels(int count, double first, double step, bool powerFactor = false);
    // How many labels first, first + step, ... stay within `high`.
    static int LabelCount(double first, double high, double step);
    static std::vector<CTimeTick> BuildTimeTicks(platform::CTime start, int span, int width, int charWidth);

private:
    void DrawLinearAxis(const CGraphTrace& trace, CGraphRect& axis, bool grid, int gridRight, double low, double high,
                        bool powerFactor);
    void DrawBars(const std::array<CSwitchRows, 3>& channels, const std::vector<int>& rowTops, int barHeight,
                  int baseOffset, const CGraphRect& panel, int span, int x0, int x1, int newest);
    void DrawTextIn(const CGraphRect& r, int flags, const QString& text);
    void DrawStrokes(const CGraphTrace& trace, const std::vector<QLine>& lines, int x0, int y0, int x1, int y1);

    QPainter* m_painter;
    const QFont* m_labelFont;
    const QFont* m_titleFont;
    int m_charWidth = 1;
    int m_textHeight = 1;
    int m_segments = 0;

    // The viewport: device = origin + logical * extent / window extent.
    bool m_mapped = false;
    int m_vpOriginX = 0;
    int m_vpOriginY = 0;
    int m_vpExtX = 1;
    int m_vpExtY = 1;
    int m_winExtX = 30000;
    int m_winExtY = 15000;
    CGraphRect m_clip;
};
