#pragma once

#include "link_ui/ModemDialDlg.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>

namespace modemdialtest {

// Runs the window's events until `done` holds (generous bound).
template <class F>
bool PumpUntil(F done, int limitMs = 60000)
{
    const QDeadlineTimer deadline(limitMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// The dial dialog on screen, or null.
inline CModemDialDlg* OpenDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<CModemDialDlg*>(widget); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

inline void ClickButton(CModemDialDlg* dialog)
{
    dialog->findChild<QPushButton*>(QString::number(CModemDialDlg::IdButton))->click();
}

} // namespace modemdialtest
