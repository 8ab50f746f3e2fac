// Painting a full-HD graph window with three traces: the cost must not grow
// with the number of points (the traces are reduced to pixel columns), so
// 1,000,000 points per trace may cost at most 1.5 times what 10,000 do.
#include "tests/charts/graph_sample.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

using platform::CTime;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Three traces of `points` points over one day, a gap every 50,000 points.
std::vector<std::unique_ptr<CGraphTrace>> MakeTraces(int points)
{
    std::vector<std::unique_ptr<CGraphTrace>> traces;
    const CTime origin(2024, 3, 12, 0, 0, 0);
    const int span = 86400;
    const std::uint32_t colours[3] = {0x00C00000, 0x000000C0, 0x00008000};
    for (int k = 0; k < 3; ++k) {
        auto trace = std::make_unique<CGraphTrace>(QStringLiteral("U%1").arg(k + 1), QStringLiteral("V"), QString(),
                                                   colours[k], 250.0f, 200.0f);
        trace->Rescale(origin, span, false);
        trace->SetPointCount(0, points);
        for (int i = 0; i < points; ++i) {
            if (i % 50000 == 49999) {
                trace->SetGap(0, i, false);
                continue;
            }
            const double t = double(i) / points;
            const double v = 230 + 8 * std::sin(t * 40 + k) + 4 * std::sin(i * 0.37 + k);
            trace->SetPoint(0, i, origin + platform::CTimeSpan(std::int64_t(t * span)), v);
        }
        traces.push_back(std::move(trace));
    }
    return traces;
}

// An archive graph of full-HD size over the traces.
void SetUp(CSampleGraphWnd& graph, const std::vector<std::unique_ptr<CGraphTrace>>& traces)
{
    graph.SetOffline(true);
    for (const auto& t : traces)
        graph.traces.push_back(t.get());
    graph.resize(kWidth, kHeight);
    graph.Redraw();
}

void BM_PaintGraph(benchmark::State& state)
{
    const auto traces = MakeTraces(int(state.range(0)));
    CSampleGraphWnd graph;
    SetUp(graph, traces);
    graph.SetTimeCursor(true);
    graph.cursor = 500;
    // The first paint after the points changed indexes the long channels;
    // BM_FirstPaint measures that one.
    (void)graph.RenderImage();
    int segments = 0;
    for (auto _ : state) {
        QImage image = graph.RenderImage();
        benchmark::DoNotOptimize(image.constBits());
        segments = graph.lastSegments;
    }
    state.counters["segments"] = segments;
    state.counters["columns"] = graph.PlotRect().Width() + 1;
    if (segments > graph.PlotRect().Width() + 1)
        state.SkipWithError("more segments than pixel columns");
}
BENCHMARK(BM_PaintGraph)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Scrolling a half-width window: every paint draws another part of the
// traces, through the column index.
void BM_ScrollPaint(benchmark::State& state)
{
    const auto traces = MakeTraces(int(state.range(0)));
    CSampleGraphWnd graph;
    SetUp(graph, traces);
    (void)graph.RenderImage();
    int step = 0;
    for (auto _ : state) {
        const int x0 = (step++ * 7) % 500;
        graph.SetWindow(x0, 0, x0 + 500, 1000);
        QImage image = graph.RenderImage();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ScrollPaint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A paint right after the points changed (a live graph that took a point).
void BM_FirstPaint(benchmark::State& state)
{
    const auto traces = MakeTraces(int(state.range(0)));
    CSampleGraphWnd graph;
    SetUp(graph, traces);
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto& t : traces)
            t->SetGap(0, i++ % int(state.range(0)), false);
        state.ResumeTiming();
        QImage image = graph.RenderImage();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_FirstPaint)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Keeps the time of each run to report the ratio at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto small = reporter.times.find("BM_PaintGraph/10000");
    const auto large = reporter.times.find("BM_PaintGraph/1000000");
    if (small != reporter.times.end() && large != reporter.times.end() && small->second > 0) {
        const double ratio = large->second / small->second;
        std::printf("paint 1920x1080, 3 traces: 10,000 points %.2f ms, 1,000,000 points %.2f ms, ratio %.2f (goal <= 1.5)\n",
                    small->second, large->second, ratio);
    }
    benchmark::Shutdown();
    return 0;
}
