// The program with its own families and main window, an instrument of each
// family measured on one simulated line: live windows and floating panels
// opened as the stored settings ask, the program ended through its main
// window, and what it leaves in the settings for the next start.
#include "AppTestSupport.h"
#include "ModalDriver.h"
#include "SettingsRouteSupport.h"
#include "SheetSteps.h"
#include "ShellTestSupport.h"

#include "analysers_vk/ONVK.h"
#include "analysers_vk/VKAktMer.h"
#include "analysers_vk/VKFormView.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRAktMer.h"
#include "analysers_vkt/VKTAktMer.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "app/Families.h"
#include "charts/ArchivRangeBar.h"
#include "charts/GraphWnd.h"
#include "controllers/graph/ControllerGeneralPage.h"
#include "controllers/live/ControllerAktMer.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PanelFrame.h"
#include "platform/ui/PropertySheet.h"
#include "shell/AddInstrumentDlg.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/Document.h"
#include "shell/DeviceRegistry.h"
#include "shell/FamilyDescriptor.h"
#include "shell/GeneralSettings.h"
#include "shell/MainFrame.h"
#include "shell/DeviceListCtrl.h"
#include "shell/ObecneNastaveni.h"
#include "shell/PristrojeDlg.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/WaitUntil.h"
#include "tools/instrument_sim/PtySimulator.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QMenu>
#include <QTest>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <utility>

