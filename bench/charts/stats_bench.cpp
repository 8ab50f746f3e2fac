// Statistics of one year of 1-minute VK records (525,600 records): records
// per second (the goal is at least 1,000,000) and the memory the run takes
// besides the loaded window.
#include "archive/store/VKArchivData.h"
#include "charts_stats/VKStatistics.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

namespace {

// Live and peak heap bytes of the whole program.
std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

void Count(std::size_t bytes)
{
    const std::size_t live = g_live.fetch_add(bytes) + bytes;
    std::size_t peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
}

} // namespace

// Every block carries its size in front so that the frees can count it.
void* operator new(std::size_t bytes)
{
    auto* block = static_cast<std::size_t*>(std::malloc(bytes + sizeof(std::max_align_t)));
    if (!block)
        throw std::bad_alloc();
    *block = bytes;
    Count(bytes);
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void operator delete(void* p) noexcept
{
    if (!p)
        return;
    char* block = static_cast<char*>(p) - sizeof(std::max_align_t);
    g_live.fetch_sub(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

using platform::CTime;
using platform::CTimeSpan;

constexpr int kRecords = 525600;
constexpr int kPerBlock = 1440; // one day a block

CVKConfig Config()
{
    CVKConfig c;
    c.SetDirectVoltage(TRUE);
    c.SetVoltageWord(2300);
    c.SetCtRatioDword(1);
    c.SetNominalPower(10);
    c.SetConnection(0);
    return c;
}

CVKAktData Values(int i)
{
    CVKAktData v;
    for (int k = 0; k < 3; ++k) {
        const int wobble = (i * 7 + k * 13) % 50;
        v.SetU(k, 2280 + wobble);
        v.SetULine(k, 3960 + wobble);
        v.SetI(k, 30000 + 100 * wobble);
        v.SetP(k, (1900 + wobble) * 320000);
        v.SetQ(k, (wobble % 2 ? 500 : -300) * 320000);
        v.SetS(k, 2300 * 320000);
        v.SetPF(k, 90 + wobble % 10);
        v.GetVoltageHarmonics().SetThdCode(k, 4 + wobble % 3);
        v.GetCurrentHarmonics().SetThdCode(k, 10 + wobble % 5);
    }
    return v;
}

std::unique_ptr<CVKArchivData> YearOfMinutes()
{
    auto data = std::make_unique<CVKArchivData>();
    CArchivWindow& w = data->Window();
    const CTime start(2024, 1, 1, 0, 0, 0);
    w.start = start;
    w.span = kRecords * 60;
    w.records.reserve(kRecords + kRecords / kPerBlock + 1);
    const QByteArray settings = CVKArchivData::ConfigPayload(Config());
    for (int i = 0; i < kRecords; ++i) {
        const CTime t = start + CTimeSpan(std::int64_t(i) * 60);
        if (i % kPerBlock == 0) {
            w.blockFirstRecord.push_back(w.records.size());
            w.ringSlots.push_back(int(w.ringSlots.size()));
            w.records.push_back({(t - CTimeSpan(1)).GetTime(), kRecordSettings, settings});
        }
        w.records.push_back({t.GetTime(), kRecordFull, CVKArchivData::BuildFullRecord(Values(i))});
    }
    return data;
}

long PeakRssKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

void BM_VKStatisticsOfAYear(benchmark::State& state)
{
    const auto data = YearOfMinutes();
    std::size_t extraPeak = 0;
    std::size_t segments = 0;
    for (auto _ : state) {
        const std::size_t before = g_live.load();
        g_peak.store(before);
        CVKStatSettings settings;
        settings.filled = 1;
        int lastPercent = 0;
        const auto results =
            charts::stats::ComputeVKStatistics(*data, settings, [&lastPercent](int p) { lastPercent = p; });
        extraPeak = std::max(extraPeak, g_peak.load() - before);
        segments = results.size();
        benchmark::DoNotOptimize(results.data());
        benchmark::DoNotOptimize(lastPercent);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kRecords);
    state.counters["records_per_s"] =
        benchmark::Counter(double(state.iterations()) * kRecords, benchmark::Counter::kIsRate);
    state.counters["segments"] = double(segments);
    state.counters["run_peak_heap_MiB"] = double(extraPeak) / (1 << 20);
    state.counters["process_peak_rss_MiB"] = double(PeakRssKiB()) / 1024;
    // What the records take in an archive file (head and payload each), to
    // set the peak against.
    std::size_t recordBytes = 0;
    for (const CArchivRecord& r : data->Window().records)
        recordBytes += std::size_t(archive::kRecordHeadSize) + std::size_t(r.data.size());
    state.counters["archive_records_MiB"] = double(recordBytes) / (1 << 20);
}
BENCHMARK(BM_VKStatisticsOfAYear)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
