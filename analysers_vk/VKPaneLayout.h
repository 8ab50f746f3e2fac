#pragma once

#include <QRect>

#include <array>

namespace analysers_vk {

// Where the four panes of a VK form view go. The visible panes form a mask;
// rectangles are in per mille of the layout extent, split by the vertical
// divider (ratio X, a share of the width) and the horizontal one (ratio Y).
struct CVKPaneLayout {
    enum Pane { kGraph = 0, kValues = 1, kAlarms = 2, kPanel = 3, kPaneCount = 4 };
    enum Bit { kGraphBit = 1, kValuesBit = 2, kAlarmsBit = 4, kPanelBit = 8 };
    static constexpr int kMinRatio = 200;
    static constexpr int kMaxRatio = 800;

    struct Rect {
        int l = 0, t = 0, r = 0, b = 0;
        bool valid = false;
    };
    using Rects = std::array<Rect, kPaneCount>;

    // Per-mille rectangles of the panes of `mask` (hidden panes invalid).
    static Rects PaneRects(int mask, int ratioX, int ratioY);
    // A per-mille rectangle as a window position in a W x H extent.
    static QRect ToPixels(const Rect& rect, int width, int height);

    // Which dividers the arrangement has at this mouse position.
    enum Divider { kNone = 0, kX = 1, kY = 2 };
    static Divider HitTest(int mask, int ratioX, int ratioY, int width, int height, int x, int y);
    // The ratio a divider takes for a mouse position, kept within 200..800.
    static int DragRatio(int position, int extent);

    // The minimum pixel sizes of the panes.
    static QSize MinimumSize(Pane pane);
    struct Reset {
        QSize scrollSize;
        int ratioX = 500;
        int ratioY = 500;
    };
    // The form's scroll size and the ratios from the panes' minimum sizes.
    static Reset ResetFor(int mask);
};

// The scenario numbers of the VK front panel: instruments of model code 8
// to 11 count their scenarios from 100.
struct CVKScenario {
    // 1 for codes up to 7 and from 12, 0 for 8 to 11.
    static int SetOf(int modelCode);
    static int Offset(int modelCode) { return SetOf(modelCode) ? 0 : 100; }
    // A Scenar value moved into the set's range (negative: the offset).
    static int Normalise(int scenar, int modelCode);
};

} // namespace analysers_vk
