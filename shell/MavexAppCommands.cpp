// The application's own commands (open archive, open by instrument, the
// download tasks, About), the recent-file list, the documents' requests and
// the live and detail windows the measurement and panel threads ask for.
#include "shell/MavexApp.h"

#include "archive_docs/ArchivDocBase.h"
#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/OpenArchiveDlg.h"
#include "archive_docs/ZaplatovatArchivDlg.h"
#include "archive/store/ArchivData.h"
#include "link/Pristroj.h"
#include "link_ui/TransferProgressDlg.h"
#include "platform/Settings.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/MdiFrame.h"
#include "shell/AboutDlg.h"
#include "shell/MainFrame.h"
#include "shell/TaskManagerDlg.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>

namespace {

const platform::SettingsSection& RecentSection()
{
    static const platform::SettingsSection section(QStringLiteral("Recent File List"));
    return section;
}

QString RecentKey(int i)
{
    return QStringLiteral("File%1").arg(i + 1);
}

} // namespace

void CMavexApp::LoadRecentFiles()
{
    platform::Settings settings;
    m_recentFiles.clear();
    for (int i = 0; i < kRecentFileCount; ++i) {
        const QString path = settings.GetProfileString(RecentSection(), RecentKey(i), QString());
        if (!path.isEmpty())
            m_recentFiles << path;
    }
}

void CMavexApp::AddToRecentFileList(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString full = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    m_recentFiles.removeIf([&full](const QString& p) { return p.compare(full, Qt::CaseInsensitive) == 0; });
    m_recentFiles.prepend(full);
    while (m_recentFiles.size() > kRecentFileCount)
        m_recentFiles.removeLast();
    platform::Settings settings;
    for (int i = 0; i < kRecentFileCount; ++i)
        settings.WriteProfileString(RecentSection(), RecentKey(i), i < m_recentFiles.size() ? m_recentFiles[i] : QString());
    if (m_mainFrame)
        m_mainFrame->SetRecentFiles(m_recentFiles);
}

QString CMavexApp::ArchiveFileFilter() const
{
    QStringList patterns;
    for (const CFamilyDescriptor& family : m_families.All())
        if (!family.archiveEnding.isEmpty())
            patterns << QStringLiteral("*") + family.archiveEnding;
    patterns << QStringLiteral("*.pro");
    return QStringLiteral("Soubor data (%1)").arg(patterns.join(QLatin1Char(' ')));
}

void CMavexApp::OnOpenArchive(QWidget* parent)
{
    const QString title = QStringLiteral("Vývěr archivního souboru");
    auto choose = m_env.chooseFile ? m_env.chooseFile
                                   : [](QWidget* owner, const QString& t, const QString& folder, const QString& filter) {
                                         return QFileDialog::getOpenFileName(owner, t, folder, filter);
                                     };
    const QString path = choose(parent, title, m_settings.m_posledniPath, ArchiveFileFilter());
    if (path.isEmpty())
        return;
    m_settings.m_posledniPath = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    platform::Settings settings;
    m_settings.SaveLastPath(settings);
    OpenArchiveFile(path);
}

void CMavexApp::OnOpenByInstrument(QWidget* parent, const QString& instrument)
{
    std::vector<COpenArchiveInstrument> instruments;
    for (const auto& device : m_devices)
        instruments.push_back({device->m_nazev, device->GetType(), device->m_soubor});
    COpenArchiveDlg dialog(parent);
    COpenArchiveHost host;
    host.openDocument = [this](const QString& fileTypeId, const QString& path) -> CArchivDocBase* {
        ui::CDocTemplate* found = m_docManager.FindTemplate(ui::CDocTemplate::regFileTypeId, fileTypeId);
        return found ? qobject_cast<CArchivDocBase*>(found->OpenDocumentFile(path, true)) : nullptr;
    };
    dialog.SetHost(std::move(host));
    dialog.SetInstruments(&instruments, GetDeviceIndex(instrument));
    dialog.InitDialog();
    dialog.exec();
}

void CMavexApp::OpenByInstrumentFor(CPristroj& entry, QWidget* parent)
{
    if (auto* app = dynamic_cast<CMavexApp*>(&entry.Host()))
        app->OnOpenByInstrument(parent, entry.m_nazev);
}

bool CMavexApp::OpenByInstrumentEnabled()
{
    const auto& count = CArchivDocHooks::Instance().deviceCounter;
    return count && count() != 0;
}

bool CMavexApp::AnyDownloadingInstrument() const
{
    return std::any_of(m_devices.begin(), m_devices.end(),
                       [this](const auto& device) { return m_families.CanDownload(device->GetType()); });
}

void CMavexApp::OnDownloadManager(QWidget* parent)
{
    platform::Settings settings;
    CTaskManagerDlg dialog(m_families, settings, parent);
    dialog.SetContext(&m_devices, &m_tasks);
    dialog.SetStartDownloads([this] { StartDownloadThread(); });
    dialog.exec();
}

