// A scheduled download from start to end: the application with the
// program's families, a VK analyser on a simulated line, and the
// scheduled-download thread talking to the application through its thread
// messages. The task falls due, the thread downloads the new records, the
// application imports them into the task's archive, and the task is idle
// and up to date again; the next run completes the same archive. The
// records keep their own times although the run skipped the older ones.
#include "AppTestSupport.h"
#include "ScheduledDownloadSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "archive/store/VKArchivImport.h"
#include "link/DownloadControl.h"
#include "link/DownloadTasks.h"
#include "link/Pristroj.h"
#include "model/PrevodTyp.h"
#include "platform/ui/MessageBox.h"
#include "support/WaitUntil.h"
#include "tools/instrument_sim/PtySimulator.h"
#include "tools/instrument_sim/SimArchive.h"
#include "support/ScriptedMessageBoxes.h"

#include "shell/TaskManagerDlg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTableWidget>
#include <QTimer>
#include <QDir>
#include <QFile>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using shelltest::ClockedMessages;
using shelltest::QuickControl;

// The times of the data records of an archive file, in file order, as
// minutes after `origin`; {-1} when the file does not open.
std::vector<int> DataMinutes(const QString& path, CTime origin)
{
    CVKDownloadArchivData reader;
    if (!reader.OpenByPath(path))
        return {-1};
    std::vector<int> minutes;
    if (reader.OpenFirstBlock()) {
        do {
            for (const CArchivRecord& record : reader.CurrentBlock())
                if (record.IsData())
                    minutes.push_back(int((std::int64_t(record.time) - std::int64_t(origin.GetTime())) / 60));
        } while (reader.ReadNextBlock());
    }
    return minutes;
}

std::vector<int> Minutes(int from, int to)
{
    std::vector<int> out;
    for (int m = from; m <= to; ++m)
        out.push_back(m);
    return out;
}

class ScheduledDownloadSimTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        line.AddInstrument(sim::Instrument(sim::Family::VK, 1));
        // Three voltages and three currents per record, one record a minute.
        line.WithInstrument(1, sim::RecordVKVoltagesAndCurrents);
        Record(80, newest);
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;

        app.SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
        auto entry = std::make_unique<CPristroj>(QString::fromStdString(line.SlavePath()), 1, dir.path(), FALSE,
                                                 CPristroj::kVK, app.LinkEnvironment());
        entry->m_nazev = QStringLiteral("Hala");
        entry->m_soubor = dir.filePath(QStringLiteral("hala"));
        entry->m_merit = 0;
        entry->m_prepisovat = overwrite ? 1 : 0;
        entry->m_intervalPrepisovani = 86400; // a file a day when not overwriting
        ASSERT_TRUE(app.AdoptInstrument(nullptr, std::move(entry)));
        std::lock_guard list(app.Tasks().ListLock());
        CTask* task = app.Tasks().Add();
        task->m_active = 1;
        task->m_pristroj = QStringLiteral("Hala");
        task->m_interval = 0; // 8 h
        task->m_lastTime = CTime(newest.GetTime() - 9 * 60); // record 70
        taskIndex = task->m_index;
    }
    void TearDown() override
    {
        StopControl();
        app.ExitInstance();
        line.Stop();
        StoreTest::TearDown();
    }

    void StartControl()
    {
        host = std::make_unique<ClockedMessages>(app.Handle());
        // Five minutes overdue; the new records make it due again only in 8 h.
        host->now = CTime::time_type(newest.GetTime() - 9 * 60 + 8 * 3600 + 300);
        control = std::make_unique<QuickControl>(app.Tasks(), *host);
        ASSERT_TRUE(control->Start());
    }
    // Ends the download thread as the program does at exit.
    void StopControl()
    {
        if (!control)
            return;
        platform::Event done(true, false);
        control->PostThreadMessage(platform::WM_THREAD_END, reinterpret_cast<std::uintptr_t>(&done));
        EXPECT_TRUE(done.Wait(30000));
        EXPECT_TRUE(control->Join(30000));
        control.reset();
    }
    template <class F>
    static bool RunUntil(F done)
    {
        return testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                return done();
            },
            120000);
    }
    QStringList TempFiles() const { return QDir(dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files); }
    // The "Poslední stažení" column of the task as the download manager shows it.
    QString LastDownloadShown()
    {
        QString shown = QStringLiteral("<no dialog>");
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<CTaskManagerDlg*>(widget);
                if (!dialog || !dialog->isVisible())
                    continue;
                auto* list = dialog->findChild<QTableWidget*>(QString::number(CTaskManagerDlg::IdList));
                shown = list && list->rowCount() == 1 && list->item(0, 4) ? list->item(0, 4)->text() : QString();
                poll.stop();
                dialog->reject();
                return;
            }
        });
        poll.start(10);
        app.OnDownloadManager(nullptr);
        return shown;
    }

    // `count` records written so far, a minute apart in a ring of 50, the
    // newest at `time`.
    void Record(std::uint64_t count, CTime time)
    {
        line.WithInstrument(1, [&](sim::Instrument& i) {
            i.FillArchive(0, 50, 12, count);
            CPrevodTyp::TimeToBcd(i.blocks[0x14].data() + 28, time);
        });
    }
    // The task as the application's list has it.
    CTask Task()
    {
        std::lock_guard list(app.Tasks().ListLock());
        const CTask* task = app.Tasks().Find(taskIndex);
        return task ? *task : CTask{};
    }
    // Runs the application's event loop until the task ran and is idle again
    // with its last download at `last` (generous bound).
    bool RunUntilIdleAt(CTime last)
    {
        return testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                const CTask task = Task();
                return !task.m_running && task.m_lastTime == last;
            },
            120000);
    }

    CTime newest{2024, 1, 15, 10, 0, 0};
    // The instrument overwrites one file cyclically; else it starts a new
    // file every day.
    bool overwrite = true;
    sim::PtySimulator line;
    CMavexApp app{shelltest::QuietEnvironment()};
    ui::ScriptedMessageBoxes boxes{ui::MsgAnswer::Ok};
    int taskIndex = -1;
    std::unique_ptr<ClockedMessages> host;
    std::unique_ptr<QuickControl> control;
};

