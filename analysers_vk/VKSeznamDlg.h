#pragma once

#include "analysers_vk/PanelControlHost.h"

class QListWidget;

namespace analysers_vk {

// The front-panel control of the floating panel with its scenario list.
// A missing control plugin leaves the message in its place.
class CVKSeznamDlg : public CPanelControlHost {
    Q_OBJECT
public:
    static constexpr int kMinControlSize = 250;

    explicit CVKSeznamDlg(QWidget* parent = nullptr);

    QListWidget* ScenarioList() const { return m_list; }
    void SetScenarioOffset(int offset) { m_offset = offset; }

    void ShowScenarioList();
    void ChooseScenario(int item);

signals:
    void scenarioChanged();
    void settingsRequested();

protected:
    void ControlEvent(int id) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceList();

    QListWidget* m_list = nullptr;
    int m_offset = 0;
};

} // namespace analysers_vk
