// One fuzz target: the entry libFuzzer calls, and the seed inputs its corpus
// starts from (written by the replay program with --seeds).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

int QorinFuzzOne(const std::uint8_t* data, std::size_t size);

using FuzzSeeds = std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;
FuzzSeeds QorinFuzzSeeds();
