#include "StoreTestSupport.h"

#include <condition_variable>
#include <thread>

namespace storetest {
namespace {

class ThreadsTest : public StoreTest {};

// A measurement thread queues records and ends blocks while another thread
// writes them and a third reads the lists, as the main thread does.
TEST_F(ThreadsTest, WriterAndFlusherTogether)
{
    constexpr int kBlocks = 120;
    constexpr int kRecordsPerBlock = 5;
    TestArchivData data;
    StartRing(data, kBlocks + 2);

    std::mutex mutex;
    std::condition_variable wake;
    int ended = 0;
    bool done = false;

    std::thread flusher([&]() {
        int flushed = 0;
        for (;;) {
            std::unique_lock lock(mutex);
            wake.wait(lock, [&]() { return ended > flushed || done; });
            if (ended == flushed && done)
                return;
            flushed = ended;
            lock.unlock();
            data.Flush(FALSE, 1, "Linka");
        }
    });
    std::atomic<bool> reading{true};
    std::thread reader([&]() {
        CArchivEventList events;
        while (reading.load()) {
            data.CollectEvents(events);
            (void)data.GetNewestDataTime();
            (void)data.CountDataRecords(TRUE);
            CTime start, last, full;
            data.GetRingFillTime(60, kRecordsPerBlock, start, last, full);
            (void)data.GetGraphPosition();
            std::this_thread::yield();
        }
    });

    std::thread writer([&]() {
        for (int block = 0; block < kBlocks; ++block) {
            for (int r = 0; r < kRecordsPerBlock; ++r) {
                data.AddWordRecord(DWORD(block * kRecordsPerBlock + r));
                data.AddDataRecord(m_clock.Get());
                if (r == 2)
                    data.AddRecord("chyba", kRecordError);
                m_clock.Advance(60);
            }
            ASSERT_EQ(data.EndBlock(FALSE, TRUE, 60), 1);
            {
                std::lock_guard lock(mutex);
                ++ended;
            }
            wake.notify_one();
        }
    });
    writer.join();
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    wake.notify_one();
    flusher.join();
    reading = false;
    reader.join();

    ASSERT_EQ(data.Flush(FALSE, 1, "Linka"), 1);
    EXPECT_EQ(data.GetQueuedBlockCount(), 0);
    for (int block = 0; block < kBlocks; ++block) {
        std::vector<DWORD> expected;
        for (int r = 0; r < kRecordsPerBlock; ++r)
            expected.push_back(DWORD(block * kRecordsPerBlock + r));
        ASSERT_EQ(ReadWords(data.GetFilePath(), block), expected) << block;
    }
}

} // namespace
} // namespace storetest
