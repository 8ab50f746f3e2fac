// Round trips through the compound-file library: sizes around the sector and
// mini-stream limits, many streams, growing and shrinking across the cutoff,
// rename, destroy and reuse, storages, copies, locks and misuse.
#include <map>
#include <random>

#include "cfb_test_util.h"

using cfb::CompoundFile;
using cfb::Errc;
using cfb::OpenMode;
using cfbtest::pattern;
using cfbtest::Raw;
using cfbtest::TempDir;

namespace {

std::unique_ptr<CompoundFile> mustCreate(const std::string& path, int version = 3) {
  auto f = CompoundFile::create(path, {.overwrite = true, .version = version});
  EXPECT_TRUE(f.ok()) << (f.ok() ? "" : f.error().message());
  return f.ok() ? std::move(*f) : nullptr;
}

std::unique_ptr<CompoundFile> mustOpen(const std::string& path, OpenMode mode) {
  auto f = CompoundFile::open(path, mode);
  EXPECT_TRUE(f.ok()) << (f.ok() ? "" : f.error().message());
  return f.ok() ? std::move(*f) : nullptr;
}

std::vector<std::uint8_t> contentOf(CompoundFile& f, const std::string& name) {
  auto r = f.readStream(name);
  EXPECT_TRUE(r.ok()) << name << ": " << (r.ok() ? "" : r.error().message());
  return r.ok() ? *r : std::vector<std::uint8_t>{};
}

const std::size_t kSizes[] = {0, 1, 63, 64, 65, 511, 512, 513, 4095, 4096, 4097, 1 << 20};

}  // namespace

TEST(CfbRoundTrip, SizesAroundTheLimits) {
  for (int version : {3, 4}) {
    TempDir dir;
    const auto path = dir.file("sizes.cfb");
    {
      auto f = mustCreate(path, version);
      ASSERT_TRUE(f);
      for (std::size_t n : kSizes) ASSERT_OK(f->writeStream("s" + std::to_string(n), pattern(n, std::uint32_t(n))));
      EXPECT_OK(f->checkConsistency());
      // read back before closing
      for (std::size_t n : kSizes) EXPECT_EQ(contentOf(*f, "s" + std::to_string(n)), pattern(n, std::uint32_t(n)));
      ASSERT_OK(f->close());
    }
    auto f = mustOpen(path, OpenMode::ReadOnly);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->version(), version);
    EXPECT_OK(f->checkConsistency());
    auto items = f->list();
    ASSERT_OK(items);
    EXPECT_EQ(items->size(), std::size(kSizes));
    for (std::size_t n : kSizes) {
      auto st = f->stat(f->root(), "s" + std::to_string(n));
      ASSERT_OK(st);
      EXPECT_EQ(st->size, n);
      EXPECT_EQ(contentOf(*f, "s" + std::to_string(n)), pattern(n, std::uint32_t(n))) << n;
    }
  }
}

TEST(CfbRoundTrip, ThousandStreamsA0ToA999) {
  TempDir dir;
  const auto path = dir.file("many.cfb");
  {
    auto f = mustCreate(path);
    ASSERT_TRUE(f);
    for (int i = 0; i < 1000; ++i) {
      const std::size_t n = std::size_t((i * 37) % 9000);
      ASSERT_OK(f->writeStream("A" + std::to_string(i), pattern(n, std::uint32_t(i))));
    }
    ASSERT_OK(f->writeStream("hlavicka", pattern(264 + 4000, 7)));
    EXPECT_OK(f->checkConsistency());
    ASSERT_OK(f->close());
  }
  auto f = mustOpen(path, OpenMode::ReadOnly);
  ASSERT_TRUE(f);
  EXPECT_OK(f->checkConsistency());
  auto items = f->list();
  ASSERT_OK(items);
  ASSERT_EQ(items->size(), 1001u);
  // the format's order: shorter names first
  EXPECT_EQ((*items)[0].name, "A0");
  EXPECT_EQ((*items)[10].name, "A10");
  EXPECT_EQ((*items)[1000].name, "hlavicka");
  for (int i = 0; i < 1000; ++i) {
    const std::size_t n = std::size_t((i * 37) % 9000);
    ASSERT_EQ(contentOf(*f, "A" + std::to_string(i)), pattern(n, std::uint32_t(i))) << i;
  }
}

