// A scheduled download from a VKT analyser that starts a file a day, over
// the real download thread and the simulated analyser: the task last ran
// five minutes before midnight, so the download reaches into two days and
// each day's file must get exactly the records of that day.
#include "AppTestSupport.h"
#include "ScheduledDownloadSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "archive/store/VKTArchivImport.h"
#include "link/DownloadTasks.h"
#include "link/Pristroj.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/WaitUntil.h"
#include "tools/instrument_sim/PtySimulator.h"
#include "tools/instrument_sim/SimArchive.h"

#include <QCoreApplication>
#include <QDir>

#include <map>

namespace {

// Minutes after `origin` of the data records of an archive file, with how
// often each was stored; {{-1, 1}} when the file does not open.
std::map<int, int> DataMinutes(const QString& path, CTime origin)
{
    CVKTDownloadArchivData reader;
    if (!reader.OpenByPath(path))
        return {{-1, 1}};
    std::map<int, int> minutes;
    if (reader.OpenFirstBlock()) {
        do {
            for (const CArchivRecord& record : reader.CurrentBlock())
                if (record.IsData())
                    ++minutes[int((std::int64_t(record.time) - std::int64_t(origin.GetTime())) / 60)];
        } while (reader.ReadNextBlock());
    }
    return minutes;
}

std::map<int, int> EachOnce(int from, int to)
{
    std::map<int, int> out;
    for (int m = from; m <= to; ++m)
        out[m] = 1;
    return out;
}

class ScheduledVKTPeriodFilesTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        // A record a minute, the newest at 15 January 2024 12:00.
        line.AddInstrument(sim::Instrument(sim::Family::VKT, 1));
        line.WithInstrument(1, [](sim::Instrument& i) { sim::ServeDefaultMemory(i); });
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;

        app.SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
        auto entry = std::make_unique<CPristroj>(QString::fromStdString(line.SlavePath()), 1, dir.path(), FALSE,
                                                 CPristroj::kVKT, app.LinkEnvironment());
        entry->m_nazev = QStringLiteral("Hala");
        entry->m_soubor = dir.filePath(QStringLiteral("hala"));
        entry->m_merit = 0;
        entry->m_prepisovat = 0;
        entry->m_intervalPrepisovani = 86400; // a file a day
        ASSERT_TRUE(app.AdoptInstrument(nullptr, std::move(entry)));
        std::lock_guard list(app.Tasks().ListLock());
        CTask* task = app.Tasks().Add();
        task->m_active = 1;
        task->m_pristroj = QStringLiteral("Hala");
        task->m_interval = 0; // 8 h
        task->m_lastTime = CTime(midnight.GetTime() - 5 * 60);
        taskIndex = task->m_index;
    }
    void TearDown() override
    {
        if (control) {
            platform::Event done(true, false);
            control->PostThreadMessage(platform::WM_THREAD_END, reinterpret_cast<std::uintptr_t>(&done));
            EXPECT_TRUE(done.Wait(30000));
            EXPECT_TRUE(control->Join(30000));
            control.reset();
        }
        app.ExitInstance();
        line.Stop();
        StoreTest::TearDown();
    }

    CTask Task()
    {
        std::lock_guard list(app.Tasks().ListLock());
        const CTask* task = app.Tasks().Find(taskIndex);
        return task ? *task : CTask{};
    }

    const CTime midnight{2024, 1, 15, 0, 0, 0};
    const CTime newest{2024, 1, 15, 12, 0, 0};
    sim::PtySimulator line;
    CMavexApp app{shelltest::QuietEnvironment()};
    ui::ScriptedMessageBoxes boxes{ui::MsgAnswer::Ok};
    int taskIndex = -1;
    std::unique_ptr<shelltest::ClockedMessages> host;
    std::unique_ptr<shelltest::QuickControl> control;
};

TEST_F(ScheduledVKTPeriodFilesTest, EachDayFileHoldsExactlyTheRecordsOfItsDay)
{
    host = std::make_unique<shelltest::ClockedMessages>(app.Handle());
    host->now = CTime::time_type(Task().m_lastTime.GetTime() + 8 * 3600 + 300); // five minutes overdue
    control = std::make_unique<shelltest::QuickControl>(app.Tasks(), *host);
    ASSERT_TRUE(control->Start());

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
