#pragma once

// Requests of the VKT analyser, format B. Each readies the link first;
// non-zero on success, else 0 with the error text left in the link. A
// record is left as it was by a failed read.
#include "link/Link.h"

class CAktData;
class CVKTConfig;
class CVKTEData;
class CVKTEDataRec;
class CVKTETarif;
class CVKTNoteBook;
class CVKTOutputConfig;
class CVKTStatus;

namespace commands {

// `mask` chooses the parts of the values the instrument sends.
BOOL ReadVKTValues(CLink& link, CAktData& values, WORD mask);
BOOL ReadVKTConfig(CLink& link, CVKTConfig& config);
BOOL WriteVKTConfig(CLink& link, const CVKTConfig& config);
BOOL ReadVKTStatus(CLink& link, CVKTStatus& status);
// Only the archive description of the status.
BOOL WriteVKTStatus(CLink& link, const CVKTStatus& status);
BOOL ReadVKTNoteBook(CLink& link, CVKTNoteBook& notebook);
BOOL WriteVKTNoteBook(CLink& link, const CVKTNoteBook& notebook);
BOOL ReadVKTOutputConfig(CLink& link, CVKTOutputConfig& outputs);
BOOL WriteVKTOutputConfig(CLink& link, const CVKTOutputConfig& outputs);
constexpr int kVKTInstallationBlockSize = 32;
BOOL ReadVKTInstallationBlock(CLink& link, BYTE* block);
BOOL WriteVKTInstallationBlock(CLink& link, const BYTE* block);
// Sets the instrument's clock to the computer's time.
BOOL SetVKTTime(CLink& link);
BOOL GetVKTTime(CLink& link, CTime& time);
// Sends the seconds past the computer's full hour; the instrument's answer
// (0: its clock is in step) to `result`.
BOOL SyncVKTClock(CLink& link, BYTE& result);
BOOL ReadVKTTariff(CLink& link, CVKTETarif& tariff);
BOOL WriteVKTTariff(CLink& link, const CVKTETarif& tariff);
BOOL ReadVKTEnergyData(CLink& link, CVKTEDataRec& data);
// `code`: the data byte of the request, as the caller gives it.
BOOL ReadVKTEnergyTotals(CLink& link, CVKTEData& totals, BYTE code);
BOOL ResetVKTEnergyMeter(CLink& link, BYTE code);

} // namespace commands
