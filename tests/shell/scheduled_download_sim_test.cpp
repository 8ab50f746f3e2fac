// A scheduled download from start to end: the application with the
// program's families, a VK analyser on a simulated line, and the
// scheduled-download thread talking to the application through its thread
// messages. The task falls due, the thread downloads the new records, the
// application imports them into the task's archive, and the task is idle
// and up to date again; the next run completes the same archive. The
// records keep their own times although the run skipped the older ones.
#include "ScheduledDownloadSupport.h"

#include "archive/store/VKArchivImport.h"
#include "model/PrevodTyp.h"
#include "platform/ui/MessageBox.h"
#include "support/WaitUntil.h"
#include "tools/instrument_sim/SimArchive.h"

#include "shell/TaskManagerDlg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTableWidget>
#include <QTimer>
#include <QDir>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <map>
#include <chrono>
#include <thread>

namespace {

// The times of the data records of a VK archive file, in file order, as
// seconds after `origin`; {-1} when the file does not open.
std::vector<std::int64_t> DataSeconds(const QString& path, CTime origin)
{
    return shelltest::DataSeconds<CVKDownloadArchivData>(path, origin);
}

// The same as minutes.
std::vector<int> DataMinutes(const QString& path, CTime origin)
{
    const std::vector<std::int64_t> seconds = DataSeconds(path, origin);
    if (seconds == std::vector<std::int64_t>{-1})
        return {-1};
    std::vector<int> minutes;
    for (std::int64_t s : seconds)
        minutes.push_back(int(s / 60));
    return minutes;
}

std::vector<int> Minutes(int from, int to)
{
    std::vector<int> out;
    for (int m = from; m <= to; ++m)
        out.push_back(m);
    return out;
}

class ScheduledDownloadSimTest : public shelltest::ScheduledTaskTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        sim::Instrument analyser(sim::Family::VK, 1);
        // A firmware that gives measured values, not only its settings.
        if (recording)
            analyser.SetVersion(130);
        line.AddInstrument(analyser);
        // Three voltages and three currents per record, one record a minute.
        line.WithInstrument(1, sim::RecordVKVoltagesAndCurrents);
        Record(80, newest);
        StartApp(
            CPristroj::kVK,
            [this](CPristroj& entry) {
                entry.m_merit = recording ? 1 : 0;
                entry.m_zaznamenavat = recording ? 1 : 0;
                entry.m_intervalZapisovani = 2; // a block every two measurements
                entry.m_prepisovat = overwrite ? 1 : 0;
                entry.m_intervalPrepisovani = 86400; // a file a day when not overwriting
            },
            CTime(newest.GetTime() - taskRecords * period)); // record 70
    }

    void StartControl()
    {
        // Five minutes overdue; the new records make it due again only in 8 h.
        ScheduledTaskTest::StartControl(CTime::time_type(newest.GetTime() - taskRecords * period + 8 * 3600 + 300));
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

    // `count` records written so far, `period` apart in a ring of 50, the
    // newest at `time`.
    void Record(std::uint64_t count, CTime time)
    {
        line.WithInstrument(1, [&](sim::Instrument& i) {
            i.FillArchive(0, 50, 12, count);
            CPrevodTyp::TimeToBcd(i.blocks[0x14].data() + 28, time);
            // The record period: minutes and seconds, BCD.
            i.blocks[0x14][40] = BYTE((period / 600) << 4 | (period / 60) % 10);
            i.blocks[0x14][41] = 0;
        });
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
    // The instrument is measured and recorded by the program meanwhile.
    bool recording = false;
    // Seconds between two stored records (whole minutes up to an hour).
    int period = 60;
    // The task's last download, in records before the newest.
    int taskRecords = 9;
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

// An instrument that the program measures and records, a file a day, while
// the task downloads a day and a half of hourly records: the records of the
// earlier days go into the files of their days, today's into the file being
// recorded into (paused for the merge), which keeps its own records. No
// record is lost, no downloaded record is stored twice, and the recording
// goes on.
class ScheduledWhileRecordingSimTest : public ScheduledDownloadSimTest {
protected:
    ScheduledWhileRecordingSimTest()
    {
        // The instrument's newest record: the last full hour, before the
        // recording starts.
        const CTime now = CTime::GetCurrentTime();
        // In a day's first hour, today's file gets one downloaded record
        // only, at the day's first second, less than a period before the
        // recording's first record.
        newest = CTime(CTime::time_type(now.GetTime() - now.GetTime() % 3600));
        overwrite = false;
        recording = true;
        period = 3600;
        taskRecords = 30;
    }
    static CTime DayOf(CTime t)
    {
        const QDate day = QDateTime::fromSecsSinceEpoch(std::int64_t(t.GetTime())).date();
        return CTime(day.year(), day.month(), day.day(), 0, 0, 0);
    }
};

TEST_F(ScheduledWhileRecordingSimTest, RecordsGoIntoTheirDaysFilesAndTodaysIntoTheRecordedFile)
{
    CPristroj* live = app.GetDeviceList().front().get();
    // The recording has written records of its own.
    QString current;
    std::vector<std::int64_t> own;
    ASSERT_TRUE(RunUntil([&] {
        const CArchivData* archive = live->GetArchivData();
        current = archive ? archive->GetFilePath() : QString();
        own = current.isEmpty() || !QFile::exists(current) ? std::vector<std::int64_t>{}
                                                            : DataSeconds(current, CTime(0));
        return (!own.empty() && own.front() != -1) || !boxes.Requests().empty();
    })) << current.toStdString();
    ASSERT_TRUE(boxes.Requests().empty()) << boxes.Requests()[0].text.toStdString();
    ASSERT_TRUE(newest.GetTime() < std::uint64_t(own.front())) << "the recording began before the newest record";
    const CTime today = DayOf(CTime(CTime::time_type(own.front())));

    StartControl();
    ASSERT_TRUE(RunUntilIdleAt(newest)) << "running " << Task().m_running;
    EXPECT_TRUE(boxes.Requests().empty()) << boxes.Requests()[0].text.toStdString();

    // Records 49 to 79, an hour apart, by the file of their day.
    std::map<QString, std::vector<std::int64_t>> downloaded;
    for (int k = taskRecords; k >= 0; --k) {
        const CTime t(CTime::time_type(newest.GetTime() - std::uint64_t(k) * 3600));
        const CTime day = DayOf(t);
        const QString file = day == today ? current
                                          : dir.filePath(QStringLiteral("hala") + day.Format(QStringLiteral("_Y%yD%m%dH%H"))
                                                         + QStringLiteral(".vk"));
        downloaded[file].push_back(std::int64_t(t.GetTime()));
    }
    ASSERT_GE(downloaded.size(), 2u);
    for (const auto& [file, times] : downloaded) {
        if (file != current) {
            EXPECT_EQ(DataSeconds(file, CTime(0)), times) << file.toStdString();
        }
    }
    // The recorded file: today's downloaded records each once, its own
    // records kept, nothing of another day.
    const std::vector<std::int64_t> stored = DataSeconds(current, CTime(0));
    ASSERT_FALSE(stored.empty());
    for (std::int64_t t : downloaded[current])
        EXPECT_EQ(std::count(stored.begin(), stored.end(), t), 1) << t - std::int64_t(newest.GetTime());
    for (std::int64_t t : own)
        EXPECT_GE(std::count(stored.begin(), stored.end(), t), 1) << t - std::int64_t(newest.GetTime());
    EXPECT_GE(*std::min_element(stored.begin(), stored.end()), std::int64_t(today.GetTime()));
    // No other file was made for today, and the recording goes on.
    QStringList files = QDir(dir.path()).entryList({QStringLiteral("hala*.vk")}, QDir::Files, QDir::Name);
    QStringList expectedFiles;
    for (const auto& entry : downloaded)
        expectedFiles << QFileInfo(entry.first).fileName();
    expectedFiles.sort();
    EXPECT_EQ(files, expectedFiles);
    EXPECT_TRUE(live->m_zaznamenavat);
    EXPECT_EQ(live->GetArchivData() ? live->GetArchivData()->GetFilePath() : QString(), current);
}

} // namespace
