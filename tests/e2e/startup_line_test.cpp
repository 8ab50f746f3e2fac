// Start-up with silent instruments on the line of a live one: the live one
// is activated without waiting for theirs and keeps its intervals while
// they stay silent.
#include "e2e/RecordingRun.h"

#include "archive/store/ArchivRecord.h"
#include "link/Pristroj.h"
#include "platform/Cp1250.h"
#include "tools/archivetool/ArchiveTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>

namespace {

using namespace std::chrono_literals;
using e2e::FamilySpec;
using e2e::RecordingRun;

const FamilySpec kQorin{"Qorin", sim::Family::Qorin, CPristroj::kQorin, ".qor", 0x30};

TEST(StartUpLineTest, SilentInstrumentsOnTheLineLeaveTheLiveOneItsIntervals)
{
    RecordingRun run;
    ASSERT_TRUE(run.Valid());
    // Read before the live one: their names come first.
    constexpr int kSilent = 6;
    for (int i = 0; i < kSilent; ++i)
        run.AddInstrument(kQorin, QStringLiteral("A tichý %1").arg(i + 1), std::uint8_t(2 + i)).silent = true;
    e2e::ServedValues& live = run.AddInstrument(kQorin, QStringLiteral("Z živý"), 1);
    // Regulating (state 6), so that every reply is stored.
    live.vary = [](int, sim::Bytes& data) {
        data[32] = 0x06;
        data[33] = 0x00;
    };
    QString error;
    ASSERT_TRUE(run.Start(error)) << error.toStdString();
    // Timed from the program's first request on the line, not from its
    // start: a loaded machine may take long to start the program at all.
    ASSERT_TRUE(run.WaitFor([&] { return run.Line().RequestCount() >= 1; }, 180s)) << run.Output().toStdString();
    const auto talking = std::chrono::steady_clock::now();
    ASSERT_TRUE(run.WaitFor([&] { return live.Count() >= 1; }, 180s)) << run.Output().toStdString();
    const auto firstPoll = std::chrono::steady_clock::now() - talking;
    ASSERT_TRUE(run.WaitFor([&] { return live.Count() >= 15; }, 180s)) << run.Output().toStdString();
    const auto stopping = std::time(nullptr);
    ASSERT_EQ(run.Terminate(), 0) << run.Output().toStdString();

    // A start that waited for each silent one's activation (10 s each)
    // would not have polled the live one for a minute.
    EXPECT_LT(firstPoll, 45s);
    CArchivRecordList records;
    QString instrument;
    ASSERT_TRUE(archivetool::ReadArchiveRecords(run.ArchivePath(QStringLiteral("Z živý")), records, instrument, error))
        << error.toStdString();
    const auto data = std::count_if(records.begin(), records.end(), [](const CArchivRecord& r) { return r.IsData(); });
    EXPECT_GE(data, 14);
    // Once it has answered, every due poll of the live one is made: the
    // silent ones' requests, however long they have waited for the line,
    // let it go next, so no outage record follows its first measurement.
    // (While the program ends the silent ones' threads one by one, its main
    // thread takes no hand-over; a poll may be missed then.)
    const auto first = std::find_if(records.begin(), records.end(), [](const CArchivRecord& r) { return r.IsData(); });
    std::string outages;
    for (auto r = first; r != records.end() && std::time_t(r->time) < stopping; ++r)
        if (r->type == kRecordError)
            outages += std::to_string(r->time) + " " + platform::FromCp1250(r->data).toStdString() + "\n";
    EXPECT_EQ(outages, "");
}

} // namespace
