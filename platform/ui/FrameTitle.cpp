#include "platform/ui/FrameTitle.h"

#include "platform/ui/ChildFrame.h"
#include "platform/ui/Document.h" // complete type for the frame's document pointer

namespace ui {

CChildFrame* ChildFrameOf(const QWidget* widget)
{
    for (QWidget* w = const_cast<QWidget*>(widget); w; w = w->parentWidget()) {
        if (auto* frame = qobject_cast<CChildFrame*>(w))
            return frame;
    }
    return nullptr;
}

QString FrameTitleOf(const QWidget* widget)
{
    if (!widget)
        return QString();
    if (const CChildFrame* frame = ChildFrameOf(widget))
        return frame->windowTitle();
    const QWidget* top = widget->window();
    return top ? top->windowTitle() : QString();
}

} // namespace ui
