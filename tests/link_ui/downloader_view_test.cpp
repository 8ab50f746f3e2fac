#include "link_ui/DownloaderDoc.h"
#include "link_ui/DownloaderView.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// A worker that reports progress, then waits until the test lets it end
// with the result it was given.
struct FakeWorker {
    std::mutex lock;
    std::condition_variable cv;
    bool release = false;
    int result = kDownloadOk;
    int runs = 0;

    CDownloaderView::Worker Make()
    {
        return [this](CDownloadJob& job) {
            job.SetProgress(QStringLiteral("Čtu data."), 40);
            std::unique_lock guard(lock);
            ++runs;
            // A cancel comes without a notification: the worker looks now and then.
            while (!release && job.IsRunning())
                cv.wait_for(guard, std::chrono::milliseconds(10));
            release = false;
            if (!job.IsRunning()) {
                job.m_result = kDownloadCancelled;
                return;
            }
            QFile file(job.m_tempPath);
            if (file.open(QIODevice::WriteOnly))
                file.write("records");
            job.m_result = result;
        };
    }
    void Release(int withResult = kDownloadOk)
    {
        std::lock_guard guard(lock);
        result = withResult;
        release = true;
        cv.notify_all();
    }
};

class DownloaderViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        AddDownloaderTemplates(manager);
        instrument.m_nazev = QStringLiteral("Hala");
        instrument.m_soubor = QDir::toNativeSeparators(dir.filePath(QStringLiteral("hala")));
        instrument.SetType(CPristroj::kVK, FALSE);
    }
    void TearDown() override
    {
        worker.Release(kDownloadCancelled);
        while (document)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    // A download window whose worker and import are the test's.
    CDownloaderView& Open()
    {
        ui::CDocTemplate* found =
            manager.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Downloader"));
        EXPECT_NE(found, nullptr);
        auto* doc = dynamic_cast<CDownloaderDoc*>(found->OpenDocumentFile(QString(), false));
        document = doc;
        auto* view = dynamic_cast<CDownloaderView*>(doc->FirstView());
        view->SetWorker(worker.Make());
        view->SetImporter([this](const CDownloadJob& job, const CDownloadTarget& target) -> int {
            imports.push_back(target);
            if (importResult != kImportDone)
                return importResult;
            QFile::remove(job.m_tempPath);
            return kImportDone;
        });
        doc->StartDownload(instrument);
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
    FakeWorker worker;
    QPointer<ui::CDocument> document;
    std::vector<CDownloadTarget> imports;
    int importResult = kImportDone;
};

} // namespace

// OK before the download ends takes the target and imports as soon as the
// worker is done; the progress shows meanwhile; the window then closes.
TEST_F(DownloaderViewTest, OkBeforeTheEndImportsIntoTheProposedNewFile)
{
    CDownloaderView& view = Open();
    const QString proposed = instrument.m_soubor + QStringLiteral("-Off1.vk");
    EXPECT_EQ(view.NewFile(), proposed);
    EXPECT_TRUE(view.ExistingFile().isEmpty());
    EXPECT_EQ(document->GetTitle(), QStringLiteral("Hala"));
    ASSERT_TRUE(Until([&] { return static_cast<QLineEdit*>(view.Control(CDownloaderView::IdStatus))->text() ==
                                   QStringLiteral("Čtu data."); }));

    static_cast<QPushButton*>(view.Control(CDownloaderView::IdOk))->click();
    EXPECT_TRUE(imports.empty());
    EXPECT_FALSE(view.Control(CDownloaderView::IdOk)->isEnabled());
    worker.Release();
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    ASSERT_EQ(imports.size(), 1u);
    EXPECT_EQ(imports[0].mode, 0);
    EXPECT_EQ(imports[0].newFile, proposed);
}

