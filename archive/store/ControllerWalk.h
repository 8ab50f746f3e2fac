#pragma once

#include "archive/store/ArchivWindow.h"

#include <QStringList>

#include <functional>
#include <vector>

class CArchivData;

// The value-list rows of the controllers' archives, read from a loaded
// window.
namespace archive::controller {

inline constexpr int kRowsPerCall = 10;
inline constexpr int kRowsBefore = 3;

struct RowReader {
    std::function<void()> reset;                         // before the first record: values to no value
    std::function<bool(const CArchivRecord&)> apply;     // a measurement over the values; false: damaged
    std::function<QStringList(platform::CTime, bool)> format; // one row; false: no values (error record)
};

// At most 10 rows from three rows before `index` (where the window has
// them), the blocks read again from the file from the one that holds the
// first row. `count` gets the number of rows, `first` the index of the first
// (-1 without rows), `offsets` (when given) each row's seconds from the
// window start.
std::vector<QStringList> ReadRows(CArchivData& store, const CArchivWindow& window, int index, const RowReader& reader,
                                  int& count, int& first, std::vector<int>* offsets);

// "L" for a value of 0 or more (inductive), "C" for a negative one.
inline QString ReactivePrefix(double value)
{
    return value < 0 ? QStringLiteral("C") : QStringLiteral("L");
}

} // namespace archive::controller
