#include "platform/ui/FieldRefusal.h"

#include "platform/ui/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>

namespace ui {

namespace {

class CLeaveWatch : public QObject {
public:
    CLeaveWatch(QLineEdit* field, std::function<void()> left) : QObject(field), m_left(std::move(left)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FocusOut || watched != parent() || m_inside)
            return false;
        // The field finishes leaving first (its cursor and selection), so
        // that a refusal giving the focus back finds it left.
        {
            const QScopedValueRollback<bool> inside(m_inside, true);
            static_cast<QObject*>(watched)->event(event);
        }
        m_left();
        return true;
    }

private:
    std::function<void()> m_left;
    bool m_inside = false;
};

} // namespace

void CFieldRefusal::WhenLeft(QLineEdit* field, std::function<void()> left)
{
    field->installEventFilter(new CLeaveWatch(field, std::move(left)));
}

void CFieldRefusal::Say(const QString& text, QWidget* field)
{
    if (!m_saying && !m_said) {
        {
            const QScopedValueRollback<bool> saying(m_saying, true);
            ErrorBox(m_owner, text, MsgButtons::Ok, MsgIcon::Warning);
        }
        // Whatever else of this action finds the same fault keeps quiet.
        m_said = true;
        QTimer::singleShot(0, m_owner, [this] { m_said = false; });
    }
    if (!field)
        return;
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    // A page being left hides the field as this runs; the refused page
    // comes back after it.
    QTimer::singleShot(0, field, [field] {
        if (field->isVisible() && field->isEnabled()) {
            field->setFocus();
            if (auto* edit = qobject_cast<QLineEdit*>(field))
                edit->selectAll();
        }
    });
}

bool CFieldRefusal::MovedOnWithin(const QWidget* left)
{
    const QWidget* next = QApplication::focusWidget();
    if (!left || !next || next == left || next->window() != left->window())
        return false;
    if (auto* button = qobject_cast<const QAbstractButton*>(next)) {
        auto* box = qobject_cast<const QDialogButtonBox*>(button->parentWidget());
        if (box && box->buttonRole(const_cast<QAbstractButton*>(button)) == QDialogButtonBox::RejectRole)
            return false;
    }
    return true;
}

} // namespace ui