namespace {

struct Member {
    const char* name;
    sim::Family family;
    int type;
    int version; // the firmware it reports; -1: the simulator's
    bool live;   // "zobrazovat"
    bool panel;  // "ONP"
    bool measures = true;
};

// One of each family; the analysers' live windows and two panels.
constexpr Member kDesk[] = {
    {"Kotelna", sim::Family::Qorin, CPristroj::kQorin, -1, true, false},
    {"Hala", sim::Family::Duskar, CPristroj::kDuskar, -1, true, true},
    {"Rozvodna", sim::Family::VK, CPristroj::kVK, 130, true, false},
    {"Trafo", sim::Family::VKR, CPristroj::kVKR, -1, true, true},
    {"Linka", sim::Family::VKT, CPristroj::kVKT, -1, true, false},
};

// The live window has shown a measurement (only then it keeps its state).
bool HasShownData(ui::CView* view)
{
    if (auto* controller = dynamic_cast<controllers::CControllerAktMer*>(view))
        return controller->Initialised();
    if (auto* vk = dynamic_cast<analysers_vk::CVKAktMer*>(view))
        return vk->Initialised();
    if (auto* vkr = dynamic_cast<analysers_vk::CVKRAktMer*>(view))
        return vkr->Initialised();
    if (auto* vkt = dynamic_cast<analysers_vkt::CVKTAktMer*>(view))
        return vkt->Initialised();
    return false;
}

// The groups and charts a values pane of an analyser shows in its fullest
// arrangement; none for the controllers' panes.
std::vector<QWidget*> FullestParts(QWidget* values)
{
    std::vector<QWidget*> parts;
    if (auto* vk = qobject_cast<analysers_vk::CVKHodnotyDlg*>(values)) {
        for (int i = 0; i < 4; ++i)
            parts.insert(parts.end(), {vk->Group(i), vk->Chart(i)});
    } else if (auto* vkr = qobject_cast<analysers_vk::CVKRHodnotyDlg*>(values)) {
        for (int i = 0; i < analysers_vk::CVKRHodnotyDlg::kGroupCount; ++i)
            parts.push_back(vkr->Group(i));
    } else if (auto* vkt = qobject_cast<analysers_vkt::CVKTHodnotyDlg*>(values)) {
        for (int i = 0; i < 4; ++i)
            parts.insert(parts.end(), {vkt->Table(i), vkt->Chart(i)});
    }
    return parts;
}

class DaySimTest : public shelltest::StoreTest {
protected:
    // The instruments on the line; the program's data folder, one folder
    // an instrument.
    void PrepareLine(const std::vector<Member>& members)
    {
        desk = members;
        for (std::size_t i = 0; i < desk.size(); ++i) {
            sim::Instrument instrument(desk[i].family, Address(i));
            if (desk[i].version >= 0)
                instrument.SetVersion(std::uint16_t(desk[i].version));
            line.AddInstrument(instrument);
        }
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;
        store.WriteProfileString(CGeneralSettings::Section(), QStringLiteral("adresar"), DataFolder());
        store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("pouzivat podadresare"), 1);
        store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), 2);
    }
    QString DataFolder() const { return dir.filePath(QStringLiteral("data")); }
    void ExpectFirstLiveWindowsShowTheirPanes(bool wide);
    // The instruments on the line and in the stored settings.
    void Prepare(const std::vector<Member>& members)
    {
        PrepareLine(members);
        if (HasFatalFailure())
            return;
        const QString data = DataFolder();
        for (std::size_t i = 0; i < desk.size(); ++i) {
            const Member& m = desk[i];
            const QString name = QString::fromUtf8(m.name);
            const platform::SettingsSection key = CDeviceRegistry::Key(name);
            QDir().mkpath(data + QLatin1Char('/') + name);
            store.WriteProfileInt(key, QStringLiteral("kat"), m.type);
            store.WriteProfileInt(key, QStringLiteral("merit"), m.measures ? 1 : 0);
            store.WriteProfileInt(key, QStringLiteral("adresa"), Address(i));
            store.WriteProfileString(key, QStringLiteral("com"), QString::fromStdString(line.SlavePath()));
            store.WriteProfileInt(key, QStringLiteral("zobrazovat"), m.live ? 1 : 0);
            store.WriteProfileInt(key, QStringLiteral("ONP"), m.panel ? 1 : 0);
            store.WriteProfileInt(key, QStringLiteral("zaznamenavat"), 1);
            store.WriteProfileString(key, QStringLiteral("soubor"), data + QStringLiteral("/%1/%1").arg(name));
            store.WriteProfileInt(key, QStringLiteral("intervalMereni"), 2);
            store.WriteProfileInt(key, QStringLiteral("intervalZapisovani"), 30);
            store.WriteProfileInt(key, QStringLiteral("prepisovat"), 1);
        }
    }
    static std::uint8_t Address(std::size_t index) { return std::uint8_t(1 + index); }
    void TearDown() override
    {
        shelltest::EndProgramAndLines(app, [this] { line.Stop(); });
        StoreTest::TearDown();
    }

    void Start()
    {
        CMavexApp::Environment env = shelltest::QuietEnvironment();
        env.showWindow = true;
        // The machine's file dialog answers with the file the user picks.
        env.chooseFile = [this](QWidget*, const QString&, const QString&, const QString& filter) {
            offeredFilter = filter;
            return std::exchange(chosenFile, QString());
        };
        // The simulated line is the machine's serial port.
        const QString port = QString::fromStdString(line.SlavePath());
        env.enumeratePorts = [port] {
            CSerialPortInfo info;
            info.devicePath = port;
            info.portName = port;
            return std::vector<CSerialPortInfo>{info};
        };
        app = std::make_unique<CMavexApp>(env);
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
    }
    CPristroj* Entry(const char* name) const
    {
        for (const auto& device : app->GetDeviceList())
            if (device->m_nazev == QString::fromUtf8(name))
                return device.get();
        return nullptr;
    }
    // "Přístroje > Přidat přístroj": the user names the instrument, gives its
    // bus address, picks its type and ticks its floating panel; the port is
    // the only one there is. The program asks to make the new folder.
    bool AddThroughDialog(const Member& m, std::size_t index)
    {
        ui::ScriptedMessageBoxes yes{ui::MsgAnswer::Yes};
        bool accepted = false;
        const bool came = shelltest::WithModal<CAddInstrumentDlg>(
            [this] { app->MainFrame()->Action(CMainFrame::kAddDevice)->trigger(); },
            [&](CAddInstrumentDlg& dialog) {
                const auto retype = [](QLineEdit* edit, const QString& text) {
                    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClicks(edit, text);
                };
                retype(dialog.Control<QLineEdit>(CAddInstrumentDlg::IdName), QString::fromUtf8(m.name));
                retype(dialog.Control<QLineEdit>(CAddInstrumentDlg::IdAddress), QString::number(Address(index)));
                auto* type = dialog.Control<QComboBox>(CAddInstrumentDlg::IdType);
                const int wanted = type->findData(m.type);
                EXPECT_GE(wanted, 0) << m.name;
                while (wanted >= 0 && type->currentIndex() != wanted) {
                    const int before = type->currentIndex();
                    QTest::keyClick(type, before < wanted ? Qt::Key_Down : Qt::Key_Up);
                    if (type->currentIndex() == before)
                        break;
                }
                // The shortest intervals of the advanced part: the archive
                // gets its first block within the minute.
                QTest::keyClick(dialog.Control<QCheckBox>(CAddInstrumentDlg::IdAdvanced), Qt::Key_Space);
                for (const int id : {CAddInstrumentDlg::IdMeasuringInterval, CAddInstrumentDlg::IdRecordingInterval}) {
                    auto* combo = dialog.Control<QComboBox>(id);
                    while (combo->currentIndex() > 0) {
                        const int before = combo->currentIndex();
                        QTest::keyClick(combo, Qt::Key_Up);
                        if (combo->currentIndex() == before)
                            break;
                    }
                }
                auto* panel = dialog.Control<QCheckBox>(CAddInstrumentDlg::IdPanel);
                if (panel->isChecked() != m.panel)
                    QTest::keyClick(panel, Qt::Key_Space);
                QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
                accepted = dialog.result() == QDialog::Accepted && !dialog.isVisible();
                if (dialog.isVisible())
                    dialog.reject();
            });
        return came && accepted;
    }
    // "Nastavení přístroje..." from the menu of the instrument's live window;
    // the titles of the windows it brought up, each ended with its own way
    // out ("Storno", or "Konec" of a plain dialog).
    QStringList SettingsFromLiveMenu(const Member& m)
    {
        QStringList shown;
        ui::CView* view = app->LiveView(*Entry(m.name));
        if (!view)
            return shown;
        QString chosen;
        shelltest::HandModals(
            [&] { chosen = routetest::ChooseFromLiveMenu(view, QStringLiteral("Nastavení přístroje")); },
            [&](QWidget& window) {
                shown << window.windowTitle();
                if (auto* sheet = qobject_cast<ui::CPropertySheet*>(&window)) {
                    QTest::mouseClick(sheet->Button(ui::CPropertySheet::IdCancel), Qt::LeftButton);
                    return;
                }
                for (QPushButton* button : window.findChildren<QPushButton*>())
                    if (button->text() == QStringLiteral("Konec")) {
                        QTest::mouseClick(button, Qt::LeftButton);
                        return;
                    }
                ADD_FAILURE() << "no way out of " << window.windowTitle().toStdString();
            });
        EXPECT_FALSE(chosen.isEmpty()) << m.name;
        return shown;
    }
    // The recording of the instrument as the program keeps it, once there is
    // one (generous bound).
    QString ArchiveOf(const Member& m)
    {
        const QString name = QString::fromUtf8(m.name);
        const CFamilyDescriptor* family = app->Families().Find(m.type);
        if (!family)
            return {};
        const QDir folder(DataFolder() + QLatin1Char('/') + name);
        QString found;
        testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                const QStringList files
                    = folder.entryList({QStringLiteral("*") + family->archiveEnding}, QDir::Files, QDir::Name);
                for (const QString& file : files)
                    if (QFileInfo(folder.filePath(file)).size() > 0)
                        found = folder.filePath(file);
                return !found.isEmpty();
            },
            120000);
        return found;
    }
    // "Soubor > Otevřít archiv...", the file chosen in the machine's file
    // dialog. The document it opened, if any.
    ui::CDocument* OpenArchiveFromMenu(const QString& path)
    {
        std::set<ui::CDocument*> before;
        for (const auto& docTemplate : app->DocManager().Templates())
            before.insert(docTemplate->Documents().begin(), docTemplate->Documents().end());
        chosenFile = path;
        offeredFilter.clear();
        app->MainFrame()->Action(CMainFrame::kOpenArchive)->trigger();
        EXPECT_TRUE(chosenFile.isEmpty()) << "no file dialog";
        const QString ending = QStringLiteral("*.") + QFileInfo(path).suffix();
        EXPECT_TRUE(offeredFilter.contains(ending)) << offeredFilter.toStdString();
        for (const auto& docTemplate : app->DocManager().Templates())
            for (ui::CDocument* document : docTemplate->Documents())
                if (!before.count(document))
                    return document;
        return nullptr;
    }
    // Every live window asked for shows a measurement and every panel is up
    // (generous bound).
    bool WaitForDesk()
    {
        return testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                for (const Member& m : desk) {
                    CPristroj* entry = Entry(m.name);
                    if (!entry || (m.live && !HasShownData(app->LiveView(*entry)))
                        || (m.panel && !app->IsPanelOpen(*entry)))
                        return false;
                }
                return true;
            },
            180000);
    }
    // "Soubor > Konec" from the main window's event loop; the loop's exit
    // code, 7 when the program did not end.
    int Quit()
    {
        QTimer::singleShot(0, app.get(), [this] { app->MainFrame()->Action(CMainFrame::kAppExit)->trigger(); });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        guard.start(120000);
        const int code = QApplication::exec();
        app->ExitInstance();
        return code;
    }
    QStringList StoredInstruments() const
    {
        QStringList names = store.SubSections(QStringLiteral("pristroje"));
        names.sort();
        return names;
    }
    QStringList DeskNames() const
    {
        QStringList names;
        for (const Member& m : desk)
            names << QString::fromUtf8(m.name);
        names.sort();
        return names;
    }

    sim::PtySimulator line;
    QString chosenFile;
    QString offeredFilter;
    std::vector<Member> desk;
    std::unique_ptr<CMavexApp> app;
    ui::ScriptedMessageBoxes boxes{ui::MsgAnswer::Ok};
};

