#include "shell/MavexApp.h"

#include "archive_docs/ArchivDocHooks.h"
#include "archive/store/ArchivData.h"
#include "charts/ProfileDoc.h"
#include "link/LinkManager.h"
#include "link_ui/DownloaderDoc.h"
#include "link_ui/ModemDialDlg.h"
#include "link/Mereni.h"
#include "link/ModemLine.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/WindowMessage.h"
#include "platform/ui/Document.h"
#include "platform/ui/EntryName.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ThreadQuestions.h"
#include "platform/ui/Translations.h"
#include "shell/AppArchivHost.h"
#include "shell/AppTasks.h"
#include "shell/CloseWindows.h"
#include "shell/MainFrame.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <functional>
#include <mutex>

namespace {

constexpr int kActivationWaitMs = 10000;
constexpr int kModemActivationWaitMs = 80000;
constexpr int kDownloadStopWaitMs = 20000;
constexpr int kDownloadSettleMs = 200;
// How often the GUI looks for the answers of activations under way.
constexpr int kActivationCheckMs = 50;

QWidget* AsWidget(QObject* object)
{
    return qobject_cast<QWidget*>(object);
}

} // namespace

CMavexApp::CMavexApp() : CMavexApp(Environment{}) {}

CMavexApp::CMavexApp(Environment environment)
    : m_env(std::move(environment)), m_settings(QDir::toNativeSeparators(QDir::currentPath()))
{
    if (!m_env.instancePause)
        m_env.instancePause = [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); };
    // The instruments are read without a pause between them: the pause only
    // held the window back; it now lies between the threads' starts, on a
    // timer.
    if (!m_env.monotonicMs)
        m_env.monotonicMs = [] {
            return std::int64_t(
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                    .count());
        };
    if (!m_env.enumeratePorts)
        m_env.enumeratePorts = SystemPortEnumerator();
    if (!m_env.modemLines)
        m_env.modemLines = SystemModemLineSource();
    RegisterHandlers();
}

CMavexApp::~CMavexApp()
{
    if (m_running)
        ExitInstance();
}

namespace {

// The threads keep the environment's time (and with it the archives of
// their instruments, which follow their thread's clock).
class ClockedMereniHost final : public CMereniWindowHost {
public:
    ClockedMereniHost(QObject* mainWindow, platform::ThreadHandle application, IPristrojHost& boxHost,
                      std::function<std::int64_t()> nowMs)
        : CMereniWindowHost(mainWindow, application, boxHost), m_nowMs(std::move(nowMs))
    {
    }
    platform::CTime Now() override { return platform::CTime(platform::CTime::time_type(m_nowMs() / 1000)); }
    std::int64_t NowMs() override { return m_nowMs(); }

private:
    std::function<std::int64_t()> m_nowMs;
};

} // namespace

