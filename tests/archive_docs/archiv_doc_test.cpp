// Archive documents over real archive files: opening, window moves with
// their hints and the toolbar, the reload after a recorder wrote, and the
// system-error path.
#include "DocTestSupport.h"

#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/ArchivFileList.h"
#include "archive/store/ArchivHeader.h"
#include "platform/cfb/cfb.h"
#include "platform/StringTable.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/WaitDlg.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QStringList>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>

namespace {

using namespace doctest;
using archive::cmd::kToEnd;

class ArchivDocOpenTest : public ArchivDocTest {};

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Records the text of every wait dialog that shows while it lives, and
// the texts its labels painted.
struct ShownWaitDialogs : QObject {
    ShownWaitDialogs() { qApp->installEventFilter(this); }
    ~ShownWaitDialogs() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* wait = qobject_cast<ui::CWaitDlg*>(watched))
                texts << wait->Text();
        if (event->type() == QEvent::Paint)
            if (auto* label = qobject_cast<QLabel*>(watched))
                if (qobject_cast<ui::CWaitDlg*>(label->window()) && !painted.contains(label->text()))
                    painted << label->text();
        return false;
    }
    QStringList texts;
    QStringList painted;
};

TEST_F(ArchivDocOpenTest, OpensOverTheWholeFileOrTheLastIntervalAndPlacesTheWindowBetweenItsHints)
{
    for (int b = 0; b < 4; ++b)
        WriteBlock();
    struct Case {
        int interval;
        std::int64_t expectedStart;
    };
    const std::int64_t end = m_times.back().GetTime();
    HintView* view = nullptr;
    CTime fileStart;
    CTime fileEnd;
    {
        CVKArchivDoc* doc = OpenDoc<CVKArchivDoc>(view);
        doc->Navigator().GetFileRange(fileStart, fileEnd);
    }
    EXPECT_EQ(fileEnd, m_times.back());
    const Case cases[] = {
        {-1, fileStart.GetTime()},
        {1800, end - 1800},
        {10 * 86400, fileStart.GetTime()}, // a file shorter than the interval
    };
    for (const Case& c : cases) {
        CArchivDocHooks::Instance().archiveIntervalSeconds = [c] { return c.interval; };
        CVKArchivDoc* doc = OpenDoc<CVKArchivDoc>(view);
        CTime start;
        CTime stop;
        doc->Navigator().GetWindow(start, stop);
        EXPECT_EQ(start.GetTime(), c.expectedStart) << c.interval;
        EXPECT_EQ(stop.GetTime(), end) << c.interval;
        EXPECT_EQ(view->hints, (std::vector<std::intptr_t>{20, 43})) << c.interval;
    }
}

// A file that a write would rewrite (an unused tail after its last sector, a
// block that does not read whole) is viewed from its first record to its
// last and closed again without one byte of it changing; while it is shown,
// other readers are not shut out.
TEST_F(ArchivDocOpenTest, ViewingChangesNoByteOfAFileThatAWriteWouldRewrite)
{
    for (int b = 0; b < 4; ++b)
        WriteBlock();
    m_writer.Close();
    const QByteArray recorded = FileBytes(ArchivePath());
    struct Case {
        const char* name;
        std::function<void()> spoil;
    };
    const Case cases[] = {
        {"unused tail",
         [this] {
             QFile file(ArchivePath());
             ASSERT_TRUE(file.open(QIODevice::Append));
             file.write(QByteArray(2048, '\0'));
         }},
        {"damaged block",
         [this] {
             auto file = cfb::CompoundFile::open(QFile::encodeName(ArchivePath()).toStdString(),
                                                 cfb::OpenMode::ReadWrite);
             ASSERT_TRUE(file);
             auto block = (*file)->readStream(archive::SlotStreamName(1));
             ASSERT_TRUE(block);
             ASSERT_TRUE((*file)->writeStream(archive::SlotStreamName(1),
                                              std::vector<std::uint8_t>(block->size(), 0xA5)));
         }},
    };
    using namespace archive::cmd;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            QFile file(ArchivePath());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(recorded);
        }
        c.spoil();
        const QByteArray before = FileBytes(ArchivePath());
        HintView* view = nullptr;
        CVKArchivDoc* doc = OpenDoc<CVKArchivDoc>(view);
        for (int command : {kGoStart, kPageForward, kPageForward, kGoEnd})
            EXPECT_TRUE(doc->OnCommand(command)) << command;
        const int reader = ::open(QFile::encodeName(ArchivePath()).constData(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        EXPECT_EQ(::flock(reader, LOCK_SH | LOCK_NB), 0);
        ::close(reader);
        doc->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(FileBytes(ArchivePath()), before);
    }
}

