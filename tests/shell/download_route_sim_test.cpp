// Downloads as a site engineer makes them in the running program, against a
// simulated VK analyser: "Přijmout data" from the instrument list into a new
// file (which opens in an archive window), a second one merged into that
// archive while its window shows the statistics, and the archive window's
// "Záplatovat archiv..." filling a hole. Each time the archive is read back
// and holds every minute the analyser served, once. Then the current
// profiles of a measured analyser, fetched from its live window's
// "Profily ..." into their profile files.
#include "SettingsRouteSupport.h"

#include "analysers_vk/VKAktMer.h"
#include "archive/store/VKArchivImport.h"
#include "archive/store/VKTArchivImport.h"
#include "archive_docs/ArchivDocBase.h"
#include "archive_docs/ZaplatovatArchivDlg.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ProfileSettingsDlg.h"
#include "charts/StatPanel.h"
#include "link_ui/DownloaderView.h"
#include "link_ui/DownloaderViewProf.h"
#include "link/DownloadImport.h"
#include "model/Iden.h"
#include "model/UniTyp.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "platform/Archive.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/Document.h"
#include "support/ScriptedMessageBoxes.h"
#include "tools/instrument_sim/SimArchive.h"

#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>
#include <vector>

namespace {

using platform::CTime;
using platform::CTimeSpan;

constexpr std::uint8_t kStatus = 0x14;
constexpr std::size_t kRing = 1000;

// The analyser has recorded `written` records `period` seconds apart (whole
// minutes up to an hour; its ring keeps the newest 1000), the newest at
// `newest`; the times it then holds.
std::set<std::int64_t> RecordedEvery(routetest::ProgramWithInstrument& program, std::uint64_t written, CTime newest,
                                     int period)
{
    program.line.WithInstrument(1, [&](sim::Instrument& i) {
        i.FillArchive(0, kRing, 12, written);
        const auto bcd = [](int v) { return std::uint8_t(v / 10 * 16 + v % 10); };
        std::uint8_t* clock = i.blocks[kStatus].data() + 28;
        const int fields[] = {newest.GetYear() - 2000, newest.GetMonth(), newest.GetDay(),
                              newest.GetHour(),        newest.GetMinute(), newest.GetSecond()};
        for (int f = 0; f < 6; ++f)
            clock[f] = bcd(fields[f]);
        // The record period: minutes and seconds.
        i.blocks[kStatus][40] = bcd(period / 60);
        i.blocks[kStatus][41] = 0;
    });
    std::set<std::int64_t> times;
    const std::uint64_t held = std::min<std::uint64_t>(written, kRing);
    for (std::uint64_t n = 0; n < held; ++n)
        times.insert(std::int64_t(newest.GetTime()) - std::int64_t(n) * period);
    return times;
}

// The same a minute apart; the minutes it then holds.
std::set<std::int64_t> Recorded(routetest::ProgramWithInstrument& program, std::uint64_t written, CTime newest)
{
    std::set<std::int64_t> minutes;
    for (std::int64_t t : RecordedEvery(program, written, newest, 60))
        minutes.insert(t / 60);
    return minutes;
}

// The minutes of the archive's data records, each as often as it is held,
// and whether an outage marker is left among them.
struct Held {
    std::multiset<std::int64_t> minutes;
    std::vector<std::int64_t> seconds; // in file order
    int outageMarkers = 0;
};

Held ReadArchive(const QString& path)
{
    Held out;
    CVKDownloadArchivData reader;
    if (!reader.OpenByPath(path) || !reader.OpenFirstBlock())
        return out;
    const QByteArray outage = QStringLiteral("Data nejsou k dispozici.").toLatin1();
    do {
        for (const CArchivRecord& record : reader.CurrentBlock()) {
            if (record.IsData()) {
                out.minutes.insert(std::int64_t(record.time) / 60);
                out.seconds.push_back(std::int64_t(record.time));
            }
            else if (record.type == kRecordError && record.data.startsWith(outage))
                ++out.outageMarkers;
        }
    } while (reader.ReadNextBlock());
    return out;
}

std::multiset<std::int64_t> Once(const std::set<std::int64_t>& minutes)
{
    return {minutes.begin(), minutes.end()};
}

template <class F>
bool Until(F done, int seconds = 240)
{
    const QDeadlineTimer deadline(seconds * 1000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A profile file as the program wrote it: the head it begins with and the
// bytes of its records in file order.
struct ProfileFile {
    bool whole = false;
    QString name;
    std::int32_t type = 0;
    std::int32_t kind = -1;
    DWORD recordSize = 0;
    sim::Bytes records;
};

ProfileFile ReadProfileFile(const QString& path)
{
    ProfileFile out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    platform::SerialArchive ar(file.readAll());
    try {
        CTime day;
        CIden iden;
        CVKConfig config;
        CVKNoteBook notebook;
        ar >> out.name >> out.type >> out.kind >> day;
        iden.Serialize(ar);
        config.Serialize(ar);
        notebook.Serialize(ar);
        for (;;) {
            CUniTyp block;
            block.Serialize(ar);
            if (block.GetCount() == 0)
                break;
            out.recordSize = block.GetItemSize();
            out.records.insert(out.records.end(), block.GetItem(0),
                               block.GetItem(0) + std::size_t(block.GetCount()) * block.GetItemSize());
        }
        out.whole = ar.AtEnd();
    } catch (const platform::ArchiveError&) {
        out.whole = false;
    }
    return out;
}

// "Přístroje", the instrument's row, "Přijmout data" (its question is
// answered by the boxes), "Konec"; the download window it opened.
CDownloaderView* ReceiveFromInstrumentList(CMainFrame* frame)
{
    bool pressed = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* list = qobject_cast<CPristrojeDlg*>(QApplication::activeModalWidget());
        if (!list || !list->isVisible())
            return;
        if (pressed) {
            QMetaObject::invokeMethod(list->Button(CPristrojeDlg::IdEnd), &QPushButton::click,
                                      Qt::QueuedConnection);
            return;
        }
        pressed = true;
        list->List()->selectRow(0);
        QMetaObject::invokeMethod(list->Button(CPristrojeDlg::IdReceive), &QPushButton::click,
                                  Qt::QueuedConnection);
    });
    timer.start(20);
    frame->Action(CMainFrame::kInstrumentList)->trigger();
    timer.stop();
    const QList<CDownloaderView*> views = frame->findChildren<CDownloaderView*>();
    return views.size() == 1 ? views.front() : nullptr;
}

// The window's OK, then until the window has gone.
bool Finish(CDownloaderView& view)
{
    QPointer<CDownloaderView> watched(&view);
    static_cast<QPushButton*>(view.Control(CDownloaderView::IdOk))->click();
    return Until([&] { return watched.isNull(); });
}

// "Doplnit existující" with `file` typed in, then OK until the window has gone.
bool MergeInto(CDownloaderView& view, const QString& file)
{
    auto* existing = static_cast<QLineEdit*>(view.Control(CDownloaderView::IdExistingFile));
    QTest::mouseClick(view.Control(CDownloaderView::IdExistingMode), Qt::LeftButton);
    existing->selectAll();
    QTest::keyClicks(existing, file);
    return Finish(view);
}

class DownloadRouteTest : public ::testing::Test {
public:
    static sim::Instrument Analyser()
    {
        sim::Instrument analyser(sim::Family::VK, 1);
        sim::ServeDefaultMemory(analyser);
        return analyser;
    }

protected:
    CMainFrame* Frame() const { return program.app->MainFrame(); }
    CDownloaderView* ReceiveFromInstrumentList() const { return ::ReceiveFromInstrumentList(Frame()); }