bool CMavexApp::InitInstance(const QStringList& arguments)
{
    QString file;
    for (const QString& argument : arguments.mid(1))
        if (!argument.startsWith(QLatin1Char('-'))) {
            file = argument;
            break;
        }

    m_instance = new CSingleInstance(m_env.instanceName, this);
    if (!m_instance->Acquire(file, m_env.instancePause))
        return false;
    ui::RefuseThreadQuestions(false);
    connect(m_instance, &CSingleInstance::FileRequested, this, &CMavexApp::OnOpenFileFromInstance);

    // Before anything reads the settings: a file that cannot be read is
    // never written over (and its instruments never silently dropped).
    const platform::SettingsFileGuard settingsFile = platform::Settings::GuardProgramFile();
    if (!settingsFile.Saves())
        qWarning("qorin01: the settings cannot be saved in this session");

    // Before the first window: the standard buttons and dialogs in Czech.
    if (!ui::InstallStandardTranslations())
        qWarning("qorin01: the Czech Qt translations (qtbase_cs) were not found");
    platform::Settings settings;
    // The window's own values are needed before it shows.
    m_settings.Load(settings);

    InstallFamilies();
    AddDownloaderTemplates(m_docManager);
    AddProfileTemplates(m_docManager);
    LoadRecentFiles();

    BuildPortList();
    m_linkManager = std::make_unique<CLinkManager>(*m_ports);
    m_linkEnv->SetLinkManager(m_linkManager.get());
    m_linkEnv->SetPristrojHost(this);

    m_mainFrame = std::make_unique<CMainFrame>(m_devices, m_settings, this);
    m_docManager.SetMainFrame(m_mainFrame.get());
    if (m_env.nowMs)
        m_mereniHost =
            std::make_unique<ClockedMereniHost>(m_mainFrame.get(), m_receiver.Handle(), *this, m_env.nowMs);
    else
        m_mereniHost = std::make_unique<CMereniWindowHost>(m_mainFrame.get(), m_receiver.Handle(), *this);
    m_linkEnv->SetMereniHost(m_mereniHost.get());
    m_archivHost = std::make_unique<CAppArchivHost>(m_mainFrame.get());
    m_linkEnv->SetArchivHost(m_archivHost.get());
    InstallDocumentHooks();
    m_mainFrame->SetRecentFiles(m_recentFiles);
    m_running = true;
    if (m_env.showWindow)
        m_mainFrame->ShowPlaced();
    if (const QString notice = settingsFile.Notice(); !notice.isEmpty())
        ui::PostMessageBox({m_mainFrame.get(), notice, platform::LoadString(platform::IDS_CAPTION_ERROR),
                            ui::MsgButtons::Ok, ui::MsgIcon::Warning});

    if (!file.isEmpty())
        OpenByFileTypeName(file);

    m_settings.m_pocetPristroju = CDeviceRegistry::LoadInstruments(settings, m_devices, m_env.readPause, m_linkEnv,
                                                                  m_settings.StartsInstruments());
    LoadTaskList(m_tasks, settings);
    {
        std::lock_guard lock(m_tasks.ListLock());
        m_downloadThreadDue = !m_tasks.m_tasks.empty();
    }
    StartInstruments();
    m_mainFrame->UpdateCommands();
    return true;
}

void CMavexApp::BuildPortList()
{
    m_ports = std::make_unique<CPortList>(m_env.enumeratePorts, GeneralSettingsReader());
    m_ports->Build();
    m_modemServices = {m_env.modemClock ? m_env.modemClock : &SystemLinkClock(), OpenSystemSerialPort,
                       MakeModemDialogStarter()};
    EnumerateModemLines(*m_ports, false, m_modems, m_modemServices, platform::Settings(), m_env.modemLines);
}

void CMavexApp::StartInstruments()
{
    // The threads start one after another, a pause apart, from the event
    // loop: the window works and a signal is taken all through the start,
    // however many instruments there are. Each thread answers its activation
    // on its own time; an instrument that stays silent holds up nobody but
    // itself. What follows an activation (ending a thread that gave up, the
    // live window, the panel) happens per instrument as its answer comes; the
    // download thread starts when all have started and answered, as it did
    // after the whole start.
    const bool start = m_settings.StartsInstruments();
    for (const auto& device : m_devices) {
        if (!start)
            device->m_merit = 0;
        else if (device->m_merit)
            m_startQueue.push_back(device.get());
    }
    if (m_startQueue.empty()) {
        FinishStartUp();
        return;
    }
    if (!m_startTimer) {
        m_startTimer = new QTimer(this);
        connect(m_startTimer, &QTimer::timeout, this, &CMavexApp::StartNextInstrument);
    }
    m_startTimer->start(0);
}

void CMavexApp::StartNextInstrument()
{
    // The list may have changed meanwhile: an instrument removed, or started
    // or switched off by the user.
    while (!m_startQueue.empty()) {
        CPristroj* device = DeviceInList(m_devices, reinterpret_cast<std::uintptr_t>(m_startQueue.front()));
        m_startQueue.pop_front();
        if (!device || !device->m_merit || device->GetThread())
            continue;
        StartInstrument(*device);
        break;
    }
    if (!m_startQueue.empty()) {
        m_startTimer->start(std::max(m_env.startPauseMs, 0));
        return;
    }
    m_startTimer->stop();
    if (m_activations.empty())
        FinishStartUp();
}

