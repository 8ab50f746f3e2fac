#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "link/Pristroj.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"
#include "shell/AboutDlg.h"
#include "shell/MainFrame.h"
#include "shell/SingleInstance.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>

namespace {

constexpr int kFakeType = 9;

// The application with the program's families and a fake one whose ".fk"
// files open in a plain document and whose openers are counted.
class AppCommandsTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        env = shelltest::QuietEnvironment();
        env.chooseFile = [this](QWidget*, const QString& title, const QString& folder, const QString& filter) {
            dialogs.push_back({title, folder, filter});
            return chosen;
        };
    }
    void TearDown() override
    {
        if (app)
            app->ExitInstance();
        app.reset();
        StoreTest::TearDown();
    }
    void Start(const QStringList& arguments = {QStringLiteral("qorin01")})
    {
        CFamilyDescriptor fake;
        fake.type = kFakeType;
        fake.archiveEnding = QStringLiteral(".fk");
        fake.archiveFileTypeName = QStringLiteral("Fake Archiv");
        fake.archiveFileTypeId = QStringLiteral("FakeArchiv.Document");
        fake.canDownload = true;
        fake.addTemplates = [](ui::CDocManager& manager) {
            manager.AddTemplate(std::make_unique<ui::CDocTemplate>(
                999, QStringLiteral("Fake\nFake\n\nFake (*.fk)\n.fk\nFakeArchiv.Document\nFake Archiv"),
                [] { return new ui::CDocument; }, [] { return new ui::CChildFrame; }, [] { return new ui::CView; }));
        };
        fake.openLive = [this](ui::CDocManager&, CPristroj& entry) -> ui::CView* {
            live.push_back(entry.m_nazev);
            return &liveView;
        };
        fake.openSettings = [this](QWidget*, CPristroj& entry, QPointer<QDialog>&) { settings.push_back(entry.m_nazev); };
        fake.openLiveSettings = [this](ui::CView* view, CPristroj&) {
            liveSettings.push_back(view);
            return liveDocumentTakesSettings;
        };
        std::vector<CFamilyDescriptor> families = ProgramFamilies();
        families.push_back(fake);
        app = std::make_unique<CMavexApp>(env);
        app->SetFamilies(CFamilyList(families));
        ASSERT_TRUE(app->InitInstance(arguments));
    }
    CPristroj* Adopt(const char* name, int type)
    {
        auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE, type,
                                                 app->LinkEnvironment());
        entry->m_nazev = QString::fromLatin1(name);
        entry->m_merit = 0;
        CPristroj* added = entry.get();
        EXPECT_TRUE(app->AdoptInstrument(nullptr, std::move(entry)));
        return added;
    }
    QString MakeFile(const char* name)
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    std::size_t FakeDocuments() const
    {
        const ui::CDocTemplate* found =
            app->DocManager().FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("FakeArchiv.Document"));
        return found ? found->Documents().size() : 0;
    }
    void Send(platform::MessageId id, const CPristroj* device, std::intptr_t lParam)
    {
        ASSERT_TRUE(platform::PostThreadMessage(app->Handle(), id, reinterpret_cast<std::uintptr_t>(device), lParam));
        // The application object takes its thread messages as posted events.
        QCoreApplication::sendPostedEvents();
    }

    struct Dialog {
        QString title, folder, filter;
    };
    CMavexApp::Environment env;
    std::unique_ptr<CMavexApp> app;
    std::vector<Dialog> dialogs;
    QString chosen;
    std::vector<QString> live, settings;
    ui::CView liveView;
    std::vector<ui::CView*> liveSettings;
    bool liveDocumentTakesSettings = true;
};

} // namespace

// A file named at start, or handed over by a second start, opens in the
// template of its family's file-type name; a file of no family opens nothing.
TEST_F(AppCommandsTest, CommandLineAndSecondInstanceFilesOpen)
{
    const QString first = MakeFile("hala.fk");
    Start({QStringLiteral("qorin01"), first});
    EXPECT_EQ(FakeDocuments(), 1u);

    const QString second = MakeFile("kotelna.FK");
    CSingleInstance other(env.instanceName);
    EXPECT_FALSE(other.Acquire(second, [](int) {}));
    const QDeadlineTimer deadline(10000);
    while (FakeDocuments() < 2 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(FakeDocuments(), 2u);

    app->OnOpenFileFromInstance(MakeFile("notes.txt"));
    EXPECT_EQ(FakeDocuments(), 2u);
}

TEST_F(AppCommandsTest, OpenArchiveAsksForAFileRemembersItsFolderAndOpensIt)
{
    Start();
    app->OnOpenArchive(nullptr); // cancelled
    EXPECT_EQ(FakeDocuments(), 0u);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, QStringLiteral("Vývěr archivního souboru"));
    EXPECT_EQ(dialogs[0].filter, QStringLiteral("Soubor data (*.qor *.vk *.vkr *.vkt *.dsk *.fk *.pro)"));

    chosen = MakeFile("hala.fk");
    app->OnOpenArchive(nullptr);
    EXPECT_EQ(FakeDocuments(), 1u);
    EXPECT_EQ(app->GeneralSettings().m_posledniPath, QDir::toNativeSeparators(dir.path()));
    app->OnOpenArchive(nullptr);
    EXPECT_EQ(dialogs.back().folder, QDir::toNativeSeparators(dir.path()));
}

