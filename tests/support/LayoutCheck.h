#pragma once

// What a person sees wrong in a laid-out window: two visible controls on
// top of each other, a visible control cut off by the window's edge, a
// control that should be hidden showing.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStringList>
#include <QTabBar>
#include <QWidget>

#include <vector>

namespace testsupport {

// A widget the user reads or works: a button, check or radio box, edit,
// list, label, progress bar or tab row. Their inner parts (a combo box's
// edit, a spin box's buttons) are not controls of their own.
inline bool IsControl(const QWidget* widget)
{
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget)
           || qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLabel*>(widget)
           || qobject_cast<const QProgressBar*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget)
           || qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QTabBar*>(widget);
}

inline QString Describe(const QWidget* widget)
{
    QString text;
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        text = button->text();
    else if (const auto* label = qobject_cast<const QLabel*>(widget))
        text = label->text();
    return QStringLiteral("%1 %2 \"%3\"")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(), text);
}

// The controls of `window` that are visible, each with its rectangle in
// the window's coordinates. `window` may also be a part of a window, a
// view in its frame.
inline std::vector<std::pair<const QWidget*, QRect>> VisibleControls(const QWidget* window)
{
    std::vector<std::pair<const QWidget*, QRect>> controls;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!IsControl(widget) || !widget->isVisible() || widget->window() != window->window())
            continue;
        bool inner = false;
        for (const QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget())
            inner = inner || IsControl(up);
        if (inner)
            continue;
        controls.emplace_back(widget, QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()));
    }
    return controls;
}

// Every overlap of two visible controls and every visible control not
// wholly inside the window; empty when the window is laid out well.
inline QStringList LayoutFaults(const QWidget* window)
{
    QStringList faults;
    const auto controls = VisibleControls(window);
    for (const auto& [widget, rect] : controls) {
        if (!window->rect().contains(rect))
            faults << QStringLiteral("%1 at %2,%3 %4x%5 lies outside the window %6x%7")
                          .arg(Describe(widget))
                          .arg(rect.x())
                          .arg(rect.y())
                          .arg(rect.width())
                          .arg(rect.height())
                          .arg(window->width())
                          .arg(window->height());
        if (rect.isEmpty())
            faults << QStringLiteral("%1 has no room").arg(Describe(widget));
    }
    for (std::size_t i = 0; i < controls.size(); ++i)
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            if (controls[i].second.intersects(controls[j].second))
                faults << QStringLiteral("%1 overlaps %2").arg(Describe(controls[i].first), Describe(controls[j].first));
    return faults;
}

} // namespace testsupport