void CMavexApp::StartInstrument(CPristroj& device)
{
    try {
        const int wait = LookupPort(device.m_com) ? kModemActivationWaitMs : kActivationWaitMs;
        if (device.BeginThread(m_settings.ActivationMessage())) {
            WatchActivation(device, wait, false);
            return;
        }
        device.m_merit = 0;
        // Shown from the event loop, so that no box holds the start.
        QMetaObject::invokeMethod(
            this,
            [this] {
                ui::ShowMessageBox(m_mainFrame.get(), platform::LoadString(platform::IDS_CANNOT_PROCESS_DATA),
                                   platform::LoadString(platform::IDS_CAPTION_ERROR));
            },
            Qt::QueuedConnection);
        if (device.m_onp)
            OpenPanel(device);
    } catch (const std::exception&) {
        device.m_merit = 0;
        device.EndThread(CPristroj::kThreadEndWaitMs);
    }
}

void CMavexApp::WatchActivation(CPristroj& entry, int waitMs, bool added)
{
    const CPristrojThread* thread = entry.GetThread();
    if (!thread)
        return; // kept inactive by its settings
    m_activations.push_back({&entry, thread, m_env.monotonicMs() + waitMs, added});
    if (!m_activationTimer) {
        m_activationTimer = new QTimer(this);
        m_activationTimer->setInterval(kActivationCheckMs);
        connect(m_activationTimer, &QTimer::timeout, this, &CMavexApp::CheckActivations);
    }
    if (!m_activationTimer->isActive())
        m_activationTimer->start();
}

void CMavexApp::CheckActivations()
{
    const std::int64_t now = m_env.monotonicMs();
    std::vector<std::pair<CPristroj*, bool>> answered;
    for (auto it = m_activations.begin(); it != m_activations.end();) {
        CPristroj* entry = DeviceInList(m_devices, reinterpret_cast<std::uintptr_t>(it->entry));
        if (!entry || entry->GetThread() != it->thread) {
            it = m_activations.erase(it); // removed, or started again by an edit
            continue;
        }
        // Also after the time is up: the instrument stays as its thread
        // left it.
        if (entry->ThreadEvent().Wait(0) || now >= it->deadlineMs) {
            answered.emplace_back(entry, it->added);
            it = m_activations.erase(it);
            continue;
        }
        ++it;
    }
    // Taken out first: opening a window may run the event loop, and this
    // again.
    for (const auto& [entry, added] : answered)
        if (DeviceInList(m_devices, reinterpret_cast<std::uintptr_t>(entry)))
            FinishActivation(*entry, added);
    if (m_activations.empty() && m_activationTimer && m_activationTimer->isActive()) {
        m_activationTimer->stop();
        if (m_startQueue.empty())
            FinishStartUp();
    }
}

void CMavexApp::FinishActivation(CPristroj& entry, bool added)
{
    if (!entry.m_merit) {
        // The thread could not activate the instrument.
        entry.EndThread(CPristroj::kThreadEndWaitMs);
    } else if (!added && entry.m_zobrazovat && !LiveView(entry)) {
        // An added instrument's thread asks for its window itself.
        OnOpenDeviceDocument(reinterpret_cast<std::uintptr_t>(&entry), 0);
    }
    if (added) {
        // What the activation changed (a recording that could not start).
        platform::Settings settings;
        CDeviceRegistry::SaveDeviceSettingsUnderKey(settings, entry);
        if (entry.m_merit && entry.m_onp)
            OpenPanel(entry);
    } else if (entry.m_onp) {
        OpenPanel(entry);
    }
    if (m_mainFrame)
        m_mainFrame->UpdateCommands();
}

void CMavexApp::FinishStartUp()
{
    if (m_mainFrame)
        m_mainFrame->UpdateCommands();
    if (m_downloadThreadDue && m_running) {
        m_downloadThreadDue = false;
        StartDownloadThread();
    }
}

void CMavexApp::HoldSettingsUntilExit()
{
    if (m_running && !m_exitSettings)
        m_exitSettings = std::make_unique<platform::SettingsBatch>();
}

void CMavexApp::ReleaseSettingsHold()
{
    if (m_exitSettings && !m_exitSettings->Commit())
        qWarning("the settings could not be written");
    m_exitSettings.reset();
}

