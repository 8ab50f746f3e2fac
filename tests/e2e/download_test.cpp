// The program fetching an analyser's recording by itself: a download task
// of a VK analyser that starts a file per day falls due at once, and the
// records it served land in the day files, each once, at their own times.
#include "e2e/RecordingRun.h"

#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/Time32.h"
#include "tools/archivetool/ArchiveTool.h"
#include "tools/instrument_sim/SimArchive.h"

#include <gtest/gtest.h>

#include <QDir>

#include <chrono>
#include <set>

namespace {

using namespace std::chrono_literals;
using e2e::FamilySpec;
using platform::CTime;
using e2e::RecordingRun;

const FamilySpec kVK{"VK", sim::Family::VK, CPristroj::kVK, ".vk", 0x3A, 130};

// The minutes of the data records in every archive file of `folder`, with
// the number of files that held any.
struct Fetched {
    std::multiset<std::int64_t> minutes;
    int files = 0;
};

Fetched ReadFolder(const QString& folder)
{
    Fetched out;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.vk")}, QDir::Files)) {
        CArchivRecordList records;
        QString instrument, error;
        if (!archivetool::ReadArchiveRecords(QDir(folder).filePath(name), records, instrument, error))
            continue;
        bool any = false;
        for (const CArchivRecord& r : records) {
            if (r.IsData()) {
                out.minutes.insert(std::int64_t(r.time) / 60);
                any = true;
            }
        }
        out.files += any ? 1 : 0;
    }
    return out;
}

TEST(DownloadRunTest, ADueTaskFillsTheDayFilesWithWhatTheAnalyserHeld)
{
    RecordingRun run;
    ASSERT_TRUE(run.Valid());
    const QString name = QStringLiteral("Rozvodna");
    run.AddInstrument(kVK, name, 1);
    // Held: 1000 records a minute apart, the newest at 15 January 2024 12:00.
    run.Line().WithInstrument(1, [](sim::Instrument& i) { sim::ServeDefaultMemory(i); });
    // Not measuring, a file a day.
    run.SetInstrumentValue(name, QStringLiteral("merit"), 0);
    run.SetInstrumentValue(name, QStringLiteral("zaznamenavat"), 0);
    run.SetInstrumentValue(name, QStringLiteral("prepisovat"), 0);
    run.SetInstrumentValue(name, QStringLiteral("intervalPrepisovani"), 86400);
    QString error;
    ASSERT_TRUE(run.Prepare(error)) << error.toStdString();
    {
        // A task never run: due at once.
        platform::Settings store(run.SettingsFile());
        const platform::SettingsSection task{QStringLiteral("tasks"), QStringLiteral("T0")};
        store.WriteProfileInt({QStringLiteral("tasks"), QStringLiteral("nastaveni")}, QStringLiteral("lastIndex"), 1);
        store.WriteProfileInt(task, QStringLiteral("index"), 0);
        store.WriteProfileInt(task, QStringLiteral("isAktiv"), 1);
        store.WriteProfileString(task, QStringLiteral("pristroj"), name);
        store.WriteProfileString(task, QStringLiteral("nazev"), QStringLiteral("denně"));
        store.WriteProfileInt(task, QStringLiteral("interval"), 3);
    }
    ASSERT_TRUE(run.Start(error)) << error.toStdString();

    const CTime newest(2024, 1, 15, 12, 0, 0);
    std::multiset<std::int64_t> held;
    for (std::int64_t n = 0; n < 1000; ++n)
        held.insert(std::int64_t(newest.GetTime()) / 60 - n);
    const QString folder = QFileInfo(run.ArchivePath(name)).absolutePath();
    ASSERT_TRUE(run.WaitFor([&] { return ReadFolder(folder).minutes.size() >= held.size(); }, 600s))
        << run.Output().toStdString();
    ASSERT_EQ(run.Terminate(SIGTERM), 0) << run.Output().toStdString();

    const Fetched fetched = ReadFolder(folder);
    EXPECT_EQ(fetched.minutes, held);
    // 14 January 19:21 to 15 January 12:00: two days, two files.
    EXPECT_EQ(fetched.files, 2);
    // No downloaded copy is left over, and the task knows its last download.
    EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*.tmp")}, QDir::Files).isEmpty());
    platform::Settings store(run.SettingsFile());
    EXPECT_EQ(store.GetProfileInt({QStringLiteral("tasks"), QStringLiteral("T0")}, QStringLiteral("lastTime"), 0),
              int(newest.GetTime()));
}

} // namespace
