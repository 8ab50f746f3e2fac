#include "analysers_vk/VK01Doc.h"

#include "analysers_vk/EnergyMeterDlg.h"
#include "analysers_vk/TimeSyncDlg.h"
#include "analysers_vk/VKDetail.h"
#include "analysers_vk/VKEntryIo.h"
#include "archive_docs/ArchivDocHooks.h"
#include "archive/store/ArchivData.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "link/Pristroj.h"
#include "link/PristrojLinkBracket.h"
#include "link/PristrojLive.h"
#include "platform/ui/MessageBox.h"
#include "shell/MavexApp.h"
#include "shell/PristrojInfoDlg.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace analysers_vk {

namespace {

bool IsMeasured(const CPristroj& entry)
{
    return entry.m_merit.load() != 0;
}

} // namespace

QString CVK01Doc::DocString()
{
    return QStringLiteral("\nVK\nVK\n\n\nVK01.Document\nVK Document");
}

// The entry may already be gone when the document is deleted (the shell
// closes the window of an entry that it removes), so nothing of it is
// touched here.
CVK01Doc::~CVK01Doc() = default;

void CVK01Doc::OnCloseDocument()
{
    if (!IsClosing() && m_pristroj)
        LiveWindowClosed(*m_pristroj);
    ui::CDocument::OnCloseDocument();
}

void CVK01Doc::SetPristroj(CPristroj* entry)
{
    m_pristroj = entry;
    if (entry)
        SetTitle(entry->m_nazev);
    UpdateAllViews(nullptr, kHintEntryBound);
}

void CVK01Doc::OnSettings(QWidget* parent)
{
    if (!m_pristroj)
        return;
    OpenVKSettings(parent, *m_pristroj, m_sheet);
    m_sheet = nullptr;
}

void CVK01Doc::OnTime(QWidget* parent)
{
    if (!m_pristroj)
        return;
    CPristrojLinkBracket link(*m_pristroj);
    CPristrojVKIo io(*m_pristroj);
    CTimeSyncDlg dialog(parent);
    if (dialog.SetPristroj(&io))
        dialog.exec();
}

bool CVK01Doc::EnergyMeterEnabled() const
{
    const auto* data = m_pristroj ? dynamic_cast<const CVKArchivData*>(m_pristroj->GetArchivData()) : nullptr;
    return data && data->HasVariantBit2();
}

void CVK01Doc::OnEnergyMeter(QWidget* parent)
{
    if (!m_pristroj)
        return;
    // The meter's reads carry their own wait cursor: the "no answer" box
    // and the dialog itself come up with the ordinary pointer.
    CPristrojLinkBracket link(*m_pristroj);
    CPristrojVKIo io(*m_pristroj);
    CEnergyMeterDlg dialog(parent);
    if (dialog.Attach(&io))
        dialog.exec();
}

void CVK01Doc::OnInfo(QWidget* parent)
{
    if (m_pristroj)
        CPristrojInfoDlg::Run(parent, CPristrojInfoSource::Of(*m_pristroj));
}

bool CVK01Doc::OpenCurrentFileEnabled() const
{
    return m_pristroj && IsMeasured(*m_pristroj) && m_pristroj->m_zaznamenavat;
}

void CVK01Doc::OnOpenCurrentFile()
{
    const CArchivData* data = m_pristroj ? m_pristroj->GetArchivData() : nullptr;
    const QString path = data ? data->GetFilePath() : QString();
    auto& hooks = CArchivDocHooks::Instance();
    if (!path.isEmpty() && hooks.openArchiveFile)
        hooks.openArchiveFile(path);
}

QString CVK01Doc::FindPreviousArchive(const QString& folder, const QString& current, std::int64_t reference, int type)
{
    const bool vkr = type == CPristroj::kVKR;
    QString best;
    std::int64_t bestStart = 0;
    const QDir dir(folder);
    const QString currentPath = current.isEmpty() ? QString() : QFileInfo(current).absoluteFilePath();
    const QString pattern = vkr ? QStringLiteral("*.vkr") : QStringLiteral("*.vk");
    for (const QFileInfo& file : dir.entryInfoList({pattern}, QDir::Files, QDir::Name)) {
        if (file.absoluteFilePath() == currentPath)
            continue;
        std::unique_ptr<CArchivData> candidate;
        if (vkr)
            candidate = std::make_unique<CVKRArchivData>();
        else
            candidate = std::make_unique<CVKArchivData>();
        if (!candidate->Open(file.absoluteFilePath()))
            continue;
        platform::CTime first, last;
        const bool ranged = candidate->GetFileTimeRange(first, last);
        candidate->Close();
        if (!ranged)
            continue;
        const std::int64_t start = first.GetTime();
        if (start < reference && (best.isEmpty() || start > bestStart)) {
            best = file.absoluteFilePath();
            bestStart = start;
        }
    }
    return best;
}

void CVK01Doc::OnOpenPreviousFile(QWidget* parent)
{
    if (!m_pristroj)
        return;
    CArchivData* data = m_pristroj->GetArchivData();
    const QString current = data ? data->GetFilePath() : QString();
    platform::CTime first, last;
    const bool ranged = data && !current.isEmpty() && data->GetFileTimeRange(first, last);
    const std::int64_t reference = ranged ? std::int64_t(first.GetTime()) : platform::CTime::GetCurrentTime().GetTime();
    const QString folder = current.isEmpty() ? m_pristroj->m_soubor : QFileInfo(current).absolutePath();
    const QString previous = FindPreviousArchive(folder, current, reference, ArchiveFamily());
    if (previous.isEmpty()) {
        ui::ErrorBox(parent, QStringLiteral("Požadovaný soubor nenalezen."), ui::MsgButtons::Ok, ui::MsgIcon::Error);
        return;
    }
    if (auto& hooks = CArchivDocHooks::Instance(); hooks.openArchiveFile)
        hooks.openArchiveFile(previous);
}

namespace {

const char kReceiveQuestion[] = "Stisknutím tlačítka OK začne příjem dat z přístroje.\nPřijatá data budou uložena do "
                                "dočasného souboru.\nBěhem příjmu dat bude umožněno další nastavení.";

} // namespace

void CVK01Doc::OnReceiveData(QWidget* parent)
{
    CPristroj* entry = GetPristroj();
    if (!entry)
        return;
    if (ui::InfoBox(parent, QString::fromUtf8(kReceiveQuestion), ui::MsgButtons::OkCancel) != ui::MsgAnswer::Ok)
        return;
    // Without the application (or its download template) nothing follows.
    if (auto* app = dynamic_cast<CMavexApp*>(&entry->Host()))
        app->OpenDownloadWindow(*entry);
}

bool CVK01Doc::OpenByInstrumentEnabled() const
{
    return CMavexApp::OpenByInstrumentEnabled();
}

void CVK01Doc::OnOpenByInstrument(QWidget* parent)
{
    if (CPristroj* entry = GetPristroj())
        CMavexApp::OpenByInstrumentFor(*entry, parent);
}

} // namespace analysers_vk
