#pragma once

#include "analysers_vk/VK01View.h"
#include "platform/ui/LiveViewState.h"

class CPristroj;

namespace ui {
class CDocManager;
}

namespace analysers_vk {

class CVK01Doc;

// The live view of a VK analyser: takes each new measurement from the
// application's relay into the values panel, the front panel and the alarm
// list, and keeps its panes and placement per instrument in the settings.
class CVKAktMer : public CVK01View {
    Q_OBJECT
public:
    explicit CVKAktMer(QWidget* parent = nullptr);
    ~CVKAktMer() override;

    CVK01Doc* GetDocument() const;
    CPristroj* Pristroj() const;

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;
    // The new-measurement road (WM_NEW_DATA).
    void OnNewData();
    // The panel's Scenar as last sent (after normalising).
    int Scenar() const { return m_scenar; }
    int IsAronSent() const { return m_isAron; }
    bool Initialised() const { return m_initialised != 0; }

    void RestoreState();
    void SaveState();

    void FillMenu(QMenu& menu) override;

protected:
    void hideEvent(QHideEvent* event) override;
    void OnPanesChanged() override;
    void OnFirstRefresh() override;
    void OnQuantitiesChanged() override;
    void OnViewCreated() override;
    void RefillAlarmList() override;
    void OnScenarioChanged() override;
    void OnSettingsRequested() override;

private:
    int m_scenarioSet = 1;
    int m_isAron = 0;
    int m_scenar = 0;
    ui::CLiveViewState::Panes StatePanes();

    ui::CLiveViewState m_state;
};

// The VK live-window template (document string "VK01.Document").
void AddVKLiveTemplate(ui::CDocManager& manager);
// Opens the live window of the entry and binds it; its view, or null when
// the template is missing.
ui::CView* OpenVKLive(ui::CDocManager& manager, CPristroj& entry);

} // namespace analysers_vk
