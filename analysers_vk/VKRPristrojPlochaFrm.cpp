#include "analysers_vk/VKRPristrojPlochaFrm.h"

#include "analysers_vk/VKRDetail.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKRDisplayValues.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "link/PristrojHost.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "shell/MavexApp.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QScreen>

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

std::map<const CPristroj*, QPointer<CVKRPristrojPlochaFrm>>& Panels()
{
    static std::map<const CPristroj*, QPointer<CVKRPristrojPlochaFrm>> panels;
    return panels;
}

platform::SettingsSection Section(const QString& name)
{
    return platform::SettingsSection({QStringLiteral("pristroje"), name});
}

} // namespace

CVKRPristrojPlochaFrm::CVKRPristrojPlochaFrm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Pristroj"));
    m_panel = new CVKRPlochaDlg(this);
    m_values = new CVKRHodnotyDlg(this);
    m_values->hide();
    connect(m_panel, &CVKRPlochaDlg::screenChanged, this, &CVKRPristrojPlochaFrm::UpdatePanel);
    connect(m_panel, &CVKRPlochaDlg::menuRequested, this, [this](QPoint at) {
        QMenu menu(this);
        FillMenu(menu);
        menu.exec(at);
    });
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize area = screen ? screen->geometry().size() : QSize(kFirstSize, kFirstSize);
    setGeometry(area.width() - kFirstSize, area.height() - kFirstSize, kFirstSize, kFirstSize);
}

CVKRPristrojPlochaFrm::~CVKRPristrojPlochaFrm()
{
    SaveState();
}

void CVKRPristrojPlochaFrm::SetDevice(CPristroj& entry)
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
    m_values->SetActiveTab(settings.GetProfileInt(section, QStringLiteral("p_tab1"), -1));
    const int x = settings.GetProfileInt(section, QStringLiteral("p_x"), kUnset);
    const int y = settings.GetProfileInt(section, QStringLiteral("p_y"), kUnset);
    const int cx = settings.GetProfileInt(section, QStringLiteral("p_cx"), kUnset);
    const int cy = settings.GetProfileInt(section, QStringLiteral("p_cy"), kUnset);
    if (x != kUnset && y != kUnset && cx != kUnset && cy != kUnset)
        setGeometry(x, y, cx, cy);
    setWindowTitle(entry.m_nazev);
    m_values->SetHeader(entry.m_nazev, QString());
}

void CVKRPristrojPlochaFrm::SaveState()
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
    settings.WriteProfileInt(section, QStringLiteral("p_tab1"), m_values->GetActiveTab());
}

bool CVKRPristrojPlochaFrm::EntryAlive()
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

void CVKRPristrojPlochaFrm::UpdatePanel()
{
    const auto* data = EntryAlive() ? dynamic_cast<const CVKRArchivData*>(m_entry->GetArchivData()) : nullptr;
    if (!data)
        return;
    m_values->SetValues(archive::vkr::FillValuesDialog(*data));
    m_feed.Update(m_panel->Control(), *data);
    CPristrojStatusTexts texts;
    if (m_entry->FillVKStatusTexts(texts))
        m_values->SetStatusTexts(texts);
    if (!m_showInstrument)
        m_values->update();
}

void CVKRPristrojPlochaFrm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QRect area(1, 1, width() - 1, height() - 1);
    (m_showInstrument ? static_cast<QWidget*>(m_panel) : m_values)->setGeometry(area);
}

void CVKRPristrojPlochaFrm::ToggleData()
{
    const QRect area(1, 1, width() - 1, height() - 1);
    m_showInstrument = !m_showInstrument;
    QWidget* shown = m_showInstrument ? static_cast<QWidget*>(m_panel) : m_values;
    QWidget* hidden = m_showInstrument ? static_cast<QWidget*>(m_values) : m_panel;
    hidden->hide();
    shown->setGeometry(area);
    shown->show();
}

void CVKRPristrojPlochaFrm::ToggleOnTop()
{
    m_onTop = !m_onTop;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, m_onTop);
    if (shown)
        show();
}

void CVKRPristrojPlochaFrm::FillMenu(QMenu& menu)
{
    menu.addAction(QStringLiteral("Data/Přístroj"), this, &CVKRPristrojPlochaFrm::ToggleData);
    menu.addAction(QStringLiteral("Návrat do aplikace"), this, [this] { Request(2); });
    menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [this] { Request(3); });
    QAction* top = menu.addAction(QStringLiteral("Vždy na vrchu"), this, &CVKRPristrojPlochaFrm::ToggleOnTop);
    top->setCheckable(true);
    top->setChecked(m_onTop);
    menu.addAction(QStringLiteral("Konec"), this, [this] { Request(1); });
}

void CVKRPristrojPlochaFrm::Request(int request)
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
        QPointer<QDialog> dialog;
        OpenVKRSettings(this, *m_entry, dialog);
    }
}

void CVKRPristrojPlochaFrm::closeEvent(QCloseEvent* event)
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

void SetVKRPanelRequestReceiver(QObject* receiver)
{
    RequestReceiver() = receiver;
}

CVKRPristrojPlochaFrm* FindVKRPanel(const CPristroj& entry)
{
    const auto it = Panels().find(&entry);
    return it == Panels().end() ? nullptr : it->second.data();
}

bool IsVKRPanelOpen(const CPristroj& entry)
{
    return FindVKRPanel(entry) != nullptr;
}

void OpenVKRPanel(CPristroj& entry)
{
    CVKRPristrojPlochaFrm* frame = FindVKRPanel(entry);
    if (!frame) {
        frame = new CVKRPristrojPlochaFrm;
        frame->SetDevice(entry);
        Panels()[&entry] = frame;
    }
    entry.m_onp = 1;
    frame->show();
    frame->raise();
    frame->activateWindow();
    frame->UpdatePanel();
}

void UpdateVKRPanel(CPristroj& entry)
{
    if (CVKRPristrojPlochaFrm* frame = FindVKRPanel(entry))
        frame->UpdatePanel();
}

void CloseVKRPanel(CPristroj& entry)
{
    const auto it = Panels().find(&entry);
    if (it == Panels().end())
        return;
    if (CVKRPristrojPlochaFrm* frame = it->second.data())
        delete frame;
    Panels().erase(it);
}

} // namespace analysers_vk
