#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>

namespace testsupport {

// Sets the size field of the directory entry of stream `name` (of the root
// storage) in the compound file at `path`, as a damaged file may hold it:
// a size beyond what the file holds makes the stream unreadable while every
// other stream reads as before. False when the entry is not found once.
inline bool SetStreamSizeField(const QString& path, const QString& name, std::uint64_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    QByteArray name16;
    for (QChar c : name) {
        name16 += char(c.unicode() & 0xFF);
        name16 += char(c.unicode() >> 8);
    }
    name16 += QByteArray(2, '\0');
    // Directory entries are 128 bytes, in sectors after the 512-byte header:
    // the name in UTF-16 with its byte count at 64, the type at 66 (2: a
    // stream), the size at 120.
    int found = 0;
    qsizetype at = 512;
    for (qsizetype entry = 512; entry + 128 <= bytes.size(); entry += 128) {
        if (bytes.mid(entry, name16.size()) != name16 || std::uint8_t(bytes[entry + 64]) != name16.size()
            || bytes[entry + 65] != 0 || bytes[entry + 66] != 2)
            continue;
        at = entry;
        ++found;
    }
    if (found != 1)
        return false;
    for (int i = 0; i < 8; ++i)
        bytes[at + 120 + i] = char(size >> (8 * i));
    return file.seek(0) && file.write(bytes) == bytes.size();
}

} // namespace testsupport