TEST(CfbRoundTrip, GrowAndShrinkAcrossTheCutoff) {
  TempDir dir;
  const auto path = dir.file("grow.cfb");
  auto f = mustCreate(path);
  ASSERT_TRUE(f);
  auto s = f->createStream(f->root(), "nastaveni");
  ASSERT_OK(s);
  std::vector<std::uint8_t> model;
  std::mt19937 rng(42);
  auto check = [&] {
    auto all = s->readAll();
    ASSERT_OK(all);
    ASSERT_EQ(*all, model);
  };
  // append in pieces through the cutoff and far beyond
  for (int i = 0; i < 60; ++i) {
    auto piece = pattern(std::size_t(rng() % 700), std::uint32_t(i));
    ASSERT_OK(s->writeAt(model.size(), piece));
    model.insert(model.end(), piece.begin(), piece.end());
    check();
  }
  // set size: shrink below the cutoff, grow above, shrink to zero, grow again
  for (std::uint64_t n : {5000ull, 4096ull, 4095ull, 100ull, 4096ull, 20000ull, 3000ull, 0ull, 64ull, 9000ull}) {
    ASSERT_OK(s->setSize(n));
    model.resize(std::size_t(n), 0);
    check();
    EXPECT_OK(f->checkConsistency());
  }
  // overwrite in the middle, across sector borders, and past the end with a gap
  for (int i = 0; i < 40; ++i) {
    const std::size_t off = rng() % (model.size() + 2000);
    auto piece = pattern(1 + rng() % 3000, std::uint32_t(100 + i));
    ASSERT_OK(s->writeAt(off, piece));
    if (model.size() < off + piece.size()) model.resize(off + piece.size(), 0);
    std::copy(piece.begin(), piece.end(), model.begin() + std::ptrdiff_t(off));
    check();
  }
  EXPECT_OK(f->checkConsistency());
  ASSERT_OK(f->close());
  auto g = mustOpen(path, OpenMode::ReadOnly);
  ASSERT_TRUE(g);
  EXPECT_EQ(contentOf(*g, "nastaveni"), model);
}

TEST(CfbRoundTrip, SequentialAccessAndSeek) {
  TempDir dir;
  auto f = mustCreate(dir.file("seq.cfb"));
  ASSERT_TRUE(f);
  auto s = f->createStream(f->root(), "bexor");
  ASSERT_OK(s);
  auto a = pattern(3000, 1), b = pattern(3000, 2);
  ASSERT_OK(s->write(a));
  ASSERT_OK(s->write(b));
  EXPECT_EQ(s->position(), 6000u);
  ASSERT_OK(s->seek(-3000, cfb::Whence::End));
  std::vector<std::uint8_t> got(4000);
  auto n = s->read(got);
  ASSERT_OK(n);
  EXPECT_EQ(*n, 3000u);
  got.resize(3000);
  EXPECT_EQ(got, b);
  EXPECT_EQ(s->seek(-1, cfb::Whence::Begin).code(), Errc::invalid_argument);
  auto n0 = s->read(got);  // at the end
  ASSERT_OK(n0);
  EXPECT_EQ(*n0, 0u);
}

TEST(CfbRoundTrip, RenameKeepsContentAndHandles) {
  TempDir dir;
  const auto path = dir.file("rename.cfb");
  auto f = mustCreate(path);
  ASSERT_TRUE(f);
  for (int i = 0; i < 8; ++i) ASSERT_OK(f->writeStream("A" + std::to_string(i), pattern(1000 + 600 * i, i)));
  auto h = f->openStream(f->root(), "A4");
  ASSERT_OK(h);
  // the ring growth of the archive: A4 -> A7 after A7 -> A9 etc.
  ASSERT_OK(f->rename(f->root(), "A7", "A10"));
  ASSERT_OK(f->rename(f->root(), "A4", "A7"));
  EXPECT_EQ(f->rename(f->root(), "A3", "A5").code(), Errc::already_exists);
  EXPECT_EQ(f->rename(f->root(), "A3", "a5").code(), Errc::already_exists);  // names ignore case
  EXPECT_EQ(f->rename(f->root(), "A99", "B").code(), Errc::not_found);
  EXPECT_EQ(f->rename(f->root(), "A3", std::string(32, 'x')).code(), Errc::invalid_name);
  EXPECT_EQ(f->rename(f->root(), "A3", "a/b").code(), Errc::invalid_name);
  ASSERT_OK(f->rename(f->root(), "A3", "a3"));  // case only
  auto name = h->name();
  ASSERT_OK(name);
  EXPECT_EQ(*name, "A7");
  EXPECT_OK(f->checkConsistency());
  ASSERT_OK(f->close());
  auto g = mustOpen(path, OpenMode::ReadOnly);
  ASSERT_TRUE(g);
  EXPECT_EQ(contentOf(*g, "A7"), pattern(1000 + 600 * 4, 4));
  EXPECT_EQ(contentOf(*g, "A10"), pattern(1000 + 600 * 7, 7));
  EXPECT_EQ(contentOf(*g, "A3"), pattern(1000 + 600 * 3, 3));  // lookup ignores case
  EXPECT_FALSE(g->exists(g->root(), "A4"));
  auto st = g->stat(g->root(), "a3");
  ASSERT_OK(st);
  EXPECT_EQ(st->name, "a3");
}

