#include "app/Families.h"

#include "analysers_vk/ONVK.h"
#include "analysers_vk/ONVKR.h"
#include "analysers_vk/VKArchivView.h"
#include "analysers_vk/VKAktMer.h"
#include "analysers_vk/VKDetail.h"
#include "analysers_vk/VKDetailStatic.h"
#include "analysers_vk/VKPristrojPlochaFrm.h"
#include "analysers_vk/VKRAktMer.h"
#include "analysers_vk/VKRArchivView.h"
#include "analysers_vk/VKRDetail.h"
#include "analysers_vk/VKRDetailStatic.h"
#include "analysers_vk/VKRPristrojPlochaFrm.h"
#include "analysers_vkt/ONVKT.h"
#include "analysers_vkt/VKT01Doc.h"
#include "analysers_vkt/VKTAktMer.h"
#include "analysers_vkt/VKTArchivView.h"
#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTPristrojPlochaFrm.h"
#include "archive_docs/ArchivDocBase.h"
#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/ArchivEventsView.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive_docs/MeterArchivDoc.h"
#include "archive/store/ArchivData.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKTArchivData.h"
#include "charts/BexorArchivView.h"
#include "charts/ProfileDoc.h"
#include "charts_data/VKProfileData.h"
#include "charts_data/VKTProfileData.h"
#include "controllers/ControllerSettings.h"
#include "controllers/archive/ControllerArchivView.h"
#include "controllers/graph/ONDuskar.h"
#include "controllers/graph/ONQorin.h"
#include "controllers/live/ControllerAktMer.h"
#include "controllers/panel/ControllerPlochaFrm.h"
#include "link/MereniController.h"
#include "link/MereniVK.h"
#include "link/MereniVKT.h"
#include "link/Pristroj.h"
#include "model/Iden.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QFileInfo>

namespace {

template <class Doc>
void AddPlainTemplate(ui::CDocManager& manager, int resourceId)
{
    manager.AddTemplate(ui::MakeDocTemplate<Doc, ui::CChildFrame, CArchivEventsView>(resourceId, Doc::DocString()));
}

template <class Thread>
PristrojThreadFactory ThreadOf()
{
    return [](std::shared_ptr<CLinkEnvironment> env) { return std::unique_ptr<CPristrojThread>(new Thread(std::move(env))); };
}

// The live window of a family without one: its current archive, when it
// records into one that exists.
ui::CView* OpenCurrentArchive(ui::CDocManager& manager, CPristroj& entry)
{
    const CArchivData* archive = entry.GetArchivData();
    const QString path = archive ? archive->GetFilePath() : QString();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return nullptr;
    ui::CDocument* document = manager.OpenDocumentFile(path, true);
    return document ? document->FirstView() : nullptr;
}

bool IsAnalyser(unsigned family)
{
    return family == CIden::kFamilyAnalyser;
}

bool IsVKRModel(unsigned model)
{
    return model == 0x1000 || model == 0x1001;
}

bool IsVKTModel(unsigned model)
{
    const unsigned group = model >> 8;
    return group >= 0x20 && group <= 0x26;
}

// A family's floating panel: opened, fed after each measurement, closed and
// found by the family's own functions.
template <class Frame>
void SetPanelHooks(CFamilyDescriptor& family, void (*open)(CPristroj&), void (*update)(CPristroj&),
                   void (*close)(CPristroj&), Frame* (*find)(const CPristroj&), void (*receiver)(QObject*))
{
    family.openPanel = open;
    family.updatePanel = update;
    family.closePanel = close;
    family.isPanelOpen = [find](CPristroj& entry) { return find(entry) != nullptr; };
    family.setPanelRequestReceiver = receiver;
}

void SetControllerPanelHooks(CFamilyDescriptor& family)
{
    SetPanelHooks(family, controllers::OpenControllerPanel, controllers::UpdateControllerPanel,
                  controllers::CloseControllerPanel, controllers::FindControllerPanel,
                  controllers::SetControllerPanelRequestReceiver);
}

// Both controller families open their settings sheet the same way.
auto ControllerSettingsOpener()
{
    return [](QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet) {
        controllers::OpenControllerSettings(parent, entry, sheet);
    };
}

CFamilyDescriptor Common(int type, const char* typeText, const char* live, const char* ending, const char* name,
                         const char* id)
{
    CFamilyDescriptor family;
    family.type = type;
    family.typeText = QString::fromUtf8(typeText);
    family.liveTypeName = QString::fromLatin1(live);
    family.archiveEnding = QString::fromLatin1(ending);
    family.archiveFileTypeName = QString::fromLatin1(name);
    family.archiveFileTypeId = QString::fromLatin1(id);
    family.openLive = OpenCurrentArchive;
    return family;
}

// The read-only settings sheet of a downloaded profile's family.
bool ShowProfileSettings(QWidget* parent, CProfileData& data)
{
    if (auto* vk = dynamic_cast<CVKProfileData*>(&data))
        return analysers_vk::ShowVKProfileSettings(parent, *vk);
    auto* vkt = dynamic_cast<CVKTProfileData*>(&data);
    if (!vkt)
        return false;
    analysers_vkt::CVKTDetailStatic sheet(QStringLiteral("Nastavení přístroje"), parent);
    if (!sheet.LoadFromProfile(*vkt))
        return false;
    sheet.DoModal();
    return true;
}

// The read-only settings stored in an archive, for the archive windows'
// "Nastavení přístroje"; false when the archive holds none to show.
bool ShowArchiveSettings(CArchivDocBase& document)
{
    const auto& hooks = CArchivDocHooks::Instance();
    QWidget* parent = hooks.mainWindow ? hooks.mainWindow() : nullptr;
    CArchivData& archive = document.GetArchiv();
    if (auto* vk = dynamic_cast<CVKArchivData*>(&archive))
        return analysers_vk::ShowVKArchiveSettings(parent, *vk);
    if (auto* vkr = dynamic_cast<CVKRArchivData*>(&archive))
        return analysers_vk::ShowVKRArchiveSettings(parent, *vkr);
    if (auto* vkt = dynamic_cast<CVKTArchivData*>(&archive)) {
        analysers_vkt::CVKTDetailStatic sheet(QStringLiteral("Nastavení přístroje"), parent);
        if (!sheet.LoadFromArchive(*vkt))
            return false;
        sheet.DoModal();
        return true;
    }
    return controllers::OpenArchiveSettings(parent, &archive);
}

} // namespace

