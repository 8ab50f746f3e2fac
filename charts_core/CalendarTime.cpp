#include "charts_core/CalendarTime.h"

#include "platform/StringTable.h"

#include <ctime>

namespace charts {

using platform::CTime;

namespace {

constexpr std::int64_t kDayAndHalf = 129600;
constexpr std::int64_t kThreeAndHalfDays = 302400;
constexpr std::int64_t kTwentyDays = 1728000;
constexpr std::int64_t kThreeWeeks = 1814400;
constexpr std::int64_t kHourAndSecond = 3601;

CTime LocalMidnight(CTime t)
{
    std::tm tm{};
    if (!t.GetLocalTm(tm))
        return t;
    return CTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0);
}

CTime Plus(CTime t, std::int64_t seconds)
{
    return CTime(CTime::time_type(std::int64_t(t.GetTime()) + seconds));
}

std::int64_t Diff(CTime a, CTime b)
{
    return std::int64_t(a.GetTime()) - std::int64_t(b.GetTime());
}

} // namespace

CTime AlignTimeToCalendar(CTime t, int span, bool down)
{
    std::tm tm{};
    if (span <= 0 || !t.GetLocalTm(tm))
        return t;
    const std::int64_t s = span;
    CTime anchor;
    std::int64_t k = 0;
    if (s < kDayAndHalf) {
        anchor = LocalMidnight(t);
        const std::int64_t elapsed = Diff(t, anchor);
        k = elapsed > 0 ? (elapsed + s - 1) / s : 0; // grid points strictly before t
        if (down)
            --k;
    } else if (s > kThreeAndHalfDays && s < kThreeWeeks) {
        const CTime newYear(tm.tm_year + 1900, 1, 1, 0, 0, 0);
        std::tm ny{};
        newYear.GetLocalTm(ny);
        const int daysBack = (ny.tm_wday + 6) % 7; // Monday 0 ... Sunday 6
        anchor = Plus(newYear, -std::int64_t(daysBack) * 86400);
        k = Diff(t, anchor) / s;
        if (!down)
            ++k;
    } else {
        anchor = CTime(tm.tm_year + 1900, tm.tm_mon + 1, 1, 0, 0, 0);
        if (s < kTwentyDays) {
            k = Diff(t, anchor) / s;
            if (!down)
                ++k;
        } else if (!down) {
            anchor = tm.tm_mon == 11 ? CTime(tm.tm_year + 1901, 1, 1, 0, 0, 0)
                                     : CTime(tm.tm_year + 1900, tm.tm_mon + 2, 1, 0, 0, 0);
        }
    }

    if (s < kDayAndHalf || s >= kTwentyDays)
        return Plus(anchor, k * s);

    // Whole-day grids: snap to the local midnight nearest the computed point,
    // then make sure t still lies on the correct side of it.
    const CTime c = Plus(anchor, k * s + kHourAndSecond);
    CTime r = LocalMidnight(c);
    if (down) {
        if (t < r)
            r = Plus(r, -s);
        if (Diff(t, r) >= s + kHourAndSecond)
            r = Plus(r, s);
    } else {
        if (t >= r)
            r = Plus(r, s);
        if (Diff(r, t) > s + kHourAndSecond)
            r = Plus(r, -s);
    }
    return r;
}

QString FormatDuration(int seconds)
{
    using namespace platform;
    const QString d = LoadString(IDS_UNIT_DAY);
    const QString h = LoadString(IDS_UNIT_HOUR);
    const QString m = LoadString(IDS_UNIT_MINUTE);
    const QString s = LoadString(IDS_UNIT_SECOND);
    if (seconds < 3600)
        return QString::asprintf("%02d:%02d [", seconds / 60, seconds % 60) + m + ":" + s + "]";
    const int minutes = (seconds + 30) / 60;
    if (seconds < 86400)
        return QString::asprintf("%02d:%02d [", minutes / 60, minutes % 60) + h + ":" + m + "]";
    return QString::asprintf("%d,%02d:%02d [", minutes / 1440, minutes % 1440 / 60, minutes % 60) + d + "," + h + ":"
           + m + "]";
}

} // namespace charts
