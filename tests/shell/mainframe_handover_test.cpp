#include "ShellTestSupport.h"

#include "archive/store/ArchivRecord.h"
#include "archive/store/CfbArchivStorage.h"
#include "archive/store/VKArchivData.h"
#include "link/Pristroj.h"
#include "platform/cfb/cfb.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"
#include "platform/WindowMessage.h"
#include "shell/AppArchivHost.h"
#include "shell/GeneralSettings.h"
#include "shell/MainFrame.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/WaitUntil.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QToolBar>
#include <QtEndian>

#include <atomic>
#include <cerrno>
#include <memory>
#include <thread>

namespace {

using platform::CTime;

// A VK analyser whose archive has one finished block waiting for the main
// thread, as a measurement thread leaves it before the hand-over.
class HandOverTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        auto entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kVK);
        entry->m_nazev = QStringLiteral("Linka");
        entry->m_prepisovat = 1;
        device = entry.get();
        devices.push_back(std::move(entry));
        archive = static_cast<CVKArchivData*>(device->GetArchivData());
        ASSERT_NE(archive, nullptr);
        archive->SetTimeSource([] { return CTime(2024, 3, 10, 10, 0, 0); });
        ASSERT_EQ(archive->Create(20 * 600, 10, 60, dir.filePath(QStringLiteral("hala")), QStringLiteral(".vk"), TRUE,
                                  TRUE, device->m_nazev),
                  1);
    }
    void TearDown() override
    {
        if (archive)
            archive->Close();
        StoreTest::TearDown();
    }

    int QueueBlock()
    {
        archive->AddConfigRecord(CVKConfig());
        archive->AddRecord(QStringLiteral("Začátek záznamu dat."), 7);
        return archive->EndBlock(FALSE, TRUE, 60);
    }

    bool BlockOnDisk()
    {
        CVKArchivData reader;
        if (reader.Open(archive->GetFilePath()) != 1 || reader.ReadHeader() != 1)
            return false;
        CArchivRecordList block;
        const bool found = reader.ReadBlock(0, block) == 1 && !block.empty();
        reader.Close();
        return found;
    }

    CGeneralSettings settings{QDir::currentPath()};
    CDeviceRegistry::InstrumentList devices;
    CPristroj* device = nullptr;
    CVKArchivData* archive = nullptr;
};

// The measurement thread's side of the hand-over: a send that does not wait,
// then a bounded wait on the instrument's event, while the main thread runs
// its loop.
TEST_F(HandOverTest, ThreadHandsBlockOverAndTheFrameWritesIt)
{
    CMainFrame frame(devices, settings);
    const int mode = QueueBlock();
    ASSERT_FALSE(BlockOnDisk());

    std::atomic<bool> done{false};
    std::atomic<bool> released{false};
    std::thread thread([&] {
        device->m_handOver->Reset();
        if (platform::SendNotifyMessageTo(&frame, platform::WM_DATA_READY, reinterpret_cast<std::uintptr_t>(device),
                                          mode))
            released = device->m_handOver->Wait(20000);
        done = true;
    });
    const QDeadlineTimer deadline(30000);
    while (!done && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    thread.join();
    // The write follows the release on a later turn of the loop.
    EXPECT_TRUE(testsupport::WaitUntil([&] {
        QCoreApplication::processEvents();
        return !frame.HasBlocksToWrite();
    }));

    EXPECT_TRUE(released);
    EXPECT_TRUE(BlockOnDisk());
}

// A write that cannot be done still releases the thread first: it must not
// wait for a disk that fails.
TEST_F(HandOverTest, EventIsSetEvenWhenTheWriteFails)
{
    CMainFrame frame(devices, settings);
    const int mode = QueueBlock();
    const QString path = archive->GetFilePath();
    archive->Close();
    QFile::remove(path);
    ASSERT_TRUE(QDir(dir.path()).mkpath(QFileInfo(path).fileName())); // a folder where the file was

    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    device->m_handOver->Reset();
    const auto written = [&] {
        return testsupport::WaitUntil([&] {
            QCoreApplication::processEvents();
            return !frame.HasBlocksToWrite();
        });
    };
    frame.OnDataReady(reinterpret_cast<std::uintptr_t>(device), mode);
    EXPECT_TRUE(device->m_handOver->Wait(0));
    const auto told = [&] {
        return testsupport::WaitUntil([&] {
            QCoreApplication::processEvents();
            return !boxes.Requests().empty();
        });
    };
    ASSERT_TRUE(written());
    // Four failed writes drop nothing: the block waits, and the user is
    // told once (on a later turn of the loop), not at every hand-over.
    EXPECT_GT(archive->GetQueuedBlockCount(), 0);
    ASSERT_TRUE(told());
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Data přístroje Linka se nepodařilo zapsat")));
    frame.OnDataReady(reinterpret_cast<std::uintptr_t>(device), mode);
    ASSERT_TRUE(written());
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes.Requests().size(), 1u);
}