TEST(CfbRoundTrip, DestroyFreesSectorsForReuse) {
  TempDir dir;
  const auto path = dir.file("destroy.cfb");
  auto f = mustCreate(path);
  ASSERT_TRUE(f);
  for (int i = 0; i < 50; ++i) ASSERT_OK(f->writeStream("A" + std::to_string(i), pattern(20000 + i, i)));
  ASSERT_OK(f->writeStream("small", pattern(3000, 99)));
  ASSERT_OK(f->close());
  const auto fullSize = std::filesystem::file_size(path);

  f = mustOpen(path, OpenMode::ReadWrite);
  ASSERT_TRUE(f);
  for (int i = 0; i < 50; i += 2) ASSERT_OK(f->destroy(f->root(), "A" + std::to_string(i)));
  ASSERT_OK(f->destroy(f->root(), "small"));
  EXPECT_EQ(f->destroy(f->root(), "small").code(), Errc::not_found);
  // the same amount again fits in the freed sectors
  for (int i = 0; i < 50; i += 2) ASSERT_OK(f->writeStream("B" + std::to_string(i), pattern(20000 + i, 1000 + i)));
  ASSERT_OK(f->writeStream("small2", pattern(3000, 98)));
  EXPECT_OK(f->checkConsistency());
  ASSERT_OK(f->close());
  EXPECT_LE(std::filesystem::file_size(path), fullSize + 4096);

  auto g = mustOpen(path, OpenMode::ReadOnly);
  ASSERT_TRUE(g);
  EXPECT_OK(g->checkConsistency());
  for (int i = 0; i < 50; ++i) {
    if (i % 2) {
      EXPECT_EQ(contentOf(*g, "A" + std::to_string(i)), pattern(20000 + i, i));
    } else {
      EXPECT_FALSE(g->exists(g->root(), "A" + std::to_string(i)));
      EXPECT_EQ(contentOf(*g, "B" + std::to_string(i)), pattern(20000 + i, 1000 + i));
    }
  }
  EXPECT_EQ(contentOf(*g, "small2"), pattern(3000, 98));
}

// A file that a writer's close would change beyond what it wrote (an unused
// tail after its last sector) is not settled; asking changes nothing.
TEST(CfbRoundTrip, SettledUnlessAWritersCloseWouldGiveSpaceBack) {
  TempDir dir;
  const auto path = dir.file("settled.cfb");
  auto f = mustCreate(path);
  ASSERT_TRUE(f);
  for (int i = 0; i < 4; ++i) ASSERT_OK(f->writeStream("A" + std::to_string(i), pattern(20000, i)));
  ASSERT_OK(f->close());
  const auto closedSize = std::filesystem::file_size(path);
  EXPECT_TRUE(mustOpen(path, OpenMode::ReadOnly)->isSettled());
  EXPECT_TRUE(mustOpen(path, OpenMode::ReadWrite)->isSettled());

  std::filesystem::resize_file(path, closedSize + 1024);
  EXPECT_FALSE(mustOpen(path, OpenMode::ReadOnly)->isSettled());
  EXPECT_EQ(std::filesystem::file_size(path), closedSize + 1024);
}

TEST(CfbRoundTrip, StaleHandlesAfterDestroy) {
  TempDir dir;
  auto f = mustCreate(dir.file("stale.cfb"));
  ASSERT_TRUE(f);
  auto s = f->createStream(f->root(), "x");
  ASSERT_OK(s);
  ASSERT_OK(f->destroy(f->root(), "x"));
  ASSERT_OK(f->createStream(f->root(), "y"));  // may reuse the slot
  EXPECT_EQ(s->size().code(), Errc::stale_handle);
  EXPECT_EQ(s->writeAt(0, pattern(10, 1)).code(), Errc::stale_handle);
}

