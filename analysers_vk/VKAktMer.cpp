#include "analysers_vk/VKAktMer.h"

#include "analysers_vk/VK01Doc.h"
#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "analysers_vk/VKPristrojPlochaFrm.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKDisplayValues.h"
#include "charts/GraphWnd.h"
#include "charts/PanelEventList.h"
#include "charts/ProfileSettingsDlg.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MenuCommand.h"

#include <QListWidget>
#include <QMenu>

namespace analysers_vk {

namespace {

constexpr int kScenar = 1;
constexpr int kIsAron = 2;
constexpr int kSetUdaje = 3;
constexpr int kLiveResourceId = 183;

} // namespace

CVKAktMer::CVKAktMer(QWidget* parent) : CVKLiveViewBase(parent, "Obecne nastaveni vk", true)
{
    OnViewCreated();
}

CVKAktMer::~CVKAktMer()
{
    SaveState();
}

void CVKAktMer::HandGraphToValues()
{
    std::array<int, CVKHodnotyDlg::kStatusBoxes> shown{};
    std::array<std::uint32_t, CVKHodnotyDlg::kStatusBoxes> colours{};
    Graph()->GetAllQuantities(shown, colours);
    Values()->SetGraphQuantities(shown, colours);
    Values()->ResetLayout();
}

void CVKAktMer::OnFirstRefresh()
{
    if (CPristroj* entry = Pristroj())
        Graph()->AttachOnline(*entry);
    HandGraphToValues();
}

void CVKAktMer::OnQuantitiesChanged()
{
    HandGraphToValues();
    if (CVKArchivData* data = LiveData())
        data->PublishToGraphs();
}

void CVKAktMer::OnViewCreated()
{
    Values()->SetKeepHeader(false);
    Graph()->setFocus();
}

void CVKAktMer::OnScenarioChanged()
{
    OnNewData();
}

void CVKAktMer::OnSettingsRequested()
{
    if (CVK01Doc* doc = GetDocument())
        doc->OnSettings(this);
}

void CVKAktMer::OnNewData()
{
    CPristroj* entry = Pristroj();
    CVKArchivData* data = LiveData();
    if (!data)
        return;
    Values()->SetValues(archive::vk::FillValuesDialog(*data));

    controls::CPanelControl* panel = PanelControl();
    int scenar = panel ? panel->Invoke(kScenar).toInt() : m_scenar;
    const int model = data->GetModelIndex();
    m_scenarioSet = CVKScenario::SetOf(model);
    m_scenarioOffset = CVKScenario::Offset(model);
    const int normalised = CVKScenario::Normalise(scenar, model);
    // A fresh control has no screen yet (-1) and would show nothing: it
    // gets the first screen of its set.
    if (normalised != scenar && panel)
        panel->Invoke(kScenar, {normalised});
    scenar = normalised;
    m_scenar = scenar;

    const CVKPanelValues values = archive::vk::GetPanelValues(*data, scenar - m_scenarioOffset);
    if (panel) {
        panel->Invoke(kSetUdaje,
                      {values.out[0], values.out[1], values.out[2], values.bits[0] != 0, values.bits[1] != 0});
        if (m_scenarioSet == 0 && ScenarioList()->isVisible())
            ScenarioList()->viewport()->update();
        if (values.connectionMode2 != m_isAron) {
            m_isAron = values.connectionMode2;
            panel->Invoke(kIsAron, {m_isAron != 0});
        }
    } else {
        m_isAron = values.connectionMode2;
    }

    CPristrojStatusTexts texts;
    if (entry->FillVKStatusTexts(texts))
        Values()->SetStatusTexts(texts);
    Values()->SetHeader(entry->m_nazev, texts.newest);
    if (m_isAlarm)
        Alarms()->AddEvent(data);

    if (!m_initialised) {
        OnFirstRefresh();
        m_initialised = 1;
    }
    if (panel)
        panel->update();
    // The traces and the time marker move on with every measurement.
    Graph()->update();
    Alarms()->update();
    Values()->update();
    // The floating panel follows the live window's values.
    UpdateVKPanel(*entry);
}

void CVKAktMer::RestoreTabs(const std::array<int, 3>& tabs)
{
    Values()->SetTabs(tabs[0], tabs[1], tabs[2]);
}

void CVKAktMer::SaveTabs()
{
    int t1 = -1, t2 = -1, t3 = -1;
    Values()->GetTabs(t1, t2, t3);
    m_state.SaveTabs({t1, t2, t3});
}

void CVKAktMer::FillMenu(QMenu& menu)
{
    CVK01View::FillMenu(menu);
    CVK01Doc* doc = GetDocument();
    if (!doc)
        return;
    menu.addSeparator();
    if (CPristroj* entry = Pristroj()) {
        ui::WithCommandId(
            menu.addAction(QStringLiteral("Plovoucí okno...\tCtrl+N"), this, [entry] { OpenVKPanel(*entry); }), 32141);
        ui::WithCommandId(menu.addAction(QStringLiteral("Vypnout plovoucí okno"), this,
                              [entry] {
                                  CloseVKPanel(*entry);
                                  entry->m_onp = 0;
                              }),
            32145)
            ->setEnabled(FindVKPanel(*entry) != nullptr);
    }
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [doc, this] { doc->OnSettings(this); }), 32136);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Nastavení času ..."), this, [doc, this] { doc->OnTime(this); }), 40027);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Informace o přístroji"), this, [doc, this] { doc->OnInfo(this); }), 40029);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("&Elektroměr ..."), this, [doc, this] { doc->OnEnergyMeter(this); }), 32215)
        ->setEnabled(doc->EnergyMeterEnabled());
    ui::WithCommandId(menu.addAction(QStringLiteral("&Profily ..."), this,
                          [this] {
                              if (CPristroj* entry = Pristroj())
                                  charts::OpenProfileSettings(this, *entry);
                          }),
        40005);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Otevřít aktuální soubor"), this, [doc] { doc->OnOpenCurrentFile(); }), 32232)
        ->setEnabled(doc->OpenCurrentFileEnabled());
    ui::WithCommandId(menu.addAction(QStringLiteral("Otevřít předchozí soubor"), this,
                          [doc, this] { doc->OnOpenPreviousFile(this); }),
        32236);
    ui::WithCommandId(menu.addAction(QStringLiteral("Otevři soubor dle přístroje ..."), this,
                          [doc, this] { doc->OnOpenByInstrument(this); }),
        32231)
        ->setEnabled(doc->OpenByInstrumentEnabled());
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Přijmout &data"), this, [doc, this] { doc->OnReceiveData(this); }), 40030);
    ui::WithCommandId(menu.addAction(QStringLiteral("&Nezobrazovat\tCtrl+Z"), this, [doc] { doc->OnHide(); }), 32137);
}

void AddVKLiveTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CVK01Doc, ui::CChildFrame, CVKAktMer>(kLiveResourceId, CVK01Doc::DocString()));
}

ui::CView* OpenVKLive(ui::CDocManager& manager, CPristroj& entry)
{
    return ui::OpenLiveDocument<CVK01Doc>(manager, QStringLiteral("VK01.Document"), entry);
}

} // namespace analysers_vk
