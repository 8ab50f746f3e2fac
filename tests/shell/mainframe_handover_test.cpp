#include "ShellTestSupport.h"

#include "archive/store/VKArchivData.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "platform/WindowMessage.h"
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

#include <atomic>
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
    ASSERT_TRUE(written());
    // Four failed writes drop nothing: the block waits, and the user is
    // told once, not at every hand-over.
    EXPECT_GT(archive->GetQueuedBlockCount(), 0);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Data přístroje Linka se nepodařilo zapsat")));
    frame.OnDataReady(reinterpret_cast<std::uintptr_t>(device), mode);
    ASSERT_TRUE(written());
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
        return device->m_handOver->IsSet() && second->m_handOver->IsSet() && !frame.HasBlocksToWrite();
    }));
    ui::SetMessageBoxHandler(std::move(previous));
    EXPECT_EQ(boxCount, 1);
    EXPECT_TRUE(secondFreeAtTheBox);
    EXPECT_EQ(secondArchive->GetQueuedBlockCount(), 0);
    secondArchive->Close();
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
