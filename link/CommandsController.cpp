// Requests of the power-factor controllers (Qorin, Duskar), format A.
#include "link/Link.h"
#include "link/LinkManager.h"

#include "model/ControllerAlarms.h"
#include "model/ControllerStatistics.h"
#include "model/DuskarAktData.h"
#include "model/DuskarConfig.h"
#include "model/QorinAktData.h"
#include "model/QorinConfig.h"

#include <algorithm>
#include <array>

namespace {

constexpr BYTE kReadStatistics = 0x14;
constexpr BYTE kReadConfig = 0x16;
constexpr BYTE kWriteConfig = 0x17;
constexpr BYTE kReadValues = 0x30;
constexpr BYTE kCommand = 0x31;

// The statistics reply: the head, then the family's block. A Qorin whose
// firmware keeps no on-times may end its block early.
constexpr int kQorinStatisticsReply = CStageSwitchState::kImageSize + CStageSwitchStats::kQorinBlockSize + 4; // 108
constexpr int kQorinShortStatisticsReply
    = CStageSwitchState::kImageSize + CStageSwitchStats::kQorinBlockSizeWithoutTimes + 4; // 80
constexpr int kDuskarStatisticsReply = CStageSwitchState::kImageSize + CStageSwitchStats::kDuskarBlockSize + 4; // 148
constexpr std::array<int, 1> kQorinShorterStatistics{kQorinShortStatisticsReply};

// Regulation states (low nibble of the state byte) in which firmware
// without on-time counters tells no current and no voltage only through
// its statistics.
bool NeedsStatisticsFlags(BYTE state)
{
    const int code = state & 0x0F;
    return code == 3 || code == 5 || code > 6;
}

} // namespace

BOOL CLink::ReadQorinConfig(CConfig& config)
{
    return ReadRecord(Format::A, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL CLink::WriteQorinConfig(const CConfig& config)
{
    return WriteRecord(Format::A, kWriteConfig, config);
}

BOOL CLink::ReadDuskarConfig(CDuskarConfig& config)
{
    return ReadRecord(Format::A, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL CLink::WriteDuskarConfig(const CDuskarConfig& config)
{
    return WriteRecord(Format::A, kWriteConfig, config);
}

BOOL CLink::ReadStatisticsData(bool qorin, BYTE* data)
{
    static_assert(kDuskarStatisticsReply - 4 == kStatisticsRoom && kQorinStatisticsReply < kDuskarStatisticsReply);
    std::fill(data, data + kStatisticsRoom, BYTE(0));
    if (!Prepare() || !SendRequestA(kReadStatistics, nullptr, 0))
        return FALSE;
    int got = 0;
    if (qorin)
        return ReceiveA(kQorinStatisticsReply, kQorinShorterStatistics, platform::IDS_ERR_ACK_CHECKSUM, data, got);
    return ReceiveA(kDuskarStatisticsReply, {}, platform::IDS_ERR_ACK_CHECKSUM, data, got);
}

BOOL CLink::ReadQorinValues(CQorinAktData& values)
{
    BYTE data[CQorinAktData::kImageSize] = {};
    if (!ReadA(kReadValues, CQorinAktData::kImageSize, platform::IDS_ERR_ACK_CHECKSUM, data))
        return FALSE;
    values.FromRaw(data);
    if (!values.HasStageTimeCounters() && NeedsStatisticsFlags(values.state)) {
        values.state &= BYTE(~0xC0);
        BYTE statistics[kStatisticsRoom];
        // The values stand whether or not the statistics come.
        if (ReadStatisticsData(true, statistics)) {
            CStageSwitchState head;
            head.FromRaw(statistics);
            if (head.flags & 0x02)
                values.state |= 0x80; // no current
            if (head.flags & 0x08)
                values.state |= 0x40; // no voltage
        }
    }
    return TRUE;
}

BOOL CLink::ReadDuskarValues(CDuskarAktData& values)
{
    return ReadRecord(Format::A, kReadValues, platform::IDS_ERR_ACK_CHECKSUM, values);
}

BOOL CLink::ReadQorinStatisticsSummary(CControllerAlarms& alarms)
{
    BYTE data[kStatisticsRoom] = {};
    if (!ReadStatisticsData(true, data))
        return FALSE;
    alarms.FromRaw(data);
    return TRUE;
}

BOOL CLink::ReadDuskarStatisticsSummary(CControllerAlarms& alarms)
{
    BYTE data[kStatisticsRoom] = {};
    if (!ReadStatisticsData(false, data))
        return FALSE;
    alarms.FromRaw(data);
    return TRUE;
}

BOOL CLink::ReadQorinSwitchingStatistics(CStageSwitchStats& stats, CStageSwitchState& state)
{
    BYTE data[kStatisticsRoom] = {};
    if (!ReadStatisticsData(true, data))
        return FALSE;
    state.FromRaw(data);
    stats.FromRawQorin(data + CStageSwitchState::kImageSize, state);
    return TRUE;
}

BOOL CLink::ReadDuskarSwitchingStatistics(CStageSwitchStats& stats, CStageSwitchState& state)
{
    BYTE data[kStatisticsRoom] = {};
    if (!ReadStatisticsData(false, data))
        return FALSE;
    state.FromRaw(data);
    stats.FromRawDuskar(data + CStageSwitchState::kImageSize, state);
    return TRUE;
}

BOOL CLink::SendControllerCommand(const CControllerAlarms& command)
{
    BYTE payload[CControllerAlarms::kPayloadSize];
    command.ToRaw(payload);
    return WriteA(kCommand, payload, command.GetSendLength());
}

