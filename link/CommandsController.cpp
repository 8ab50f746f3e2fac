#include "link/CommandsController.h"

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

// Reads the statistics block (the Qorin's in either length) into `data`,
// zeros behind a shorter one.
constexpr int kStatisticsRoom = 144;
static_assert(kDuskarStatisticsReply - 4 == kStatisticsRoom && kQorinStatisticsReply < kDuskarStatisticsReply);

BOOL ReadStatisticsData(CLink& link, bool qorin, BYTE* data)
{
    std::fill(data, data + kStatisticsRoom, BYTE(0));
    if (!link.Prepare() || !link.SendRequestA(kReadStatistics, nullptr, 0))
        return FALSE;
    int got = 0;
    if (qorin)
        return link.ReceiveA(kQorinStatisticsReply, kQorinShorterStatistics, platform::IDS_ERR_ACK_CHECKSUM, data,
                             got);
    return link.ReceiveA(kDuskarStatisticsReply, {}, platform::IDS_ERR_ACK_CHECKSUM, data, got);
}

} // namespace

namespace commands {

BOOL ReadQorinConfig(CLink& link, CConfig& config)
{
    return link.ReadRecord(CLink::Format::A, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL WriteQorinConfig(CLink& link, const CConfig& config)
{
    return link.WriteRecord(CLink::Format::A, kWriteConfig, config);
}

BOOL ReadDuskarConfig(CLink& link, CDuskarConfig& config)
{
    return link.ReadRecord(CLink::Format::A, kReadConfig, platform::IDS_ERR_CHECKSUM, config);
}

BOOL WriteDuskarConfig(CLink& link, const CDuskarConfig& config)
{
    return link.WriteRecord(CLink::Format::A, kWriteConfig, config);
}

BOOL ReadQorinValues(CLink& link, CQorinAktData& values)
{
    BYTE data[CQorinAktData::kImageSize] = {};
    if (!link.ReadA(kReadValues, CQorinAktData::kImageSize, platform::IDS_ERR_ACK_CHECKSUM, data))
        return FALSE;
    values.FromRaw(data);
    if (!values.HasStageTimeCounters() && NeedsStatisticsFlags(values.state)) {
        values.state &= BYTE(~0xC0);
        BYTE statistics[kStatisticsRoom];
        // The values stand whether or not the statistics come.
        if (ReadStatisticsData(link, true, statistics)) {
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

BOOL ReadDuskarValues(CLink& link, CDuskarAktData& values)
{
    return link.ReadRecord(CLink::Format::A, kReadValues, platform::IDS_ERR_ACK_CHECKSUM, values);
}

BOOL ReadQorinStatisticsSummary(CLink& link, CControllerAlarms& alarms)
{
    BYTE data[kStatisticsRoom] = {};
    if (!ReadStatisticsData(link, true, data))
        return FALSE;
    alarms.FromRaw(data);
    return TRUE;
}

BOOL ReadDuskarStatisticsSummary(CLink& link, CControllerAlarms& alarms)
{
    BYTE data[kStatisticsRoom] = {};
    if (!ReadStatisticsData(link, false, data))
        return FALSE;
    alarms.FromRaw(data);
    return TRUE;
}

BOOL ReadQorinSwitchingStatistics(CLink& link, CStageSwitchStats& stats, CStageSwitchState& state)
{
    BYTE data[kStatisticsRoom] = {};
    if (!ReadStatisticsData(link, true, data))
        return FALSE;
    state.FromRaw(data);
    stats.FromRawQorin(data + CStageSwitchState::kImageSize, state);
    return TRUE;
}

BOOL ReadDuskarSwitchingStatistics(CLink& link, CStageSwitchStats& stats, CStageSwitchState& state)
{
    BYTE data[kStatisticsRoom] = {};
    if (!ReadStatisticsData(link, false, data))
        return FALSE;
    state.FromRaw(data);
    stats.FromRawDuskar(data + CStageSwitchState::kImageSize, state);
    return TRUE;
}

BOOL SendControllerCommand(CLink& link, const CControllerAlarms& command)
{
    BYTE payload[CControllerAlarms::kPayloadSize];
    command.ToRaw(payload);
    return link.WriteA(kCommand, payload, command.GetSendLength());
}

} // namespace commands
