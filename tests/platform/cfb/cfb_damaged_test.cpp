// Damaged files: each must give an error code with a text, in bounded time,
// never a crash, a hang or a huge allocation. The same files are the seed
// corpus of the fuzzer (tests/platform/cfb/corpus); to regenerate it run
//   CFB_WRITE_CORPUS=tests/platform/cfb/corpus cfb_tests --gtest_filter='CfbDamaged.*'
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>

#include "cfb_test_util.h"
#include "platform/cfb/format.h"

using cfb::CompoundFile;
using cfb::Errc;
using cfb::OpenMode;
using cfbtest::pattern;
using cfbtest::Raw;
using cfbtest::TempDir;

namespace {

Raw baseFile(const TempDir& dir, bool withPadding) {
  const auto path = dir.file(withPadding ? "base-padded.cfb" : "base.cfb");
  {
    auto f = CompoundFile::create(path, {.overwrite = true});
    EXPECT_TRUE(f.ok());
    EXPECT_TRUE((*f)->writeStream("hlavicka", pattern(300, 1)).ok());
    EXPECT_TRUE((*f)->writeStream("A0", pattern(20000, 2)).ok());
    EXPECT_TRUE((*f)->writeStream("A1", pattern(3000, 3)).ok());
    EXPECT_TRUE((*f)->writeStream("nastaveni", pattern(100, 4)).ok());
    if (withPadding) {
      EXPECT_TRUE((*f)->writeStream("pad", pattern(125000, 5)).ok());
    }
    EXPECT_TRUE((*f)->close().ok());
  }
  return Raw{cfbtest::readFile(path)};
}

struct Outcome {
  Errc code = Errc::ok;
  std::string message;
};

// Open, list everything, read everything; the first error.
Outcome readAll(cfb::Result<std::unique_ptr<CompoundFile>> f) {
  if (!f) return {f.code(), f.error().message()};
  std::vector<cfb::Storage> todo{(*f)->root()};
  while (!todo.empty()) {
    auto st = todo.back();
    todo.pop_back();
    auto items = (*f)->list(st);
    if (!items) return {items.code(), items.error().message()};
    for (auto& it : *items) {
      if (it.type == cfb::ElementType::Storage) {
        auto sub = (*f)->openStorage(st, it.name);
        if (!sub) return {sub.code(), sub.error().message()};
        todo.push_back(*sub);
        continue;
      }
      auto s = (*f)->openStream(st, it.name);
      if (!s) return {s.code(), s.error().message()};
      auto all = s->readAll();
      if (!all) return {all.code(), all.error().message()};
    }
  }
  return {};
}

struct Case {
  const char* name;
  bool padded;  // needs the larger base file
  std::function<void(Raw&)> damage;
  std::set<Errc> expected;
};

std::vector<Case> cases() {
  using cfb::detail::kEndOfChain;
  using cfb::detail::kFreeSect;
  return {
      {"fat_chain_loop", false,
       [](Raw& r) {
         auto c = r.chain(r.start("A0"));
         r.set32(r.fatOff(c[10]), c[3]);
       },
       {Errc::chain_loop}},
      {"fat_chain_self_loop", false,
       [](Raw& r) {
         auto c = r.chain(r.start("A0"));
         r.set32(r.fatOff(c[0]), c[0]);
       },
       {Errc::chain_loop}},
      {"directory_loop", false,
       [](Raw& r) {
         const std::uint32_t top = r.u32(r.dirOff(0) + 76);  // root's child
         // the leftmost node points back up to the top of the tree
         std::uint32_t x = top;
         while (r.u32(r.dirOff(x) + 68) != cfb::detail::kNoStream) x = r.u32(r.dirOff(x) + 68);
         r.set32(r.dirOff(x) + 68, top);
       },
       {Errc::directory_loop}},
      {"directory_self_loop", false,
       [](Raw& r) {
         const std::uint32_t top = r.u32(r.dirOff(0) + 76);
         r.set32(r.dirOff(top) + 72, top);
       },
       {Errc::directory_loop}},
      {"difat_loop", true,
       [](Raw& r) {
         // claim 237 FAT sectors: 109 in the header, the rest in a DIFAT
         // sector whose "next" points to itself
         const std::uint32_t d = r.chain(r.start("pad"))[100];
         r.set32(44, 237);
         r.set32(68, d);
         r.set32(72, 2);
         for (std::uint32_t i = 0; i < 127; ++i) r.set32(Raw::secOff(d) + 4 * i, 200 + i);
         r.set32(Raw::secOff(d) + 4 * 127, d);
       },
       {Errc::difat_loop}},
      {"difat_ends_early", true,
       [](Raw& r) {
         r.set32(44, 150);
         r.set32(68, kEndOfChain);
       },
       {Errc::bad_difat}},
      {"stream_size_beyond_chain", false,
       [](Raw& r) { r.set32(r.dirOff(r.findEntry("A0")) + 120, 20000 + 512 * 5); },
       {Errc::chain_too_short}},
      {"stream_size_huge", false,
       [](Raw& r) { r.set32(r.dirOff(r.findEntry("A0")) + 120, 0xFFFFFF00u); },
       {Errc::chain_too_short}},
      {"sector_beyond_file_in_chain", false,
       [](Raw& r) {
         auto c = r.chain(r.start("A0"));
         r.set32(r.fatOff(c[5]), 0x00FFFF00u);
       },
       {Errc::sector_out_of_range}},
      {"stream_start_beyond_file", false,
       [](Raw& r) { r.set32(r.dirOff(r.findEntry("A0")) + 116, 0x00FFFF00u); },
       {Errc::sector_out_of_range}},
      {"directory_start_beyond_file", false, [](Raw& r) { r.set32(48, 0x00FFFF00u); },
       {Errc::sector_out_of_range}},
      {"fat_sector_beyond_file", false, [](Raw& r) { r.set32(76, 0x00FFFF00u); },
       {Errc::bad_difat, Errc::sector_out_of_range}},
      {"chain_into_free_sector", false,
       [](Raw& r) {
         auto c = r.chain(r.start("A0"));
         r.set32(r.fatOff(c[2]), kFreeSect);
       },
       {Errc::bad_fat}},
      // where the cut falls depends on where the last commit put the FAT
      {"truncated_file", false, [](Raw& r) { r.b.resize(r.b.size() * 6 / 10); },
       {Errc::sector_out_of_range, Errc::bad_minifat, Errc::chain_too_short, Errc::bad_difat}},
      {"truncated_in_header", false, [](Raw& r) { r.b.resize(100); }, {Errc::not_compound_file}},
      {"empty_file", false, [](Raw& r) { r.b.clear(); }, {Errc::not_compound_file}},
      {"bad_signature", false, [](Raw& r) { r.b[3] ^= 0xFF; }, {Errc::not_compound_file}},
      {"bad_version", false, [](Raw& r) { r.b[26] = 5; }, {Errc::unsupported_version}},
      {"fat_count_huge", false, [](Raw& r) { r.set32(44, 0x7FFFFFFF); }, {Errc::bad_header}},
      {"fat_count_zero", false, [](Raw& r) { r.set32(44, 0); }, {Errc::bad_header}},
      {"mini_chain_loop", false,
       [](Raw& r) {
         auto c = r.miniChain(r.start("hlavicka"));
         r.set32(r.miniFatOff(c[3]), c[1]);
       },
       {Errc::chain_loop}},
      {"mini_sector_beyond_mini_stream", false,
       [](Raw& r) {
         auto c = r.miniChain(r.start("hlavicka"));
         r.set32(r.miniFatOff(c[2]), 0x00FFFFFFu);
       },
       {Errc::bad_minifat}},
      {"mini_stream_size_beyond_chain", false,
       [](Raw& r) { r.set32(r.dirOff(0) + 120, 0x00100000u); },
       {Errc::bad_minifat}},
      {"child_beyond_directory", false, [](Raw& r) { r.set32(r.dirOff(0) + 76, 0x0000FFFFu); },
       {Errc::bad_directory}},
      {"root_entry_wrong_type", false, [](Raw& r) { r.b[r.dirOff(0) + 66] = 2; }, {Errc::bad_directory}},
      {"entry_name_length_odd", false, [](Raw& r) { r.b[r.dirOff(r.findEntry("A1")) + 64] = 7; },
       {Errc::bad_directory}},
  };
}

}  // namespace