CFamilyDescriptor QorinFamily()
{
    CFamilyDescriptor family =
        Common(CPristroj::kQorin, "Qorin xxx", "Qorin0 Document", ".qor", "Qorin Archiv", "Archiv.Document");
    family.usesBusPorts = false;
    family.identifies = [](unsigned f, unsigned model) { return f == CIden::kFamilyController && model < 17; };
    family.addTemplates = [](ui::CDocManager& manager) {
        controllers::AddQorinArchiveTemplate(manager);
        controllers::AddQorinLiveTemplate(manager);
    };
    family.openLive = controllers::OpenControllerLive;
    SetControllerPanelHooks(family);
    family.generalSettingsPage = [] { return std::make_unique<controllers::CONQorin>(); };
    family.settingsTabOrder = 0;
    family.settingsSaveOrder = 3;
    family.openSettings = ControllerSettingsOpener();
    family.threadFactory = ThreadOf<CQorinMereni>();
    return family;
}

CFamilyDescriptor VKFamily()
{
    CFamilyDescriptor family =
        Common(CPristroj::kVK, "PJW,PJX", "VK Document", ".vk", "VK Archiv", "VKArchiv.Document");
    family.canDownload = true;
    family.identifies = [](unsigned f, unsigned model) {
        return IsAnalyser(f) && !IsVKRModel(model) && !IsVKTModel(model);
    };
    family.addTemplates = [](ui::CDocManager& manager) {
        analysers_vk::AddVKArchivTemplate(manager);
        AddBexorTemplate(manager, 190);
        CProfileDoc::SetSettingsSheet(ShowProfileSettings);
        analysers_vk::AddVKLiveTemplate(manager);
    };
    family.openLive = analysers_vk::OpenVKLive;
    SetPanelHooks(family, analysers_vk::OpenVKPanel, analysers_vk::UpdateVKPanel, analysers_vk::CloseVKPanel,
                  analysers_vk::FindVKPanel, analysers_vk::SetVKPanelRequestReceiver);
    family.generalSettingsPage = [] { return std::make_unique<analysers_vk::CONVK>(); };
    family.settingsTabOrder = 2;
    family.settingsSaveOrder = 1;
    family.openSettings = [](QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet) {
        analysers_vk::OpenVKSettings(parent, entry, sheet);
    };
    family.threadFactory = ThreadOf<CVKMereni>();
    family.importDownload = ImportVKArchive;
    return family;
}

