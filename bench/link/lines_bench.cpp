// Many instruments, each on a line of its own, polled once an interval as
// the measurement threads poll them: how many polls each instrument gets per
// interval and how much of a core the polling costs per instrument, at N
// instruments. The goal: every poll on time (one per interval, answered
// before the next is due) and the cost per instrument flat as N grows.
#include "link/LinkManager.h"
#include "model/Iden.h"
#include "tools/instrument_sim/PtySimulator.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class Ports : public IPortList {
public:
    void Refresh() override {}
    bool Find(const QString& name, CPortEntry& entry) override
    {
        std::lock_guard lock(m_lock);
        const auto found = m_entries.find(name);
        if (found == m_entries.end())
            return false;
        entry = found->second;
        return true;
    }
    void Add(const QString& name)
    {
        CPortEntry entry;
        entry.name = name;
        entry.baud = 115200;
        std::lock_guard lock(m_lock);
        m_entries[name] = entry;
    }

private:
    std::mutex m_lock;
    std::map<QString, CPortEntry> m_entries;
};

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

constexpr int kIntervals = 10;
constexpr std::chrono::milliseconds kInterval{1000};

struct Poller {
    DWORD id = 0;
    int onTime = 0;   // polls answered before the next one was due
    int answered = 0;
    double cpu = 0;   // seconds of this poller's thread
};

void BM_InstrumentsOnLinesOfTheirOwn(benchmark::State& state)
{
    const int count = int(state.range(0));

    std::vector<std::unique_ptr<sim::PtySimulator>> lines;
    Ports ports;
    for (int i = 0; i < count; ++i) {
        auto line = std::make_unique<sim::PtySimulator>();
        line->AddInstrument(sim::Instrument(sim::Family::VK, 1));
        std::string error;
        if (!line->Start(error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        ports.Add(QString::fromStdString(line->SlavePath()));
        lines.push_back(std::move(line));
    }
    CLinkManager manager(ports);
    std::vector<Poller> pollers(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QString port = QString::fromStdString(lines[std::size_t(i)]->SlavePath());
        pollers[std::size_t(i)].id = manager.Register(port, 1);
        if (!manager.Open(pollers[std::size_t(i)].id, port, 1, QString())) {
            state.SkipWithError("open failed");
            return;
        }
    }

    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        std::vector<std::thread> threads;
        for (Poller& p : pollers) {
            p.onTime = p.answered = 0;
            threads.emplace_back([&manager, &p, start] {
                const double cpuBefore = ThreadCpuSeconds();
                for (int k = 0; k < kIntervals; ++k) {
                    const auto due = start + k * kInterval;
                    std::this_thread::sleep_until(due);
                    CIden iden;
                    if (!manager.Request(p.id, &CLink::ReadIdentification, iden))
                        continue;
                    ++p.answered;
                    if (std::chrono::steady_clock::now() < due + kInterval)
                        ++p.onTime;
                }
                p.cpu = ThreadCpuSeconds() - cpuBefore;
            });
        }
        for (std::thread& t : threads)
            t.join();
    }

    std::vector<int> onTime;
    double cpu = 0;
    for (const Poller& p : pollers) {
        onTime.push_back(p.onTime);
        cpu += p.cpu;
    }
    std::sort(onTime.begin(), onTime.end());
    const double wall = std::chrono::duration<double>(kIntervals * kInterval).count();
    state.counters["instruments"] = count;
    state.counters["polls_per_interval_min"] = double(onTime.front()) / kIntervals;
    state.counters["polls_per_interval_median"] = double(onTime[onTime.size() / 2]) / kIntervals;
    state.counters["cpu_percent_per_instrument"] = 100.0 * cpu / wall / count;
}

BENCHMARK(BM_InstrumentsOnLinesOfTheirOwn)
    ->Arg(10)
    ->Arg(50)
    ->Arg(200)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
