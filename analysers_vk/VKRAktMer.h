#pragma once

#include "analysers_vk/VKR01View.h"
#include "analysers_vk/VKLiveViewBase.h"
#include "analysers_vk/VKRPanelFeed.h"

class CVKRArchivData;

namespace ui {
class CDocManager;
}

namespace analysers_vk {

class CVKR01Doc;

using CVKRLiveViewBase = TVKLiveView<CVKR01View, CVKR01Doc, CVKRArchivData>;

// The live view of a VKR analyser: takes each new measurement from the
// application's relay into the values dialog, the front panel and the alarm
// list, and keeps its panes and placement per instrument in the settings.
class CVKRAktMer : public CVKRLiveViewBase {
    Q_OBJECT
public:
    explicit CVKRAktMer(QWidget* parent = nullptr);
    ~CVKRAktMer() override;

    void OnNewData() override;
    const CVKRPanelFeed& Feed() const { return m_feed; }
    void FillMenu(QMenu& menu) override;

protected:
    void OnScreenChanged() override { OnNewData(); }
    void OnQuantitiesChanged() override;
    void RestoreTabs(const std::array<int, 3>& tabs) override;
    void SaveTabs() override;

private:
    CVKRPanelFeed m_feed;
};

// The VKR live-window template (document string "VKR01.Document").
void AddVKRLiveTemplate(ui::CDocManager& manager);
// Opens the live window of the entry and binds it; its view, or null when
// the template is missing.
ui::CView* OpenVKRLive(ui::CDocManager& manager, CPristroj& entry);

} // namespace analysers_vk
