#pragma once

// Requests of the VK analyser, format A. Each readies the link first;
// non-zero on success, else 0 with the error text left in the link. A
// record is left as it was by a failed read (multi-page reads keep the pages
// read before the failure).
#include "link/Link.h"

class CIden;
class CVKAktData;
class CVKConfig;
class CVKEData;
class CVKETarif;
class CVKNoteBook;
class CVKOutputConfig;
class CVKStatus;

namespace commands {

BOOL ReadVKConfig(CLink& link, CVKConfig& config);
BOOL WriteVKConfig(CLink& link, const CVKConfig& config);
// The firmware version of `iden` tells the reply's layout.
BOOL ReadVKOutputConfig(CLink& link, CVKOutputConfig& outputs, const CIden& iden);
BOOL WriteVKOutputConfig(CLink& link, const CVKOutputConfig& outputs);
BOOL ReadVKStatus(CLink& link, CVKStatus& status);
// Only the recording settings; the rest of the status is the instrument's.
BOOL WriteVKStatus(CLink& link, const CVKStatus& status);
BOOL ReadVKNoteBook(CLink& link, CVKNoteBook& notebook);
BOOL WriteVKNoteBook(CLink& link, const CVKNoteBook& notebook);
constexpr int kVKInstallationBlockSize = 64;
BOOL ReadVKInstallationBlock(CLink& link, BYTE* block);
BOOL WriteVKInstallationBlock(CLink& link, const BYTE* block);
BOOL ReadVKValues(CLink& link, CVKAktData& values);
// Switches the instrument's archive mode on or off around a download.
BOOL SendVKArchiveControl(CLink& link, BOOL on);
// Sends the seconds past the computer's full hour; the instrument's answer
// (0: its clock is in step) to `result`.
BOOL SyncVKClock(CLink& link, BYTE& result);
BOOL ReadVKTariff(CLink& link, CVKETarif& tariff);
// Codes above 2 are written (and left in the record) as 0.
BOOL WriteVKTariff(CLink& link, CVKETarif& tariff);
BOOL ReadVKEnergyData(CLink& link, CVKEData& data);
BOOL ResetVKEnergyMeter(CLink& link);
// Sets the instrument's clock to the computer's time.
BOOL SetVKTime(CLink& link);
BOOL GetVKTime(CLink& link, CTime& time);

} // namespace commands
