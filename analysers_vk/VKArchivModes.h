#pragma once

#include <QRect>

class CArchivDocBase;
class CArchivNavigator;
class CGraphRangeBar;
class CGraphWnd;
class CStatPanel;
class QWidget;

namespace charts {
class CArchiveValueList;
}

namespace analysers_vk {

// The graph pane of an analyser's archive view, shared in turn by three
// presentations of the archive under one range bar: the time graph (mode
// 0), the record list (1) and the statistics panel (2); any other mode
// hides all of them. The VK and VKR archive views each own one, made over
// their own graph, list and statistics panel (children of the view, which
// receives the range bar's messages).
class CVKArchivModes {
public:
    enum Mode { kGraph = 0, kList = 1, kStatistics = 2 };
    static constexpr int kListId = 154;
    static constexpr int kBarHeight = 24;

    // Makes the range bar as a child of `view`; nothing is owned here.
    CVKArchivModes(QWidget* view, CGraphWnd* graph, charts::CArchiveValueList* list, CStatPanel* stats);

    CGraphRangeBar* RangeBar() const { return m_bar; }
    int Mode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    // A mode chosen elsewhere (the archive tool bar) shows on the bar's tab.
    void ShowModeTab();
    // The widget of the present mode; null for a mode without one.
    QWidget* Presentation() const;

    // The pane's rectangle in pixels (the base layout's graph pane): the
    // bar across its top, the presentation of the mode below it; with the
    // pane hidden the bar and all three are hidden.
    void Place(const QRect& pane, bool show);
    // The range bar's limits are set (1) or being edited (0): the graph,
    // the list and the statistics panel show data only while they are set.
    void SetReady(bool ready);
    bool Ready() const { return m_ready; }
    // The bar gets the file's range and the window in force.
    void UpdateRange(CArchivNavigator& navigator);

    // Before the list is printed or exported: a file that changed meanwhile
    // is read again and nothing may be printed, which the user is told.
    // True when the list still shows the file.
    static bool UnchangedForPrint(QWidget* owner, CArchivDocBase& document);

private:
    CGraphRangeBar* m_bar;
    CGraphWnd* m_graph;
    charts::CArchiveValueList* m_list;
    CStatPanel* m_stats;
    int m_mode = kGraph;
    bool m_ready = false;
};

} // namespace analysers_vk
