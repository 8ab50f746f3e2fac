#pragma once

#include "archive/store/ArchivRecord.h"
#include "platform/Time32.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

// The window of an archive over its ring of blocks and the texts of its time
// axis: which blocks a window covers, zoom spans and their names, window
// alignment, scroll figures in quarter hours and tick labels.
namespace archive {

// Zoom lengths in seconds, "15 min" to "1 rok".
inline constexpr std::array<int, 13> kZoomSpans = {900,    1800,   3600,    7200,    21600,    43200,   86400,
                                                   172800, 604800, 2678400, 5356800, 16070400, 32140800};

// The first zoom not shorter than `seconds`; the longest when none is.
int ZoomIndexFor(std::int64_t seconds);

// The grid point of zoom `zoom` at or before `t`, counted in local time: from
// the first of the month in days for spans above a day, from midnight in
// steps of the span for spans above an hour, else from the full hour. A time
// exactly on a step aligns to the step before it.
platform::CTime AlignWindowStart(platform::CTime t, int zoom);

// "1hod 30min ", "25min ": the window length, rounded down to the grid the
// zoom names use.
QString FormatSpan(int seconds);

// "h:mm " (with the date "d.m " first): the minute rounded to the grid that a
// graph `graphSpan` seconds wide labels.
QString FormatTick(platform::CTime t, bool withDate, int graphSpan);

// Quarter-hour figures of the scroll bar.
struct CScrollInfo {
    int range = 1;
    int position = 0;
    int end = 0;
};

// The archive's ring and the window shown on it.
struct CArchivTimeAxis {
    platform::CTime oldestStart; // start of the oldest block
    platform::CTime newestStart; // start of the newest block
    platform::CTime endTime;     // newest record of the file
    platform::CTime windowStart;
    int windowLength = 0;
    int graphSpan = 0;

    // The zoom names a file of this length offers (one for up to 15 minutes,
    // every one for a file longer than the longest), and the window length
    // as text.
    QStringList GetZoomList(QString& spanText) const;
    CScrollInfo GetScrollInfo() const;
    // Labels at the zoom grid of the window length across the whole file (at
    // most 500), and the window start as text.
    QStringList GetTimeTicks(QString& startText) const;
    // The window start of zoom `zoom` at `position` spans from the aligned
    // start of the oldest block; a negative position, or a new length, takes
    // the window of that length holding the old start. `position` returns
    // the one used.
    platform::CTime ZoomWindowStart(int zoom, int& position) const;
};

// The ring of blocks by their start times (0: unused slot).
int WrapBlockIndex(int slot, int offset, int slotCount);

struct CBlockEnds {
    int oldest = -1; // -1: no used slot
    int newest = -1;
};
CBlockEnds FindEndBlocks(const std::vector<std::uint32_t>& slotTimes);

struct CWindowBlocks {
    int first = -1;
    int current = -1;
    int count = 0;
};

// The blocks of the window [start, end]. A zoom counts a following block that
// starts exactly at the window end; a window set by its times does not. A
// window starting in the newest block covers that block alone.
CWindowBlocks FindWindowBlocks(const std::vector<std::uint32_t>& slotTimes, CBlockEnds ends, platform::CTime start,
                               platform::CTime end, bool zoom);

// Blocks of a window of `blocks` split into three channels of consecutive
// blocks, oldest first.
std::array<int, 3> SplitWindowChannels(int blocks);

// Points per column when a window's last channel holds `points`; 0 when it
// is drawn as it is.
int DecimationPerColumn(int points);

// The spacing of the records of a write list in seconds, -1 when it cannot
// be told: the measuring interval of a type-13 record, else before any data
// record the recording interval of a status record (a VK status for
// instrument models 8-19 and 22-33, a VKT status for 34-99), else the mean
// spacing of the first five data and outage records.
int GetListInterval(const CArchivRecordList& records, int modelNumber);

} // namespace archive
