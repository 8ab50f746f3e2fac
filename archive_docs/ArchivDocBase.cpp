#include "archive_docs/ArchivDocBase.h"

#include "archive_docs/ZaplatovatArchivDlg.h"
#include "archive/store/ArchivData.h"
#include "archive/store/ArchivTitles.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <memory>

using platform::CTime;

CArchivDocHooks& CArchivDocHooks::Instance()
{
    static CArchivDocHooks hooks;
    return hooks;
}

CArchivDocBase::CArchivDocBase(QString extension, ui::MsgIcon openFailureIcon, int openByInstrumentCommand)
    : m_extension(std::move(extension)), m_openFailureIcon(openFailureIcon),
      m_openByInstrumentCommand(openByInstrumentCommand)
{
}

CArchivDocBase::~CArchivDocBase() = default;

bool CArchivDocBase::RunGuarded(const std::function<void()>& operation)
{
    try {
        operation();
        return true;
    } catch (const std::exception&) {
        ReportSystemError();
        return false;
    }
}

void CArchivDocBase::ReportSystemError()
{
    ui::ErrorBox(nullptr, platform::LoadString(platform::IDS_ARCHIVE_SYSTEM_ERROR), ui::MsgButtons::OkCancel,
                 ui::MsgIcon::None);
    OnCloseDocument();
}

bool CArchivDocBase::OnOpenDocument(const QString& path)
{
    CArchivData& archiv = GetArchiv();
    if (!archiv.Open(path) || !Navigator().OpenAtEnd()) {
        ui::ErrorBox(nullptr, archiv.GetErrorText(), ui::MsgButtons::Ok, m_openFailureIcon);
        return false;
    }
    const auto& hooks = CArchivDocHooks::Instance();
    const int interval = hooks.archiveIntervalSeconds ? hooks.archiveIntervalSeconds() : -1;
    CTime start;
    CTime end;
    Navigator().GetFileRange(start, end);
    if (interval != -1 && std::int64_t(end.GetTime()) - interval > std::int64_t(start.GetTime()))
        start = CTime(CTime::time_type(std::int64_t(end.GetTime()) - interval));
    UpdateAllViews(nullptr, archive::hint::kOpening);
    Navigator().SetWindow(start, end);
    UpdateAllViews(nullptr, archive::hint::kWindowPlaced);
    if (m_toolBar)
        AttachControlBar(m_toolBar);
    return true;
}

void CArchivDocBase::SetPathName(const QString& path, bool addToRecent)
{
    (void)addToRecent; // the recent list always gets the real path
    const QString title = platform::LoadString(platform::IDS_TITLE_ARCHIVE_FILE)
                              .replace(QLatin1String("%s"), archive::PeriodTitleOf(path, m_extension));
    const auto& hooks = CArchivDocHooks::Instance();
    if (hooks.addToRecentFiles)
        hooks.addToRecentFiles(path);
    ui::CDocument::SetPathName(title, false);
    SetTitle(title);
}

void CArchivDocBase::TakeDataControlBar(QWidget* bar)
{
    if (auto* toolBar = dynamic_cast<IArchivToolBar*>(bar))
        AttachControlBar(toolBar);
}

void CArchivDocBase::AttachControlBar(IArchivToolBar* toolBar)
{
    m_toolBar = toolBar;
    RunGuarded([this] { RefreshToolBar(); });
}

void CArchivDocBase::RefreshToolBar()
{
    if (!m_toolBar)
        return;
    CArchivNavigator& nav = Navigator();
    QString current;
    const QStringList zooms = nav.GetZoomList(current);
    m_toolBar->FillZoomCombo(zooms, current);
    const QStringList ticks = nav.GetTimeTicks(current);
    m_toolBar->FillTimeCombo(ticks, current);
    const archive::CScrollInfo scroll = nav.GetScrollInfo();
    m_toolBar->SetSlider(scroll.position, scroll.end - scroll.position, scroll.range);
}

