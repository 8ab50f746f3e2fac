#pragma once

#include "analysers_vk/VKR01View.h"
#include "analysers_vk/VKRPanelFeed.h"
#include "platform/ui/LiveViewState.h"

class CPristroj;

namespace ui {
class CDocManager;
}

namespace analysers_vk {

class CVKR01Doc;

// The live view of a VKR analyser: takes each new measurement from the
// application's relay into the values dialog, the front panel and the alarm
// list, and keeps its panes and placement per instrument in the settings.
class CVKRAktMer : public CVKR01View {
    Q_OBJECT
public:
    explicit CVKRAktMer(QWidget* parent = nullptr);
    ~CVKRAktMer() override;

    CVKR01Doc* GetDocument() const;
    CPristroj* Pristroj() const;

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;
    // The new-measurement road (WM_NEW_DATA).
    void OnNewData();
    const CVKRPanelFeed& Feed() const { return m_feed; }
    bool Initialised() const { return m_initialised != 0; }

    void RestoreState();
    void SaveState();
    void FillMenu(QMenu& menu) override;

protected:
    void hideEvent(QHideEvent* event) override;
    void OnPanesChanged() override;
    void RefillAlarmList() override;
    void OnScreenChanged() override { OnNewData(); }
    void OnQuantitiesChanged() override;

private:
    CVKRPanelFeed m_feed;
    ui::CLiveViewState::Panes StatePanes();

    ui::CLiveViewState m_state;
};

// The VKR live-window template (document string "VKR01.Document").
void AddVKRLiveTemplate(ui::CDocManager& manager);
// Opens the live window of the entry and binds it; its view, or null when
// the template is missing.
ui::CView* OpenVKRLive(ui::CDocManager& manager, CPristroj& entry);

} // namespace analysers_vk