    QString Folder() const { return QFileInfo(program.entry->m_soubor).absolutePath(); }
    QStringList TempFiles() const { return QDir(Folder()).entryList({QStringLiteral("*.tmp")}, QDir::Files); }

    routetest::ProgramWithInstrument program{Analyser(), CPristroj::kVK};
};

TEST_F(DownloadRouteTest, DownloadsMergesAndAPatchLandInTheArchive)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    const auto lastBox = [&boxes] {
        return boxes.Requests().empty() ? std::string() : boxes.Requests().back().text.toStdString();
    };
    Frame()->show();
    const CTime noon(2024, 1, 15, 12, 0, 0);
    std::set<std::int64_t> served = Recorded(program, 1440, noon);

    // 1. Into the new file the window proposes; it opens in an archive window.
    CDownloaderView* view = ReceiveFromInstrumentList();
    ASSERT_NE(view, nullptr);
    const QString file = static_cast<QLineEdit*>(view->Control(CDownloaderView::IdNewFile))->text();
    ASSERT_TRUE(Finish(*view));
    ASSERT_EQ(boxes.Requests().size(), 1u) << lastBox(); // the question
    EXPECT_EQ(ReadArchive(file).minutes, Once(served));
    EXPECT_TRUE(TempFiles().isEmpty());
    QPointer<ui::CChildFrame> archiveWindow = Frame()->ActiveChildFrame();
    ASSERT_NE(archiveWindow, nullptr);
    ASSERT_NE(qobject_cast<CArchivDocBase*>(archiveWindow->GetActiveDocument()), nullptr);