void CMavexApp::OnModems(QWidget* parent)
{
    if (!m_ports || !m_linkManager)
        return;
    RefreshPortList();
    CTransferProgressDlg dialog(CTransferProgressDlg::LinesOf(*m_ports, *m_linkManager), parent);
    CTransferProgressDlg::PortMarks marks;
    for (const CPortEntry& entry : m_ports->Entries()) {
        if (entry.kind == kPortKindSerial)
            marks.ports.push_back({entry.name, entry.description});
    }
    marks.isModem = [](const QString& port, const QString& description) {
        return ::IsModemPort(platform::Settings(), port, description);
    };
    marks.mark = [this](const QString& port, const QString& description, bool modem) {
        MarkModemPort(port, description, modem);
        return CTransferProgressDlg::LinesOf(*m_ports, *m_linkManager);
    };
    dialog.SetPortMarks(std::move(marks));
    dialog.exec();
}

void CMavexApp::OnAppAbout(QWidget* parent)
{
    CAboutDlg dialog(parent);
    dialog.exec();
}

void CMavexApp::InstallDocumentHooks()
{
    CArchivDocHooks& hooks = CArchivDocHooks::Instance();
    hooks.archiveIntervalSeconds = [this] { return GetArchiveIntervalSeconds(); };
    hooks.addToRecentFiles = [this](const QString& path) { AddToRecentFileList(path); };
    hooks.openArchiveFile = [this](const QString& path) { OpenArchiveFile(path); };
    hooks.deviceCounter = [this] { return static_cast<int>(m_devices.size()); };
    hooks.openByInstrument = [this](CArchivDocBase&, const QString& instrument) {
        OnOpenByInstrument(m_mainFrame.get(), instrument);
    };
    hooks.docManager = [this] { return &m_docManager; };
    hooks.patchHost = [this] { return PatchHost(); };
    hooks.mainWindow = [this]() -> QWidget* { return m_mainFrame.get(); };
}

CPatchArchivHost CMavexApp::PatchHost()
{
    CPatchArchivHost host;
    host.instruments = [this] {
        m_patchInstruments.clear();
        std::vector<IPatchInstrument*> list;
        for (const auto& device : m_devices) {
            m_patchInstruments.push_back(std::make_unique<CPristrojPatchInstrument>(*device));
            list.push_back(m_patchInstruments.back().get());
        }
        return list;
    };
    host.startIntervalDownload = [this](IPatchInstrument& instrument, CTime from, CTime to, int fromOpen,
                                        int toOpen, const QString& archivePath) {
        for (const auto& device : m_devices)
            if (device->m_nazev == instrument.Name())
                return OpenIntervalDownload(*device, from, to, fromOpen, toOpen, archivePath);
        return false;
    };
    return host;
}

std::intptr_t CMavexApp::OnOpenDeviceDocument(std::uintptr_t wParam, std::intptr_t)
{
    CPristroj* device = Device(wParam);
    if (!device)
        return 0;
    const CFamilyDescriptor* family = m_families.Find(device->GetType());
    if (!family || !family->openLive)
        return 0;
    if (ui::CView* view = family->openLive(m_docManager, *device))
        SetLiveView(*device, view);
    return 0;
}

namespace {

// The main window in front (restored when minimised) and in it the live
// window of the instrument when it has one.
void BringToFront(CMainFrame* frame, ui::CView* liveView)
{
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->showNormal();
    frame->raise();
    frame->activateWindow();
    ui::CChildFrame* child = liveView ? liveView->GetParentFrame() : nullptr;
    if (!child)
        return;
    if (child->isMinimized())
        child->showNormal();
    frame->MdiArea()->setActiveSubWindow(child);
}

} // namespace

bool CMavexApp::IsPanelOpen(CPristroj& entry)
{
    return m_families.IsPanelOpen(entry);
}

void CMavexApp::ClosePanel(CPristroj& entry)
{
    m_families.ClosePanel(entry);
}

// The floating panels ask: 1 close the panel and come back to the program,
// 2 come back, 3 the instrument's settings (over its live window when it
// has one). The panels are the only senders, and the instrument list's
// settings button opens the sheet directly, so this reading serves all.
std::intptr_t CMavexApp::OnOpenDeviceDetail(std::uintptr_t wParam, std::intptr_t lParam)
{
    CPristroj* device = Device(wParam);
    if (!device)
        return 0;
    switch (lParam) {
    case 1:
        ClosePanel(*device);
        device->m_onp = 0;
        [[fallthrough]];
    case 2:
        BringToFront(m_mainFrame.get(), LiveView(*device));
        return 0;
    case 3: {
        ui::CView* live = LiveView(*device);
        BringToFront(m_mainFrame.get(), live);
        const CFamilyDescriptor* family = m_families.Find(device->GetType());
        if (live && family && family->openLiveSettings && family->openLiveSettings(live, *device))
            return 0;
        QPointer<QDialog> sheet;
        OpenSettings(m_mainFrame.get(), *device, sheet);
        return 0;
    }
    default:
        return 0;
    }
}
