#pragma once

#include "model/Iden.h"
#include "model/VKRConfig.h"

#include <QByteArray>
#include <QString>

namespace analysers_vk {

// What a VKR settings file holds.
struct CVKRSettings {
    CVKRConfig config;
    CIden iden;
};

// VKR settings files (".vrs"): one serialisation archive without a header
// of its own holding the configuration and then the identification.
//
// Loading reads into temporaries and hands both over only when the whole
// file was read; otherwise `error` holds a Czech text and the settings are
// untouched. Saving writes a temporary file beside the target and renames
// it, so a failed save leaves an existing file whole.
QByteArray VKRSettingsBytes(const CVKRSettings& settings);
bool ParseVKRSettings(const QByteArray& bytes, CVKRSettings& settings, QString& error);
bool LoadVKRSettingsFile(const QString& path, CVKRSettings& settings, QString& error);
// When the target's folder is missing and `folder` is given, that folder is
// created (one level) and the save tried once more.
bool SaveVKRSettingsFile(const QString& path, const CVKRSettings& settings, const QString& folder, QString& error);

} // namespace analysers_vk
