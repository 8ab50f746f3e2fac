#pragma once

// Small helpers shared by the VK and VKR record tests.

#include "platform/Archive.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace vktest {

// "00 55 f0" -> bytes; spaces are ignored.
inline QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text));
}

inline std::vector<std::uint8_t> Image(const char* text)
{
    const QByteArray b = Hex(text);
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

// Stores a record's fields (not tagged) and gives the bytes.
template <class T>
QByteArray StoreFields(T& record)
{
    platform::SerialArchive ar;
    record.Serialize(ar);
    return ar.buffer();
}

// Loads a record's fields from bytes; the whole buffer must be consumed.
template <class T>
bool LoadFields(const QByteArray& bytes, T& record)
{
    platform::SerialArchive ar(bytes);
    record.Serialize(ar);
    return ar.AtEnd();
}

} // namespace vktest
