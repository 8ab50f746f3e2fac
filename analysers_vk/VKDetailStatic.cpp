#include "analysers_vk/VKDetailStatic.h"

#include "analysers_vk/VKDetailInstalace.h"
#include "analysers_vk/VKDetailZaznam.h"
#include "archive/store/VKArchivData.h"
#include "charts_data/VKProfileData.h"

#include <QPushButton>
#include <QTabWidget>

namespace analysers_vk {

CVKDetailStatic::CVKDetailStatic(const QString& title, QWidget* parent, int firstPage)
    : ui::CPropertySheet(title, parent),
      m_instalace(new CVKDetailInstalace(true)),
      m_zaznam(new CVKDetailZaznam(true))
{
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_instalace)); // the sheet owns its pages
    AddPage(std::unique_ptr<ui::CPropertyPage>(m_zaznam));
    SetActivePage(firstPage);
    Button(IdApplyNow)->hide();
    Button(IdCancel)->hide();
}

CVKDetailStatic::~CVKDetailStatic() = default;

BOOL CVKDetailStatic::Load(const CVKConfig& config, const CIden& iden, const CVKStatus* status)
{
    m_config = config;
    m_iden = iden;
    m_statusPresent = status != nullptr;
    if (status)
        m_status = *status;
    m_instalace->SetData(&m_config, nullptr, &m_iden);
    if (m_statusPresent) {
        m_zaznam->SetData(&m_status, nullptr, &m_iden);
    } else if (m_zaznamShown) {
        // The recording page goes: there is nothing to show on it.
        const int index = Tabs()->indexOf(m_zaznam);
        if (index >= 0)
            Tabs()->removeTab(index);
        m_zaznam->hide();
        m_zaznamShown = false;
    }
    return TRUE;
}

BOOL CVKDetailStatic::LoadFromArchive(const CVKArchivData& archive)
{
    CVKConfig config;
    CIden iden;
    if (!archive.GetConfigAt(config) || !archive.GetIdenAt(iden))
        return FALSE;
    CVKStatus status;
    const bool present = archive.GetStatusRecord(status) != 0;
    return Load(config, iden, present ? &status : nullptr);
}

BOOL CVKDetailStatic::LoadFromProfile(CVKProfileData& profile)
{
    CVKConfig config;
    CIden iden;
    if (!profile.ReadSettings(iden, config))
        return FALSE;
    return Load(config, iden, nullptr);
}

bool ShowVKArchiveSettings(QWidget* parent, const CVKArchivData& archive)
{
    CVKDetailStatic sheet(QStringLiteral("Nastavení přístroje"), parent);
    if (!sheet.LoadFromArchive(archive))
        return false;
    sheet.DoModal();
    return true;
}

bool ShowVKProfileSettings(QWidget* parent, CVKProfileData& profile)
{
    CVKDetailStatic sheet(QStringLiteral("Nastavení přístroje"), parent);
    if (!sheet.LoadFromProfile(profile))
        return false;
    sheet.DoModal();
    return true;
}

} // namespace analysers_vk