TEST_F(AppCommandsTest, RecentFilesKeepSixNewestFirstAndSurviveARestart)
{
    Start();
    QStringList paths;
    for (int i = 0; i < 7; ++i)
        paths << QDir::toNativeSeparators(dir.filePath(QStringLiteral("f%1.fk").arg(i)));
    for (const QString& path : paths)
        app->AddToRecentFileList(path);
    app->AddToRecentFileList(paths[3]); // again: moves to the top
    const QStringList expected{paths[3], paths[6], paths[5], paths[4], paths[2], paths[1]};
    EXPECT_EQ(app->RecentFiles(), expected);
    const QList<QAction*> actions = app->MainFrame()->RecentFileActions();
    ASSERT_EQ(actions.size(), 6);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&1 ") + paths[3]);

    app->ExitInstance();
    app.reset();
    Start();
    EXPECT_EQ(app->RecentFiles(), expected);
    EXPECT_EQ(app->MainFrame()->RecentFileActions().size(), 6);
}

// 0x4006 opens the family's live window and keeps it as the instrument's.
// 0x400C is a floating panel's request: 1 closes the panel (its flag
// dropped) and brings the program back, 2 only brings it back, 3 opens the
// settings: through the live document while the live window is up (the
// family may decline, and the sheet opens as without a window).
TEST_F(AppCommandsTest, LiveAndDetailRequestsOfTheThreadsReachTheFamily)
{
    Start();
    CPristroj* device = Adopt("Hala", kFakeType);
    Send(platform::WM_APP_OPEN_DEVICE_DETAIL, device, 3);
    EXPECT_EQ(settings, std::vector<QString>{QStringLiteral("Hala")});
    EXPECT_TRUE(liveSettings.empty());

    Send(platform::WM_APP_OPEN_DEVICE_DOC, device, 0);
    EXPECT_EQ(live, std::vector<QString>{QStringLiteral("Hala")});
    EXPECT_EQ(app->LiveView(*device), &liveView);

    device->m_onp = 1;
    app->MainFrame()->showMinimized();
    Send(platform::WM_APP_OPEN_DEVICE_DETAIL, device, 2);
    EXPECT_EQ(device->m_onp, 1);
    EXPECT_FALSE(app->MainFrame()->isMinimized());
    Send(platform::WM_APP_OPEN_DEVICE_DETAIL, device, 1);
    EXPECT_EQ(device->m_onp, 0);
    Send(platform::WM_APP_OPEN_DEVICE_DETAIL, device, 3);
    EXPECT_EQ(liveSettings, std::vector<ui::CView*>{&liveView});
    EXPECT_EQ(settings.size(), 1u);
    liveDocumentTakesSettings = false;
    Send(platform::WM_APP_OPEN_DEVICE_DETAIL, device, 3);
    Send(platform::WM_APP_OPEN_DEVICE_DETAIL, device, 4);
    EXPECT_EQ(liveSettings.size(), 2u);
    EXPECT_EQ(settings.size(), 2u);
    app->SetLiveView(*device, nullptr);
}

TEST_F(AppCommandsTest, InstrumentCommandsFollowTheInstruments)
{
    Start();
    CMainFrame& frame = *app->MainFrame();
    EXPECT_FALSE(frame.Action(CMainFrame::kOpenByInstrument)->isEnabled());
    EXPECT_FALSE(frame.Action(CMainFrame::kDownloadManager)->isEnabled());
    Adopt("Regulator", CPristroj::kQorin);
    EXPECT_TRUE(frame.Action(CMainFrame::kOpenByInstrument)->isEnabled());
    EXPECT_FALSE(frame.Action(CMainFrame::kDownloadManager)->isEnabled());
    Adopt("Hala", kFakeType);
    EXPECT_TRUE(frame.Action(CMainFrame::kDownloadManager)->isEnabled());
}

TEST(AboutDlg, ShowsTheNameAndTheText)
{
    CAboutDlg dlg;
    EXPECT_TRUE(dlg.findChild<QLabel*>(QStringLiteral("name"))->text().startsWith(QStringLiteral("qorin01")));
    EXPECT_FALSE(dlg.findChild<QLabel*>(QStringLiteral("info"))->text().isEmpty());
}

// "Přijmout data" of an instrument whose family downloads and brings no
// window of its own opens the program's download window for it; a link that
// fails offers the retry, and Cancel closes the window.
TEST_F(AppCommandsTest, ReceiveDataOpensTheDownloadWindow)
{
    Start();
    CPristroj* device = Adopt("Hala", kFakeType);
    ui::CDocTemplate* downloader =
        app->DocManager().FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Downloader"));
    ASSERT_NE(downloader, nullptr);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
    app->ReceiveData(*device);
    ASSERT_EQ(downloader->Documents().size(), 1u);
    EXPECT_EQ(downloader->Documents().front()->GetTitle(), QStringLiteral("Hala"));
    const QDeadlineTimer deadline(60000);
    while (!downloader->Documents().empty() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(downloader->Documents().empty());
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
}