int CMavexApp::ExitInstance()
{
    if (!m_running)
        return 0;
    HoldSettingsUntilExit();
    m_running = false;
    // A thread that asks from now on, or still waits for an answer, hears
    // No: nobody may be left to answer it, and the threads are awaited next.
    ui::RefuseThreadQuestions(true);
    if (m_startTimer)
        m_startTimer->stop();
    m_startQueue.clear();
    if (m_activationTimer)
        m_activationTimer->stop();
    m_activations.clear();
    platform::StopOrAbandon(m_download, kDownloadStopWaitMs);
    // The windows first, while the instruments whose state they keep are
    // whole: those already closing, then those still open (after a signal
    // the main frame was never closed).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::Settings settings;
    {
        // Everything the program keeps goes to the file in one write, so the
        // exit takes as long with a hundred instruments as with one, and a
        // kill meanwhile finds the file as it was or whole.
        platform::SettingsBatch batch;
        CloseWindowsForExit(m_docManager, m_devices);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_settings.SaveOnExit(settings);
        for (const auto& device : m_devices)
            CDeviceRegistry::SaveDeviceSettings(settings, *device);
        CDeviceRegistry::SaveOrder(settings, m_devices);
        if (m_ports)
            SaveModemSettings(*m_ports, settings);
        {
            std::scoped_lock lock(m_tasks.OuterLock(), m_tasks.ListLock());
            m_tasks.Save(settings);
        }
        // The panels after their instruments' "ONP" is kept.
        m_families.SetPanelRequestReceiver(nullptr);
        for (auto& device : m_devices)
            m_families.ClosePanel(*device);
        if (!batch.Commit())
            qWarning("the settings could not be written");
    }
    // Every instrument stops at once; while they end, the main window still
    // takes the blocks they hand over, so nothing measured is lost and no
    // thread waits into an outage.
    CPristroj::DisposeAll(m_devices, [this] {
        if (m_mainFrame)
            QCoreApplication::sendPostedEvents(m_mainFrame.get(), platform::MessageEvent::EventType());
    });

    // A thread left to end on its own keeps the environment: it finds
    // nobody there any more.
    CArchivDocHooks::Instance() = CArchivDocHooks();
    m_linkEnv->SetMereniHost(nullptr);
    m_linkEnv->SetPristrojHost(nullptr);
    m_linkEnv->SetLinkManager(nullptr);
    m_linkEnv->SetArchivHost(nullptr);
    m_archivHost.reset();
    m_mainFrame.reset();
    m_mereniHost.reset();
    m_linkManager.reset();
    m_ports.reset();
    m_modems.clear();
    delete m_instance;
    m_instance = nullptr;
    ReleaseSettingsHold();
    return 0;
}

int CMavexApp::GetDeviceIndex(const QString& name) const
{
    return CDeviceRegistry::DeviceIndex(m_devices, name, m_settings.m_pristrojProTQRS);
}

bool CMavexApp::LookupPort(const QString& name) const
{
    CPortEntry entry;
    return m_ports && m_ports->Find(name, entry) && entry.kind == kPortKindModem;
}

bool CMavexApp::HasModemPort() const
{
    if (!m_ports)
        return false;
    for (const CPortEntry& entry : m_ports->Entries())
        if (entry.kind == kPortKindModem)
            return true;
    return false;
}

void CMavexApp::MarkModemPort(const QString& port, const QString& description, bool modem)
{
    platform::Settings settings;
    ::MarkModemPort(settings, port, modem);
    if (!m_ports)
        return;
    const ModemLineInfo line = ModemLineOnPort(port, description);
    if (modem)
        AddModemLine(*m_ports, m_modems, m_modemServices, settings, line);
    else
        m_ports->RemoveModemLine(line.name);
}

bool CMavexApp::HasPort(const QString& name) const
{
    if (!m_ports)
        return false;
    for (const CPortEntry& entry : m_ports->Entries())
        if (entry.name == name)
            return true;
    return false;
}

void CMavexApp::RefreshPortList()
{
    if (m_ports)
        m_ports->Refresh();
}

void CMavexApp::StartDownloadThread()
{
    if (m_download)
        return;
    if (!m_downloadHost)
        m_downloadHost = std::make_unique<CDownloadControlMessages>(m_receiver.Handle());
    auto thread = std::make_unique<CDownloadControl>(m_tasks, *m_downloadHost);
    if (thread->Start())
        m_download = std::move(thread);
}

void CMavexApp::StopThreadSynchronised()
{
    if (!m_download)
        return;
    platform::Event done(false, false);
    if (!m_download->PostThreadMessage(platform::WM_THREAD_END, reinterpret_cast<std::uintptr_t>(&done), 0))
        return;
    if (!done.Wait(kDownloadStopWaitMs))
        return; // the thread may still set the event: it stays
    QThread::msleep(kDownloadSettleMs);
    platform::StopOrAbandon(m_download, kDownloadStopWaitMs);
}

