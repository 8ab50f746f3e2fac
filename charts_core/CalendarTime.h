#pragma once

#include "platform/Time32.h"

#include <QString>

// Calendar grids in local time, shared by the archive store (block and file
// period boundaries) and the graphs.
namespace charts {

// The boundary of a grid of `span` seconds anchored on the calendar:
//  - spans below a day and a half run from local midnight of t's day; `down`
//    gives the last grid point strictly before t, otherwise the first at or
//    after t;
//  - spans between three and a half days and three weeks run from the Monday
//    on or before 1 January of t's year;
//  - other spans run from the first of t's month; from 20 days up the grid is
//    the month itself (down: the 1st of t's month, else the 1st of the next).
// Whole-day grids end on a local midnight even across a daylight-saving
// change.
platform::CTime AlignTimeToCalendar(platform::CTime t, int span, bool down);

// "05:30 [m:s]" below an hour, "02:05 [h:m]" below a day, "1,02:05 [d,h:m]"
// from a day up; from an hour up the seconds round to the nearest minute.
QString FormatDuration(int seconds);

} // namespace charts