TEST(CfbDamaged, EveryDamagedFileGivesAnErrorQuickly) {
  TempDir dir;
  const Raw base = baseFile(dir, false);
  const Raw padded = baseFile(dir, true);
  ASSERT_EQ(readAll(CompoundFile::openMemory(base.b)).code, Errc::ok);
  ASSERT_EQ(readAll(CompoundFile::openMemory(padded.b)).code, Errc::ok);
  const char* corpusOut = std::getenv("CFB_WRITE_CORPUS");
  if (corpusOut) {
    cfbtest::writeFile(std::string(corpusOut) + "/valid_base.cfb", base.b);
    cfbtest::writeFile(std::string(corpusOut) + "/valid_padded.cfb", padded.b);
    // a version 4 file and one with storages
    const auto v4 = dir.file("v4.cfb");
    {
      auto f = CompoundFile::create(v4, {.overwrite = true, .version = 4});
      ASSERT_OK(f);
      ASSERT_OK((*f)->writeStream("hlavicka", pattern(300, 1)));
      ASSERT_OK((*f)->writeStream("A0", pattern(9000, 2)));
      ASSERT_OK((*f)->close());
    }
    cfbtest::writeFile(std::string(corpusOut) + "/valid_v4.cfb", cfbtest::readFile(v4));
    const auto sto = dir.file("storages.cfb");
    {
      auto f = CompoundFile::create(sto, {.overwrite = true});
      ASSERT_OK(f);
      auto a = (*f)->createStorage((*f)->root(), "a");
      ASSERT_OK(a);
      auto b = (*f)->createStorage(*a, "b");
      ASSERT_OK(b);
      for (const char* n : {"x", "y", "z"}) {
        auto s = (*f)->createStream(*b, n);
        ASSERT_OK(s);
        ASSERT_OK(s->writeAt(0, pattern(100, 3)));
      }
      ASSERT_OK((*f)->writeStream("top", pattern(5000, 4)));
      ASSERT_OK((*f)->close());
    }
    cfbtest::writeFile(std::string(corpusOut) + "/valid_storages.cfb", cfbtest::readFile(sto));
  }
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    Raw r = c.padded ? padded : base;
    c.damage(r);
    if (corpusOut) cfbtest::writeFile(std::string(corpusOut) + "/damaged_" + c.name + ".cfb", r.b);
    const Outcome o = readAll(CompoundFile::openMemory(r.b));
    // the same through a real file, read-only and read-write
    const auto path = dir.file(std::string(c.name) + ".cfb");
    cfbtest::writeFile(path, r.b);
    const Outcome viaFile = readAll(CompoundFile::open(path, cfb::OpenMode::ReadOnly));
    EXPECT_TRUE(c.expected.count(viaFile.code)) << "read-only file: got " << int(viaFile.code) << ": " << viaFile.message;
    auto rw = CompoundFile::open(path, cfb::OpenMode::ReadWrite);
    EXPECT_TRUE(c.expected.count(o.code)) << "got " << int(o.code) << ": " << o.message;
    EXPECT_FALSE(o.message.empty());
    EXPECT_FALSE(rw.ok()) << "a damaged file was accepted for writing";
    if (!rw.ok()) {
      EXPECT_TRUE(c.expected.count(rw.code())) << rw.error().message();
    }
    std::printf("  %-32s -> %s\n", c.name, o.message.c_str());
  }
}

