#include "shell/MainFrame.h"

#include "archive_docs/ArchivDocBase.h"
#include "archive/store/ArchivData.h"
#include "archive/store/ArchivHost.h"
#include "archive/store/ArchivSettingsCheck.h"
#include "charts/ArchivToolBar.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "platform/ui/HtmlHelp.h"
#include "platform/ui/MenuCommand.h"
#include "platform/ui/MessageBox.h"
#include "shell/AppTasks.h"
#include "shell/CloseWindows.h"
#include "shell/GeneralSettings.h"
#include "shell/MavexApp.h"
#include "shell/PristrojeDlg.h"
#include "shell/WaitCursor.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <thread>
#include <utility>

namespace {

constexpr const char* kBarStateValue = "stav";
// The help context of the main window (0x20000 + its resource id).
constexpr int kMainFrameHelpContext = 0x20080;

struct HelpRange {
    int first;
    int last;
    int topic;
};

// The instrument commands of a live window's own menu that the
// "Vybraný přístroj" bar carries as its buttons.
constexpr int kMeasurementBarCommands[] = {32136, 40029, 32232, 32236, 32227, 32230, 32231, 40006, 40030};

QAction* FindMenuCommand(const QMenu& menu, int id)
{
    for (QAction* action : menu.actions()) {
        if (const QMenu* sub = action->menu()) {
            if (QAction* found = FindMenuCommand(*sub, id))
                return found;
        } else if (action->data().typeId() == QMetaType::Int && action->data().toInt() == id) {
            return action;
        }
    }
    return nullptr;
}

constexpr HelpRange kHelpTopics[] = {
    {0x18003, 0x18003, 102}, {0x20082, 0x20082, 102}, {0x18004, 0x18004, 103}, {0x20084, 0x20084, 103},
    {0x18005, 0x18005, 117}, {0x20085, 0x20087, 116}, {0x20092, 0x20092, 106}, {0x200A2, 0x200A2, 113},
    {0x200A7, 0x200A7, 107}, {0x200AB, 0x200AB, 105}, {0x200B3, 0x200B4, 119}, {0x200B6, 0x200B8, 104},
    {0x200BA, 0x200BA, 106}, {0x200BC, 0x200BC, 113}, {0x200BD, 0x200BD, 116}, {0x200BF, 0x200BF, 116},
    {0x200C1, 0x200C1, 116}, {0x200CF, 0x200CF, 116}, {0x200C3, 0x200C5, 118}, {0x200D0, 0x200D0, 118},
    {0x200CE, 0x200CE, 119}, {0x200D1, 0x200D1, 105}, {0x200D4, 0x200D4, 112},
};

int HelpContextOf(const ui::CDocument* document)
{
    const ui::CDocTemplate* docTemplate = document ? document->GetDocTemplate() : nullptr;
    return docTemplate ? 0x20000 + docTemplate->ResourceId() : kMainFrameHelpContext;
}

// F1 in a dialog: the frame's F1 belongs to the frame's window, so a dialog
// in front would take the key and do nothing with it.
class DialogHelpKey : public QObject {
public:
    explicit DialogHelpKey(CMainFrame* frame) : QObject(frame), m_frame(frame) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        const auto* widget = static_cast<QWidget*>(watched);
        if (!qobject_cast<const QDialog*>(widget->window()))
            return false;
        m_frame->WinHelp(CMainFrame::DialogHelpContext(widget));
        return true;
    }

private:
    CMainFrame* m_frame;
};

// A window's context menu is a window of its own, where the prompts of its
// items would stop unseen; the frame's status bar shows them as it shows
// those of its menu bar.
class MenuPromptRelay : public QObject {
public:
    explicit MenuPromptRelay(CMainFrame* frame) : QObject(frame), m_frame(frame) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::StatusTip || !qobject_cast<QMenu*>(watched))
            return false;
        QWidget* owner = static_cast<QWidget*>(watched);
        while (qobject_cast<QMenu*>(owner))
            owner = owner->parentWidget();
        if (!owner || owner->window() != m_frame)
            return false;
        m_frame->statusBar()->showMessage(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }

private:
    CMainFrame* m_frame;
};

} // namespace