void CArchivDocBase::MoveRecords(int records, int pages)
{
    RunGuarded([&] {
        if (ReloadIfChanged())
            return;
        CArchivNavigator& nav = Navigator();
        if (pages == archive::cmd::kToEnd)
            nav.GoLast();
        else if (pages == -archive::cmd::kToEnd)
            nav.GoFirst();
        else if (nav.Step(records, pages))
            QApplication::beep();
        RefreshToolBar();
        UpdateAllViews(nullptr, archive::hint::kRecordMoved);
    });
}

void CArchivDocBase::ChangeWindow(const std::function<void()>& change)
{
    RunGuarded([&] {
        if (ReloadIfChanged())
            return;
        change();
        UpdateAllViews(nullptr, archive::hint::kWindowChanged);
        RefreshToolBar();
    });
}

void CArchivDocBase::SetZoom(int position, int zoom)
{
    ChangeWindow([&] { Navigator().SetZoom(position, zoom); });
}

void CArchivDocBase::SetWindowStart(int first, int second)
{
    ChangeWindow([&] { Navigator().SetWindowStart(first, second - first); });
}

void CArchivDocBase::SetWindow(CTime start, CTime end)
{
    ChangeWindow([&] { Navigator().SetWindow(start, end); });
}

int CArchivDocBase::ReloadIfChanged()
{
    if (!GetArchiv().IsFileChanged())
        return 0;
    bool blocksAdded = false;
    const int reloaded = Navigator().ReloadChanged(&blocksAdded);
    // The view shown first follows the window to its new place.
    if (reloaded && FirstView())
        platform::SendMessageTo(FirstView(), platform::WM_ARCHIVE_WINDOW_MOVED, 0, blocksAdded ? 1 : 0);
    if (!reloaded)
        UpdateAllViews(nullptr, archive::hint::kReloadedInPlace);
    RefreshToolBar();
    return reloaded;
}

int CArchivDocBase::ReloadIfChangedSafe()
{
    int reloaded = 0;
    RunGuarded([&] { reloaded = ReloadIfChanged(); });
    return reloaded;
}

int CArchivDocBase::RefreshAndGetState()
{
    UpdateAllViews(nullptr, archive::hint::kState);
    return m_state;
}

bool CArchivDocBase::OnCommand(int id)
{
    using namespace archive::cmd;
    switch (id) {
    case kGoEnd:
        MoveRecords(0, kToEnd);
        return true;
    case kRecordForward:
        MoveRecords(1, 0);
        return true;
    case kPageForward:
        MoveRecords(0, 1);
        return true;
    case kRecordBack:
        MoveRecords(-1, 0);
        return true;
    case kGoStart:
        MoveRecords(0, -kToEnd);
        return true;
    case kPageBack:
        MoveRecords(0, -1);
        return true;
    case kSettings:
        RunGuarded([this] {
            const auto& hooks = CArchivDocHooks::Instance();
            if (hooks.showSettings && !hooks.showSettings(*this))
                ui::ErrorBox(nullptr, platform::LoadString(platform::IDS_SETTINGS_FILE_DAMAGED),
                             ui::MsgButtons::OkCancel, ui::MsgIcon::None);
        });
        return true;
    case kNextFile:
    case kPreviousFile:
        OpenNeighbourFile(id == kNextFile);
        return true;
    default:
        break;
    }
    if (id == m_openByInstrumentCommand) {
        const auto& hooks = CArchivDocHooks::Instance();
        if (hooks.openByInstrument)
            hooks.openByInstrument(*this, GetArchiv().GetInstrumentName());
        return true;
    }
    return false;
}

void CArchivDocBase::AppendCommands(std::vector<ui::CommandItem>& items)
{
    using namespace archive::cmd;
    const QString menu = QStringLiteral("&Archiv");
    const auto add = [&](int id, const char* text, int bar) {
        items.push_back({id, QString::fromUtf8(text), menu, bar, false});
    };
    add(kSettings, "Nastavení přístroje...", ui::kMeasurementBarId);
    // The controllers' archives spell the command with two blanks.
    add(m_openByInstrumentCommand,
        m_openByInstrumentCommand == 32226 ? "Otevři soubor dle přístroje  ..." : "Otevři soubor dle přístroje ...",
        ui::kMeasurementBarId);
    add(kPreviousFile, "Otevřít předchozí soubor", ui::kMeasurementBarId);
    add(kNextFile, "Otevřít následující soubor", ui::kMeasurementBarId);
    add(kGoStart, "Posun na začátek archivního souboru", 0);
    add(kPageBack, "Posun o stránku zpět", 0);
    add(kRecordBack, "Posun o záznam zpět", 0);
    add(kRecordForward, "Posun o záznam vpřed", 0);
    add(kPageForward, "Posun o stránku vpřed", 0);
    add(kGoEnd, "Posun na konec archivního souboru", 0);
}

