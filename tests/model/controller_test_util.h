#pragma once

#include "model/PrevodTyp.h"

#include <QByteArray>

#include <array>
#include <cstddef>
#include <random>

namespace controller_test {

template <std::size_t N>
std::array<BYTE, N> RandomImage(unsigned seed)
{
    std::mt19937 gen(seed);
    std::array<BYTE, N> image{};
    for (BYTE& b : image)
        b = BYTE(gen() & 0xFF);
    return image;
}

// Byte i holds i + 1, so every byte of a stream names its image offset.
template <std::size_t N>
std::array<BYTE, N> CountingImage()
{
    std::array<BYTE, N> image{};
    for (std::size_t i = 0; i < N; ++i)
        image[i] = BYTE(i + 1);
    return image;
}

// The stream a record's own serialisation writes.
template <class Record>
QByteArray Store(Record& record)
{
    SerialArchive ar;
    record.Serialize(ar);
    return ar.buffer();
}

} // namespace controller_test
