#pragma once

#include "charts/GridCtrl.h"
#include "charts/StatPeriodDlg.h"
#include "charts_stats/QorinStatistics.h"
#include "charts_stats/VKStatResult.h"
#include "charts_stats/VKTStatResult.h"

#include <QWidget>

#include <functional>
#include <vector>

class QTabBar;

// One row of a quantity tab: its label, whether it is a section caption, and
// the text of column c of a result (the empty function: a caption).
template <class R>
struct TStatRow {
    QString label;
    bool section = false;
    std::function<QString(const R& result, int column)> cell;
};
template <class R>
struct TStatLayout {
    QStringList columns;
    std::vector<TStatRow<R>> rows;
};

// The quantity tabs of the statistics: one tab per group of quantities
// ("Napětí", "Proud", "Výkon", " PF cos", "El. práce", "Nesymetrie"; for the
// controllers "Proud", "Výkon", "Cos"), each a grid with the phases as
// columns and the statistics as rows, and the period dialog beside them.
class CStatQuantityTabs : public QWidget {
    Q_OBJECT
public:
    enum Family { kVK = 0, kVKR = 1, kVKT = 2, kQorin = 3 };
    using Row = TStatRow<CVKStatResult>;
    using Layout = TStatLayout<CVKStatResult>;
    using VKTLayout = TStatLayout<CVKTStatResult>;
    using QorinLayout = TStatLayout<CQorinStatResult>;

    explicit CStatQuantityTabs(int family, QWidget* parent = nullptr);

    void SetResult(const CVKStatResult* result);
    void SetResult(const CVKTStatResult* result);
    void SetResult(const CQorinStatResult* result);
    const CVKStatResult* Result() const { return m_result; }
    const CVKTStatResult* VKTResult() const { return m_vktResult; }
    const CQorinStatResult* QorinResult() const { return m_qorinResult; }
    void ShowSelectedTab();
    void ForceRebuild() { m_builtTab = -1; }
    int SelectedTab() const;
    void SelectTab(int tab);

    // The layout of tab `tab` for `result` (null: the captions without a
    // result).
    Layout LayoutOf(int tab, const CVKStatResult* result) const;
    VKTLayout VKTLayoutOf(int tab, const CVKTStatResult* result) const;
    // The controllers' tabs (StatQorinLayout.cpp).
    QorinLayout QorinLayoutOf(int tab, const CQorinStatResult* result) const;
    // Prints the selected tab of the current result on `printer` (null:
    // the user chooses one); false when nothing was printed.
    bool PrintAll(const QString& title, QPrinter* printer = nullptr);

    CGridCtrl& Grid() { return *m_grid; }
    CArchivePeriodDlg& Period() { return *m_period; }
    // The controllers' period, with the required power factor; null in the
    // other families.
    CQorinPeriodDlg* QorinPeriod() { return m_qorinPeriod; }
    QTabBar& Tabs() { return *m_tabs; }

private:
    void FillGrid(CGridCtrl& grid, int tab, bool values) const;

    const charts::stats::CStatTail* Tail() const;

    int m_family = kVK;
    bool m_vkr = false;
    const CVKStatResult* m_result = nullptr;
    const CVKTStatResult* m_vktResult = nullptr;
    const CQorinStatResult* m_qorinResult = nullptr;
    int m_builtTab = -1;
    QTabBar* m_tabs = nullptr;
    CGridCtrl* m_grid = nullptr;
    CArchivePeriodDlg* m_period = nullptr;
    CQorinPeriodDlg* m_qorinPeriod = nullptr;
};
