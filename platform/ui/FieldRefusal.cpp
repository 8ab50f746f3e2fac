#include "platform/ui/FieldRefusal.h"

#include "platform/ui/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>

namespace ui {

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
