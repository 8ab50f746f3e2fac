#pragma once

#include "model/PrevodTyp.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// A sequential byte stream (an archive's settings, display or meter stream).
// Both operations return the number of bytes transferred, or a negative
// number when the stream reports a failure.
class IByteStream {
public:
    virtual ~IByteStream() = default;
    virtual std::int64_t Read(void* data, std::int64_t size) = 0;
    virtual std::int64_t Write(const void* data, std::int64_t size) = 0;
};

// A byte stream that can also be positioned and resized: the meter stream
// of an archive file, or a buffer in memory.
class ISeekableByteStream : public IByteStream {
public:
    enum Origin { FromBegin, FromCurrent, FromEnd };
    // The new position, or a negative number on failure.
    virtual std::int64_t Seek(std::int64_t offset, Origin origin) = 0;
    virtual BOOL SetSize(std::int64_t size) = 0;
};

// Collects what the helpers below write, so that a piece built from several
// values can go to its stream in one write. Reading from it fails.
class CByteCollector : public IByteStream {
public:
    std::int64_t Read(void*, std::int64_t) override { return -1; }
    std::int64_t Write(const void* data, std::int64_t size) override
    {
        bytes.append(static_cast<const char*>(data), qsizetype(size));
        return size;
    }
    QByteArray bytes;
};

// Plain values in a stream, little-endian. Each gives TRUE only when every
// byte asked for was transferred; a failed read leaves the destination as it
// was, a failed write leaves what it wrote so far in the stream.
BOOL WriteDwordToStream(DWORD value, IByteStream& stream);
BOOL ReadDwordFromStream(DWORD& value, IByteStream& stream);
BOOL WriteDoubleToStream(double value, IByteStream& stream);
BOOL ReadDoubleFromStream(double& value, IByteStream& stream);
// A 32-bit length, then that many bytes.
BOOL WriteBlobToStream(const void* data, DWORD length, IByteStream& stream);
BOOL WriteBlobToStream(const QByteArray& data, IByteStream& stream);
BOOL ReadBlobFromStream(QByteArray& data, IByteStream& stream);
// A 32-bit count of the characters plus the terminating zero, then the
// characters (code page 1250) and the zero.
BOOL WriteStringToStream(const QString& text, IByteStream& stream);
BOOL ReadStringFromStream(QString& text, IByteStream& stream);
