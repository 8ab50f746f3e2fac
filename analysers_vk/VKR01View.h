#pragma once

#include "analysers_vk/VKPaneLayout.h"
#include "platform/ui/Document.h"

class CPanelEventList;
class QMenu;

namespace analysers_vk {

class CVKGrafAktual;
class CVKRHodnotyDlg;
class CVKRPlochaDlg;

// The VKR form view: the graph, the measured values, the front panel and
// the alarm list tiled by the VK pane arrangement, with two draggable
// dividers. The live view derives from it.
class CVKR01View : public ui::CView {
    Q_OBJECT
public:
    explicit CVKR01View(QWidget* parent = nullptr);
    ~CVKR01View() override;

    int PaneMask() const;
    void SetPanes(bool graph, bool values, bool alarms, bool panel);
    void TogglePane(int bit);
    void ResetPanes();
    void LayoutPanes();
    int RatioX() const { return m_prickaX; }
    int RatioY() const { return m_prickaY; }

    CVKGrafAktual* Graph() const { return m_graph; }
    CVKRHodnotyDlg* Values() const { return m_values; }
    CPanelEventList* Alarms() const { return m_alarms; }
    CVKRPlochaDlg* Panel() const { return m_panel; }

    // "Zobrazené veličiny ...": the graph's quantities chosen in the dialog.
    void OnDisplayedQuantities();
    virtual void FillMenu(QMenu& menu);

protected:
    virtual void OnPanesChanged() {}
    virtual void RefillAlarmList() {}
    virtual void OnScreenChanged() {}
    virtual void OnQuantitiesChanged() {}
    virtual void OnGraphChanged() {}
    // The graph pane's rectangle in pixels; the archive view puts its range
    // bar and presentations there.
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
    // The archive view has no instrument behind it and no front panel.
    bool m_hasPanel = true;

private:
    CVKGrafAktual* m_graph = nullptr;
    CVKRHodnotyDlg* m_values = nullptr;
    CPanelEventList* m_alarms = nullptr;
    CVKRPlochaDlg* m_panel = nullptr;
    QSize m_extent;
    QSize m_scrollSize;
    CVKPaneLayout::Divider m_dragging = CVKPaneLayout::kNone;
};

} // namespace analysers_vk
