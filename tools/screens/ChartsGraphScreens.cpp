// The graph window (live and archive), the range bar and the archive tool
// bar, over a controller archive recorded here through the archive store.
#include "tools/screens/Screens.h"

#include "archive/store/QorinArchivData.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivToolBar.h"
#include "tests/charts/graph_sample.h"

#include <QDir>
#include <QMainWindow>

#include <atomic>
#include <cmath>
#include <memory>

namespace {

using platform::CTime;
using platform::CTimeSpan;

const CTime kStart(2024, 3, 12, 6, 0, 0);
constexpr int kRecords = 8 * 60; // eight hours, one a minute
constexpr int kPerBlock = 60;

CQorinAktData Values(int i)
{
    CQorinAktData v;
    v.ctWord = 0x8000 | 20; // 100/5 A
    v.model = 3;
    const double day = std::sin(i / 70.0);
    v.current = WORD(11000 + 4000 * day + 600 * std::sin(i / 3.0));
    v.activeCurrent = std::int16_t(10000 + 3500 * day);
    v.reactiveCurrent = std::int16_t(2500 * std::cos(i / 45.0) - 800);
    v.thdCode = BYTE(30 + 20 * std::sin(i / 25.0));
    v.cosPhi = std::int8_t(93 + 5 * std::sin(i / 40.0));
    return v;
}

void RegisterSeries(CArchivSeriesRegistry& registry)
{
    registry.AddGraphSeries(QStringLiteral("Cos"), QString(), QStringLiteral("cos"), 0x00C00000, 1.2f, 0.8f);
    registry.AddGraphSeries(QStringLiteral("Proud"), QStringLiteral("A"), QStringLiteral("I"), 0x000000C0, 100, 0);
    registry.AddGraphSeries(QStringLiteral("THD"), QStringLiteral("%"), QStringLiteral("THD"), 0x00008000, 10, 0);
}

// Eight hours of a controller written by the store's own writer, read back
// with the graph series of its first four hours loaded. The writer's live
// series stay in `live`.
struct RecordedArchive {
    std::shared_ptr<std::atomic<std::uint32_t>> now = std::make_shared<std::atomic<std::uint32_t>>(0);
    CQorinArchivData writer;
    CQorinArchivData reader;

    bool Record(const QString& dir)
    {
        auto clock = now;
        const QString path = QDir(dir).filePath(QStringLiteral("rozvadec"));
        writer.SetTimeSource([clock] { return CTime(clock->load()); });
        now->store((kStart - CTimeSpan(30)).GetTime());
        if (writer.Create(kRecords * 60, kPerBlock, 60, path, QStringLiteral(".qar"), TRUE, TRUE,
                          QStringLiteral("Linka")) != 1)
            return false;
        RegisterSeries(writer.SeriesRegistry());
        writer.ResetGraphTimeBase(kRecords * 60);
        CConfig config;
        config.ctRatio = 20;
        writer.AddConfigRecord(config);
        for (int i = 0; i < kRecords; ++i) {
            now->store((kStart + CTimeSpan(i * 60)).GetTime());
            writer.AddMeasurementRecord(Values(i));
            if (i % kPerBlock == kPerBlock - 1) {
                now->store((kStart + CTimeSpan(i * 60 + 30)).GetTime());
                const int mode = writer.EndBlock(FALSE, TRUE, 60);
                writer.Flush(FALSE, mode, QStringLiteral("Linka"));
            }
        }
        writer.ScaleCurrentSeries(FALSE);
        writer.PublishToGraphs();
        writer.WaitWriterIdle(10000);

        reader.SetTimeSource([clock] { return CTime(clock->load()); });
        if (reader.Open(path + QStringLiteral(".qar")) != 1 || reader.ReadHeader() != 1)
            return false;
        RegisterSeries(reader.SeriesRegistry());
        return reader.LoadWindowGraphs(0, 4) == 1;
    }
};

} // namespace

QORIN_SCREENS(ChartsGraph)
{
    RecordedArchive archive;
    if (!archive.Record(shot.scratchDir())) {
        shot.fail(QStringLiteral("ChartsGraph: the archive could not be recorded"));
        return;
    }
    auto tracesOf = [](CArchivSeriesRegistry& registry) {
        std::vector<const CGraphTrace*> traces;
        for (const char* name : {"Cos", "Proud", "THD"})
            if (const CGraphTrace* t = registry.FindGraphSeries(QString::fromLatin1(name)))
                traces.push_back(t);
        return traces;
    };
    {
        CSampleGraphWnd live;
        live.traces = tracesOf(archive.writer.SeriesRegistry());
        live.cursor = 1000;
        live.resize(900, 480);
        live.Redraw();
        shot.save(&live, QStringLiteral("CGraphWnd-live"));
    }
    {
        CSampleGraphWnd offline;
        offline.SetOffline(true);
        offline.SetTimeCursor(true);
        offline.SetGrid(true);
        offline.traces = tracesOf(archive.reader.SeriesRegistry());
        offline.cursor = 380;
        offline.resize(900, 480);
        offline.Redraw();
        shot.save(&offline, QStringLiteral("CGraphWnd-offline"));

        offline.SetHorzRange(300, CGraphWnd::kTimeAxis | CGraphWnd::kValueAxis);
        shot.save(&offline, QStringLiteral("CGraphWnd-zoomed"));

        offline.SetHorzRange(100, CGraphWnd::kTimeAxis | CGraphWnd::kValueAxis);
        offline.busy = true;
        offline.Redraw();
        shot.save(&offline, QStringLiteral("CGraphWnd-busy"));
    }
    {
        QWidget view;
        view.resize(1000, 40);
        auto* bar = new CGraphRangeBar(&view);
        bar->setGeometry(0, 0, 1000, 40);
        bar->SetRange(kStart, kStart + CTimeSpan(kRecords * 60));
        bar->SetLimits(kStart, kStart + CTimeSpan(4 * 3600));
        shot.save(&view, QStringLiteral("CGraphRangeBar"));
        bar->SetRange(kStart, kStart + CTimeSpan(3 * 86400));
        bar->SetLimits(kStart + CTimeSpan(86400), kStart + CTimeSpan(2 * 86400));
        // The width an archive view first gives its bar: short captions with
        // both date pickers, every tab whole.
        const int width = bar->sizeHint().width();
        bar->setGeometry(0, 0, width, 40);
        view.resize(width, 40);
        shot.save(&view, QStringLiteral("CGraphRangeBar-days"));
    }
    {
        QMainWindow main;
        auto* bar = new CArchivToolBar(&main);
        main.addToolBar(bar);
        main.setCentralWidget(new QWidget(&main));
        main.resize(760, 60);
        bar->FillTimeCombo({QStringLiteral("6:00 "), QStringLiteral("7:00 "), QStringLiteral("8:00 ")},
                           QStringLiteral("6:00 "));
        bar->FillZoomCombo({QStringLiteral("15min "), QStringLiteral("1hod "), QStringLiteral("4hod ")},
                           QStringLiteral("4hod "));
        bar->SetSlider(0, 16, 32);
        shot.save(&main, QStringLiteral("CArchivToolBar"));
    }
}
