#pragma once

#include "charts/ArchivToolBar.h"
#include "platform/ui/MdiFrame.h"
#include "shell/DeviceRegistry.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <QKeySequence>
#include <QPointer>

#include <map>
#include <set>
#include <utility>
#include <vector>

class CArchivData;
class CGeneralSettings;
class QTimer;
namespace ui {
class CCommandTarget;
}

// The instrument behind a message's wParam when it is still one of the
// list (a late message may name an instrument that is gone); else null.
CPristroj* DeviceInList(const CDeviceRegistry::InstrumentList& devices, std::uintptr_t wParam);
class CMavexApp;
class QAction;
class QToolBar;

namespace platform {
class Settings;
}

// The program's MDI main window: its menus and four tool bars, its place
// on screen, and the point where the measurement threads hand their work
// to the main thread (archive blocks, quarter-hour records, live frames).
class CMainFrame : public ui::CMDIFrame {
    Q_OBJECT
public:
    // Commands of the main menu.
    enum Command {
        kAddDevice = 32130,
        kInstrumentList = 32135,
        kGeneralSettings = 32201,
        kOpenByInstrument = 32222,
        kDownloadManager = 32234,
        kModems = 32238,
        kOpenArchive = 32147,
        kInstrumentBar = 59392,
        kMeasurementBar = 129,
        kDataControlBar = 32198,
        kGraphBar = 32199,
        kAppAbout = 57664,
        kHelpContents = 57667,
        kContextHelp = 57669,
        kHelp = 57670,
        kAppExit = 57665,
        kEditLiveInstrument = 32200,
        // The settings-sheet commands the frame hands to an open sheet.
        kSheetSaveAs = 32202,
        kSheetLoadFrom = 32203,
        kSheetPrint = 40003,
    };

    static constexpr int kFlushAttempts = 4;
    static constexpr const char* kBarStateSection = "StavHlavnihoOkna2";

    // `devices` and `settings` belong to the application and outlive the
    // frame; `app` may be null (the frame alone, in tests).
    CMainFrame(CDeviceRegistry::InstrumentList& devices, CGeneralSettings& settings, CMavexApp* app = nullptr);
    ~CMainFrame() override;

    // Size and place from the stored values; maximised unless told not to.
    void ShowPlaced();

    QWidget* ShowBarsForView(int mode, bool withGraph) override;
    void OnActiveDocChanged() override;
    void OnWindowCommandsChanged(ui::CChildFrame* frame) override;

    // The instrument whose archive is the file `path`; null when none.
    CPristroj* FindByArchive(const QString& path) const;
    CPristroj* DeviceFromParam(std::uintptr_t wParam) const { return DeviceInList(m_devices, wParam); }

    // The help topic of a help context (0x20000 + a window's resource id,
    // 0x18000 + a prompt id); 101, the overview, for any other.
    static int HelpTopic(int context);
    // The program's help file: beside the program, named after it.
    static QString HelpFile();
    // Opens the help topic of the context.
    void WinHelp(int context);

    QAction* Action(int command) const;
    QToolBar* InstrumentBar() const { return m_instrumentBar; }
    QToolBar* MeasurementBar() const { return m_measurementBar; }
    CArchivToolBar* DataControlBar() const { return m_dataControlBar; }
    QToolBar* GraphBar() const { return m_graphBar; }

