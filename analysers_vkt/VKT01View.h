#pragma once

#include "analysers_vk/VKPaneLayout.h"
#include "platform/ui/Document.h"

class CPanelEventList;
class QLabel;
class QMenu;

namespace controls {
class CPanelControl;
}

namespace analysers_vkt {

class CVKTGrafAktual;
class CVKTHodnotyDlg;

// The VKT form view: graph, measured values, alarm list and front panel
// tiled over the client area by the VK pane arrangement, with two draggable
// dividers. The live view and the archive view derive from it.
class CVKT01View : public ui::CView {
    Q_OBJECT
public:
    using Layout = analysers_vk::CVKPaneLayout;

    explicit CVKT01View(QWidget* parent = nullptr);
    ~CVKT01View() override;

    int PaneMask() const;
    void SetPanes(bool graph, bool values, bool alarms, bool panel);
    // Toggles a pane (CVKPaneLayout::Bit); the dividers are reset.
    void TogglePane(int bit);
    void ResetPanes();
    void LayoutPanes();

    int RatioX() const { return m_prickaX; }
    int RatioY() const { return m_prickaY; }
    QSize ScrollSize() const { return m_scrollSize; }
    QSize LayoutExtent() const { return m_extent; }

    CVKTGrafAktual* Graph() const { return m_graph; }
    CVKTHodnotyDlg* Values() const { return m_values; }
    CPanelEventList* Alarms() const { return m_alarms; }
    controls::CPanelControl* PanelControl() const { return m_panel; }
    QLabel* PanelError() const { return m_panelError; }

    // "Zobrazené veličiny ...": the graph's quantities chosen in the dialog.
    void OnDisplayedQuantities();

    virtual void FillMenu(QMenu& menu);

protected:
    // Hooks of the derived views, called as the Parts of the form need them.
    virtual void OnPanesChanged() {}
    virtual void OnFirstRefresh() {}
    virtual void OnQuantitiesChanged() {}
    virtual void RefillAlarmList() {}
    virtual void OnScenarioChanged() {}
    virtual void OnSettingsRequested() {}
    // The graph pane's rectangle; the archive view shares it among its
    // presentations.
    virtual void PlaceGraph(const QRect& rect, bool show);

    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    int m_isGraf = 1;
    int m_isData = 1;
    int m_isAlarm = 1;
    int m_isNahled = 0;
    int m_initialised = 0;
    int m_prickaX = 500;
    int m_prickaY = 500;
    // The archive view sets it from its range bar.
    int m_graphReady = 1;

private:
    CVKTGrafAktual* m_graph = nullptr;
    CVKTHodnotyDlg* m_values = nullptr;
    CPanelEventList* m_alarms = nullptr;
    controls::CPanelControl* m_panel = nullptr;
    QLabel* m_panelError = nullptr;
    QSize m_extent;
    QSize m_scrollSize;
    Layout::Divider m_dragging = Layout::kNone;
};

} // namespace analysers_vkt
