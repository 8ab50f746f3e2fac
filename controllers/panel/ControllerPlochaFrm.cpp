#include "controllers/panel/ControllerPlochaFrm.h"

#include "controllers/ControllerSettings.h"
#include "controllers/live/ControllerAktMer.h"
#include "controllers/live/ControllerPaneLayout.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/QorinHodnotyDlg.h"
#include "controllers/values/ValuesFeed.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <map>

namespace controllers {

namespace {

constexpr int kUnset = 0x7FFFFFFF;
// The control's stock mouse-down event: the panel's menu.
constexpr int kMouseDown = -605;

QPointer<QObject>& RequestReceiver()
{
    static QPointer<QObject> receiver;
    return receiver;
}

std::map<const CPristroj*, QPointer<CControllerPlochaFrm>>& Panels()
{
    static std::map<const CPristroj*, QPointer<CControllerPlochaFrm>> panels;
    return panels;
}

platform::SettingsSection Section(const QString& name)
{
    return platform::SettingsSection({QStringLiteral("pristroje"), name});
}

} // namespace

CControllerPlochaFrm::CControllerPlochaFrm(bool duskar, QWidget* parent) : QWidget(parent, Qt::Window), m_duskar(duskar)
{
    setWindowTitle(QStringLiteral("Pristroj"));
    QString error;
    m_panel = controls::ControlFactory::create(
        duskar ? controls::ControlFactory::DuskarDialog : controls::ControlFactory::QorinDialog, this, &error);
    if (m_panel) {
        connect(m_panel, &controls::CPanelControl::controlEvent, this,
                [this](int id, const QVariantList&) { OnPanelKey(id); });
    } else {
        m_panelError = new QLabel(error, this);
        m_panelError->setWordWrap(true);
    }
    if (duskar)
        m_values = new CDuskarValuesPanel(this);
    else
        m_values = new CQorinHodnotyDlg(this);
    connect(m_values, &CValuesDlgBase::PanelMenu, this, [this](const QPoint& at) {
        QMenu menu(this);
        FillMenu(menu);
        menu.exec(at);
    });
    m_values->hide();
    // A first panel sits in the lower right corner of the screen.
    resize(kSize, kSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.width() - kSize, area.height() - kSize);
    }
}

CControllerPlochaFrm::~CControllerPlochaFrm()
{
    SaveState();
}

void CControllerPlochaFrm::SetDevice(CPristroj& entry)
{
    platform::Settings settings;
    const platform::SettingsSection section = Section(entry.m_nazev);
    m_onTop = !(settings.GetProfileInt(section, QStringLiteral("ONPnavrch"), 0) > 0);
    m_isPanel = !(settings.GetProfileInt(section, QStringLiteral("ONPisQorin"), 1) > 0);
    ToggleData();
    ToggleOnTop();
    m_entry = &entry;
    m_entryName = entry.m_nazev;
    const int x = settings.GetProfileInt(section, QStringLiteral("p_x"), kUnset);
    const int y = settings.GetProfileInt(section, QStringLiteral("p_y"), kUnset);
    const int cx = settings.GetProfileInt(section, QStringLiteral("p_cx"), kUnset);
    const int cy = settings.GetProfileInt(section, QStringLiteral("p_cy"), kUnset);
    if (x != kUnset && y != kUnset && cx != kUnset && cy != kUnset)
        setGeometry(x, y, cx, cy);
    setWindowTitle(entry.m_nazev);
}

void CControllerPlochaFrm::SaveState()
{
    if (m_entryName.isEmpty())
        return;
    platform::Settings settings;
    const platform::SettingsSection section = Section(m_entryName);
    settings.WriteProfileInt(section, QStringLiteral("ONPnavrch"), m_onTop ? 1 : 0);
    settings.WriteProfileInt(section, QStringLiteral("ONPisQorin"), m_isPanel ? 1 : 0);
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    settings.WriteProfileInt(section, QStringLiteral("p_x"), normal.x());
    settings.WriteProfileInt(section, QStringLiteral("p_y"), normal.y());
    settings.WriteProfileInt(section, QStringLiteral("p_cx"), normal.width());
    settings.WriteProfileInt(section, QStringLiteral("p_cy"), normal.height());
}

void CControllerPlochaFrm::UpdatePanel()
{
    CArchivData* data = m_entry ? m_entry->GetArchivData() : nullptr;
    if (!FeedControllerPanel(m_panel, data, m_duskar, m_menu, m_model, m_type))
        return;
    FeedValues(m_values, *m_entry);
    if (m_isPanel && m_panel)
        m_panel->Invoke(7);
    else
        m_values->update();
}

