// Interop: files written here read by Python's olefile and by libgsf's gsf
// tool; files written by gsf read (and modified) here.
#include <map>
#include <sstream>

#include "cfb_test_util.h"

using cfb::CompoundFile;
using cfb::OpenMode;
using cfbtest::pattern;
using cfbtest::TempDir;

namespace {

bool haveGsf() { return cfbtest::run("command -v gsf >/dev/null 2>&1") == 0; }

// The files of the interop checks, with their streams.
std::map<std::string, std::vector<std::uint8_t>> writeSample(const std::string& path, bool manyStreams) {
  std::map<std::string, std::vector<std::uint8_t>> model;
  auto f = CompoundFile::create(path, {.overwrite = true});
  EXPECT_TRUE(f.ok());
  if (!f.ok()) return model;
  auto put = [&](const std::string& name, std::vector<std::uint8_t> d) {
    EXPECT_TRUE((*f)->writeStream(name, d).ok()) << name;
    model[name] = std::move(d);
  };
  for (std::size_t n : {0, 1, 63, 64, 4095, 4096, 4097, 1 << 20}) put("s" + std::to_string(n), pattern(n, std::uint32_t(n)));
  if (manyStreams) {
    for (int i = 0; i < 1000; ++i) put("A" + std::to_string(i), pattern(std::size_t(i * 13 % 6000), std::uint32_t(i)));
  }
  put("hlavicka", pattern(264 + 400, 11));
  put("temp", pattern(9000, 12));
  // changes after the first writes: rename, destroy, shrink across the cutoff
  EXPECT_TRUE((*f)->rename((*f)->root(), "temp", "znacka").ok());
  model["znacka"] = model["temp"];
  model.erase("temp");
  EXPECT_TRUE((*f)->destroy((*f)->root(), "s4097").ok());
  model.erase("s4097");
  auto s = (*f)->openStream((*f)->root(), "s4096");
  EXPECT_TRUE(s.ok() && s->setSize(100).ok());
  model["s4096"].resize(100);
  auto sub = (*f)->createStorage((*f)->root(), "sub");
  EXPECT_TRUE(sub.ok());
  auto inner = (*f)->createStream(*sub, "inner");
  EXPECT_TRUE(inner.ok() && inner->writeAt(0, pattern(5000, 13)).ok());
  model["sub/inner"] = pattern(5000, 13);
  EXPECT_TRUE((*f)->close().ok());
  return model;
}

}  // namespace

TEST(CfbInterop, OlefileReadsOurFiles) {
  const std::string py = cfbtest::pythonWithOlefile();
  if (py.empty()) GTEST_SKIP() << "python3 with olefile (python3-olefile) not installed";
  TempDir dir;
  for (bool many : {false, true}) {
    const auto path = dir.file(many ? "many.cfb" : "sample.cfb");
    auto model = writeSample(path, many);
    auto seen = cfbtest::olefileView(py, path);
    ASSERT_EQ(seen.size(), model.size());
    for (auto& [name, data] : model) EXPECT_EQ(seen[name], cfbtest::olefileLine(data)) << name;
  }
  // version 4 too
  const auto v4 = dir.file("v4.cfb");
  {
    auto f = CompoundFile::create(v4, {.overwrite = true, .version = 4});
    ASSERT_OK(f);
    ASSERT_OK((*f)->writeStream("small", pattern(100, 1)));
    ASSERT_OK((*f)->writeStream("large", pattern(70000, 2)));
    ASSERT_OK((*f)->close());
  }
  auto seen = cfbtest::olefileView(py, v4);
  EXPECT_EQ(seen["small"], cfbtest::olefileLine(pattern(100, 1)));
  EXPECT_EQ(seen["large"], cfbtest::olefileLine(pattern(70000, 2)));
}

