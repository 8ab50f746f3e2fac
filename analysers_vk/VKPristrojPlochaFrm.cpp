#include "analysers_vk/VKPristrojPlochaFrm.h"

#include "analysers_vk/VKDetail.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "analysers_vk/VKPaneLayout.h"
#include "analysers_vk/VKSeznamDlg.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKDisplayValues.h"
#include "controls/common/PanelControl.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "link/PristrojHost.h"
#include "shell/MavexApp.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QMenu>
#include <QPointer>

#include <algorithm>
#include <map>

namespace analysers_vk {

namespace {

constexpr int kUnset = 0x7FFFFFFF;

QPointer<QObject>& RequestReceiver()
{
    static QPointer<QObject> receiver;
    return receiver;
}

std::map<const CPristroj*, QPointer<CVKPristrojPlochaFrm>>& Panels()
{
    static std::map<const CPristroj*, QPointer<CVKPristrojPlochaFrm>> panels;
    return panels;
}

platform::SettingsSection Section(const QString& name)
{
    return platform::SettingsSection({QStringLiteral("pristroje"), name});
}

} // namespace

CVKPristrojPlochaFrm::CVKPristrojPlochaFrm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Pristroj"));
    m_panel = new CVKSeznamDlg(this);
    m_values = new CVKHodnotyDlg(this);
    m_values->hide();
    connect(m_panel, &CVKSeznamDlg::scenarioChanged, this, &CVKPristrojPlochaFrm::UpdatePanel);
    connect(m_panel, &CVKSeznamDlg::settingsRequested, this, [this] { Request(3); });
    connect(m_panel, &CVKSeznamDlg::menuRequested, this, [this](QPoint at) {
        QMenu menu(this);
        FillMenu(menu);
        menu.exec(at);
    });
    resize(420, 420);
}

CVKPristrojPlochaFrm::~CVKPristrojPlochaFrm()
{
    SaveState();
}

void CVKPristrojPlochaFrm::SetDevice(CPristroj& entry)
{
    platform::Settings settings;
    const platform::SettingsSection section = Section(entry.m_nazev);
    const bool onTop = settings.GetProfileInt(section, QStringLiteral("ONPnavrch"), 0) > 0;
    const bool instrument = settings.GetProfileInt(section, QStringLiteral("ONPisQorin"), 1) > 0;
    m_onTop = !onTop;
    ToggleOnTop();
    m_showInstrument = !instrument;
    ToggleData();
    m_entry = &entry;
    m_env = entry.Environment();
    m_entryName = entry.m_nazev;
    m_values->SetTabs(settings.GetProfileInt(section, QStringLiteral("p_tab1"), -1),
                      settings.GetProfileInt(section, QStringLiteral("p_tab2"), -1),
                      settings.GetProfileInt(section, QStringLiteral("p_tab3"), -1));
    const int x = settings.GetProfileInt(section, QStringLiteral("p_x"), kUnset);
    const int y = settings.GetProfileInt(section, QStringLiteral("p_y"), kUnset);
    const int cx = settings.GetProfileInt(section, QStringLiteral("p_cx"), kUnset);
    const int cy = settings.GetProfileInt(section, QStringLiteral("p_cy"), kUnset);
    if (x != kUnset && y != kUnset && cx != kUnset && cy != kUnset)
        setGeometry(x, y, cx, cy);
    setWindowTitle(entry.m_nazev);
}

void CVKPristrojPlochaFrm::SaveState()
{
    if (m_entryName.isEmpty())
        return;
    platform::Settings settings;
    const platform::SettingsSection section = Section(m_entryName);
    settings.WriteProfileInt(section, QStringLiteral("ONPnavrch"), m_onTop ? 1 : 0);
    settings.WriteProfileInt(section, QStringLiteral("ONPisQorin"), m_showInstrument ? 1 : 0);
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    settings.WriteProfileInt(section, QStringLiteral("p_x"), normal.x());
    settings.WriteProfileInt(section, QStringLiteral("p_y"), normal.y());
    settings.WriteProfileInt(section, QStringLiteral("p_cx"), normal.width());
    settings.WriteProfileInt(section, QStringLiteral("p_cy"), normal.height());
    int t1 = -1, t2 = -1, t3 = -1;
    m_values->GetTabs(t1, t2, t3);
    settings.WriteProfileInt(section, QStringLiteral("p_tab1"), t1);
    settings.WriteProfileInt(section, QStringLiteral("p_tab2"), t2);
    settings.WriteProfileInt(section, QStringLiteral("p_tab3"), t3);
}

bool CVKPristrojPlochaFrm::EntryAlive()
{
    if (!m_entry || !m_env)
        return false;
    // Only the application keeps the list of entries; elsewhere (tools,
    // tests) the entry is taken as it is.
    auto* app = dynamic_cast<CMavexApp*>(&m_env->PristrojHost());
    if (!app)
        return true;
    const std::vector<CPristroj*> entries = app->Instruments();
    if (std::find(entries.begin(), entries.end(), m_entry) != entries.end())
        return true;
    m_entry = nullptr;
    return false;
}