// Threads that end their blocks at the same second hand them over at once:
// every one is released before the first block goes to the disk, so none
// waits out the others' writes (a hundred of them outlast its bound). The
// first write here fails and tells the user: by then the second thread
// must be free, and its block is written after.
TEST_F(HandOverTest, EveryThreadOfOneBlockEndIsReleasedBeforeAnyWrite)
{
    auto entry = std::make_unique<CPristroj>(QStringLiteral("COM2"), 2, dir.path(), FALSE, CPristroj::kVK);
    entry->m_nazev = QStringLiteral("Kotelna");
    entry->m_prepisovat = 1;
    CPristroj* second = entry.get();
    devices.push_back(std::move(entry));
    auto* secondArchive = static_cast<CVKArchivData*>(second->GetArchivData());
    secondArchive->SetTimeSource([] { return CTime(2024, 3, 10, 10, 0, 0); });
    ASSERT_EQ(secondArchive->Create(20 * 600, 10, 60, dir.filePath(QStringLiteral("kotelna")), QStringLiteral(".vk"),
                                    TRUE, TRUE, second->m_nazev),
              1);
    secondArchive->AddConfigRecord(CVKConfig());
    const int secondMode = secondArchive->EndBlock(FALSE, TRUE, 60);

    // The first instrument's file is gone: its write fails with a box.
    const int mode = QueueBlock();
    const QString path = archive->GetFilePath();
    archive->Close();
    QFile::remove(path);
    ASSERT_TRUE(QDir(dir.path()).mkpath(QFileInfo(path).fileName()));

    CMainFrame frame(devices, settings);
    bool secondFreeAtTheBox = false;
    int boxCount = 0;
    ui::MessageBoxHandler previous = ui::SetMessageBoxHandler([&](const ui::MessageBoxRequest&) {
        ++boxCount;
        secondFreeAtTheBox = second->m_handOver->IsSet();
        return ui::MsgAnswer::Ok;
    });
    device->m_handOver->Reset();
    second->m_handOver->Reset();
    std::thread threads([&] {
        platform::SendNotifyMessageTo(&frame, platform::WM_DATA_READY, reinterpret_cast<std::uintptr_t>(device), mode);
        platform::SendNotifyMessageTo(&frame, platform::WM_DATA_READY, reinterpret_cast<std::uintptr_t>(second),
                                      secondMode);
    });
    threads.join();
    EXPECT_TRUE(testsupport::WaitUntil([&] {
        QCoreApplication::processEvents();
        return device->m_handOver->IsSet() && second->m_handOver->IsSet() && !frame.HasBlocksToWrite()
               && boxCount > 0;
    }));
    ui::SetMessageBoxHandler(std::move(previous));
    EXPECT_EQ(boxCount, 1);
    EXPECT_TRUE(secondFreeAtTheBox);
    EXPECT_EQ(secondArchive->GetQueuedBlockCount(), 0);
    secondArchive->Close();
}

