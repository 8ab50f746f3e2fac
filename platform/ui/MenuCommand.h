#pragma once

#include "platform/StringTable.h"

#include <QAction>

namespace ui {

// Gives a command's action the prompt the status bar shows while the
// pointer rests on it, wherever the action sits (a menu, a tool bar).
inline void SetCommandPrompt(QAction* action, int id)
{
    const QString prompt = platform::CommandPrompt(id);
    if (!prompt.isEmpty())
        action->setStatusTip(prompt);
}

// A view's menu item carries the id of the command it runs, as the tool bar
// buttons and the frame's window commands do: the main frame's menu bar,
// which shows the same menu, and whoever looks for a command find it by id.
inline QAction* WithCommandId(QAction* action, int id)
{
    action->setData(id);
    SetCommandPrompt(action, id);
    return action;
}

} // namespace ui