TEST_F(DaySimTest, KonecWithLiveWindowsAndPanelsOpenEndsTheProgramAndKeepsTheirState)
{
    Prepare({std::begin(kDesk), std::end(kDesk)});
    Start();
    ASSERT_TRUE(WaitForDesk());

    EXPECT_EQ(Quit(), 0);

    // Only the instruments' own sections, each with what its windows keep.
    EXPECT_EQ(StoredInstruments(), DeskNames());
    for (const Member& m : kDesk) {
        const platform::SettingsSection key = CDeviceRegistry::Key(QString::fromUtf8(m.name));
        EXPECT_EQ(store.GetProfileInt(key, QStringLiteral("zobrazovat"), -1), m.live ? 1 : 0) << m.name;
        EXPECT_EQ(store.GetProfileInt(key, QStringLiteral("ONP"), -1), m.panel ? 1 : 0) << m.name;
        // The panes and the placement of the live window; the graph's grid.
        for (const char* value : {"isGraf", "prickaX", "cx", "cy"})
            EXPECT_TRUE(store.Contains(key, QString::fromLatin1(value))) << m.name << " " << value;
        // The controllers' graph keeps its settings as its window goes.
        if (m.type == CPristroj::kQorin || m.type == CPristroj::kDuskar) {
            EXPECT_TRUE(store.Contains(key, QStringLiteral("isMriz"))) << m.name;
        }
        EXPECT_GT(store.GetProfileInt(key, QStringLiteral("cx"), 0), 100) << m.name;
        if (m.panel) {
            EXPECT_TRUE(store.Contains(key, QStringLiteral("p_cx"))) << m.name;
        }
    }
}

TEST_F(DaySimTest, LiveWindowClosedByTheUserStaysClosedAndIsNoLongerFed)
{
    Prepare({std::begin(kDesk), std::end(kDesk)});
    Start();
    ASSERT_TRUE(WaitForDesk());

    // Each window through its frame's close box.
    for (const Member& m : kDesk) {
        CPristroj* entry = Entry(m.name);
        ui::CView* view = app->LiveView(*entry);
        ASSERT_NE(view, nullptr) << m.name;
        ASSERT_NE(view->GetParentFrame(), nullptr) << m.name;
        view->GetParentFrame()->close();
        // The closed frame goes as the event loop would delete it: only then
        // its view and document let go of the instrument.
        ASSERT_TRUE(testsupport::WaitUntil([&] {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return app->LiveView(*entry) == nullptr;
        })) << m.name;
        EXPECT_EQ(entry->m_zobrazovat, 0) << m.name;
        EXPECT_EQ(entry->m_active, 0) << m.name; // the thread no longer feeds its graphs
    }

    EXPECT_EQ(Quit(), 0);
    for (const Member& m : kDesk)
        EXPECT_EQ(store.GetProfileInt(CDeviceRegistry::Key(QString::fromUtf8(m.name)), QStringLiteral("zobrazovat"), -1),
                  0)
            << m.name;
}

// Where the user finds the windows: each live window's frame and each
// floating panel, by instrument.
struct Desk {
    std::map<QString, QRect> frames;
    std::map<QString, QRect> panels;
};

// A working day, step by step through the main window: the instruments
// added one by one, each instrument's settings read from its live window,
// the general settings visited tab by tab and ended both ways, an archive of
// each family opened, the program ended through its menu and started again.
TEST_F(DaySimTest, WorkingDay)
{
    PrepareLine({std::begin(kDesk), std::end(kDesk)});
    Desk left;
    const auto where = [this] {
        Desk d;
        for (const Member& m : kDesk) {
            const QString name = QString::fromUtf8(m.name);
            if (ui::CView* view = app->LiveView(*Entry(m.name)); view && view->GetParentFrame())
                d.frames[name] = view->GetParentFrame()->geometry();
        }
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* panel = qobject_cast<ui::CPanelFrame*>(window); panel && panel->isVisible())
                d.panels[panel->windowTitle()] = panel->geometry();
        return d;
    };
    const auto generalSettings = [this](shelltest::Ending ending) {
        const auto run = [this] { app->MainFrame()->Action(CMainFrame::kGeneralSettings)->trigger(); };
        QStringList visited;
        const bool came = shelltest::WithModal<CObecneNastaveni>(run, [&](CObecneNastaveni& sheet) {
            for (int i = sheet.GetPageCount() - 1; i >= 0; --i)
                visited << shelltest::ClickTab(sheet, sheet.Tabs()->tabText(i));
            shelltest::EndSheet(sheet, ending);
        });
        EXPECT_TRUE(came);
        EXPECT_EQ(visited.size(), 6) << visited.join(QLatin1Char(',')).toStdString();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    };

    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const Step day[] = {
        {"the program starts with no instruments",
         [&] {
             Start();
             ASSERT_TRUE(app->GetDeviceList().empty());
         }},
        {"Přístroje > Přidat přístroj, for each instrument",
         [&] {
             for (std::size_t i = 0; i < std::size(kDesk); ++i)
                 ASSERT_TRUE(AddThroughDialog(kDesk[i], i)) << kDesk[i].name;
             ASSERT_TRUE(WaitForDesk());
         }},
        {"Nastavení přístroje... from each live window's menu",
         [&] {
             for (const Member& m : kDesk) {
                 const QStringList shown = SettingsFromLiveMenu(m);
                 ASSERT_EQ(shown.size(), 1) << m.name << ": " << shown.join(QLatin1Char(',')).toStdString();
                 EXPECT_TRUE(shown.front().contains(QString::fromUtf8(m.name))) << shown.front().toStdString();
                 EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
             }
         }},
        {"the user puts the first live window and a panel somewhere else",
         [&] {
             ui::CView* view = app->LiveView(*Entry(kDesk[0].name));
             view->GetParentFrame()->setGeometry(40, 30, 700, 520);
             for (QWidget* window : QApplication::topLevelWidgets())
                 if (auto* panel = qobject_cast<ui::CPanelFrame*>(window);
                     panel && panel->isVisible() && panel->windowTitle() == QString::fromUtf8(kDesk[3].name))
                     panel->setGeometry(60, 70, 320, 300);
             left = where();
             ASSERT_EQ(left.frames.size(), std::size(kDesk));
             // Each window shows its panes, not a bare title bar.
             for (const Member& m : kDesk) {
                 EXPECT_GT(app->LiveView(*Entry(m.name))->height(), 100) << m.name;
             }
             ASSERT_EQ(left.panels.size(), 2U);
             EXPECT_EQ(left.panels[QString::fromUtf8(kDesk[3].name)], QRect(60, 70, 320, 300));
         }},
        {"general settings, every tab, OK", [&] { generalSettings(shelltest::Ending::Ok); }},
        {"general settings, every tab, Cancel", [&] { generalSettings(shelltest::Ending::Cancel); }},
        {"Soubor > Otevřít archiv..., an archive of each family",
         [&] {
             for (const Member& m : kDesk) {
                 const QString path = ArchiveOf(m);
                 ASSERT_FALSE(path.isEmpty()) << m.name;
                 // Until its first block is written, the program says the
                 // file is empty; the user tries again a little later.
                 ui::CDocument* document = nullptr;
                 testsupport::WaitUntil(
                     [&] {
                         QCoreApplication::processEvents();
                         document = OpenArchiveFromMenu(path);
                         if (!document)
                             QTest::qWait(2000);
                         return document != nullptr;
                     },
                     240000);
                 ASSERT_NE(document, nullptr) << m.name << " " << path.toStdString();
                 ui::CView* view = document->FirstView();
                 ASSERT_NE(view, nullptr) << m.name;
                 EXPECT_TRUE(view->isVisible()) << m.name;
                 // Opened for the first time, the window takes the size its
                 // panes and range bar ask for, as far as the area has room
                 // beside the steps of its cascade.
                 const ui::CChildFrame* frame = view->GetParentFrame();
                 ASSERT_NE(frame, nullptr) << m.name;
                 const QSize wanted
                     = view->sizeHint().boundedTo(frame->NewWindowRoom() - (frame->size() - view->size()));
                 EXPECT_GE(view->width(), wanted.width()) << m.name;
                 EXPECT_GE(view->height(), wanted.height()) << m.name;
                 auto* bar = view->findChild<CGraphRangeBar*>();
                 ASSERT_NE(bar, nullptr) << m.name;
                 EXPECT_GE(view->sizeHint().width(), bar->sizeHint().width()) << m.name;
                 if (bar->isVisible() && view->size() == view->sizeHint()) {
                     EXPECT_GE(bar->width(), bar->sizeHint().width() - 4) << m.name;
                 }
             }
         }},
        {"Soubor > Konec", [&] { ASSERT_EQ(Quit(), 0); }},
        {"the settings hold the added instruments only", [&] { EXPECT_EQ(StoredInstruments(), DeskNames()); }},
        {"the program starts again",
         [&] {
             app.reset();
             Start();
             ASSERT_TRUE(WaitForDesk());
         }},
        {"windows and panels are where they were left",
         [&] {
             const Desk found = where();
             EXPECT_EQ(found.frames, left.frames);
             EXPECT_EQ(found.panels, left.panels);
         }},
        {"Soubor > Konec again", [&] { ASSERT_EQ(Quit(), 0); }},
    };
    for (const Step& step : day) {
        SCOPED_TRACE(step.what);
        step.run();
        if (HasFatalFailure())
            return;
    }
}