TEST(CfbInterop, GsfReadsOurFiles) {
  if (!haveGsf()) GTEST_SKIP() << "gsf (libgsf-bin) not installed";
  TempDir dir;
  const auto path = dir.file("sample.cfb");
  auto model = writeSample(path, true);
  std::string list;
  ASSERT_EQ(cfbtest::run("gsf list '" + path + "'", &list), 0) << list;
  for (auto& [name, data] : model) {
    if (name.find('/') != std::string::npos) continue;
    EXPECT_NE(list.find(" " + std::to_string(data.size()) + " " + name + "\n"), std::string::npos) << name;
  }
  for (const char* name : {"s0", "s1", "s63", "s64", "s4095", "s4096", "s1048576", "hlavicka", "znacka", "A0", "A999", "A500"}) {
    std::string out;
    ASSERT_EQ(cfbtest::run("gsf cat '" + path + "' " + name, &out), 0) << name;
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.end()), model[name]) << name;
  }
  std::string inner;
  ASSERT_EQ(cfbtest::run("gsf cat '" + path + "' sub/inner", &inner), 0);
  EXPECT_EQ(std::vector<std::uint8_t>(inner.begin(), inner.end()), model["sub/inner"]);
}

TEST(CfbInterop, WeReadAndModifyGsfFiles) {
  if (!haveGsf()) GTEST_SKIP() << "gsf (libgsf-bin) not installed";
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "in");
  std::map<std::string, std::vector<std::uint8_t>> model;
  std::string names;
  for (std::size_t n : {0, 1, 63, 64, 4095, 4096, 4097, 300000}) {
    const std::string name = "f" + std::to_string(n);
    model[name] = pattern(n, std::uint32_t(n + 5));
    cfbtest::writeFile((dir.path() / "in" / name).string(), model[name]);
    names += " " + name;
  }
  const auto path = dir.file("gsf.cfb");
  std::string out;
  ASSERT_EQ(cfbtest::run("cd '" + (dir.path() / "in").string() + "' && gsf createole '" + path + "'" + names + " 2>&1", &out), 0) << out;
  {
    auto f = CompoundFile::open(path, OpenMode::ReadOnly);
    ASSERT_OK(f);
    auto items = (*f)->list();
    ASSERT_OK(items);
    EXPECT_EQ(items->size(), model.size());
    for (auto& [name, data] : model) {
      auto r = (*f)->readStream(name);
      ASSERT_OK(r);
      EXPECT_EQ(*r, data) << name;
    }
  }
  // modify the foreign file, then every reader must still agree
  {
    auto f = CompoundFile::open(path, OpenMode::ReadWrite);
    ASSERT_OK(f);
    ASSERT_OK((*f)->writeStream("added", pattern(6000, 77)));
    model["added"] = pattern(6000, 77);
    ASSERT_OK((*f)->writeStream("f64", pattern(5000, 78)));
    model["f64"] = pattern(5000, 78);
    ASSERT_OK((*f)->destroy((*f)->root(), "f4097"));
    model.erase("f4097");
    EXPECT_OK((*f)->checkConsistency());
    ASSERT_OK((*f)->close());
  }
  std::string list;
  ASSERT_EQ(cfbtest::run("gsf list '" + path + "'", &list), 0);
  for (auto& [name, data] : model) {
    EXPECT_NE(list.find(" " + std::to_string(data.size()) + " " + name + "\n"), std::string::npos) << name << "\n" << list;
    std::string got;
    ASSERT_EQ(cfbtest::run("gsf cat '" + path + "' " + name, &got), 0);
    EXPECT_EQ(std::vector<std::uint8_t>(got.begin(), got.end()), data) << name;
  }
  const std::string py = cfbtest::pythonWithOlefile();
  if (!py.empty()) {
    auto seen = cfbtest::olefileView(py, path);
    EXPECT_EQ(seen.size(), model.size());
    for (auto& [name, data] : model) EXPECT_EQ(seen[name], cfbtest::olefileLine(data)) << name;
  }
}