void CVKPristrojPlochaFrm::UpdatePanel()
{
    auto* data = EntryAlive() ? dynamic_cast<CVKArchivData*>(m_entry->GetArchivData()) : nullptr;
    if (!data)
        return;
    m_values->SetValues(archive::vk::FillValuesDialog(*data));
    controls::CPanelControl* control = m_panel->Control();
    const int model = data->GetModelIndex();
    const int offset = CVKScenario::Offset(model);
    m_panel->SetScenarioOffset(offset);
    int scenar = control ? control->Invoke(1).toInt() : offset;
    const int normalised = CVKScenario::Normalise(scenar, model);
    if (control && normalised != scenar)
        control->Invoke(1, {normalised});
    scenar = normalised;
    const CVKPanelValues values = archive::vk::GetPanelValues(*data, scenar - offset);
    if (control) {
        control->Invoke(3, {values.out[0], values.out[1], values.out[2], values.bits[0] != 0, values.bits[1] != 0});
        if (values.connectionMode2 != m_isAron) {
            m_isAron = values.connectionMode2;
            control->Invoke(2, {m_isAron != 0});
        }
    }
    CPristrojStatusTexts texts;
    if (m_entry->FillVKStatusTexts(texts))
        m_values->SetStatusTexts(texts);
}

void CVKPristrojPlochaFrm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QRect area(1, 1, width() - 1, height() - 1);
    (m_showInstrument ? static_cast<QWidget*>(m_panel) : m_values)->setGeometry(area);
}

void CVKPristrojPlochaFrm::ToggleData()
{
    const QRect area(1, 1, width() - 1, height() - 1);
    m_showInstrument = !m_showInstrument;
    if (m_showInstrument) {
        m_values->hide();
        m_panel->setGeometry(area);
        m_panel->show();
    } else {
        m_panel->hide();
        m_values->setGeometry(area);
        m_values->show();
        m_values->update();
    }
}

void CVKPristrojPlochaFrm::ToggleOnTop()
{
    m_onTop = !m_onTop;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, m_onTop);
    if (shown)
        show();
}

void CVKPristrojPlochaFrm::FillMenu(QMenu& menu)
{
    menu.addAction(QStringLiteral("Data/Přístroj"), this, &CVKPristrojPlochaFrm::ToggleData);
    menu.addAction(QStringLiteral("Návrat do aplikace"), this, [this] { Request(2); });
    menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [this] { Request(3); });
    QAction* top = menu.addAction(QStringLiteral("Vždy na vrchu"), this, &CVKPristrojPlochaFrm::ToggleOnTop);
    top->setCheckable(true);
    top->setChecked(m_onTop);
    menu.addAction(QStringLiteral("Konec"), this, [this] { Request(1); });
}

void CVKPristrojPlochaFrm::Request(int request)
{
    QObject* receiver = RequestReceiver().data();
    if (receiver && EntryAlive()) {
        platform::PostMessageTo(receiver, platform::WM_APP_OPEN_DEVICE_DETAIL,
                                reinterpret_cast<std::uintptr_t>(m_entry), request);
        return;
    }
    // Without the application's handler the panel does what it can itself.
    if (request == 1) {
        if (m_entry)
            m_entry->m_onp = 0;
        m_closing = true;
        close();
    } else if (request == 3 && EntryAlive()) {
        OpenVKSettings(this, *m_entry);
    }
}

void CVKPristrojPlochaFrm::closeEvent(QCloseEvent* event)
{
    if (m_closing || !RequestReceiver() || !EntryAlive()) {
        event->accept();
        deleteLater();
        return;
    }
    // The application closes the panel, as for "Konec".
    event->ignore();
    Request(1);
}

void SetVKPanelRequestReceiver(QObject* receiver)
{
    RequestReceiver() = receiver;
}

CVKPristrojPlochaFrm* FindVKPanel(const CPristroj& entry)
{
    const auto it = Panels().find(&entry);
    return it == Panels().end() ? nullptr : it->second.data();
}

void OpenVKPanel(CPristroj& entry)
{
    CVKPristrojPlochaFrm* frame = FindVKPanel(entry);
    if (!frame) {
        frame = new CVKPristrojPlochaFrm;
        frame->SetDevice(entry);
        Panels()[&entry] = frame;
    }
    entry.m_onp = 1;
    frame->show();
    frame->raise();
    frame->activateWindow();
    frame->UpdatePanel();
}

void UpdateVKPanel(CPristroj& entry)
{
    if (CVKPristrojPlochaFrm* frame = FindVKPanel(entry))
        frame->UpdatePanel();
}

void CloseVKPanel(CPristroj& entry)
{
    const auto it = Panels().find(&entry);
    if (it == Panels().end())
        return;
    if (CVKPristrojPlochaFrm* frame = it->second.data())
        delete frame;
    Panels().erase(it);
}

} // namespace analysers_vk
