// The import of a finished download: into a new archive file (opened as a
// document at the end) or completing an existing one, and the failures that
// keep the temporary file for another try.
#include "DownloadTestSupport.h"

#include "archive/store/VKArchivImport.h"
#include "link/DownloadImport.h"
#include "link/DownloadFile.h"
#include "link/DownloadRoutines.h"

#include <array>

using namespace downloadtest;
using sim::Family;

namespace {

class TestImportHost : public IDownloadImportHost {
public:
    void ShowError(const QString& text, const QString& caption) override { errors.push_back(caption + ": " + text); }
    void OpenArchiveFile(const QString& path) override { opened.push_back(path); }
    CPristroj* FindDevice(const QString&) override { return nullptr; }

    std::vector<QString> errors;
    std::vector<QString> opened;
};

// The data records of an archive file; -1 when it does not open.
int CountDataRecords(const QString& path)
{
    CVKDownloadArchivData reader;
    if (!reader.OpenByPath(path))
        return -1;
    int n = 0;
    if (reader.OpenFirstBlock()) {
        do {
            for (const CArchivRecord& record : reader.CurrentBlock())
                n += record.IsData() ? 1 : 0;
        } while (reader.ReadNextBlock());
    }
    return n;
}

class ImportTest : public DownloadTest {
protected:
    // A finished download of 50 records a minute apart, the newest at
    // `newest`.
    std::unique_ptr<CDownloadJob> Download()
    {
        StartAnalyser(Family::VK);
        SetVKRecording();
        Fill(50, 12, 80);
        line.WithInstrument(1, [&](sim::Instrument& i) { CPrevodTyp::TimeToBcd(i.blocks[0x14].data() + 28, newest); });
        return Fetch();
    }
    // Another download from the same analyser.
    std::unique_ptr<CDownloadJob> Fetch()
    {
        auto job = std::make_unique<CDownloadJob>();
        job->m_pristroj = *entry;
        job->m_tempPath = tempPath;
        DownloadVKArchiveProc(job.get());
        EXPECT_EQ(job->m_result, kDownloadOk);
        return job;
    }
    // Rewrites a download file with a status whose newest-record time is
    // no time at all (as from an instrument whose clock image is empty).
    static void SpoilNewestTime(const QString& path)
    {
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        platform::SerialArchive ar(in.readAll());
        in.close();
        VKDownloadHead head;
        head.Serialize(ar);
        std::vector<CUniTyp> blocks;
        for (;;) {
            CUniTyp block;
            block.Serialize(ar);
            if (block.GetCount() == 0)
                break;
            blocks.push_back(block);
        }
        std::array<BYTE, CVKStatus::kImageSize> image{};
        head.status.ToRaw(image.data());
        std::fill_n(image.begin() + 28, 6, BYTE(0));
        head.status.FromRaw(image.data());
        CDownloadFile out;
        ASSERT_TRUE(out.Create(path));
        out.Store(head.iden);
        out.Store(head.notebook);
        out.Store(head.config);
        out.Store(head.status);
        for (CUniTyp& block : blocks)
            out.Store(block);
        out.Finish();
    }

