#pragma once
// The item of a view's context menu the user picks by its text.
#include <QAction>
#include <QMenu>
#include <QString>

// Fills `menu` as the view does when the user opens it and returns the item
// showing `text` (null when the menu has none). The item lives as long as
// `menu`.
template <class View>
QAction* ViewMenuAction(View& view, QMenu& menu, const QString& text)
{
    view.FillMenu(menu);
    QAction* found = nullptr;
    for (QAction* action : menu.actions())
        if (action->text() == text)
            found = action;
    return found;
}
