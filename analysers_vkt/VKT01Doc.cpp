#include "analysers_vkt/VKT01Doc.h"

#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTElektromerDlg.h"
#include "archive_docs/ArchivDocHooks.h"
#include "archive/store/VKTArchivData.h"
#include "link/Pristroj.h"
#include "link/PristrojLinkBracket.h"
#include "platform/ui/MessageBox.h"
#include "shell/MavexApp.h"

#include <QDir>
#include <QFileInfo>

namespace analysers_vkt {

QString CVKT01Doc::DocString()
{
    return QStringLiteral("\nVKT\nVKT\n\n\nVKT01.Document\nVKT Document");
}

void CVKT01Doc::OnInstrumentSettings(QWidget* parent)
{
    CPristroj* entry = GetPristroj();
    if (!entry)
        return;
    OpenVKTSettings(parent, *entry, SheetSlot());
    SheetSlot() = nullptr;
}

void CVKT01Doc::OnElectricityMeter(QWidget* parent)
{
    CPristroj* entry = GetPristroj();
    if (!entry)
        return;
    CPristrojLinkBracket link(*entry);
    OpenVKTElektromer(parent, *entry);
}

QString CVKT01Doc::FindPreviousVKTArchive(const QString& folder, const QString& current, std::int64_t reference)
{
    QString best;
    std::int64_t bestStart = 0;
    const QString currentPath = current.isEmpty() ? QString() : QFileInfo(current).absoluteFilePath();
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.vkt")}, QDir::Files, QDir::Name)) {
        if (file.absoluteFilePath() == currentPath)
            continue;
        CVKTArchivData candidate;
        if (!candidate.Open(file.absoluteFilePath()))
            continue;
        platform::CTime first, last;
        const bool ranged = candidate.GetFileTimeRange(first, last);
        candidate.Close();
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

void CVKT01Doc::OnOpenPreviousVKTFile(QWidget* parent)
{
    CPristroj* entry = GetPristroj();
    if (!entry)
        return;
    CArchivData* data = entry->GetArchivData();
    const QString current = data ? data->GetFilePath() : QString();
    platform::CTime first, last;
    const bool ranged = data && !current.isEmpty() && data->GetFileTimeRange(first, last);
    const std::int64_t reference = ranged ? std::int64_t(first.GetTime()) : platform::CTime::GetCurrentTime().GetTime();
    const QString folder = current.isEmpty() ? entry->m_soubor : QFileInfo(current).absolutePath();
    const QString previous = FindPreviousVKTArchive(folder, current, reference);
    if (previous.isEmpty()) {
        ui::ErrorBox(parent, QStringLiteral("Požadovaný soubor nenalezen."), ui::MsgButtons::Ok, ui::MsgIcon::Error);
        return;
    }
    if (auto& hooks = CArchivDocHooks::Instance(); hooks.openArchiveFile)
        hooks.openArchiveFile(previous);
}

} // namespace analysers_vkt