    // The handlers of the measurement threads' hand-overs.
    std::intptr_t OnDataReady(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnQuarterHour(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnLiveFrames(std::uintptr_t wParam, std::intptr_t lParam);
    // Blocks handed over and not yet written.
    bool HasBlocksToWrite() const { return !m_handedOver.empty(); }

    // The recent-file entries of the File menu, newest first.
    void SetRecentFiles(const QStringList& paths);
    QList<QAction*> RecentFileActions() const { return m_recentActions; }
    // The archive tool bar's requests for the active archive document:
    // zoom (0x400F), window start (0x4012), its state word (0x4025, 0xFFFF).
    std::intptr_t OnArchiveCommand(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnArchiveSlider(std::uintptr_t wParam, std::intptr_t lParam);
    // A navigation button of the archive tool bar, for the active archive
    // document; false when no archive document is active.
    bool OnArchiveToolCommand(int id);
    // The archive tool bar shows the active archive document (a newly
    // opened one becomes active without a window switch).
    void AttachArchiveBar();
    std::intptr_t AdjustMenu(std::uintptr_t wParam, std::intptr_t lParam);
    // Enables the instrument commands for the instruments there are now.
    void UpdateCommands();
    // The instrument whose live window is the active one; null when the
    // active window is no live window.
    CPristroj* ActiveLiveInstrument() const;
    // 32200: the instrument of the active live window edited in the
    // instrument dialog; its floating panel follows the new flags.
    void OnNewWindow();
    // A command given to the frame: the settings-sheet commands go to the
    // instrument settings sheet that the instrument list dialog shows; true
    // when a sheet took it.
    bool OnCmdMsg(int id);

    // The menus and tool-bar buttons of the active window follow it as an
    // MDI frame's do: its view's own menu, then the commands of the view and
    // of its document, each menu and button enabled and checked by the
    // command's owner.
    void RebuildWindowCommands();
    // Enabling and check marks of the active window's commands afresh.
    void UpdateCommandUI();
    // Runs a command of the active window: the view first, then its
    // document; false when neither has it.
    bool RouteCommand(int id);
    // The menu-bar menus the active window added (its own menu first).
    const std::vector<QMenu*>& WindowMenus() const { return m_windowMenus; }
    // The action of a command of the active window; null when it has none.
    QAction* WindowAction(int id) const;
    // The help context of the active window: 0x20000 + its template's
    // resource id, the main window's without one.
    int ActiveHelpContext() const;
    // Shift+F1: the next click asks for the topic of the window clicked;
    // Esc leaves the mode.
    void OnContextHelp();
    bool InContextHelp() const { return m_contextHelp == kHelpWaitsForClick; }
    // The help context of the window that holds `widget`: its document's,
    // or the main window's outside every document window.
    int HelpContextAt(const QWidget* widget) const;
    // The help context of F1 pressed on `widget` inside a dialog: the
    // dialog's or its page's, the main window's for a dialog without one.
    static int DialogHelpContext(const QWidget* widget);

    // Writes what the frame keeps: bar state and flags, window placement.
    void SaveState(platform::Settings& settings);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateBars();
    QAction* AddCommand(QMenu* menu, int command, const QString& text);
    void AddBarToggle(QMenu* menu, int command, const QString& text, int& flag);
    void RegisterHandlers();
    // The instrument of a hand-over, its waiting thread released; null for
    // one that is not in the list.
    CPristroj* ReleaseSender(std::uintptr_t wParam) const;

    CDeviceRegistry::InstrumentList& m_devices;
    CGeneralSettings& m_settings;
    CMavexApp* m_app;
    QToolBar* m_instrumentBar = nullptr;
    QToolBar* m_measurementBar = nullptr;
    CArchivToolBar* m_dataControlBar = nullptr;
    QToolBar* m_graphBar = nullptr;
    std::map<int, QAction*> m_actions;
    // Instruments whose last hand-over could not be written.
    std::set<const CPristroj*> m_flushFailed;
    // Instruments told that their recording stopped at a refused new file,
    // with that file.
    std::map<const CPristroj*, QString> m_refusedFile;
    // The instruments whose handed-over blocks wait for the disk, oldest
    // first, each with the strongest block action it was handed.
    std::vector<std::pair<std::uintptr_t, int>> m_handedOver;
    // The instruments whose hand-over is being written now.
    std::set<std::uintptr_t> m_writing;
    QTimer* m_writeTimer = nullptr;
    void WriteNextHandOver();
    // True when the instrument's waiting blocks went to its archive.
    bool WriteHandOver(CPristroj& device, CArchivData& archive, int mode);
    struct WindowCommand {
        QAction* action;
        int id;
        ui::CCommandTarget* target;
        QPointer<QObject> alive; // the target as a QObject: gone, the command is
    };
    void ClearWindowCommands();
    QMenu* WindowMenu(const QString& title);
    void WireShortcuts(QMenu& menu);
    // The measurement bar's buttons for the instrument commands of the
    // window's own menu as `menu` shows it now, enabled as its items.
    void SyncMenuButtons(const QMenu& menu);

    std::vector<WindowCommand> m_windowCommands;
    std::vector<QMenu*> m_windowMenus;
    // Actions the active window put into the frame's own menus.
    std::vector<QAction*> m_windowFileActions;
    // The measurement bar's buttons taken from the window's own menu, and
    // the view whose menu that is.
    std::vector<QAction*> m_menuButtons;
    QPointer<ui::CView> m_commandView;
    enum ContextHelp { kHelpOff, kHelpWaitsForClick, kHelpSwallowsRelease };
    ContextHelp m_contextHelp = kHelpOff;
    // The frame's own keys the active window's menu has taken meanwhile.
    std::vector<std::pair<QAction*, QKeySequence>> m_suspendedShortcuts;
    QTimer* m_commandTimer = nullptr;
    QPointer<QWidget> m_commandFrame; // the frame whose commands are shown
    QMenu* m_fileMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_devicesMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recentActions;
};
