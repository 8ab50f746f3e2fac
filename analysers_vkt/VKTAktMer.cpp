#include "analysers_vkt/VKTAktMer.h"

#include "analysers_vkt/VKT01Doc.h"
#include "analysers_vkt/VKTGrafAktual.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "analysers_vkt/VKTPrijimanaDataDlg.h"
#include "analysers_vkt/VKTPristrojPlochaFrm.h"
#include "analysers_vkt/VKTVlnySource.h"
#include "archive/store/VKTArchivData.h"
#include "archive/store/VKTDisplayValues.h"
#include "charts/PanelEventList.h"
#include "charts/ProfileSettingsDlg.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MenuCommand.h"

#include <QApplication>
#include <QMenu>

namespace analysers_vkt {

namespace {

constexpr int kDispidScenar = 2;
constexpr int kDispidSetUdaje = 3;
constexpr int kLiveResourceId = 185;

} // namespace

CVKTAktMer::CVKTAktMer(QWidget* parent) : CVKTLiveViewBase(parent, "Obecne nastaveni vkt", true)
{
    Values()->SetArchiveMode(false);
    Graph()->setFocus();
}

CVKTAktMer::~CVKTAktMer()
{
    SaveState();
}

void CVKTAktMer::HandGraphToValues()
{
    std::array<int, CVKTGrafAktual::kQuantityCount> shown{};
    std::array<std::uint32_t, CVKTGrafAktual::kQuantityCount> colours{};
    Graph()->GetAllQuantities(shown, colours);
    Values()->SetGraphQuantities(shown, colours);
    Values()->ResetLayout();
}

void CVKTAktMer::OnFirstRefresh()
{
    if (CPristroj* entry = Pristroj())
        Graph()->AttachOnline(*entry);
    HandGraphToValues();
}

void CVKTAktMer::OnQuantitiesChanged()
{
    HandGraphToValues();
    if (CVKTArchivData* data = LiveData())
        data->PublishToGraphs();
}

void CVKTAktMer::OnScenarioChanged()
{
    OnNewData();
}

void CVKTAktMer::OnSettingsRequested()
{
    if (CVKT01Doc* doc = GetDocument())
        doc->OnInstrumentSettings(this);
}

void CVKTAktMer::OnNewData()
{
    CPristroj* entry = Pristroj();
    CVKTArchivData* data = LiveData();
    if (!data)
        return;
    Values()->SetReceivedMask(entry->GetValueMask());
    Values()->SetValues(archive::vkt::FillValuesDialog(*data, Values()->DialogRows(), 0));

    controls::CPanelControl* panel = PanelControl();
    const int screen = panel ? std::max(0, panel->Invoke(kDispidScenar).toInt()) : 0;
    const CVKTPanelValues values = archive::vkt::GetPanelValues(*data, screen);
    if (panel)
        panel->Invoke(kDispidSetUdaje,
                      {values.values[0], values.values[1], values.values[2], values.values[3], values.flags});

    CPristrojStatusTexts texts;
    if (entry->FillVKTStatusTexts(texts))
        Values()->SetStatusTexts(texts);
    if (m_isAlarm)
        Alarms()->AddEvent(data);
    if (!m_initialised) {
        OnFirstRefresh();
        m_initialised = 1;
    }
    Graph()->update();
    Alarms()->update();
    Values()->update();
    if (panel)
        panel->update();
    // The floating panel follows the live window's values.
    UpdateVKTPanel(*entry);
}

bool CVKTAktMer::ReceivedQuantitiesEnabled() const
{
    return (m_isGraf && m_graphReady) || m_isData;
}

void CVKTAktMer::OnReceivedQuantities()
{
    if (CPristroj* entry = Pristroj())
        OpenVKTPrijimanaData(this, *entry);
}

void CVKTAktMer::OnWaveforms()
{
    if (CPristroj* entry = Pristroj())
        OpenVKTVlny(this, *entry, Values());
}

void CVKTAktMer::RestoreTabs(const std::array<int, 3>& tabs)
{
    Values()->SetActiveTab(tabs[0], tabs[1], tabs[2]);
}

void CVKTAktMer::SaveTabs()
{
    int t1 = -1, t2 = -1, t3 = -1;
    Values()->GetActiveTab(t1, t2, t3);
    m_state.SaveTabs({t1, t2, t3});
}

bool CVKTAktMer::OnCommand(int id)
{
    if (id == CGraphWnd::kCmdReceivedQuantities) {
        if (ReceivedQuantitiesEnabled())
            OnReceivedQuantities();
        return true;
    }
    return CVKTLiveViewBase::OnCommand(id);
}

bool CVKTAktMer::IsCommandEnabled(int id)
{
    if (id == CGraphWnd::kCmdReceivedQuantities)
        return ReceivedQuantitiesEnabled();
    return CVKTLiveViewBase::IsCommandEnabled(id);
}

void CVKTAktMer::FillMenu(QMenu& menu)
{
    CVKT01View::FillMenu(menu);
    CVKT01Doc* doc = GetDocument();
    CPristroj* entry = Pristroj();
    if (!doc || !entry)
        return;
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Přijímané veličiny ..."), this, &CVKTAktMer::OnReceivedQuantities), 40002)
        ->setEnabled(ReceivedQuantitiesEnabled());
    ui::WithCommandId(menu.addAction(QStringLiteral("&Vlny ..."), this, &CVKTAktMer::OnWaveforms), 40004);
    ui::WithCommandId(menu.addAction(QStringLiteral("&Profily ..."), this,
                          [entry, this] { charts::OpenProfileSettings(this, *entry); }),
        40005);
    menu.addSeparator();
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Plovoucí okno...\tCtrl+N"), this, [entry] { OpenVKTPanel(*entry); }), 32141);
    ui::WithCommandId(menu.addAction(QStringLiteral("Vypnout plovoucí okno"), this,
                          [entry] {
                              CloseVKTPanel(*entry);
                              entry->m_onp = 0;
                          }),
        32145)
        ->setEnabled(FindVKTPanel(*entry) != nullptr);
    menu.addSeparator();
    ui::WithCommandId(menu.addAction(QStringLiteral("Otevři soubor dle přístroje ..."), this,
                          [doc, this] { doc->OnOpenByInstrument(this); }),
        40006)
        ->setEnabled(doc->OpenByInstrumentEnabled());
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Otevřít aktuální soubor"), this, [doc] { doc->OnOpenCurrentFile(); }), 32232)
        ->setEnabled(doc->OpenCurrentFileEnabled());
    ui::WithCommandId(menu.addAction(QStringLiteral("Otevřít předchozí soubor"), this,
                          [doc, this] { doc->OnOpenPreviousVKTFile(this); }),
        32236);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Přijmout &data"), this, [doc, this] { doc->OnReceiveData(this); }), 40030);
    ui::WithCommandId(menu.addAction(QStringLiteral("Nastavení &přístroje..."), this,
                          [doc, this] { doc->OnInstrumentSettings(this); }),
        32136);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("&Elektroměr ..."), this, [doc, this] { doc->OnElectricityMeter(this); }), 32215);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Nastavení času ..."), this, [doc, this] { doc->OnTime(this); }), 40027);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Informace o přístroji"), this, [doc, this] { doc->OnInfo(this); }), 40029);
    ui::WithCommandId(menu.addAction(QStringLiteral("&Skrýt\tCtrl+S"), this, [doc] { doc->OnHide(); }), 32137);
}

void AddVKTLiveTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CVKT01Doc, ui::CChildFrame, CVKTAktMer>(kLiveResourceId, CVKT01Doc::DocString()));
}

ui::CView* OpenVKTLive(ui::CDocManager& manager, CPristroj& entry)
{
    return ui::OpenLiveDocument<CVKT01Doc>(manager, QStringLiteral("VKT01.Document"), entry);
}

} // namespace analysers_vkt
