// The program's dialogs and its download window, opened as the program
// opens them, show every control whole and apart from the others, hide
// what is hidden, and take the size their dialog units give.
#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "link/Pristroj.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/PropertySheet.h"
#include "shell/AddInstrumentDlg.h"
#include "shell/MainFrame.h"
#include "shell/ObecneNastaveni.h"
#include "support/LayoutCheck.h"
#include "support/ScriptedMessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

using testsupport::LayoutFaults;

void ExpectLaidOut(const QWidget& window)
{
    const QStringList faults = LayoutFaults(&window);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

class DialogLayoutTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        CMavexApp::Environment env = shelltest::QuietEnvironment();
        // A serial port and an analyser's USB port, so that an instrument
        // can be added and the common page shows port settings.
        env.enumeratePorts = [] {
            std::vector<CSerialPortInfo> list(2);
            list[0].portName = QStringLiteral("ttyS0");
            list[0].devicePath = QStringLiteral("/nonexistent/ttyS0");
            list[0].description = QStringLiteral("Sériový port");
            list[1].portName = QStringLiteral("ttyUSB0");
            list[1].devicePath = QStringLiteral("/nonexistent/ttyUSB0");
            list[1].usbProduct = QStringLiteral("ZRT VKT 44");
            return list;
        };
        app = std::make_unique<CMavexApp>(env);
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
        frame = app->MainFrame();
        frame->show();
    }
    void TearDown() override
    {
        if (app)
            app->ExitInstance();
        app.reset();
        StoreTest::TearDown();
    }

    // Runs the main window's command; `look` sees the modal dialog it opened,
    // laid out and shown, and closes it.
    void WithDialogOf(int command, const std::function<void(QDialog&)>& look)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            QCoreApplication::processEvents();
            look(*dialog);
            dialog->reject();
        });
        QAction* action = frame->Action(command);
        ASSERT_NE(action, nullptr);
        action->trigger();
        EXPECT_TRUE(seen) << command;
    }

    static QSize Dlu(int width, int height, const QWidget& dialog)
    {
        return ui::DluToPixels(QSize(width, height), dialog.font());
    }

    std::unique_ptr<CMavexApp> app;
    CMainFrame* frame = nullptr;
};

} // namespace

// The add-instrument dialog: closed, its advanced part is hidden and takes
// no room; opened, it shows below the rest; the buttons stand where their
// dialog units put them.
TEST_F(DialogLayoutTest, AddInstrumentDialogShowsItsControlsApartAndHidesTheAdvancedPart)
{
    WithDialogOf(CMainFrame::kAddDevice, [](QDialog& dialog) {
        auto* add = dynamic_cast<CAddInstrumentDlg*>(&dialog);
        ASSERT_NE(add, nullptr);
        auto* advanced = add->Control<QCheckBox>(CAddInstrumentDlg::IdAdvanced);
        ASSERT_NE(advanced, nullptr);
        const int advancedIds[] = {1121, CAddInstrumentDlg::IdAdvancedNote, 1080,
                                   CAddInstrumentDlg::IdMeasuringInterval, CAddInstrumentDlg::IdCyclic,
                                   CAddInstrumentDlg::IdRecordingInterval};
        for (const bool open : {false, true, false}) {
            SCOPED_TRACE(open ? "advanced shown" : "advanced hidden");
            if (advanced->isChecked() != open)
                QTest::mouseClick(advanced, Qt::LeftButton, {}, QPoint(8, advanced->height() / 2));
            QCoreApplication::processEvents();
            ASSERT_EQ(advanced->isChecked(), open);
            ExpectLaidOut(dialog);
            // 184 units wide; the button row 14 high at 234, or at 334 with
            // the advanced part, and 7 above the bottom edge.
            const int row = open ? 334 : 234;
            EXPECT_EQ(dialog.size(), Dlu(184, row + 14 + 7, dialog));
            const struct {
                int id;
                int left;
                int width;
            } buttons[] = {{CAddInstrumentDlg::IdAdvanced, 7, 85}, {1, 96, 39}, {2, 138, 39}};
            for (const auto& button : buttons) {
                auto* control = add->Control<QWidget>(button.id);
                ASSERT_NE(control, nullptr);
                EXPECT_EQ(control->geometry(), ui::DluToPixels(QRect(button.left, row, button.width, 14), dialog.font()))
                    << button.id;
            }
            for (int id : advancedIds) {
                auto* control = add->Control<QWidget>(id);
                ASSERT_NE(control, nullptr) << id;
                EXPECT_EQ(control->isVisible(), open) << id;
            }
        }
    });
}

// The general settings sheet takes its dialog-unit size, whichever page is
// in front, and every page shows its controls whole and apart.
TEST_F(DialogLayoutTest, GeneralSettingsSheetTakesItsDialogUnitsAndEveryPageFits)
{
    WithDialogOf(CMainFrame::kGeneralSettings, [](QDialog& dialog) {
        auto* sheet = dynamic_cast<CObecneNastaveni*>(&dialog);
        ASSERT_NE(sheet, nullptr);
        const QSize size = Dlu(CObecneNastaveni::kWidthDlu, CObecneNastaveni::kHeightDlu, dialog);
        EXPECT_EQ(dialog.size(), size);
        ASSERT_EQ(sheet->GetPageCount(), 6);
        for (int i = 0; i < sheet->GetPageCount(); ++i) {
            sheet->SetActivePage(i);
            QCoreApplication::processEvents();
            QWidget* page = sheet->GetPage(i);
            SCOPED_TRACE(page->metaObject()->className());
            ASSERT_TRUE(page->isVisible());
            ExpectLaidOut(dialog);
            EXPECT_EQ(dialog.size(), size);
        }
    });
}

// The download window opens in its frame of 230 x 130 dialog units, its
// two targets and their fields apart.
TEST_F(DialogLayoutTest, DownloadWindowShowsBothTargetsApartInItsFrame)
{
    auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE, CPristroj::kVK,
                                             app->LinkEnvironment());
    entry->m_nazev = QStringLiteral("Hala");
    entry->m_merit = 0;
    CPristroj* hala = entry.get();
    ASSERT_TRUE(app->AdoptInstrument(nullptr, std::move(entry)));
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
    app->ReceiveData(*hala);
    QCoreApplication::processEvents();
    ui::CChildFrame* window = frame->ActiveChildFrame();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->GetActiveView(), nullptr);
    EXPECT_EQ(window->GetActiveView()->metaObject()->className(), QStringLiteral("CDownloaderView"));
    EXPECT_EQ(window->size(), Dlu(230, 130, *window));
    ExpectLaidOut(*window->GetActiveView());
    // The window goes when its failed download is not tried again.
    const QPointer<ui::CChildFrame> guard(window);
    const QDeadlineTimer deadline(60000);
    while (guard && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(guard);
}