// One live window left maximised and the others beside it: each comes back
// as it was left, whichever of them the start opens first. The maximised one
// covers the area and is the active one; the others stand behind it at their
// own places, where un-maximising shows them.
TEST_F(DaySimTest, MaximisedLiveWindowComesBackAloneMaximisedBeforeTheOthers)
{
    const std::vector<Member> members{kDesk[0], kDesk[2], kDesk[4]};
    Prepare(members);
    Start();
    ASSERT_TRUE(WaitForDesk());
    const auto frameOf = [this](const Member& m) {
        ui::CView* view = app->LiveView(*Entry(m.name));
        return view ? view->GetParentFrame() : nullptr;
    };
    for (std::size_t bigIndex : {std::size_t(0), members.size() - 1}) {
        const Member& big = members[bigIndex];
        SCOPED_TRACE(big.name);
        // The user un-maximises what is maximised, puts each window somewhere,
        // then brings one forward and maximises it.
        std::map<QString, QRect> placed;
        for (std::size_t i = 0; i < members.size(); ++i) {
            ui::CChildFrame* frame = frameOf(members[i]);
            ASSERT_NE(frame, nullptr) << members[i].name;
            if (frame->isMaximized())
                frame->showNormal();
            const int shift = int(i + bigIndex);
            const QRect rect(20 + 60 * shift, 10 + 40 * shift, 620 + 10 * shift, 460 + 10 * shift);
            frame->setGeometry(rect);
            placed[QString::fromUtf8(members[i].name)] = rect;
        }
        ui::CChildFrame* bigFrame = frameOf(big);
        app->MainFrame()->MdiArea()->setActiveSubWindow(bigFrame);
        bigFrame->showMaximized();
        QCoreApplication::processEvents();
        for (const Member& m : members)
            ASSERT_EQ(frameOf(m)->isMaximized(), &m == &big) << m.name;

        for (const char* start : {"first restart", "second restart"}) {
            SCOPED_TRACE(start);
            ASSERT_EQ(Quit(), 0);
            for (const Member& m : members) {
                const QString name = QString::fromUtf8(m.name);
                const platform::SettingsSection key = CDeviceRegistry::Key(name);
                EXPECT_EQ(store.GetProfileInt(key, QStringLiteral("maximize"), -1), &m == &big ? 1 : 0) << m.name;
                const QRect stored(store.GetProfileInt(key, QStringLiteral("x"), -1),
                                   store.GetProfileInt(key, QStringLiteral("y"), -1),
                                   store.GetProfileInt(key, QStringLiteral("cx"), -1),
                                   store.GetProfileInt(key, QStringLiteral("cy"), -1));
                EXPECT_EQ(stored, placed[name]) << m.name;
            }
            app.reset();
            Start();
            ASSERT_TRUE(WaitForDesk());
            QCoreApplication::processEvents();
            for (const Member& m : members) {
                const ui::CChildFrame* frame = frameOf(m);
                ASSERT_NE(frame, nullptr) << m.name;
                EXPECT_EQ(frame->isMaximized(), &m == &big) << m.name;
                EXPECT_EQ(frame->NormalGeometry(), placed[QString::fromUtf8(m.name)]) << m.name;
                if (&m != &big) {
                    EXPECT_EQ(frame->geometry(), placed[QString::fromUtf8(m.name)]) << m.name;
                }
            }
            EXPECT_EQ(app->MainFrame()->MdiArea()->activeSubWindow(), frameOf(big));
        }
        // Un-maximised, the window goes back to where the user had it.
        ui::CChildFrame* frame = frameOf(big);
        frame->showNormal();
        QCoreApplication::processEvents();
        EXPECT_EQ(frame->geometry(), placed[QString::fromUtf8(big.name)]);
    }
    EXPECT_EQ(Quit(), 0);
}

