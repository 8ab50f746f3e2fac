// Benchmarks of the compound-file library (not a test).
//  - Write100kStreams: 100,000 streams of 4 KiB into one file, one transaction
//    each; time per stream of the first and of the last thousand (the last
//    must stay within 1.5x of the first: nothing may walk all chains).
//    CFB_BENCH_STREAMS overrides the count.
//  - Read100MiB: one 100 MiB stream read in 1 MiB pieces, against a plain
//    read of the same bytes from an ordinary file (both from the page cache).
//    The page cache keeps a file in pieces as large as the writes that made
//    it (the plain file is one write, the compound file many), and larger
//    pieces copy faster; the *_reread counters measure again after both
//    files were dropped from the cache and read in the same way, which
//    leaves the library's own cost.
// Files go to $TMPDIR (or /tmp) and are removed afterwards.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/cfb/cfb.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string tempPath(const std::string& name) {
  const char* t = std::getenv("TMPDIR");
  return (std::filesystem::path(t ? t : "/tmp") / ("bench_cfb_" + std::to_string(::getpid()) + "_" + name)).string();
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Write100kStreams(benchmark::State& state) {
  const char* env = std::getenv("CFB_BENCH_STREAMS");
  const int n = env ? std::max(2000, std::atoi(env)) : 100000;
  std::vector<std::uint8_t> data(4096);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i * 31 + 7);
  const std::string path = tempPath("streams.cfb");
  for (auto _ : state) {
    auto f = cfb::CompoundFile::create(path, {.overwrite = true});
    if (!f) {
      state.SkipWithError(f.error().message().c_str());
      return;
    }
    std::vector<double> perThousand;
    auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) {
      data[0] = std::uint8_t(i);
      auto st = (*f)->writeStream("A" + std::to_string(i), data);
      if (!st) {
        state.SkipWithError(st.error().message().c_str());
        return;
      }
      if ((i + 1) % 1000 == 0) {
        const auto t1 = Clock::now();
        perThousand.push_back(seconds(t1 - t0));
        t0 = t1;
      }
    }
    const auto c0 = Clock::now();
    auto st = (*f)->close();
    const double closeS = seconds(Clock::now() - c0);
    if (!st) state.SkipWithError(st.error().message().c_str());
    const double first = perThousand.front() / 1000 * 1e6;
    const double last = perThousand.back() / 1000 * 1e6;
    double total = 0;
    for (double s : perThousand) total += s;
    state.counters["streams"] = n;
    state.counters["first1k_us_per_stream"] = first;
    state.counters["last1k_us_per_stream"] = last;
    state.counters["last_over_first"] = last / first;
    state.counters["mean_us_per_stream"] = total / n * 1e6;
    state.counters["close_ms"] = closeS * 1e3;
    state.counters["file_MiB"] = double(std::filesystem::file_size(path)) / (1 << 20);
  }
  std::filesystem::remove(path);
}
BENCHMARK(Write100kStreams)->Iterations(1)->Unit(benchmark::kSecond);

void Read100MiB(benchmark::State& state) {
  constexpr std::size_t kSize = 100u << 20;
  constexpr std::size_t kChunk = 1u << 20;
  std::vector<std::uint8_t> data(kSize);
  for (std::size_t i = 0; i < kSize; ++i) data[i] = std::uint8_t((i * 2654435761u) >> 13);
  const std::string cfbPath = tempPath("big.cfb");
  const std::string plainPath = tempPath("big.bin");
  {
    auto f = cfb::CompoundFile::create(cfbPath, {.overwrite = true});
    if (!f || !(*f)->writeStream("A0", data) || !(*f)->close()) {
      state.SkipWithError("cannot write the compound file");
      return;
    }
    const int fd = ::open(plainPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, data.data(), kSize) != static_cast<ssize_t>(kSize)) {
      state.SkipWithError("cannot write the plain file");
      return;
    }
    ::close(fd);
  }
  std::vector<std::uint8_t> buf(kChunk);
  auto opened = cfb::CompoundFile::open(cfbPath, cfb::OpenMode::ReadOnly);
  auto stream = (*opened)->openStream((*opened)->root(), "A0");
  auto readCfb = [&] {
    auto* s = &*stream;
    std::uint64_t sum = 0;
    for (std::uint64_t off = 0; off < kSize; off += kChunk) {
      auto n = s->readAt(off, buf);
      sum += buf[0] + *n;
    }
    benchmark::DoNotOptimize(sum);
  };
  auto readPlain = [&] {
    const int fd = ::open(plainPath.c_str(), O_RDONLY);
    std::uint64_t sum = 0;
    for (std::uint64_t off = 0; off < kSize; off += kChunk) {
      const ssize_t n = ::pread(fd, buf.data(), kChunk, static_cast<off_t>(off));
      sum += buf[0] + std::uint64_t(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(sum);
  };
  readCfb();  // warm the page cache
  readPlain();
  auto best = [&](auto&& read) {
    double b = 1e9;
    for (int rep = 0; rep < 5; ++rep) {
      const auto t0 = Clock::now();
      read();
      b = std::min(b, seconds(Clock::now() - t0));
    }
    return b;
  };
  for (auto _ : state) {
    double bestCfb = 1e9, bestPlain = 1e9, bestOpen = 1e9;
    for (int rep = 0; rep < 5; ++rep) {
      auto o0 = Clock::now();
      {
        auto f = cfb::CompoundFile::open(cfbPath, cfb::OpenMode::ReadOnly);
        auto s = (*f)->openStream((*f)->root(), "A0");
        std::uint8_t one[1];
        benchmark::DoNotOptimize(s->readAt(kSize - 1, one));  // loads the whole chain
      }
      bestOpen = std::min(bestOpen, seconds(Clock::now() - o0));
      auto t0 = Clock::now();
      readCfb();
      bestCfb = std::min(bestCfb, seconds(Clock::now() - t0));
      t0 = Clock::now();
      readPlain();
      bestPlain = std::min(bestPlain, seconds(Clock::now() - t0));
    }
    state.counters["open_and_chain_ms"] = bestOpen * 1e3;
    state.counters["cfb_ms"] = bestCfb * 1e3;
    state.counters["plain_ms"] = bestPlain * 1e3;
    state.counters["cfb_over_plain"] = bestCfb / bestPlain;
    state.counters["cfb_GiB_per_s"] = double(kSize) / bestCfb / (1u << 30);
    for (const std::string& path : {cfbPath, plainPath}) {
      const int fd = ::open(path.c_str(), O_RDONLY);
      ::fdatasync(fd);  // only clean pages can be dropped
      ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
      ::close(fd);
    }
    readCfb();
    readPlain();
    const double cfbReread = best(readCfb);
    const double plainReread = best(readPlain);
    state.counters["cfb_ms_reread"] = cfbReread * 1e3;
    state.counters["plain_ms_reread"] = plainReread * 1e3;
    state.counters["cfb_over_plain_reread"] = cfbReread / plainReread;
  }
  opened = cfb::Error(cfb::Errc::closed);  // close before removing
  std::filesystem::remove(cfbPath);
  std::filesystem::remove(plainPath);
}
BENCHMARK(Read100MiB)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
