#pragma once

// The time an instrument clock holds, read from its bytes in BCD.
#include "tools/instrument_sim/SimInstrument.h"

#include <QDateTime>

#include <cstdint>

namespace routetest {

// Where each field of the clock stands in its bytes.
struct ClockLayout {
    int year, month, day, hour, minute, second;
};

// The clock's time (years from 2000); invalid when the bytes are too few.
inline QDateTime ClockOf(const sim::Bytes& b, const ClockLayout& at)
{
    const auto bcd = [&b](int i) { return (b[std::size_t(i)] >> 4) * 10 + (b[std::size_t(i)] & 0x0F); };
    for (const int i : {at.year, at.month, at.day, at.hour, at.minute, at.second})
        if (i < 0 || std::size_t(i) >= b.size())
            return {};
    return QDateTime(QDate(2000 + bcd(at.year), bcd(at.month), bcd(at.day)),
                     QTime(bcd(at.hour), bcd(at.minute), bcd(at.second)));
}

} // namespace routetest
