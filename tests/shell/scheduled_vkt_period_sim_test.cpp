// A scheduled download from a VKT analyser that starts a file a day, over
// the real download thread and the simulated analyser: the task last ran
// five minutes before midnight, so the download reaches into two days and
// each day's file must get exactly the records of that day.
#include "ScheduledDownloadSupport.h"

#include "archive/store/VKTArchivImport.h"
#include "support/WaitUntil.h"
#include "tools/instrument_sim/SimArchive.h"

#include <QCoreApplication>
#include <QDir>

#include <map>

namespace {

// Minutes after `origin` of the data records of an archive file, with how
// often each was stored; {{-1, 1}} when the file does not open.
std::map<int, int> DataMinutes(const QString& path, CTime origin)
{
    const std::vector<std::int64_t> seconds = shelltest::DataSeconds<CVKTDownloadArchivData>(path, origin);
    if (seconds == std::vector<std::int64_t>{-1})
        return {{-1, 1}};
    std::map<int, int> minutes;
    for (std::int64_t s : seconds)
        ++minutes[int(s / 60)];
    return minutes;
}

std::map<int, int> EachOnce(int from, int to)
{
    std::map<int, int> out;
    for (int m = from; m <= to; ++m)
        out[m] = 1;
    return out;
}

class ScheduledVKTPeriodFilesTest : public shelltest::ScheduledTaskTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        // A record a minute, the newest at 15 January 2024 12:00.
        line.AddInstrument(sim::Instrument(sim::Family::VKT, 1));
        line.WithInstrument(1, [](sim::Instrument& i) { sim::ServeDefaultMemory(i); });
        StartApp(
            CPristroj::kVKT,
            [](CPristroj& entry) {
                entry.m_merit = 0;
                entry.m_prepisovat = 0;
                entry.m_intervalPrepisovani = 86400; // a file a day
            },
            CTime(midnight.GetTime() - 5 * 60));
    }

    const CTime midnight{2024, 1, 15, 0, 0, 0};
    const CTime newest{2024, 1, 15, 12, 0, 0};
};

TEST_F(ScheduledVKTPeriodFilesTest, EachDayFileHoldsExactlyTheRecordsOfItsDay)
{
    StartControl(CTime::time_type(Task().m_lastTime.GetTime() + 8 * 3600 + 300)); // five minutes overdue

    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
            QCoreApplication::processEvents();
            const CTask task = Task();
            return !task.m_running && (task.m_lastTime == newest || task.m_failures > 0 || !boxes.Requests().empty());
        },
        240000))
        << "running " << Task().m_running;
    EXPECT_TRUE(boxes.Requests().empty()) << boxes.Requests()[0].text.toStdString();
    EXPECT_EQ(Task().m_lastTime, newest);
    EXPECT_EQ(Task().m_failures, 0);

    EXPECT_EQ(DataMinutes(dir.filePath(QStringLiteral("hala_Y24D0114H00.vkt")), midnight), EachOnce(-5, -1));
    EXPECT_EQ(DataMinutes(dir.filePath(QStringLiteral("hala_Y24D0115H00.vkt")), midnight), EachOnce(0, 12 * 60));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("hala.vkt"))));
    const QStringList left = QDir(dir.path()).entryList({QStringLiteral("*.tmp"), QStringLiteral("*.vkt")},
                                                         QDir::Files);
    EXPECT_EQ(left.size(), 2) << left.join(u' ').toStdString();
}

} // namespace