TEST(CfbRoundTrip, RandomOperationsKeepTheTreeValid) {
  TempDir dir;
  const auto path = dir.file("random.cfb");
  auto f = mustCreate(path);
  ASSERT_TRUE(f);
  std::map<std::string, std::vector<std::uint8_t>> model;
  std::mt19937 rng(7);
  for (int step = 0; step < 1500; ++step) {
    const std::string name = "N" + std::to_string(rng() % 300);
    const int op = int(rng() % 10);
    if (op < 5) {
      auto data = pattern(rng() % 6000, std::uint32_t(step));
      ASSERT_OK(f->writeStream(name, data));
      model[name] = data;
    } else if (op < 8) {
      auto st = f->destroy(f->root(), name);
      EXPECT_EQ(st.ok(), model.erase(name) == 1);
    } else {
      const std::string to = "R" + std::to_string(rng() % 300);
      auto st = f->rename(f->root(), name, to);
      if (model.count(name) && !model.count(to)) {
        ASSERT_OK(st);
        model[to] = model[name];
        model.erase(name);
      } else {
        EXPECT_FALSE(st.ok());
      }
    }
    if (step % 100 == 0) ASSERT_OK(f->checkConsistency());
  }
  ASSERT_OK(f->close());
  auto g = mustOpen(path, OpenMode::ReadOnly);
  ASSERT_TRUE(g);
  ASSERT_OK(g->checkConsistency());
  auto items = g->list();
  ASSERT_OK(items);
  ASSERT_EQ(items->size(), model.size());
  for (auto& [name, data] : model) EXPECT_EQ(contentOf(*g, name), data) << name;
}

TEST(CfbRoundTrip, StoragesAndCopy) {
  TempDir dir;
  const auto src = dir.file("src.cfb");
  const auto dst = dir.file("dst.cfb");
  auto f = mustCreate(src);
  ASSERT_TRUE(f);
  ASSERT_OK(f->writeStream("hlavicka", pattern(700, 1)));
  ASSERT_OK(f->writeStream("A0", pattern(70000, 2)));
  auto sub = f->createStorage(f->root(), "sub");
  ASSERT_OK(sub);
  auto inner = f->createStream(*sub, "inner");
  ASSERT_OK(inner);
  ASSERT_OK(inner->writeAt(0, pattern(5000, 3)));
  EXPECT_EQ(f->createStorage(f->root(), "sub").code(), Errc::already_exists);
  EXPECT_EQ(f->openStream(f->root(), "sub").code(), Errc::wrong_type);
  EXPECT_EQ(f->openStorage(f->root(), "A0").code(), Errc::wrong_type);

  auto d = mustCreate(dst);
  ASSERT_TRUE(d);
  ASSERT_OK(d->writeStream("A0", pattern(10, 9)));  // replaced by the copy
  ASSERT_OK(d->writeStream("other", pattern(10, 9)));
  ASSERT_OK(f->copyTo(*d));
  EXPECT_EQ(f->copyTo(*f).code(), Errc::invalid_argument);
  ASSERT_OK(d->close());

  // destroying a storage frees everything under it
  ASSERT_OK(f->destroy(f->root(), "sub"));
  EXPECT_EQ(inner->size().code(), Errc::stale_handle);
  EXPECT_OK(f->checkConsistency());
  ASSERT_OK(f->close());

  auto g = mustOpen(dst, OpenMode::ReadOnly);
  ASSERT_TRUE(g);
  EXPECT_OK(g->checkConsistency());
  EXPECT_EQ(contentOf(*g, "hlavicka"), pattern(700, 1));
  EXPECT_EQ(contentOf(*g, "A0"), pattern(70000, 2));
  EXPECT_EQ(contentOf(*g, "other"), pattern(10, 9));
  auto gs = g->openStorage(g->root(), "sub");
  ASSERT_OK(gs);
  auto gi = g->openStream(*gs, "inner");
  ASSERT_OK(gi);
  auto all = gi->readAll();
  ASSERT_OK(all);
  EXPECT_EQ(*all, pattern(5000, 3));
}

