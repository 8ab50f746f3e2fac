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
#include "platform/ThreadMessages.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QListWidget>
#include <QMenu>

namespace analysers_vk {

namespace {

constexpr int kScenar = 1;
constexpr int kIsAron = 2;
constexpr int kSetUdaje = 3;
constexpr int kUnset = 0x7FFFFFFF;
constexpr int kLiveResourceId = 183;

CVKArchivData* LiveData(CPristroj* entry)
{
    return entry ? dynamic_cast<CVKArchivData*>(entry->GetArchivData()) : nullptr;
}

platform::SettingsSection EntrySection(const QString& name)
{
    return platform::SettingsSection({QStringLiteral("pristroje"), name});
}

} // namespace

CVKAktMer::CVKAktMer(QWidget* parent) : CVK01View(parent)
{
    SetMessageHandler(platform::WM_NEW_DATA, [this](std::uintptr_t, std::intptr_t) {
        OnNewData();
        return 0;
    });
    OnViewCreated();
}

CVKAktMer::~CVKAktMer()
{
    SaveState();
}

CVK01Doc* CVKAktMer::GetDocument() const
{
    return qobject_cast<CVK01Doc*>(ui::CView::GetDocument());
}

CPristroj* CVKAktMer::Pristroj() const
{
    const CVK01Doc* doc = GetDocument();
    return doc ? doc->GetPristroj() : nullptr;
}

void CVKAktMer::OnUpdate(ui::CView* sender, std::intptr_t hint, void* object)
{
    if (hint == CVK01Doc::kHintEntryBound)
        RestoreState();
    ui::CView::OnUpdate(sender, hint, object);
}

void CVKAktMer::OnPanesChanged()
{
    if (CPristroj* entry = Pristroj())
        entry->SetActive(m_isGraf);
}

void CVKAktMer::OnFirstRefresh()
{
    if (CPristroj* entry = Pristroj())
        Graph()->AttachOnline(*entry);
    Values()->ResetLayout();
}

void CVKAktMer::OnQuantitiesChanged()
{
    Values()->ResetLayout();
    if (CVKArchivData* data = LiveData(Pristroj()))
        data->PublishToGraphs();
}

void CVKAktMer::OnViewCreated()
{
    Values()->SetKeepHeader(false);
    Graph()->setFocus();
}

void CVKAktMer::RefillAlarmList()
{
    if (CVKArchivData* data = LiveData(Pristroj()))
        Alarms()->AddEvent(data);
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
    CVKArchivData* data = LiveData(entry);
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
    Alarms()->update();
    Values()->update();
    // The floating panel follows the live window's values.
    UpdateVKPanel(*entry);
}

void CVKAktMer::hideEvent(QHideEvent* event)
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
    CVK01View::hideEvent(event);
}

void CVKAktMer::RestoreState()
{
    CPristroj* entry = Pristroj();
    if (!entry)
        return;
    m_entryName = entry->m_nazev;
    platform::Settings settings;
    const QStringList known = settings.SubSections(QStringLiteral("pristroje"));
    if (known.contains(entry->m_nazev)) {
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
        Values()->SetTabs(settings.GetProfileInt(section, QStringLiteral("tab1"), -1),
                          settings.GetProfileInt(section, QStringLiteral("tab2"), -1),
                          settings.GetProfileInt(section, QStringLiteral("tab3"), -1));
    } else {
        const platform::SettingsSection common("Obecne nastaveni vk");
        m_isAlarm = settings.GetProfileInt(common, QStringLiteral("isAlarm"), 1);
        m_isData = settings.GetProfileInt(common, QStringLiteral("isData"), 1);
        m_isNahled = settings.GetProfileInt(common, QStringLiteral("isNahled"), 0);
        m_isGraf = settings.GetProfileInt(common, QStringLiteral("isGraf"), 1);
        ResetPanes();
    }
}

void CVKAktMer::SaveState()
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
    Values()->GetTabs(t1, t2, t3);
    settings.WriteProfileInt(section, QStringLiteral("tab1"), t1);
    settings.WriteProfileInt(section, QStringLiteral("tab2"), t2);
    settings.WriteProfileInt(section, QStringLiteral("tab3"), t3);
}

void CVKAktMer::FillMenu(QMenu& menu)
{
    CVK01View::FillMenu(menu);
    CVK01Doc* doc = GetDocument();
    if (!doc)
        return;
    menu.addSeparator();
    if (CPristroj* entry = Pristroj()) {
        menu.addAction(QStringLiteral("Plovoucí okno...\tCtrl+N"), this, [entry] { OpenVKPanel(*entry); });
        menu.addAction(QStringLiteral("Vypnout plovoucí okno"), this, [entry] {
            CloseVKPanel(*entry);
            entry->m_onp = 0;
        })->setEnabled(FindVKPanel(*entry) != nullptr);
    }
    menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [doc, this] { doc->OnSettings(this); });
    menu.addAction(QStringLiteral("Nastavení času ..."), this, [doc, this] { doc->OnTime(this); });
    menu.addAction(QStringLiteral("Informace o přístroji"), this, [doc, this] { doc->OnInfo(this); });
    menu.addAction(QStringLiteral("&Elektroměr ..."), this, [doc, this] { doc->OnEnergyMeter(this); })
        ->setEnabled(doc->EnergyMeterEnabled());
    menu.addAction(QStringLiteral("&Profily ..."), this, [this] {
        if (CPristroj* entry = Pristroj())
            charts::OpenProfileSettings(this, *entry);
    });
    menu.addAction(QStringLiteral("Otevřít aktuální soubor"), this, [doc] { doc->OnOpenCurrentFile(); })
        ->setEnabled(doc->OpenCurrentFileEnabled());
    menu.addAction(QStringLiteral("Otevřít předchozí soubor"), this, [doc, this] { doc->OnOpenPreviousFile(this); });
    menu.addAction(QStringLiteral("&Nezobrazovat\tCtrl+Z"), this, [doc] { doc->OnHide(); });
}

void AddVKLiveTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CVK01Doc, ui::CChildFrame, CVKAktMer>(kLiveResourceId, CVK01Doc::DocString()));
}

ui::CView* OpenVKLive(ui::CDocManager& manager, CPristroj& entry)
{
    ui::CDocTemplate* live = manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VK01.Document"));
    if (!live)
        return nullptr;
    auto* doc = qobject_cast<CVK01Doc*>(live->OpenDocumentFile(QString(), true));
    if (!doc)
        return nullptr;
    doc->SetPristroj(&entry);
    return doc->FirstView();
}

} // namespace analysers_vk
