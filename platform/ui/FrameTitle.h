#pragma once

#include <QString>

class QWidget;

namespace ui {

class CChildFrame;

// The child frame holding the widget (the widget itself when it is one);
// null outside the MDI area.
CChildFrame* ChildFrameOf(const QWidget* widget);
// The title of the window a widget belongs to as the user sees it: its child
// frame's title inside the MDI area (window() would name the main window
// there), else its top-level window's. Printouts name their document by it.
QString FrameTitleOf(const QWidget* widget);

} // namespace ui
