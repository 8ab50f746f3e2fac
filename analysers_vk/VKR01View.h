#pragma once

#include "analysers_vk/VKFormView.h"

class CPanelEventList;

namespace analysers_vk {

class CVKRGrafAktual;
class CVKRHodnotyDlg;
class CVKRPlochaDlg;

// The VKR form view: the graph, the measured values, the front panel and
// the alarm list tiled by the VK pane arrangement, with two draggable
// dividers. The live view derives from it.
class CVKR01View : public CVKFormView {
    Q_OBJECT
public:
    explicit CVKR01View(QWidget* parent = nullptr);
    ~CVKR01View() override;

    CVKRGrafAktual* Graph() const { return m_graph; }
    CVKRHodnotyDlg* Values() const { return m_values; }
    CPanelEventList* Alarms() const { return m_alarms; }
    CVKRPlochaDlg* Panel() const { return m_panel; }

    void OnDisplayedQuantities() override;

protected:
    virtual void OnScreenChanged() {}
    virtual void OnGraphChanged() {}
    bool PaneOffered(int bit) const override { return bit != CVKPaneLayout::kPanelBit || m_hasPanel; }

    // The archive view has no instrument behind it and no front panel.
    bool m_hasPanel = true;

private:
    CVKRGrafAktual* m_graph = nullptr;
    CVKRHodnotyDlg* m_values = nullptr;
    CPanelEventList* m_alarms = nullptr;
    CVKRPlochaDlg* m_panel = nullptr;
};

} // namespace analysers_vk
