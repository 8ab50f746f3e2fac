#pragma once

#include "model/PrevodTyp.h"

#include <QString>

#include <cstdint>
#include <initializer_list>

// A copy of a modem line's fields, taken under its locks, for the
// connection dialog.
struct ModemLineState {
    int retryCount = 0;
    int lineState = 0; // IModemPort::LineState
    QString number;
    DWORD bytes = 0; // of the current call
    CTime connectTime; // when the current call was connected (or the counters reset)
    DWORD totalKB = 0;
    DWORD totalSeconds = 0;
    bool wanted = false;
    int connectFlag = 0;
    int links = 0; // links using the line
};

// The texts the connection dialog shows for a line.
struct ModemStateTexts {
    QString state; // "Modem je spojen." ...
    QString callAmount; // "%d kB", or "--" without a call
    QString callDuration; // "%d h,%d m,%d s", or "--" without a call
    QString totalAmount; // "%d kB"
    QString totalDuration; // "%d hodin,%d minut,%d sekund"
    QString links; // "%d"
};

// The text with its "%d" places filled in order.
QString FormatModemText(QString text, std::initializer_list<long long> numbers);

// `now`: the computer's time.
ModemStateTexts DescribeModemState(const ModemLineState& state, CTime now);

// Kilobytes of a call, rounded to the nearest.
inline DWORD CallKilobytes(DWORD bytes)
{
    return DWORD((std::uint64_t(bytes) + 512) / 1024);
}
