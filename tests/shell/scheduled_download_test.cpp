#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "link/DownloadJob.h"
#include "link/DownloadTasks.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QFile>

#include <mutex>

namespace {

constexpr int kFakeType = 9;

// What the fake family's import was asked to do.
struct ImportCall {
    QString temp;
    CDownloadTarget target;
};

class ScheduledDownloadTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        CFamilyDescriptor fake;
        fake.type = kFakeType;
        fake.archiveEnding = QStringLiteral(".fk");
        fake.canDownload = true;
        fake.importDownload = [this](const CDownloadJob& job, const CDownloadTarget& target,
                                     IDownloadImportHost& host) -> int {
            calls.push_back({job.m_tempPath, target});
            if (!importSucceeds) {
                host.ShowError(QStringLiteral("Sloučení selhalo."), QStringLiteral("CHYBA"));
                return FALSE;
            }
            QFile::remove(job.m_tempPath);
            return TRUE;
        };
        std::vector<CFamilyDescriptor> families = ProgramFamilies();
        families.push_back(fake);
        app.SetFamilies(CFamilyList(families));
        ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
        auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE, kFakeType,
                                                 app.LinkEnvironment());
        entry->m_nazev = QStringLiteral("Hala");
        entry->m_soubor = dir.filePath(QStringLiteral("hala"));
        entry->m_merit = 0;
        ASSERT_TRUE(app.AdoptInstrument(nullptr, std::move(entry)));
        std::lock_guard list(app.Tasks().ListLock());
        CTask* task = app.Tasks().Add();
        task->m_pristroj = QStringLiteral("Hala");
        taskIndex = task->m_index;
    }
    void TearDown() override
    {
        app.ExitInstance();
        StoreTest::TearDown();
    }

    // The download thread's side: a temporary file asked for and written.
    QString Download()
    {
        app.OnMakeTempFileName(static_cast<std::uintptr_t>(taskIndex), 0);
        const QString temp = app.Tasks().m_tempName;
        QFile file(temp);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("records");
        return temp;
    }

    CMavexApp app{shelltest::QuietEnvironment()};
    int taskIndex = -1;
    std::vector<ImportCall> calls;
    bool importSucceeds = true;
};

} // namespace

TEST_F(ScheduledDownloadTest, TempNameAndCopyAreMadeOncePerDownload)
{
    app.OnMakeTempFileName(static_cast<std::uintptr_t>(taskIndex + 100), 0); // no such task
    EXPECT_EQ(app.Tasks().m_downloadCopy, nullptr);

    const QString temp = Download();
    ASSERT_NE(app.Tasks().m_downloadCopy, nullptr);
    EXPECT_EQ(app.Tasks().m_downloadCopy->m_nazev, QStringLiteral("Hala"));
    const QString prefix = dir.filePath(QStringLiteral("hala")) + QStringLiteral("tmp");
    ASSERT_TRUE(temp.startsWith(prefix)) << temp.toStdString();
    ASSERT_TRUE(temp.endsWith(QStringLiteral(".tmp")));
    const QString stamp = temp.mid(prefix.size()).chopped(4);
    EXPECT_GE(stamp.size(), 14);
    EXPECT_TRUE(std::all_of(stamp.begin(), stamp.end(), [](QChar c) { return c.isDigit(); })) << stamp.toStdString();

    // A second request before the file came keeps the first copy and name.
    const CPristroj* first = app.Tasks().m_downloadCopy.get();
    app.OnMakeTempFileName(static_cast<std::uintptr_t>(taskIndex), 0);
    EXPECT_EQ(app.Tasks().m_downloadCopy.get(), first);
    EXPECT_EQ(app.Tasks().m_tempName, temp);
    // A name is never that of a file already there.
    EXPECT_NE(CMavexApp::TempDownloadName(prefix.chopped(3), QDateTime::fromString(stamp.left(14),
                                                                                    QStringLiteral("yyyyMMddHHmmss"))),
              temp);
}

TEST_F(ScheduledDownloadTest, FinishedFileGoesIntoANewOrTheExistingArchive)
{
    const QString archive = dir.filePath(QStringLiteral("hala.fk"));
    for (const bool exists : {false, true}) {
        if (exists) {
            QFile file(archive);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        calls.clear();
        const QString temp = Download();
        app.OnDownloadedFile(0, taskIndex);
        ASSERT_EQ(calls.size(), 1u) << exists;
        EXPECT_EQ(calls[0].temp, temp);
        EXPECT_EQ(calls[0].target.mode, exists ? 1 : 0);
        EXPECT_EQ(exists ? calls[0].target.existingFile : calls[0].target.newFile, archive);
        EXPECT_FALSE(QFile::exists(temp));
        EXPECT_EQ(app.Tasks().m_downloadCopy, nullptr) << "the download thread waits for the copy to go";
    }
    // A repeated hand-over after the copy went does nothing.
    app.OnDownloadedFile(0, taskIndex);
    EXPECT_EQ(calls.size(), 1u);
}

// A failed merge is reported and marked as not imported: the task keeps its
// last download and fetches the records again, so the file goes.
TEST_F(ScheduledDownloadTest, FailedMergeIsReportedAndMarkedNotImported)
{
    importSucceeds = false;
    const QString temp = Download();
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    app.OnDownloadedFile(0, taskIndex);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(QFile::exists(temp));
    EXPECT_EQ(app.Tasks().m_downloadCopy, nullptr);
    EXPECT_FALSE(app.Tasks().m_downloadImported);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Sloučení selhalo.\n")));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));

    importSucceeds = true;
    Download();
    app.OnDownloadedFile(0, taskIndex);
    EXPECT_TRUE(app.Tasks().m_downloadImported);
}

TEST_F(ScheduledDownloadTest, DownloadOfARemovedTaskImportsNothing)
{
    const QString temp = Download();
    {
        std::lock_guard list(app.Tasks().ListLock());
        app.Tasks().Remove(taskIndex);
    }
    app.OnDownloadedFile(0, taskIndex);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(QFile::exists(temp));
    EXPECT_EQ(app.Tasks().m_downloadCopy, nullptr);
}