// "Plovoucí okno..." from a controller's live window opens the panel at the
// first try, and the instrument list and the next start know it is open.
// The panes the general settings choose for a family are those a new
// instrument's first live window shows, though the program stores the
// instrument as soon as it is added, before any window of it opened.
TEST_F(DaySimTest, NewInstrumentsFirstLiveWindowShowsThePanesOfTheGeneralSettings)
{
    const Member qorin = kDesk[0];
    const Member vkr{"Trafo", sim::Family::VKR, CPristroj::kVKR, -1, true, false};
    PrepareLine({qorin, vkr});
    Start();

    // The user's choice on each family's page: no graph, the front panel.
    const auto click = [](QCheckBox* box) {
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    };
    const auto run = [this] { app->MainFrame()->Action(CMainFrame::kGeneralSettings)->trigger(); };
    const bool came = shelltest::WithModal<CObecneNastaveni>(run, [&](CObecneNastaveni& sheet) {
        ASSERT_EQ(shelltest::ClickTab(sheet, QStringLiteral("Qorin xxx")), QStringLiteral("Qorin xxx"));
        auto* controller = dynamic_cast<controllers::CControllerGeneralPage*>(sheet.GetActivePage());
        ASSERT_NE(controller, nullptr);
        click(controller->Panel(0)); // "Graf"
        if (!controller->Panel(3)->isChecked())
            click(controller->Panel(3)); // "Přístroj"
        ASSERT_EQ(shelltest::ClickTab(sheet, QStringLiteral("VKR,VKN")), QStringLiteral("VKR,VKN"));
        auto* analyser = dynamic_cast<analysers_vk::CONVK*>(sheet.GetActivePage());
        ASSERT_NE(analyser, nullptr);
        click(analyser->Pane(3)); // "Graf"
        if (!analyser->Pane(2)->isChecked())
            click(analyser->Pane(2)); // "Přístroj"
        shelltest::EndSheet(sheet, shelltest::Ending::Ok);
    });
    ASSERT_TRUE(came);

    ASSERT_TRUE(AddThroughDialog(qorin, 0));
    ASSERT_TRUE(AddThroughDialog(vkr, 1));
    ASSERT_TRUE(WaitForDesk());
    for (const Member& m : {qorin, vkr}) {
        SCOPED_TRACE(m.name);
        auto* view = dynamic_cast<charts::CGraphView*>(app->LiveView(*Entry(m.name)));
        ASSERT_NE(view, nullptr);
        QWidget* panel = nullptr;
        QWidget* values = nullptr;
        if (auto* controllerView = dynamic_cast<controllers::CControllerAktMer*>(view)) {
            panel = controllerView->PanelControl() ? static_cast<QWidget*>(controllerView->PanelControl())
                                                   : controllerView->PanelError();
            values = controllerView->ValuesPane();
        } else if (auto* analyserView = dynamic_cast<analysers_vk::CVKFormView*>(view)) {
            panel = analyserView->PanelPane();
            values = analyserView->ValuesPane();
        }
        ASSERT_NE(panel, nullptr);
        ASSERT_NE(values, nullptr);
        ASSERT_NE(view->CommandGraph(), nullptr);
        EXPECT_FALSE(view->CommandGraph()->isVisible());
        EXPECT_TRUE(panel->isVisible());
        EXPECT_TRUE(values->isVisible());
    }
}

TEST_F(DaySimTest, FloatingPanelFromTheLiveWindowsMenuOpensAtOnceAndIsKept)
{
    Prepare({kDesk[0], {"Hala", sim::Family::Duskar, CPristroj::kDuskar, -1, true, false}});
    Start();
    ASSERT_TRUE(WaitForDesk());
    for (const Member& m : desk) {
        CPristroj* entry = Entry(m.name);
        ui::CView* view = app->LiveView(*entry);
        ASSERT_NE(view, nullptr) << m.name;
        const QString chosen = routetest::ChooseFromLiveMenu(view, QStringLiteral("Plovoucí okno"));
        QCoreApplication::processEvents();

        EXPECT_FALSE(chosen.isEmpty()) << m.name;
        EXPECT_TRUE(app->IsPanelOpen(*entry)) << m.name;
        EXPECT_EQ(entry->m_onp, 1) << m.name;
    }
    EXPECT_EQ(Quit(), 0);
    for (const Member& m : desk)
        EXPECT_EQ(store.GetProfileInt(CDeviceRegistry::Key(QString::fromUtf8(m.name)), QStringLiteral("ONP"), -1), 1)
            << m.name;
}

// A right click on a controller's measured values shows the live window's
// menu once, with the values' own items (the click's context event must not
// show it a second time).
TEST_F(DaySimTest, RightClickOnTheValuesShowsOneMenu)
{
    Prepare({kDesk[0]});
    Start();
    ASSERT_TRUE(WaitForDesk());
    auto* view = dynamic_cast<controllers::CControllerAktMer*>(app->LiveView(*Entry(kDesk[0].name)));
    ASSERT_NE(view, nullptr);
    QWidget* values = view->ValuesPane();
    ASSERT_TRUE(values && values->isVisible());

    QStringList shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            shown << menu->actions().last()->text();
            menu->close();
        }
    });
    closer.start(5);
    // Through the window, as the platform delivers the click, on the values
    // themselves: a value field has its own menu (copy, select all), as an
    // edit field has.
    QWidget* window = values->window();
    QPoint spot;
    for (int y = 2; y < values->height() && spot.isNull(); y += 3)
        for (int x = 2; x < values->width() && spot.isNull(); x += 3)
            if (window->childAt(values->mapTo(window, QPoint(x, y))) == values)
                spot = QPoint(x, y);
    ASSERT_FALSE(spot.isNull());
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, values->mapTo(window, spot));
    QCoreApplication::processEvents();
    closer.stop();

    EXPECT_EQ(shown, QStringList{QStringLiteral("Nastavení ...")});
    EXPECT_EQ(Quit(), 0);
}

// An analyser refused for its old firmware when the user activated it in the
// instrument list is activated by the next tick once its firmware is new.
TEST_F(DaySimTest, InstrumentRefusedForOldFirmwareCanBeActivatedAgain)
{
    Member old{"Rozvodna", sim::Family::VK, CPristroj::kVK, 100, false, false};
    old.measures = false;
    Prepare({old});
    Start();
    CPristroj* entry = Entry(old.name);
    ASSERT_NE(entry, nullptr);
    const auto running = [entry] { return entry->GetThread() && entry->GetThread()->IsRunning(); };
    const auto until = [](const std::function<bool()>& done) {
        return testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                return done();
            },
            120000);
    };
    const auto tickActivity = [&](CPristrojeDlg& list) {
        boxes.Answer(ui::MsgAnswer::Yes); // "... změnit nastavení?"
        CDeviceListCtrl* table = list.List();
        const QRect cell = table->visualItemRect(table->item(0, 1));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    };
    bool refused = false;
    bool activated = false;
    const bool came = shelltest::WithModal<CPristrojeDlg>(
        [this] { app->MainFrame()->Action(CMainFrame::kInstrumentList)->trigger(); },
        [&](CPristrojeDlg& list) {
            tickActivity(list);
            refused = until([&] { return !entry->m_merit && !running(); });
            line.WithInstrument(1, [](sim::Instrument& i) { i.SetVersion(130); });
            const int mark = line.ReplyCount();
            tickActivity(list);
            // Measured: the polls go on.
            activated = until([&] { return entry->m_merit && running() && line.ReplyCount() >= mark + 10; });
            list.reject();
        });
    ASSERT_TRUE(came);
    EXPECT_TRUE(refused);
    EXPECT_TRUE(activated);
    const auto refusals = std::count_if(boxes.Requests().begin(), boxes.Requests().end(), [](const auto& box) {
        return box.text.contains(QStringLiteral("starou verzi firmware"));
    });
    EXPECT_EQ(refusals, 1);
}

