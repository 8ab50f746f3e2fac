#pragma once

#include <QAction>

namespace ui {

// A view's menu item carries the id of the command it runs, as the tool bar
// buttons and the frame's window commands do: the main frame's menu bar,
// which shows the same menu, and whoever looks for a command find it by id.
inline QAction* WithCommandId(QAction* action, int id)
{
    action->setData(id);
    return action;
}

} // namespace ui