void CMavexApp::InstallFamilies()
{
    m_families.SetPanelRequestReceiver(this);
    for (const CFamilyDescriptor& family : m_families.All()) {
        if (family.addTemplates)
            family.addTemplates(m_docManager);
        if (family.threadFactory)
            m_linkEnv->RegisterThreadFactory(family.type, family.threadFactory);
    }
}

bool CMavexApp::OpenByFileTypeName(const QString& path)
{
    const CFamilyDescriptor* family = m_families.ForArchive(path);
    if (!family)
        return false;
    ui::CDocTemplate* docTemplate =
        m_docManager.FindTemplate(ui::CDocTemplate::regFileTypeName, family->archiveFileTypeName);
    return docTemplate && docTemplate->OpenDocumentFile(path, true);
}

bool CMavexApp::OpenArchiveFile(const QString& path)
{
    const CFamilyDescriptor* family = m_families.ForArchive(path);
    bool opened = false;
    if (family && family->openArchive) {
        opened = family->openArchive(m_docManager, path) != nullptr;
    } else {
        ui::CDocTemplate* docTemplate =
            family ? m_docManager.FindTemplate(ui::CDocTemplate::regFileTypeId, family->archiveFileTypeId)
                   : m_docManager.TemplateForPath(path); // archives of no family (profiles)
        opened = docTemplate && docTemplate->OpenDocumentFile(path, true);
    }
    if (opened && m_mainFrame)
        m_mainFrame->AttachArchiveBar();
    return opened;
}

void CMavexApp::OnOpenFileFromInstance(const QString& path)
{
    if (!path.isEmpty())
        OpenByFileTypeName(path);
    if (m_mainFrame) {
        m_mainFrame->raise();
        m_mainFrame->activateWindow();
    }
}

CPristroj* CMavexApp::Device(std::uintptr_t wParam) const
{
    return DeviceInList(m_devices, wParam);
}

std::intptr_t CMavexApp::OnRelay(std::uintptr_t wParam, std::intptr_t lParam)
{
    CPristroj* device = Device(wParam);
    if (!device)
        return 0;
    // A live window feeds the instrument's floating panel itself.
    if (const auto it = m_liveViews.find(device); it != m_liveViews.end() && it->second)
        platform::SendMessageTo(it->second.data(), platform::WM_NEW_DATA, static_cast<std::uintptr_t>(lParam), 0);
    else
        m_families.UpdatePanel(*device);
    if (m_updateWindow)
        platform::SendMessageTo(m_updateWindow, platform::WM_NEW_DATA, 0, 0);
    return 0;
}

std::intptr_t CMavexApp::OnDeviceData(std::uintptr_t wParam, std::intptr_t)
{
    if (CPristroj* device = Device(wParam))
        if (CArchivData* archive = device->GetArchivData())
            archive->RefreshGraphs();
    return 0;
}

std::intptr_t CMavexApp::OnDeviceViewUpdate(std::uintptr_t wParam, std::intptr_t lParam)
{
    if (CPristroj* device = Device(wParam); device && (device->m_liveView || m_liveViews.count(device)))
        CloseLiveDocument(*device);
    if (auto* event = reinterpret_cast<platform::Event*>(lParam))
        event->Set();
    return 0;
}

void CMavexApp::RegisterHandlers()
{
    SetMessageHandler(platform::WM_APP_NEW_DATA,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnRelay(w, l); });
    SetMessageHandler(platform::WM_LIVE_FRAMES,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnDeviceData(w, l); });
    SetMessageHandler(platform::WM_APP_UPDATE_DEVICE_VIEW,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnDeviceViewUpdate(w, l); });
    SetMessageHandler(platform::WM_APP_OPEN_DEVICE_DOC,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnOpenDeviceDocument(w, l); });
    SetMessageHandler(platform::WM_APP_OPEN_DEVICE_DETAIL,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnOpenDeviceDetail(w, l); });
    SetMessageHandler(platform::WM_APP_MAKE_TEMP_NAME,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnMakeTempFileName(w, l); });
    SetMessageHandler(platform::WM_APP_DOWNLOADED_FILE,
                      [this](std::uintptr_t w, std::intptr_t l) { return OnDownloadedFile(w, l); });
}

