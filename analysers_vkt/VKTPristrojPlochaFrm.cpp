#include "analysers_vkt/VKTPristrojPlochaFrm.h"

#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "archive/store/VKTArchivData.h"
#include "archive/store/VKTDisplayValues.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "link/PristrojHost.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "shell/MavexApp.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QPointer>

#include <algorithm>
#include <map>

namespace analysers_vkt {

namespace {

constexpr int kUnset = 0x7FFFFFFF;
constexpr int kDispidScenar = 2;
constexpr int kDispidSetUdaje = 3;

QPointer<QObject>& RequestReceiver()
{
    static QPointer<QObject> receiver;
    return receiver;
}

std::map<const CPristroj*, QPointer<CVKTPristrojPlochaFrm>>& Panels()
{
    static std::map<const CPristroj*, QPointer<CVKTPristrojPlochaFrm>> panels;
    return panels;
}

platform::SettingsSection Section(const QString& name)
{
    return platform::SettingsSection({QStringLiteral("pristroje"), name});
}

} // namespace

CVKTSeznamDlg::CVKTSeznamDlg(QWidget* parent) : QWidget(parent)
{
    QString error;
    m_control = controls::ControlFactory::create(controls::ControlFactory::VKTDialog, this, &error);
    if (m_control) {
        connect(m_control, &controls::CPanelControl::controlEvent, this, [this](int id, const QVariantList&) {
            if (id == 1)
                emit screenChanged();
            else if (id == controls::DispidMouseDown)
                emit menuRequested(QCursor::pos());
        });
    } else {
        auto* label = new QLabel(error, this);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        m_error = label;
    }
}

void CVKTSeznamDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_controlSize = QSize(std::max(width(), kMinControlSize), std::max(height(), kMinControlSize));
    QWidget* shown = m_control ? static_cast<QWidget*>(m_control) : m_error;
    shown->setGeometry(QRect(QPoint(1, 1), m_controlSize));
}

void CVKTSeznamDlg::contextMenuEvent(QContextMenuEvent* event)
{
    emit menuRequested(event->globalPos());
}

CVKTPristrojPlochaFrm::CVKTPristrojPlochaFrm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Pristroj"));
    m_panel = new CVKTSeznamDlg(this);
    m_values = new CVKTHodnotyDlg(this);
    m_values->SetArchiveMode(false);
    m_values->hide();
    connect(m_panel, &CVKTSeznamDlg::screenChanged, this, &CVKTPristrojPlochaFrm::UpdatePanel);
    connect(m_panel, &CVKTSeznamDlg::menuRequested, this, &CVKTPristrojPlochaFrm::ShowMenu);
    connect(m_values, &CVKTHodnotyDlg::PanelMenu, this, &CVKTPristrojPlochaFrm::ShowMenu);
    resize(420, 420);
}

CVKTPristrojPlochaFrm::~CVKTPristrojPlochaFrm()
{
    SaveState();
}

void CVKTPristrojPlochaFrm::ShowMenu(QPoint at)
{
    QMenu menu(this);
    FillMenu(menu);
    menu.exec(at);
}

void CVKTPristrojPlochaFrm::SetDevice(CPristroj& entry)
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
    m_values->SetActiveTab(settings.GetProfileInt(section, QStringLiteral("p_tab1"), -1),
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

void CVKTPristrojPlochaFrm::SaveState()
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
    m_values->GetActiveTab(t1, t2, t3);
    settings.WriteProfileInt(section, QStringLiteral("p_tab1"), t1);
    settings.WriteProfileInt(section, QStringLiteral("p_tab2"), t2);
    settings.WriteProfileInt(section, QStringLiteral("p_tab3"), t3);
}

bool CVKTPristrojPlochaFrm::EntryAlive()
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

