// Round trip of one request through the link manager to a simulated
// instrument on a pseudo-terminal, without the fixed pause between frames:
// what the program itself adds to an exchange.
#include "link/LinkManager.h"
#include "platform/StringIds.h"
#include "tools/instrument_sim/PtySimulator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

namespace {

// The real clock without its pauses.
class NoPauseClock : public ILinkClock {
public:
    std::int64_t NowSeconds() override { return 0; }
    void Sleep(DWORD) override {}
    void PreciseWait(DWORD) override {}
};

class OnePort : public IPortList {
public:
    explicit OnePort(CPortEntry entry) : m_entry(std::move(entry)) {}
    void Refresh() override {}
    bool Find(const QString& name, CPortEntry& entry) override
    {
        if (name != m_entry.name)
            return false;
        entry = m_entry;
        return true;
    }

private:
    CPortEntry m_entry;
};

void Report(benchmark::State& state, std::vector<double>& micros)
{
    if (micros.empty())
        return;
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
}

void RoundTrip(benchmark::State& state, sim::Family family, int replyLen, bool formatB)
{
    sim::PtySimulator line;
    line.AddInstrument(sim::Instrument(family, 1));
    std::string error;
    if (!line.Start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    CPortEntry entry;
    entry.name = QString::fromStdString(line.SlavePath());
    entry.baud = 115200;
    OnePort ports(entry);
    NoPauseClock clock;
    CLinkManager manager(ports, clock);
    const DWORD id = manager.Register(entry.name, 1);
    if (!manager.Open(id, entry.name, 1, QString())) {
        state.SkipWithError("open failed");
        return;
    }
    BYTE data[512];
    const BYTE command = formatB ? 0x26 : 0x16;
    auto exchange = [&](CLink& link) {
        if (!link.Prepare())
            return FALSE;
        return formatB ? link.ExchangeB(command, nullptr, 0, replyLen, platform::IDS_ERR_CHECKSUM, data)
                       : link.ExchangeA(command, nullptr, 0, replyLen, platform::IDS_ERR_CHECKSUM, data);
    };

    std::vector<double> micros;
    micros.reserve(100000);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const BOOL ok = manager.Request(id, exchange);
        const auto end = std::chrono::steady_clock::now();
        if (!ok) {
            state.SkipWithError("exchange failed");
            break;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    Report(state, micros);
}

void BM_RoundTripFormatA(benchmark::State& state)
{
    RoundTrip(state, sim::Family::Qorin, 70, false); // Qorin configuration read
}

void BM_RoundTripFormatB(benchmark::State& state)
{
    RoundTrip(state, sim::Family::VKT, 41, true); // VKT configuration read
}

BENCHMARK(BM_RoundTripFormatA)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_RoundTripFormatB)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
