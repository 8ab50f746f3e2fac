#pragma once

#include "analysers_vk/VKSettingsGroups.h"

#include <QByteArray>
#include <QString>

namespace analysers_vk {

// VK settings files (".vks"): one serialisation archive without a header of
// its own holding the configuration, the recording status, the outputs, the
// notebook, the identification and the modem text, in that order.
//
// Loading reads into temporaries and hands everything over only when the
// whole file was read; otherwise `error` holds a Czech text and the
// settings are untouched. Saving writes a temporary file beside the target
// and renames it, so a failed save leaves an existing file whole.
QByteArray VKSettingsBytes(const CVKSettings& settings);
bool ParseVKSettings(const QByteArray& bytes, CVKSettings& settings, QString& error);
bool LoadVKSettingsFile(const QString& path, CVKSettings& settings, QString& error);
// When the target's folder is missing and `folder` is given, that folder is
// created (one level) and the save tried once more.
bool SaveVKSettingsFile(const QString& path, const QByteArray& bytes, const QString& folder, QString& error);

} // namespace analysers_vk
