#include "analysers_vk/VKRAktMer.h"

#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKR01Doc.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "analysers_vk/VKRPristrojPlochaFrm.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKRDisplayValues.h"
#include "charts/PanelEventList.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QMenu>

namespace analysers_vk {

namespace {

constexpr int kUnset = 0x7FFFFFFF;
constexpr int kLiveResourceId = 184;

CVKRArchivData* LiveData(CPristroj* entry)
{
    return entry ? dynamic_cast<CVKRArchivData*>(entry->GetArchivData()) : nullptr;
}

platform::SettingsSection EntrySection(const QString& name)
{
    return platform::SettingsSection({QStringLiteral("pristroje"), name});
}

} // namespace

CVKRAktMer::CVKRAktMer(QWidget* parent) : CVKR01View(parent)
{
    SetMessageHandler(platform::WM_NEW_DATA, [this](std::uintptr_t, std::intptr_t) {
        OnNewData();
        return 0;
    });
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
    CVKR01View::hideEvent(event);
}

void CVKRAktMer::RestoreState()
{
    CPristroj* entry = Pristroj();
    if (!entry)
        return;
    m_entryName = entry->m_nazev;
    platform::Settings settings;
    const bool known = settings.SubSections(QStringLiteral("pristroje")).contains(entry->m_nazev);
    const platform::SettingsSection section =
        known ? EntrySection(entry->m_nazev) : platform::SettingsSection("Obecne nastaveni vkr");
    m_isAlarm = settings.GetProfileInt(section, QStringLiteral("isAlarm"), 1);
    m_isData = settings.GetProfileInt(section, QStringLiteral("isData"), 1);
    m_isNahled = settings.GetProfileInt(section, QStringLiteral("isNahled"), 0);
    m_isGraf = settings.GetProfileInt(section, QStringLiteral("isGraf"), 1);
    ResetPanes();
    if (!known)
        return;
    const int x = settings.GetProfileInt(section, QStringLiteral("x"), kUnset);
    const int y = settings.GetProfileInt(section, QStringLiteral("y"), kUnset);
    const int cx = settings.GetProfileInt(section, QStringLiteral("cx"), kUnset);
    const int cy = settings.GetProfileInt(section, QStringLiteral("cy"), kUnset);
    ui::CChildFrame* frame = GetParentFrame();
    if (frame && x != kUnset && y != kUnset && cx != kUnset && cy != kUnset) {
        frame->SetRememberedDocument(ui::CView::GetDocument());
        frame->setGeometry(x, y, cx, cy);
        if (settings.GetProfileInt(section, QStringLiteral("maximize"), 0))
            frame->showMaximized();
        frame->SetRememberedDocument(nullptr);
    }
    Values()->SetActiveTab(settings.GetProfileInt(section, QStringLiteral("tab1"), -1));
}

void CVKRAktMer::SaveState()
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
    settings.WriteProfileInt(section, QStringLiteral("tab1"), Values()->GetActiveTab());
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
    ui::CDocTemplate* live = manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VKR01.Document"));
    if (!live)
        return nullptr;
    auto* doc = qobject_cast<CVKR01Doc*>(live->OpenDocumentFile(QString(), true));
    if (!doc)
        return nullptr;
    doc->SetPristroj(&entry);
    return doc->FirstView();
}

} // namespace analysers_vk
