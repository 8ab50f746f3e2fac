#pragma once
#include <cstddef>
#include <cstdint>

// One fuzz input: open it read-only from memory, list every storage, read
// every stream; then open it read-write (as a file), change it, and require
// that what was accepted for writing is consistent afterwards.
// Returns 0; aborts when a property fails.
int cfbFuzzOne(const std::uint8_t* data, std::size_t size);
