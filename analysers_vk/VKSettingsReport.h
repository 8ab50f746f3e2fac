#pragma once

#include "controllers/settings/SettingsReport.h"

namespace analysers_vk {

class CVKDetailInstalace;
class CVKDetailVystupy;
class CVKDetailZaznam;

// The printed sections of the VK settings: the texts the pages' controls
// show at that moment.
void AddInstallationReport(const CVKDetailInstalace& page, controllers::CSettingsReport& report);
void AddOutputsReport(CVKDetailVystupy& page, controllers::CSettingsReport& report);
void AddRecordingReport(const CVKDetailZaznam& page, controllers::CSettingsReport& report);

} // namespace analysers_vk
