// The program recording a VK analyser on a simulated line into one file a
// day, by a clock the test sets: a day file already where the recording
// wants to begin (the user is asked from the instrument's thread and the
// thread does as answered), and the turn of the day (a new file, every
// measurement in exactly one of the two).
#include "AppTestSupport.h"
#include "ModalDriver.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "archive/store/ArchivRecord.h"
#include "archive/store/VKArchivData.h"
#include "archive/store/VKArchivTestSupport.h"
#include "link/Pristroj.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "shell/DeviceRegistry.h"
#include "shell/GeneralSettings.h"
#include "shell/MavexApp.h"
#include "support/FakeClock.h"
#include "support/WaitUntil.h"
#include "tools/archivetool/ArchiveTool.h"
#include "tools/instrument_sim/PtySimulator.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QApplication>
#include <QTest>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr std::uint8_t kVKValues = 0x3A;
constexpr std::uint16_t kFirmware = 130;
constexpr int kInterval = 2;

std::int64_t Seconds(QDate day, QTime time)
{
    return QDateTime(day, time).toSecsSinceEpoch();
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Box {
    QString text;
    QString caption;
    bool noIsDefault;
};

class RecordingFilesSimTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;
        sim::Instrument analyser(sim::Family::VK, 1);
        // Older firmware only takes settings: the program would not measure.
        analyser.SetVersion(kFirmware);
        analyser.SetCommand(kVKValues, [read = sim::ReadBlock(kVKValues), this](sim::Instrument& self,
                                                                                const sim::Frame& frame) {
            ++served;
            return read(self, frame);
        });
        line.AddInstrument(analyser);
    }
    void TearDown() override
    {
        shelltest::EndProgramAndLines(app, [this] { line.Stop(); });
        StoreTest::TearDown();
    }

    // The program's time from now on runs from `start` at the real pace:
    // the thread's pauses are real.
    void SetTime(std::int64_t start)
    {
        offsetMs = start * 1000 - QDateTime::currentMSecsSinceEpoch();
    }
    std::int64_t NowMs() const { return QDateTime::currentMSecsSinceEpoch() + offsetMs.load(); }

    // "Hala" measuring every two seconds, blocks of three measurements, one
    // file a day as data/<folder>/hala_Y..., the program started on it.
    void Start(const QString& folder)
    {
        base = dir.filePath(QStringLiteral("data/%1/hala").arg(folder));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(base).path()));
        const platform::SettingsSection key = CDeviceRegistry::Key(QStringLiteral("Hala"));
        const std::map<QString, QVariant> values = {
            {QStringLiteral("kat"), CPristroj::kVK},
            {QStringLiteral("merit"), 1},
            {QStringLiteral("com"), QString::fromStdString(line.SlavePath())},
            {QStringLiteral("adresa"), 1},
            {QStringLiteral("zobrazovat"), 0},
            {QStringLiteral("zaznamenavat"), 1},
            {QStringLiteral("soubor"), base},
            {QStringLiteral("intervalMereni"), kInterval},
            {QStringLiteral("intervalZapisovani"), 3},
            {QStringLiteral("intervalPrepisovani"), 86400},
            {QStringLiteral("prepisovat"), 0},
            {QStringLiteral("synchronizovat"), 0},
        };
        for (const auto& [entry, value] : values) {
            if (value.typeId() == QMetaType::QString)
                store.WriteProfileString(key, entry, value.toString());
            else
                store.WriteProfileInt(key, entry, value.toInt());
        }
        store.WriteProfileString(CGeneralSettings::Section(), QStringLiteral("adresar"), dir.filePath(QStringLiteral("data")));
        store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), 2);
        CMavexApp::Environment env = shelltest::QuietEnvironment();
        env.nowMs = [this] { return NowMs(); };
        app = std::make_unique<CMavexApp>(env);
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
    }
    // The program's events handled until `done` (generous bound); every box
    // that comes meanwhile goes to `answer`, which must close it.
    bool RunUntil(const std::function<bool()>& done, const std::function<void(QMessageBox&)>& answer)
    {
        bool held = false;
        shelltest::HandModals(
            [&] {
                held = testsupport::WaitUntil(
                    [&] {
                        QCoreApplication::processEvents();
                        return done();
                    },
                    120000);
            },
            [&](QWidget& modal) {
                auto* box = qobject_cast<QMessageBox*>(&modal);
                ASSERT_TRUE(box) << modal.metaObject()->className();
                const QAbstractButton* preset = box->defaultButton();
                boxes.push_back({box->text(), box->windowTitle(), preset && preset == box->button(QMessageBox::No)});
                answer(*box);
            });
        return held;
    }
    void EndProgram()
    {
        app->ExitInstance();
        app.reset();
    }
    QString DayFile(const char* stamp) const { return base + QString::fromLatin1(stamp) + QStringLiteral(".vk"); }
    QStringList FilesThere() const
    {
        return QDir(QFileInfo(base).path()).entryList(QDir::Files, QDir::Name);
    }

    sim::PtySimulator line;
    std::atomic<int> served{0};
    std::atomic<std::int64_t> offsetMs{0};
    std::unique_ptr<CMavexApp> app;
    QString base;
    std::vector<Box> boxes;
};

