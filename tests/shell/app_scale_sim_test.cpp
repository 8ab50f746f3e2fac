// Many instruments, each on a line of its own, started by the program from
// its stored settings: the block end that they all reach at the same
// instant, and the end of the program through "Konec" while they record.
#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "archive/store/ArchivRecord.h"
#include "link/Pristroj.h"
#include "platform/Cp1250.h"
#include "shell/DeviceRegistry.h"
#include "shell/GeneralSettings.h"
#include "shell/MainFrame.h"
#include "shell/MavexApp.h"
#include "support/FileWrites.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/WaitUntil.h"
#include "tools/archivetool/ArchiveTool.h"
#include "tools/instrument_sim/PtySimulator.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace {

constexpr std::uint8_t kVKValues = 0x3A;
// As many as a sanitised build polls in time on a two-core machine; the
// main thread writes all their blocks at the same block end.
constexpr int kInstruments = 60;
constexpr int kInterval = 2;
// A minute's block: the first one ends within a minute of the start, on
// the same second for every instrument.
constexpr int kRecordsPerBlock = 30;

struct Line {
    QString name;
    sim::PtySimulator sim;
    std::atomic<int> served{0};
};

class ScaleSimTest : public shelltest::StoreTest {
protected:
    void TearDown() override
    {
        shelltest::EndProgramAndLines(app, [this] {
            for (auto& line : lines)
                line->sim.Stop();
        });
        StoreTest::TearDown();
    }
    QString Data(const QString& relative) const { return dir.filePath(QStringLiteral("data/") + relative); }
    QString Archive(const Line& line) const { return Data(QStringLiteral("%1/%1.vk").arg(line.name)); }

    // Every instrument a VK analyser at address 1 of its own line, stored
    // to measure and record from the start.
    void Prepare()
    {
        store.WriteProfileString(CGeneralSettings::Section(), QStringLiteral("adresar"), Data(QString()));
        store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), 2);
        for (int i = 0; i < kInstruments; ++i) {
            auto line = std::make_unique<Line>();
            line->name = QStringLiteral("Rozvadec %1").arg(i + 1, 3, 10, QLatin1Char('0'));
            sim::Instrument analyser(sim::Family::VK, 1);
            analyser.SetVersion(130); // older firmware is only set up, not measured
            analyser.SetCommand(kVKValues, [read = sim::ReadBlock(kVKValues), served = &line->served](
                                               sim::Instrument& self, const sim::Frame& frame) {
                ++*served;
                return read(self, frame);
            });
            line->sim.AddInstrument(analyser);
            std::string error;
            ASSERT_TRUE(line->sim.Start(error)) << error;
            ASSERT_TRUE(QDir().mkpath(Data(line->name)));
            const platform::SettingsSection key = CDeviceRegistry::Key(line->name);
            store.WriteProfileInt(key, QStringLiteral("kat"), CPristroj::kVK);
            store.WriteProfileInt(key, QStringLiteral("adresa"), 1);
            store.WriteProfileString(key, QStringLiteral("com"), QString::fromStdString(line->sim.SlavePath()));
            store.WriteProfileInt(key, QStringLiteral("merit"), 1);
            store.WriteProfileInt(key, QStringLiteral("zobrazovat"), 0);
            store.WriteProfileInt(key, QStringLiteral("zaznamenavat"), 1);
            store.WriteProfileString(key, QStringLiteral("soubor"), Data(QStringLiteral("%1/%1").arg(line->name)));
            store.WriteProfileInt(key, QStringLiteral("intervalMereni"), kInterval);
            store.WriteProfileInt(key, QStringLiteral("intervalZapisovani"), kRecordsPerBlock);
            store.WriteProfileInt(key, QStringLiteral("intervalPrepisovani"), 3600);
            store.WriteProfileInt(key, QStringLiteral("prepisovat"), 1);
            store.WriteProfileInt(key, QStringLiteral("synchronizovat"), 0);
            lines.push_back(std::move(line));
        }
    }
    void Start()
    {
        CMavexApp::Environment env = shelltest::QuietEnvironment();
        env.showWindow = true;
        app = std::make_unique<CMavexApp>(env);
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
    }
    // Until every instrument has answered `count` polls (generous bound),
    // the program's events handled meanwhile.
    bool WaitForServed(int count)
    {
        return testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                return std::all_of(lines.begin(), lines.end(), [count](const auto& l) { return l->served >= count; });
            },
            600000);
    }
    // "Soubor > Konec" from the main window's event loop; the loop's exit
    // code, 7 when the program did not end.
    int Quit()
    {
        QTimer::singleShot(0, app.get(), [this] { app->MainFrame()->Action(CMainFrame::kAppExit)->trigger(); });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
        guard.start(300000);
        const int code = QApplication::exec();
        app->ExitInstance();
        return code;
    }

    ui::ScriptedMessageBoxes boxes{ui::MsgAnswer::Ok};
    std::vector<std::unique_ptr<Line>> lines;
    std::unique_ptr<CMavexApp> app;
};

// All of them end their first block at the same second and hand it to the
// main thread at once; then the user quits. Every measurement served up to
// the quit is in its instrument's archive, none of them was missed for the
// main thread's sake (an outage record) and nobody was told the main
// thread could not be found; the settings file is written once on the way
// out.
TEST_F(ScaleSimTest, ManyInstrumentsKeepEveryMeasurementThroughABlockEndAndTheQuit)
{
    Prepare();
    ASSERT_FALSE(HasFatalFailure());
    Start();
    ASSERT_FALSE(HasFatalFailure());
    // A block holds at most kRecordsPerBlock measurements: this many polls
    // each are past the first block end by two polls at least.
    ASSERT_TRUE(WaitForServed(kRecordsPerBlock + 3));

    testsupport::FileWrites settingsWrites(file());
    ASSERT_TRUE(settingsWrites.Valid());
    ASSERT_EQ(Quit(), 0);
    std::vector<int> served;
    for (const auto& line : lines)
        served.push_back(line->served.load());
    app.reset();
    EXPECT_EQ(settingsWrites.Count(), 1);

    for (const auto& request : boxes.Requests())
        ADD_FAILURE() << "box: " << request.text.toStdString();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = *lines[i];
        SCOPED_TRACE(line.name.toStdString());
        CArchivRecordList records;
        QString instrument, error;
        ASSERT_TRUE(archivetool::ReadArchiveRecords(Archive(line), records, instrument, error)) << error.toStdString();
        std::string outages;
        int data = 0;
        int blocks = 0;
        for (const CArchivRecord& r : records) {
            data += r.IsData() ? 1 : 0;
            blocks += r.type == kRecordSettings ? 1 : 0;
            if (r.type == kRecordError)
                outages += std::to_string(r.time) + " " + platform::FromCp1250(r.data).toStdString() + "\n";
        }
        EXPECT_EQ(outages, "");
        EXPECT_GE(blocks, 2) << "the first block ended while recording";
        // The reply in flight when the program ended may be the one not
        // stored.
        EXPECT_GE(data, served[i] - 1);
        EXPECT_LE(data, served[i]);
    }
}

} // namespace
