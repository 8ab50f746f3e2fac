// The main frame's commands for the live window in front (32200) and the
// settings-sheet commands handed to the sheet the instrument list shows.
#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "link/Pristroj.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WorkerThread.h"
#include "platform/WindowMessage.h"
#include "platform/ui/MdiFrame.h"
#include "platform/ui/MessageBox.h"
#include "shell/MainFrame.h"
#include "shell/DeviceListCtrl.h"
#include "shell/PristrojeDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QPushButton>

#include <set>

namespace {

constexpr int kFakeType = 9;

// The application with its instrument dialog answered by the test.
class EditingApp : public CMavexApp {
public:
    using CMavexApp::CMavexApp;
    bool EditInstrument(QWidget*, CPristroj& copy, CPristroj&) override
    {
        ++edits;
        if (!accept)
            return false;
        copy.m_intervalMereni = 30;
        copy.m_onp = onp;
        return true;
    }
    int edits = 0;
    bool accept = true;
    BOOL onp = 0;
};

class MainFrameCommandsTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        CFamilyDescriptor fake;
        fake.type = kFakeType;
        fake.addTemplates = [](ui::CDocManager& manager) {
            manager.AddTemplate(std::make_unique<ui::CDocTemplate>(
                998, QStringLiteral("Hala\nHala\n\n\n\nFakeLive.Document\nFake Document"),
                [] { return new ui::CDocument; }, [] { return new ui::CChildFrame; }, [] { return new ui::CView; }));
        };
        fake.openLive = [](ui::CDocManager& manager, CPristroj&) -> ui::CView* {
            ui::CDocTemplate* live =
                manager.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Fake Document"));
            ui::CDocument* document = live ? live->OpenDocumentFile(QString(), true) : nullptr;
            return document ? document->FirstView() : nullptr;
        };
        fake.openPanel = [this](CPristroj& entry) { panels.insert(&entry); };
        fake.isPanelOpen = [this](CPristroj& entry) { return panels.count(&entry) != 0; };
        fake.closePanel = [this](CPristroj& entry) { panels.erase(&entry); };
        fake.updatePanel = [this](CPristroj& entry) { fed.push_back(entry.m_nazev); };
        fake.setPanelRequestReceiver = [this](QObject* to) { receiver = to; };
        fake.openSettings = [this](QWidget*, CPristroj&, QPointer<QDialog>& sheet) {
            // The sheet is up: the main frame's commands reach it.
            QDialog dialog;
            for (const char* id : {"128", "129", "130"}) {
                auto* button = new QPushButton(&dialog);
                button->setObjectName(QString::fromLatin1(id));
                QObject::connect(button, &QPushButton::clicked, [this, id] { clicked.push_back(id); });
            }
            sheet = &dialog;
            for (int command : {CMainFrame::kSheetSaveAs, CMainFrame::kSheetLoadFrom, CMainFrame::kSheetPrint,
                                CMainFrame::kAddDevice})
                routed.push_back(app->MainFrame()->OnCmdMsg(command));
        };
        std::vector<CFamilyDescriptor> families = ProgramFamilies();
        families.push_back(fake);
        app = std::make_unique<EditingApp>(shelltest::QuietEnvironment());
        app->SetFamilies(CFamilyList(families));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
    }
    void TearDown() override
    {
        if (app)
            app->ExitInstance();
        app.reset();
        StoreTest::TearDown();
    }
    CPristroj* Adopt(const char* name)
    {
        auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE, kFakeType,
                                                 app->LinkEnvironment());
        entry->m_nazev = QString::fromLatin1(name);
        entry->m_merit = 0;
        CPristroj* added = entry.get();
        EXPECT_TRUE(app->AdoptInstrument(nullptr, std::move(entry)));
        return added;
    }

    // The entry asks before it takes an edit; the test agrees.
    ui::ScriptedMessageBoxes boxes{ui::MsgAnswer::Yes};
    std::unique_ptr<EditingApp> app;
    std::set<CPristroj*> panels;
    std::vector<QString> fed;
    QObject* receiver = nullptr;
    std::vector<std::string> clicked;
    std::vector<bool> routed;
};

} // namespace

