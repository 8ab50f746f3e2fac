#pragma once

#include "analysers_vk/VKFormView.h"

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
// alarm list, with the scenario list over the panel. The live view and the
// archive view derive from it.
class CVK01View : public CVKFormView {
    Q_OBJECT
public:
    explicit CVK01View(QWidget* parent = nullptr);
    ~CVK01View() override;

    // The scenario names of the panel's list.
    static QStringList ScenarioNames();

    void LayoutPanes() override;

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

    void OnDisplayedQuantities() override;

protected:
    virtual void OnFirstRefresh() {}
    virtual void OnViewCreated() {}
    virtual void OnScenarioChanged() {}
    virtual void OnGraphChanged() {}
    virtual void OnSettingsRequested() {}

    void resizeEvent(QResizeEvent* event) override;

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
};

} // namespace analysers_vk
