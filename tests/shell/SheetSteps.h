#pragma once

#include "platform/ui/PropertySheet.h"

#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace shelltest {

enum class Ending { Ok, Cancel, Escape };

// A click on the sheet's tab of that caption, else on the first whose
// caption starts with `prefix`; the caption of the tab then shown (empty
// when there is no such tab).
inline QString ClickTab(ui::CPropertySheet& sheet, const QString& prefix)
{
    QTabWidget* tabs = sheet.Tabs();
    int index = -1;
    for (int i = 0; i < tabs->count() && index < 0; ++i)
        if (tabs->tabText(i) == prefix)
            index = i;
    for (int i = 0; i < tabs->count() && index < 0; ++i)
        if (tabs->tabText(i).startsWith(prefix))
            index = i;
    if (index < 0)
        return {};
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    return tabs->tabText(tabs->currentIndex());
}

// Ends the sheet as the user does: its OK or Cancel button, or Escape.
inline void EndSheet(ui::CPropertySheet& sheet, Ending ending)
{
    switch (ending) {
    case Ending::Ok: QTest::mouseClick(sheet.Button(ui::CPropertySheet::IdOk), Qt::LeftButton); break;
    case Ending::Cancel: QTest::mouseClick(sheet.Button(ui::CPropertySheet::IdCancel), Qt::LeftButton); break;
    case Ending::Escape: QTest::keyClick(&sheet, Qt::Key_Escape); break;
    }
}

} // namespace shelltest
