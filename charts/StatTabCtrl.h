#pragma once

#include "charts/StatQuantityTabs.h"

#include <QWidget>

#include <functional>
#include <vector>

class QTabBar;

// The segments of a statistics result (tabs at the bottom, named by their
// start), each shown through the quantity tabs above them.
class CStatTabCtrl : public QWidget {
    Q_OBJECT
public:
    // family: CStatQuantityTabs::Family.
    explicit CStatTabCtrl(int family, QWidget* parent = nullptr);

    // The panel's results (not owned; the panel frees them and hands over
    // again, or hands over none, before that).
    void SetResults(int count, const CVKStatResult* results);
    // The same for results of a derived record (VKR), one pointer each.
    void SetResults(std::vector<const CVKStatResult*> results);
    // The VKT results.
    void SetResults(std::vector<const CVKTStatResult*> results);
    // The controllers' results.
    void SetResults(std::vector<const CQorinStatResult*> results);
    void OnSelChange();
    void UpdateTab();
    // After the settings changed: the panel recomputes (`refresh`), then the
    // selected tab is shown afresh.
    void SetRefresh(std::function<void()> refresh) { m_refresh = std::move(refresh); }
    void OnSettingsChanged();
    bool PrintAll(const QString& title, QPrinter* printer = nullptr) { return m_quantities->PrintAll(title, printer); }

    int SegmentCount() const { return m_count; }
    int SelectedSegment() const { return m_selected; }
    QTabBar& Segments() { return *m_segments; }
    CStatQuantityTabs& Quantities() { return *m_quantities; }

signals:
    // A segment was chosen: the panel moves the view to its start.
    void segmentSelected(int segment);

private:
    void Rebuild(bool withResults);
    const charts::stats::CStatTail* TailOf(int segment) const;

    CStatQuantityTabs* m_quantities = nullptr;
    QTabBar* m_segments = nullptr;
    int m_count = 1;
    int m_selected = 0;
    std::vector<const CVKStatResult*> m_results;
    std::vector<const CVKTStatResult*> m_vktResults;
    std::vector<const CQorinStatResult*> m_qorinResults;
    std::function<void()> m_refresh;
    bool m_filling = false;
};
