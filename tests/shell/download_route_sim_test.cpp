// Downloads as a site engineer makes them in the running program, against a
// simulated VK analyser: "Přijmout data" from the instrument list into a new
// file (which opens in an archive window), a second one merged into that
// archive while its window shows the statistics, and the archive window's
// "Záplatovat archiv..." filling a hole. Each time the archive is read back
// and holds every minute the analyser served, once.
#include "SettingsRouteSupport.h"

#include "archive/store/VKArchivImport.h"
#include "archive_docs/ArchivDocBase.h"
#include "archive_docs/ZaplatovatArchivDlg.h"
#include "charts/ArchivRangeBar.h"
#include "charts/StatPanel.h"
#include "link/ui/DownloaderView.h"
#include "platform/ui/ChildFrame.h"
#include "support/ScriptedMessageBoxes.h"
#include "tools/instrument_sim/SimArchive.h"

#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QToolBar>

#include <set>

namespace {

using platform::CTime;
using platform::CTimeSpan;

constexpr std::uint8_t kStatus = 0x14;
constexpr std::size_t kRing = 1000;

// The analyser has recorded `written` records a minute apart (its ring keeps
// the newest 1000), the newest at `newest`; the minutes it then holds.
std::set<std::int64_t> Recorded(routetest::ProgramWithInstrument& program, std::uint64_t written, CTime newest)
{
    program.line.WithInstrument(1, [&](sim::Instrument& i) {
        i.FillArchive(0, kRing, 12, written);
        const auto bcd = [](int v) { return std::uint8_t(v / 10 * 16 + v % 10); };
        std::uint8_t* clock = i.blocks[kStatus].data() + 28;
        const int fields[] = {newest.GetYear() - 2000, newest.GetMonth(), newest.GetDay(),
                              newest.GetHour(),        newest.GetMinute(), newest.GetSecond()};
        for (int f = 0; f < 6; ++f)
            clock[f] = bcd(fields[f]);
    });
    std::set<std::int64_t> minutes;
    const std::uint64_t held = std::min<std::uint64_t>(written, kRing);
    for (std::uint64_t n = 0; n < held; ++n)
        minutes.insert(std::int64_t(newest.GetTime()) / 60 - std::int64_t(n));
    return minutes;
}

// The minutes of the archive's data records, each as often as it is held,
// and whether an outage marker is left among them.
struct Held {
    std::multiset<std::int64_t> minutes;
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
            if (record.IsData())
                out.minutes.insert(std::int64_t(record.time) / 60);
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

class DownloadRouteTest : public ::testing::Test {
protected:
    static sim::Instrument Analyser()
    {
        sim::Instrument analyser(sim::Family::VK, 1);
        sim::ServeDefaultMemory(analyser);
        return analyser;
    }

    CMainFrame* Frame() const { return program.app->MainFrame(); }

    // "Přístroje", the instrument's row, "Přijmout data" (its question is
    // answered by the boxes), "Konec"; the download window it opened.
    CDownloaderView* ReceiveFromInstrumentList()
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
        Frame()->Action(CMainFrame::kInstrumentList)->trigger();
        timer.stop();
        const QList<CDownloaderView*> views = Frame()->findChildren<CDownloaderView*>();
        return views.size() == 1 ? views.front() : nullptr;
    }

    // The window's OK, then until the window has gone.
    static bool Finish(CDownloaderView& view)
    {
        QPointer<CDownloaderView> watched(&view);
        static_cast<QPushButton*>(view.Control(CDownloaderView::IdOk))->click();
        return Until([&] { return watched.isNull(); });
    }

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
    auto* existing = static_cast<QLineEdit*>(view->Control(CDownloaderView::IdExistingFile));
    QTest::mouseClick(view->Control(CDownloaderView::IdExistingMode), Qt::LeftButton);
    existing->selectAll();
    QTest::keyClicks(existing, file);
    ASSERT_TRUE(Finish(*view));
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
    existing = static_cast<QLineEdit*>(view->Control(CDownloaderView::IdExistingFile));
    QTest::mouseClick(view->Control(CDownloaderView::IdExistingMode), Qt::LeftButton);
    existing->selectAll();
    QTest::keyClicks(existing, file);
    ASSERT_TRUE(Finish(*view));
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

} // namespace
