// Archive downloads from a simulated analyser into the temporary file:
// whole rings (partly filled, full, wrapped, on fast and slow links),
// intervals, and the result codes of the failures.
#include "DownloadTestSupport.h"

#include "link/DownloadRoutines.h"
#include "model/VKTPackedTime.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKStatus.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "model/VKTStatus.h"
#include "tools/instrument_sim/SimArchive.h"

using namespace downloadtest;
using sim::Family;

namespace {

class ArchiveDownloadTest : public DownloadTest {
protected:
    template <class Job = CDownloadJob, class... Args>
    std::unique_ptr<Job> MakeJob(Args... args)
    {
        auto job = std::make_unique<Job>(args...);
        job->m_pristroj = *entry;
        job->m_tempPath = tempPath;
        return job;
    }
};

struct RingCase {
    const char* name;
    Family family;
    int retries; // non-zero: a slow link
    std::size_t capacity;
    std::uint64_t written;
};

class WholeRingTest : public ArchiveDownloadTest, public ::testing::WithParamInterface<RingCase> {};

TEST_P(WholeRingTest, ComesOldestFirst)
{
    const RingCase& c = GetParam();
    StartAnalyser(c.family, c.retries);
    const bool vk = c.family == Family::VK;
    vk ? SetVKRecording() : SetVKTRecording();
    const std::size_t size = vk ? 12 : 8;
    Fill(c.capacity, size, c.written);
    auto job = MakeJob();
    vk ? DownloadVKArchiveProc(job.get()) : DownloadVKTArchiveProc(job.get());
    ASSERT_EQ(job->m_result, kDownloadOk) << job->m_pristroj.GetErrorText().toStdString();
    const DownloadFileContent file = vk ? ReadVKFile(tempPath) : ReadVKTFile(tempPath);
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(file.itemSize, size);
    // The VKT ring goes round C - 1 places.
    const std::uint64_t places = vk ? c.capacity : c.capacity - 1;
    const std::uint64_t oldest = c.written > places ? c.written - places : 0;
    EXPECT_EQ(file.numbers, Range(oldest, c.written - 1));
    QString text;
    int step = 0;
    job->GetProgress(text, step);
    EXPECT_EQ(step, 100);
    EXPECT_EQ(text, QString::fromUtf8(download_texts::kDone));
    EXPECT_TRUE(job->IsIdentReady());
    EXPECT_EQ(job->m_clockSynchronised, 1);
}

INSTANTIATE_TEST_SUITE_P(Rings, WholeRingTest,
                         ::testing::Values(RingCase{"VKPartlyFilled", Family::VK, 0, 200, 130},
                                           RingCase{"VKExactlyFull", Family::VK, 0, 100, 100},
                                           RingCase{"VKWrapped", Family::VK, 0, 100, 257},
                                           RingCase{"VKNewestInLastPlace", Family::VK, 0, 100, 300},
                                           RingCase{"VKSlowLink", Family::VK, 1, 100, 257},
                                           RingCase{"VKTPartlyFilled", Family::VKT, 0, 300, 130},
                                           RingCase{"VKTExactlyFull", Family::VKT, 0, 150, 149},
                                           RingCase{"VKTOneOverFull", Family::VKT, 0, 150, 150},
                                           RingCase{"VKTWrapped", Family::VKT, 0, 150, 401},
                                           RingCase{"VKTSlowLink", Family::VKT, 1, 150, 401}),
                         [](const auto& info) { return std::string(info.param.name); });

// The simulator as a user starts it holds a day's recording that has gone
// round its ring; the program fetches all of it, the VKT records dated a
// minute apart up to the newest record time of the status.
class DefaultMemoryTest : public ArchiveDownloadTest, public ::testing::WithParamInterface<Family> {};

TEST_P(DefaultMemoryTest, TheSimulatorsOwnRecordingComesWhole)
{
    const bool vk = GetParam() == Family::VK;
    StartAnalyser(GetParam());
    line.WithInstrument(1, [](sim::Instrument& i) { sim::ServeDefaultMemory(i); });
    auto job = MakeJob();
    vk ? DownloadVKArchiveProc(job.get()) : DownloadVKTArchiveProc(job.get());
    ASSERT_EQ(job->m_result, kDownloadOk) << job->m_pristroj.GetErrorText().toStdString();
    const DownloadFileContent file = vk ? ReadVKFile(tempPath) : ReadVKTFile(tempPath);
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(file.itemSize, vk ? 12u : 14u);
    // 1440 records written into 1000 places (999 for the VKT).
    const std::size_t held = vk ? 1000 : 999;
    ASSERT_EQ(file.records.size(), held);
    if (vk) {
        EXPECT_EQ(file.numbers, Range(1440 - held, 1439));
        return;
    }
    const CTime newest(2024, 1, 15, 12, 0, 0);
    for (std::size_t n = 0; n < held; n += 111) {
        EXPECT_EQ(file.records[n][0], 0);
        EXPECT_EQ(UnpackRecordTime(file.records[n].data() + 1), newest - CTimeSpan(std::int64_t(held - 1 - n) * 60));
    }
}

INSTANTIATE_TEST_SUITE_P(Families, DefaultMemoryTest, ::testing::Values(Family::VK, Family::VKT),
                         [](const auto& info) { return std::string(info.param == Family::VK ? "VK" : "VKT"); });

} // namespace

