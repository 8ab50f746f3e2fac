#pragma once

#include <QByteArray>
#include <QString>

class CConfig;
class CDuskarConfig;
class CIden;

namespace controllers {

// Controller settings files (".set"): a serialisation archive without a
// header of its own. Qorin: the configuration record; Duskar: the
// configuration record, then the identification record. The records'
// class-tagged tariffs tell the families apart. The controller's mode byte
// is not part of the file.
//
// Loading reads into temporaries and hands the records over only when the
// whole file was read; `error` then holds a Czech text and the records are
// untouched. Saving writes a temporary file beside the target and renames
// it, so a failed save leaves an existing file whole.
QByteArray QorinSettingsBytes(const CConfig& config);
QByteArray DuskarSettingsBytes(const CDuskarConfig& config, const CIden& iden);
bool ParseQorinSettings(const QByteArray& bytes, CConfig& config, QString& error);
bool ParseDuskarSettings(const QByteArray& bytes, CDuskarConfig& config, CIden& iden, QString& error);

bool LoadQorinSettingsFile(const QString& path, CConfig& config, QString& error);
bool LoadDuskarSettingsFile(const QString& path, CDuskarConfig& config, CIden& iden, QString& error);
bool SaveSettingsFile(const QString& path, const QByteArray& bytes, QString& error);

} // namespace controllers