// The disk fills up: the user is told that the blocks wait in memory, and
// while that notice stays open the space comes back and the next block is
// handed over: it goes out at once with the one that waited, neither held
// up by the open box nor lost to the file that the refused write left
// unusable.
TEST_F(HandOverTest, BlocksGoOutOnceThereIsRoomWhileTheNoticeIsOpen)
{
    std::atomic<bool> full{false};
    const auto saved = CArchivFileList::Instance().GetProvider();
    CArchivFileList::Instance().SetProvider(archive::CreateCfbStorageProvider([&](cfb::CompoundFile& file) {
        file.setFileFaultForTesting([&](cfb::CompoundFile::FileCall call, std::uint64_t, std::uint64_t) {
            return full && call != cfb::CompoundFile::FileCall::Sync ? ENOSPC : 0;
        });
    }));
    const QString path = archive->GetFilePath();
    archive->Close();
    ASSERT_EQ(archive->OpenForAppend(path, device->m_nazev), 1);
    CMainFrame frame(devices, settings);
    const auto written = [&] {
        return testsupport::WaitUntil([&] {
            QCoreApplication::processEvents();
            return !frame.HasBlocksToWrite();
        });
    };

    int boxCount = 0;
    bool writtenWhileOpen = false;
    ui::MessageBoxHandler previous = ui::SetMessageBoxHandler([&](const ui::MessageBoxRequest&) {
        ++boxCount;
        full = false;
        device->m_handOver->Reset();
        frame.OnDataReady(reinterpret_cast<std::uintptr_t>(device), QueueBlock());
        writtenWhileOpen = written() && archive->GetQueuedBlockCount() == 0;
        return ui::MsgAnswer::Ok;
    });
    full = true;
    device->m_handOver->Reset();
    frame.OnDataReady(reinterpret_cast<std::uintptr_t>(device), QueueBlock());
    EXPECT_TRUE(written());
    EXPECT_TRUE(testsupport::WaitUntil([&] {
        QCoreApplication::processEvents();
        return boxCount > 0;
    }));
    ui::SetMessageBoxHandler(std::move(previous));
    EXPECT_EQ(boxCount, 1);
    EXPECT_TRUE(writtenWhileOpen);
    archive->Close();
    CArchivFileList::Instance().SetProvider(saved);

    CVKArchivData reader;
    ASSERT_EQ(reader.Open(path), 1);
    ASSERT_EQ(reader.ReadHeader(), 1);
    for (int slot = 0; slot < 2; ++slot) {
        CArchivRecordList block;
        EXPECT_EQ(reader.ReadBlock(slot, block), 1) << slot;
        EXPECT_FALSE(block.empty()) << slot;
    }
}

// An instrument with a file per day, at the end of the day, whose next
// day's file already exists: the first block of the new day makes the main
// window ask whether to write over it, in the program's own box.
class RolloverTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        auto entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kVK);
        entry->m_nazev = QStringLiteral("Linka");
        entry->m_prepisovat = 0;
        device = entry.get();
        devices.push_back(std::move(entry));
        frame = std::make_unique<CMainFrame>(devices, settings);
        host = std::make_unique<CAppArchivHost>(frame.get());
        archive = static_cast<CVKArchivData*>(device->GetArchivData());
        ASSERT_NE(archive, nullptr);
        archive->SetHost(host.get());
        archive->SetTimeSource([this] { return now; });
        ASSERT_EQ(archive->Create(86400, 1, 60, dir.filePath(QStringLiteral("hala")), QStringLiteral(".vk"), FALSE,
                                  TRUE, device->m_nazev),
                  1);
        first = archive->GetFilePath();
        HandOver(1);
        WriteHandedOver();
        ASSERT_TRUE(QFile::copy(first, second));
        now = CTime(2024, 3, 10, 23, 59, 0);
        HandOver(2); // still the old day's
        WriteHandedOver();
        ASSERT_EQ(Words(first), (std::vector<DWORD>{1, 2}));
    }
    void TearDown() override
    {
        if (archive)
            archive->Close();
        frame.reset();
        StoreTest::TearDown();
    }

    // What the measurement thread does at the end of a block: the block is
    // ended on its own thread and handed over with a message; the main
    // thread's loop runs meanwhile (a box of it may be open).
    void HandOver(DWORD word)
    {
        now = CTime(CTime::time_type(now.GetTime() + 60));
        std::atomic<bool> done{false};
        std::thread thread([&] {
            archive->AddWordRecord(word);
            const int mode = archive->EndBlock(TRUE, TRUE, 60);
            device->m_handOver->Reset();
            if (platform::SendNotifyMessageTo(frame.get(), platform::WM_DATA_READY,
                                              reinterpret_cast<std::uintptr_t>(device), mode))
                device->m_handOver->Wait(20000);
            done = true;
        });
        const QDeadlineTimer deadline(30000);
        while (!done && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        thread.join();
        // Turns enough for the write timer to fire again.
        for (int turn = 0; turn < 5; ++turn)
            QCoreApplication::processEvents();
    }
    void WriteHandedOver()
    {
        EXPECT_TRUE(testsupport::WaitUntil([&] {
            QCoreApplication::processEvents();
            return !frame->HasBlocksToWrite();
        }));
    }
    // The words of the file's blocks in slot order, read back as a window
    // reads them.
    static std::vector<DWORD> Words(const QString& path)
    {
        CVKArchivData reader;
        std::vector<DWORD> words;
        if (reader.Open(path) != 1 || reader.ReadHeader() != 1)
            return words;
        for (int slot = 0; slot < 8; ++slot) {
            CArchivRecordList block;
            if (reader.ReadBlock(slot, block) != 1)
                break;
            for (const CArchivRecord& r : block)
                if (r.type == kRecordWord && r.data.size() == 4)
                    words.push_back(qFromLittleEndian<quint32>(r.data.constData()));
        }
        reader.Close();
        return words;
    }
    static QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    CTime now{2024, 3, 10, 23, 50, 0};
    CGeneralSettings settings{QDir::currentPath()};
    CDeviceRegistry::InstrumentList devices;
    CPristroj* device = nullptr;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<CAppArchivHost> host;
    CVKArchivData* archive = nullptr;
    QString first;
    const QString second = dir.filePath(QStringLiteral("hala_Y24D0311H00.vk"));
};

