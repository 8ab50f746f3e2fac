#pragma once

#include "analysers_vk/VKPaneLayout.h"
#include "platform/ui/Document.h"

#include <QPointer>

class CPanelEventList;
class QLabel;
class QListWidget;
class QMenu;

namespace controls {
class CPanelControl;
}

namespace analysers_vk {

class CVKGrafAktual;
class CVKHodnotyDlg;

// The VK form view: the front panel, the measured values, the graph and the
// alarm list tiled over the client area with two draggable dividers. The
// live view and the archive view derive from it.
class CVK01View : public ui::CView {
    Q_OBJECT
public:
    explicit CVK01View(QWidget* parent = nullptr);
    ~CVK01View() override;

    // The scenario names of the panel's list.
    static QStringList ScenarioNames();

    int PaneMask() const;
    void SetPanes(bool graph, bool values, bool alarms, bool panel);
    // Toggles a pane (CVKPaneLayout::Bit); the panes are reset and laid out.
    void TogglePane(int bit);
    void ResetPanes();
    void LayoutPanes();

    int RatioX() const { return m_prickaX; }
    int RatioY() const { return m_prickaY; }
    QSize LayoutExtent() const { return m_extent; }
    QSize ScrollSize() const { return m_scrollSize; }

    CVKGrafAktual* Graph() const { return m_graph; }
    CVKHodnotyDlg* Values() const { return m_values; }
    CPanelEventList* Alarms() const { return m_alarms; }
    controls::CPanelControl* PanelControl() const { return m_panel; }
    QLabel* PanelError() const { return m_panelError; }
    QListWidget* ScenarioList() const { return m_scenarios; }

    // The scenario list over the panel; a chosen item sets the panel's
    // Scenar to its index plus the offset.
    void ShowScenarioList();
    void ChooseScenario(int item);
    int ScenarioOffset() const { return m_scenarioOffset; }

    // "Zobrazené veličiny ...": the graph's quantities chosen in the dialog.
    void OnDisplayedQuantities();

    // The zoom commands and the quantities dialog work only while the graph
    // has its data (an archive view's range is being edited: not).
    virtual bool ZoomAllowed() const { return true; }

    // Builds the view's context menu (pane toggles, zoom, family commands).
    virtual void FillMenu(QMenu& menu);

protected:
    virtual void OnPanesChanged() {}
    virtual void OnFirstRefresh() {}
    virtual void OnQuantitiesChanged() {}
    virtual void OnViewCreated() {}
    virtual void RefillAlarmList() {}
    virtual void PlaceGraph(const QRect& rect, bool show);
    virtual void OnScenarioChanged() {}
    virtual void OnGraphChanged() {}
    virtual void OnSettingsRequested() {}

    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // Panes shown: graph, values, alarms, instrument panel.
    int m_isGraf = 1;
    int m_isData = 1;
    int m_isAlarm = 1;
    int m_isNahled = 0;
    int m_initialised = 0;
    int m_prickaX = 500;
    int m_prickaY = 500;
    int m_scenarioOffset = 0;

private:
    void OnPanelEvent(int id);
    void PlaceScenarioList();

    CVKGrafAktual* m_graph = nullptr;
    CVKHodnotyDlg* m_values = nullptr;
    CPanelEventList* m_alarms = nullptr;
    controls::CPanelControl* m_panel = nullptr;
    QLabel* m_panelError = nullptr;
    QListWidget* m_scenarios = nullptr;
    QSize m_extent;
    QSize m_scrollSize;
    CVKPaneLayout::Divider m_dragging = CVKPaneLayout::kNone;
};

} // namespace analysers_vk
