// Helpers shared by the cfb tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cfb/cfb.h"

namespace cfbtest {

// A fresh folder per test, removed at the end.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "cfbtest-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Deterministic bytes that differ per seed and position.
inline std::vector<std::uint8_t> pattern(std::size_t n, std::uint32_t seed) {
  std::vector<std::uint8_t> v(n);
  std::uint32_t x = seed * 2654435761u + 12345u;
  for (std::size_t i = 0; i < n; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    v[i] = std::uint8_t(x);
  }
  return v;
}

// FNV-1a 64; the interop script computes the same.
inline std::uint64_t fnv1a(const std::vector<std::uint8_t>& v) {
  std::uint64_t h = 14695981039346656037ull;
  for (std::uint8_t b : v) {
    h ^= b;
    h *= 1099511628211ull;
  }
  return h;
}

inline std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, const std::vector<std::uint8_t>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

// Runs a shell command; returns its exit status and standard output.
inline int run(const std::string& cmd, std::string* out = nullptr) {
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string s;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) s.append(buf, n);
  const int rc = ::pclose(p);
  if (out) *out = std::move(s);
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

inline std::string sourceDir() {
  const char* s = std::getenv("QORIN_SOURCE_DIR");
  return s ? s : QORIN_SOURCE_DIR_FALLBACK;
}

// A python3 that can import olefile (Debian's python3-olefile lives under the
// system interpreter, which may not be the first python3 on PATH).
inline std::string pythonWithOlefile() {
  for (const char* py : {"/usr/bin/python3", "python3"}) {
    if (run(std::string(py) + " -c 'import olefile' 2>/dev/null") == 0) return py;
  }
  return {};
}

inline std::string hex64(std::uint64_t v) {
  char b[17];
  std::snprintf(b, sizeof b, "%016llx", static_cast<unsigned long long>(v));
  return b;
}

// path -> "size\thash" as olefile sees the file (olefile_dump.py); streams
// longer than `hashLimit` bytes as "size\tread"
inline std::map<std::string, std::string> olefileView(const std::string& py, const std::string& file,
                                                      std::size_t hashLimit = 0) {
  std::string out;
  const std::string script = sourceDir() + "/tests/platform/cfb/olefile_dump.py";
  const std::string limit = hashLimit ? " " + std::to_string(hashLimit) : std::string();
  const int rc = run(py + " '" + script + "' '" + file + "'" + limit + " 2>&1", &out);
  EXPECT_EQ(rc, 0) << out;
  std::map<std::string, std::string> m;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos) m[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return m;
}

inline std::string olefileLine(const std::vector<std::uint8_t>& d, std::size_t hashLimit = 0) {
  if (hashLimit && d.size() > hashLimit) return std::to_string(d.size()) + "\tread";
  return std::to_string(d.size()) + "\t" + hex64(fnv1a(d));
}

}  // namespace cfbtest

#define ASSERT_OK(expr)                                        \
  do {                                                         \
    auto&& cfb_r_ = (expr);                                    \
    ASSERT_TRUE(cfb_r_.ok()) << #expr << ": " << cfb_r_.error().message(); \
  } while (0)
#define EXPECT_OK(expr)                                        \
  do {                                                         \
    auto&& cfb_r_ = (expr);                                    \
    EXPECT_TRUE(cfb_r_.ok()) << #expr << ": " << cfb_r_.error().message(); \
  } while (0)