struct FileRecords {
    QString instrument;
    std::vector<std::uint32_t> data; // times of the measurements
};

FileRecords Records(const QString& path)
{
    FileRecords out;
    CArchivRecordList records;
    QString error;
    EXPECT_TRUE(archivetool::ReadArchiveRecords(path, records, out.instrument, error))
        << path.toStdString() << ": " << error.toStdString();
    for (const CArchivRecord& r : records) {
        if (r.IsData())
            out.data.push_back(r.time);
    }
    return out;
}

// The day's file is there already with another recording in it: the
// instrument's thread asks whether to write over it, in a box over the
// program, No the default. Yes: the thread makes the file anew and records
// into it. No: the file stays as it was, nothing else is made and the user
// is told that the instrument measures without recording.
TEST_F(RecordingFilesSimTest, AnExistingDayFileIsWrittenOverOnlyWhenTheUserSaysYes)
{
    const QString question = platform::LoadString(platform::IDS_ASK_OVERWRITE_EXISTING);
    struct Case {
        const char* folder;
        QMessageBox::StandardButton answer;
    };
    for (const Case& c : {Case{"ano", QMessageBox::Yes}, Case{"ne", QMessageBox::No}}) {
        SCOPED_TRACE(c.folder);
        boxes.clear();
        served = 0;
        const std::int64_t start = Seconds(QDate(2024, 3, 10), QTime(10, 20, 0));
        base = dir.filePath(QStringLiteral("data/%1/hala").arg(QLatin1String(c.folder)));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(base).path()));
        const QString day = DayFile("_Y24D0310H10");
        {
            // Yesterday's recording of another instrument under today's name:
            // not the file of this day, so it is not taken up.
            testsupport::FakeClock yesterday;
            yesterday.Set(platform::CTime(platform::CTime::time_type(start - 86400)));
            CVKArchivData writer;
            writer.SetTimeSource(yesterday.Source());
            ASSERT_EQ(writer.Create(3600, 5, 60, day.chopped(3), QStringLiteral(".vk"), TRUE, TRUE,
                                    QStringLiteral("Jiný")),
                      1);
            writer.AddConfigRecord(vktest::VKConfig(400, 100));
            for (int i = 0; i < 5; ++i) {
                yesterday.Advance(60);
                writer.AddMeasurementRecord(vktest::VKValues(i));
            }
            ASSERT_EQ(writer.Flush(FALSE, writer.EndBlock(FALSE, TRUE, 60), QStringLiteral("Jiný")), 1);
            writer.Close();
        }
        const QByteArray before = ReadFile(day);
        ASSERT_FALSE(before.isEmpty());

        SetTime(start);
        Start(QLatin1String(c.folder));
        ASSERT_FALSE(HasFatalFailure());
        const bool yes = c.answer == QMessageBox::Yes;
        const auto told = [this] {
            return std::any_of(boxes.begin(), boxes.end(),
                               [](const Box& b) { return b.text.contains(QString::fromUtf8("nezaznamenává")); });
        };
        // Two blocks written after a Yes; the notice after a No.
        ASSERT_TRUE(RunUntil([&] { return yes ? served.load() >= 7 : told() && served.load() >= 2; },
                             [&](QMessageBox& box) {
                                 QAbstractButton* button =
                                     box.text() == question ? box.button(c.answer) : box.button(QMessageBox::Ok);
                                 ASSERT_TRUE(button);
                                 QTest::mouseClick(button, Qt::LeftButton);
                             }));
        const CPristroj* hala = shelltest::InstrumentNamed(*app, QStringLiteral("Hala"));
        ASSERT_TRUE(hala);
        EXPECT_EQ(hala->m_zaznamenavat, yes ? 1 : 0);
        EXPECT_EQ(hala->m_merit.load(), 1);
        EndProgram();

        ASSERT_GE(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, question);
        EXPECT_EQ(boxes[0].caption, QStringLiteral("INFO"));
        EXPECT_TRUE(boxes[0].noIsDefault);
        EXPECT_EQ(FilesThere(), QStringList{QFileInfo(day).fileName()});
        if (yes) {
            EXPECT_EQ(boxes.size(), 1u);
            const FileRecords records = Records(day);
            EXPECT_EQ(records.instrument, QStringLiteral("Hala"));
            ASSERT_GE(records.data.size(), 6u);
            for (const std::uint32_t t : records.data)
                EXPECT_GE(std::int64_t(t), start) << "a measurement of the file written over";
        } else {
            ASSERT_EQ(boxes.size(), 2u);
            EXPECT_TRUE(boxes[1].text.startsWith(QStringLiteral("Přístroj Hala:"))) << boxes[1].text.toStdString();
            EXPECT_EQ(ReadFile(day), before);
        }
    }
}

