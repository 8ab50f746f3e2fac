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
#include "platform/cfb/format.h"

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

// Just enough of the format to find what to damage in a version 3 file.
struct Raw {
  std::vector<std::uint8_t> b;

  std::uint32_t u32(std::size_t off) const { return cfb::detail::rd32(b.data() + off); }
  void set32(std::size_t off, std::uint32_t v) { cfb::detail::wr32(b.data() + off, v); }
  static std::size_t secOff(std::uint32_t s) { return (std::size_t(s) + 1) * 512; }
  std::uint32_t fatLoc(std::uint32_t i) const { return u32(76 + 4 * i); }  // first 109 only
  std::size_t fatOff(std::uint32_t s) const { return secOff(fatLoc(s / 128)) + 4 * (s % 128); }
  std::uint32_t fat(std::uint32_t s) const { return u32(fatOff(s)); }
  std::vector<std::uint32_t> chain(std::uint32_t s) const {
    std::vector<std::uint32_t> c;
    while (s != cfb::detail::kEndOfChain && c.size() < 100000) {
      c.push_back(s);
      s = fat(s);
    }
    return c;
  }
  std::size_t dirOff(std::uint32_t id) const { return secOff(chain(u32(48))[id / 4]) + 128 * (id % 4); }
  std::uint32_t findEntry(const std::string& name) const {
    const auto dir = chain(u32(48));
    for (std::uint32_t id = 0; id < dir.size() * 4; ++id) {
      const std::size_t o = dirOff(id);
      std::string n;
      for (std::size_t i = 0; i < 31 && b[o + 2 * i]; ++i) n.push_back(char(b[o + 2 * i]));
      if (n == name && b[o + 66] != 0) return id;
    }
    ADD_FAILURE() << "no entry " << name;
    return 0;
  }
  std::uint32_t start(const std::string& name) const { return u32(dirOff(findEntry(name)) + 116); }
  std::size_t miniFatOff(std::uint32_t m) const { return secOff(chain(u32(60))[m / 128]) + 4 * (m % 128); }
  std::vector<std::uint32_t> miniChain(std::uint32_t m) const {
    std::vector<std::uint32_t> c;
    while (m != cfb::detail::kEndOfChain && c.size() < 100000) {
      c.push_back(m);
      m = u32(miniFatOff(m));
    }
    return c;
  }
};

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