// 32200 edits the instrument of the live window in front: the edit is
// applied, and the panel of an instrument that does not measure is closed.
TEST_F(MainFrameCommandsTest, EditCommandTakesTheInstrumentOfTheActiveLiveWindow)
{
    CMainFrame& frame = *app->MainFrame();
    QAction* edit = frame.Action(CMainFrame::kEditLiveInstrument);
    ASSERT_NE(edit, nullptr);
    CPristroj* hala = Adopt("Hala");
    CPristroj* kotelna = Adopt("Kotelna");
    EXPECT_FALSE(edit->isEnabled());
    frame.OnNewWindow(); // no live window: nothing to edit
    EXPECT_EQ(app->edits, 0);

    app->OnOpenDeviceDocument(reinterpret_cast<std::uintptr_t>(kotelna), 0);
    app->OnOpenDeviceDocument(reinterpret_cast<std::uintptr_t>(hala), 0);
    ui::CView* halaView = app->LiveView(*hala);
    ASSERT_NE(halaView, nullptr);
    frame.MdiArea()->setActiveSubWindow(halaView->GetParentFrame());
    frame.UpdateCommands();
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_EQ(frame.ActiveLiveInstrument(), hala);

    panels = {hala, kotelna};
    app->accept = false;
    edit->trigger();
    EXPECT_EQ(app->edits, 1);
    EXPECT_EQ(hala->m_intervalMereni, 5);
    EXPECT_EQ(panels.size(), 2u);

    app->accept = true;
    app->onp = 1; // not measuring: the panel goes all the same
    edit->trigger();
    EXPECT_EQ(hala->m_intervalMereni, 30);
    EXPECT_EQ(hala->m_onp, 1);
    EXPECT_EQ(panels, std::set<CPristroj*>{kotelna});

    // A window that is no live window disables the command.
    frame.MdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frame.UpdateCommands();
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(frame.ActiveLiveInstrument(), nullptr);
}

// "Uložit jako", "Načíst z" and "Tiskni" given to the main frame act on the
// settings sheet the instrument list shows; nothing takes them without one.
TEST_F(MainFrameCommandsTest, SheetCommandsReachTheSheetOfTheInstrumentList)
{
    CMainFrame& frame = *app->MainFrame();
    EXPECT_FALSE(frame.OnCmdMsg(CMainFrame::kSheetSaveAs));
    Adopt("Hala");
    platform::Settings settings;
    CPristrojeDlg list(*app, settings, &frame);
    list.SetList(&app->GetDeviceList());
    list.List()->selectRow(0);
    list.Button(CPristrojeDlg::IdSettings)->click();
    EXPECT_EQ(routed, (std::vector<bool>{true, true, true, false}));
    EXPECT_EQ(clicked, (std::vector<std::string>{"129", "128", "130"}));
    EXPECT_FALSE(frame.OnCmdMsg(CMainFrame::kSheetPrint)); // the sheet is gone
}

// Without a live window the application feeds the instrument's floating
// panel itself; a live window does that on its own. The panels post their
// requests to the application, and at the end they are closed first.
TEST_F(MainFrameCommandsTest, NewDataReachesThePanelWhenNoLiveWindowIsOpen)
{
    EXPECT_EQ(receiver, app.get());
    CPristroj* hala = Adopt("Hala");
    const auto relay = [this, hala] {
        ASSERT_TRUE(platform::PostThreadMessage(app->Handle(), platform::WM_APP_NEW_DATA,
                                                reinterpret_cast<std::uintptr_t>(hala), 0));
        QCoreApplication::sendPostedEvents();
    };
    relay();
    EXPECT_EQ(fed, std::vector<QString>{QStringLiteral("Hala")});
    app->OnOpenDeviceDocument(reinterpret_cast<std::uintptr_t>(hala), 0);
    ASSERT_NE(app->LiveView(*hala), nullptr);
    relay();
    EXPECT_EQ(fed.size(), 1u);

    // The entry's own questions about its panel go to the family.
    IPristrojHost& host = hala->Host();
    EXPECT_FALSE(host.IsPanelOpen(*hala));
    panels.insert(hala);
    EXPECT_TRUE(host.IsPanelOpen(*hala));
    host.ClosePanel(*hala);
    EXPECT_TRUE(panels.empty());

    panels.insert(hala);
    app->ExitInstance();
    EXPECT_TRUE(panels.empty());
    EXPECT_EQ(receiver, nullptr);
}

// The program's own VK panel: its "Konec" asks the application, which
// closes it and drops the panel flag; the entry finds it open and closed.
TEST_F(MainFrameCommandsTest, ProgramPanelRequestsComeBackToTheApplication)
{
    auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE, CPristroj::kVK,
                                             app->LinkEnvironment());
    entry->m_nazev = QStringLiteral("Analyzator");
    entry->m_merit = 0;
    CPristroj* vk = entry.get();
    ASSERT_TRUE(app->AdoptInstrument(nullptr, std::move(entry)));
    app->OpenPanel(*vk);
    vk->m_onp = 1;
    EXPECT_TRUE(app->IsPanelOpen(*vk));
    ASSERT_TRUE(platform::PostMessageTo(app.get(), platform::WM_APP_OPEN_DEVICE_DETAIL,
                                        reinterpret_cast<std::uintptr_t>(vk), 1));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(app->IsPanelOpen(*vk));
    EXPECT_EQ(vk->m_onp, 0);
}
