#pragma once

#include "charts/GraphView.h"

class CProfileChoiceDlg;
class CProfileDoc;
class CProfileGraphWnd;
class QMenu;
class QPrinter;
class QScrollArea;

// The view of a profile document: the profile graph on top and, below it,
// the values of every quantity at the graph's cursor in the panel of the
// profile's family (VK or VKT). It routes the graph menu's zoom and grid
// commands to the graph, the cursor keys to the document, the panel's
// quantity choices to the graph, and prints the graph.
class CProfileView : public charts::CGraphView {
    Q_OBJECT
public:
    CGraphWnd* CommandGraph() const override;
    static constexpr int kVKPanelHeight = 90;
    static constexpr int kVKTPanelHeight = 160;
    static constexpr int kMinimumGraph = 300;
    // Graph menu commands of the view beyond the graph's own.
    static constexpr int kCmdZoomAll = 32180;
    static constexpr int kCmdZoomOff = 32196;
    static constexpr int kCmdVertZoomIn = 32191;
    static constexpr int kCmdVertZoomOut = 32192;
    static constexpr int kCmdTimeZoomIn = 32213;
    static constexpr int kCmdTimeZoomOut = 32214;
    static constexpr int kCmdZoomSelection = 32197;
    static constexpr int kCmdGrid = 32235;

    explicit CProfileView(QWidget* parent = nullptr);
    ~CProfileView() override;

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;

    // A command of the "Graf" menu; false when it is not the view's.
    bool OnCommand(int id) override;
    // The "Graf" menu's zooms and grid, in the menu bar and the view's
    // context menu.
    void FillMenu(QMenu& menu) override;
    // Prints the graph; `printer` null asks for one.
    bool PrintGraph(QPrinter* printer = nullptr);
    bool PrintView(QPrinter* printer) override { return PrintGraph(printer); }
    bool CanPrint() const override { return true; }

    // 0 VK profile, 1 VKT profile.
    int Kind() const { return m_kind; }
    int PanelHeight() const { return m_panelHeight; }
    CProfileGraphWnd* Graph() const { return m_graph; }
    CProfileChoiceDlg* Panel() const { return m_panel; }
    // Scrolls the graph and the panel while the view is smaller than they
    // need.
    QScrollArea* ScrollArea() const { return m_scroll; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CProfileDoc* Document() const;
    void Layout();
    void RefreshPanel();
    void ApplyChoices();

    int m_kind = 0;
    QScrollArea* m_scroll;
    QWidget* m_content;
    CProfileChoiceDlg* m_panel = nullptr;
    CProfileGraphWnd* m_graph;
    int m_panelHeight = kVKPanelHeight;
};