TEST(CfbRoundTrip, LargeFileWithDifatSectors) {
  // More than 109 FAT sectors (about 7 MB) needs DIFAT sectors.
  TempDir dir;
  const auto path = dir.file("large.cfb");
  auto f = mustCreate(path);
  ASSERT_TRUE(f);
  auto big = pattern(9u << 20, 5);
  ASSERT_OK(f->writeStream("big", big));
  ASSERT_OK(f->writeStream("after", pattern(100, 6)));
  // appending in pieces to a stream in the DIFAT region
  auto s = f->openStream(f->root(), "big");
  ASSERT_OK(s);
  auto tail = pattern(300000, 7);
  for (std::size_t off = 0; off < tail.size(); off += 30000)
    ASSERT_OK(s->writeAt(big.size() + off, std::span(tail).subspan(off, 30000)));
  big.insert(big.end(), tail.begin(), tail.end());
  EXPECT_OK(f->checkConsistency());
  ASSERT_OK(f->close());
  auto g = mustOpen(path, OpenMode::ReadWrite);
  ASSERT_TRUE(g);
  EXPECT_OK(g->checkConsistency());
  EXPECT_EQ(contentOf(*g, "big"), big);
  EXPECT_EQ(contentOf(*g, "after"), pattern(100, 6));
}

TEST(CfbRoundTrip, LocksAndModes) {
  TempDir dir;
  const auto path = dir.file("lock.cfb");
  auto f = mustCreate(path);
  ASSERT_TRUE(f);
  ASSERT_OK(f->writeStream("a", pattern(10, 1)));
  EXPECT_EQ(CompoundFile::open(path, OpenMode::ReadOnly).code(), Errc::locked);
  EXPECT_EQ(CompoundFile::open(path, OpenMode::ReadWrite).code(), Errc::locked);
  EXPECT_EQ(CompoundFile::create(path).code(), Errc::file_exists);
  EXPECT_EQ(CompoundFile::create(path, {.overwrite = true}).code(), Errc::locked);
  ASSERT_OK(f->flush());
  ASSERT_OK(f->close());
  EXPECT_EQ(f->list().code(), Errc::closed);
  EXPECT_EQ(f->close().code(), Errc::closed);

  auto r1 = mustOpen(path, OpenMode::ReadOnly);
  auto r2 = mustOpen(path, OpenMode::ReadOnly);  // readers share
  ASSERT_TRUE(r1 && r2);
  EXPECT_EQ(CompoundFile::open(path, OpenMode::ReadWrite).code(), Errc::locked);
  EXPECT_EQ(r1->writeStream("b", pattern(1, 1)).code(), Errc::read_only);
  EXPECT_EQ(r1->createStream(r1->root(), "b").code(), Errc::read_only);
  r1.reset();
  r2.reset();
  EXPECT_TRUE(CompoundFile::open(path, OpenMode::ReadWrite).ok());
  EXPECT_EQ(CompoundFile::open(dir.file("missing.cfb"), OpenMode::ReadOnly).code(), Errc::not_found);
}

TEST(CfbRoundTrip, CreateStreamOverwriteAndNames) {
  TempDir dir;
  auto f = mustCreate(dir.file("names.cfb"));
  ASSERT_TRUE(f);
  ASSERT_OK(f->writeStream("hlavicka", pattern(5000, 1)));
  EXPECT_EQ(f->createStream(f->root(), "HLAVICKA").code(), Errc::already_exists);
  auto s = f->createStream(f->root(), "hlavicka", true);
  ASSERT_OK(s);
  EXPECT_EQ(*s->size(), 0u);
  EXPECT_EQ(f->createStream(f->root(), "").code(), Errc::invalid_name);
  EXPECT_EQ(f->createStream(f->root(), std::string(31, 'x')).ok(), true);
  EXPECT_EQ(f->createStream(f->root(), std::string(32, 'x')).code(), Errc::invalid_name);
  // 31 UTF-16 units of non-ASCII letters
  std::string czech;
  for (int i = 0; i < 31; ++i) czech += "\xC5\x99";  // U+0159
  ASSERT_OK(f->writeStream(czech, pattern(3, 3)));
  auto st = f->stat(f->root(), czech);
  ASSERT_OK(st);
  EXPECT_EQ(st->name16.size(), 31u);
  EXPECT_OK(f->checkConsistency());
}

TEST(CfbRoundTrip, MemoryImage) {
  TempDir dir;
  const auto path = dir.file("mem.cfb");
  {
    auto f = mustCreate(path);
    ASSERT_TRUE(f);
    ASSERT_OK(f->writeStream("x", pattern(5000, 1)));
    ASSERT_OK(f->close());
  }
  auto bytes = cfbtest::readFile(path);
  auto m = CompoundFile::openMemory(bytes);
  ASSERT_OK(m);
  auto r = (*m)->readStream("x");
  ASSERT_OK(r);
  EXPECT_EQ(*r, pattern(5000, 1));
  EXPECT_TRUE((*m)->isReadOnly());
}

