#pragma once

#include <QString>

#include <functional>

class QLineEdit;
class QWidget;

namespace ui {

// A value refused where it was typed. Leaving the field and leaving its page
// (or OK) check the same values, one right after the other, and a message
// box, taking the focus, leaves the field once more: one action of the user
// gets one message. The field at fault takes the focus back, also when the
// page it stands on was being left.
class CFieldRefusal {
public:
    // `owner`: the widget the refusal belongs to; it outlives this object.
    explicit CFieldRefusal(QWidget* owner) : m_owner(owner) {}

    // Says `text` (error caption, warning icon) unless a refusal is on the
    // screen or was said in this same action; `field` takes the focus.
    void Say(const QString& text, QWidget* field);

    // The field `left` has just lost the focus: true when the user moved on
    // to another control of its window, other than a button that cancels
    // the window (a refused value must not keep the user from cancelling).
    static bool MovedOnWithin(const QWidget* left);

    // Calls `left` every time `field` loses the focus, after the field has
    // taken its leave. A line edit says it was edited only when its text
    // changed since it last said so: a refused value left a second time
    // unchanged would pass unchecked.
    static void WhenLeft(QLineEdit* field, std::function<void()> left);

private:
    QWidget* m_owner;
    bool m_saying = false;
    bool m_said = false;
};

} // namespace ui
