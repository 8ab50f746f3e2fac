#pragma once

// Requests of the power-factor controllers (Qorin, Duskar), format A. Each
// readies the link first; non-zero on success, else 0 with the error text
// left in the link. A record is left as it was by a failed read.
#include "link/Link.h"

class CConfig;
class CControllerAlarms;
class CDuskarAktData;
class CDuskarConfig;
class CQorinAktData;
class CStageSwitchState;
class CStageSwitchStats;

namespace commands {

BOOL ReadQorinConfig(CLink& link, CConfig& config);
BOOL WriteQorinConfig(CLink& link, const CConfig& config);
BOOL ReadDuskarConfig(CLink& link, CDuskarConfig& config);
BOOL WriteDuskarConfig(CLink& link, const CDuskarConfig& config);
// Firmware without per-stage on-times reports no current and no voltage
// only in its statistics: in some regulation states those are read too.
BOOL ReadQorinValues(CLink& link, CQorinAktData& values);
BOOL ReadDuskarValues(CLink& link, CDuskarAktData& values);
BOOL ReadQorinStatisticsSummary(CLink& link, CControllerAlarms& alarms);
BOOL ReadDuskarStatisticsSummary(CLink& link, CControllerAlarms& alarms);
BOOL ReadQorinSwitchingStatistics(CLink& link, CStageSwitchStats& stats, CStageSwitchState& state);
BOOL ReadDuskarSwitchingStatistics(CLink& link, CStageSwitchStats& stats, CStageSwitchState& state);
BOOL SendControllerCommand(CLink& link, const CControllerAlarms& command);

} // namespace commands