    // 2. The window shows "Statistiky" while the analyser's newer records
    // are merged into its archive; then it is closed.
    auto* range = archiveWindow->findChild<CGraphRangeBar*>();
    ASSERT_NE(range, nullptr);
    auto* tabs = static_cast<QTabBar*>(range->Control(CGraphRangeBar::kTab));
    ASSERT_EQ(tabs->tabText(2), QStringLiteral("Statistiky"));
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
    ASSERT_EQ(tabs->currentIndex(), 2);
    auto* stats = archiveWindow->findChild<CStatPanel*>();
    ASSERT_NE(stats, nullptr);
    ASSERT_TRUE(Until([&] { return stats->isVisible(); }, 60));
    EXPECT_GT(stats->ResultCount(), 0);

    const std::set<std::int64_t> later = Recorded(program, 1470, CTime(2024, 1, 15, 12, 30, 0));
    served.insert(later.begin(), later.end());
    view = ReceiveFromInstrumentList();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(MergeInto(*view, file));
    EXPECT_EQ(boxes.Requests().size(), 2u) << lastBox();
    EXPECT_EQ(ReadArchive(file).minutes, Once(served));

    Frame()->MdiArea()->setActiveSubWindow(archiveWindow);
    archiveWindow->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(Until([&] { return archiveWindow.isNull(); }));

    // 3. A hole: the analyser was cleared and recorded 12:40 to 13:30,
    // merged as before; later it holds all it recorded since.
    const CTime afterwards(2024, 1, 15, 13, 30, 0);
    const std::set<std::int64_t> fresh = Recorded(program, 51, afterwards);
    served.insert(fresh.begin(), fresh.end());
    view = ReceiveFromInstrumentList();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(MergeInto(*view, file));
    const std::multiset<std::int64_t> withHole = ReadArchive(file).minutes;
    ASSERT_EQ(withHole, Once(served));
    ASSERT_FALSE(withHole.count(CTime(2024, 1, 15, 12, 35, 0).GetTime() / 60));

    const std::set<std::int64_t> holds = Recorded(program, 1530, afterwards);
    served.insert(holds.begin(), holds.end());
    ASSERT_TRUE(program.app->OpenArchiveFile(file));
    archiveWindow = Frame()->ActiveChildFrame();
    ASSERT_NE(archiveWindow, nullptr);
    QAction* patch = nullptr;
    for (QAction* action : Frame()->MeasurementBar()->actions())
        if (action->data().isValid() && action->data().toInt() == archive::cmd::kPatch)
            patch = action;
    ASSERT_NE(patch, nullptr);
    Frame()->UpdateCommandUI();
    ASSERT_TRUE(patch->isEnabled());

    // The dialog proposes the archive's own range; OK patches it.
    QString shownRange;
    QTimer hand;
    QObject::connect(&hand, &QTimer::timeout, [&] {
        auto* dialog = dynamic_cast<CZaplatovatArchivDlg*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || !shownRange.isEmpty())
            return;
        shownRange = dialog->ArchiveRangeText();
        for (QPushButton* button : dialog->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("OK"))
                QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
    });
    hand.start(20);
    patch->trigger();
    hand.stop();
    const CTime first = CTime(CTime::time_type(*served.begin() * 60));
    EXPECT_EQ(shownRange, first.Format(QStringLiteral("%d.%m.%y %H:%M:%S")) + QStringLiteral(" - 15.01.24 13:30:00"));
    ASSERT_TRUE(Until([&] { return Frame()->findChildren<CDownloaderView*>().isEmpty(); }));
    const Held patched = ReadArchive(file);
    EXPECT_EQ(patched.minutes, Once(served));
    EXPECT_EQ(patched.outageMarkers, 0);
    EXPECT_TRUE(TempFiles().isEmpty());
}