// Recording runs over midnight: the day's file ends with the day and the
// next day's file, named after it, begins with the next block; no
// measurement is lost around the turn or stored twice, and neither file
// holds the other day's measurements beyond the one interval a block may
// reach over the boundary.
TEST_F(RecordingFilesSimTest, MidnightStartsTheNextDaysFileWithoutLosingAMeasurement)
{
    const std::int64_t midnight = Seconds(QDate(2024, 3, 11), QTime(0, 0, 0));
    SetTime(midnight - 16);
    Start(QStringLiteral("den"));
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(RunUntil([&] { return NowMs() / 1000 >= midnight + 20 && served.load() >= 18; },
                         [](QMessageBox& box) { box.reject(); }));
    const int polls = served.load();
    EndProgram();
    for (const Box& box : boxes)
        ADD_FAILURE() << "box: " << box.text.toStdString();

    const QString first = DayFile("_Y24D0310H23");
    const QString second = DayFile("_Y24D0311H00");
    ASSERT_EQ(FilesThere(), (QStringList{QFileInfo(first).fileName(), QFileInfo(second).fileName()}));
    const FileRecords before = Records(first);
    const FileRecords after = Records(second);
    ASSERT_FALSE(before.data.empty());
    ASSERT_FALSE(after.data.empty());
    EXPECT_LT(std::int64_t(before.data.back()), midnight + kInterval);
    EXPECT_GE(std::int64_t(after.data.front()), midnight - kInterval);

    std::vector<std::uint32_t> all = before.data;
    all.insert(all.end(), after.data.begin(), after.data.end());
    for (std::size_t i = 1; i < all.size(); ++i)
        EXPECT_GT(all[i], all[i - 1]) << "stored twice or out of order at " << i;
    // Every answered poll is stored once; the reply in flight when the
    // program ended may be the one not stored.
    EXPECT_GE(int(all.size()), polls - 1);
    EXPECT_LE(int(all.size()), polls);
}