void CVKTPristrojPlochaFrm::UpdatePanel()
{
    auto* data = EntryAlive() ? dynamic_cast<CVKTArchivData*>(m_entry->GetArchivData()) : nullptr;
    if (!data)
        return;
    m_values->SetReceivedMask(m_entry->GetValueMask());
    m_values->SetValues(archive::vkt::FillValuesDialog(*data, m_values->DialogRows(), 0));
    controls::CPanelControl* control = m_panel->Control();
    const int screen = control ? std::max(0, control->Invoke(kDispidScenar).toInt()) : 0;
    const CVKTPanelValues values = archive::vkt::GetPanelValues(*data, screen);
    if (control)
        control->Invoke(kDispidSetUdaje,
                        {values.values[0], values.values[1], values.values[2], values.values[3], values.flags});
    CPristrojStatusTexts texts;
    if (m_entry->FillVKTStatusTexts(texts))
        m_values->SetStatusTexts(texts);
    if (!m_showInstrument)
        m_values->update();
}

void CVKTPristrojPlochaFrm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const QRect area(1, 1, width() - 1, height() - 1);
    (m_showInstrument ? static_cast<QWidget*>(m_panel) : m_values)->setGeometry(area);
}

void CVKTPristrojPlochaFrm::ToggleData()
{
    const QRect area(1, 1, width() - 1, height() - 1);
    m_showInstrument = !m_showInstrument;
    QWidget* shown = m_showInstrument ? static_cast<QWidget*>(m_panel) : m_values;
    QWidget* hidden = m_showInstrument ? static_cast<QWidget*>(m_values) : m_panel;
    hidden->hide();
    shown->setGeometry(area);
    shown->show();
    shown->update();
}

void CVKTPristrojPlochaFrm::ToggleOnTop()
{
    m_onTop = !m_onTop;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, m_onTop);
    if (shown)
        show();
}

void CVKTPristrojPlochaFrm::FillMenu(QMenu& menu)
{
    menu.addAction(QStringLiteral("Data/Přístroj"), this, &CVKTPristrojPlochaFrm::ToggleData);
    menu.addAction(QStringLiteral("Návrat do aplikace"), this, [this] { Request(2); });
    menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [this] { Request(3); });
    QAction* top = menu.addAction(QStringLiteral("Vždy na vrchu"), this, &CVKTPristrojPlochaFrm::ToggleOnTop);
    top->setCheckable(true);
    top->setChecked(m_onTop);
    menu.addAction(QStringLiteral("Konec"), this, [this] { Request(1); });
}

void CVKTPristrojPlochaFrm::Request(int request)
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
        QPointer<QDialog> sheet;
        OpenVKTSettings(this, *m_entry, sheet);
    }
}

void CVKTPristrojPlochaFrm::closeEvent(QCloseEvent* event)
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

void SetVKTPanelRequestReceiver(QObject* receiver)
{
    RequestReceiver() = receiver;
}

CVKTPristrojPlochaFrm* FindVKTPanel(const CPristroj& entry)
{
    const auto it = Panels().find(&entry);
    return it == Panels().end() ? nullptr : it->second.data();
}

void OpenVKTPanel(CPristroj& entry)
{
    CVKTPristrojPlochaFrm* frame = FindVKTPanel(entry);
    if (!frame) {
        frame = new CVKTPristrojPlochaFrm;
        frame->SetDevice(entry);
        Panels()[&entry] = frame;
    }
    entry.m_onp = 1;
    frame->show();
    frame->raise();
    frame->activateWindow();
    frame->UpdatePanel();
}

void UpdateVKTPanel(CPristroj& entry)
{
    if (CVKTPristrojPlochaFrm* frame = FindVKTPanel(entry))
        frame->UpdatePanel();
}

void CloseVKTPanel(CPristroj& entry)
{
    const auto it = Panels().find(&entry);
    if (it == Panels().end())
        return;
    if (CVKTPristrojPlochaFrm* frame = it->second.data())
        delete frame;
    Panels().erase(it);
}

} // namespace analysers_vkt