TEST_F(ArchivDocOpenTest, AFileThatCannotBeOpenedIsRefusedWithTheFamilysIcon)
{
    m_writer.Close();
    ASSERT_TRUE(QFile::remove(ArchivePath()));
    ui::ScriptedMessageBoxes boxes;
    HintView* view = nullptr;
    OpenDoc<CVKArchivDoc>(view, false);
    auto* qorin = new CArchivDoc;
    m_docs.push_back(qorin);
    EXPECT_FALSE(qorin->OnOpenDocument(ArchivePath()));
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[0].text, platform::LoadString(platform::IDS_FILE_DAMAGED));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(boxes.Requests()[0].icon, ui::MsgIcon::None);
    EXPECT_EQ(boxes.Requests()[1].icon, ui::MsgIcon::Warning);
}

TEST_F(ArchivDocOpenTest, TitleShowsTheDisplayNameAndTheRecentListGetsThePath)
{
    WriteBlock();
    QStringList recent;
    CArchivDocHooks::Instance().addToRecentFiles = [&recent](const QString& p) { recent << p; };
    HintView* view = nullptr;
    CVKArchivDoc* doc = OpenDoc<CVKArchivDoc>(view);
    doc->SetPathName(ArchivePath(), false);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("Archivní soubor: hala"));
    EXPECT_EQ(doc->GetPathName(), doc->GetTitle());
    EXPECT_EQ(recent, QStringList{ArchivePath()});
}

class ArchivDocMoveTest : public ArchivDocTest {
protected:
    void SetUp() override
    {
        ArchivDocTest::SetUp();
        for (int b = 0; b < 3; ++b)
            WriteBlock();
        m_doc = OpenDoc<CVKArchivDoc>(m_view);
        m_doc->AttachControlBar(&m_bar);
        m_view->hints.clear();
    }
    int Current() { return m_doc->Navigator().GetCurrentRecord(); }

    CVKArchivDoc* m_doc = nullptr;
    HintView* m_view = nullptr;
    FakeToolBar m_bar;
};

TEST_F(ArchivDocMoveTest, MovesThroughTheWindowsRecordsAndStopsAtItsEnds)
{
    ASSERT_EQ(m_doc->Navigator().GetLoadedRecordCount(), 30);
    EXPECT_FALSE(m_bar.zooms.isEmpty());
    struct Step {
        int command;
        int expected;
    };
    using namespace archive::cmd;
    const Step steps[] = {
        {kGoEnd, 29},      {kRecordBack, 28}, {kPageBack, 18},     {kGoStart, 0}, {kRecordBack, 0},
        {kPageForward, 10}, {kRecordForward, 11}, {kGoEnd, 29}, {kPageForward, 29},
    };
    for (const Step& s : steps) {
        const int fills = m_bar.fills;
        m_view->hints.clear();
        EXPECT_TRUE(m_doc->OnCommand(s.command));
        EXPECT_EQ(Current(), s.expected) << s.command;
        EXPECT_EQ(m_view->hints, std::vector<std::intptr_t>{3}) << s.command;
        EXPECT_EQ(m_bar.fills, fills + 1) << s.command;
    }
}

TEST_F(ArchivDocMoveTest, ZoomAndWindowStartPlaceANewWindowWithHint11)
{
    m_doc->SetZoom(-1, 2); // one hour
    CTime start;
    CTime end;
    m_doc->Navigator().GetWindow(start, end);
    EXPECT_EQ(end.GetTime() - start.GetTime(), 3600u);
    EXPECT_EQ(m_bar.zoom, QStringLiteral("1hod 0min "));
    EXPECT_EQ(m_view->hints, std::vector<std::intptr_t>{11});

    m_view->hints.clear();
    m_doc->SetWindowStart(1, 3); // from the second quarter of the file, half an hour
    m_doc->Navigator().GetWindow(start, end);
    EXPECT_EQ(start.GetTime(), (m_times.front().GetTime() / 900 + 1) * 900);
    EXPECT_EQ(end.GetTime() - start.GetTime(), 1800u);
    EXPECT_EQ(m_view->hints, std::vector<std::intptr_t>{11});
    EXPECT_EQ(m_bar.slider[0], 1);

    m_view->hints.clear();
    m_doc->SetWindow(m_times[3], m_times[6]);
    m_doc->OnCommand(archive::cmd::kGoStart);
    EXPECT_EQ(m_view->hints, (std::vector<std::intptr_t>{11, 3}));
    m_doc->OnCommand(archive::cmd::kGoEnd);
    EXPECT_EQ(m_doc->GetFamilyArchiv().GetCurrentRecordTime(), m_times[6]);
}