TEST(CfbDamaged, JournalOfAKilledWriterIsReplayed) {
  // Earlier versions committed through a journal past the end of the file and
  // a mark in the header. Built by hand here: the moment after the commit
  // point, with the old header marked, the new metadata only in the journal
  // and one sector the journal rewrites in place still holding old bytes.
  TempDir dir;
  const auto path = dir.file("j.cfb");
  {
    auto f = CompoundFile::create(path, {.overwrite = true});
    ASSERT_OK(f);
    for (int i = 0; i < 20; ++i) ASSERT_OK((*f)->writeStream("A" + std::to_string(i), pattern(700, i)));
    ASSERT_OK((*f)->close());
  }
  const auto before = cfbtest::readFile(path);
  std::vector<std::uint8_t> after;
  {
    auto f = CompoundFile::open(path, cfb::OpenMode::ReadWrite);
    ASSERT_OK(f);
    // the FAT grows, so the header changes and every sector with a visible
    // change moves, the FAT sector among them
    ASSERT_OK((*f)->writeStream("A20", pattern(70000, 20)));
    after = cfbtest::readFile(path);
    ASSERT_OK((*f)->close());
  }
  ASSERT_EQ(after.size() % 512, 0u);
  Raw old{before};
  const std::uint32_t oldFat = old.u32(76);  // the FAT sector of the old state
  const std::uint32_t newFat = Raw{after}.u32(76);
  ASSERT_NE(oldFat, newFat) << "the commit moved the changed FAT sector";
  // journal: [magic, count, crc, targets...] in one sector, then the images
  const std::uint32_t count = 2;
  std::vector<std::uint8_t> journal(512 * (1 + count), 0);
  std::memcpy(journal.data(), "CFBJRNL1", 8);
  cfb::detail::wr32(journal.data() + 8, count);
  cfb::detail::wr32(journal.data() + 16, oldFat);
  cfb::detail::wr32(journal.data() + 20, 0xFFFFFFFF);  // the header
  std::memcpy(journal.data() + 512, after.data() + Raw::secOff(newFat), 512);
  std::memcpy(journal.data() + 1024, after.data(), 512);
  std::uint32_t crc = cfb::detail::crc32(journal.data() + 16, 4 * count);
  crc = cfb::detail::crc32(journal.data() + 512, 512 * count, crc);
  cfb::detail::wr32(journal.data() + 12, crc);
  std::vector<std::uint8_t> crashed = after;
  const std::size_t j = crashed.size();
  crashed.insert(crashed.end(), journal.begin(), journal.end());
  std::memcpy(crashed.data(), before.data(), 512);
  crashed[34] = 'Q';
  crashed[35] = 'J';
  cfb::detail::wr32(crashed.data() + 36, std::uint32_t(j / 512 - 1));
  // read-only from memory: replayed in memory
  auto m = CompoundFile::openMemory(crashed);
  ASSERT_OK(m);
  auto a20 = (*m)->readStream("A20");
  ASSERT_OK(a20);
  EXPECT_EQ(*a20, pattern(70000, 20));
  EXPECT_OK((*m)->checkConsistency());
  // without the mark the old state is intact
  std::vector<std::uint8_t> unmarked = crashed;
  std::memset(unmarked.data() + 34, 0, 6);
  auto u = CompoundFile::openMemory(unmarked);
  ASSERT_OK(u);
  EXPECT_FALSE((*u)->exists((*u)->root(), "A20"));
  for (int i = 0; i < 20; ++i) EXPECT_EQ(*(*u)->readStream("A" + std::to_string(i)), pattern(700, i));
  // a damaged journal is ignored: the old state again
  std::vector<std::uint8_t> badCrc = crashed;
  badCrc[j + 600] ^= 1;
  auto b = CompoundFile::openMemory(badCrc);
  ASSERT_OK(b);
  EXPECT_FALSE((*b)->exists((*b)->root(), "A20"));
  // read-write: replayed on disk
  cfbtest::writeFile(path, crashed);
  auto f = CompoundFile::open(path, cfb::OpenMode::ReadWrite);
  ASSERT_OK(f);
  EXPECT_EQ(*(*f)->readStream("A20"), pattern(70000, 20));
  EXPECT_OK((*f)->checkConsistency());
  ASSERT_OK((*f)->close());
  const auto replayed = cfbtest::readFile(path);
  EXPECT_EQ(replayed[34], 0);
}

