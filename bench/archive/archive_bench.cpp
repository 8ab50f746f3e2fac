// Appending blocks to one archive file: the time per block must not grow
// with the number of blocks already in the file (the header is rewritten
// entry by entry, not whole, and every block is one new stream).
#include "archive/store/ArchivData.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

constexpr int kBlocks = 100000;
constexpr int kRecords = 30;
constexpr int kSample = 1000;

class BenchArchivData : public CArchivData {
public:
    BenchArchivData() : CArchivData(1) {}

protected:
    void InitHeader(int slotTotal, const QString& name, BOOL) override { SetNewHeader(slotTotal, name + ".bench"); }
};

void AppendBlocks(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        std::uint32_t now = platform::CTime(2024, 3, 10, 10, 0, 0).GetTime();
        BenchArchivData data;
        data.SetTimeSource([&now]() { return platform::CTime(now); });
        if (!data.Create(kBlocks * 60, 1, 60, dir.filePath("bench"), ".bench", TRUE, TRUE, "Bench")) {
            state.SkipWithError("cannot create the archive");
            return;
        }
        const QByteArray payload(24, 'x');
        double first = 0;
        double last = 0;
        for (int block = 0; block < kBlocks; ++block) {
            const auto start = std::chrono::steady_clock::now();
            for (int r = 0; r < kRecords; ++r)
                data.AddRecord(QString::fromLatin1(payload), kRecordState);
            now += 60;
            const int mode = data.EndBlock(FALSE, TRUE, 60);
            if (!data.Flush(FALSE, mode, "Bench")) {
                state.SkipWithError("a block was not written");
                return;
            }
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (block < kSample)
                first += seconds;
            else if (block >= kBlocks - kSample)
                last += seconds;
        }
        state.counters["first_us_per_block"] = first / kSample * 1e6;
        state.counters["last_us_per_block"] = last / kSample * 1e6;
        state.counters["last_to_first"] = last / first;
    }
}

BENCHMARK(AppendBlocks)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
