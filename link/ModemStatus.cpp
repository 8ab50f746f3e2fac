#include "link/ModemStatus.h"

#include "link/ModemPort.h"
#include "platform/StringTable.h"

#include <algorithm>

QString FormatModemText(QString text, std::initializer_list<long long> numbers)
{
    for (long long n : numbers) {
        const int at = text.indexOf(QStringLiteral("%d"));
        if (at < 0)
            break;
        text.replace(at, 2, QString::number(n));
    }
    return text;
}

ModemStateTexts DescribeModemState(const ModemLineState& state, CTime now)
{
    ModemStateTexts texts;
    const int known = state.lineState >= IModemPort::kIdle && state.lineState <= IModemPort::kFailed
        ? state.lineState
        : IModemPort::kFailed;
    texts.state = platform::LoadString(platform::IDS_MODEM_STATE_IDLE + known);
    if (state.lineState == IModemPort::kConnected) {
        const long long seconds = std::max<long long>(0, (long long)now.GetTime() - state.connectTime.GetTime());
        texts.callAmount = FormatModemText(QStringLiteral("%d kB"), {CallKilobytes(state.bytes)});
        texts.callDuration = FormatModemText(QStringLiteral("%d h,%d m,%d s"), {seconds / 3600, seconds / 60 % 60, seconds % 60});
    } else {
        texts.callAmount = QStringLiteral("--");
        texts.callDuration = QStringLiteral("--");
    }
    const long long total = state.totalSeconds;
    texts.totalAmount = FormatModemText(QStringLiteral("%d kB"), {state.totalKB});
    texts.totalDuration = FormatModemText(platform::LoadString(platform::IDS_DURATION_HMS), {total / 3600, total / 60 % 60, total % 60});
    texts.links = QString::number(state.links);
    return texts;
}
