#pragma once

#include "analysers_vk/VK01View.h"
#include "analysers_vk/VKLiveViewBase.h"

class CVKArchivData;

namespace ui {
class CDocManager;
}

namespace analysers_vk {

class CVK01Doc;

using CVKLiveViewBase = TVKLiveView<CVK01View, CVK01Doc, CVKArchivData>;

// The live view of a VK analyser: takes each new measurement from the
// application's relay into the values panel, the front panel and the alarm
// list, and keeps its panes and placement per instrument in the settings.
class CVKAktMer : public CVKLiveViewBase {
    Q_OBJECT
public:
    explicit CVKAktMer(QWidget* parent = nullptr);
    ~CVKAktMer() override;

    void OnNewData() override;
    // The panel's Scenar as last sent (after normalising).
    int Scenar() const { return m_scenar; }
    int IsAronSent() const { return m_isAron; }
    void FillMenu(QMenu& menu) override;

protected:
    void OnFirstRefresh() override;
    void OnQuantitiesChanged() override;
    void OnViewCreated() override;
    void OnScenarioChanged() override;
    void OnSettingsRequested() override;
    void RestoreTabs(const std::array<int, 3>& tabs) override;
    void SaveTabs() override;

private:
    void HandGraphToValues();
    int m_scenarioSet = 1;
    int m_isAron = 0;
    int m_scenar = 0;
};

// The VK live-window template (document string "VK01.Document").
void AddVKLiveTemplate(ui::CDocManager& manager);
// Opens the live window of the entry and binds it; its view, or null when
// the template is missing.
ui::CView* OpenVKLive(ui::CDocManager& manager, CPristroj& entry);

} // namespace analysers_vk
