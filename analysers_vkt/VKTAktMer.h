#pragma once

#include "analysers_vkt/VKT01View.h"
#include "platform/ui/LiveViewState.h"

class CPristroj;
class QHideEvent;

namespace ui {
class CDocManager;
}

namespace analysers_vkt {

class CVKT01Doc;

// The live view of a VKT analyser: each relayed measurement refreshes the
// values, the front panel, the alarm list and the graph; the panes, the
// window placement and the value tabs are kept per instrument; its menu
// carries the instrument commands of the document and the live-only ones
// (received quantities, waveforms, floating panel).
class CVKTAktMer : public CVKT01View {
    Q_OBJECT
public:
    explicit CVKTAktMer(QWidget* parent = nullptr);
    ~CVKTAktMer() override;

    CVKT01Doc* GetDocument() const;
    CPristroj* Pristroj() const;

    void OnNewData();
    void OnReceivedQuantities();
    void OnWaveforms();
    bool ReceivedQuantitiesEnabled() const;
    void FillMenu(QMenu& menu) override;

protected:
    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;
    void OnPanesChanged() override;
    void OnFirstRefresh() override;
    void OnQuantitiesChanged() override;
    void RefillAlarmList() override;
    void OnScenarioChanged() override;
    void OnSettingsRequested() override;
    void hideEvent(QHideEvent* event) override;

private:
    void HandGraphToValues();
    void RestoreState();
    void SaveState();

    ui::CLiveViewState::Panes StatePanes();

    ui::CLiveViewState m_state;
};

// The live document template of the VKT family and its opener.
void AddVKTLiveTemplate(ui::CDocManager& manager);
ui::CView* OpenVKTLive(ui::CDocManager& manager, CPristroj& entry);

} // namespace analysers_vkt
