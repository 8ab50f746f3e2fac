#include "archive/store/ControllerRecordCodec.h"

#include <cstring>

namespace archive::controller {

namespace {

std::uint16_t FieldValue(const void* values, const FieldSpec& f)
{
    const auto* p = static_cast<const unsigned char*>(values) + f.offset;
    if (f.width == 1)
        return *p;
    std::uint16_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void SetFieldValue(void* values, const FieldSpec& f, std::uint16_t v)
{
    auto* p = static_cast<unsigned char*>(values) + f.offset;
    if (f.width == 1)
        *p = static_cast<unsigned char>(v);
    else
        std::memcpy(p, &v, sizeof v);
}

void AppendField(QByteArray& out, const void* values, const FieldSpec& f)
{
    const std::uint16_t v = FieldValue(values, f);
    if (f.width == 1)
        out.append(char(v & 0xFF));
    else
        AppendU16(out, v);
}

std::uint16_t ReadField(const char* p, const FieldSpec& f)
{
    return f.width == 1 ? std::uint16_t(static_cast<unsigned char>(*p)) : ReadU16(p);
}

int FullSize(std::span<const FieldSpec> fields)
{
    int size = 0;
    for (const FieldSpec& f : fields)
        size += f.width;
    return size;
}

} // namespace

void AppendU16(QByteArray& out, std::uint16_t value)
{
    out.append(char(value & 0xFF));
    out.append(char(value >> 8));
}

std::uint16_t ReadU16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t(b[0] | b[1] << 8);
}

QByteArray PackFull(const void* values, std::span<const FieldSpec> fields)
{
    QByteArray out;
    out.reserve(FullSize(fields));
    for (const FieldSpec& f : fields)
        AppendField(out, values, f);
    return out;
}

QByteArray PackChanged(const void* values, const void* previous, std::span<const FieldSpec> fields, int count,
                       std::uint64_t& mask)
{
    QByteArray out;
    mask = 0;
    for (int k = 0; k < count && std::size_t(k) < fields.size(); ++k) {
        const FieldSpec& f = fields[std::size_t(k)];
        if (FieldValue(values, f) == FieldValue(previous, f))
            continue;
        AppendField(out, values, f);
        mask |= std::uint64_t(1) << k;
    }
    return out;
}

int ChangedSize(std::span<const FieldSpec> fields, int count, std::uint64_t mask)
{
    int size = 0;
    for (int k = 0; k < count && std::size_t(k) < fields.size(); ++k) {
        if (mask & (std::uint64_t(1) << k))
            size += fields[std::size_t(k)].width;
    }
    return size;
}

bool UnpackFull(const char* data, std::size_t size, void* values, std::span<const FieldSpec> fields)
{
    if (size != std::size_t(FullSize(fields)))
        return false;
    for (const FieldSpec& f : fields) {
        SetFieldValue(values, f, ReadField(data, f));
        data += f.width;
    }
    return true;
}

bool UnpackChanged(const char* data, std::size_t size, void* values, std::span<const FieldSpec> fields, int count,
                   std::uint64_t mask)
{
    if (size != std::size_t(ChangedSize(fields, count, mask)))
        return false;
    for (int k = 0; k < count && std::size_t(k) < fields.size(); ++k) {
        if (!(mask & (std::uint64_t(1) << k)))
            continue;
        const FieldSpec& f = fields[std::size_t(k)];
        SetFieldValue(values, f, ReadField(data, f));
        data += f.width;
    }
    return true;
}

} // namespace archive::controller