CMainFrame::CMainFrame(CDeviceRegistry::InstrumentList& devices, CGeneralSettings& settings, CMavexApp* app)
    : m_devices(devices), m_settings(settings), m_app(app)
{
    // The window list of a second start finds the program by this prefix.
    setWindowTitle(QStringLiteral("Mavex"));
    CreateMenus();
    CreateBars();
    statusBar()->showMessage(QString());
    RegisterHandlers();
    connect(MdiArea(), &QMdiArea::subWindowActivated, this, [this] { RebuildWindowCommands(); });
    m_writeTimer = new QTimer(this);
    m_writeTimer->setSingleShot(true);
    m_writeTimer->setInterval(0);
    connect(m_writeTimer, &QTimer::timeout, this, &CMainFrame::WriteNextHandOver);
    // The buttons follow their commands' state while the program idles, as
    // the frame's tool bars always have.
    m_commandTimer = new QTimer(this);
    m_commandTimer->setInterval(400);
    connect(m_commandTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    m_commandTimer->start();
    qApp->installEventFilter(new DialogHelpKey(this));
    qApp->installEventFilter(new MenuPromptRelay(this));
    if (m_app) {
        connect(m_actions[kOpenArchive], &QAction::triggered, this, [this] { m_app->OnOpenArchive(this); });
        connect(m_actions[kAppAbout], &QAction::triggered, this, [this] { m_app->OnAppAbout(this); });
        connect(m_actions[kOpenByInstrument], &QAction::triggered, this, [this] { m_app->OnOpenByInstrument(this); });
        connect(m_actions[kDownloadManager], &QAction::triggered, this, [this] { m_app->OnDownloadManager(this); });
        // Open without a modem line too: there the user tells which port has one.
        m_actions[kModems]->setEnabled(true);
        connect(m_actions[kModems], &QAction::triggered, this, [this] { m_app->OnModems(this); });
        connect(m_fileMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
        connect(m_devicesMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
        m_actions[kAddDevice]->setEnabled(true);
        connect(m_actions[kAddDevice], &QAction::triggered, this, [this] { m_app->AddInstrument(this); });
        m_actions[kInstrumentList]->setEnabled(true);
        connect(m_actions[kInstrumentList], &QAction::triggered, this, [this] { m_app->OnInstrumentList(this); });
        m_actions[kGeneralSettings]->setEnabled(true);
        connect(m_actions[kGeneralSettings], &QAction::triggered, this, [this] { m_app->OnGeneralSettings(this); });
        connect(m_actions[kEditLiveInstrument], &QAction::triggered, this, &CMainFrame::OnNewWindow);
    }
}

CMainFrame::~CMainFrame()
{
    // The MDI area goes with the base class and may still report a change
    // of window; the frame's part is gone by then.
    disconnect(MdiArea(), nullptr, this, nullptr);
    if (m_contextHelp != kHelpOff)
        qApp->removeEventFilter(this);
    if (m_contextHelp == kHelpWaitsForClick)
        QApplication::restoreOverrideCursor();
}

QAction* CMainFrame::AddCommand(QMenu* menu, int command, const QString& text)
{
    // "text\tCtrl+P": the part after the tab is the key.
    const QStringList parts = text.split(QLatin1Char('\t'));
    auto* action = menu->addAction(parts.front());
    if (parts.size() > 1)
        action->setShortcut(QKeySequence(parts.back()));
    ui::WithCommandId(action, command);
    m_actions[command] = action;
    return action;
}

void CMainFrame::AddBarToggle(QMenu* menu, int command, const QString& text, int& flag)
{
    QAction* action = AddCommand(menu, command, text);
    action->setCheckable(true);
    action->setChecked(flag != 0);
    connect(action, &QAction::triggered, this, [this, &flag](bool) {
        flag = flag ? 0 : 1;
        OnActiveDocChanged();
    });
}

void CMainFrame::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Soubor"));
    m_fileMenu = file;
    AddCommand(file, kOpenArchive, QStringLiteral("&Otevřít archiv...\tCtrl+O"));
    m_recentSeparator = file->addSeparator();
    m_recentSeparator->setVisible(false);
    file->addSeparator();
    QAction* exit = AddCommand(file, kAppExit, QStringLiteral("&Konec"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    // The instrument commands get their handlers with their dialogs; until
    // then they are shown but cannot be chosen.
    QMenu* devices = menuBar()->addMenu(QStringLiteral("&Přístroje"));
    m_devicesMenu = devices;
    AddCommand(devices, kAddDevice, QStringLiteral("&Přídat přístroj...\tCtrl+P"));
    AddCommand(devices, kInstrumentList, QStringLiteral("Seznam přístrojů...\tCtrl+S"));
    AddCommand(devices, kGeneralSettings, QStringLiteral("Obecná nastavení..."));
    AddCommand(devices, kOpenByInstrument, QStringLiteral("Otevři soubor dle přístroje ..."));
    AddCommand(devices, kDownloadManager, QStringLiteral("Správce stahování ..."));
    AddCommand(devices, kModems, QStringLiteral("Modemy"));
    for (const int command : {kAddDevice, kInstrumentList, kGeneralSettings, kOpenByInstrument, kDownloadManager,
                              kModems})
        m_actions[command]->setEnabled(false);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&Zobrazit"));
    AddBarToggle(view, kInstrumentBar, QStringLiteral("&Přístroje"), m_settings.m_isPristrojBar);
    AddBarToggle(view, kMeasurementBar, QStringLiteral("V&ybraný přístroj"), m_settings.m_isMereniBar);
    AddBarToggle(view, kDataControlBar, QStringLiteral("&Archivní soubor"), m_settings.m_isOvlBar);
    AddBarToggle(view, kGraphBar, QStringLiteral("&Graf"), m_settings.m_isGrafBar);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Nápověda"));
    m_helpMenu = help;
    connect(AddCommand(help, kHelpContents, QStringLiteral("Obsah")), &QAction::triggered, this,
            [this] { ui::CallHtmlHelp(this, HelpFile(), ui::HH_DISPLAY_TOPIC, 0); });
    connect(AddCommand(help, kHelp, QStringLiteral("Nápověda...\tF1")), &QAction::triggered, this,
            [this] { WinHelp(ActiveHelpContext()); });
    // Context help has its key, no menu entry.
    QAction* contextHelp = new QAction(QStringLiteral("Nápověda k místu"), this);
    contextHelp->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    contextHelp->setData(int(kContextHelp));
    addAction(contextHelp);
    m_actions[kContextHelp] = contextHelp;
    connect(contextHelp, &QAction::triggered, this, &CMainFrame::OnContextHelp);
    help->addSeparator();
    AddCommand(help, kAppAbout, QStringLiteral("&O aplikaci qorin01..."));
}

void CMainFrame::CreateBars()
{
    auto makeBar = [this](const QString& objectName, const QString& title) {
        auto* bar = new QToolBar(title, this);
        bar->setObjectName(objectName);
        addToolBar(Qt::TopToolBarArea, bar);
        return bar;
    };
    m_instrumentBar = makeBar(QStringLiteral("bar128"), QStringLiteral("Přístroje"));
    m_instrumentBar->addAction(m_actions[kAddDevice]);
    m_instrumentBar->addAction(m_actions[kInstrumentList]);
    // The instrument of the live window in front, without a menu entry.
    QAction* edit = m_instrumentBar->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                                               platform::LoadString(platform::IDS_TITLE_DEVICE_PROPERTIES));
    edit->setEnabled(false);
    edit->setData(int(kEditLiveInstrument));
    m_actions[kEditLiveInstrument] = edit;
    m_measurementBar = makeBar(QStringLiteral("bar129"), QStringLiteral("Vybraný přístroj"));
    m_graphBar = makeBar(QStringLiteral("bar168"), QStringLiteral("Graf"));
    m_dataControlBar = new CArchivToolBar(this);
    m_dataControlBar->setWindowTitle(QStringLiteral("Ovladání zobrazovaných dat"));
    m_dataControlBar->setObjectName(QStringLiteral("bar117"));
    m_dataControlBar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_dataControlBar->SetMainWindow(this);
    addToolBar(Qt::TopToolBarArea, m_dataControlBar);
    connect(m_dataControlBar, &CArchivToolBar::Command, this, [this](int id) { OnArchiveToolCommand(id); });

    QByteArray state;
    if (platform::Settings().GetProfileBinary(kBarStateSection, QString::fromLatin1(kBarStateValue), state))
        restoreState(state);
    m_dataControlBar->hide();
    m_graphBar->hide();
    m_measurementBar->hide();
    m_instrumentBar->setVisible(m_settings.m_isPristrojBar != 0);
}

int CMainFrame::HelpTopic(int context)
{
    for (const HelpRange& range : kHelpTopics)
        if (context >= range.first && context <= range.last)
            return range.topic;
    return 101;
}

QString CMainFrame::HelpFile()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qorin01.chm"));
}

void CMainFrame::WinHelp(int context)
{
    ui::CallHtmlHelp(this, HelpFile(), ui::HH_HELP_CONTEXT, static_cast<std::uintptr_t>(HelpTopic(context)));
}

QAction* CMainFrame::Action(int command) const
{
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::ShowPlaced()
{
    const CGeneralSettings& s = m_settings;
    if (s.m_x != CGeneralSettings::kDefaultPlacement && s.m_y != CGeneralSettings::kDefaultPlacement
        && s.m_cx > 0 && s.m_cy > 0)
        setGeometry(s.m_x, s.m_y, s.m_cx, s.m_cy);
    if (s.m_maximize)
        showMaximized();
    else
        showNormal();
}

QWidget* CMainFrame::ShowBarsForView(int mode, bool withGraph)
{
    m_instrumentBar->setVisible(m_settings.m_isPristrojBar != 0);
    m_measurementBar->hide();
    m_dataControlBar->hide();
    m_graphBar->setVisible(withGraph && m_settings.m_isGrafBar);
    if (mode == 0) {
        m_measurementBar->setVisible(m_settings.m_isMereniBar != 0);
        return nullptr;
    }
    if (mode == 1) {
        m_dataControlBar->setVisible(m_settings.m_isOvlBar != 0);
        m_measurementBar->setVisible(m_settings.m_isMereniBar != 0);
        return m_dataControlBar;
    }
    return nullptr;
}

void CMainFrame::OnActiveDocChanged()
{
    RebuildWindowCommands();
    m_actions[kEditLiveInstrument]->setEnabled(ActiveLiveInstrument() != nullptr);
    if (!ActiveChildFrame()) {
        m_instrumentBar->setVisible(m_settings.m_isPristrojBar != 0);
        m_dataControlBar->hide();
        m_graphBar->hide();
        m_measurementBar->hide();
        return;
    }
    const ui::CDocument* document = GetActiveDocument();
    const ui::FrameBars bars = ui::BarsForDocumentClass(document ? document->RuntimeClassName() : QString());
    if (bars.mode == 0 || bars.mode == 1)
        ShowBarsForView(bars.mode, true);
    if (bars.takesDataBar)
        AttachArchiveBar();
}

void CMainFrame::OnWindowCommandsChanged(ui::CChildFrame* frame)
{
    if (!frame || MdiArea()->currentSubWindow() != frame)
        return;
    m_commandFrame = nullptr;
    RebuildWindowCommands();
    UpdateCommandUI();
}

void CMainFrame::ClearWindowCommands()
{
    for (QMenu* menu : m_windowMenus) {
        menuBar()->removeAction(menu->menuAction());
        // Later: the command that brought this about may run from the menu.
        menu->deleteLater();
    }
    m_windowMenus.clear();
    for (QAction* action : m_windowFileActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_windowFileActions.clear();
    for (const WindowCommand& command : m_windowCommands) {
        m_measurementBar->removeAction(command.action);
        m_graphBar->removeAction(command.action);
    }
    m_windowCommands.clear();
    for (QAction* button : m_menuButtons) {
        m_measurementBar->removeAction(button);
        button->deleteLater();
    }
    m_menuButtons.clear();
    m_commandView = nullptr;
    for (const auto& [action, key] : m_suspendedShortcuts)
        action->setShortcut(key);
    m_suspendedShortcuts.clear();
}

QMenu* CMainFrame::WindowMenu(const QString& title)
{
    for (QMenu* menu : m_windowMenus)
        if (menu->title() == title)
            return menu;
    auto* menu = new QMenu(title, this);
    menuBar()->insertMenu(m_helpMenu->menuAction(), menu);
    m_windowMenus.push_back(menu);
    return menu;
}

void CMainFrame::WireShortcuts(QMenu& menu)
{
    // The view menus write their keys after a tab. As the accelerators of
    // the active window come before the frame's, a key of the window takes
    // it from the frame's own command while the window is active.
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) {
            WireShortcuts(*sub);
            continue;
        }
        const QStringList parts = action->text().split(QLatin1Char('\t'));
        if (parts.size() < 2)
            continue;
        const QKeySequence key(parts.back());
        for (const auto& [id, own] : m_actions) {
            if (!own->shortcut().isEmpty() && own->shortcut() == key) {
                m_suspendedShortcuts.emplace_back(own, key);
                own->setShortcut(QKeySequence());
            }
        }
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
    }
}

void CMainFrame::RebuildWindowCommands()
{
    QMdiSubWindow* current = MdiArea()->currentSubWindow();
    auto* frame = qobject_cast<ui::CChildFrame*>(current);
    // A dialog of the window's own command takes the activation for a
    // while; the same window keeps its menus.
    if (current && m_commandFrame == current)
        return;
    ClearWindowCommands();
    m_commandFrame = current;
    ui::CView* view = frame ? frame->GetActiveView() : nullptr;
    if (!view)
        return;
    m_commandView = view;
    // The view's own menu, built afresh each time it opens and once now so
    // that its keys work before it was ever opened.
    QMenu* own = WindowMenu(view->MenuTitle());
    const QPointer<ui::CView> guard(view);
    auto fill = [this, own, guard] {
        // The window's keys go with their actions; the frame's come back
        // until the menu claims them again.
        for (const auto& [action, key] : m_suspendedShortcuts)
            action->setShortcut(key);
        m_suspendedShortcuts.clear();
        own->clear();
        if (guard)
            guard->FillMenu(*own);
        WireShortcuts(*own);
    };
    fill();
    connect(own, &QMenu::aboutToShow, this, fill);

    std::vector<std::pair<ui::CCommandTarget*, QObject*>> targets{{view, view}};
    if (ui::CDocument* document = view->GetDocument())
        targets.emplace_back(document, document);
    for (const auto& [target, object] : targets) {
        std::vector<ui::CommandItem> items;
        target->AppendCommands(items);
        for (const ui::CommandItem& item : items) {
            const QStringList parts = item.text.split(QLatin1Char('\t'));
            QAction* action = nullptr;
            if (item.menu == m_fileMenu->title()) {
                action = new QAction(parts.front(), m_fileMenu);
                m_fileMenu->insertAction(m_recentSeparator, action);
                m_windowFileActions.push_back(action);
            } else {
                action = WindowMenu(item.menu)->addAction(parts.front());
            }
            if (parts.size() > 1)
                action->setShortcut(QKeySequence(parts.back()));
            ui::WithCommandId(action, item.id);
            action->setCheckable(item.checkable);
            action->setToolTip(parts.front());
            const int id = item.id;
            connect(action, &QAction::triggered, this, [this, id] {
                RouteCommand(id);
                UpdateCommandUI();
            });
            if (item.bar == ui::kMeasurementBarId)
                m_measurementBar->addAction(action);
            else if (item.bar == ui::kGraphBarId)
                m_graphBar->addAction(action);
            m_windowCommands.push_back({action, item.id, target, object});
        }
    }
    for (QMenu* menu : m_windowMenus)
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    connect(m_fileMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI, Qt::UniqueConnection);
    UpdateCommandUI();
}

void CMainFrame::SyncMenuButtons(const QMenu& menu)
{
    // Buttons for the commands the menu has now (a window may fill its menu
    // only once it has its instrument), without those it lost.
    for (auto it = m_menuButtons.begin(); it != m_menuButtons.end();) {
        if (FindMenuCommand(menu, (*it)->data().toInt())) {
            ++it;
            continue;
        }
        m_measurementBar->removeAction(*it);
        (*it)->deleteLater();
        it = m_menuButtons.erase(it);
    }
    for (int id : kMeasurementBarCommands) {
        const QAction* item = FindMenuCommand(menu, id);
        // The window's document may have put the command on the bar itself.
        if (!item || WindowAction(id))
            continue;
        QAction* button = nullptr;
        for (QAction* existing : m_menuButtons)
            if (existing->data().toInt() == id)
                button = existing;
        if (!button) {
            button = new QAction(item->text().split(QLatin1Char('\t')).front(), this);
            ui::WithCommandId(button, id);
            button->setToolTip(button->text());
            // Run as the menu runs it, with the menu's state of now.
            connect(button, &QAction::triggered, this, [this, id] {
                if (!m_commandView)
                    return;
                QMenu now;
                m_commandView->FillMenu(now);
                QAction* current = FindMenuCommand(now, id);
                if (current && current->isEnabled())
                    current->trigger();
            });
            m_measurementBar->addAction(button);
            m_menuButtons.push_back(button);
        }
        button->setEnabled(item->isEnabled());
    }
}

void CMainFrame::UpdateCommandUI()
{
    if (m_commandView) {
        QMenu menu;
        m_commandView->FillMenu(menu);
        SyncMenuButtons(menu);
    }
    for (const WindowCommand& command : m_windowCommands) {
        if (!command.alive) {
            command.action->setEnabled(false);
            continue;
        }
        command.action->setEnabled(command.target->IsCommandEnabled(command.id));
        if (command.action->isCheckable())
            command.action->setChecked(command.target->IsCommandChecked(command.id));
    }
}

bool CMainFrame::RouteCommand(int id)
{
    // Only the commands the window offers, each to the one that offered it.
    for (const WindowCommand& command : m_windowCommands) {
        if (command.id != id || !command.alive)
            continue;
        if (!command.target->IsCommandEnabled(id))
            return false;
        return command.target->OnCommand(id);
    }
    return false;
}

QAction* CMainFrame::WindowAction(int id) const
{
    for (const WindowCommand& command : m_windowCommands)
        if (command.id == id)
            return command.action;
    return nullptr;
}

int CMainFrame::ActiveHelpContext() const
{
    return HelpContextOf(ActiveChildFrame() ? GetActiveDocument() : nullptr);
}

void CMainFrame::OnContextHelp()
{
    if (m_contextHelp != kHelpOff)
        return;
    m_contextHelp = kHelpWaitsForClick;
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    qApp->installEventFilter(this);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (m_contextHelp == kHelpOff || !watched->isWidgetType())
        return ui::CMDIFrame::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (m_contextHelp == kHelpSwallowsRelease) {
        // The click that asked for help goes nowhere else, its release
        // neither.
        if (type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonPress) {
            m_contextHelp = kHelpOff;
            qApp->removeEventFilter(this);
            return type == QEvent::MouseButtonRelease;
        }
        return ui::CMDIFrame::eventFilter(watched, event);
    }
    const bool escape = type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    if (type != QEvent::MouseButtonPress && !escape)
        return ui::CMDIFrame::eventFilter(watched, event);
    QApplication::restoreOverrideCursor();
    if (escape) {
        m_contextHelp = kHelpOff;
        qApp->removeEventFilter(this);
        return true;
    }
    m_contextHelp = kHelpSwallowsRelease;
    WinHelp(HelpContextAt(static_cast<QWidget*>(watched)));
    return true;
}

int CMainFrame::DialogHelpContext(const QWidget* widget)
{
    const int context = ui::HelpContextOf(widget);
    return context ? context : kMainFrameHelpContext;
}

int CMainFrame::HelpContextAt(const QWidget* widget) const
{
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (const auto* child = qobject_cast<const ui::CChildFrame*>(w))
            return HelpContextOf(child->GetActiveDocument());
    return kMainFrameHelpContext;
}

void CMainFrame::AttachArchiveBar()
{
    if (auto* document = qobject_cast<CArchivDocBase*>(GetActiveDocument()))
        document->AttachControlBar(m_dataControlBar);
}

bool CMainFrame::OnArchiveToolCommand(int id)
{
    auto* document = qobject_cast<CArchivDocBase*>(GetActiveDocument());
    return document && document->OnCommand(id);
}

CPristroj* DeviceInList(const CDeviceRegistry::InstrumentList& devices, std::uintptr_t wParam)
{
    for (const auto& device : devices)
        if (reinterpret_cast<std::uintptr_t>(device.get()) == wParam)
            return device.get();
    return nullptr;
}

CPristroj* CMainFrame::FindByArchive(const QString& path) const
{
    for (const auto& device : m_devices) {
        const CArchivData* archive = device->GetArchivData();
        if ((archive ? archive->GetFilePath() : QString()) == path)
            return device.get();
    }
    return nullptr;
}

CPristroj* CMainFrame::ReleaseSender(std::uintptr_t wParam) const
{
    CPristroj* device = DeviceFromParam(wParam);
    // The thread goes on polling while the work is done here.
    if (device)
        device->m_handOver->Set();
    return device;
}

std::intptr_t CMainFrame::OnDataReady(std::uintptr_t wParam, std::intptr_t lParam)
{
    CPristroj* device = ReleaseSender(wParam);
    if (!device || !device->GetArchivData())
        return 0;
    // Threads that end their blocks at the same second are all released
    // before any block is written: written here, the last of a hundred
    // would wait out every other write, give up and miss its next poll.
    // One archive a turn of the loop, so the window answers meanwhile.
    const auto queued = std::find_if(m_handedOver.begin(), m_handedOver.end(),
                                     [wParam](const auto& waiting) { return waiting.first == wParam; });
    if (queued != m_handedOver.end())
        queued->second = std::max(queued->second, int(lParam));
    else
        m_handedOver.emplace_back(wParam, int(lParam));
    if (!m_writeTimer->isActive())
        m_writeTimer->start();
    return 0;
}

void CMainFrame::WriteNextHandOver()
{
    // An instrument whose write is under way further down this stack (its
    // question box runs the event loop) waits its turn: its blocks stay
    // queued in its archive, and that write takes them along once answered.
    const auto next = std::find_if(m_handedOver.begin(), m_handedOver.end(),
                                   [this](const auto& waiting) { return !m_writing.contains(waiting.first); });
    if (next == m_handedOver.end())
        return;
    const auto [wParam, mode] = *next;
    m_handedOver.erase(next);
    if (!m_handedOver.empty())
        m_writeTimer->start();
    // Gone meanwhile: its blocks went with it.
    CPristroj* device = DeviceFromParam(wParam);
    CArchivData* archive = device ? device->GetArchivData() : nullptr;
    if (!archive)
        return;
    m_writing.insert(wParam);
    const bool written = WriteHandOver(*device, *archive, mode);
    m_writing.erase(wParam);
    if (!m_handedOver.empty() && !m_writeTimer->isActive())
        m_writeTimer->start();
    if (written) {
        m_flushFailed.erase(device);
        m_refusedFile.erase(device);
    }
}

bool CMainFrame::WriteHandOver(CPristroj& device, CArchivData& archive, int mode)
{
    for (int attempt = 0; attempt < kFlushAttempts; ++attempt) {
        if (archive.Flush(!device.m_prepisovat, mode, device.m_nazev))
            return true;
        if (const QString refused = archive.RefusedNewFile(); !refused.isEmpty()) {
            // As when the archive cannot be had at start-up: the instrument
            // measures on without recording; the blocks meant for the
            // refused file were given up rather than kept for ever. Blocks
            // handed over before the thread took that are given up quietly.
            if (std::exchange(m_refusedFile[&device], refused) != refused) {
                archive.Host().Notify(
                    archive::CannotRecordNotice(device.m_nazev, refused, archive.RefusedNewFileDeclined()));
                device.PostSettings(FALSE);
            }
            return false;
        }
        std::this_thread::yield();
    }
    // The block stays queued and goes with the next hand-over; the user
    // learns once per run of failures that the archive is behind. Posted:
    // a box shown here would hold up this instrument's writes for as long
    // as it stays open.
    const int queuedBlocks = archive.GetQueuedBlockCount();
    qWarning("%s: %d archive block(s) not written", qPrintable(device.m_nazev), queuedBlocks);
    if (queuedBlocks > 0 && m_flushFailed.insert(&device).second)
        ui::PostMessageBox({this,
                            QStringLiteral("Data přístroje %1 se nepodařilo zapsat do archivu %2.\n"
                                           "Zůstávají v paměti a zapíší se při dalším pokusu.")
                                .arg(device.m_nazev, QDir::toNativeSeparators(archive.GetFilePath())),
                            platform::LoadString(platform::IDS_CAPTION_ERROR), ui::MsgButtons::Ok,
                            ui::MsgIcon::Warning});
    return false;
}

std::intptr_t CMainFrame::OnQuarterHour(std::uintptr_t wParam, std::intptr_t lParam)
{
    CPristroj* device = ReleaseSender(wParam);
    return device ? device->ReadEnergyMeterRecord(static_cast<int>(lParam)) : 0;
}

std::intptr_t CMainFrame::OnLiveFrames(std::uintptr_t wParam, std::intptr_t lParam)
{
    CPristroj* device = ReleaseSender(wParam);
    CArchivData* archive = device ? device->GetArchivData() : nullptr;
    if (!archive)
        return 0;
    if (lParam == 2) {
        archive->PublishToGraphs();
        return 0;
    }
    if (lParam == 1)
        archive->PublishOneList();
    archive->RefreshGraphs();
    return 0;
}

void CMainFrame::RegisterHandlers()
{
    using platform::MessageId;
    SetMessageHandler(platform::WM_DATA_READY,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnDataReady(w, l); });
    SetMessageHandler(platform::WM_QUARTER_HOUR,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnQuarterHour(w, l); });
    SetMessageHandler(platform::WM_LIVE_FRAMES,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnLiveFrames(w, l); });
    SetMessageHandler(platform::WM_ARCHIVE_DOC_CMD,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnArchiveCommand(w, l); });
    SetMessageHandler(platform::WM_ARCHIVE_SLIDER,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnArchiveSlider(w, l); });
    SetMessageHandler(platform::WM_UPDATE_FRAME_UI,
                      [this](std::uintptr_t w, std::intptr_t l) { return AdjustMenu(w, l); });
    // wParam: the archive's path (a QString the sender keeps until answered).
    SetMessageHandler(platform::WM_DEVICE_FILE_ERROR, [this](std::uintptr_t w, std::intptr_t) -> std::intptr_t {
        if (!w)
            return 0;
        if (CPristroj* device = FindByArchive(*reinterpret_cast<const QString*>(w)))
            device->StopOnFileError();
        return 0;
    });
    // wParam: the archive's path; lParam: where the instrument goes.
    SetMessageHandler(platform::WM_FIND_DEVICE, [this](std::uintptr_t w, std::intptr_t l) -> std::intptr_t {
        auto** out = reinterpret_cast<CPristroj**>(l);
        if (!out)
            return 0;
        *out = nullptr;
        if (w)
            *out = FindByArchive(*reinterpret_cast<const QString*>(w));
        return 0;
    });
}