// The next day's file is there already with another recording in it: the
// first block of the day asks, once, while the instrument measures on and
// hands over more blocks. A Yes given late writes over the old file but
// keeps every block of the new day; a No leaves the file as it was and
// stops the recording with the notice, and the instrument measures on.
TEST_F(RecordingFilesSimTest, AnExistingNextDayFileAtMidnightIsAskedForOnce)
{
    const QString question = platform::LoadString(platform::IDS_ASK_OVERWRITE_EXISTING);
    const std::int64_t midnight = Seconds(QDate(2024, 3, 11), QTime(0, 0, 0));
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "yes" : "no");
        boxes.clear();
        served = 0;
        const QString folder = yes ? QStringLiteral("ano") : QStringLiteral("ne");
        base = dir.filePath(QStringLiteral("data/%1/hala").arg(folder));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(base).path()));
        const QString next = DayFile("_Y24D0311H00");
        {
            testsupport::FakeClock earlier;
            earlier.Set(platform::CTime(platform::CTime::time_type(midnight - 3 * 86400)));
            CVKArchivData writer;
            writer.SetTimeSource(earlier.Source());
            ASSERT_EQ(writer.Create(3600, 5, 60, next.chopped(3), QStringLiteral(".vk"), TRUE, TRUE,
                                    QStringLiteral("Jiný")),
                      1);
            writer.AddConfigRecord(vktest::VKConfig(400, 100));
            for (int i = 0; i < 5; ++i) {
                earlier.Advance(60);
                writer.AddMeasurementRecord(vktest::VKValues(i));
            }
            ASSERT_EQ(writer.Flush(FALSE, writer.EndBlock(FALSE, TRUE, 60), QStringLiteral("Jiný")), 1);
            writer.Close();
        }
        const QByteArray before = ReadFile(next);
        ASSERT_FALSE(before.isEmpty());

        SetTime(midnight - 16);
        Start(folder);
        ASSERT_FALSE(HasFatalFailure());
        // The boxes are answered from a timer, which runs inside their own
        // loops too: the question only after two more blocks were measured.
        int answerAt = -1;
        bool answered = false;
        QTimer answering;
        QObject::connect(&answering, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(widget);
                if (!box || !box->isVisible() || box->property("seen").toBool())
                    continue;
                const bool isQuestion = box->text() == question;
                if (isQuestion && answerAt < 0)
                    answerAt = served.load() + 6;
                // Held open while the measuring goes on.
                if (isQuestion && !answered && served.load() < answerAt)
                    continue;
                box->setProperty("seen", true);
                boxes.push_back({box->text(), box->windowTitle(), false});
                answered = answered || isQuestion;
                QAbstractButton* button = isQuestion ? box->button(yes ? QMessageBox::Yes : QMessageBox::No)
                                                     : box->button(QMessageBox::Ok);
                if (button)
                    QTest::mouseClick(button, Qt::LeftButton);
                else
                    box->reject();
            }
        });
        answering.start(20);
        const auto told = [this] {
            return std::any_of(boxes.begin(), boxes.end(),
                               [](const Box& b) { return b.text.contains(QString::fromUtf8("nezaznamenává")); });
        };
        EXPECT_TRUE(testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                const CPristroj* hala = shelltest::InstrumentNamed(*app, QStringLiteral("Hala"));
                return answered && (yes ? served.load() >= answerAt + 6 : told() && hala && !hala->m_zaznamenavat);
            },
            120000));
        answering.stop();
        const CPristroj* hala = shelltest::InstrumentNamed(*app, QStringLiteral("Hala"));
        ASSERT_TRUE(hala);
        EXPECT_EQ(hala->m_zaznamenavat, yes ? 1 : 0);
        EXPECT_EQ(hala->m_merit.load(), 1);
        const int polls = served.load();
        EndProgram();

        EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(), [&](const Box& b) { return b.text == question; }), 1);
        const FileRecords first = Records(DayFile("_Y24D0310H23"));
        ASSERT_FALSE(first.data.empty());
        EXPECT_LT(std::int64_t(first.data.back()), midnight + kInterval);
        if (yes) {
            const FileRecords after = Records(next);
            EXPECT_EQ(after.instrument, QStringLiteral("Hala"));
            ASSERT_FALSE(after.data.empty());
            EXPECT_GE(std::int64_t(after.data.front()), midnight - kInterval);
            std::vector<std::uint32_t> all = first.data;
            all.insert(all.end(), after.data.begin(), after.data.end());
            for (std::size_t i = 1; i < all.size(); ++i)
                EXPECT_GT(all[i], all[i - 1]) << "stored twice or out of order at " << i;
            // Every answered poll is stored once, those measured while the
            // question was open too.
            EXPECT_GE(int(all.size()), polls - 1);
        } else {
            EXPECT_EQ(ReadFile(next), before);
            EXPECT_TRUE(told());
        }
    }
}

} // namespace
