#pragma once

#include "archive/store/ArchivTempCopy.h"
#include "charts_data/ArchiveCsvExport.h"
#include "platform/Time32.h"
#include "platform/ui/FrameTitle.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

class QPrinter;
class QWidget;

// Printing the records of a value list's window as tables of column groups
// that fit the page, read from a private copy of the archive.
namespace charts {

class CReportPrinter;

// Groups of the checked quantities (positions 0 .. checked-1 among them) for
// pages of `perPage` columns, each group printed after the time column; one
// empty group when nothing is checked.
std::vector<std::vector<int>> SplitColumnGroups(int checked, int perPage);
// "Tisk hodnot A od 01.02.09 10:00:00 do 02.02.09 10:00:00" (no full stop).
QString ValuePrintHeading(const QString& instrument, platform::CTime start, platform::CTime end);
// Per cent of the body width of a table `units` fields wide when `perPage`
// fields fit across it (with a tenth more room, at most the whole width).
int ValueTableWidthPercent(int units, int perPage);
// The copy the values are read from could not be made.
QString ValueCopyFailedText(const QString& reason);

// What one print of values needs.
struct CValuePrintJob {
    QString instrument;
    QStringList captions; // the time caption, then one per checked quantity
    int rowCount = 0;
    platform::CTime start;
    platform::CTime end;
    // The row block at `r` (up to 10 rows from 3 before it) with only the
    // quantities of `group` (positions among the checked ones).
    std::function<std::vector<QStringList>(int r, const std::vector<int>& group, int& count, int& first)> rows;
};

// The tables of every group on a report already begun.
void PrintValueGroups(CReportPrinter& printer, const CValuePrintJob& job);
// The whole job: the printer is chosen (or `printer` is used), the groups
// printed. False when nothing was printed.
bool PrintValueJob(QWidget* parent, QPrinter* printer, const CValuePrintJob& job, const QString& documentTitle);

void ReportValueCopyFailure(QWidget* parent, const QString& reason);

// The checked flags of each family's columns as one run (VKR: the 36 flags,
// then the 3 further ones).
template <class T, std::size_t N>
std::vector<int> FlatFlags(const std::array<T, N>& flags)
{
    return std::vector<int>(flags.begin(), flags.end());
}
inline std::vector<int> FlatFlags(const VKCsvColumns& c)
{
    return FlatFlags(c.flags);
}
inline std::vector<int> FlatFlags(const VKRCsvColumns& c)
{
    std::vector<int> flat = FlatFlags(c.flags);
    flat.insert(flat.end(), c.extra.begin(), c.extra.end());
    return flat;
}
template <class T, std::size_t N>
void SetFlatFlags(std::array<T, N>& flags, const std::vector<int>& flat, std::size_t offset = 0)
{
    for (std::size_t i = 0; i < N; ++i)
        flags[i] = T(offset + i < flat.size() ? flat[offset + i] : 0);
}
inline void SetFlatFlags(VKCsvColumns& c, const std::vector<int>& flat)
{
    SetFlatFlags(c.flags, flat);
}
inline void SetFlatFlags(VKRCsvColumns& c, const std::vector<int>& flat)
{
    SetFlatFlags(c.flags, flat);
    SetFlatFlags(c.extra, flat, c.flags.size());
}

// The columns with only the quantities of `group` checked.
template <class Columns>
Columns GroupColumns(const Columns& all, const std::vector<int>& group)
{
    const std::vector<int> flat = FlatFlags(all);
    std::vector<int> positions;
    for (std::size_t i = 0; i < flat.size(); ++i)
        if (flat[i])
            positions.push_back(int(i));
    std::vector<int> subset(flat.size(), 0);
    for (const int k : group)
        if (k >= 0 && k < int(positions.size()))
            subset[std::size_t(positions[std::size_t(k)])] = 1;
    Columns out{};
    SetFlatFlags(out, subset);
    return out;
}

// Prints the window of `bound` with the checked `columns`. A copy that
// cannot be made is reported and nothing is printed.
template <class Family, class Columns>
bool PrintArchiveValues(QWidget* parent, Family& bound, const Columns& columns, QPrinter* printer = nullptr)
{
    TArchiveCsvExport<Family, Columns> source; // the copy goes with it
    source.Prepare(bound, CsvWindow::Of(bound.Window()));
    auto& copy = source.Copy();
    if (copy.GetFilePath().isEmpty()) {
        ReportValueCopyFailure(parent, copy.GetErrorText());
        return false;
    }
    CValuePrintJob job;
    job.instrument = bound.GetArchiveFileName();
    job.captions = csvfamily::Captions(copy, columns);
    job.rowCount = csvfamily::RowCount(copy);
    job.start = bound.Window().start;
    job.end = bound.Window().End();
    job.rows = [&copy, &columns](int r, const std::vector<int>& group, int& count, int& first) {
        std::vector<int> seconds;
        return csvfamily::Rows(copy, r, GroupColumns(columns, group), count, first, seconds);
    };
    return PrintValueJob(parent, printer, job, ui::FrameTitleOf(parent));
}

} // namespace charts
