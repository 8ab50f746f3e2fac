#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

class QWidget;

namespace controllers {

// Where the four panes of a controller window go. The shown panes form a
// mask (graph 1, values 2, events 4, front panel 8); rectangles are in
// thousandths of the layout extent, split by the vertical bar (X) and the
// horizontal one (Y).
struct CControllerPaneLayout {
    enum Pane { kGraph = 0, kValues = 1, kEvents = 2, kPanel = 3, kPaneCount = 4 };
    enum Bit { kGraphBit = 1, kValuesBit = 2, kEventsBit = 4, kPanelBit = 8 };
    static constexpr int kMinRatio = 200;
    static constexpr int kMaxRatio = 800;

    struct Rect {
        int l = 0, t = 0, r = 0, b = 0;
        bool valid = false;
    };
    using Rects = std::array<Rect, kPaneCount>;

    static int Mask(bool graph, bool values, bool events, bool panel)
    {
        return (graph ? 1 : 0) + (values ? 2 : 0) + (events ? 4 : 0) + (panel ? 8 : 0);
    }
    static Rects PaneRects(int mask, int ratioX, int ratioY);
    // A rectangle in thousandths as pixels of a W x H layout, with a pixel
    // of margin on every side.
    static QRect ToPixels(const Rect& rect, int width, int height);

    enum Divider { kNone = 0, kX = 1, kY = 2 };
    static Divider HitTest(int mask, int ratioX, int ratioY, int width, int height, int x, int y);
    // The ratio a dragged bar takes, kept within 200..800.
    static int DragRatio(int position, int extent);

    static QSize NaturalSize(Pane pane);
    struct Reset {
        QSize scrollSize;
        int ratioX = 0;
        int ratioY = 0;
    };
    // The scroll size and the bars from the panes' natural sizes; a bar the
    // arrangement does not use is 0.
    static Reset ResetFor(int mask);
};

// The mouse on the two bars of a controller window: a press on a bar takes
// it, moves drag it (its ratio kept within the limits), a release lets go;
// over a bar the widget shows the resize cursor.
class CPaneBarDrag {
public:
    void Press(QWidget* widget, int mask, int ratioX, int ratioY, QSize extent, QPoint at);
    // True when a dragged bar moved `ratioX` or `ratioY`: the host lays out.
    bool Move(QWidget* widget, int mask, int& ratioX, int& ratioY, QSize extent, QPoint at);
    bool Release(QWidget* widget, int mask, int& ratioX, int& ratioY, QSize extent, QPoint at);

private:
    CControllerPaneLayout::Divider m_dragging = CControllerPaneLayout::kNone;
};

// The front panel's display menu: the screen the instrument's keys reach.
struct CControllerMenu {
    enum Key { kM, kUp, kDown };
    static int QorinStep(int position, Key key);
    static int DuskarStep(int position, Key key);
};

// What the front-panel control is told from the instrument's model code and
// menu position.
struct CControllerPanelRules {
    static int QorinType(int modelCode);
    static int DuskarType(int modelCode);
    struct Alternative {
        bool on = false;
        int c1 = 0, c2 = 0, c3 = 0, c4 = 0;
    };
    // The Qorin sub-screens 31..36 show an alternative display.
    static Alternative QorinAlternative(int menuPosition);
};

} // namespace controllers