// The analyser measured, its live window open as the program opened it.
class ProfileRouteTest : public ::testing::Test {
protected:
    // A firmware the program measures.
    static sim::Instrument Measured()
    {
        sim::Instrument analyser = DownloadRouteTest::Analyser();
        analyser.SetVersion(130);
        return analyser;
    }
    routetest::ProgramWithInstrument program{Measured(), CPristroj::kVK, true};
};

// From the live window's menu, "Profily ..." shows the analyser's profile
// status; each "Stáhni profil" fetches its profile (the selected one first,
// then the maximum one) into a profile file that opens in a window of its
// own, while the measurement goes on.
TEST_F(ProfileRouteTest, BothProfilesComeFromTheLiveWindowIntoTheirFiles)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    CMainFrame* frame = program.app->MainFrame();
    frame->show();
    CPristroj& entry = *program.entry;
    analysers_vk::CVKAktMer* live = nullptr;
    ASSERT_TRUE(Until([&] {
        live = dynamic_cast<analysers_vk::CVKAktMer*>(program.app->LiveView(entry));
        return live && live->Initialised();
    }));

    struct Kind {
        int button;
        const char* infix;
        std::uint8_t area; // where the analyser keeps that profile
        const char* day;   // as the analyser's profile status dates it
    };
    const Kind kinds[] = {{CProfileSettingsDlg::IdDownloadSelected, "_SP_", 1, "Y24D0114"},
                          {CProfileSettingsDlg::IdDownloadMaximum, "_MP_", 2, "Y24D0115"}};
    const auto downloading = [&] { return !frame->findChildren<CDownloaderViewProf*>().isEmpty(); };
    const QDir folder = QFileInfo(entry.m_soubor).absoluteDir();
    const QString stem = QFileInfo(entry.m_soubor).fileName();
    const auto profileFiles = [&](const char* infix) {
        return folder.entryList({stem + QString::fromLatin1(infix) + QStringLiteral("*.pro")}, QDir::Files);
    };

    // The user's hand on the profile dialog: each download button once, the
    // next only when the previous window has gone and left its file; then
    // "Konec" (also when a download leaves nothing, so that the test ends).
    const QDeadlineTimer patience(240 * 1000);
    std::size_t next = 0;
    bool shown = false;
    bool enabled = true;
    bool closing = false;
    QTimer hand;
    QObject::connect(&hand, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<CProfileSettingsDlg*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || closing || (downloading() && !patience.hasExpired()))
            return;
        shown = true;
        if (next > 0 && profileFiles(kinds[next - 1].infix).isEmpty() && !patience.hasExpired())
            return;
        if (patience.hasExpired())
            next = std::size(kinds);
        QWidget* button = dialog->Control(next < std::size(kinds) ? kinds[next].button : 2);
        if (next < std::size(kinds)) {
            enabled = enabled && button->isEnabled();
            ++next;
        } else {
            closing = true;
        }
        QMetaObject::invokeMethod(static_cast<QPushButton*>(button), &QPushButton::click, Qt::QueuedConnection);
    });
    hand.start(20);

    const QString chosen = routetest::ChooseFromLiveMenu(live, QStringLiteral("Profily"));
    ASSERT_TRUE(Until([&] { return closing && QApplication::activeModalWidget() == nullptr; }));
    hand.stop();

    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_TRUE(shown);
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(boxes.Requests().empty()) << boxes.Requests().front().text.toStdString();
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.infix);
        const QStringList files = profileFiles(kind.infix);
        ASSERT_EQ(files.size(), 1);
        EXPECT_EQ(files.front(),
                  stem + QString::fromLatin1(kind.infix) + QString::fromLatin1(kind.day) + QStringLiteral(".pro"));
        const QString path = folder.filePath(files.front());
        const ProfileFile read = ReadProfileFile(path);
        ASSERT_TRUE(read.whole);
        EXPECT_EQ(read.name, entry.m_nazev);
        EXPECT_EQ(read.type, CPristroj::kVK);
        EXPECT_EQ(read.kind, kind.area == 2 ? 1 : 0);
        EXPECT_EQ(read.recordSize, 17u);
        sim::Bytes served;
        program.line.WithInstrument(1, [&](sim::Instrument& i) { served = i.archives[kind.area].Read(0, 1440); });
        EXPECT_TRUE(read.records == served) << read.records.size() << " bytes of " << served.size();
        bool opened = false;
        for (ui::CChildFrame* child : frame->findChildren<ui::CChildFrame*>())
            opened = opened || (child->GetActiveDocument() && child->GetActiveDocument()->GetPathName() == path);
        EXPECT_TRUE(opened);
    }
    EXPECT_TRUE(folder.entryList({QStringLiteral("*.tmp")}, QDir::Files).isEmpty());
    EXPECT_EQ(program.entry->m_merit.load(), 1);
}

