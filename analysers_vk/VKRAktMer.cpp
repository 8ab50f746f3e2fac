#include "analysers_vk/VKRAktMer.h"

#include "analysers_vk/VKR01Doc.h"
#include "analysers_vk/VKRGrafAktual.h"
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
#include "platform/ui/MenuCommand.h"

#include <QMenu>

namespace analysers_vk {

namespace {

constexpr int kLiveResourceId = 184;

} // namespace

CVKRAktMer::CVKRAktMer(QWidget* parent) : CVKRLiveViewBase(parent, "Obecne nastaveni vkr", false)
{
    Graph()->setFocus();
}

CVKRAktMer::~CVKRAktMer()
{
    SaveState();
}

void CVKRAktMer::OnQuantitiesChanged()
{
    Values()->ResetLayout();
    if (CVKRArchivData* data = LiveData())
        data->PublishToGraphs();
}

void CVKRAktMer::OnNewData()
{
    CPristroj* entry = Pristroj();
    CVKRArchivData* data = LiveData();
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

void CVKRAktMer::RestoreTabs(const std::array<int, 3>& tabs)
{
    Values()->SetActiveTab(tabs[0]);
}

void CVKRAktMer::SaveTabs()
{
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
        ui::WithCommandId(
            menu.addAction(QStringLiteral("Plovoucí okno...\tCtrl+N"), this, [entry] { OpenVKRPanel(*entry); }), 32141);
        ui::WithCommandId(menu.addAction(QStringLiteral("Vypnout plovoucí okno"), this,
                              [entry] {
                                  CloseVKRPanel(*entry);
                                  entry->m_onp = 0;
                              }),
            32145)
            ->setEnabled(IsVKRPanelOpen(*entry));
    }
    ui::WithCommandId(menu.addAction(QStringLiteral("Nastavení &přístroje..."), this,
                          [doc, this] { doc->OnInstrumentSettings(this); }),
        32136);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Informace o přístroji"), this, [doc, this] { doc->OnInfo(this); }), 40029);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Otevřít aktuální soubor"), this, [doc] { doc->OnOpenCurrentFile(); }), 32232)
        ->setEnabled(doc->OpenCurrentFileEnabled());
    ui::WithCommandId(menu.addAction(QStringLiteral("Otevřít předchozí soubor"), this,
                          [doc, this] { doc->OnOpenPreviousFile(this); }),
        32236);
    ui::WithCommandId(menu.addAction(QStringLiteral("Otevři soubor dle přístroje ..."), this,
                          [doc, this] { doc->OnOpenByInstrument(this); }),
        32230)
        ->setEnabled(doc->OpenByInstrumentEnabled());
    ui::WithCommandId(menu.addAction(QStringLiteral("&Nezobrazovat\tCtrl+Z"), this, [doc] { doc->OnHide(); }), 32137);
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
