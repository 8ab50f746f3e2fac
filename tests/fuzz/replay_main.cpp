// Replays every file of a corpus folder through a fuzz target (a normal ctest
// test, so each corpus is checked in every build); with --seeds FOLDER it
// writes the target's seed inputs there instead.
#include "fuzz_one.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    if (argc == 3 && std::string(argv[1]) == "--seeds") {
        fs::create_directories(argv[2]);
        for (const auto& [name, bytes] : QorinFuzzSeeds()) {
            std::ofstream out(fs::path(argv[2]) / ("seed_" + name), std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        }
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER | --seeds FOLDER\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(argv[1]))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        QorinFuzzOne(bytes.data(), bytes.size());
    }
    // The seeds too, so a corpus folder that lost them still covers them.
    for (const auto& [name, bytes] : QorinFuzzSeeds())
        QorinFuzzOne(bytes.data(), bytes.size());
    std::printf("%zu corpus files replayed\n", files.size());
    return files.empty() ? 1 : 0;
}