// The analyser measured and recorded by the program, a file a day, while
// its memory (ten-minute records of two days, all older than the recording)
// is fetched from the instrument list and merged into the very file being
// recorded into. The recording pauses for the merge and then goes on in the
// same file without a question; the file holds every fetched record once
// and the recording's own records.
class RecordingRouteTest : public ::testing::Test {
protected:
    static sim::Instrument Measured()
    {
        sim::Instrument analyser = DownloadRouteTest::Analyser();
        analyser.SetVersion(130);
        return analyser;
    }
    static void DayFiles(CPristroj& entry)
    {
        entry.m_prepisovat = 0;
        entry.m_intervalPrepisovani = 86400;
        entry.m_intervalZapisovani = 2; // a block every two measurements
    }
    routetest::ProgramWithInstrument program{Measured(), CPristroj::kVK, true, DayFiles};
};

TEST_F(RecordingRouteTest, MergeIntoTheRecordedFileLetsTheRecordingGoOnThere)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    const auto texts = [&boxes] {
        std::string out;
        for (const auto& request : boxes.Requests())
            out += request.text.toStdString() + " | ";
        return out;
    };
    CMainFrame* frame = program.app->MainFrame();
    frame->show();
    CPristroj& entry = *program.entry;
    const auto recordedInto = [&entry] {
        const CArchivData* archive = entry.m_zaznamenavat ? entry.GetArchivData() : nullptr;
        return archive ? archive->GetFilePath() : QString();
    };
    QString file;
    Held own;
    ASSERT_TRUE(Until([&] {
        file = recordedInto();
        own = file.isEmpty() || !QFile::exists(file) ? Held{} : ReadArchive(file);
        return !own.seconds.empty();
    })) << texts();
    const std::int64_t ownFirst = *std::min_element(own.seconds.begin(), own.seconds.end());
    const std::set<std::int64_t> served =
        RecordedEvery(program, 288, CTime(CTime::time_type((ownFirst - 1) / 600 * 600)), 600);

    CDownloaderView* view = ReceiveFromInstrumentList(frame);
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(MergeInto(*view, QDir::toNativeSeparators(file)));
    const std::size_t asked = boxes.Requests().size(); // the download's question
    const std::int64_t merged = QDateTime::currentSecsSinceEpoch();

    // New records of its own come after the merged ones, in the same file.
    Held now;
    ASSERT_TRUE(Until([&] {
        now = ReadArchive(file);
        return !now.seconds.empty() && *std::max_element(now.seconds.begin(), now.seconds.end()) > merged;
    })) << texts();
    EXPECT_EQ(recordedInto(), file);
    EXPECT_EQ(boxes.Requests().size(), asked) << texts();
    ASSERT_LE(asked, 1u) << texts();
    for (std::int64_t t : served)
        EXPECT_EQ(std::count(now.seconds.begin(), now.seconds.end(), t), 1) << t - ownFirst;
    for (std::int64_t t : own.seconds)
        EXPECT_GE(std::count(now.seconds.begin(), now.seconds.end(), t), 1) << t - ownFirst;
    EXPECT_TRUE(std::is_sorted(now.seconds.begin(), now.seconds.end()));
    EXPECT_EQ(QDir(QFileInfo(file).absolutePath()).entryList({QStringLiteral("*.vk")}, QDir::Files).size(), 1);
}

// A VKT analyser whose recording began at the start time of its archive
// description (or "at once"): "Přijmout data" from the instrument list
// stores the records from that start on, every one of them when the
// recording began before them, and keeps the download when the start lies
// after them all (they are of an earlier recording).
class VKTDownloadRouteTest : public ::testing::Test {
protected:
    static sim::Instrument Analyser()
    {
        sim::Instrument analyser(sim::Family::VKT, 1);
        sim::ServeDefaultMemory(analyser);
        return analyser;
    }
    QString Folder() const { return QFileInfo(program.entry->m_soubor).absolutePath(); }
    QStringList TempFiles() const { return QDir(Folder()).entryList({QStringLiteral("*.tmp")}, QDir::Files); }

