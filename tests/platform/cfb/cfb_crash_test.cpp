// Crash safety: a child process writes to an archive-like file and is killed
// at a random moment; the file must open, and every stream must read back as
// the child last reported it (the operation in flight may or may not have
// happened, but nothing else may be lost or torn).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <random>

#include "cfb_test_util.h"

using cfb::CompoundFile;
using cfbtest::pattern;
using cfbtest::TempDir;

namespace {

using Model = std::map<std::string, std::vector<std::uint8_t>>;

// The child's operations, the same in the child and in the parent's model.
struct Op {
  enum Kind { Write, Append, Replace, Rename, Destroy, SetSize } kind;
  std::string name, to;
  std::vector<std::uint8_t> data;
  std::uint64_t size = 0;
};

Op makeOp(std::uint32_t seed, std::uint32_t step, const Model& m) {
  std::mt19937 rng(seed * 100003u + step);
  const std::string name = "A" + std::to_string(rng() % 40);
  const int k = int(rng() % 12);
  // sizes on both sides of the 4096-byte cutoff, sometimes large
  auto size = [&] {
    const int r = int(rng() % 10);
    return std::size_t(r < 5 ? rng() % 4096 : r < 9 ? 4096 + rng() % 30000 : 200000 + rng() % 200000);
  };
  if (k < 3) return {Op::Write, name, {}, pattern(size(), seed * 7919u + step), 0};
  if (k < 5 && m.count(name)) return {Op::Append, name, {}, pattern(1 + rng() % 3000, step), 0};
  if (k < 7) return {Op::Replace, "hlavicka", {}, pattern(264 + 4 * (rng() % 200), step), 0};
  if (k < 8 && m.count(name)) return {Op::Rename, name, "A" + std::to_string(40 + step), {}, 0};
  if (k < 10 && m.count(name)) return {Op::Destroy, name, {}, {}, 0};
  if (m.count(name)) return {Op::SetSize, name, {}, {}, std::uint64_t(size())};
  return {Op::Write, name, {}, pattern(size(), step), 0};
}

void applyOp(Model& m, const Op& op) {
  switch (op.kind) {
    case Op::Write:
    case Op::Replace: m[op.name] = op.data; break;
    case Op::Append: m[op.name].insert(m[op.name].end(), op.data.begin(), op.data.end()); break;
    case Op::Rename:
      if (!m.count(op.to)) {
        m[op.to] = m[op.name];
        m.erase(op.name);
      }
      break;
    case Op::Destroy: m.erase(op.name); break;
    case Op::SetSize: m[op.name].resize(std::size_t(op.size), 0); break;
  }
}

bool runOp(CompoundFile& f, const Op& op, const Model& m) {
  switch (op.kind) {
    case Op::Write:
    case Op::Replace: return f.writeStream(op.name, op.data).ok();
    case Op::Append: {
      auto s = f.openStream(f.root(), op.name);
      return s.ok() && s->writeAt(m.at(op.name).size(), op.data).ok();
    }
    case Op::Rename: return m.count(op.to) || f.rename(f.root(), op.name, op.to).ok();
    case Op::Destroy: return f.destroy(f.root(), op.name).ok();
    case Op::SetSize: {
      auto s = f.openStream(f.root(), op.name);
      return s.ok() && s->setSize(op.size).ok();
    }
  }
  return false;
}

// Child: opens the file, runs operations, reports each finished one.
[[noreturn]] void child(const std::string& path, std::uint32_t seed, int reportFd, Model m) {
  auto f = CompoundFile::open(path, cfb::OpenMode::ReadWrite);
  if (!f) _exit(3);
  for (std::uint32_t step = 0;; ++step) {
    const Op op = makeOp(seed, step, m);
    if (!runOp(**f, op, m)) _exit(4);
    applyOp(m, op);
    if (::write(reportFd, &step, sizeof step) != sizeof step) _exit(5);
  }
}

std::optional<std::string> compare(CompoundFile& f, const Model& m) {
  auto items = f.list();
  if (!items) return items.error().message();
  if (items->size() != m.size()) return "element count " + std::to_string(items->size()) + " vs " + std::to_string(m.size());
  for (auto& [name, data] : m) {
    auto r = f.readStream(name);
    if (!r) return name + ": " + r.error().message();
    if (*r != data) return name + ": content differs";
  }
  return std::nullopt;
}

std::string listing(const std::map<std::string, std::string>& m) {
  std::string s;
  for (const auto& [name, line] : m) s += name + "\t" + line + "\n";
  return s;
}

// Forks a writer running `body` with the writing end of a pipe on which it
// reports each finished operation; the parent keeps the reading end. The
// child never returns into the test.
template <class Body>
pid_t forkWriter(int& reports, Body body) {
  int fds[2];
  if (::pipe(fds) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    body(fds[1]);
    _exit(0);
  }
  ::close(fds[1]);
  if (pid < 0) {
    ::close(fds[0]);
    return pid;
  }
  reports = fds[0];
  return pid;
}

// The file a kill test starts from: streams on both sides of the mini-stream
// cutoff and a header stream.
void writeSeed(const std::string& path, Model& model) {
  auto f = CompoundFile::create(path, {.overwrite = true});
  ASSERT_OK(f);
  for (int i = 0; i < 10; ++i) {
    model["A" + std::to_string(i)] = pattern(std::size_t(i) * 900, i);
    ASSERT_OK((*f)->writeStream("A" + std::to_string(i), model["A" + std::to_string(i)]));
  }
  model["hlavicka"] = pattern(264, 99);
  ASSERT_OK((*f)->writeStream("hlavicka", model["hlavicka"]));
  ASSERT_OK((*f)->close());
}

// A killed writer's file, opened both ways, must be whole and hold the state
// after its last finished operation or after the one in flight.
void expectFinishedOrInFlight(const std::string& path, const Model& finished, const Model& inFlight, std::uint32_t done) {
  for (auto mode : {cfb::OpenMode::ReadOnly, cfb::OpenMode::ReadWrite}) {
    auto f = CompoundFile::open(path, mode);
    ASSERT_OK(f);
    EXPECT_OK((*f)->checkConsistency());
    auto a = compare(**f, finished);
    auto b = compare(**f, inFlight);
    EXPECT_TRUE(!a || !b) << "after " << done << " operations: " << *a << " / with the next one: " << *b;
  }
}

}  // namespace

