#include "archive_docs/FamilyArchivDocs.h"

#include "archive_docs/MeterArchivDoc.h"
#include "link/Pristroj.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

CArchivDoc::CArchivDoc() : CArchivDocBase(CQorinArchivData::Extension(), ui::MsgIcon::Warning, kOpenByInstrument) {}
CArchivDoc::~CArchivDoc() = default;

QString CArchivDoc::DocString()
{
    return QStringLiteral("Qorin Archiv\nArchiv\n\nQorin Archiv (*.qor)\n.qor\nArchiv.Document\nQorin Archiv");
}

CDuskarArchivDoc::CDuskarArchivDoc()
    : CArchivDocBase(CDuskarArchivData::Extension(), ui::MsgIcon::Warning, kOpenByInstrument)
{
}
CDuskarArchivDoc::~CDuskarArchivDoc() = default;

QString CDuskarArchivDoc::DocString()
{
    return QStringLiteral(
        "Duskar Archiv\nNArchiv\n\nDuskar Archiv (*.dsk)\n.dsk\nDuskarArchiv.Document\nDuskar Archiv");
}

CVKArchivDoc::CVKArchivDoc() : CArchivDocBase(QStringLiteral(".vk"), ui::MsgIcon::None, kOpenByInstrument) {}
CVKArchivDoc::~CVKArchivDoc() = default;

QString CVKArchivDoc::DocString()
{
    return QStringLiteral("VK Archiv\nArchiv\n\nVK Archiv (*.vk)\n.vk\nVKArchiv.Document\nVK Archiv");
}

bool CVKArchivDoc::OnCommand(int id)
{
    if (id == archive::cmd::kMeter) {
        archive::OpenMeterDocument(QStringLiteral("Bexor Archiv"), m_archiv);
        return true;
    }
    if (id == archive::cmd::kPatch) {
        PatchArchive(CPristroj::kVK);
        return true;
    }
    return CArchivDocBase::OnCommand(id);
}

namespace {

void AppendMeterCommands(std::vector<ui::CommandItem>& items)
{
    const QString menu = QStringLiteral("&Archiv");
    items.push_back({archive::cmd::kMeter, QStringLiteral("Elektroměr"), menu, ui::kMeasurementBarId, false});
    items.push_back({archive::cmd::kPatch, QStringLiteral("Záplatovat archiv..."), menu, ui::kMeasurementBarId, false});
}

} // namespace

void CVKArchivDoc::AppendCommands(std::vector<ui::CommandItem>& items)
{
    CArchivDocBase::AppendCommands(items);
    AppendMeterCommands(items);
}

void CVKTArchivDoc::AppendCommands(std::vector<ui::CommandItem>& items)
{
    CArchivDocBase::AppendCommands(items);
    AppendMeterCommands(items);
}

bool CVKArchivDoc::IsCommandEnabled(int id)
{
    if (id == archive::cmd::kMeter) {
        CIden iden;
        return m_archiv.GetIdenAt(iden) && (iden.model & 0x04) != 0;
    }
    return CArchivDocBase::IsCommandEnabled(id);
}

CVKRArchivDoc::CVKRArchivDoc() : CArchivDocBase(QStringLiteral(".vkr"), ui::MsgIcon::None, kOpenByInstrument) {}
CVKRArchivDoc::~CVKRArchivDoc() = default;

QString CVKRArchivDoc::DocString()
{
    return QStringLiteral("VKR Archiv\nArchiv\n\nVKR Archiv (*.vkr)\n.vkr\nVKRArchiv.Document\nVKR Archiv");
}

CVKTArchivDoc::CVKTArchivDoc() : CArchivDocBase(CVKTArchivData::Extension(), ui::MsgIcon::None, kOpenByInstrument)
{
}
CVKTArchivDoc::~CVKTArchivDoc() = default;

QString CVKTArchivDoc::DocString()
{
    return QStringLiteral("VKT Archiv\nArchiv\n\nVKT Archiv (*.vkt)\n.vkt\nVKTArchiv.Document\nVKT Archiv");
}

bool CVKTArchivDoc::OnCommand(int id)
{
    if (id == archive::cmd::kMeter) {
        archive::OpenMeterDocument(QStringLiteral("VKTBexor Archiv"), m_archiv);
        return true;
    }
    if (id == archive::cmd::kPatch) {
        PatchArchive(CPristroj::kVKT);
        return true;
    }
    return CArchivDocBase::OnCommand(id);
}

namespace archive {

ui::CDocument* OpenMeterDocument(const QString& typeName, CArchivData& source)
{
    const auto& hooks = CArchivDocHooks::Instance();
    ui::CDocManager* manager = hooks.docManager ? hooks.docManager() : nullptr;
    ui::CDocTemplate* found = manager ? manager->FindTemplate(ui::CDocTemplate::regFileTypeName, typeName) : nullptr;
    if (!found)
        return nullptr;
    auto* meter = dynamic_cast<CMeterArchivDocBase*>(found->OpenDocumentFile(QString(), true));
    if (!meter)
        return nullptr;
    if (!meter->OpenArchive(source)) {
        meter->OnCloseDocument();
        return nullptr;
    }
    meter->ReadCurrentBlock();
    // The window opened empty, as narrow as an empty table; the filled one
    // asks for room for every column.
    if (ui::CView* view = meter->FirstView())
        if (ui::CChildFrame* frame = view->GetParentFrame())
            frame->FitToView();
    return meter;
}

} // namespace archive