void CMainFrame::SetRecentFiles(const QStringList& paths)
{
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    for (int i = 0; i < paths.size(); ++i) {
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(paths[i]), m_fileMenu);
        action->setData(paths[i]);
        m_fileMenu->insertAction(m_recentSeparator, action);
        if (m_app)
            connect(action, &QAction::triggered, this, [this, path = paths[i]] { m_app->OpenArchiveFile(path); });
        m_recentActions << action;
    }
    m_recentSeparator->setVisible(!paths.isEmpty());
}

void CMainFrame::UpdateCommands()
{
    if (!m_app)
        return;
    m_actions[kOpenByInstrument]->setEnabled(!m_devices.empty());
    m_actions[kDownloadManager]->setEnabled(m_app->AnyDownloadingInstrument());
    m_actions[kEditLiveInstrument]->setEnabled(ActiveLiveInstrument() != nullptr);
}

CPristroj* CMainFrame::ActiveLiveInstrument() const
{
    const ui::CDocument* document = ActiveChildFrame() ? GetActiveDocument() : nullptr;
    if (!document || !m_app)
        return nullptr;
    for (const auto& device : m_devices) {
        const ui::CView* view = m_app->LiveView(*device);
        if (view && view->GetDocument() == document)
            return device.get();
    }
    return nullptr;
}

