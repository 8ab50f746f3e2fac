#pragma once

#include "charts/GridCtrl.h"
#include "charts/StatPeriodDlg.h"
#include "charts/stats/VKStatResult.h"

#include <QWidget>

#include <functional>
#include <vector>

class QTabBar;

// The quantity tabs of the VK and VKR statistics: one tab per group of
// quantities ("Napětí", "Proud", "Výkon", " PF cos", "El. práce",
// "Nesymetrie"), each a grid with the phases as columns and the statistics
// as rows, and the period dialog beside them.
class CStatQuantityTabs : public QWidget {
    Q_OBJECT
public:
    // One row of a tab: its label, whether it is a section caption, and the
    // text of column c of a result (the empty function: a caption).
    struct Row {
        QString label;
        bool section = false;
        std::function<QString(const CVKStatResult& result, int column)> cell;
    };
    struct Layout {
        QStringList columns;
        std::vector<Row> rows;
    };

    explicit CStatQuantityTabs(bool vkr, QWidget* parent = nullptr);

    void SetResult(const CVKStatResult* result);
    const CVKStatResult* Result() const { return m_result; }
    void ShowSelectedTab();
    void ForceRebuild() { m_builtTab = -1; }
    int SelectedTab() const;
    void SelectTab(int tab);

    // The layout of tab `tab` for `result` (null: the captions without a
    // result).
    Layout LayoutOf(int tab, const CVKStatResult* result) const;
    // Prints the selected tab of the current result; false when nothing was
    // printed.
    bool PrintAll(const QString& title);

    CGridCtrl& Grid() { return *m_grid; }
    CArchivePeriodDlg& Period() { return *m_period; }
    QTabBar& Tabs() { return *m_tabs; }

private:
    void FillGrid(CGridCtrl& grid, int tab, bool values) const;

    bool m_vkr = false;
    const CVKStatResult* m_result = nullptr;
    int m_builtTab = -1;
    QTabBar* m_tabs = nullptr;
    CGridCtrl* m_grid = nullptr;
    CArchivePeriodDlg* m_period = nullptr;
};