void CControllerPlochaFrm::OnPanelKey(int id)
{
    switch (id) {
    case 1: Request(3); return;
    case kMouseDown: {
        QMenu menu(this);
        FillMenu(menu);
        menu.exec(QCursor::pos());
        return;
    }
    case 2:
    case 3:
    case 4: {
        const CControllerMenu::Key key = id == 2 ? CControllerMenu::kM : id == 3 ? CControllerMenu::kUp : CControllerMenu::kDown;
        m_menu = m_duskar ? CControllerMenu::DuskarStep(m_menu, key) : CControllerMenu::QorinStep(m_menu, key);
        UpdatePanel();
        return;
    }
    default: return;
    }
}

void CControllerPlochaFrm::PlaceChild()
{
    QWidget* panel = m_panel ? static_cast<QWidget*>(m_panel) : m_panelError;
    // The front panel keeps at least its natural size; the frame clips it.
    panel->setGeometry(1, 1, std::max(kSize, width()), std::max(kSize, height()));
    m_values->setGeometry(1, 1, width(), height());
}

void CControllerPlochaFrm::ToggleData()
{
    m_isPanel = !m_isPanel;
    QWidget* panel = m_panel ? static_cast<QWidget*>(m_panel) : m_panelError;
    panel->setVisible(m_isPanel);
    m_values->setVisible(!m_isPanel);
    PlaceChild();
    if (m_isPanel && m_panel)
        m_panel->Invoke(7);
}

void CControllerPlochaFrm::ToggleOnTop()
{
    m_onTop = !m_onTop;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, m_onTop);
    if (shown)
        show();
}

void CControllerPlochaFrm::FillMenu(QMenu& menu)
{
    menu.addAction(QStringLiteral("Data/Přístroj"), this, &CControllerPlochaFrm::ToggleData);
    menu.addAction(QStringLiteral("Návrat do aplikace"), this, [this] { Request(2); });
    menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [this] { Request(3); });
    QAction* top = menu.addAction(QStringLiteral("Vždy na vrchu"), this, &CControllerPlochaFrm::ToggleOnTop);
    top->setCheckable(true);
    top->setChecked(m_onTop);
    menu.addAction(QStringLiteral("Konec"), this, [this] { Request(1); });
}

void CControllerPlochaFrm::Request(int request)
{
    if (QObject* receiver = RequestReceiver().data(); receiver && m_entry) {
        platform::PostMessageTo(receiver, platform::WM_APP_OPEN_DEVICE_DETAIL, reinterpret_cast<std::uintptr_t>(m_entry),
                                request);
        return;
    }
    // Without the application's handler the panel does what it can itself.
    if (request == 1) {
        m_closing = true;
        close();
    } else if (request == 3 && m_entry) {
        OpenControllerSettings(this, *m_entry);
    }
}

void CControllerPlochaFrm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceChild();
}

void CControllerPlochaFrm::closeEvent(QCloseEvent* event)
{
    if (m_closing || !RequestReceiver() || !m_entry) {
        event->accept();
        deleteLater();
        return;
    }
    event->ignore();
    Request(1);
}

void SetControllerPanelRequestReceiver(QObject* receiver)
{
    RequestReceiver() = receiver;
}

CControllerPlochaFrm* FindControllerPanel(const CPristroj& entry)
{
    const auto it = Panels().find(&entry);
    return it == Panels().end() ? nullptr : it->second.data();
}

void OpenControllerPanel(CPristroj& entry)
{
    CControllerPlochaFrm* frame = FindControllerPanel(entry);
    if (!frame) {
        frame = new CControllerPlochaFrm(entry.GetType() == CPristroj::kDuskar);
        frame->SetDevice(entry);
        Panels()[&entry] = frame;
    }
    frame->show();
    frame->raise();
    frame->activateWindow();
    frame->UpdatePanel();
}

void UpdateControllerPanel(CPristroj& entry)
{
    if (CControllerPlochaFrm* frame = FindControllerPanel(entry))
        frame->UpdatePanel();
}

void CloseControllerPanel(CPristroj& entry)
{
    const auto it = Panels().find(&entry);
    if (it == Panels().end())
        return;
    delete it->second.data();
    Panels().erase(it);
}

} // namespace controllers