namespace {

class FailureTest;
struct FailureCase {
    const char* name;
    Family family;
    std::function<void(FailureTest&, CDownloadJob&)> arrange;
    int result;
    int archiveControl; // the VK archive mode left behind; -1: never switched
};

class FailureTest : public ArchiveDownloadTest, public ::testing::WithParamInterface<FailureCase> {
public:
    using ArchiveDownloadTest::dir;
    using ArchiveDownloadTest::Fill;
    using ArchiveDownloadTest::line;
};

const FailureCase kFailures[] = {
    {"LinkCannotOpen", Family::VK,
     [](FailureTest&, CDownloadJob& job) { job.m_pristroj.m_com = QStringLiteral("/dev/qorin-none"); },
     kDownloadLinkFailed, -1},
    {"VKHoldsNoRecords", Family::VK, [](FailureTest& t, CDownloadJob&) { t.Fill(100, 12, 0); },
     kDownloadNoData, 0x00},
    {"VKTHoldsNoRecords", Family::VKT, [](FailureTest& t, CDownloadJob&) { t.Fill(100, 8, 0); },
     kDownloadNoData, -1},
    {"VKInErrorState", Family::VK,
     [](FailureTest& t, CDownloadJob&) {
         t.line.WithInstrument(1, [](sim::Instrument& i) { i.blocks[0x14][0] = 3; });
     },
     kDownloadInstrumentError, 0x00},
    {"VKTInErrorState", Family::VKT,
     [](FailureTest& t, CDownloadJob&) {
         t.line.WithInstrument(1, [](sim::Instrument& i) { i.blocks[0x14][0] = 0x08; });
     },
     kDownloadInstrumentError, -1},
    // Records but no valid time of the newest: reported, not taken as empty.
    {"VKNewestTimeInvalid", Family::VK,
     [](FailureTest& t, CDownloadJob&) {
         t.line.WithInstrument(1, [](sim::Instrument& i) { std::fill_n(i.blocks[0x14].begin() + 28, 6, 0); });
     },
     kDownloadInvalidStatus, 0x00},
    {"VKTNewestTimeInvalid", Family::VKT,
     [](FailureTest& t, CDownloadJob&) {
         t.line.WithInstrument(1, [](sim::Instrument& i) { std::fill_n(i.blocks[0x14].begin() + 10, 5, 0); });
     },
     kDownloadInvalidStatus, -1},
    // The settings and the status came, the memory did not: a failure of
    // the data, not of the settings.
    {"VKBlocksUnreadable", Family::VK,
     [](FailureTest& t, CDownloadJob&) {
         t.line.WithInstrument(1, [](sim::Instrument& i) {
             i.SetCommand(0x16, [](sim::Instrument&, const sim::Frame&) { return sim::Response::Data({1}); });
         });
     },
     kDownloadDataReadFailed, 0xFF},
    {"VKTBlocksUnreadable", Family::VKT,
     [](FailureTest& t, CDownloadJob&) {
         t.line.WithInstrument(1, [](sim::Instrument& i) {
             i.SetCommand(0x16, [](sim::Instrument&, const sim::Frame&) { return sim::Response::Data({1}); });
         });
     },
     kDownloadDataReadFailed, -1},
    {"VKStatusUnreadable", Family::VK,
     [](FailureTest& t, CDownloadJob&) {
         t.line.WithInstrument(1, [](sim::Instrument& i) {
             i.SetCommand(0x14, [](sim::Instrument&, const sim::Frame&) { return sim::Response::Data({1}); });
         });
     },
     kDownloadReadFailed, 0x00},
    {"CancelledBeforeTheFirstBlock", Family::VK, [](FailureTest&, CDownloadJob& job) { job.Cancel(); },
     kDownloadCancelled, 0x00},
    {"TemporaryFileCannotBeMade", Family::VKT,
     [](FailureTest& t, CDownloadJob& job) {
         job.m_tempPath = t.dir.filePath(QStringLiteral("missing/folder/temp.tmp"));
     },
     kDownloadFileError, -1},
};

TEST_P(FailureTest, LeavesNoFileBehind)
{
    const FailureCase& c = GetParam();
    StartAnalyser(c.family);
    c.family == Family::VK ? SetVKRecording() : SetVKTRecording();
    Fill(100, c.family == Family::VK ? 12 : 8, 250);
    auto job = MakeJob();
    c.arrange(*this, *job);
    c.family == Family::VK ? DownloadVKArchiveProc(job.get()) : DownloadVKTArchiveProc(job.get());
    EXPECT_EQ(job->m_result, c.result);
    EXPECT_FALSE(QFile::exists(job->m_tempPath));
    EXPECT_FALSE(QFile::exists(tempPath));
    int mode = 0;
    line.WithInstrument(1, [&](sim::Instrument& i) { mode = i.archiveControl; });
    EXPECT_EQ(mode, c.archiveControl);
}

INSTANTIATE_TEST_SUITE_P(Results, FailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

TEST_F(ArchiveDownloadTest, CancelDuringTheTransferStopsAtTheNextBlock)
{
    StartAnalyser(Family::VK, 1); // slow: 1000 records a pass, streamed
    SetVKRecording();
    Fill(5000, 12, 5000);
    auto job = MakeJob();
    // The view cancels (from another thread) while the second pass is on the line.
    int passes = 0;
    line.WithInstrument(1, [&](sim::Instrument& i) {
        i.SetCommand(0x3B, [&, stream = sim::ArchiveStreamA()](sim::Instrument& self, const sim::Frame& frame) {
            if (++passes == 2)
                job->Cancel();
            return stream(self, frame);
        });
    });
    DownloadVKArchiveProc(job.get());
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(job->m_result, kDownloadCancelled);
    EXPECT_FALSE(QFile::exists(tempPath));
    int mode = 0;
    line.WithInstrument(1, [&](sim::Instrument& i) { mode = i.archiveControl; });
    EXPECT_EQ(mode, 0xFF); // blocks were stored: the archive mode stays
}

TEST_F(ArchiveDownloadTest, VKIntervalFetchesTheRecordsBetweenFromAndTo)
{
    // 80 records a minute apart in a ring of 50: records 30 to 79 are kept.
    StartAnalyser(Family::VK);
    SetVKRecording();
    Fill(50, 12, 80);
    const CTime newest(2024, 1, 15, 10, 0, 0);
    line.WithInstrument(1, [&](sim::Instrument& i) { CPrevodTyp::TimeToBcd(i.blocks[0x14].data() + 28, newest); });
    const auto timeOf = [&](int record) { return CTime(newest.GetTime() - CTime::time_type(79 - record) * 60); };
    struct Case {
        const char* name;
        CTime from, to;
        BOOL fromOpen, toOpen;
        int result;
        int first, last;
    };
    const Case cases[] = {
        {"closed interval", timeOf(40), timeOf(60), 0, 0, kDownloadOk, 40, 60},
        {"From between two records", CTime(timeOf(40).GetTime() - 30), timeOf(60), 0, 0, kDownloadOk, 40, 60},
        {"open at both ends", CTime(), CTime(), 1, 1, kDownloadOk, 30, 79},
        {"From after the newest record", CTime(newest.GetTime() + 60), CTime(newest.GetTime() + 600), 0, 0,
         kDownloadNoDataInInterval, 0, -1},
        {"To before the oldest record", timeOf(0), timeOf(20), 0, 0, kDownloadNoDataInInterval, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto job = MakeJob<CDownloadIntervalJob>(c.from, c.to, c.fromOpen, c.toOpen);
        DownloadVKArchiveIntervalProc(job.get());
        ASSERT_EQ(job->m_result, c.result);
        if (c.result != kDownloadOk) {
            EXPECT_FALSE(QFile::exists(tempPath));
            continue;
        }
        const DownloadFileContent file = ReadVKFile(tempPath);
        ASSERT_TRUE(file.ok);
        EXPECT_EQ(file.numbers, Range(std::uint64_t(c.first), std::uint64_t(c.last)));
        // From and To become the times of the first and last records fetched.
        EXPECT_EQ(job->m_from, timeOf(c.first));
        if (c.toOpen) {
            EXPECT_EQ(job->m_to, newest);
        }
    }
}

} // namespace

namespace {

TEST_F(ArchiveDownloadTest, VKTIntervalKeepsFiveRecordsAtEachEnd)
{
    // 80 records a minute apart in a ring of 50 (49 places): records 31 to
    // 79 are kept.
    StartAnalyser(Family::VKT);
    SetVKTRecording();
    Fill(50, 8, 80);
    const CTime newest(2024, 1, 15, 10, 0, 0);
    const auto timeOf = [&](int record) { return CTime(newest.GetTime() - CTime::time_type(79 - record) * 60); };
    line.WithInstrument(1, [&](sim::Instrument& i) {
        BYTE* status = i.blocks[0x14].data();
        PackRecordTime(newest, status + 10);
        status[14] = 0;
        PackRecordTime(timeOf(31), status + 15);
        status[19] = 0;
    });
    struct Case {
        const char* name;
        CTime from, to;
        BOOL fromOpen, toOpen;
        int result;
        int first, last;
    };
    const Case cases[] = {
        {"closed interval", timeOf(40), timeOf(60), 0, 0, kDownloadOk, 35, 65},
        {"open at both ends", CTime(), CTime(), 1, 1, kDownloadOk, 31, 79},
        {"From after the newest record", CTime(newest.GetTime() + 60), CTime(newest.GetTime() + 600), 0, 0,
         kDownloadNoDataInInterval, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto job = MakeJob<CDownloadIntervalJob>(c.from, c.to, c.fromOpen, c.toOpen);
        DownloadVKTArchiveIntervalProc(job.get());
        ASSERT_EQ(job->m_result, c.result);
        if (c.result != kDownloadOk) {
            EXPECT_FALSE(QFile::exists(tempPath));
            continue;
        }
        const DownloadFileContent file = ReadVKTFile(tempPath);
        ASSERT_TRUE(file.ok);
        EXPECT_EQ(file.numbers, Range(std::uint64_t(c.first), std::uint64_t(c.last)));
        if (c.fromOpen) {
            EXPECT_EQ(job->m_from, timeOf(31));
            EXPECT_EQ(job->m_to, newest);
        }
    }
}

// The analyser's own records are dated, the status only lets the worker
// estimate where From lies. Every record from From to To comes, with five
// more at each end; when the estimate lands after From (the status dates
// the oldest record earlier than it is, as a gap in the recording does),
// the whole ring is fetched rather than the records after From lost.
TEST_F(ArchiveDownloadTest, VKTIntervalMissesNoRecordBetweenFromAndTo)
{
    StartAnalyser(Family::VKT);
    const CTime newest(2024, 1, 15, 12, 0, 0);
    const auto minutesBefore = [&](int minutes) { return newest - CTimeSpan(std::int64_t(minutes) * 60); };
    const CTime from = minutesBefore(300);
    const CTime to = minutesBefore(280);
    struct Case {
        const char* name;
        int statusEarlier; // minutes the status dates the oldest record too early
        CTime first, last;
    } cases[] = {
        {"evenly dated", 0, minutesBefore(305), minutesBefore(275)},
        {"estimate after From", 20, minutesBefore(998), newest},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        line.WithInstrument(1, [&](sim::Instrument& i) {
            sim::ServeDefaultMemory(i);
            BYTE* status = i.blocks[0x14].data();
            PackRecordTime(minutesBefore(998 + c.statusEarlier), status + 15);
            status[19] = 0;
        });
        auto job = MakeJob<CDownloadIntervalJob>(from, to, 0, 0);
        DownloadVKTArchiveIntervalProc(job.get());
        ASSERT_EQ(job->m_result, kDownloadOk) << job->m_pristroj.GetErrorText().toStdString();
        const DownloadFileContent file = ReadVKTFile(tempPath);
        ASSERT_TRUE(file.ok);
        std::vector<CTime> times;
        for (const auto& record : file.records)
            times.push_back(UnpackRecordTime(record.data() + 1));
        std::vector<CTime> wanted;
        for (CTime t = c.first; t <= c.last; t = t + CTimeSpan(60))
            wanted.push_back(t);
        EXPECT_EQ(times, wanted);
    }
}

} // namespace