void CMainFrame::OnNewWindow()
{
    CPristroj* entry = ActiveLiveInstrument();
    if (!entry)
        return;
    CPristroj copy(*entry);
    if (!m_app->EditInstrument(this, copy, *entry))
        return;
    {
        CWaitCursor wait;
        if (entry->ApplyChanges(this, copy)) {
            IPristrojHost& host = entry->Host();
            const bool open = host.IsPanelOpen(*entry);
            if (entry->m_merit && entry->m_onp) {
                if (!open)
                    m_app->OpenPanel(*entry);
            } else if (open) {
                host.ClosePanel(*entry);
            }
        }
    }
    UpdateCommands();
}

bool CMainFrame::OnCmdMsg(int id)
{
    // The sheets carry their load, save and print commands as the icon
    // buttons named after the buttons' ids.
    const char* button = id == kSheetLoadFrom ? "128" : id == kSheetSaveAs ? "129" : id == kSheetPrint ? "130" : nullptr;
    if (!button)
        return false;
    // A sheet is modal: whichever window's command shows one, that sheet is
    // the one in front of the user (the window itself may have lost the
    // activation to it).
    QDialog* sheet = nullptr;
    for (QMdiSubWindow* window : MdiArea()->subWindowList()) {
        const auto* child = qobject_cast<ui::CChildFrame*>(window);
        const ui::CDocument* document = child ? child->GetActiveDocument() : nullptr;
        sheet = document ? document->OpenSheet() : nullptr;
        if (sheet)
            break;
    }
    if (!sheet) {
        auto* list = findChild<CPristrojeDlg*>();
        sheet = list ? list->OpenSheet() : nullptr;
    }
    auto* target = sheet ? sheet->findChild<QAbstractButton*>(QLatin1String(button)) : nullptr;
    if (!target)
        return false;
    target->click();
    return true;
}

