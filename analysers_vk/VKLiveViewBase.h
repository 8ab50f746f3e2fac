#pragma once

#include "analysers_vk/VK01Doc.h"
#include "charts/PanelEventList.h"
#include "link/Pristroj.h"
#include "platform/ui/LiveViewState.h"

#include <array>
#include <cstdint>

class QHideEvent;
class QPrinter;

namespace analysers_vk {

// The live view of an analyser: the family's form view bound to an
// instrument's entry, fed by every measurement the application relays
// (OnNewData), its panes, dividers, frame placement and tabs kept per
// instrument in the settings. A family view derives from it with its form
// view, live document and live store, and says how the new data reach its
// panes and which tabs its values keep.
template <class FormView, class Doc, class Data>
class TVKLiveView : public FormView {
public:
    Doc* GetDocument() const { return qobject_cast<Doc*>(ui::CView::GetDocument()); }
    CPristroj* Pristroj() const
    {
        const Doc* doc = GetDocument();
        return doc ? doc->GetPristroj() : nullptr;
    }
    bool Initialised() const { return this->m_initialised != 0; }

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override
    {
        if (hint == CVK01Doc::kHintEntryBound)
            RestoreState();
        ui::CView::OnUpdate(sender, hint, object);
    }

    // The new-measurement road (WM_NEW_DATA).
    virtual void OnNewData() = 0;

    // The File menu prints the live graph.
    bool PrintView(QPrinter* printer) override { return this->Graph()->Print(printer); }
    bool CanPrint() const override { return true; }

    void RestoreState()
    {
        CPristroj* entry = Pristroj();
        if (!entry)
            return;
        const bool known = m_state.RestorePanes(entry->m_nazev, m_commonSection, Panes());
        if (known && m_frameBeforePanes)
            m_state.RestoreFrame(this->GetParentFrame(), ui::CView::GetDocument());
        this->ResetPanes();
        if (!known) {
            m_state.RestoreFrame(this->GetParentFrame(), ui::CView::GetDocument());
            return;
        }
        if (!m_frameBeforePanes)
            m_state.RestoreFrame(this->GetParentFrame(), ui::CView::GetDocument());
        RestoreTabs(m_state.Tabs());
    }

    void SaveState()
    {
        if (m_state.Save(this->m_initialised != 0, Panes()))
            SaveTabs();
    }

protected:
    // `commonSection`: the family's section of the panes for an instrument
    // seen for the first time. `frameBeforePanes`: the stored placement is
    // put before the panes are reset (or after).
    TVKLiveView(QWidget* parent, const char* commonSection, bool frameBeforePanes)
        : FormView(parent), m_commonSection(commonSection), m_frameBeforePanes(frameBeforePanes)
    {
        ui::CLiveViewState::RelayNewData(*this, [this] { OnNewData(); });
    }

    // The values pane's tabs as stored, and written through m_state.
    virtual void RestoreTabs(const std::array<int, 3>& tabs) = 0;
    virtual void SaveTabs() = 0;

    Data* LiveData() const
    {
        CPristroj* entry = Pristroj();
        return entry ? dynamic_cast<Data*>(entry->GetArchivData()) : nullptr;
    }

    void OnPanesChanged() override
    {
        if (CPristroj* entry = Pristroj())
            entry->SetActive(this->m_isGraf);
    }

    void RefillAlarmList() override
    {
        if (Data* data = LiveData())
            this->Alarms()->AddEvent(data);
    }

    void hideEvent(QHideEvent* event) override
    {
        m_state.RememberFrame(this->GetParentFrame());
        // The document lets go of its views before it hides them: the window
        // is closing while its entry still exists.
        if (!ui::CView::GetDocument() && this->Graph()->HasSource()) {
            this->Graph()->SaveSettings();
            this->Graph()->Detach();
        }
        FormView::hideEvent(event);
    }

    ui::CLiveViewState m_state;

private:
    ui::CLiveViewState::Panes Panes()
    {
        return {this->m_isGraf, this->m_isData, this->m_isAlarm, this->m_isNahled, this->m_prickaX, this->m_prickaY};
    }

    const char* m_commonSection;
    bool m_frameBeforePanes;
};

} // namespace analysers_vk