// What else may sit where a file is expected: each is refused at once with
// its own code (a FIFO with no writer would block an open for good), and
// nothing at the path changes.
TEST(CfbDamaged, ThingsThatAreNoRegularFileAreRefusedAtOnce) {
  TempDir dir;
  const std::string fifo = dir.file("roura.vk");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = dir.file("slozka.vk");
  std::filesystem::create_directory(folder);
  const std::string dangling = dir.file("odkaz.vk");
  std::filesystem::create_symlink(dir.file("nikde.vk"), dangling);

  for (const std::string& path : {fifo, folder}) {
    SCOPED_TRACE(path);
    for (const OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
      auto opened = CompoundFile::open(path, mode);
      ASSERT_FALSE(opened);
      EXPECT_EQ(opened.code(), Errc::not_regular_file);
    }
    for (const bool overwrite : {false, true}) {
      cfb::CreateOptions options;
      options.overwrite = overwrite;
      auto created = CompoundFile::create(path, options);
      ASSERT_FALSE(created);
      EXPECT_EQ(created.code(), overwrite ? Errc::not_regular_file : Errc::file_exists);
    }
  }
  // A link to nothing is no file to overwrite: an exclusive create says so
  // rather than that a file exists, and nothing is created behind it.
  auto created = CompoundFile::create(dangling, cfb::CreateOptions{});
  ASSERT_FALSE(created);
  EXPECT_EQ(created.code(), Errc::not_regular_file);
  EXPECT_FALSE(std::filesystem::exists(dir.file("nikde.vk")));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_TRUE(std::filesystem::is_directory(folder));

  // A good link is followed as any file.
  const std::string target = dir.file("cil.vk");
  ASSERT_TRUE(CompoundFile::create(target, cfb::CreateOptions{}));
  const std::string link = dir.file("dobry.vk");
  std::filesystem::create_symlink(target, link);
  EXPECT_TRUE(CompoundFile::open(link, OpenMode::ReadWrite));
}

// A file the process may only read opens read-only, and read-write is
// refused as denied, not as damaged.
TEST(CfbDamaged, AFileThatMayOnlyBeReadIsDeniedNotDamaged) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "the superuser may write any file";
  TempDir dir;
  const std::string path = dir.file("jen-cteni.vk");
  ASSERT_TRUE(CompoundFile::create(path, cfb::CreateOptions{}));
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  auto written = CompoundFile::open(path, OpenMode::ReadWrite);
  ASSERT_FALSE(written);
  EXPECT_EQ(written.code(), Errc::access_denied);
  EXPECT_TRUE(CompoundFile::open(path, OpenMode::ReadOnly));
}
