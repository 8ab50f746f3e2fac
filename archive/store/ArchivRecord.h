#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// Records of an archive block: a 9-byte head (time, type, length) and the
// payload, packed without padding, little-endian.

enum ArchivRecordType : std::uint8_t {
    kRecordSeparator = 0, // end of an event list (never in a file)
    kRecordSettings = 1,
    kRecordFull = 2,
    kRecordChanged = 3,
    kRecordError = 4,
    kRecordFault = 5,
    kRecordCondition = 6,
    kRecordState = 7,
    kRecordBlockMarker = 8,
    kRecordIden = 9,
    kRecordStatus = 10,
    kRecordMessage = 11, // standing message in an event list (never in a file)
    kRecordVKT = 12,
    kRecordWord = 13,
};

struct CArchivRecord {
    std::uint32_t time = 0;
    std::uint8_t type = 0;
    QByteArray data; // the payload; its size is the record's length

    // Types 2, 3 and 12: what counts as one measurement.
    bool IsData() const { return type == kRecordFull || type == kRecordChanged || type == kRecordVKT; }
    // Types 4 to 7: the texts of the event lists.
    bool IsEvent() const { return type >= kRecordError && type <= kRecordState; }
};

using CArchivRecordList = std::vector<CArchivRecord>;

namespace archive {

inline constexpr int kRecordHeadSize = 9;

// The "A%i" stream of a block: the record count, then the records.
QByteArray EncodeBlock(const CArchivRecordList& records);

// Appends the records of a block stream to `out` in file order. False when
// the data end before the count or a record length says (the complete records
// before that point are appended).
bool DecodeBlock(const QByteArray& bytes, CArchivRecordList& out);

// Copies that share no buffer with the original. Qt's implicit sharing is
// safe between threads, but what crosses a thread here (a completed block,
// an event text, a path) is copied so that each side owns its bytes.
QByteArray DeepCopy(const QByteArray& bytes);
QString DeepCopy(const QString& text);
CArchivRecordList DeepCopy(const CArchivRecordList& records);

// Little-endian helpers shared by the stream layouts.
void AppendU32(QByteArray& out, std::uint32_t value);
std::uint32_t ReadU32(const char* p);

} // namespace archive
