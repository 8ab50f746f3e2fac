// The statistics panel of a Qorin archive recorded by the store: an
// afternoon of a controller on a 100/5 A transformer with a change of its
// required power factor, in the "Proud", "Výkon" and "Cos" tabs.
#include "tools/screens/Screens.h"

#include "archive_docs/ArchivDocData.h"
#include "archive/store/QorinArchivData.h"
#include "charts/QorinStatPanel.h"

#include <QDir>
#include <QTabBar>

#include <atomic>
#include <cmath>
#include <memory>

namespace {

CConfig Config(int requiredHundredths)
{
    CConfig c;
    c.ctRatio = 20;
    c.tarif1.t0 = BYTE(std::int8_t(requiredHundredths));
    return c;
}

// Minute i: the load swells and falls, now and then over-compensated.
CQorinAktData Values(int i)
{
    CQorinAktData v;
    v.ctWord = 0x8000 | 20;
    v.model = 3;
    const double load = 0.55 + 0.35 * std::sin(i / 40.0);
    v.current = WORD(8000 * load);
    v.activeCurrent = std::int16_t(7400 * load);
    v.reactiveCurrent = std::int16_t((i % 17 == 0 ? -900 : 1800) * load);
    v.thdCode = BYTE(18 + i % 9);
    v.cosPhi = 95;
    return v;
}

// Four hours of one-minute records; false when the file could not be made.
bool WriteQorinArchive(const QString& path, platform::CTime start)
{
    auto now = std::make_shared<std::atomic<std::uint32_t>>(start.GetTime() - 30);
    CQorinArchivData writer;
    writer.SetTimeSource([now] { return platform::CTime(now->load()); });
    if (writer.Create(604800, 60, 60, path, CQorinArchivData::Extension(), TRUE, TRUE, QStringLiteral("Kompenzace")) != 1)
        return false;
    writer.AddConfigRecord(Config(95));
    for (int i = 0; i < 240; ++i) {
        if (i == 150) {
            now->store(start.GetTime() + std::uint32_t(i * 60 - 10));
            writer.AddConfigRecord(Config(98));
        }
        now->store(start.GetTime() + std::uint32_t(i * 60));
        writer.AddMeasurementRecord(Values(i));
        if (i % 60 == 59) {
            now->store(start.GetTime() + std::uint32_t(i * 60 + 30));
            const int mode = writer.EndBlock(FALSE, TRUE, 60);
            writer.Flush(FALSE, mode, QStringLiteral("Kompenzace"));
        }
    }
    const bool written = writer.WaitWriterIdle(10000);
    writer.Close();
    return written;
}

} // namespace

QORIN_SCREENS(ChartsStatisticsQorin)
{
    const QString base = QDir(shot.scratchDir()).filePath(QStringLiteral("kompenzace"));
    TArchivDocData<CQorinArchivData> data;
    if (!WriteQorinArchive(base, platform::CTime(2009, 2, 1, 12, 0, 0))
        || !data.Open(base + CQorinArchivData::Extension()) || !data.OpenAtEnd()) {
        shot.fail(QStringLiteral("no Qorin archive for the statistics"));
        return;
    }
    platform::CTime first;
    platform::CTime last;
    data.GetFileRange(first, last);
    data.SetWindow(first, last);
    CQorinStatPanel panel;
    panel.resize(980, 620);
    panel.SetArchivData(&data, &data);
    // Opens on its first segment, the one of the required factor 0.95.
    panel.Refresh();
    shot.save(&panel, QStringLiteral("CQorinStatPanel"));
    panel.Tabs().Quantities().SelectTab(1);
    shot.save(&panel.Tabs(), QStringLiteral("CStatTabCtrl-Qorin-power"));
    panel.Tabs().Quantities().SelectTab(2);
    shot.save(&panel.Tabs(), QStringLiteral("CStatTabCtrl-Qorin-cos"));
    panel.FreeResults();
    data.Close();
}
