// The profile download window with a scripted worker.
#include "link_ui/DownloaderDoc.h"
#include "link_ui/DownloaderViewProf.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// Writes part of the profile, then waits until the test lets it end with a
// result; a cancelled job ends as the real worker does.
struct FakeProfileWorker {
    std::mutex lock;
    std::condition_variable cv;
    bool release = false;
    int result = kDownloadOk;
    std::vector<BOOL> hadStatus;
    std::vector<QString> paths;

    CDownloaderViewProf::Worker Make()
    {
        return [this](CProfileDownloadJob& job) {
            {
                QFile file(job.m_tempPath);
                if (file.open(QIODevice::WriteOnly))
                    file.write("profile");
            }
            job.SetIdentText(QStringLiteral("PJW 3"));
            job.SetIdentReady(TRUE);
            job.SetProgress(QStringLiteral("Stahuji 3 záznam z 60."), 20);
            std::unique_lock guard(lock);
            hadStatus.push_back(job.m_hasStatus);
            paths.push_back(job.m_tempPath);
            while (!release && job.IsRunning())
                cv.wait_for(guard, std::chrono::milliseconds(10));
            release = false;
            job.m_result = job.IsRunning() ? result : kDownloadCancelled;
        };
    }
    void Release(int withResult)
    {
        std::lock_guard guard(lock);
        result = withResult;
        release = true;
        cv.notify_all();
    }
};

class DownloaderViewProfTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        AddDownloaderTemplates(manager);
        instrument.m_nazev = QStringLiteral("Hala");
        instrument.SetType(CPristroj::kVK, FALSE);
        file = dir.filePath(QStringLiteral("hala_MP_Y09D0305.pro"));
    }
    void TearDown() override
    {
        worker.Release(kDownloadCancelled);
        while (document)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    CDownloaderViewProf& Open(const CProfileStatus* status)
    {
        ui::CDocTemplate* found =
            manager.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Profile Downloader"));
        EXPECT_NE(found, nullptr);
        auto* doc = dynamic_cast<CDownloaderDoc*>(found->OpenDocumentFile(QString(), false));
        document = doc;
        auto* view = dynamic_cast<CDownloaderViewProf*>(doc->FirstView());
        view->SetWorker(worker.Make());
        view->SetOpener([this](const QString& path) { opened.push_back(path); });
        doc->StartProfileDownload(instrument, file, 1, platform::CTime(2009, 3, 5, 0, 0, 0), status);
        return *view;
    }
    template <class F>
    static bool Until(F done)
    {
        const QDeadlineTimer deadline(20000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    QTemporaryDir dir;
    ui::CDocManager manager;
    CPristroj instrument;
    QString file;
    FakeProfileWorker worker;
    QPointer<ui::CDocument> document;
    std::vector<QString> opened;
};

TEST_F(DownloaderViewProfTest, AFinishedProfileOpensAndTheWindowCloses)
{
    const CProfileStatus status;
    CDownloaderViewProf& view = Open(&status);
    EXPECT_EQ(view.Text(CDownloaderViewProf::IdKind), QStringLiteral("Maximální profil"));
    EXPECT_EQ(view.Text(CDownloaderViewProf::IdDate), QStringLiteral("05.03.09 00:00:00"));
    EXPECT_EQ(document->GetTitle(), QStringLiteral("Hala"));
    ASSERT_TRUE(Until([&] { return view.Text(CDownloaderViewProf::IdIdent) == QStringLiteral("PJW 3"); }));
    ASSERT_TRUE(Until([&] { return view.Text(CDownloaderViewProf::IdStatus).startsWith(QStringLiteral("Stahuji")); }));
    worker.Release(kDownloadOk);
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    EXPECT_EQ(opened, std::vector<QString>{file});
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(worker.hadStatus, std::vector<BOOL>{TRUE});
}

TEST_F(DownloaderViewProfTest, ACancelledDownloadLeavesNoProfileFile)
{
    CDownloaderViewProf& view = Open(nullptr);
    ASSERT_TRUE(Until([&] { return QFile::exists(file); }));
    static_cast<QPushButton*>(view.Control(CDownloaderViewProf::IdCancel))->click();
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(opened.empty());
}

TEST_F(DownloaderViewProfTest, ARetryReadsTheStatusFromTheInstrument)
{
    const CProfileStatus status;
    Open(&status);
    ui::ScriptedMessageBoxes boxes;
    boxes.Answer(ui::MsgAnswer::Retry);
    boxes.Answer(ui::MsgAnswer::Cancel);
    worker.Release(kDownloadLinkFailed);
    ASSERT_TRUE(Until([&] { return worker.hadStatus.size() == 2; }));
    worker.Release(kDownloadLinkFailed);
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    EXPECT_EQ(worker.hadStatus, (std::vector<BOOL>{TRUE, FALSE}));
    // The retry fetches into the same file as the first try.
    EXPECT_EQ(worker.paths, (std::vector<QString>{file, file}));
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    EXPECT_TRUE(opened.empty());
}

TEST_F(DownloaderViewProfTest, AProgramWithoutTheProfileWindowStartsNothing)
{
    ui::CDocManager empty;
    EXPECT_EQ(OpenProfileDownloader(empty, instrument, file, 0, platform::CTime(), nullptr), nullptr);
}

} // namespace