TEST_F(ArchivDocMoveTest, AMoveAfterTheRecorderWroteReloadsFirst)
{
    m_doc->OnCommand(archive::cmd::kGoStart);
    m_view->hints.clear();
    WriteBlock(); // the recorder goes on into the same file
    ASSERT_EQ(m_doc->GetArchiv().IsFileChanged(), 1);
    // The wait dialogs shown meanwhile, by their texts.
    ShownWaitDialogs shown;
    m_doc->OnCommand(archive::cmd::kGoEnd);
    EXPECT_EQ(shown.texts, QStringList{QStringLiteral("Archivní soubor změněn, načítám nový stav.")});
    // On the screen while the reload held the program, not only queued.
    EXPECT_EQ(shown.painted, QStringList{QStringLiteral("Archivní soubor změněn, načítám nový stav.")});
    // The new block lies after the window: the placement stays (hint 32)
    // and the move goes on over what was read again.
    EXPECT_EQ(m_view->hints, (std::vector<std::intptr_t>{32, 3}));
    EXPECT_EQ(Current(), 29);
    EXPECT_EQ(m_doc->GetArchiv().IsFileChanged(), 0);
    CTime start;
    CTime end;
    m_doc->Navigator().GetFileRange(start, end);
    EXPECT_EQ(end, m_times.back());
}

TEST_F(ArchivDocMoveTest, AReloadAfterTheRingOverwroteTheWindowMovesItToTheOldestBlocks)
{
    m_doc->SetWindow(m_times[0], m_times[5]);
    std::vector<std::intptr_t> moved;
    m_view->SetMessageHandler(platform::WM_ARCHIVE_WINDOW_MOVED, [&moved](std::uintptr_t, std::intptr_t added) {
        moved.push_back(added);
        return 0;
    });
    for (int b = 0; b < 8; ++b)
        WriteBlock(); // 8 slots: the first blocks are gone
    m_view->hints.clear();
    m_doc->OnCommand(archive::cmd::kGoEnd);
    // Only the reload: the view is told the window moved, no record move.
    EXPECT_TRUE(m_view->hints.empty());
    EXPECT_EQ(moved, std::vector<std::intptr_t>{0});
    CTime start;
    CTime end;
    m_doc->Navigator().GetWindow(start, end);
    CTime fileStart;
    m_doc->Navigator().GetFileRange(fileStart, end);
    EXPECT_GT(start, m_times[5]);
    EXPECT_GE(start, fileStart);
    EXPECT_LE(m_doc->Navigator().GetWindowBlockCount(), 3);
}

TEST_F(ArchivDocMoveTest, AFileThatCannotBeReadAnyMoreClosesTheDocumentWithOneMessage)
{
    QPointer<ui::CDocument> alive(m_doc);
    WriteBlock();
    auto entry = CArchivFileList::Instance().Find(ArchivePath());
    ASSERT_TRUE(entry);
    ASSERT_EQ(entry->GetStorage()->Destroy("hlavicka"), archive::StorageStatus::Ok);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
    EXPECT_EQ(m_doc->ReloadIfChangedSafe(), 0);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text,
              QStringLiteral("Systémová chyba programu. Prohlížení archivu bude ukončeno. "));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(boxes.Requests()[0].buttons, ui::MsgButtons::OkCancel);
    EXPECT_TRUE(m_doc->IsClosing());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

TEST_F(ArchivDocMoveTest, StateWordComesFromTheViewsOnHint128)
{
    class StateView : public HintView {
    public:
        void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override
        {
            HintView::OnUpdate(sender, hint, object);
            if (hint & 128)
                static_cast<CArchivDocBase*>(GetDocument())->SetState(7);
        }
    };
    auto* view = new StateView;
    m_doc->AddView(view);
    EXPECT_EQ(m_doc->RefreshAndGetState(), 7);
}

} // namespace