// "Vlastnosti" in the instrument list renames an instrument whose live window
// and floating panel are open and which a download task names. After "Konec"
// the settings hold one key for it, the new one, with every value the old
// one held and what its windows keep; the task names it by its new name. At
// the next start both instruments on the line are polled and the renamed
// one's window and panel come back.
TEST_F(DaySimTest, RenamedInstrumentHasOneKeyAndEveryInstrumentIsPolledAfterARestart)
{
    const Member trafo{"Trafo", sim::Family::VK, CPristroj::kVK, 130, true, true};
    Prepare({kDesk[0], trafo});
    const QString oldName = QStringLiteral("Trafo");
    const QString newName = QStringLiteral("Trafo T1");
    // The list order an earlier session kept, and its weekly download task
    // (not due during the test).
    store.WriteProfileInt(CDeviceRegistry::Key(QStringLiteral("Kotelna")), QStringLiteral("poradi"), 0);
    store.WriteProfileInt(CDeviceRegistry::Key(oldName), QStringLiteral("poradi"), 1);
    const platform::SettingsSection task({QStringLiteral("tasks"), QStringLiteral("T0")});
    store.WriteProfileInt(task, QStringLiteral("index"), 0);
    store.WriteProfileInt(task, QStringLiteral("isAktiv"), 1);
    store.WriteProfileString(task, QStringLiteral("pristroj"), oldName);
    store.WriteProfileString(task, QStringLiteral("nazev"), QStringLiteral("Týdenní"));
    store.WriteProfileInt(task, QStringLiteral("interval"), 4);
    store.WriteProfileInt(task, QStringLiteral("lastTime"), int(QDateTime::currentSecsSinceEpoch()));
    store.WriteProfileInt({QStringLiteral("tasks"), QStringLiteral("nastaveni")}, QStringLiteral("lastIndex"), 1);
    const auto requests = [this](std::uint8_t address) {
        int count = 0;
        line.WithInstrument(address, [&](sim::Instrument& i) { count = i.requestCount; });
        return count;
    };
    // Both instruments answer a few more polls (generous bound).
    const auto bothPolled = [&] {
        const int kotelna = requests(1);
        const int renamed = requests(2);
        return testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                return requests(1) >= kotelna + 4 && requests(2) >= renamed + 4;
            },
            120000);
    };
    Start();
    ASSERT_TRUE(WaitForDesk());
    const QStringList held = store.Entries(CDeviceRegistry::Key(oldName));
    ASSERT_TRUE(held.contains(QStringLiteral("soubor")));

    int dialogs = 0;
    shelltest::HandModals([this] { app->MainFrame()->Action(CMainFrame::kInstrumentList)->trigger(); },
                          [&](QWidget& window) {
                              if (auto* list = qobject_cast<CPristrojeDlg*>(&window)) {
                                  // Out of the hand, so that the dialogs it
                                  // brings up are handed too.
                                  QTimer::singleShot(0, list, [list] {
                                      CDeviceListCtrl* rows = list->List();
                                      const QRect row = rows->visualItemRect(rows->item(1, 0));
                                      QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, row.center());
                                      QTest::mouseClick(list->Button(CPristrojeDlg::IdProperties), Qt::LeftButton);
                                      QTest::mouseClick(list->Button(CPristrojeDlg::IdEnd), Qt::LeftButton);
                                  });
                              } else if (auto* dialog = qobject_cast<CAddInstrumentDlg*>(&window)) {
                                  ++dialogs;
                                  boxes.Answer(ui::MsgAnswer::Yes); // "Opravdu změnit vlastnosti přístroje ?"
                                  QLineEdit* name = dialog->Control<QLineEdit>(CAddInstrumentDlg::IdName);
                                  EXPECT_EQ(name->text(), oldName);
                                  QTest::keyClick(name, Qt::Key_End);
                                  QTest::keyClicks(name, QStringLiteral(" T1"));
                                  QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("1")),
                                                    Qt::LeftButton);
                              } else if (auto* other = qobject_cast<QDialog*>(&window)) {
                                  ADD_FAILURE() << "unexpected " << window.windowTitle().toStdString();
                                  other->reject();
                              }
                          });
    ASSERT_EQ(dialogs, 1);
    CPristroj* renamed = Entry("Trafo T1");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(Entry("Trafo"), nullptr);
    ui::CView* view = app->LiveView(*renamed);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument()->GetTitle(), newName);
    EXPECT_TRUE(app->IsPanelOpen(*renamed));
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* panel = qobject_cast<ui::CPanelFrame*>(window); panel && panel->isVisible()) {
            EXPECT_NE(panel->windowTitle(), oldName);
        }
    }
    EXPECT_EQ(store.SubSections(QStringLiteral("pristroje")), (QStringList{QStringLiteral("Kotelna"), newName}));
    EXPECT_TRUE(bothPolled());

    ASSERT_EQ(Quit(), 0);
    EXPECT_EQ(StoredInstruments(), (QStringList{QStringLiteral("Kotelna"), newName}));
    const platform::SettingsSection key = CDeviceRegistry::Key(newName);
    const QStringList kept = store.Entries(key);
    for (const QString& value : held)
        EXPECT_TRUE(kept.contains(value)) << value.toStdString();
    // The live window's panes and placement and the panel's placement.
    for (const char* value : {"isGraf", "prickaX", "cx", "p_cx"})
        EXPECT_TRUE(kept.contains(QString::fromLatin1(value))) << value;
    EXPECT_EQ(store.GetProfileInt(key, QStringLiteral("poradi"), -1), 1);
    // The archive keeps its file.
    EXPECT_EQ(store.GetProfileString(key, QStringLiteral("soubor")), DataFolder() + QStringLiteral("/Trafo/Trafo"));
    EXPECT_EQ(store.GetProfileString(task, QStringLiteral("pristroj")), newName);

    // The next start, told of nothing.
    app.reset();
    desk[1].name = "Trafo T1";
    const std::size_t toldBefore = boxes.Requests().size();
    Start();
    ASSERT_TRUE(WaitForDesk());
    EXPECT_EQ(app->GetDeviceList().size(), 2U);
    EXPECT_TRUE(bothPolled()) << requests(1) << " " << requests(2);
    for (std::size_t i = toldBefore; i < boxes.Requests().size(); ++i)
        ADD_FAILURE() << boxes.Requests()[i].text.toStdString();
    EXPECT_EQ(Quit(), 0);
    EXPECT_EQ(StoredInstruments(), (QStringList{QStringLiteral("Kotelna"), newName}));
}

