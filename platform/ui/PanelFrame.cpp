#include "platform/ui/PanelFrame.h"

#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/MenuCommand.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace ui {

namespace {

constexpr int kUnset = 0x7FFFFFFF;

platform::SettingsSection Section(const QString& name)
{
    return platform::SettingsSection({QStringLiteral("pristroje"), name});
}

QString TabKey(int index)
{
    return QStringLiteral("p_tab%1").arg(index + 1);
}

} // namespace

CPanelFrame* CPanelRegistry::Find(const void* subject) const
{
    const auto it = m_panels.find(subject);
    return it == m_panels.end() ? nullptr : it->second.data();
}

void CPanelRegistry::Add(const void* subject, CPanelFrame* frame)
{
    m_panels[subject] = frame;
}

void CPanelRegistry::Update(const void* subject) const
{
    if (CPanelFrame* frame = Find(subject))
        frame->UpdatePanel();
}

void CPanelRegistry::Close(const void* subject)
{
    const auto it = m_panels.find(subject);
    if (it == m_panels.end())
        return;
    delete it->second.data();
    m_panels.erase(it);
}

CPanelFrame::CPanelFrame(CPanelRegistry& registry, QWidget* parent) : QWidget(parent, Qt::Window), m_registry(registry)
{
    setWindowTitle(QStringLiteral("Pristroj"));
    m_name.OnRenamed([this](const QString& name) { setWindowTitle(name); });
}

CPanelFrame::~CPanelFrame()
{
    SaveState();
}

void CPanelFrame::SetChildren(QWidget* instrument, QWidget* values)
{
    m_instrument = instrument;
    m_values = values;
    m_values->hide();
}

QWidget* CPanelFrame::ShownChild() const
{
    return m_showInstrument ? m_instrument : m_values;
}

void CPanelFrame::KeepTabs(int count, std::function<std::vector<int>()> get,
                           std::function<void(const std::vector<int>&)> set)
{
    m_tabCount = count;
    m_getTabs = std::move(get);
    m_setTabs = std::move(set);
}

void CPanelFrame::PlaceInLowerRight(int size, bool byFrame)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize area = screen ? screen->geometry().size() : QSize(size, size);
    if (byFrame) {
        resize(size, size);
        move(area.width() - size, area.height() - size);
    } else {
        setGeometry(area.width() - size, area.height() - size, size, size);
    }
}

void CPanelFrame::LoadState(const QString& name)
{
    platform::Settings settings;
    const platform::SettingsSection section = Section(name);
    // The toggles flip, so each starts from the opposite of what was kept.
    m_onTop = !(settings.GetProfileInt(section, QStringLiteral("ONPnavrch"), 0) > 0);
    ToggleOnTop();
    m_showInstrument = !(settings.GetProfileInt(section, QStringLiteral("ONPisQorin"), 1) > 0);
    ToggleData();
    m_name.Set(name);
    if (m_setTabs) {
        std::vector<int> tabs;
        for (int i = 0; i < m_tabCount; ++i)
            tabs.push_back(settings.GetProfileInt(section, TabKey(i), -1));
        m_setTabs(tabs);
    }
    const int x = settings.GetProfileInt(section, QStringLiteral("p_x"), kUnset);
    const int y = settings.GetProfileInt(section, QStringLiteral("p_y"), kUnset);
    const int cx = settings.GetProfileInt(section, QStringLiteral("p_cx"), kUnset);
    const int cy = settings.GetProfileInt(section, QStringLiteral("p_cy"), kUnset);
    if (x != kUnset && y != kUnset && cx != kUnset && cy != kUnset)
        setGeometry(x, y, cx, cy);
    setWindowTitle(name);
}

void CPanelFrame::SaveState()
{
    if (m_name.IsEmpty())
        return;
    platform::Settings settings;
    const platform::SettingsSection section = Section(m_name.Get());
    settings.WriteProfileInt(section, QStringLiteral("ONPnavrch"), m_onTop ? 1 : 0);
    settings.WriteProfileInt(section, QStringLiteral("ONPisQorin"), m_showInstrument ? 1 : 0);
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    settings.WriteProfileInt(section, QStringLiteral("p_x"), normal.x());
    settings.WriteProfileInt(section, QStringLiteral("p_y"), normal.y());
    settings.WriteProfileInt(section, QStringLiteral("p_cx"), normal.width());
    settings.WriteProfileInt(section, QStringLiteral("p_cy"), normal.height());
    if (m_getTabs) {
        const std::vector<int> tabs = m_getTabs();
        for (int i = 0; i < m_tabCount && i < int(tabs.size()); ++i)
            settings.WriteProfileInt(section, TabKey(i), tabs[std::size_t(i)]);
    }
}

void CPanelFrame::PlaceChildren()
{
    ShownChild()->setGeometry(1, 1, width() - 1, height() - 1);
}

void CPanelFrame::ToggleData()
{
    m_showInstrument = !m_showInstrument;
    QWidget* shown = ShownChild();
    QWidget* hidden = m_showInstrument ? m_values : m_instrument;
    hidden->hide();
    PlaceChildren();
    shown->show();
    shown->update();
    DataToggled();
}

void CPanelFrame::ToggleOnTop()
{
    m_onTop = !m_onTop;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, m_onTop);
    if (shown)
        show();
}

void CPanelFrame::FillMenu(QMenu& menu)
{
    ui::WithCommandId(menu.addAction(QStringLiteral("Data/Přístroj"), this, &CPanelFrame::ToggleData), 32142);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Návrat do aplikace"), this, [this] { Request(kReturnRequest); }), 32143);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [this] { Request(kSettingsRequest); }), 32136);
    QAction* top
        = ui::WithCommandId(menu.addAction(QStringLiteral("Vždy na vrchu"), this, &CPanelFrame::ToggleOnTop), 32144);
    top->setCheckable(true);
    top->setChecked(m_onTop);
    menu.addAction(QStringLiteral("Konec"), this, [this] { Request(kCloseRequest); });
}

void CPanelFrame::ShowMenu(QPoint at)
{
    QMenu menu(this);
    FillMenu(menu);
    menu.exec(at);
}

void CPanelFrame::Request(int request)
{
    QObject* receiver = m_registry.Receiver();
    if (receiver && SubjectAlive()) {
        platform::PostMessageTo(receiver, platform::WM_APP_OPEN_DEVICE_DETAIL,
                                reinterpret_cast<std::uintptr_t>(m_subject), request);
        return;
    }
    if (request == kCloseRequest) {
        ClosedWithoutReceiver();
        m_closing = true;
        close();
    } else if (request == kSettingsRequest && SubjectAlive()) {
        OpenSettingsWithoutReceiver();
    }
}

void CPanelFrame::Present()
{
    show();
    raise();
    activateWindow();
    UpdatePanel();
}

void CPanelFrame::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_instrument)
        PlaceChildren();
}

void CPanelFrame::contextMenuEvent(QContextMenuEvent* event)
{
    // The instrument panel asks for the menu itself; the values have no menu
    // of their own, so a right click on them gives the panel's (the way back
    // to the instrument and "Konec" included).
    if (!ShowsInstrument())
        ShowMenu(event->globalPos());
    event->accept();
}

void CPanelFrame::closeEvent(QCloseEvent* event)
{
    if (m_closing || !m_registry.Receiver() || !SubjectAlive()) {
        event->accept();
        deleteLater();
        return;
    }
    // The application closes the panel, as for "Konec".
    event->ignore();
    Request(kCloseRequest);
}

} // namespace ui