// Blocks keep coming while the question is open: its box's loop must not
// ask again for each of them, and Yes must not make the file anew over
// blocks of the new day already in it. Every block reaches the new file
// once, in order.
TEST_F(RolloverTest, BlocksArrivingDuringTheQuestionAreWrittenOnceAfterIt)
{
    const QString question = platform::LoadString(platform::IDS_ASK_OVERWRITE_EXISTING);
    int questions = 0;
    ui::MessageBoxHandler previous = ui::SetMessageBoxHandler([&](const ui::MessageBoxRequest& request) {
        if (request.text != question)
            return ui::MsgAnswer::Ok;
        if (++questions == 1) {
            HandOver(4);
            HandOver(5);
        }
        return ui::MsgAnswer::Yes;
    });
    HandOver(3); // the new day's first block
    WriteHandedOver();
    ui::SetMessageBoxHandler(std::move(previous));

    EXPECT_EQ(questions, 1);
    EXPECT_EQ(archive->GetQueuedBlockCount(), 0);
    EXPECT_EQ(archive->GetFilePath(), second);
    EXPECT_EQ(Words(second), (std::vector<DWORD>{3, 4, 5}));
    EXPECT_EQ(Words(first), (std::vector<DWORD>{1, 2}));
}

// No keeps the existing file as it is: the instrument stops recording with
// the notice it gets when its archive cannot be had at start-up, and the
// new day's blocks are not held in memory for ever. Blocks handed over
// before the thread stops are given up without another word.
TEST_F(RolloverTest, NoStopsTheRecordingAndFreesTheQueue)
{
    const QByteArray before = Bytes(second);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    boxes.Answer(ui::MsgAnswer::No);
    HandOver(3);
    WriteHandedOver();
    HandOver(4);
    WriteHandedOver();
    for (int turn = 0; turn < 5; ++turn)
        QCoreApplication::processEvents(); // the posted notice

    EXPECT_EQ(archive->GetQueuedBlockCount(), 0);
    EXPECT_EQ(Bytes(second), before);
    EXPECT_EQ(Words(first), (std::vector<DWORD>{1, 2}));
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[0].text, platform::LoadString(platform::IDS_ASK_OVERWRITE_EXISTING));
    EXPECT_EQ(boxes.Requests()[1].text,
              QStringLiteral("Přístroj Linka: do archivu \"%1\" nelze zaznamenávat: "
                             "soubor již existuje a nebyl přepsán. "
                             "Přístroj dál měří, ale nezaznamenává.")
                  .arg(QDir::toNativeSeparators(second)));
}

