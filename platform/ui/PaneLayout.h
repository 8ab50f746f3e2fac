#pragma once

#include <QRect>
#include <QSize>

#include <array>

class QWidget;

namespace ui {

// Where the four panes of an instrument's form view go (graph, values,
// alarms and events, front panel). The shown panes form a mask; rectangles
// are in thousandths of the layout extent, split by the vertical divider
// (ratio X, a share of the width) and the horizontal one (ratio Y).
//
// The analysers and the controllers arrange the panes alike but size their
// scroll area and take the divider crossing each in their own way, which
// their stored layouts rely on: `Style` holds those differences.
struct CPaneLayout {
    enum Pane { kGraph = 0, kValues = 1, kAlarms = 2, kPanel = 3, kPaneCount = 4 };
    enum Bit { kGraphBit = 1, kValuesBit = 2, kAlarmsBit = 4, kPanelBit = 8 };
    static constexpr int kMinRatio = 200;
    static constexpr int kMaxRatio = 800;

    struct Rect {
        int l = 0, t = 0, r = 0, b = 0;
        bool valid = false;
    };
    using Rects = std::array<Rect, kPaneCount>;

    static int Mask(bool graph, bool values, bool alarms, bool panel)
    {
        return (graph ? kGraphBit : 0) | (values ? kValuesBit : 0) | (alarms ? kAlarmsBit : 0) |
               (panel ? kPanelBit : 0);
    }
    // Thousandth rectangles of the panes of `mask` (hidden panes invalid).
    static Rects PaneRects(int mask, int ratioX, int ratioY);
    // A thousandth rectangle as pixels of a W x H extent, with a pixel of
    // margin on every side.
    static QRect ToPixels(const Rect& rect, int width, int height);

    // Which divider the arrangement has at this mouse position.
    enum Divider { kNone = 0, kX = 1, kY = 2 };
    // Where both dividers of the four-pane arrangement cross, one of them
    // is taken.
    enum Crossing { kVerticalFirst, kHorizontalFirst };
    static Divider HitTest(int mask, int ratioX, int ratioY, int width, int height, int x, int y, Crossing crossing);
    // The ratio a dragged divider takes, kept within 200..800.
    static int DragRatio(int position, int extent);

    // The minimum pixel sizes of the panes.
    static QSize MinimumSize(Pane pane);

    struct Style {
        // The ratio of a divider the arrangement does not use.
        int unusedRatio;
        // Added to the taller (wider) of two panes side by side (stacked).
        int besidePad;
        // The scroll size with no pane shown.
        QSize empty;
        // Values on the left beside alarms over the panel: added to the
        // values pane's height.
        int tallLeftPad;
        // A pane across the top: the vertical divider splits the whole
        // width (true) or the two panes below as they need it.
        bool acrossTopShareOfWidth;
    };
    struct Reset {
        QSize scrollSize;
        int ratioX = 500;
        int ratioY = 500;
    };
    // The scroll size and the dividers from the panes' minimum sizes.
    static Reset ResetFor(int mask, const Style& style);

    // The smallest layout extent in which every shown pane of `mask`, with
    // the dividers where they are, gets at least its wanted pixel size.
    using Sizes = std::array<QSize, kPaneCount>;
    static QSize ExtentFor(int mask, int ratioX, int ratioY, const Sizes& wanted);
    // The size a window opened for the first time asks for: the shown panes
    // at least at their minimum sizes and no smaller than the widgets' own
    // (a front panel's bitmap, readable values), with the dividers where
    // they are, and never below `floor` (the arrangement's scroll size).
    static QSize FirstSize(int mask, int ratioX, int ratioY, QWidget* const (&panes)[kPaneCount], QSize floor);
    // The same from the sizes the panes ask for (an empty size: the minimum
    // only), for a pane that holds more than one widget.
    static QSize FirstSize(int mask, int ratioX, int ratioY, const Sizes& own, QSize floor);
};

} // namespace ui
