#include "controllers/live/ControllerDoc.h"

#include "archive_docs/ArchivDocHooks.h"
#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/ControllerSettings.h"
#include "link/Pristroj.h"
#include "link/PristrojLive.h"
#include "platform/ui/MessageBox.h"
#include "shell/MavexApp.h"
#include "shell/PristrojInfoDlg.h"

#include <QDir>
#include <QFileInfo>

#include <limits>
#include <memory>

namespace controllers {

namespace {

bool IsMeasured(const CPristroj& entry)
{
    return entry.m_merit.load() != 0;
}

} // namespace

QString CQorin01Doc::DocString()
{
    return QStringLiteral("\nQorin0\nQorin0\n\n\nQorin01.Document\nQorin0 Document");
}

QString CDuskarDoc::DocString()
{
    return QStringLiteral("\nQorin0\nQorin0\n\n\nDuskar.Document\nDuskar Document");
}

// The entry may already be gone when the document is deleted (the shell
// closes the window of an entry that it removes), so nothing of it is
// touched here.
CControllerDoc::~CControllerDoc() = default;

void CControllerDoc::OnCloseDocument()
{
    if (!IsClosing() && m_pristroj)
        LiveWindowClosed(*m_pristroj);
    ui::CDocument::OnCloseDocument();
}

void CControllerDoc::SetPristroj(CPristroj* entry)
{
    m_pristroj = entry;
    if (entry)
        SetTitle(entry->m_nazev);
    UpdateAllViews(nullptr, kHintEntryBound);
}

void CControllerDoc::OnSettings(QWidget* parent)
{
    if (m_pristroj)
        OpenControllerSettings(parent, *m_pristroj);
}

void CControllerDoc::OnSwitchStatistics(QWidget* parent)
{
    if (m_pristroj)
        OpenSwitchStatistics(parent, *m_pristroj);
}

void CControllerDoc::OnSpecialFunctions(QWidget* parent)
{
    if (m_pristroj)
        OpenSpecialFunctions(parent, *m_pristroj);
}

void CControllerDoc::OnInfo(QWidget* parent)
{
    if (m_pristroj)
        CPristrojInfoDlg::Run(parent, CPristrojInfoSource::Of(*m_pristroj));
}

bool CControllerDoc::OpenCurrentFileEnabled() const
{
    return m_pristroj && IsMeasured(*m_pristroj) && m_pristroj->m_zaznamenavat;
}

void CControllerDoc::OnOpenCurrentFile()
{
    const CArchivData* data = m_pristroj ? m_pristroj->GetArchivData() : nullptr;
    const QString path = data ? data->GetFilePath() : QString();
    auto& hooks = CArchivDocHooks::Instance();
    if (!path.isEmpty() && hooks.openArchiveFile)
        hooks.openArchiveFile(path);
}

QString CControllerDoc::PreviousFile(const QString& prefix, const QString& ending, const QString& current,
                                     std::int64_t reference)
{
    const QFileInfo prefixInfo(prefix);
    const QDir dir = prefixInfo.absoluteDir();
    const QStringList names =
        dir.entryList({prefixInfo.fileName() + QStringLiteral("*") + ending}, QDir::Files, QDir::Name);
    const QString currentPath = current.isEmpty() ? QString() : QFileInfo(current).absoluteFilePath();
    std::int64_t best = -1;
    QString bestName;
    for (const QString& name : names) {
        const QString path = dir.absoluteFilePath(name);
        if (path == currentPath)
            continue;
        std::unique_ptr<CArchivData> file;
        if (ending == QStringLiteral(".dsk"))
            file = std::make_unique<CDuskarArchivData>();
        else
            file = std::make_unique<CQorinArchivData>();
        if (!file->Open(path))
            continue;
        platform::CTime first, last;
        if (file->GetFileTimeRange(first, last)) {
            const std::int64_t t = first.GetTime();
            if (t < reference && t > best) {
                best = t;
                bestName = path;
            }
        }
        file->Close();
    }
    return bestName;
}

void CControllerDoc::OnOpenPreviousFile(QWidget* parent)
{
    if (!m_pristroj)
        return;
    CArchivData* data = m_pristroj->GetArchivData();
    const QString current = data ? data->GetFilePath() : QString();
    std::int64_t reference = std::numeric_limits<std::int64_t>::max();
    platform::CTime first, last;
    if (data && !current.isEmpty() && data->GetFileTimeRange(first, last))
        reference = first.GetTime();
    const QString found = PreviousFile(m_pristroj->m_soubor, m_duskar ? QStringLiteral(".dsk") : QStringLiteral(".qor"),
                                       current, reference);
    auto& hooks = CArchivDocHooks::Instance();
    if (found.isEmpty())
        ui::ErrorBox(parent, QStringLiteral("Požadovaný soubor nenalezen."), ui::MsgButtons::Ok, ui::MsgIcon::Error);
    else if (hooks.openArchiveFile)
        hooks.openArchiveFile(found);
}

void CControllerDoc::OnOpenByInstrument(QWidget* parent)
{
    if (m_pristroj)
        CMavexApp::OpenByInstrumentFor(*m_pristroj, parent);
}

} // namespace controllers