TEST(CfbCrash, KilledWriterLeavesEveryFinishedStreamIntact) {
  TempDir dir;
  std::mt19937 timing(12345);
  int killedMidway = 0;
  for (std::uint32_t runNo = 0; runNo < 20; ++runNo) {
    SCOPED_TRACE("run " + std::to_string(runNo));
    const auto path = dir.file("crash" + std::to_string(runNo) + ".cfb");
    Model model;
    ASSERT_NO_FATAL_FAILURE(writeSeed(path, model));
    int reports = -1;
    const pid_t pid = forkWriter(reports, [&](int reportFd) { child(path, runNo + 1, reportFd, model); });
    ASSERT_GE(pid, 0);
    // wait for the first finished operation (a slow start under load must
    // not make the run trivial), then let it write for 0 to 40 ms more
    std::uint32_t step, done = 0;
    bool any = false;
    if (::read(reports, &step, sizeof step) == sizeof step) {
      done = step + 1;
      any = true;
    }
    ::usleep(timing() % 40000);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    // what the child reported as finished
    while (::read(reports, &step, sizeof step) == sizeof step) {
      done = step + 1;
      any = true;
    }
    ::close(reports);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child ended by itself with status " << status;
    if (any) ++killedMidway;
    // replay the model to `done` operations, and one more for the one in flight
    Model finished = model;
    for (std::uint32_t s = 0; s < done; ++s) applyOp(finished, makeOp(runNo + 1, s, finished));
    Model inFlight = finished;
    applyOp(inFlight, makeOp(runNo + 1, done, inFlight));

    ASSERT_NO_FATAL_FAILURE(expectFinishedOrInFlight(path, finished, inFlight, done));
    // and the file still takes writes
    auto f = CompoundFile::open(path, cfb::OpenMode::ReadWrite);
    ASSERT_OK(f);
    ASSERT_OK((*f)->writeStream("after", pattern(5000, 1)));
    ASSERT_OK((*f)->close());
  }
  EXPECT_EQ(killedMidway, 20);
}