TEST(CfbRoundTrip, ErrorCodesHaveTexts) {
  const std::error_code ec = Errc::chain_loop;
  EXPECT_EQ(ec.category().name(), std::string("cfb"));
  EXPECT_EQ(ec.message(), "loop in a sector chain");
  EXPECT_EQ(cfb::Error(Errc::not_found, "A5").message(), "element not found: A5");
}

// Reads at any offset and length give the stream's bytes, also where its
// sectors are scattered (two streams grown in turns) and in the mini stream.
TEST(CfbRoundTrip, ReadsAtOffsetsAcrossScatteredSectors) {
  TempDir dir;
  auto f = mustCreate(dir.file("scattered.cfb"));
  ASSERT_NE(f, nullptr);
  auto a = f->createStream(f->root(), "a");
  auto b = f->createStream(f->root(), "b");
  auto small = f->createStream(f->root(), "small");
  ASSERT_TRUE(a.ok() && b.ok() && small.ok());
  const std::vector<std::uint8_t> wholeA = pattern(40000, 3), wholeB = pattern(40000, 4);
  for (std::size_t off = 0; off < wholeA.size(); off += 1000) {
    ASSERT_OK(a->writeAt(off, std::span(wholeA).subspan(off, 1000)));
    ASSERT_OK(b->writeAt(off, std::span(wholeB).subspan(off, 1000)));
  }
  const std::vector<std::uint8_t> wholeSmall = pattern(3000, 5);
  ASSERT_OK(small->writeAt(0, wholeSmall));

  struct Piece {
    std::uint64_t off;
    std::size_t len;
  };
  const Piece pieces[] = {{0, 1}, {0, 512}, {511, 2}, {700, 5000}, {1, 39999}, {39990, 100}, {40000, 10}};
  for (const auto& [stream, whole] : {std::pair{*a, wholeA}, std::pair{*b, wholeB}, std::pair{*small, wholeSmall}}) {
    for (const Piece& p : pieces) {
      std::vector<std::uint8_t> buf(p.len, 0xEE);
      auto n = stream.readAt(p.off, buf);
      ASSERT_TRUE(n.ok()) << p.off;
      const std::size_t expected = p.off >= whole.size() ? 0 : std::min<std::size_t>(p.len, whole.size() - p.off);
      ASSERT_EQ(*n, expected) << whole.size() << " at " << p.off;
      const auto from = whole.begin() + std::ptrdiff_t(std::min<std::uint64_t>(p.off, whole.size()));
      EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + std::ptrdiff_t(expected), from))
          << whole.size() << " at " << p.off << " + " << p.len;
    }
  }
}

namespace {

// A stream whose chain steps over other streams' sectors by every kind of
// distance: a sector, a few, 32 and 33, far ahead, and back into sectors a
// destroyed stream left free.
struct Interleaved {
  std::vector<std::uint8_t> a;
  std::vector<std::uint8_t> bytes;  // the closed file
};

Interleaved writeInterleaved(const std::string& path) {
  Interleaved out;
  auto f = mustCreate(path);
  if (!f) return out;
  EXPECT_OK(f->writeStream("early", pattern(64 << 10, 90)));
  auto a = f->createStream(f->root(), "a");
  auto b = f->createStream(f->root(), "b");
  EXPECT_TRUE(a.ok() && b.ok());
  if (!a.ok() || !b.ok()) return out;
  const std::size_t gaps[] = {512, 2048, 16384, 16896, 100000, 1536, 16384, 512, 40000, 0, 3000};
  std::uint64_t bSize = 0;
  for (std::size_t i = 0; i < 40; ++i) {
    if (i == 20) EXPECT_OK(f->destroy(f->root(), "early"));  // later pieces go back to the start
    const auto piece = pattern(3000 + 517 * (i % 7), std::uint32_t(100 + i));
    EXPECT_OK(a->writeAt(out.a.size(), piece));
    out.a.insert(out.a.end(), piece.begin(), piece.end());
    const std::size_t gap = gaps[i % std::size(gaps)];
    EXPECT_OK(b->writeAt(bSize, pattern(gap, std::uint32_t(200 + i))));
    bSize += gap;
  }
  EXPECT_OK(f->close());
  out.bytes = cfbtest::readFile(path);
  return out;
}

}  // namespace

