// The program ended by a signal while every family's live window is open:
// it ends normally, each window keeps its state under its own instrument,
// and nothing else is added to the settings. And ended so while forty
// instruments record, and while a thousand are starting.
#include "e2e/RecordingRun.h"

#include "archive/store/ArchivRecord.h"
#include "link/Pristroj.h"
#include "platform/Cp1250.h"
#include "platform/Settings.h"
#include "support/FileWrites.h"
#include "tools/archivetool/ArchiveTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>

namespace {

using namespace std::chrono_literals;
using e2e::FamilySpec;
using e2e::RecordingRun;

const FamilySpec kFamilies[] = {
    {"Qorin", sim::Family::Qorin, CPristroj::kQorin, ".qor", 0x30},
    {"Duskar", sim::Family::Duskar, CPristroj::kDuskar, ".dsk", 0x30},
    {"VK", sim::Family::VK, CPristroj::kVK, ".vk", 0x3A, 130},
    {"VKR", sim::Family::VKR, CPristroj::kVKR, ".vkr", 0x3A},
    {"VKT", sim::Family::VKT, CPristroj::kVKT, ".vkt", 0x3A},
};

// `count` VK analysers "Rozvaděč 1".. spread over the run's `lines` lines,
// their names appended to `names`.
std::vector<e2e::ServedValues*> AddAnalysers(RecordingRun& run, int count, int lines, QStringList& names)
{
    std::vector<e2e::ServedValues*> served;
    for (int i = 0; i < count; ++i) {
        names << QStringLiteral("Rozvaděč %1").arg(i + 1);
        served.push_back(&run.AddInstrument(kFamilies[2], names.back(), std::uint8_t(i / lines + 1), i % lines));
    }
    return served;
}

TEST(ShutDownTest, SignalWithEveryFamilysLiveWindowOpenEndsNormally)
{
    RecordingRun run;
    ASSERT_TRUE(run.Valid());
    std::vector<e2e::ServedValues*> served;
    QStringList names;
    std::uint8_t address = 1;
    for (const FamilySpec& family : kFamilies) {
        const QString name = QString::fromLatin1(family.name) + QStringLiteral(" živě");
        served.push_back(&run.AddInstrument(family, name, address++));
        run.SetInstrumentValue(name, QStringLiteral("zobrazovat"), 1);
        names << name;
    }
    QString error;
    ASSERT_TRUE(run.Start(error)) << error.toStdString();
    // A few measurements each: the windows have shown values.
    ASSERT_TRUE(run.WaitFor(
        [&] { return std::all_of(served.begin(), served.end(), [](auto* s) { return s->Count() >= 4; }); }, 300s))
        << run.Output().toStdString();

    ASSERT_EQ(run.Terminate(SIGTERM), 0) << run.Output().toStdString();

    platform::Settings store(run.SettingsFile());
    QStringList stored = store.SubSections(QStringLiteral("pristroje"));
    stored.sort();
    names.sort();
    EXPECT_EQ(stored, names);
    for (const QString& name : names) {
        const platform::SettingsSection key{QStringLiteral("pristroje"), name};
        // Still shown at the next start, with the panes, placement and graph
        // the window had.
        EXPECT_EQ(store.GetProfileInt(key, QStringLiteral("zobrazovat"), -1), 1) << name.toStdString();
        for (const char* value : {"isGraf", "cx"})
            EXPECT_TRUE(store.Contains(key, QString::fromLatin1(value))) << name.toStdString() << " " << value;
    }
}

// Forty analysers on four lines, all recording when the signal comes:
// every measurement served before it is in its archive, none is missed on
// the way out (an outage record), and the settings file is written once.
TEST(ShutDownTest, SignalWhileFortyInstrumentsRecordKeepsEveryMeasurement)
{
    constexpr int kLines = 4;
    constexpr int kInstruments = 40;
    RecordingRun run(kLines);
    ASSERT_TRUE(run.Valid());
    QStringList names;
    const std::vector<e2e::ServedValues*> served = AddAnalysers(run, kInstruments, kLines, names);
    QString error;
    ASSERT_TRUE(run.Start(error)) << error.toStdString();
    ASSERT_TRUE(run.WaitFor(
        [&] { return std::all_of(served.begin(), served.end(), [](auto* s) { return s->Count() >= 4; }); }, 600s))
        << run.Output().toStdString();

    testsupport::FileWrites settingsWrites(run.SettingsFile());
    ASSERT_TRUE(settingsWrites.Valid());
    const std::time_t signalled = std::time(nullptr);
    ASSERT_EQ(run.Terminate(SIGTERM), 0) << run.Output().toStdString();
    EXPECT_EQ(settingsWrites.Count(), 1);

    for (int i = 0; i < kInstruments; ++i) {
        SCOPED_TRACE(names[i].toStdString());
        CArchivRecordList records;
        QString instrument;
        ASSERT_TRUE(archivetool::ReadArchiveRecords(run.ArchivePath(names[i]), records, instrument, error))
            << error.toStdString();
        const int count = served[std::size_t(i)]->Count();
        const auto data = std::count_if(records.begin(), records.end(), [](const CArchivRecord& r) { return r.IsData(); });
        // The reply in flight when the signal came may be the one not stored.
        EXPECT_GE(data, count - 1);
        EXPECT_LE(data, count);
        std::string outages;
        for (const CArchivRecord& r : records)
            if (r.type == kRecordError && std::time_t(r.time) >= signalled)
                outages += std::to_string(r.time) + " " + platform::FromCp1250(r.data).toStdString() + "\n";
        EXPECT_EQ(outages, "");
    }
}

// A thousand analysers on four lines: the start reads the list at once and
// begins polling while most threads are still to start; a signal then ends
// the program normally, without waiting for the rest of the start, and the
// settings file keeps every instrument as it was, measuring.
TEST(ShutDownTest, SignalDuringTheStartOfAThousandInstrumentsEndsNormally)
{
    constexpr int kLines = 4;
    constexpr int kInstruments = 1000;
    RecordingRun run(kLines);
    ASSERT_TRUE(run.Valid());
    QStringList names;
    const std::vector<e2e::ServedValues*> served = AddAnalysers(run, kInstruments, kLines, names);
    QString error;
    ASSERT_TRUE(run.Start(error)) << error.toStdString();
    ASSERT_TRUE(run.WaitFor(
        [&] { return std::any_of(served.begin(), served.end(), [](auto* s) { return s->Count() >= 1; }); }, 300s))
        << run.Output().toStdString();

    ASSERT_EQ(run.Terminate(SIGTERM), 0) << run.Output().toStdString();

    platform::Settings store(run.SettingsFile());
    platform::SettingsBatch oneReading;
    EXPECT_EQ(store.GetProfileInt(QStringLiteral("Obecne nastaveni"), QStringLiteral("pocet pristroju"), -1),
              kInstruments);
    QStringList stored = store.SubSections(QStringLiteral("pristroje"));
    ASSERT_EQ(stored.size(), kInstruments);
    int measuring = 0;
    for (int i = 0; i < kInstruments; ++i) {
        const platform::SettingsSection key{QStringLiteral("pristroje"), names[i]};
        measuring += store.GetProfileInt(key, QStringLiteral("merit"), 0);
        EXPECT_EQ(store.GetProfileInt(key, QStringLiteral("adresa"), 0), i / kLines + 1) << names[i].toStdString();
    }
    EXPECT_EQ(measuring, kInstruments);
}

} // namespace