namespace {

std::vector<Op> fixedSequence() {
  return {
      {Op::Write, "A10", {}, pattern(3000, 10), 0},    // new mini stream
      {Op::Write, "A11", {}, pattern(20000, 11), 0},   // new regular stream
      {Op::Append, "A3", {}, pattern(2000, 3), 0},     // 2700 -> 4700: out of the mini stream
      {Op::Replace, "hlavicka", {}, pattern(800, 4), 0},
      {Op::Rename, "A5", "A55", {}, 0},
      {Op::Destroy, "A2", {}, {}, 0},
      {Op::SetSize, "A9", {}, {}, 1000},               // regular -> mini
      {Op::SetSize, "A1", {}, {}, 10000},              // mini -> regular
      {Op::Write, "A4", {}, pattern(150000, 44), 0},   // replace with a large one
      {Op::Append, "A11", {}, pattern(70000, 12), 0},  // append to a regular stream
      {Op::Write, "A12", {}, pattern(600, 13), 0},
  };
}

}  // namespace

TEST(CfbCrash, KilledAtEveryWriteOfASequence) {
  TempDir dir;
  const auto seedPath = dir.file("seed.cfb");
  Model model;
  ASSERT_NO_FATAL_FAILURE(writeSeed(seedPath, model));
  const auto seed = cfbtest::readFile(seedPath);
  const auto ops = fixedSequence();
  // Count the writes of the whole sequence.
  const auto path = dir.file("k.cfb");
  std::uint64_t total = 0;
  {
    cfbtest::writeFile(path, seed);
    auto f = CompoundFile::open(path, cfb::OpenMode::ReadWrite);
    ASSERT_OK(f);
    (*f)->setWriteHookForTesting([&](std::uint64_t n) { total = n; });
    Model m = model;
    for (const Op& op : ops) {
      ASSERT_TRUE(runOp(**f, op, m));
      applyOp(m, op);
    }
    ASSERT_OK((*f)->flush());
    ASSERT_OK((*f)->close());
    auto g = CompoundFile::open(path, cfb::OpenMode::ReadOnly);
    ASSERT_OK(g);
    auto diff = compare(**g, m);
    ASSERT_FALSE(diff) << *diff;
  }
  ASSERT_GT(total, ops.size() * 2);
  // A standard reader, which knows nothing of our commit, must see the old or
  // the new state at every write too.
  const std::string py = cfbtest::pythonWithOlefile();
  auto olefileModel = [](const Model& m) {
    std::map<std::string, std::string> v;
    for (const auto& [name, data] : m) v[name] = cfbtest::olefileLine(data);
    return v;
  };
  int olefileChecked = 0;
  for (std::uint64_t killAt = 1; killAt <= total; ++killAt) {
    SCOPED_TRACE("killed at write " + std::to_string(killAt));
    cfbtest::writeFile(path, seed);
    int reports = -1;
    const pid_t pid = forkWriter(reports, [&](int reportFd) {
      auto f = CompoundFile::open(path, cfb::OpenMode::ReadWrite);
      if (!f) _exit(3);
      (*f)->setWriteHookForTesting([killAt](std::uint64_t n) {
        if (n == killAt) ::kill(::getpid(), SIGKILL);
      });
      Model m = model;
      for (std::uint32_t i = 0; i < ops.size(); ++i) {
        if (!runOp(**f, ops[i], m)) _exit(4);
        applyOp(m, ops[i]);
        if (::write(reportFd, &i, sizeof i) != sizeof i) _exit(5);
      }
      (void)(*f)->flush();
      (void)(*f)->close();
    });
    ASSERT_GE(pid, 0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    std::uint32_t step, done = 0;
    while (::read(reports, &step, sizeof step) == sizeof step) done = step + 1;
    ::close(reports);
    ASSERT_TRUE(WIFSIGNALED(status)) << "child status " << status;
    Model finished = model;
    for (std::uint32_t s = 0; s < done; ++s) applyOp(finished, ops[s]);
    Model inFlight = finished;
    if (done < ops.size()) applyOp(inFlight, ops[done]);
    if (!py.empty()) {
      // before our own reader opens it: a writable open tidies the file
      const auto seen = cfbtest::olefileView(py, path);
      EXPECT_TRUE(seen == olefileModel(finished) || seen == olefileModel(inFlight))
          << "olefile sees neither the state after " << done << " operations nor the one after the next";
      ++olefileChecked;
    }
    ASSERT_NO_FATAL_FAILURE(expectFinishedOrInFlight(path, finished, inFlight, done));
  }
  if (py.empty()) GTEST_SKIP() << "python3 with olefile (python3-olefile) not installed: checked with our reader only";
  EXPECT_EQ(olefileChecked, int(total));
}

// A file past the header's 109 FAT sectors, the rest listed in a DIFAT
// sector: changes near its end, near its start, and both at once. The
// file as it is before every single write must read as the state before the
// operation in flight or after it, for our reader and for olefile.
TEST(CfbCrash, EveryWriteToAFileWithADifatChainLeavesTheOldOrTheNewState) {
  TempDir dir;
  const auto path = dir.file("large.cfb");
  Model model;
  {
    auto f = CompoundFile::create(path, {.overwrite = true});
    ASSERT_OK(f);
    // two streams of 4 MiB: about 130 FAT sectors, the last ones listed in
    // a DIFAT sector
    model["A0"] = pattern(4u << 20, 1);
    model["A1"] = pattern(4u << 20, 2);
    for (int i = 2; i < 10; ++i) model["A" + std::to_string(i)] = pattern(std::size_t(i) * 1500, i);
    model["hlavicka"] = pattern(264, 99);
    for (const auto& [name, data] : model) ASSERT_OK((*f)->writeStream(name, data));
    ASSERT_OK((*f)->close());
  }
  const std::vector<Op> ops = {
      {Op::Write, "A10", {}, pattern(20000, 10), 0},   // new stream at the end of the file
      {Op::Append, "A0", {}, pattern(3000, 11), 0},    // a chain ending in the header's FAT sectors
      {Op::Append, "A1", {}, pattern(5000, 12), 0},    // one ending in the DIFAT sector's
      {Op::Write, "A1", {}, pattern(9000, 14), 0},     // 4 MiB freed at once
      {Op::Write, "A11", {}, pattern(30000, 15), 0},   // into the freed sectors
      {Op::Destroy, "A2", {}, {}, 0},
      {Op::SetSize, "A0", {}, {}, 100000},
  };
  const std::string py = cfbtest::pythonWithOlefile();
  constexpr std::size_t kHashLimit = 1u << 16;
  auto olefileModel = [](const Model& m) {
    std::map<std::string, std::string> v;
    for (const auto& [name, data] : m) v[name] = cfbtest::olefileLine(data, kHashLimit);
    return v;
  };
  Model before = model, after = model;
  std::size_t opNo = 0;
  int checked = 0;
  auto f = CompoundFile::open(path, cfb::OpenMode::ReadWrite);
  ASSERT_OK(f);
  (*f)->setWriteHookForTesting([&](std::uint64_t n) {
    SCOPED_TRACE("write " + std::to_string(n) + " of operation " + std::to_string(opNo));
    auto snapshot = CompoundFile::openMemory(cfbtest::readFile(path));
    ASSERT_OK(snapshot);
    EXPECT_OK((*snapshot)->checkConsistency());
    auto a = compare(**snapshot, before);
    auto b = compare(**snapshot, after);
    EXPECT_TRUE(!a || !b) << *a << " / with the operation: " << *b;
    if (!py.empty()) {
      const auto seen = cfbtest::olefileView(py, path, kHashLimit);
      EXPECT_TRUE(seen == olefileModel(before) || seen == olefileModel(after))
          << "olefile sees neither the state before the operation nor the one after it:\n"
          << listing(seen);
    }
    ++checked;
  });
  for (opNo = 0; opNo < ops.size(); ++opNo) {
    applyOp(after, ops[opNo]);
    ASSERT_TRUE(runOp(**f, ops[opNo], before));
    before = after;
  }
  ASSERT_OK((*f)->close());
  EXPECT_GT(checked, int(ops.size()));
  auto g = CompoundFile::open(path, cfb::OpenMode::ReadOnly);
  ASSERT_OK(g);
  EXPECT_OK((*g)->checkConsistency());
  auto diff = compare(**g, after);
  EXPECT_FALSE(diff) << *diff;
}
