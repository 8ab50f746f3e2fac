#include "analysers_vk/VKRDetailStatic.h"

#include "archive/store/VKRArchivData.h"
#include "platform/ui/HtmlHelp.h"

namespace analysers_vk {

CVKRDetailStatic::CVKRDetailStatic(QWidget* parent) : CVKRDetail(true, parent)
{
    ui::SetHelpId(this, 207);
    setWindowTitle(QStringLiteral("Nastavení přístroje"));
}

CVKRDetailStatic::~CVKRDetailStatic() = default;

BOOL CVKRDetailStatic::LoadFromArchive(const CVKRArchivData& archive)
{
    CVKRConfig config;
    CIden iden;
    if (!archive.GetConfigAt(config) || !archive.GetIdenAt(iden))
        return FALSE;
    return Load(config, iden);
}

BOOL CVKRDetailStatic::Load(const CVKRConfig& config, const CIden& iden)
{
    Settings().config = config;
    Settings().iden = iden;
    SetData();
    UpdateControls();
    return TRUE;
}

bool ShowVKRArchiveSettings(QWidget* parent, const CVKRArchivData& archive)
{
    CVKRDetailStatic dialog(parent);
    if (!dialog.LoadFromArchive(archive))
        return false;
    dialog.exec();
    return true;
}

} // namespace analysers_vk