namespace {

using namespace doctest;

class NeighbourFileTest : public ArchivDocTest {
protected:
    // A period file of the same instrument whose first block starts at `start`.
    QString WritePeriodFile(const char* name, CTime start)
    {
        storetest::FakeClock clock;
        clock.Set(start);
        CVKArchivData writer;
        writer.SetTimeSource(clock.Source());
        const QString base = Path(name);
        EXPECT_EQ(writer.Create(3600, 10, 60, base, QStringLiteral(".vk"), TRUE, TRUE, QStringLiteral("Linka")), 1);
        writer.AddMeasurementRecord(vktest::VKValues(1));
        clock.Advance(60);
        EXPECT_EQ(writer.Flush(FALSE, writer.EndBlock(FALSE, TRUE, 60), QStringLiteral("Linka")), 1);
        return base + QStringLiteral(".vk");
    }
};

TEST_F(NeighbourFileTest, NextAndPreviousPickTheClosestFilesOfTheInstrument)
{
    const std::uint32_t day = 86400;
    const CTime now(1710061200 + 20 * day);
    const QString open = WritePeriodFile("hala_Y24D0315H10", CTime(1710061200 + 5 * day));
    const QString earlier = WritePeriodFile("hala_Y24D0313H10", CTime(1710061200 + 3 * day));
    WritePeriodFile("hala_Y24D0311H10", CTime(1710061200 + 1 * day));
    const QString later = WritePeriodFile("hala_Y24D0317H10", CTime(1710061200 + 7 * day));
    WritePeriodFile("hala_Y24D0319H10", CTime(1710061200 + 9 * day));
    WritePeriodFile("hala_Y24D0412H10", CTime(1710061200 + 30 * day)); // in the future
    WritePeriodFile("jina_Y24D0316H10", CTime(1710061200 + 6 * day));  // another instrument
    const CTime openStart(1710061200 + 5 * day);
    EXPECT_EQ(CArchivDocBase::FindNeighbourFile(open, QStringLiteral(".vk"), openStart, true, now), later);
    EXPECT_EQ(CArchivDocBase::FindNeighbourFile(open, QStringLiteral(".vk"), openStart, false, now), earlier);
    // A name without the date suffix still finds the files of its base.
    EXPECT_EQ(CArchivDocBase::FindNeighbourFile(Path("hala_Y24D0313H10.vkr"), QStringLiteral(".vk"), openStart,
                                                true, now),
              QString());
    EXPECT_EQ(CArchivDocBase::FindNeighbourFile(Path("hala.vk"), QStringLiteral(".vk"), CTime(1710061200 + 8 * day),
                                                true, now),
              Path("hala_Y24D0319H10.vk"));
}

TEST_F(NeighbourFileTest, AMissingFileIsReportedAndTheDocumentStays)
{
    WriteBlock();
    HintView* view = nullptr;
    CVKArchivDoc* doc = OpenDoc<CVKArchivDoc>(view);
    QStringList opened;
    CArchivDocHooks::Instance().openArchiveFile = [&opened](const QString& p) { opened << p; };
    ui::ScriptedMessageBoxes boxes;
    doc->OnCommand(archive::cmd::kNextFile);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Požadovaný soubor nenalezen."));
    EXPECT_EQ(boxes.Requests()[0].icon, ui::MsgIcon::Error);
    EXPECT_FALSE(doc->IsClosing());
    EXPECT_TRUE(opened.isEmpty());
}

} // namespace

namespace {

using namespace doctest;

class CommandStateTest : public ArchivDocTest {};

TEST_F(CommandStateTest, MeterDataFollowTheIdentificationAndOpenByInstrumentTheInstrumentCount)
{
    struct Case {
        WORD model;
        bool meter;
    };
    const Case cases[] = {{0x1104, true}, {0x1101, false}, {0x11FB, false}};
    for (const Case& c : cases) {
        CIden iden;
        iden.family = CIden::kFamilyAnalyser;
        iden.model = c.model;
        m_writer.AddIdenRecord(iden);
        WriteBlock(3);
        HintView* view = nullptr;
        CVKArchivDoc* doc = OpenDoc<CVKArchivDoc>(view);
        doc->SetWindow(m_times[m_times.size() - 3], m_times.back());
        EXPECT_EQ(doc->IsCommandEnabled(archive::cmd::kMeter), c.meter) << c.model;
    }
    HintView* view = nullptr;
    CVKArchivDoc* doc = OpenDoc<CVKArchivDoc>(view);
    EXPECT_FALSE(doc->IsCommandEnabled(CVKArchivDoc::kOpenByInstrument));
    int devices = 0;
    CArchivDocHooks::Instance().deviceCounter = [&devices] { return devices; };
    EXPECT_FALSE(doc->IsCommandEnabled(CVKArchivDoc::kOpenByInstrument));
    devices = 2;
    EXPECT_TRUE(doc->IsCommandEnabled(CVKArchivDoc::kOpenByInstrument));
}

} // namespace
