// Replays every file of a corpus folder through the fuzz entry (a normal
// ctest test, so the seed corpus is checked in every build).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz_entry.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cfb_fuzz_replay CORPUS_DIR\n");
    return 2;
  }
  std::vector<std::filesystem::path> files;
  for (const auto& ent : std::filesystem::directory_iterator(argv[1]))
    if (ent.is_regular_file()) files.push_back(ent.path());
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    std::fprintf(stderr, "empty corpus %s\n", argv[1]);
    return 1;
  }
  for (const auto& p : files) {
    std::ifstream in(p, std::ios::binary);
    std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto t0 = std::chrono::steady_clock::now();
    cfbFuzzOne(data.data(), data.size());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    std::printf("%-40s %8zu bytes %6lld ms\n", p.filename().c_str(), data.size(), static_cast<long long>(ms));
  }
  std::printf("replayed %zu files\n", files.size());
  return 0;
}