// "Vlastnosti" refuses a bus address no instrument can have, for every
// family, in the words of the check the stored settings get at start: the
// dialog stays up with the focus in the address field, and nothing changes
// (the entry, its row in the list, its key), nor is anything sent: the
// instrument that 300 cut to a byte would reach is never asked, not by
// "auto" either. A valid address is taken and polled. The address of another
// measuring instrument is a collision: the edited one stops measuring.
TEST_F(DaySimTest, PropertiesRefuseAnAddressNoInstrumentCanHaveForEveryFamily)
{
    std::vector<Member> members;
    for (const Member& m : kDesk) {
        Member quiet = m;
        quiet.live = quiet.panel = false;
        members.push_back(quiet);
    }
    const auto newAddress = [](std::size_t i) { return std::uint8_t(11 + i); };
    // Where 300 lands when cut to its byte, and each instrument's new place.
    sim::Instrument wrapped(sim::Family::VK, 44);
    wrapped.SetVersion(130);
    line.AddInstrument(wrapped);
    for (std::size_t i = 0; i < members.size(); ++i) {
        sim::Instrument moved(members[i].family, newAddress(i));
        if (members[i].version >= 0)
            moved.SetVersion(std::uint16_t(members[i].version));
        line.AddInstrument(moved);
    }
    Prepare(members);
    Start();
    const auto requests = [this](std::uint8_t address) {
        int count = 0;
        line.WithInstrument(address, [&](sim::Instrument& i) { count = i.requestCount; });
        return count;
    };
    const auto allPolledAt = [&](const std::function<std::uint8_t(std::size_t)>& address) {
        return testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                for (std::size_t i = 0; i < members.size(); ++i)
                    if (requests(address(i)) < 2)
                        return false;
                return true;
            },
            120000);
    };
    ASSERT_TRUE(allPolledAt([](std::size_t i) { return Address(i); }));
    const QString port = QString::fromStdString(line.SlavePath());
    const QStringList refused = {QStringLiteral("0"), QStringLiteral("254"), QStringLiteral("255"),
                                 QStringLiteral("257"), QStringLiteral("300")};
    const auto retype = [](QLineEdit* edit, const QString& text) {
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
    };
    const auto rowText = [&](const char* name, int address) {
        return CDeviceListCtrl::RowText(QString::fromUtf8(name), port, address);
    };

    // Through the list: each instrument's properties, twice: the refused
    // values, then a valid one; then Hala onto Kotelna's new address.
    enum class Step { Refuse, Move, Collide };
    Step step = Step::Refuse;
    std::size_t member = 0;
    QStringList rowsAfterRefusal;
    int dialogs = 0;
    shelltest::HandModals(
        [this] { app->MainFrame()->Action(CMainFrame::kInstrumentList)->trigger(); },
        [&](QWidget& window) {
            if (auto* list = qobject_cast<CPristrojeDlg*>(&window)) {
                QTimer::singleShot(0, list, [&, list] {
                    CDeviceListCtrl* rows = list->List();
                    const auto properties = [&](const Member& m) {
                        const QString wanted = QString::fromUtf8(m.name) + QStringLiteral(" (");
                        int at = 0;
                        while (at < rows->rowCount() && !rows->item(at, 0)->text().startsWith(wanted))
                            ++at;
                        if (at == rows->rowCount()) {
                            ADD_FAILURE() << "no row of " << m.name;
                            return QString();
                        }
                        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                                          rows->visualItemRect(rows->item(at, 0)).center());
                        QTest::mouseClick(list->Button(CPristrojeDlg::IdProperties), Qt::LeftButton);
                        return rows->item(at, 0)->text();
                    };
                    for (member = 0; member < members.size(); ++member) {
                        step = Step::Refuse;
                        rowsAfterRefusal << properties(members[member]);
                        step = Step::Move;
                        properties(members[member]);
                    }
                    step = Step::Collide;
                    member = 1;
                    properties(members[member]);
                    QTest::mouseClick(list->Button(CPristrojeDlg::IdEnd), Qt::LeftButton);
                });
                return;
            }
            auto* dialog = qobject_cast<CAddInstrumentDlg*>(&window);
            if (!dialog) {
                ADD_FAILURE() << "unexpected " << window.windowTitle().toStdString();
                if (auto* other = qobject_cast<QDialog*>(&window))
                    other->reject();
                return;
            }
            ++dialogs;
            const Member& m = members[member];
            SCOPED_TRACE(m.name);
            CPristroj* entry = Entry(m.name);
            const platform::SettingsSection key = CDeviceRegistry::Key(QString::fromUtf8(m.name));
            auto* address = dialog->Control<QLineEdit>(CAddInstrumentDlg::IdAddress);
            auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("1"));
            if (step != Step::Refuse) {
                retype(address, QString::number(newAddress(step == Step::Move ? member : 0)));
                if (step == Step::Collide)
                    boxes.Answer(ui::MsgAnswer::Ok); // "Kolize adresy, ..."
                boxes.Answer(ui::MsgAnswer::Yes); // "Opravdu změnit vlastnosti přístroje ?"
                QTest::mouseClick(ok, Qt::LeftButton);
                EXPECT_FALSE(dialog->isVisible());
                return;
            }
            const auto refusedHere = [&](const QString& value, QPushButton* button) {
                SCOPED_TRACE(value.toStdString());
                const std::size_t told = boxes.Requests().size();
                retype(address, value);
                QTest::mouseClick(button, Qt::LeftButton);
                EXPECT_TRUE(dialog->isVisible());
                ASSERT_EQ(boxes.Requests().size(), told + 1);
                EXPECT_EQ(boxes.Requests().back().text,
                          QString::fromUtf8("Přístroj %1: nastavení \"adresa\" má neplatnou hodnotu %2 "
                                            "(povoleno 1 až 253).")
                              .arg(QString::fromUtf8(m.name), value));
                EXPECT_EQ(boxes.Requests().back().caption, QStringLiteral("CHYBA"));
                EXPECT_EQ(dialog->focusWidget(), address);
                EXPECT_EQ(entry->m_adresa, Address(member));
                EXPECT_EQ(store.GetProfileInt(key, QStringLiteral("adresa"), -1), Address(member));
            };
            for (const QString& value : refused)
                refusedHere(value, ok);
            refusedHere(QStringLiteral("300"), dialog->Control<QPushButton>(CAddInstrumentDlg::IdIdentify));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
        });
    ASSERT_EQ(dialogs, int(2 * members.size() + 1));
    for (std::size_t i = 0; i < members.size(); ++i) {
        SCOPED_TRACE(members[i].name);
        EXPECT_EQ(rowsAfterRefusal.value(int(i)), rowText(members[i].name, Address(i)));
        CPristroj* entry = Entry(members[i].name);
        ASSERT_NE(entry, nullptr);
        const std::uint8_t expected = i == 1 ? newAddress(0) : newAddress(i);
        EXPECT_EQ(entry->m_adresa, expected);
        EXPECT_EQ(store.GetProfileInt(CDeviceRegistry::Key(QString::fromUtf8(members[i].name)),
                                      QStringLiteral("adresa"), -1),
                  expected);
        // The collision leaves Hala not measuring.
        EXPECT_EQ(entry->m_merit != 0, i != 1);
    }
    const auto questions = std::count_if(boxes.Requests().begin(), boxes.Requests().end(), [](const auto& box) {
        return box.text == QStringLiteral("Opravdu změnit vlastnosti přístroje ?");
    });
    EXPECT_EQ(questions, std::ptrdiff_t(members.size() + 1)) << "asked only for the valid addresses";
    const auto collisions = std::count_if(boxes.Requests().begin(), boxes.Requests().end(), [](const auto& box) {
        return box.text == QStringLiteral("Kolize adresy, přístroj nelze aktivovat");
    });
    EXPECT_EQ(collisions, 1);
    EXPECT_TRUE(allPolledAt(newAddress));
    EXPECT_EQ(requests(44), 0);
    EXPECT_EQ(Quit(), 0);
}

} // namespace

