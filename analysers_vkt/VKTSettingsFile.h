#pragma once

#include "analysers_vkt/VKTSettingsGroups.h"

#include <QByteArray>
#include <QString>

namespace analysers_vkt {

// VKT settings files (".vts"): one serialisation archive without a header of
// its own holding the configuration, the recording status with its record
// description, the outputs, the notebook, the identification and the modem
// text, in that order.
//
// Loading reads into temporaries and hands everything over only when the
// whole file was read; otherwise `error` holds a Czech text and the settings
// are untouched. Saving writes a temporary file beside the target and
// renames it, so a failed save leaves an existing file whole.
QByteArray VKTSettingsBytes(const CVKTSettings& settings);
bool ParseVKTSettings(const QByteArray& bytes, CVKTSettings& settings, QString& error);
bool LoadVKTSettingsFile(const QString& path, CVKTSettings& settings, QString& error);
bool SaveVKTSettingsFile(const QString& path, const CVKTSettings& settings, const QString& folder, QString& error);

} // namespace analysers_vkt
