#pragma once

#include "analysers_vk/VKFormView.h"

class CPanelEventList;
class QLabel;

namespace controls {
class CPanelControl;
}

namespace analysers_vkt {

class CVKTGrafAktual;
class CVKTHodnotyDlg;

// The VKT form view: graph, measured values, alarm list and front panel
// tiled over the client area by the VK pane arrangement, with two draggable
// dividers. The live view and the archive view derive from it.
class CVKT01View : public analysers_vk::CVKFormView {
    Q_OBJECT
public:
    using Layout = analysers_vk::CVKPaneLayout;

    explicit CVKT01View(QWidget* parent = nullptr);
    ~CVKT01View() override;

    CVKTGrafAktual* Graph() const { return m_graph; }
    CVKTHodnotyDlg* Values() const { return m_values; }
    CPanelEventList* Alarms() const { return m_alarms; }
    controls::CPanelControl* PanelControl() const { return m_panel; }
    QLabel* PanelError() const { return m_panelError; }

    void OnDisplayedQuantities() override;
    bool ZoomAllowed() const override { return m_graphReady != 0; }

protected:
    // Hooks of the derived views, called as the Parts of the form need them.
    virtual void OnFirstRefresh() {}
    virtual void OnScenarioChanged() {}
    virtual void OnSettingsRequested() {}
    // The graph waits for the archive view's range; the instrument panel
    // belongs to live views only (a graph without a time axis).
    bool PaneEnabled(int bit) const override;

    // The archive view sets it from its range bar.
    int m_graphReady = 1;

private:
    CVKTGrafAktual* m_graph = nullptr;
    CVKTHodnotyDlg* m_values = nullptr;
    CPanelEventList* m_alarms = nullptr;
    controls::CPanelControl* m_panel = nullptr;
    QLabel* m_panelError = nullptr;
};

} // namespace analysers_vkt
