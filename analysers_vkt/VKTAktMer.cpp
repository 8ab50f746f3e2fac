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
#include "platform/ThreadMessages.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QMenu>

namespace analysers_vkt {

namespace {

constexpr int kDispidScenar = 2;
constexpr int kDispidSetUdaje = 3;
constexpr int kUnset = 0x7FFFFFFF;
constexpr int kLiveResourceId = 185;

CVKTArchivData* LiveData(CPristroj* entry)
{
    return entry ? dynamic_cast<CVKTArchivData*>(entry->GetArchivData()) : nullptr;
}

platform::SettingsSection EntrySection(const QString& name)
{
    return platform::SettingsSection({QStringLiteral("pristroje"), name});
}

} // namespace

CVKTAktMer::CVKTAktMer(QWidget* parent) : CVKT01View(parent)
{
    SetMessageHandler(platform::WM_NEW_DATA, [this](std::uintptr_t, std::intptr_t) {
        OnNewData();
        return 0;
    });
    Values()->SetArchiveMode(false);
    Graph()->setFocus();
}

CVKTAktMer::~CVKTAktMer()
{
    SaveState();
}

CVKT01Doc* CVKTAktMer::GetDocument() const
{
    return qobject_cast<CVKT01Doc*>(ui::CView::GetDocument());
}

CPristroj* CVKTAktMer::Pristroj() const
{
    const CVKT01Doc* doc = GetDocument();
    return doc ? doc->GetPristroj() : nullptr;
}

void CVKTAktMer::OnUpdate(ui::CView* sender, std::intptr_t hint, void* object)
{
    if (hint & analysers_vk::CVK01Doc::kHintEntryBound)
        RestoreState();
    ui::CView::OnUpdate(sender, hint, object);
}

void CVKTAktMer::OnPanesChanged()
{
    if (CPristroj* entry = Pristroj())
        entry->SetActive(m_isGraf);
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
    if (CVKTArchivData* data = LiveData(Pristroj()))
        data->PublishToGraphs();
}

void CVKTAktMer::RefillAlarmList()
{
    if (CVKTArchivData* data = LiveData(Pristroj()))
        Alarms()->AddEvent(data);
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
    CVKTArchivData* data = LiveData(entry);
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

void CVKTAktMer::hideEvent(QHideEvent* event)
{
    if (ui::CChildFrame* frame = GetParentFrame()) {
        m_hasFrame = true;
        m_frameMaximized = frame->isMaximized();
        m_frameNormal = m_frameMaximized ? frame->normalGeometry() : frame->geometry();
    }
    // The document lets go of its views before it hides them: the window is
    // closing while its entry still exists.
    if (!ui::CView::GetDocument() && Graph()->HasSource()) {
        Graph()->SaveSettings();
        Graph()->Detach();
    }
    CVKT01View::hideEvent(event);
}

void CVKTAktMer::RestoreState()
{
    CPristroj* entry = Pristroj();
    if (!entry)
        return;
    m_entryName = entry->m_nazev;
    platform::Settings settings;
    if (settings.SubSections(QStringLiteral("pristroje")).contains(entry->m_nazev)) {
        const platform::SettingsSection section = EntrySection(entry->m_nazev);
        m_isAlarm = settings.GetProfileInt(section, QStringLiteral("isAlarm"), 1);
        m_isData = settings.GetProfileInt(section, QStringLiteral("isData"), 1);
        m_isNahled = settings.GetProfileInt(section, QStringLiteral("isNahled"), 0);
        m_isGraf = settings.GetProfileInt(section, QStringLiteral("isGraf"), 1);
        const int x = settings.GetProfileInt(section, QStringLiteral("x"), kUnset);
        const int y = settings.GetProfileInt(section, QStringLiteral("y"), kUnset);
        const int cx = settings.GetProfileInt(section, QStringLiteral("cx"), kUnset);
        const int cy = settings.GetProfileInt(section, QStringLiteral("cy"), kUnset);
        const int maximize = settings.GetProfileInt(section, QStringLiteral("maximize"), 0);
        ui::CChildFrame* frame = GetParentFrame();
        if (frame && x != kUnset && y != kUnset && cx != kUnset && cy != kUnset) {
            frame->SetRememberedDocument(ui::CView::GetDocument());
            frame->setGeometry(x, y, cx, cy);
            if (maximize)
                frame->showMaximized();
            frame->SetRememberedDocument(nullptr);
        }
        ResetPanes();
        Values()->SetActiveTab(settings.GetProfileInt(section, QStringLiteral("tab1"), -1),
                               settings.GetProfileInt(section, QStringLiteral("tab2"), -1),
                               settings.GetProfileInt(section, QStringLiteral("tab3"), -1));
    } else {
        const platform::SettingsSection common("Obecne nastaveni vkt");
        m_isAlarm = settings.GetProfileInt(common, QStringLiteral("isAlarm"), 1);
        m_isData = settings.GetProfileInt(common, QStringLiteral("isData"), 1);
        m_isNahled = settings.GetProfileInt(common, QStringLiteral("isNahled"), 0);
        m_isGraf = settings.GetProfileInt(common, QStringLiteral("isGraf"), 1);
        ResetPanes();
    }
}

void CVKTAktMer::SaveState()
{
    // A window closed before its first measurement leaves the stored state
    // as it was.
    if (!m_initialised || m_saved || m_entryName.isEmpty())
        return;
    m_saved = true;
    platform::Settings settings;
    const platform::SettingsSection section = EntrySection(m_entryName);
    settings.WriteProfileInt(section, QStringLiteral("isAlarm"), m_isAlarm);
    settings.WriteProfileInt(section, QStringLiteral("isData"), m_isData);
    settings.WriteProfileInt(section, QStringLiteral("isNahled"), m_isNahled);
    settings.WriteProfileInt(section, QStringLiteral("isGraf"), m_isGraf);
    settings.WriteProfileInt(section, QStringLiteral("prickaX"), m_prickaX);
    settings.WriteProfileInt(section, QStringLiteral("prickaY"), m_prickaY);
    if (m_hasFrame) {
        settings.WriteProfileInt(section, QStringLiteral("maximize"), m_frameMaximized ? 1 : 0);
        settings.WriteProfileInt(section, QStringLiteral("x"), m_frameNormal.x());
        settings.WriteProfileInt(section, QStringLiteral("y"), m_frameNormal.y());
        settings.WriteProfileInt(section, QStringLiteral("cx"), m_frameNormal.width());
        settings.WriteProfileInt(section, QStringLiteral("cy"), m_frameNormal.height());
    }
    int t1 = -1, t2 = -1, t3 = -1;
    Values()->GetActiveTab(t1, t2, t3);
    settings.WriteProfileInt(section, QStringLiteral("tab1"), t1);
    settings.WriteProfileInt(section, QStringLiteral("tab2"), t2);
    settings.WriteProfileInt(section, QStringLiteral("tab3"), t3);
}

void CVKTAktMer::FillMenu(QMenu& menu)
{
    CVKT01View::FillMenu(menu);
    CVKT01Doc* doc = GetDocument();
    CPristroj* entry = Pristroj();
    if (!doc || !entry)
        return;
    menu.addAction(QStringLiteral("Přijímané veličiny ..."), this, &CVKTAktMer::OnReceivedQuantities)
        ->setEnabled(ReceivedQuantitiesEnabled());
    menu.addAction(QStringLiteral("&Vlny ..."), this, &CVKTAktMer::OnWaveforms);
    menu.addAction(QStringLiteral("&Profily ..."), this, [entry, this] { charts::OpenProfileSettings(this, *entry); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Plovoucí okno...\tCtrl+N"), this, [entry] { OpenVKTPanel(*entry); });
    menu.addAction(QStringLiteral("Vypnout plovoucí okno"), this, [entry] {
        CloseVKTPanel(*entry);
        entry->m_onp = 0;
    })->setEnabled(FindVKTPanel(*entry) != nullptr);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Otevři soubor dle přístroje ..."), this, [doc, this] { doc->OnOpenByInstrument(this); })
        ->setEnabled(doc->OpenByInstrumentEnabled());
    menu.addAction(QStringLiteral("Otevřít aktuální soubor"), this, [doc] { doc->OnOpenCurrentFile(); })
        ->setEnabled(doc->OpenCurrentFileEnabled());
    menu.addAction(QStringLiteral("Otevřít předchozí soubor"), this, [doc, this] { doc->OnOpenPreviousVKTFile(this); });
    menu.addAction(QStringLiteral("Přijmout &data"), this, [doc, this] { doc->OnReceiveData(this); });
    menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [doc, this] { doc->OnInstrumentSettings(this); });
    menu.addAction(QStringLiteral("&Elektroměr ..."), this, [doc, this] { doc->OnElectricityMeter(this); });
    menu.addAction(QStringLiteral("Nastavení času ..."), this, [doc, this] { doc->OnTime(this); });
    menu.addAction(QStringLiteral("Informace o přístroji"), this, [doc, this] { doc->OnInfo(this); });
    menu.addAction(QStringLiteral("&Skrýt\tCtrl+S"), this, [doc] { doc->OnHide(); });
}

void AddVKTLiveTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CVKT01Doc, ui::CChildFrame, CVKTAktMer>(kLiveResourceId, CVKT01Doc::DocString()));
}

ui::CView* OpenVKTLive(ui::CDocManager& manager, CPristroj& entry)
{
    ui::CDocTemplate* live = manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VKT01.Document"));
    if (!live)
        return nullptr;
    auto* doc = qobject_cast<CVKT01Doc*>(live->OpenDocumentFile(QString(), true));
    if (!doc)
        return nullptr;
    doc->SetPristroj(&entry);
    return doc->FirstView();
}

} // namespace analysers_vkt
