// Process start to the main window shown: the program with no instruments
// and with 20 measuring instruments on simulated lines, and a minimal Qt
// widget program started the same way (offscreen, a folder of its own).
// The ratio of the program's time to the minimal program's is the figure
// to watch; the goal is 3 at most. And process start to the first poll with
// 10, 100 and 1000 instruments, which should grow no more than linearly.
#include "e2e/RecordingRun.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using namespace std::chrono_literals;

const e2e::FamilySpec kVK{"VK", sim::Family::VK, 2, ".vk", 0x3A};
// Firmware whose values the program polls (an older one only takes settings).
const e2e::FamilySpec kPolledVK{"VK", sim::Family::VK, 2, ".vk", 0x3A, 130};

// Starts the program of a fresh run and times it to its "shown" line.
void TimeStart(benchmark::State& state, const QString& program, int instruments)
{
    for (auto _ : state) {
        constexpr int kLines = 4;
        e2e::RecordingRun run(kLines);
        for (int i = 0; i < instruments; ++i)
            run.AddInstrument(kVK, QStringLiteral("Pristroj %1").arg(i + 1), std::uint8_t(i / kLines + 1), i % kLines);
        QString error;
        // Writing twenty instruments' settings takes longer than the start
        // itself on a busy disk; it is the test's part, not the program's.
        if (!run.Prepare(error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        if (!run.Start(error, program, {QStringLiteral("QORIN_STARTUP_PROBE=1")})) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        if (!run.WaitFor([&] { return run.Output().contains(QStringLiteral("shown")); }, 300s)) {
            state.SkipWithError("no window shown");
            return;
        }
        const auto shown = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
        if (!run.WaitForEnd(120s))
            run.Terminate();
    }
}

void BM_MinimalWidgetProgram(benchmark::State& state)
{
    TimeStart(state, QStringLiteral(MINIMAL_WIDGET_PATH), 0);
}
void BM_ProgramNoInstruments(benchmark::State& state)
{
    TimeStart(state, QString(), 0);
}
void BM_ProgramTwentyInstruments(benchmark::State& state)
{
    TimeStart(state, QString(), 20);
}

// Process start to the first measurement any instrument serves, with N
// measuring instruments on four simulated lines: the list is read and the
// first thread started before the rest, so the time grows with N only as
// reading the list does (linearly), not with the threads still to start.
void BM_ProgramFirstPoll(benchmark::State& state)
{
    const int instruments = int(state.range(0));
    for (auto _ : state) {
        constexpr int kLines = 4;
        e2e::RecordingRun run(kLines);
        std::vector<e2e::ServedValues*> served;
        for (int i = 0; i < instruments; ++i)
            served.push_back(&run.AddInstrument(kPolledVK, QStringLiteral("Pristroj %1").arg(i + 1),
                                                std::uint8_t(i / kLines + 1), i % kLines));
        QString error;
        if (!run.Prepare(error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        if (!run.Start(error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        const auto polled = [&] {
            return std::any_of(served.begin(), served.end(), [](e2e::ServedValues* s) { return s->Count() >= 1; });
        };
        if (!run.WaitFor(polled, 600s)) {
            state.SkipWithError("no instrument was polled");
            return;
        }
        const auto first = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(first - start).count());
        run.Terminate();
    }
    state.counters["instruments"] = instruments;
}

BENCHMARK(BM_MinimalWidgetProgram)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ProgramNoInstruments)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ProgramTwentyInstruments)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ProgramFirstPoll)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