// A late message for an instrument that has left the list touches nothing.
TEST_F(HandOverTest, MessagesForUnknownInstrumentsAreIgnored)
{
    CMainFrame frame(devices, settings);
    CPristroj stranger(QStringLiteral("COM1"), 2, dir.path(), FALSE, CPristroj::kVK);
    stranger.m_handOver->Reset();
    const auto w = reinterpret_cast<std::uintptr_t>(&stranger);
    frame.OnDataReady(w, 0);
    frame.OnQuarterHour(w, 0);
    frame.OnLiveFrames(w, 1);
    EXPECT_FALSE(stranger.m_handOver->Wait(0));
}

TEST_F(HandOverTest, QuarterHourAndLiveFramesReleaseTheThread)
{
    CMainFrame frame(devices, settings);
    const auto w = reinterpret_cast<std::uintptr_t>(device);
    for (const int lParam : {0, 1, 2}) {
        device->m_handOver->Reset();
        frame.OnLiveFrames(w, lParam);
        EXPECT_TRUE(device->m_handOver->Wait(0)) << lParam;
    }
    device->m_handOver->Reset();
    frame.OnQuarterHour(w, 0);
    EXPECT_TRUE(device->m_handOver->Wait(0));
}

TEST_F(HandOverTest, FindsInstrumentByArchivePath)
{
    CMainFrame frame(devices, settings);
    CPristroj* found = device + 1; // anything but null
    QString path = archive->GetFilePath();
    platform::SendMessageTo(&frame, platform::WM_FIND_DEVICE, reinterpret_cast<std::uintptr_t>(&path),
                            reinterpret_cast<std::intptr_t>(&found));
    EXPECT_EQ(found, device);
    path = dir.filePath(QStringLiteral("jiny.vk"));
    platform::SendMessageTo(&frame, platform::WM_FIND_DEVICE, reinterpret_cast<std::uintptr_t>(&path),
                            reinterpret_cast<std::intptr_t>(&found));
    EXPECT_EQ(found, nullptr);
}

// The bar flags go with the frame's state when it closes.
TEST_F(HandOverTest, BarTogglesAndPlacementAreSavedOnClose)
{
    {
        CMainFrame frame(devices, settings);
        frame.resize(640, 480);
        frame.show();
        frame.Action(CMainFrame::kGraphBar)->trigger();
        frame.Action(CMainFrame::kInstrumentBar)->trigger();
        EXPECT_FALSE(frame.InstrumentBar()->isVisible());
        frame.close();
    }
    const auto& section = CGeneralSettings::Section();
    EXPECT_EQ(store.GetProfileInt(section, QStringLiteral("isGrafBar"), -1), 0);
    EXPECT_EQ(store.GetProfileInt(section, QStringLiteral("isPristrojBar"), -1), 0);
    EXPECT_EQ(store.GetProfileInt(section, QStringLiteral("isMereniBar"), -1), 1);
    EXPECT_EQ(store.GetProfileInt(section, QStringLiteral("maximize"), -1), 0);
    EXPECT_EQ(store.GetProfileInt(section, QStringLiteral("cx"), -1), 640);
    EXPECT_FALSE(store.GetProfileBinary(CMainFrame::kBarStateSection, QStringLiteral("stav")).isEmpty());
}

} // namespace

namespace {

TEST(MainFrameHelp, ContextsMapToTheirTopics)
{
    const struct {
        int context;
        int topic;
    } cases[] = {
        {0x18003, 102}, {0x20082, 102}, {0x20084, 103}, {0x18005, 117}, {0x20085, 116}, {0x20087, 116},
        {0x20088, 101}, {0x200B6, 104}, {0x200B8, 104}, {0x200C4, 118}, {0x200D0, 118}, {0x200CE, 119},
        {0x200D4, 112}, {0x20080, 101}, {0, 101},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMainFrame::HelpTopic(c.context), c.topic) << std::hex << c.context;
}

} // namespace