std::intptr_t CMainFrame::OnArchiveCommand(std::uintptr_t wParam, std::intptr_t lParam)
{
    if (auto* document = qobject_cast<CArchivDocBase*>(GetActiveDocument()))
        document->SetZoom(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
}

std::intptr_t CMainFrame::OnArchiveSlider(std::uintptr_t wParam, std::intptr_t lParam)
{
    if (auto* document = qobject_cast<CArchivDocBase*>(GetActiveDocument()))
        document->SetWindowStart(static_cast<int>(wParam), static_cast<int>(lParam));
    return 0;
}

std::intptr_t CMainFrame::AdjustMenu(std::uintptr_t wParam, std::intptr_t)
{
    if (wParam != 0xFFFF)
        return 0;
    auto* document = qobject_cast<CArchivDocBase*>(GetActiveDocument());
    return document ? document->RefreshAndGetState() : 0;
}

void CMainFrame::SaveState(platform::Settings& settings)
{
    settings.WriteProfileBinary(kBarStateSection, QString::fromLatin1(kBarStateValue), saveState());
    m_settings.m_maximize = isMaximized() ? 1 : 0;
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    if (normal.isValid()) {
        m_settings.m_x = normal.x();
        m_settings.m_y = normal.y();
        m_settings.m_cx = normal.width();
        m_settings.m_cy = normal.height();
    }
    m_settings.SaveFrame(settings);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_app) {
        if (IsAnyTaskRunning(m_app->Tasks())
            && ui::ShowMessageBox(this, platform::LoadString(platform::IDS_ASK_EXIT_DURING_DOWNLOAD),
                                  platform::LoadString(platform::IDS_CAPTION_ERROR), ui::MsgButtons::YesNo,
                                  ui::MsgIcon::Question)
                   != ui::MsgAnswer::Yes) {
            event->ignore();
            return;
        }
        m_app->StopThreadSynchronised();
        m_app->HoldSettingsUntilExit();
    }
    {
        // The state of every window goes to the file in one write (with
        // the rest the exit saves, when the program ends).
        platform::SettingsBatch batch;
        // The windows keep their state while this frame shows them and
        // their instruments are still there.
        if (m_app)
            CloseWindowsForExit(m_app->DocManager(), m_devices);
        platform::Settings settings;
        SaveState(settings);
    }
    ui::CMDIFrame::closeEvent(event);
    if (m_app && !event->isAccepted())
        m_app->ReleaseSettingsHold(); // the program goes on
    // The floating panels are windows of their own: the program ends with
    // this one, not with the last of them.
    if (m_app && event->isAccepted())
        QCoreApplication::exit(0);
}
