#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <span>

// Measurement payloads of the power-factor controllers. A payload is a fixed
// list of fields of the family's value struct (bytes and 16-bit words,
// little-endian on disk). A full record holds every field; a changed-fields
// record holds, in the same order, the fields that differ from the previous
// values, and a presence mask whose bit k stands for field k (the family
// writes the mask after the fields in its own width).
namespace archive::controller {

struct FieldSpec {
    std::size_t offset; // within the family's standard-layout value struct
    int width;          // 1 or 2 bytes
};

// Every field, in order.
QByteArray PackFull(const void* values, std::span<const FieldSpec> fields);

// The fields among the first `count` that differ between `values` and
// `previous`; `mask` gets bit k for each one appended.
QByteArray PackChanged(const void* values, const void* previous, std::span<const FieldSpec> fields, int count,
                       std::uint64_t& mask);

// Byte size of the fields of `mask` among the first `count`.
int ChangedSize(std::span<const FieldSpec> fields, int count, std::uint64_t mask);

// A full payload into `values`. False, and `values` untouched, unless the
// payload holds exactly the fields.
bool UnpackFull(const char* data, std::size_t size, void* values, std::span<const FieldSpec> fields);

// The fields of `mask` over `values`; the others keep their values. False,
// and `values` untouched, unless `size` is exactly what the mask announces.
bool UnpackChanged(const char* data, std::size_t size, void* values, std::span<const FieldSpec> fields, int count,
                   std::uint64_t mask);

// Little-endian helpers.
void AppendU16(QByteArray& out, std::uint16_t value);
std::uint16_t ReadU16(const char* p);

} // namespace archive::controller
