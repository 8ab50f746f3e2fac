#pragma once

#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"

#include <QByteArray>
#include <QString>

#include <vector>

// A downloaded current-profile file (".pro"): one serialising archive holding
// the instrument name, the instrument type (2 VK, 4 VKT), the profile kind
// (0 selected, 1 maximum), the profile day, the identification, settings and
// notebook records, then the 1440 minute records in raw blocks (17 bytes an
// item for VK, 54 for VKT), closed by an empty block.
namespace charts {

inline constexpr int kProfileMinutes = 1440;
inline constexpr DWORD kProfileTypeVK = 2;
inline constexpr DWORD kProfileTypeVKT = 4;
inline constexpr int kVKProfileRecordSize = 17;
inline constexpr int kVKTProfileRecordSize = 54;

struct CProfileFileHead {
    QString name;
    DWORD type = 0;
    DWORD kind = 0;
    CTime date;
};

template <class Config, class NoteBook, DWORD Type, int RecordSize>
struct TProfileFile {
    static constexpr DWORD kType = Type;
    static constexpr int kRecordSize = RecordSize;

    CProfileFileHead head;
    CIden iden;
    Config config;
    NoteBook notebook;
    // The raw minute records, oldest first, RecordSize bytes each (at most
    // 1440).
    QByteArray records;

    int RecordCount() const { return int(records.size() / RecordSize); }
    const BYTE* Record(int minute) const
    {
        return reinterpret_cast<const BYTE*>(records.constData()) + std::size_t(minute) * RecordSize;
    }
};
using CVKProfileFile = TProfileFile<CVKConfig, CVKNoteBook, kProfileTypeVK, kVKProfileRecordSize>;
using CVKTProfileFile = TProfileFile<CVKTConfig, CVKTNoteBook, kProfileTypeVKT, kVKTProfileRecordSize>;

// The file's bytes, the records in blocks of `perBlock`.
QByteArray StoreProfileFile(const CVKProfileFile& file, int perBlock);
QByteArray StoreProfileFile(const CVKTProfileFile& file, int perBlock);
// Reads a whole file; `out` changes only when all of it was read (then the
// result is empty), else the result is the Czech reason.
QString LoadProfileFile(const QByteArray& bytes, CVKProfileFile& out);
QString LoadProfileFile(const QByteArray& bytes, CVKTProfileFile& out);

// The instrument name at the head of the file and the number after it (the
// instrument type); 0 and an empty name when the file cannot be read.
DWORD ReadProfileFileNumber(const QString& path, QString& header);
// The profile type of a file: 2 VK, 4 VKT, 0 for anything else.
int ProfileFileType(const QString& path);

} // namespace charts