// A read over many runs of the stream's sectors gives exactly the stream's
// bytes and writes nothing past what it returns, through a file and through a
// memory image.
TEST(CfbRoundTrip, ReadsSteppingOverForeignSectorsAreByteExact) {
  TempDir dir;
  const auto path = dir.file("interleaved.cfb");
  const Interleaved fx = writeInterleaved(path);
  ASSERT_FALSE(fx.a.empty());
  {
    Raw raw{fx.bytes};
    const auto chain = raw.chain(raw.start("a"));
    ASSERT_EQ(chain.size(), (fx.a.size() + 511) / 512);
    std::size_t forwardSmall = 0, forwardLarge = 0, backward = 0;
    for (std::size_t k = 1; k < chain.size(); ++k) {
      if (chain[k] < chain[k - 1]) ++backward;
      else if (chain[k] - chain[k - 1] > 1 + 32) ++forwardLarge;
      else if (chain[k] != chain[k - 1] + 1) ++forwardSmall;
    }
    ASSERT_GT(forwardSmall, 5u) << "the fixture no longer interleaves the stream";
    ASSERT_GT(forwardLarge, 2u);
    ASSERT_GT(backward, 0u);
  }
  struct Piece {
    std::uint64_t off;
    std::size_t len;
  };
  const std::uint64_t size = fx.a.size();
  const Piece pieces[] = {{0, std::size_t(size)}, {0, 1u << 20},  {1, std::size_t(size) - 2}, {511, 70000},
                          {3000, 9000},           {size - 1, 10}, {size - 700, 5000},          {size, 10}};
  auto check = [&](CompoundFile& f, const char* how) {
    SCOPED_TRACE(how);
    auto s = f.openStream(f.root(), "a");
    ASSERT_OK(s);
    for (const Piece& p : pieces) {
      std::vector<std::uint8_t> buf(p.len + 64, 0xEE);
      auto n = s->readAt(p.off, std::span(buf).first(p.len));
      ASSERT_OK(n);
      const std::size_t expected = std::size_t(std::min<std::uint64_t>(p.len, size - std::min(p.off, size)));
      ASSERT_EQ(*n, expected) << "at " << p.off;
      EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + std::ptrdiff_t(expected), fx.a.begin() + std::ptrdiff_t(p.off)))
          << p.off << " + " << p.len;
      EXPECT_TRUE(std::all_of(buf.begin() + std::ptrdiff_t(expected), buf.end(), [](std::uint8_t c) { return c == 0xEE; }))
          << "bytes written past the " << expected << " read at " << p.off;
    }
    // the whole stream in pieces of every alignment
    for (std::size_t chunk : {std::size_t(512), std::size_t(4099), std::size_t(65536)}) {
      std::vector<std::uint8_t> all;
      std::vector<std::uint8_t> buf(chunk);
      for (std::uint64_t off = 0; off < size; off += chunk) {
        auto n = s->readAt(off, buf);
        ASSERT_OK(n);
        all.insert(all.end(), buf.begin(), buf.begin() + std::ptrdiff_t(*n));
      }
      EXPECT_EQ(all, fx.a) << "in pieces of " << chunk;
    }
  };
  auto ro = mustOpen(path, OpenMode::ReadOnly);
  ASSERT_NE(ro, nullptr);
  check(*ro, "read-only file");
  ro.reset();
  auto rw = mustOpen(path, OpenMode::ReadWrite);
  ASSERT_NE(rw, nullptr);
  check(*rw, "writable file");
  rw.reset();
  auto mem = CompoundFile::openMemory(fx.bytes);
  ASSERT_OK(mem);
  check(**mem, "memory image");
}

