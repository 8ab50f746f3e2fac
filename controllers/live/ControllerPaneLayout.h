#pragma once

#include "platform/ui/PaneLayout.h"

#include <QPoint>

class QWidget;

namespace controllers {

// The controllers' arrangement of the four panes of their windows: graph,
// values, events and front panel.
struct CControllerPaneLayout : ui::CPaneLayout {
    static constexpr Pane kEvents = kAlarms;
    static constexpr Bit kEventsBit = kAlarmsBit;

    static QSize NaturalSize(Pane pane) { return MinimumSize(pane); }
    static Divider HitTest(int mask, int ratioX, int ratioY, int width, int height, int x, int y)
    {
        return CPaneLayout::HitTest(mask, ratioX, ratioY, width, height, x, y, kHorizontalFirst);
    }
    // The scroll size and the bars from the panes' natural sizes; a bar the
    // arrangement does not use is 0.
    static Reset ResetFor(int mask);
    // The size a window opened for the first time asks for: the shown panes
    // at least at their natural sizes and no smaller than the widgets'
    // own (the front panel's bitmap, readable values), with the bars where
    // they are.
    static QSize FirstSize(int mask, int ratioX, int ratioY, QWidget* const (&panes)[kPaneCount]);
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
