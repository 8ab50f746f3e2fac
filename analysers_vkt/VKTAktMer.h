#pragma once

#include "analysers_vk/VKLiveViewBase.h"
#include "analysers_vkt/VKT01View.h"
#include "analysers_vkt/VKT01Doc.h"

class CVKTArchivData;

namespace ui {
class CDocManager;
}

namespace analysers_vkt {

class CVKT01Doc;

using CVKTLiveViewBase = analysers_vk::TVKLiveView<CVKT01View, CVKT01Doc, CVKTArchivData>;

// The live view of a VKT analyser: each relayed measurement refreshes the
// values, the front panel, the alarm list and the graph; the panes, the
// window placement and the value tabs are kept per instrument; its menu
// carries the instrument commands of the document and the live-only ones
// (received quantities, waveforms, floating panel).
class CVKTAktMer : public CVKTLiveViewBase {
    Q_OBJECT
public:
    explicit CVKTAktMer(QWidget* parent = nullptr);
    ~CVKTAktMer() override;

    void OnNewData() override;
    void OnReceivedQuantities();
    // "Přijímané veličiny ..." of the graph pane's context menu too.
    bool OnCommand(int id) override;
    bool IsCommandEnabled(int id) override;
    void OnWaveforms();
    bool ReceivedQuantitiesEnabled() const;
    void FillMenu(QMenu& menu) override;

protected:
    // The received quantities too: the instrument sends only what it is
    // asked for.
    bool OffersGraphCommand(int) const override { return true; }
    void OnFirstRefresh() override;
    void OnQuantitiesChanged() override;
    void OnScenarioChanged() override;
    void OnSettingsRequested() override;
    void RestoreTabs(const std::array<int, 3>& tabs) override;
    void SaveTabs() override;

private:
    void HandGraphToValues();
};

// The live document template of the VKT family and its opener.
void AddVKTLiveTemplate(ui::CDocManager& manager);
ui::CView* OpenVKTLive(ui::CDocManager& manager, CPristroj& entry);

} // namespace analysers_vkt