    const CTime newest{2024, 1, 15, 10, 0, 0};
    TestImportHost host;
};

TEST_F(ImportTest, NewFileTakesEveryRecordAndOpens)
{
    auto job = Download();
    CDownloadTarget target;
    target.newFile = dir.filePath(QStringLiteral("hala-Off1.vk"));
    ASSERT_TRUE(ImportVKArchive(*job, target, host));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(host.opened, std::vector<QString>{target.newFile});
    EXPECT_EQ(CountDataRecords(target.newFile), 50);
    EXPECT_FALSE(QFile::exists(tempPath));
}

TEST_F(ImportTest, ExistingFileIsCompletedThroughATemporaryArchive)
{
    auto job = Download();
    CDownloadTarget first;
    first.newFile = dir.filePath(QStringLiteral("hala.vk"));
    ASSERT_TRUE(ImportVKArchive(*job, first, host));
    // The same records again: the merge keeps one of each.
    DownloadVKArchiveProc(job.get());
    ASSERT_EQ(job->m_result, kDownloadOk);
    CDownloadTarget target;
    target.mode = 1;
    target.existingFile = first.newFile;
    ASSERT_TRUE(ImportVKArchive(*job, target, host));
    EXPECT_TRUE(host.errors.empty());
    EXPECT_EQ(CountDataRecords(target.existingFile), 50);
    EXPECT_FALSE(QFile::exists(tempPath));
    EXPECT_FALSE(QFile::exists(tempPath + QStringLiteral(".vk")));
}

TEST_F(ImportTest, FailuresAreReportedAndKeepTheDownload)
{
    auto job = Download();
    CDownloadTarget target;
    target.mode = 1;
    target.existingFile = dir.filePath(QStringLiteral("nowhere.vk"));
    EXPECT_FALSE(ImportVKArchive(*job, target, host));
    EXPECT_TRUE(QFile::exists(tempPath));
    EXPECT_FALSE(QFile::exists(tempPath + QStringLiteral(".vk")));

    job->m_tempPath = dir.filePath(QStringLiteral("gone.tmp"));
    EXPECT_FALSE(ImportVKArchive(*job, target, host));
    EXPECT_EQ(host.errors, (std::vector<QString>{QStringLiteral("CHYBA: Nepodařilo se otevřít datový soubor."),
                                                 QStringLiteral("CHYBA: Nepodařilo se otevřít dočasný soubor.")}));
}

// A download file whose status gives no time to place its records stores
// nothing: the user is told, no archive is made or changed, and the file
// with the fetched records stays.
TEST_F(ImportTest, ImportThatStoresNothingIsReportedAndKeepsTheDownload)
{
    auto job = Download();
    CDownloadTarget existing;
    existing.newFile = dir.filePath(QStringLiteral("hala.vk"));
    ASSERT_EQ(ImportVKArchive(*job, existing, host), kImportDone);
    existing.mode = 1;
    existing.existingFile = existing.newFile;
    CDownloadTarget fresh;
    fresh.newFile = dir.filePath(QStringLiteral("hala-Off1.vk"));

    job = Fetch();
    SpoilNewestTime(tempPath);
    host.opened.clear();
    for (const CDownloadTarget& target : {fresh, existing}) {
        EXPECT_EQ(ImportVKArchive(*job, target, host), kImportNothingStored);
        EXPECT_TRUE(QFile::exists(tempPath));
    }
    EXPECT_FALSE(QFile::exists(fresh.newFile));
    EXPECT_EQ(CountDataRecords(existing.existingFile), 50);
    EXPECT_FALSE(QFile::exists(tempPath + QStringLiteral(".vk")));
    EXPECT_TRUE(host.opened.empty());
    ASSERT_EQ(host.errors.size(), 2u);
    EXPECT_TRUE(host.errors[0].startsWith(QStringLiteral("CHYBA: ")));
    EXPECT_TRUE(host.errors[0].contains(tempPath)) << host.errors[0].toStdString();
}

// One period file of several: a period that holds downloaded records gets
// exactly those, one that holds none gets no file at all (nor an empty one
// of events only), which is no failure to report. The download stays for
// the other periods.
TEST_F(ImportTest, PeriodWithoutDownloadedRecordsGetsNoFile)
{
    auto job = Download(); // 09:11 to 10:00
    struct Case {
        const char* name;
        CTime from, to;
        int result;
        int records;
    };
    const Case cases[] = {
        {"period before the records", CTime(2024, 1, 15, 8, 0, 0), CTime(2024, 1, 15, 8, 59, 59),
         kImportNothingStored, -1},
        {"period after the records", CTime(2024, 1, 15, 10, 0, 1), CTime(2024, 1, 15, 10, 59, 59),
         kImportNothingStored, -1},
        {"period within the records", CTime(2024, 1, 15, 9, 30, 0), CTime(2024, 1, 15, 9, 39, 59), kImportDone, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDownloadTarget target;
        target.newFile = dir.filePath(QStringLiteral("hala_period.vk"));
        target.rangeFrom = c.from;
        target.rangeTo = c.to;
        EXPECT_EQ(ImportVKArchive(*job, target, host), c.result);
        EXPECT_EQ(CountDataRecords(target.newFile), c.records);
        EXPECT_TRUE(QFile::exists(tempPath));
        QFile::remove(target.newFile);
    }
}

} // namespace
