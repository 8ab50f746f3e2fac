#pragma once

#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKStatus.h"
#include "platform/ui/PropertySheet.h"

class CVKArchivData;
class CVKProfileData;

namespace analysers_vk {

class CVKDetailInstalace;
class CVKDetailZaznam;

// The VK settings stored in an archive or a profile file, read-only and
// without instrument traffic: installation, and recording when the archive
// has a status record.
class CVKDetailStatic : public ui::CPropertySheet {
    Q_OBJECT
public:
    CVKDetailStatic(const QString& title = QStringLiteral("Nastavení přístroje"), QWidget* parent = nullptr,
                    int firstPage = 0);
    ~CVKDetailStatic() override;

    // False when the archive holds no settings or identification at its
    // current record.
    BOOL LoadFromArchive(const CVKArchivData& archive);
    BOOL LoadFromProfile(CVKProfileData& profile);
    // The same from records at hand.
    BOOL Load(const CVKConfig& config, const CIden& iden, const CVKStatus* status);

    CVKDetailInstalace& Instalace() { return *m_instalace; }
    CVKDetailZaznam* Zaznam() { return m_zaznamShown ? m_zaznam : nullptr; }

private:
    CVKDetailInstalace* m_instalace;
    CVKDetailZaznam* m_zaznam;
    CVKConfig m_config;
    CVKStatus m_status;
    CIden m_iden;
    BOOL m_statusPresent = FALSE;
    bool m_zaznamShown = true;
};

// Shows the stored settings read-only; false (nothing shown) when the
// archive or profile holds no settings to show.
bool ShowVKArchiveSettings(QWidget* parent, const CVKArchivData& archive);
bool ShowVKProfileSettings(QWidget* parent, CVKProfileData& profile);

} // namespace analysers_vk
