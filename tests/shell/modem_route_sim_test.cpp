// An analyser behind a telephone modem, as an engineer sets it up in the
// running program: the simulated Hayes modem answers on a pseudo-terminal,
// which "Modemy" makes a modem line; "Přidat přístroj" puts the analyser on
// that line with its number; the program dials, measures and records over
// the call; "Ukončit spojení" hangs up; a busy number and a lost carrier are
// told in the dialogs. Every step goes through the program's own dialogs.
#include "AppTestSupport.h"

#include "app/Families.h"
#include "archive/store/VKArchivImport.h"
#include "link/ModemTestSupport.h"
#include "link_ui/ModemDialTestSupport.h"
#include "link_ui/TransferProgressDlg.h"
#include "platform/Settings.h"
#include "shell/AddInstrumentDlg.h"
#include "shell/DeviceListCtrl.h"
#include "shell/GeneralSettings.h"
#include "shell/MainFrame.h"
#include "shell/PristrojeDlg.h"
#include "support/ScriptedMessageBoxes.h"
#include "tools/instrument_sim/PtySimulator.h"
#include "tools/instrument_sim/SimArchive.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using modemdialtest::OpenDialog;

constexpr char kNumber[] = "0412345678";

template <class F>
bool Until(F done, int seconds = 120)
{
    const QDeadlineTimer deadline(seconds * 1000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Runs `trigger` (which opens a modal dialog of class T); `hand` is given
// the dialog once it shows and closes it.
template <class T>
bool WithModal(const std::function<void()>& trigger, const std::function<void(T&)>& hand)
{
    bool handled = false;
    bool busy = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (busy || handled || !dialog || !dialog->isVisible())
            return;
        busy = true;
        handled = true;
        hand(*dialog);
        busy = false;
    });
    timer.start(20);
    trigger();
    timer.stop();
    return handled;
}

void Click(QWidget* widget)
{
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
}

class ModemRouteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("store.ini")));
        platform::Settings store;
        store.WriteProfileString(CGeneralSettings::Section(), QStringLiteral("adresar"), dir.filePath(QStringLiteral("data")));

        sim::ModemScript script;
        // The simulated modem's guard times within the real part of the
        // program's (see SteppingClock).
        script.guardMs = 20;
        line.UseModem(script);
        sim::Instrument analyser(sim::Family::VK, 1);
        sim::ServeDefaultMemory(analyser);
        analyser.SetVersion(130); // a firmware the program measures
        line.AddInstrument(analyser);
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;
        pty = QString::fromStdString(line.SlavePath());

        CMavexApp::Environment env = shelltest::QuietEnvironment();
        env.modemClock = &clock;
        app = std::make_unique<CMavexApp>(env);
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
        frame = app->MainFrame();
        frame->show();
    }
    void TearDown() override
    {
        shelltest::EndProgramAndLines(app, [this] { line.Stop(); });
        platform::Settings::SetFileForTesting(QString());
    }

    sim::HayesModem Modem()
    {
        sim::HayesModem copy;
        line.WithModem([&](sim::HayesModem& m) { copy = m; });
        return copy;
    }
    template <class Fn>
    void Script(Fn&& fn)
    {
        line.WithModem([&](sim::HayesModem& m) { fn(m.script); });
    }

    // "Modemy": `hand` works in the dialog, which is then closed.
    void InModems(const std::function<void(CTransferProgressDlg&)>& hand)
    {
        ASSERT_TRUE(WithModal<CTransferProgressDlg>([this] { frame->Action(CMainFrame::kModems)->trigger(); },
                                                    [&](CTransferProgressDlg& dialog) {
                                                        hand(dialog);
                                                        for (QPushButton* b : dialog.findChildren<QPushButton*>())
                                                            if (b->text() == QStringLiteral("Zavřít"))
                                                                QMetaObject::invokeMethod(b, &QPushButton::click,
                                                                                          Qt::QueuedConnection);
                                                    }));
    }

    // What "Modemy" shows for the line now.
    ModemStateTexts Shown()
    {
        ModemStateTexts shown;
        InModems([&](CTransferProgressDlg& dialog) { shown = dialog.Shown(); });
        return shown;
    }

    // "Seznam přístrojů": a click on the instrument's "měřit" box.
    void ToggleMeasuring()
    {
        ASSERT_TRUE(WithModal<CPristrojeDlg>([this] { frame->Action(CMainFrame::kInstrumentList)->trigger(); },
                                             [](CPristrojeDlg& list) {
                                                 CDeviceListCtrl* rows = list.List();
                                                 const QRect cell = rows->visualRect(rows->model()->index(0, 1));
                                                 QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                                                                   cell.center());
                                                 QMetaObject::invokeMethod(list.Button(CPristrojeDlg::IdEnd),
                                                                           &QPushButton::click, Qt::QueuedConnection);
                                             }));
    }

    CPristroj* Instrument() const { return shelltest::InstrumentNamed(*app, QStringLiteral("Vodárna")); }

    QTemporaryDir dir;
    sim::PtySimulator line;
    QString pty;
    modemtest::SteppingClock clock;
    std::unique_ptr<CMavexApp> app;
    CMainFrame* frame = nullptr;
};