bool CArchivDocBase::IsCommandEnabled(int id)
{
    if (id == m_openByInstrumentCommand) {
        const auto& hooks = CArchivDocHooks::Instance();
        return hooks.deviceCounter && hooks.deviceCounter() != 0;
    }
    return true;
}

QString CArchivDocBase::FindNeighbourFile(const QString& openPath, const QString& extension, CTime openStart,
                                          bool next, CTime now)
{
    if (openPath.isEmpty())
        return QString();
    qsizetype cut = openPath.lastIndexOf(QLatin1String("_Y"));
    const bool suffix = cut > 0 && openPath.mid(cut + 4, 1) == QLatin1String("D")
                        && openPath.mid(cut + 9, 1) == QLatin1String("H")
                        && openPath.mid(cut + 12).compare(extension, Qt::CaseInsensitive) == 0;
    if (!suffix) {
        cut = openPath.length() - extension.length();
        if (cut < 0 || openPath.mid(cut).compare(extension, Qt::CaseInsensitive) != 0)
            return QString();
    }
    const QFileInfo pattern(openPath.left(cut) + QLatin1Char('*') + extension);
    const QDir dir = pattern.absoluteDir();
    std::int64_t best = next ? std::int64_t(now.GetTime()) : -1;
    QString result;
    for (const QString& name : dir.entryList({pattern.fileName()}, QDir::Files)) {
        const QString path = dir.filePath(name);
        if (path == openPath)
            continue;
        auto other = std::make_unique<CArchivData>();
        CTime first;
        CTime last;
        if (!other->Open(path) || !other->GetFileTimeRange(first, last))
            continue;
        const std::int64_t f = first.GetTime();
        const std::int64_t s = openStart.GetTime();
        if (next ? (f > s && f < best) : (f < s && f > best)) {
            best = f;
            result = path;
        }
    }
    return result;
}

void CArchivDocBase::OpenNeighbourFile(bool next)
{
    CTime start;
    CTime end;
    Navigator().GetFileRange(start, end);
    const QString found = FindNeighbourFile(GetArchiv().GetFilePath(), m_extension, start, next,
                                            CTime::GetCurrentTime());
    if (found.isEmpty()) {
        ui::ErrorBox(nullptr, platform::LoadString(platform::IDS_FILE_NOT_FOUND), ui::MsgButtons::Ok,
                     ui::MsgIcon::Error);
        return;
    }
    const auto& hooks = CArchivDocHooks::Instance();
    if (hooks.openArchiveFile)
        hooks.openArchiveFile(found);
}

void CArchivDocBase::PatchArchive(int kind)
{
    const CArchivDocHooks& hooks = CArchivDocHooks::Instance();
    CZaplatovatArchivDlg dialog(QApplication::activeWindow());
    if (hooks.patchHost)
        dialog.SetHost(hooks.patchHost());
    ReloadIfChangedSafe();
    const int ready = kind == 4 ? dialog.SetVKTArchive(&GetArchiv()) : dialog.SetVKArchive(&GetArchiv());
    if (!ready) {
        ui::ShowMessageBox(nullptr, QStringLiteral("Do programu není zadán žádný přístroj"),
                           platform::LoadString(platform::IDS_CAPTION_ERROR), ui::MsgButtons::Ok,
                           ui::MsgIcon::Warning);
        return;
    }
    dialog.InitDialog();
    const int answer = hooks.runDialog ? hooks.runDialog(dialog) : dialog.exec();
    if (answer != QDialog::Accepted)
        return;
    ReloadIfChangedSafe();
    dialog.StartPatchDownload();
}