TEST_F(ScheduledDownloadSimTest, DueTaskDownloadsImportsAndGoesIdle)
{
    const QString archive = dir.filePath(QStringLiteral("hala.vk"));
    StartControl();

    ASSERT_TRUE(RunUntilIdleAt(newest)) << "running " << Task().m_running;
    CTask task = Task();
    EXPECT_EQ(task.m_failures, 0);
    EXPECT_EQ(task.m_error, 0);
    // Records 70 to 79, minutes -9 to 0 before the newest.
    EXPECT_EQ(DataMinutes(archive, newest), Minutes(-9, 0));
    EXPECT_EQ(app.Tasks().m_downloadCopy, nullptr);
    EXPECT_EQ(LastDownloadShown(), newest.Format(QStringLiteral("%H:%M:%S %d.%m.%y")));
    // No temporary file is left behind.
    const QStringList left = QDir(dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files);
    EXPECT_TRUE(left.isEmpty()) << left.join(u' ').toStdString();

    // Five more records; the task falls due again and completes the archive.
    const CTime later(newest.GetTime() + 5 * 60);
    Record(85, later);
    host->now = CTime::time_type(newest.GetTime() + 8 * 3600 + 60);
    ASSERT_TRUE(RunUntilIdleAt(later)) << "running " << Task().m_running;
    task = Task();
    EXPECT_EQ(task.m_failures, 0);
    EXPECT_EQ(DataMinutes(archive, newest), Minutes(-9, 5)); // records 70 to 84, each once
    EXPECT_TRUE(boxes.Requests().empty()) << boxes.Requests()[0].text.toStdString();
}

// An import that fails (the task's archive is no archive) leaves the task's
// last download where it was, so the next run fetches the same records, and
// leaves no temporary file behind.
TEST_F(ScheduledDownloadSimTest, FailedImportLeavesTheTaskWhereItWas)
{
    const QString archive = dir.filePath(QStringLiteral("hala.vk"));
    {
        QFile file(archive);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("no archive");
    }
    const CTime before = Task().m_lastTime;
    StartControl();
    ASSERT_TRUE(RunUntil([&] { return !boxes.Requests().empty(); }));
    StopControl();
    const CTask task = Task();
    EXPECT_EQ(task.m_lastTime, before);
    EXPECT_EQ(task.m_running, 0);
    EXPECT_TRUE(TempFiles().isEmpty()) << TempFiles().join(u' ').toStdString();
    EXPECT_TRUE(boxes.Requests()[0].text.contains(QDir::toNativeSeparators(archive)))
        << boxes.Requests()[0].text.toStdString();
}

// An instrument whose status holds records without a valid newest time:
// nothing is imported (no records dated 1970), the run counts as failed and
// the task keeps its last download.
TEST_F(ScheduledDownloadSimTest, StatusWithoutNewestTimeImportsNothing)
{
    line.WithInstrument(1, [](sim::Instrument& i) { std::fill_n(i.blocks[0x14].begin() + 28, 6, 0); });
    const QString archive = dir.filePath(QStringLiteral("hala.vk"));
    const CTime before = Task().m_lastTime;
    StartControl();
    ASSERT_TRUE(RunUntil([&] { return Task().m_failures > 0 || QFile::exists(archive); }));
    StopControl();
    EXPECT_FALSE(QFile::exists(archive));
    EXPECT_EQ(Task().m_lastTime, before);
    EXPECT_FALSE(LastDownloadShown().isEmpty());
    EXPECT_TRUE(TempFiles().isEmpty()) << TempFiles().join(u' ').toStdString();
}

// An instrument that starts a file a day gets the downloaded records in the
// files of their days (the last run was four minutes before midnight).
class ScheduledPeriodFilesSimTest : public ScheduledDownloadSimTest {
protected:
    ScheduledPeriodFilesSimTest()
    {
        newest = CTime(2024, 1, 15, 0, 4, 0);
        overwrite = false;
    }
};

TEST_F(ScheduledPeriodFilesSimTest, RecordsGoIntoTheFilesOfTheirDays)
{
    StartControl();
    ASSERT_TRUE(RunUntilIdleAt(newest)) << "running " << Task().m_running;
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("hala.vk"))));
    EXPECT_EQ(DataMinutes(dir.filePath(QStringLiteral("hala_Y24D0114H00.vk")), newest), Minutes(-9, -5));
    EXPECT_EQ(DataMinutes(dir.filePath(QStringLiteral("hala_Y24D0115H00.vk")), newest), Minutes(-4, 0));
    EXPECT_TRUE(TempFiles().isEmpty()) << TempFiles().join(u' ').toStdString();
    EXPECT_TRUE(boxes.Requests().empty()) << boxes.Requests()[0].text.toStdString();
}

} // namespace