// Reading such a stream checks its whole chain first: a damaged link after
// the first runs is refused, not read around.
TEST(CfbRoundTrip, ADamagedChainAmongForeignSectorsIsRefused) {
  TempDir dir;
  const Interleaved fx = writeInterleaved(dir.file("interleaved.cfb"));
  ASSERT_FALSE(fx.a.empty());
  const struct {
    const char* name;
    Errc expected;
    void (*damage)(Raw&, const std::vector<std::uint32_t>&);
  } cases[] = {
      {"loop back", Errc::chain_loop, [](Raw& r, const auto& c) { r.set32(r.fatOff(c[c.size() / 2]), c[3]); }},
      {"into a free sector", Errc::bad_fat,
       [](Raw& r, const auto& c) { r.set32(r.fatOff(c[c.size() / 2]), cfb::detail::kFreeSect); }},
      {"past the end of the file", Errc::sector_out_of_range,
       [](Raw& r, const auto& c) { r.set32(r.fatOff(c[c.size() / 2]), std::uint32_t(r.b.size() / 512 + 10)); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Raw r{fx.bytes};
    c.damage(r, r.chain(r.start("a")));
    const auto path = dir.file("damaged.cfb");
    cfbtest::writeFile(path, r.b);
    auto fromFile = CompoundFile::open(path, OpenMode::ReadOnly);
    ASSERT_OK(fromFile);
    auto fromMemory = CompoundFile::openMemory(r.b);
    ASSERT_OK(fromMemory);
    for (CompoundFile* f : {fromFile->get(), fromMemory->get()}) {
      auto s = f->openStream(f->root(), "a");
      ASSERT_OK(s);
      std::vector<std::uint8_t> buf(1000);
      auto n = s->readAt(0, buf);
      ASSERT_FALSE(n.ok()) << "a damaged chain was read";
      EXPECT_EQ(n.code(), c.expected) << n.error().message();
    }
  }
}

// A write the system refuses part-way (a full disk) fails the call and leaves
// the open object unusable, but the file on disk as it was: opened again, it
// reads as before the call and takes the same write. Every write and
// truncation of each operation is refused in turn.
TEST(CfbRoundTrip, ARefusedWriteLeavesTheFileAsItWasForTheNextOpen) {
  TempDir dir;
  const auto path = dir.file("full.cfb");
  const auto table = pattern(100000, 1);
  struct Case {
    const char* name;
    std::function<cfb::Status(CompoundFile&)> op;
    std::map<std::string, std::vector<std::uint8_t>> after;  // streams the op changes
  };
  auto changedTable = table;
  changedTable[40000] ^= 0xFF;
  const Case cases[] = {
      {"new small stream", [](CompoundFile& f) { return f.writeStream("A1", pattern(700, 2)); },
       {{"A1", pattern(700, 2)}}},
      {"new large stream", [](CompoundFile& f) { return f.writeStream("A1", pattern(9000, 3)); },
       {{"A1", pattern(9000, 3)}}},
      {"replaced stream", [](CompoundFile& f) { return f.writeStream("A0", pattern(5000, 4)); },
       {{"A0", pattern(5000, 4)}}},
      {"one entry of a table",
       [&](CompoundFile& f) -> cfb::Status {
         auto s = f.openStream(f.root(), "hlavicka");
         if (!s) return s.error();
         return s->writeAt(40000, {changedTable.data() + 40000, 1});
       },
       {{"hlavicka", changedTable}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool refused = true;
    for (int k = 1; refused; ++k) {
      SCOPED_TRACE("call " + std::to_string(k));
      {
        auto f = mustCreate(path);
        ASSERT_TRUE(f);
        ASSERT_OK(f->writeStream("A0", pattern(300, 5)));
        ASSERT_OK(f->writeStream("hlavicka", table));
        ASSERT_OK(f->close());
      }
      const std::map<std::string, std::vector<std::uint8_t>> before = {{"A0", pattern(300, 5)}, {"hlavicka", table}};
      auto f = mustOpen(path, OpenMode::ReadWrite);
      ASSERT_TRUE(f);
      int calls = 0;
      f->setFileFaultForTesting([&](CompoundFile::FileCall call, std::uint64_t, std::uint64_t) {
        return call != CompoundFile::FileCall::Sync && ++calls == k ? ENOSPC : 0;
      });
      const cfb::Status st = c.op(*f);
      refused = calls >= k;
      if (!refused) {
        ASSERT_OK(st);  // every call of the operation was refused once
        break;
      }
      ASSERT_FALSE(st.ok());
      EXPECT_EQ(f->writeStream("other", pattern(10, 6)).code(), Errc::broken);
      (void)f->close();

      f = mustOpen(path, OpenMode::ReadWrite);
      ASSERT_TRUE(f);
      EXPECT_OK(f->checkConsistency());
      for (const auto& [name, bytes] : before) EXPECT_EQ(contentOf(*f, name), bytes) << name;
      if (!c.after.contains("A1")) {
        EXPECT_FALSE(f->exists(f->root(), "A1"));
      }
      ASSERT_OK(c.op(*f));
      ASSERT_OK(f->close());
      auto g = mustOpen(path, OpenMode::ReadOnly);
      ASSERT_TRUE(g);
      EXPECT_OK(g->checkConsistency());
      for (const auto& [name, bytes] : c.after) EXPECT_EQ(contentOf(*g, name), bytes) << name;
    }
  }
}