TEST_F(ModemRouteTest, MarkAddDialMeasureRecordHangUpBusyAndLostCarrier)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    const QString lineName = QStringLiteral("modem (") + pty + QLatin1Char(')');

    // 1. "Modemy" with no modem line yet: the pseudo-terminal typed in and
    // marked as a modem becomes a line of its own.
    InModems([&](CTransferProgressDlg& dialog) {
        EXPECT_EQ(dialog.Tabs()->count(), 0);
        auto* port = dialog.findChild<QComboBox*>(QString::number(CTransferProgressDlg::IdModemPort));
        auto* onPort = dialog.findChild<QCheckBox*>(QString::number(CTransferProgressDlg::IdModemOnPort));
        ASSERT_NE(port, nullptr);
        port->lineEdit()->selectAll();
        QTest::keyClicks(port->lineEdit(), pty);
        EXPECT_FALSE(onPort->isChecked());
        Click(onPort);
        ASSERT_EQ(dialog.Tabs()->count(), 1);
        EXPECT_EQ(dialog.Tabs()->tabText(0), lineName);
        EXPECT_EQ(dialog.Shown().state, QStringLiteral("Modem není spojen - není požadován."));
    });
    EXPECT_EQ(platform::Settings().GetProfileInt("modemy", pty + QStringLiteral("_modem"), 0), 1);

    // 2. "Přidat přístroj" offers the line; with it the number is asked for.
    ASSERT_TRUE(WithModal<CAddInstrumentDlg>([this] { frame->Action(CMainFrame::kAddDevice)->trigger(); },
                                             [&](CAddInstrumentDlg& dialog) {
                                                 auto* port = dialog.Control<QComboBox>(CAddInstrumentDlg::IdPort);
                                                 const int index = port->findData(lineName);
                                                 ASSERT_GE(index, 0);
                                                 EXPECT_EQ(port->itemText(index), lineName + QStringLiteral(" ( modem )"));
                                                 port->setCurrentIndex(index);
                                                 auto* number = dialog.Control<QLineEdit>(CAddInstrumentDlg::IdTelephone);
                                                 ASSERT_TRUE(number->isEnabled());
                                                 QTest::keyClicks(number, QString::fromLatin1(kNumber));
                                                 auto* name = dialog.Control<QLineEdit>(CAddInstrumentDlg::IdName);
                                                 name->selectAll();
                                                 name->insert(QStringLiteral("Vodárna")); // typed: no key for "á"
                                                 auto* address = dialog.Control<QLineEdit>(CAddInstrumentDlg::IdAddress);
                                                 address->selectAll();
                                                 QTest::keyClicks(address, QStringLiteral("1"));
                                                 auto* type = dialog.Control<QComboBox>(CAddInstrumentDlg::IdType);
                                                 type->setCurrentIndex(type->findData(CPristroj::kVK));
                                                 for (int id : {CAddInstrumentDlg::IdMeasure, CAddInstrumentDlg::IdRecord}) {
                                                     auto* box = dialog.Control<QCheckBox>(id);
                                                     if (!box->isChecked())
                                                         Click(box);
                                                 }
                                                 QMetaObject::invokeMethod(dialog.Control<QPushButton>(1),
                                                                           &QPushButton::click, Qt::QueuedConnection);
                                             }));
    CPristroj* entry = Instrument();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_com, lineName);
    EXPECT_EQ(entry->m_telCislo, QString::fromLatin1(kNumber));

    // 3. The program dials the number (its dialog counts down and goes), and
    // measures over the call.
    ASSERT_TRUE(Until([&] { return Modem().InDataMode(); })) << Modem().commands.size();
    EXPECT_EQ(Modem().dials, 1);
    EXPECT_EQ(Modem().lastNumber, kNumber);
    const int before = line.RequestCount();
    ASSERT_TRUE(Until([&] { return line.RequestCount() >= before + 6; }));
    ASSERT_TRUE(Until([] { return OpenDialog() == nullptr; }));
    const CArchivData* archive = entry->GetArchivData();
    ASSERT_NE(archive, nullptr);
    const QString recorded = archive->GetFilePath();
    ModemStateTexts shown = Shown();
    EXPECT_EQ(shown.state, QStringLiteral("Modem je spojen."));
    EXPECT_EQ(shown.links, QStringLiteral("1"));

    // 4. "Ukončit spojení": the hang-up dialog counts down, the modem is
    // escaped and hung up, the call is counted.
    InModems([&](CTransferProgressDlg& dialog) {
        auto* hangUp = dialog.findChild<QPushButton*>(QString::number(CTransferProgressDlg::IdHangUp));
        ASSERT_TRUE(hangUp->isEnabled());
        hangUp->click();
        EXPECT_EQ(dialog.Shown().state, QStringLiteral("Modem není spojen - není požadován."));
        EXPECT_EQ(dialog.Shown().callAmount, QStringLiteral("--"));
    });
    EXPECT_EQ(Modem().escapes, 1);
    EXPECT_EQ(Modem().hangUps, 1);
    EXPECT_FALSE(Modem().OffHook());

    // What was measured over the call is in the archive once the
    // instrument stops measuring.
    ToggleMeasuring();
    ASSERT_TRUE(Until([&] { return !entry->m_merit; }));
    {
        CVKDownloadArchivData reader;
        ASSERT_TRUE(reader.OpenByPath(recorded)) << recorded.toStdString();
        int data = 0;
        ASSERT_TRUE(reader.OpenFirstBlock());
        do {
            for (const CArchivRecord& record : reader.CurrentBlock())
                data += record.IsData() ? 1 : 0;
        } while (reader.ReadNextBlock());
        EXPECT_GT(data, 0);
    }

    // 5. A busy number: the dial dialog says so and waits for OK.
    Script([](sim::ModemScript& s) { s.answer = sim::DialAnswer::Busy; });
    ToggleMeasuring();
    ASSERT_TRUE(Until([&] {
        CModemDialDlg* dialog = OpenDialog();
        return dialog && dialog->IsFinished();
    })) << "dials " << Modem().dials << " merit " << entry->m_merit << " boxes " << boxes.Requests().size() << " "
        << (boxes.Requests().empty() ? std::string() : boxes.Requests().back().text.toStdString()) << " dialog "
        << (OpenDialog() ? OpenDialog()->StatusText().toStdString() : std::string("none"));
    EXPECT_EQ(OpenDialog()->StatusText(), QStringLiteral("Obsazeno."));
    EXPECT_EQ(Modem().dials, 2);
    modemdialtest::ClickButton(OpenDialog());
    ASSERT_TRUE(Until([] { return OpenDialog() == nullptr; }));
    EXPECT_EQ(Shown().state, QStringLiteral("Modem není spojen - Chyba."));
    EXPECT_FALSE(Modem().OffHook());

    // 6. The carrier lost during a call: the line is failed, the call counted.
    Script([](sim::ModemScript& s) { s.answer = sim::DialAnswer::Connect; });
    if (entry->m_merit)
        ToggleMeasuring();
    ToggleMeasuring();
    ASSERT_TRUE(Until([&] { return Modem().InDataMode(); }));
    EXPECT_EQ(Modem().dials, 3);
    const int connected = line.RequestCount();
    ASSERT_TRUE(Until([&] { return line.RequestCount() >= connected + 2; }));
    Script([](sim::ModemScript& s) { s.dropNow = true; });
    ASSERT_TRUE(Until([&] { return Shown().state == QStringLiteral("Modem není spojen - Chyba."); }, 60));
    EXPECT_EQ(Modem().hangUps, 2);
    EXPECT_FALSE(Modem().OffHook());
}

} // namespace
