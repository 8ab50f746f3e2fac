#include "model/StreamHelpers.h"

#include "platform/Cp1250.h"

#include <algorithm>
#include <cstring>

namespace {

bool WriteAll(IByteStream& stream, const void* data, std::int64_t size)
{
    return size == 0 || stream.Write(data, size) == size;
}

bool ReadAll(IByteStream& stream, void* data, std::int64_t size)
{
    return size == 0 || stream.Read(data, size) == size;
}

BOOL WriteDwordLE(DWORD value, IByteStream& stream)
{
    const BYTE b[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
    return WriteAll(stream, b, 4);
}

// Reads a length-prefixed block in steps, so that a damaged length costs no
// more memory than the stream really holds.
bool ReadCounted(IByteStream& stream, QByteArray& out)
{
    DWORD length = 0;
    if (!ReadDwordFromStream(length, stream))
        return false;
    constexpr std::int64_t kStep = 64 * 1024;
    QByteArray bytes;
    std::int64_t left = length;
    while (left > 0) {
        const std::int64_t n = std::min(left, kStep);
        const qsizetype at = bytes.size();
        bytes.resize(at + qsizetype(n));
        if (!ReadAll(stream, bytes.data() + at, n))
            return false;
        left -= n;
    }
    out = std::move(bytes);
    return true;
}

} // namespace

BOOL WriteDwordToStream(DWORD value, IByteStream& stream)
{
    return WriteDwordLE(value, stream);
}

BOOL ReadDwordFromStream(DWORD& value, IByteStream& stream)
{
    BYTE b[4];
    if (!ReadAll(stream, b, 4))
        return FALSE;
    value = DWORD(b[0]) | (DWORD(b[1]) << 8) | (DWORD(b[2]) << 16) | (DWORD(b[3]) << 24);
    return TRUE;
}

BOOL WriteDoubleToStream(double value, IByteStream& stream)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, 8);
    BYTE b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = BYTE(bits >> (8 * i));
    return WriteAll(stream, b, 8);
}

BOOL ReadDoubleFromStream(double& value, IByteStream& stream)
{
    BYTE b[8];
    if (!ReadAll(stream, b, 8))
        return FALSE;
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= std::uint64_t(b[i]) << (8 * i);
    std::memcpy(&value, &bits, 8);
    return TRUE;
}

BOOL WriteBlobToStream(const void* data, DWORD length, IByteStream& stream)
{
    return WriteDwordLE(length, stream) && WriteAll(stream, data, length);
}

BOOL WriteBlobToStream(const QByteArray& data, IByteStream& stream)
{
    return WriteBlobToStream(data.constData(), DWORD(data.size()), stream);
}

BOOL ReadBlobFromStream(QByteArray& data, IByteStream& stream)
{
    return ReadCounted(stream, data);
}

BOOL WriteStringToStream(const QString& text, IByteStream& stream)
{
    QByteArray bytes = platform::ToCp1250(text);
    bytes.append('\0');
    return WriteBlobToStream(bytes, stream);
}

BOOL ReadStringFromStream(QString& text, IByteStream& stream)
{
    QByteArray bytes;
    if (!ReadCounted(stream, bytes))
        return FALSE;
    // The text ends at its terminating zero (or at the end of a block without one).
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    text = platform::FromCp1250(bytes);
    return TRUE;
}
