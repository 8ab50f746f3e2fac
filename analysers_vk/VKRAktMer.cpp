#include "analysers_vk/VKRAktMer.h"

#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKR01Doc.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "analysers_vk/VKRPristrojPlochaFrm.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKRDisplayValues.h"
#include "charts/PanelEventList.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QMenu>

namespace analysers_vk {

namespace {

constexpr int kLiveResourceId = 184;

CVKRArchivData* LiveData(CPristroj* entry)
{
    return entry ? dynamic_cast<CVKRArchivData*>(entry->GetArchivData()) : nullptr;
}

} // namespace

CVKRAktMer::CVKRAktMer(QWidget* parent) : CVKR01View(parent)
{
    ui::CLiveViewState::RelayNewData(*this, [this] { OnNewData(); });
    Graph()->setFocus();
}

CVKRAktMer::~CVKRAktMer()
{
    SaveState();
}

CVKR01Doc* CVKRAktMer::GetDocument() const
{
    return qobject_cast<CVKR01Doc*>(ui::CView::GetDocument());
}

CPristroj* CVKRAktMer::Pristroj() const
{
    const CVKR01Doc* doc = GetDocument();
    return doc ? doc->GetPristroj() : nullptr;
}

void CVKRAktMer::OnUpdate(ui::CView* sender, std::intptr_t hint, void* object)
{
    if (hint == CVK01Doc::kHintEntryBound)
        RestoreState();
    ui::CView::OnUpdate(sender, hint, object);
}

void CVKRAktMer::OnPanesChanged()
{
    if (CPristroj* entry = Pristroj())
        entry->SetActive(m_isGraf);
}

void CVKRAktMer::OnQuantitiesChanged()
{
    Values()->ResetLayout();
    if (CVKRArchivData* data = LiveData(Pristroj()))
        data->PublishToGraphs();
}

void CVKRAktMer::RefillAlarmList()
{
    if (CVKRArchivData* data = LiveData(Pristroj()))
        Alarms()->AddEvent(data);
}

void CVKRAktMer::OnNewData()
{
    CPristroj* entry = Pristroj();
    CVKRArchivData* data = LiveData(entry);
    if (!data)
        return;
    Values()->SetValues(archive::vkr::FillValuesDialog(*data));
    CPristrojStatusTexts texts;
    if (entry->FillVKStatusTexts(texts))
        Values()->SetStatusTexts(texts);
    Values()->SetHeader(entry->m_nazev, texts.newest);
    m_feed.Update(Panel()->Control(), *data);
    if (m_isAlarm)
        Alarms()->AddEvent(data);
    if (!m_initialised) {
        Graph()->AttachOnline(*entry);
        Values()->ResetLayout();
        m_initialised = 1;
    }
    Graph()->update();
    Alarms()->update();
    Values()->update();
    // The floating panel follows the live window's values.
    UpdateVKRPanel(*entry);
}

void CVKRAktMer::hideEvent(QHideEvent* event)
{
    m_state.RememberFrame(GetParentFrame());
    // The document lets go of its views before it hides them: the window is
    // closing while its entry still exists.
    if (!ui::CView::GetDocument() && Graph()->HasSource()) {
        Graph()->SaveSettings();
        Graph()->Detach();
    }
    CVKR01View::hideEvent(event);
}

ui::CLiveViewState::Panes CVKRAktMer::StatePanes()
{
    return {m_isGraf, m_isData, m_isAlarm, m_isNahled, m_prickaX, m_prickaY};
}

void CVKRAktMer::RestoreState()
{
    CPristroj* entry = Pristroj();
    if (!entry)
        return;
    const bool known = m_state.RestorePanes(entry->m_nazev, "Obecne nastaveni vkr", StatePanes());
    ResetPanes();
    if (!known)
        return;
    m_state.RestoreFrame(GetParentFrame(), ui::CView::GetDocument());
    Values()->SetActiveTab(m_state.Tabs()[0]);
}

void CVKRAktMer::SaveState()
{
    if (m_state.Save(m_initialised != 0, StatePanes()))
        m_state.SaveTabs({Values()->GetActiveTab()});
}

void CVKRAktMer::FillMenu(QMenu& menu)
{
    CVKR01View::FillMenu(menu);
    CVKR01Doc* doc = GetDocument();
    if (!doc)
        return;
    menu.addSeparator();
    if (CPristroj* entry = Pristroj()) {
        menu.addAction(QStringLiteral("Plovoucí okno...\tCtrl+N"), this, [entry] { OpenVKRPanel(*entry); });
        menu.addAction(QStringLiteral("Vypnout plovoucí okno"), this, [entry] {
            CloseVKRPanel(*entry);
            entry->m_onp = 0;
        })->setEnabled(IsVKRPanelOpen(*entry));
    }
    menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [doc, this] { doc->OnInstrumentSettings(this); });
    menu.addAction(QStringLiteral("Informace o přístroji"), this, [doc, this] { doc->OnInfo(this); });
    menu.addAction(QStringLiteral("Otevřít aktuální soubor"), this, [doc] { doc->OnOpenCurrentFile(); })
        ->setEnabled(doc->OpenCurrentFileEnabled());
    menu.addAction(QStringLiteral("Otevřít předchozí soubor"), this, [doc, this] { doc->OnOpenPreviousFile(this); });
    menu.addAction(QStringLiteral("&Nezobrazovat\tCtrl+Z"), this, [doc] { doc->OnHide(); });
}

void AddVKRLiveTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CVKR01Doc, ui::CChildFrame, CVKRAktMer>(kLiveResourceId, CVKR01Doc::DocString()));
}

ui::CView* OpenVKRLive(ui::CDocManager& manager, CPristroj& entry)
{
    return ui::OpenLiveDocument<CVKR01Doc>(manager, QStringLiteral("VKR01.Document"), entry);
}

} // namespace analysers_vk
