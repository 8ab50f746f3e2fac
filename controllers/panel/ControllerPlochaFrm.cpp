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

#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QLabel>

#include <algorithm>

namespace controllers {

namespace {

// The control's stock mouse-down event: the panel's menu.
constexpr int kMouseDown = -605;

ui::CPanelRegistry& Panels()
{
    static ui::CPanelRegistry panels;
    return panels;
}

} // namespace

CControllerPlochaFrm::CControllerPlochaFrm(bool duskar, QWidget* parent)
    : CPristrojPanelFrm(Panels(), parent), m_duskar(duskar)
{
    QString error;
    m_panel = controls::ControlFactory::create(
        duskar ? controls::ControlFactory::DuskarDialog : controls::ControlFactory::QorinDialog, this, &error);
    if (m_panel) {
        connect(m_panel, &controls::CPanelControl::controlEvent, this,
                [this](int id, const QVariantList&) { OnPanelKey(id); });
        m_panel->installEventFilter(this);
    } else {
        m_panelError = new QLabel(error, this);
        m_panelError->setWordWrap(true);
    }
    if (duskar)
        m_values = new CDuskarValuesPanel(this);
    else
        m_values = new CQorinHodnotyDlg(this);
    // The frame's menu, ending with the values display's own items.
    connect(m_values, &CValuesDlgBase::PanelMenu, this, [this](const QPoint& at) {
        QMenu menu(this);
        FillMenu(menu);
        m_values->AddPanelCommands(menu);
        menu.exec(at);
    });
    SetChildren(m_panel ? static_cast<QWidget*>(m_panel) : m_panelError, m_values);
    PlaceInLowerRight(kSize, true);
}

void CControllerPlochaFrm::UpdatePanel()
{
    CPristroj* entry = LiveDevice();
    CArchivData* data = entry ? entry->GetArchivData() : nullptr;
    if (!FeedControllerPanel(m_panel, data, m_duskar, m_menu, m_model, m_type))
        return;
    FeedValues(m_values, *entry);
    if (ShowsInstrument() && m_panel)
        m_panel->Invoke(7);
    else
        m_values->update();
}

void CControllerPlochaFrm::OnPanelKey(int id)
{
    switch (id) {
    case 1: Request(kSettingsRequest); return;
    case kMouseDown: ShowMenu(QCursor::pos()); return;
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

bool CControllerPlochaFrm::eventFilter(QObject* watched, QEvent* event)
{
    // The front panel's mouse-down has shown the menu already. The context
    // event of the same click comes once that menu is done, and would reach
    // the frame, which shows the menu over the values: after "Data/Přístroj"
    // a second time.
    if (watched == m_panel && event->type() == QEvent::ContextMenu) {
        auto* context = static_cast<QContextMenuEvent*>(event);
        if (context->reason() != QContextMenuEvent::Mouse)
            ShowMenu(context->globalPos());
        context->accept();
        return true;
    }
    return CPristrojPanelFrm::eventFilter(watched, event);
}

void CControllerPlochaFrm::PlaceChildren()
{
    QWidget* panel = m_panel ? static_cast<QWidget*>(m_panel) : m_panelError;
    // The front panel keeps at least its natural size; the frame clips it.
    panel->setGeometry(1, 1, std::max(kSize, width()), std::max(kSize, height()));
    m_values->setGeometry(1, 1, width(), height());
}

void CControllerPlochaFrm::DataToggled()
{
    if (ShowsInstrument() && m_panel)
        m_panel->Invoke(7);
}

void CControllerPlochaFrm::OpenSettingsWithoutReceiver()
{
    OpenControllerSettings(this, *Device());
}

void SetControllerPanelRequestReceiver(QObject* receiver)
{
    Panels().SetReceiver(receiver);
}

CControllerPlochaFrm* FindControllerPanel(const CPristroj& entry)
{
    return static_cast<CControllerPlochaFrm*>(Panels().Find(&entry));
}

void OpenControllerPanel(CPristroj& entry)
{
    // However it was opened, the instrument list shows the panel as open
    // and the next start opens it again.
    entry.m_onp = 1;
    OpenPristrojPanel(Panels(), entry,
                      [&entry] { return new CControllerPlochaFrm(entry.GetType() == CPristroj::kDuskar); });
}

void UpdateControllerPanel(CPristroj& entry)
{
    Panels().Update(&entry);
}

void CloseControllerPanel(CPristroj& entry)
{
    Panels().Close(&entry);
}

} // namespace controllers
