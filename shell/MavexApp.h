#pragma once

#include "archive_docs/ZaplatovatArchivDlg.h"
#include "link/DownloadControl.h"
#include "link/DownloadTasks.h"
#include "link/LinkEnvironment.h"
#include "link/ModemSettings.h"
#include "link/PortList.h"
#include "link/PristrojHost.h"
#include "platform/Settings.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "shell/DeviceRegistry.h"
#include "shell/FamilyDescriptor.h"
#include "shell/GeneralSettings.h"
#include "shell/PristrojeDlg.h"
#include "shell/SingleInstance.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CAppArchivHost;
class CDownloaderDoc;
class CLinkManager;
class CMainFrame;
class CMereniWindowHost;

// The application object: one running instance per user; at start-up the
// settings, the port list, the instruments with their measurement threads,
// the main frame, the download tasks and their thread; at exit everything
// written back and every thread ended. It is the receiver of the worker
// threads' application messages.
class CMavexApp : public QObject,
                  public platform::MessageDispatcher,
                  public IPristrojHost,
                  public IPristrojeDlgHost {
    Q_OBJECT
public:
    // The pause between the start of one instrument's measurement thread
    // and the next at start-up; the window and signals are served meanwhile.
    static constexpr int kStartPauseMs = 500;

    // What the running program takes from the machine; tests replace it.
    struct Environment {
        QString instanceName = CSingleInstance::DefaultName();
        CSingleInstance::Pause instancePause;
        CDeviceRegistry::Pause readPause;
        int startPauseMs = kStartPauseMs;
        CPortList::Enumerator enumeratePorts;
        ModemLineSource modemLines;
        // The waits of the modem lines: countdowns, guard times, the dial's
        // deadline (null: the system's).
        ILinkClock* modemClock = nullptr;
        bool showWindow = true;
        // Milliseconds of a steady clock, for the activation waits at
        // start-up; tests move it by hand.
        std::function<std::int64_t()> monotonicMs;
        // The computer's time in milliseconds since 1970 as the recording
        // sees it: polls, blocks, file periods and the archives' names
        // (empty: the system's). Tests move it to a period's end.
        std::function<std::int64_t()> nowMs;
        // The file-open dialog of "Otevřít archiv"; an empty answer cancels.
        std::function<QString(QWidget* parent, const QString& title, const QString& folder, const QString& filter)>
            chooseFile;
    };

    CMavexApp();
    explicit CMavexApp(Environment environment);
    ~CMavexApp() override;

    // The instrument families of the program; set before InitInstance. The
    // shell knows the families only through these descriptors.
    void SetFamilies(CFamilyList families) { m_families = std::move(families); }
    const CFamilyList& Families() const { return m_families; }

    // False when the process is to end at once: another instance runs (and
    // may have taken the file of the command line).
    bool InitInstance(const QStringList& arguments);
    int ExitInstance();
    // The way out has begun (the main window closes, a signal came): what
    // is saved from now on reaches the settings file in one write, when
    // ExitInstance is done.
    void HoldSettingsUntilExit();
    // The way out was abandoned: what was held is written now.
    void ReleaseSettingsHold();

    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    const std::shared_ptr<CLinkEnvironment>& LinkEnvironment() const { return m_linkEnv; }
    ui::CDocManager& DocManager() { return m_docManager; }
    CDeviceRegistry::InstrumentList& GetDeviceList() { return m_devices; }
    int GetDeviceCounter() const { return m_settings.m_pocetPristroju; }
    CGeneralSettings& GeneralSettings() { return m_settings; }
    CTaskList& Tasks() { return m_tasks; }
    CPortList* Ports() const { return m_ports.get(); }
    platform::ThreadHandle Handle() const { return m_receiver.Handle(); }
    bool HasDownloadThread() const { return m_download != nullptr; }
    // True while instruments of the start-up are still to be started, or
    // have not yet answered their activation (nor run out of time for it).
    bool IsStartingInstruments() const { return !m_startQueue.empty() || !m_activations.empty(); }

    int GetArchiveIntervalSeconds() const { return m_settings.GetArchiveIntervalSeconds(); }
    int GetDeviceIndex(const QString& name) const;
    // True for a modem line of that name.
    bool LookupPort(const QString& name) const;
    bool HasModemPort() const;
    // The user's word that a modem is (or is not) on the serial port `port`:
    // stored, and the port list's modem line follows at once.
    void MarkModemPort(const QString& port, const QString& description, bool modem);
    bool HasPort(const QString& name) const;
    void RefreshPortList();

    void StartDownloadThread();
    void StopThreadSynchronised();

    // Opens an archive file by its ending; false when no template takes it.
    bool OpenArchiveFile(const QString& path);
    // The instrument's live window; null takes it away.
    void SetLiveView(CPristroj& entry, ui::CView* view);
    ui::CView* LiveView(const CPristroj& entry) const;
    // The waveform window that wants every new-data relay; null for none.
    void SetUpdateWindow(QObject* window) { m_updateWindow = window; }

    // Thread messages.
    std::intptr_t OnRelay(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnDeviceData(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnDeviceViewUpdate(std::uintptr_t wParam, std::intptr_t lParam);
    void OnOpenFileFromInstance(const QString& path);
    // The scheduled downloads: a temporary file and an entry copy for the
    // task, then the finished file imported into its archive.
    std::intptr_t OnMakeTempFileName(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnDownloadedFile(std::uintptr_t wParam, std::intptr_t lParam);
    // The temporary download file of an instrument archive base path: the
    // path, "tmp", the local time as digits and ".tmp"; never an existing file.
    static QString TempDownloadName(const QString& archiveBase, const QDateTime& now);
    // A download window for the instrument's stored records, or for those
    // of an interval into an archive (patch); false without a window.
    void OpenDownloadWindow(CPristroj& entry);
    bool OpenIntervalDownload(CPristroj& entry, CTime from, CTime to, int fromOpen, int toOpen,
                              const QString& archivePath);
    // What the patch-archive dialog of an archive document works with.
    CPatchArchivHost PatchHost();
    // Where the records of a finished download go for the instrument:
    // its archive file of that base name, completed when it exists.
    CDownloadTarget DownloadTarget(const CPristroj& live, const QString& base, const QString& ending) const;
    // The archive files that take the records from `from` to `to`: the
    // period files of an instrument that starts one per period, else one.
    std::vector<CDownloadTarget> DownloadTargets(const CPristroj& live, const QString& base, const QString& ending,
                                                 CTime from, CTime to) const;

    // The application's commands and the documents' requests.
    void OnOpenArchive(QWidget* parent);
    // The open-archive dialog with `instrument` chosen (an empty name: the
    // default instrument of the general settings).
    void OnOpenByInstrument(QWidget* parent, const QString& instrument = QString());
    // The same from a live window: its instrument chosen. Offered while the
    // program knows instruments.
    static void OpenByInstrumentFor(CPristroj& entry, QWidget* parent);
    static bool OpenByInstrumentEnabled();
    void OnDownloadManager(QWidget* parent);
    void OnAppAbout(QWidget* parent);
    void OnModems(QWidget* parent);
    void AddToRecentFileList(const QString& path);
    QStringList RecentFiles() const { return m_recentFiles; }
    static constexpr int kRecentFileCount = 6;
    // The filter of the open-archive dialog: every family's archives and
    // the profiles.
    QString ArchiveFileFilter() const;
    // True when an instrument of a family that can download is configured.
    bool AnyDownloadingInstrument() const;
    // 0x4006: the instrument's live window; 0x400C: its panel, settings or
    // live-window settings (action 1, 2, 3).
    std::intptr_t OnOpenDeviceDocument(std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t OnOpenDeviceDetail(std::uintptr_t wParam, std::intptr_t lParam);

    // The instrument and settings commands of the main menu.
    void OnInstrumentList(QWidget* parent);
    void OnGeneralSettings(QWidget* parent);
    // Takes a new instrument into the list unless its name is taken; one on
    // the link of a measuring instrument comes in not measuring. Starts its
    // thread and stores it.
    bool AdoptInstrument(QWidget* parent, std::unique_ptr<CPristroj> entry);

    // IPristrojeDlgHost
    bool AddInstrument(QWidget* parent) override;
    bool EditInstrument(QWidget* parent, CPristroj& copy, CPristroj& live) override;
    void OpenPanel(CPristroj& entry) override;
    void OpenSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet) override;
    void ReceiveData(CPristroj& entry) override;
    bool CanReceiveData(const CPristroj& entry) const override;
    void RemoveInstrumentTasks(const QString& name) override;

    // IPristrojHost
    bool AskYesNo(QObject* parent, const QString& text, const QString& caption) override;
    void ShowError(QObject* parent, const QString& text, const QString& caption) override;
    std::vector<CPristroj*> Instruments() override;
    bool IsModemPort(const QString& portName) override { return LookupPort(portName); }
    void SaveDeviceSettings(CPristroj& entry) override;
    void RenameDevice(CPristroj& entry, const QString& from, const QString& to) override;
    void SaveBexorInterval(CPristroj& entry, int code) override;
    void CloseLiveDocument(CPristroj& entry) override;
    // The floating panels, through the families.
    bool IsPanelOpen(CPristroj& entry) override;
    void ClosePanel(CPristroj& entry) override;
    // On the main thread these show the questions of the awaited thread
    // meanwhile (it may wait for the user's answer before it can go on).
    bool WaitEvent(platform::Event& event, int timeoutMs) override;
    bool JoinThread(CPristrojThread& thread, int timeoutMs) override;

protected:
    bool event(QEvent* event) override;

private:
    void BuildPortList();
    void StartInstruments();
    // Starts the next instrument of the start-up, one per turn of the
    // event loop and pause.
    void StartNextInstrument();
    void StartInstrument(CPristroj& device);
    // Start-up activations: each instrument's thread was told and the GUI
    // goes on; a timer looks for the answers.
    void CheckActivations();
    void FinishActivation(CPristroj& entry, bool added);
    void FinishStartUp();
    void RegisterHandlers();
    CPristroj* Device(std::uintptr_t wParam) const;
    // Opens a file of one of the archive families by its ending.
    bool OpenByFileTypeName(const QString& path);
    void InstallFamilies();
    void InstallDocumentHooks();
    CDownloaderDoc* NewDownloadWindow();
    void LoadRecentFiles();

    Environment m_env;
    // What the instruments and their threads work with; threads that end
    // on their own keep it alive.
    std::shared_ptr<CLinkEnvironment> m_linkEnv = std::make_shared<CLinkEnvironment>();
    CFamilyList m_families;
    // The live window of each instrument that has one; the window may go
    // away on its own.
    std::map<const CPristroj*, QPointer<ui::CView>> m_liveViews;
    platform::ThreadMessageReceiver m_receiver{this};
    CSingleInstance* m_instance = nullptr;
    CGeneralSettings m_settings;
    ui::CDocManager m_docManager;
    std::vector<std::unique_ptr<CModemPort>> m_modems;
    ModemServices m_modemServices;
    std::unique_ptr<CPortList> m_ports;
    std::unique_ptr<CLinkManager> m_linkManager;
    std::unique_ptr<CMereniWindowHost> m_mereniHost;
    std::unique_ptr<CAppArchivHost> m_archivHost;
    std::unique_ptr<CMainFrame> m_mainFrame;
    CDeviceRegistry::InstrumentList m_devices;
    CTaskList m_tasks;
    std::unique_ptr<CDownloadControlMessages> m_downloadHost;
    std::unique_ptr<CDownloadControl> m_download;
    QPointer<QObject> m_updateWindow;
    QStringList m_recentFiles;
    std::vector<std::unique_ptr<CPristrojPatchInstrument>> m_patchInstruments;
    class CWindowImportHost;
    // Made where the class is complete; shared so that its deleter travels along.
    std::shared_ptr<CWindowImportHost> m_windowImportHost;
    bool m_running = false;
    std::unique_ptr<platform::SettingsBatch> m_exitSettings;
    struct PendingActivation {
        CPristroj* entry;
        const CPristrojThread* thread; // the one told; another means a restart
        std::int64_t deadlineMs;
        bool added = false; // by the add-instrument command, not the start
    };
    void WatchActivation(CPristroj& entry, int waitMs, bool added);
    std::vector<PendingActivation> m_activations;
    QTimer* m_activationTimer = nullptr;
    // The instruments of the start-up not yet started, in list order.
    std::deque<CPristroj*> m_startQueue;
    QTimer* m_startTimer = nullptr;
    bool m_downloadThreadDue = false;
};
