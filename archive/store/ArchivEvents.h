#pragma once

#include "archive/store/ArchivRecord.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

// An entry of the event lists handed to panels and documents: a record of
// type 4 to 7, a separator (type 0) that ends the texts of the record lists,
// or a standing message (type 11).
struct CArchivEventItem {
    std::uint32_t time = 0;
    std::uint8_t type = 0;
    QByteArray data;     // the text without terminator; one byte 0 for the separator
    int sampleIndex = 0; // data records (types 2, 3, 12) before the event
};

using CArchivEventList = std::vector<CArchivEventItem>;

namespace archive {

// Appends the event records of `records` with their sample index, counting
// the data records in `count`.
void AppendEvents(const CArchivRecordList& records, CArchivEventList& out, int& count);

// The end-of-lists entry.
CArchivEventItem SeparatorItem(std::uint32_t time, int count);

} // namespace archive