bool CMavexApp::event(QEvent* event)
{
    return DispatchMessageEvent(event) || QObject::event(event);
}

namespace {

// `look` waits up to the milliseconds it is given. The time a question's box
// stands open does not count: the wait starts again once it is answered.
bool WaitServingQuestions(int timeoutMs, const std::function<bool(int)>& look)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return look(timeoutMs);
    constexpr int kSliceMs = 10;
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        int slice = kSliceMs;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            slice = int(std::clamp<std::int64_t>(left, 0, kSliceMs));
        }
        if (look(slice))
            return true;
        if (ui::ServeWaitingQuestions()) {
            deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
            continue;
        }
        if (timeoutMs >= 0 && Clock::now() >= deadline)
            return false;
    }
}

} // namespace

bool CMavexApp::WaitEvent(platform::Event& event, int timeoutMs)
{
    return WaitServingQuestions(timeoutMs, [&event](int ms) { return event.Wait(ms); });
}

bool CMavexApp::JoinThread(CPristrojThread& thread, int timeoutMs)
{
    return WaitServingQuestions(timeoutMs, [&thread](int ms) { return thread.Join(ms); });
}

bool CMavexApp::AskYesNo(QObject* parent, const QString& text, const QString& caption)
{
    return ui::ShowMessageBox(AsWidget(parent), text, caption, ui::MsgButtons::YesNo, ui::MsgIcon::Question)
           == ui::MsgAnswer::Yes;
}

void CMavexApp::ShowError(QObject* parent, const QString& text, const QString& caption)
{
    ui::ShowMessageBox(AsWidget(parent), text, caption, ui::MsgButtons::Ok, ui::MsgIcon::Error);
}

std::vector<CPristroj*> CMavexApp::Instruments()
{
    std::vector<CPristroj*> list;
    for (const auto& device : m_devices)
        list.push_back(device.get());
    return list;
}

void CMavexApp::SaveDeviceSettings(CPristroj& entry)
{
    platform::Settings settings;
    CDeviceRegistry::SaveDeviceSettingsUnderKey(settings, entry);
}

void CMavexApp::RenameDevice(CPristroj& entry, const QString& from, const QString& to)
{
    platform::Settings settings;
    {
        // One write: the file never holds the instrument under both names, nor
        // a task that names one no longer there.
        platform::SettingsBatch batch;
        CDeviceRegistry::RenameKey(settings, from, to);
        RenameInstrumentTasks(m_tasks, from, to, settings);
        const QString defaultInstrument = QStringLiteral("pristrojProTQRS");
        if (settings.GetProfileString(CGeneralSettings::Section(), defaultInstrument) == from)
            settings.WriteProfileString(CGeneralSettings::Section(), defaultInstrument, to);
        if (!batch.Commit())
            qWarning("the settings could not be written");
    }
    if (m_settings.m_pristrojProTQRS == from)
        m_settings.m_pristrojProTQRS = to;
    // The open windows keep their state under the new name from now on.
    ui::CEntryName::Rename(from, to);
    if (ui::CView* view = LiveView(entry); view && view->GetDocument())
        view->GetDocument()->SetTitle(to);
}

void CMavexApp::SaveBexorInterval(CPristroj& entry, int code)
{
    platform::Settings settings;
    CDeviceRegistry::SaveBexorInterval(settings, entry, code);
}

void CMavexApp::SetLiveView(CPristroj& entry, ui::CView* view)
{
    if (!view) {
        m_liveViews.erase(&entry);
        entry.m_liveView = nullptr;
        return;
    }
    m_liveViews[&entry] = view;
    // The entry only learns that it has a live window, so that it closes
    // the window when it goes.
    entry.m_liveView = view;
}

ui::CView* CMavexApp::LiveView(const CPristroj& entry) const
{
    const auto it = m_liveViews.find(&entry);
    return it == m_liveViews.end() ? nullptr : it->second.data();
}

void CMavexApp::CloseLiveDocument(CPristroj& entry)
{
    entry.m_liveView = nullptr;
    const auto it = m_liveViews.find(&entry);
    if (it == m_liveViews.end())
        return;
    const QPointer<ui::CView> view = it->second;
    m_liveViews.erase(it);
    if (view && view->GetDocument())
        view->GetDocument()->OnCloseDocument();
}