CFamilyDescriptor VKRFamily()
{
    CFamilyDescriptor family =
        Common(CPristroj::kVKR, "VKR,VKN", "VKR Document", ".vkr", "VKR Archiv", "VKRArchiv.Document");
    family.identifies = [](unsigned f, unsigned model) { return IsAnalyser(f) && IsVKRModel(model); };
    family.addTemplates = [](ui::CDocManager& manager) {
        analysers_vk::AddVKRArchivTemplate(manager);
        analysers_vk::AddVKRLiveTemplate(manager);
    };
    family.openLive = analysers_vk::OpenVKRLive;
    family.generalSettingsPage = [] { return std::make_unique<analysers_vk::CONVKR>(); };
    family.settingsTabOrder = 4;
    family.settingsSaveOrder = 0;
    SetPanelHooks(family, analysers_vk::OpenVKRPanel, analysers_vk::UpdateVKRPanel, analysers_vk::CloseVKRPanel,
                  analysers_vk::FindVKRPanel, analysers_vk::SetVKRPanelRequestReceiver);
    family.openSettings = [](QWidget* parent, CPristroj& entry, QPointer<QDialog>& dialog) {
        analysers_vk::OpenVKRSettings(parent, entry, dialog);
    };
    family.threadFactory = ThreadOf<CVKRMereni>();
    return family;
}

CFamilyDescriptor VKTFamily()
{
    CFamilyDescriptor family =
        Common(CPristroj::kVKT, "VKT", "VKT Document", ".vkt", "VKT Archiv", "VKTArchiv.Document");
    family.canDownload = true;
    family.identifies = [](unsigned f, unsigned model) { return IsAnalyser(f) && IsVKTModel(model); };
    family.addTemplates = [](ui::CDocManager& manager) {
        analysers_vkt::AddVKTArchivTemplate(manager);
        AddVKTBexorTemplate(manager, 304);
        analysers_vkt::AddVKTLiveTemplate(manager);
    };
    family.openLive = analysers_vkt::OpenVKTLive;
    SetPanelHooks(family, analysers_vkt::OpenVKTPanel, analysers_vkt::UpdateVKTPanel, analysers_vkt::CloseVKTPanel,
                  analysers_vkt::FindVKTPanel, analysers_vkt::SetVKTPanelRequestReceiver);
    family.generalSettingsPage = [] { return std::make_unique<analysers_vkt::CONVKT>(); };
    family.settingsTabOrder = 3;
    family.settingsSaveOrder = 2;
    family.openSettings = [](QWidget* parent, CPristroj& entry, QPointer<QDialog>& sheet) {
        analysers_vkt::OpenVKTSettings(parent, entry, sheet);
    };
    family.openLiveSettings = [](ui::CView* live, CPristroj&) {
        auto* document = qobject_cast<analysers_vkt::CVKT01Doc*>(live->GetDocument());
        if (!document)
            return false;
        document->OnInstrumentSettings(live);
        return true;
    };
    family.threadFactory = ThreadOf<CVKTMereni>();
    family.importDownload = ImportVKTArchive;
    return family;
}

CFamilyDescriptor DuskarFamily()
{
    CFamilyDescriptor family = Common(CPristroj::kDuskar, "Qorin 1xxx", "Duskar Document", ".dsk", "Duskar Archiv",
                                      "DuskarArchiv.Document");
    family.identifies = [](unsigned f, unsigned model) { return f == CIden::kFamilyController && model >= 17; };
    family.addTemplates = [](ui::CDocManager& manager) {
        controllers::AddDuskarArchiveTemplate(manager);
        controllers::AddDuskarLiveTemplate(manager);
    };
    family.openLive = controllers::OpenControllerLive;
    SetControllerPanelHooks(family);
    family.generalSettingsPage = [] { return std::make_unique<controllers::CONDuskar>(); };
    family.settingsTabOrder = 1;
    family.settingsSaveOrder = 4;
    family.openSettings = ControllerSettingsOpener();
    family.threadFactory = ThreadOf<CDuskarMereni>();
    return family;
}

std::vector<CFamilyDescriptor> ProgramFamilies()
{
    CArchivDocHooks::Instance().showSettings = ShowArchiveSettings;
    return {QorinFamily(), VKFamily(), VKRFamily(), VKTFamily(), DuskarFamily()};
}