    routetest::ProgramWithInstrument program{Analyser(), CPristroj::kVKT};
};

// The times of a VKT archive's data records in file order.
std::vector<std::int64_t> VKTDataTimes(const QString& path)
{
    std::vector<std::int64_t> out;
    CVKTDownloadArchivData reader;
    if (!reader.OpenByPath(path) || !reader.OpenFirstBlock())
        return out;
    do {
        for (const CArchivRecord& record : reader.CurrentBlock())
            if (record.IsData())
                out.push_back(std::int64_t(record.time));
    } while (reader.ReadNextBlock());
    return out;
}

TEST_F(VKTDownloadRouteTest, RecordsFromTheRecordingStartOnAreStored)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    program.app->MainFrame()->show();
    // Forty records a minute apart, the newest at 12:00 (January: the
    // instrument's standard time is the local time).
    const CTime newest(2024, 1, 15, 12, 0, 0);
    constexpr int kWritten = 40;
    struct Case {
        const char* name;
        std::optional<int> start; // minutes after the newest record; none: "Ihned"
        int stored; // the newest records that land in the file
    };
    const Case cases[] = {
        {"Ihned", std::nullopt, kWritten},
        {"an hour before the first record", -(kWritten - 1) - 60, kWritten},
        {"a day before the first record", -(kWritten - 1) - 1440, kWritten},
        {"at the twentieth record from the end", -19, 20},
        {"after the newest record", 60, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t before = boxes.Requests().size();
        program.line.WithInstrument(1, [&](sim::Instrument& i) {
            std::tm start{};
            if (c.start) {
                const CTime at(CTime::time_type(std::int64_t(newest.GetTime()) + *c.start * 60));
                start.tm_year = at.GetYear() - 1900;
                start.tm_mon = at.GetMonth() - 1;
                start.tm_mday = at.GetDay();
                start.tm_hour = at.GetHour();
                start.tm_min = at.GetMinute();
            }
            sim::RecordVKTVoltages(i, kWritten, c.start ? &start : nullptr);
        });
        const QStringList tempBefore = TempFiles();
        CDownloaderView* view = ReceiveFromInstrumentList(program.app->MainFrame());
        ASSERT_NE(view, nullptr);
        const QString file = static_cast<QLineEdit*>(view->Control(CDownloaderView::IdNewFile))->text();
        // OK: the window goes once the records are stored; it stays, after a
        // box, for another choice when none could be.
        QPointer<CDownloaderView> watched(view);
        static_cast<QPushButton*>(view->Control(CDownloaderView::IdOk))->click();
        ASSERT_TRUE(Until([&] { return boxes.Requests().size() - before >= 2 || watched.isNull(); }));
        if (c.stored > 0) {
            ASSERT_TRUE(watched.isNull()) << boxes.Requests().back().text.toStdString();
            ASSERT_EQ(boxes.Requests().size() - before, 1u) << boxes.Requests().back().text.toStdString(); // the question
            std::vector<std::int64_t> wanted;
            for (int k = c.stored - 1; k >= 0; --k)
                wanted.push_back(std::int64_t(newest.GetTime()) - k * 60);
            EXPECT_EQ(VKTDataTimes(file), wanted);
            EXPECT_EQ(TempFiles(), tempBefore);
            continue;
        }
        // Nothing of this recording: no file, and when the window is left
        // the download is kept.
        ASSERT_FALSE(watched.isNull());
        static_cast<QPushButton*>(view->Control(CDownloaderView::IdCancel))->click();
        ASSERT_TRUE(Until([&] { return watched.isNull(); }));
        ASSERT_EQ(boxes.Requests().size() - before, 2u);
        const QStringList kept = TempFiles();
        ASSERT_EQ(kept.size(), tempBefore.size() + 1);
        const QString temp = QDir(Folder()).filePath(*std::find_if(kept.begin(), kept.end(), [&](const QString& f) {
            return !tempBefore.contains(f);
        }));
        EXPECT_EQ(QDir::fromNativeSeparators(boxes.Requests().back().text),
                  QDir::fromNativeSeparators(QString::fromUtf8(download_texts::kNothingStored).arg(temp)));
        EXPECT_FALSE(QFile::exists(file));
    }
}

} // namespace