// A live window that was never placed opens as large as its panes need,
// within the main window's MDI area: the front panel whole at its own size
// and the values readable. `wide`: the main window has room for every
// pane's fullest arrangement, which each values pane then shows, every
// group and chart whole and no value cut, and each further window opens a
// step down the area's cascade.
void DaySimTest::ExpectFirstLiveWindowsShowTheirPanes(bool wide)
{
    Prepare({std::begin(kDesk), std::end(kDesk)});
    // The panes the user keeps: graph, values and front panel.
    for (const Member& m : kDesk) {
        const platform::SettingsSection key = CDeviceRegistry::Key(QString::fromUtf8(m.name));
        store.WriteProfileInt(key, QStringLiteral("isGraf"), 1);
        store.WriteProfileInt(key, QStringLiteral("isData"), 1);
        store.WriteProfileInt(key, QStringLiteral("isAlarm"), 0);
        store.WriteProfileInt(key, QStringLiteral("isNahled"), 1);
    }
    if (wide) {
        // A main window the user left larger than a desktop is.
        const std::pair<const char*, int> placement[] = {
            {"maximize", 0}, {"x", 0}, {"y", 0}, {"cx", 4000}, {"cy", 2400}};
        for (const auto& [key, value] : placement)
            store.WriteProfileInt(CGeneralSettings::Section(), QString::fromLatin1(key), value);
    }
    Start();
    ASSERT_TRUE(WaitForDesk());

    const QSize room = app->MainFrame()->MdiArea()->viewport()->size();
    std::set<std::pair<int, int>> corners;
    for (const Member& m : kDesk) {
        SCOPED_TRACE(m.name);
        ui::CView* view = app->LiveView(*Entry(m.name));
        ASSERT_NE(view, nullptr);
        const ui::CChildFrame* frame = view->GetParentFrame();
        ASSERT_NE(frame, nullptr);
        corners.insert({frame->x(), frame->y()});
        EXPECT_LE(frame->width(), room.width());
        EXPECT_LE(frame->height(), room.height());
        // Not squeezed below what the view asks for, where the area has room
        // beside the steps of its cascade.
        const QSize wanted = view->sizeHint().boundedTo(frame->NewWindowRoom() - (frame->size() - view->size()));
        EXPECT_GE(view->width(), wanted.width());
        EXPECT_GE(view->height(), wanted.height());
        EXPECT_GT(view->width(), 400);
        EXPECT_GT(view->height(), 300);

        QWidget* panel = nullptr;
        QWidget* values = nullptr;
        if (auto* controller = dynamic_cast<controllers::CControllerAktMer*>(view)) {
            panel = controller->PanelControl();
            values = controller->ValuesPane();
        } else if (auto* analyser = dynamic_cast<analysers_vk::CVKFormView*>(view)) {
            panel = analyser->PanelPane();
            values = analyser->ValuesPane();
        }
        // Both seen whole; the values at their readable size, the front panel
        // (whose bitmap may be larger than the area) at least at its pane's
        // natural size.
        ASSERT_NE(panel, nullptr);
        ASSERT_NE(values, nullptr);
        const QWidget* viewport = app->MainFrame()->MdiArea()->viewport();
        for (QWidget* pane : {panel, values}) {
            ASSERT_TRUE(pane->isVisible());
            const QRect seen(pane->mapTo(viewport, QPoint(0, 0)), pane->size());
            EXPECT_TRUE(viewport->rect().contains(seen));
            EXPECT_TRUE(view->rect().contains(pane->geometry()));
        }
        // The values at their readable size where the area has room for it.
        const bool whole = view->width() >= view->sizeHint().width() && view->height() >= view->sizeHint().height();
        EXPECT_TRUE(whole || !wide);
        EXPECT_GE(values->width(), whole ? values->sizeHint().width() : 190);
        EXPECT_GE(values->height(), whole ? values->sizeHint().height() : 100);
        EXPECT_GE(panel->width(), 150);
        EXPECT_GE(panel->height(), 150);
        if (!wide)
            continue;
        // Every group and chart of the fullest arrangement in the pane, and
        // every text of a group within its field.
        for (QWidget* part : FullestParts(values)) {
            ASSERT_NE(part, nullptr);
            EXPECT_TRUE(part->isVisible());
            EXPECT_TRUE(values->rect().contains(QRect(part->mapTo(values, QPoint(0, 0)), part->size())))
                << part->metaObject()->className();
            for (const QLabel* label : part->findChildren<QLabel*>()) {
                if (!label->isVisible() || label->text().isEmpty())
                    continue;
                const QRect inner = label->contentsRect();
                EXPECT_GE(inner.width(), label->fontMetrics().horizontalAdvance(label->text()))
                    << label->text().toStdString();
                EXPECT_GE(inner.height(), label->fontMetrics().height()) << label->text().toStdString();
                EXPECT_TRUE(part->rect().contains(label->geometry())) << label->text().toStdString();
            }
        }
    }
    // With room to spare no window stands over another's corner: each is
    // seen behind the next, as the MDI cascades new windows.
    if (wide) {
        EXPECT_EQ(corners.size(), std::size(kDesk));
    }
}

TEST_F(DaySimTest, LiveWindowOpenedForTheFirstTimeShowsItsPanesWhole)
{
    ExpectFirstLiveWindowsShowTheirPanes(false);
}

TEST_F(DaySimTest, LiveWindowOpenedForTheFirstTimeWithRoomShowsEveryValue)
{
    ExpectFirstLiveWindowsShowTheirPanes(true);
}