TEST_F(DownloaderViewTest, TargetChecksKeepTheFormOpen)
{
    CDownloaderView& view = Open();
    worker.Release();
    ASSERT_TRUE(Until([&] { return view.IsFinished(); }));

    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    static_cast<QRadioButton*>(view.Control(CDownloaderView::IdExistingMode))->click();
    static_cast<QLineEdit*>(view.Control(CDownloaderView::IdExistingFile))->setText(dir.filePath(QStringLiteral("none")));
    view.OnOK();
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Zadaný soubor pro připojení záznamů neexistuje."));
    EXPECT_EQ(view.ExistingFile(), dir.filePath(QStringLiteral("none")) + QStringLiteral(".vk"));

    static_cast<QRadioButton*>(view.Control(CDownloaderView::IdNewMode))->click();
    static_cast<QLineEdit*>(view.Control(CDownloaderView::IdNewFile))->setText(QStringLiteral("/nonexistent/x/a"));
    view.OnOK();
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Cesta k souboru neexistuje."));
    EXPECT_TRUE(imports.empty());
    EXPECT_FALSE(document.isNull());

    // Closing a finished download without OK throws its file away.
    const QString temp = view.Job()->m_tempPath;
    ASSERT_TRUE(QFile::exists(temp));
    view.OnCancel();
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    EXPECT_FALSE(QFile::exists(temp));
}

TEST_F(DownloaderViewTest, FailureOffersARetryAndCancelDuringTheDownloadClosesQuietly)
{
    CDownloaderView& view = Open();
    {
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Retry);
        worker.Release(kDownloadReadFailed);
        ASSERT_TRUE(Until([&] { return worker.runs == 2; }));
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    }
    EXPECT_TRUE(view.IsWorkerRunning());
    ui::ScriptedMessageBoxes none(ui::MsgAnswer::Cancel);
    view.OnCancel(); // only cancels; the window goes when the worker has stopped
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    EXPECT_TRUE(none.Requests().empty());
    EXPECT_TRUE(imports.empty());
}

// An import that stored nothing keeps the window open for another target,
// and closing it then leaves the downloaded file where it is.
TEST_F(DownloaderViewTest, ImportThatStoresNothingKeepsTheDownloadOnClose)
{
    CDownloaderView& view = Open();
    importResult = kImportNothingStored;
    worker.Release();
    ASSERT_TRUE(Until([&] { return view.IsFinished(); }));
    const QString temp = view.Job()->m_tempPath;
    static_cast<QPushButton*>(view.Control(CDownloaderView::IdOk))->click();
    ASSERT_EQ(imports.size(), 1u);
    EXPECT_FALSE(document.isNull());
    EXPECT_TRUE(view.Control(CDownloaderView::IdOk)->isEnabled());
    static_cast<QPushButton*>(view.Control(CDownloaderView::IdCancel))->click();
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    EXPECT_TRUE(QFile::exists(temp));
}

// Two downloads into one folder never share a temporary file, even when
// they start within the same second.
TEST_F(DownloaderViewTest, TemporaryNamesAreUnique)
{
    const QTime now(10, 15, 0);
    const QString archive = QDir::toNativeSeparators(dir.filePath(QStringLiteral("hala")));
    const QString first = CDownloaderView::TempPath(archive, now);
    const QString second = CDownloaderView::TempPath(archive, now);
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("temp101500.tmp"));
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(second));

    CDownloaderView& view = Open();
    const QString running = view.Job()->m_tempPath;
    EXPECT_TRUE(QFile::exists(running));
    EXPECT_NE(running, first);
    EXPECT_NE(running, second);
}

// The download window opens large enough to read its target choice: every
// control of the form at least at its own least size, the frame around them.
TEST_F(DownloaderViewTest, WindowOpensWithTheTargetChoiceReadable)
{
    CDownloaderView& view = Open();
    ui::CChildFrame* frame = view.GetParentFrame();
    ASSERT_NE(frame, nullptr);
    frame->show();
    QCoreApplication::processEvents();
    EXPECT_GE(view.width(), view.minimumSizeHint().width());
    EXPECT_GE(view.height(), view.minimumSizeHint().height());
    for (const int id : {CDownloaderView::IdNewMode, CDownloaderView::IdExistingMode, CDownloaderView::IdNewFile,
                         CDownloaderView::IdExistingFile}) {
        const QWidget* control = view.Control(id);
        ASSERT_NE(control, nullptr) << id;
        EXPECT_GE(control->width(), control->minimumSizeHint().width()) << id;
        EXPECT_TRUE(view.rect().contains(QRect(control->mapTo(&view, QPoint()), control->size()))) << id;
    }
}
