#include "StoreTestSupport.h"

#include "platform/Cp1250.h"
#include "platform/cfb/cfb.h"
#include "platform/StringTable.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <numeric>
#include <thread>

namespace storetest {
namespace {

class RingTest : public StoreTest {
protected:
    std::shared_ptr<archive::Storage> StorageOf(const QString& path)
    {
        auto entry = CArchivFileList::Instance().Find(path);
        return entry ? entry->GetStorage() : nullptr;
    }

    // The header as it is on disk.
    CArchivHeader DiskHeader(const QString& path)
    {
        CArchivHeader header;
        QByteArray bytes;
        auto storage = StorageOf(path);
        EXPECT_TRUE(storage);
        if (storage && storage->ReadStream("hlavicka", bytes) == archive::StorageStatus::Ok) {
            EXPECT_EQ(archive::DecodeHeader(bytes, header), archive::HeaderDecode::Ok);
        }
        return header;
    }
};

TEST_F(RingTest, CreateStartsAFileWithItsSettingsStream)
{
    TestArchivData data;
    StartRing(data, 6);
    EXPECT_TRUE(QFile::exists(Path("ring.tst")));
    EXPECT_EQ(data.GetInstrumentName(), QStringLiteral("Linka"));
    EXPECT_EQ(data.Table()[0], m_clock.Get().GetTime());
    EXPECT_EQ(data.WriteSlot(), 0);
    EXPECT_EQ(data.GetBaseTitle(".tst"), QStringLiteral("ring"));
}

TEST_F(RingTest, RingOfFourWrapsAndWritesSlotThree)
{
    TestArchivData data;
    StartRing(data, 4);
    for (DWORD i = 0; i < 3; ++i)
        ASSERT_EQ(WriteWordBlock(data, i), 1);
    EXPECT_EQ(data.WriteSlot(), 3);
    ASSERT_EQ(WriteWordBlock(data, 3), 1);
    EXPECT_EQ(data.WriteSlot(), 0);
    for (int slot = 0; slot < 4; ++slot)
        EXPECT_EQ(ReadWords(Path("ring.tst"), slot), std::vector<DWORD>{DWORD(slot)}) << slot;

    // On disk the collecting slot reads empty, the others carry their starts.
    const CArchivHeader disk = DiskHeader(Path("ring.tst"));
    ASSERT_EQ(disk.SlotCount(), 4);
    EXPECT_EQ(disk.slotTable[0], 0u);
    EXPECT_NE(disk.slotTable[3], 0u);
    EXPECT_LT(disk.slotTable[1], disk.slotTable[2]);

    ASSERT_EQ(WriteWordBlock(data, 4), 1);
    EXPECT_EQ(ReadWords(Path("ring.tst"), 0), std::vector<DWORD>{4});
}

TEST_F(RingTest, GrowingFiveToEightMovesTheOlderBlocksUp)
{
    TestArchivData data;
    StartRing(data, 5);
    for (DWORD i = 0; i < 7; ++i) // slots 0..4, then 0 and 1 again: W = 2
        ASSERT_EQ(WriteWordBlock(data, i), 1);
    ASSERT_EQ(data.WriteSlot(), 2);
    const auto before = data.Table();

    data.ResizeRing(7 * 60, 1, 60); // 7 + 1 slots
    ASSERT_EQ(data.SlotCount(), 8);
    const auto after = data.Table();
    EXPECT_EQ(after[7], before[4]);
    EXPECT_EQ(after[6], before[3]);
    EXPECT_EQ(after[3], 0u);
    EXPECT_EQ(after[4], 0u);
    EXPECT_EQ(after[5], 0u);
    EXPECT_EQ(ReadWords(Path("ring.tst"), 7), std::vector<DWORD>{4});
    EXPECT_EQ(ReadWords(Path("ring.tst"), 6), std::vector<DWORD>{3});
    const CArchivHeader disk = DiskHeader(Path("ring.tst"));
    EXPECT_EQ(disk.SlotCount(), 8);
    EXPECT_EQ(disk.slotTable[2], 0u); // still collecting
    EXPECT_EQ(disk.slotTable[4], 0u);
    EXPECT_EQ(disk.slotTable[7], before[4]);

    // The ring goes on into the gap.
    ASSERT_EQ(WriteWordBlock(data, 7), 1);
    EXPECT_EQ(ReadWords(Path("ring.tst"), 2), std::vector<DWORD>{7});
    EXPECT_EQ(data.WriteSlot(), 3);
}

TEST_F(RingTest, ShrinkWaitsForTheWritePositionAndDropsTheTail)
{
    TestArchivData data;
    StartRing(data, 6);
    for (DWORD i = 0; i < 9; ++i) // slots 0..5, 0..2: W = 3
        ASSERT_EQ(WriteWordBlock(data, i), 1);
    auto storage = StorageOf(Path("ring.tst"));
    ASSERT_TRUE(storage->Exists("A5"));

    data.ResizeRing(3 * 60, 1, 60); // 4 slots
    EXPECT_EQ(data.ShrinkState(), 1);
    EXPECT_EQ(data.SlotCount(), 6);
    ASSERT_EQ(WriteWordBlock(data, 9), 1); // the block at M - 1 = 3 closes the smaller ring
    EXPECT_EQ(data.SlotCount(), 4);
    EXPECT_EQ(data.WriteSlot(), 0);
    EXPECT_EQ(ReadWords(Path("ring.tst"), 3), std::vector<DWORD>{9});
    EXPECT_FALSE(storage->Exists("A4"));
    EXPECT_FALSE(storage->Exists("A5"));
    EXPECT_EQ(DiskHeader(Path("ring.tst")).SlotCount(), 4);
}

TEST_F(RingTest, NewFileForEachPeriod)
{
    TestArchivData data;
    Prepare(data);
    ASSERT_EQ(data.Create(86400, 1, 60, Path("den"), ".tst", FALSE, TRUE, "Linka"), 1);
    const QString first = Path("den_Y24D0310H10.tst");
    ASSERT_TRUE(QFile::exists(first));
    ASSERT_EQ(WriteWordBlock(data, 1, true), 1);

    m_clock.Set(CTime(2024, 3, 10, 23, 59, 0)); // the day ends within the next interval
    ASSERT_EQ(WriteWordBlock(data, 2, true), 1);
    data.AddWordRecord(3);
    m_clock.Advance(60);
    ASSERT_EQ(data.EndBlock(TRUE, TRUE, 60), 2);
    ASSERT_EQ(data.Flush(TRUE, 2, "Linka"), 1);

    const QString second = Path("den_Y24D0311H00.tst");
    ASSERT_TRUE(QFile::exists(second));
    EXPECT_EQ(data.GetFilePath(), second);
    EXPECT_EQ(ReadWords(second, 0), std::vector<DWORD>{3});
    EXPECT_EQ(ReadWords(first, 1), std::vector<DWORD>{2});
    EXPECT_EQ(data.WriteSlot(), 1);
    EXPECT_TRUE(m_host.Asked().empty());
}

// The next day's file already exists (a copy of an earlier archive), so the
// first block of the day asks before the file is made anew.
class PeriodQuestionTest : public RingTest {
protected:
    void SetUp() override
    {
        RingTest::SetUp();
        Prepare(data);
        ASSERT_EQ(data.Create(86400, 1, 60, Path("den"), ".tst", FALSE, TRUE, "Linka"), 1);
        ASSERT_EQ(WriteWordBlock(data, 1, true), 1);
        ASSERT_TRUE(QFile::copy(first, second));
        m_clock.Set(CTime(2024, 3, 10, 23, 59, 0));
        ASSERT_EQ(WriteWordBlock(data, 2, true), 1);
    }
    // A block of the new day, ended but not written.
    int EndWordBlock(DWORD value)
    {
        data.AddWordRecord(value);
        m_clock.Advance(60);
        return data.EndBlock(TRUE, TRUE, 60);
    }
    // A day-file recording of its own whose next day's file already exists:
    // two blocks written before midnight, the first of the new day ended but
    // not written. Gives the flush mode of that block.
    int BeforeMidnight(TestArchivData& recording, const QString& base)
    {
        Prepare(recording);
        m_clock.Set(CTime(2024, 3, 10, 23, 58, 0));
        EXPECT_EQ(recording.Create(86400, 1, 60, base, ".tst", FALSE, TRUE, "Linka"), 1);
        EXPECT_EQ(WriteWordBlock(recording, 1, true), 1);
        EXPECT_TRUE(QFile::copy(recording.GetFilePath(), base + "_Y24D0311H00.tst"));
        m_clock.Set(CTime(2024, 3, 10, 23, 59, 0));
        EXPECT_EQ(WriteWordBlock(recording, 2, true), 1);
        recording.AddWordRecord(3);
        m_clock.Advance(60);
        return recording.EndBlock(TRUE, TRUE, 60);
    }
    QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestArchivData data;
    const QString first = Path("den_Y24D0310H10.tst");
    const QString second = Path("den_Y24D0311H00.tst");
};

// Writes that come while the user is asked (one run by the box's event
// loop, one from the measurement thread) must neither ask again nor reach
// the file before the answer; the write that asked takes their blocks
// along, in order, once answered Yes.
TEST_F(PeriodQuestionTest, WritesDuringTheQuestionWaitForItsAnswer)
{
    const int mode = EndWordBlock(3);
    ASSERT_EQ(mode, 2);
    int nested = 0;
    m_host.whileAsking = [&] {
        if (nested++ > 0)
            return;
        EXPECT_EQ(data.Flush(TRUE, std::max(EndWordBlock(4), mode), "Linka"), 1);
        std::thread thread([&] { EXPECT_EQ(data.Flush(TRUE, std::max(EndWordBlock(5), mode), "Linka"), 1); });
        thread.join();
        EXPECT_EQ(data.GetQueuedBlockCount(), 3);
    };
    m_host.Answer(true);
    ASSERT_EQ(data.Flush(TRUE, mode, "Linka"), 1);

    EXPECT_EQ(m_host.Asked(), std::vector<int>{32254});
    EXPECT_EQ(data.GetQueuedBlockCount(), 0);
    EXPECT_EQ(data.GetFilePath(), second);
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_EQ(ReadWords(second, slot), std::vector<DWORD>{DWORD(3 + slot)}) << slot;
    EXPECT_EQ(ReadWords(first, 1), std::vector<DWORD>{2});
}

// No keeps the existing file as it is and gives up the new day's blocks
// instead of holding them (and every later one) for ever; what went to the
// earlier file stays there.
TEST_F(PeriodQuestionTest, NoGivesUpTheNewPeriodAndKeepsBothFiles)
{
    const QByteArray before = Bytes(second);
    const int mode = EndWordBlock(3);
    EXPECT_EQ(data.Flush(TRUE, mode, "Linka"), 0);
    EXPECT_EQ(data.RefusedNewFile(), second);
    EXPECT_EQ(data.GetQueuedBlockCount(), 0);

    EXPECT_EQ(data.Flush(TRUE, std::max(EndWordBlock(4), mode), "Linka"), 0);
    EXPECT_EQ(data.GetQueuedBlockCount(), 0);
    EXPECT_EQ(m_host.Asked().size(), 1u);
    EXPECT_EQ(m_host.LostBlocks(), 2);
    EXPECT_EQ(Bytes(second), before);
    EXPECT_EQ(ReadWords(first, 0), std::vector<DWORD>{1});
    EXPECT_EQ(ReadWords(first, 1), std::vector<DWORD>{2});
}

// The recording stops (a merge's pause, a deactivation) while the user is
// asked about the new day's file: whatever the answer, the stopped archive
// holds no file open afterwards and no refusal is left to end the recording
// when it goes on.
TEST_F(PeriodQuestionTest, AStopWhileAskingLeavesNoFileOpen)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        TestArchivData stopped;
        const int mode = BeforeMidnight(stopped, Path(yes ? "ano" : "ne"));
        ASSERT_EQ(mode, 2);
        m_host.whileAsking = [&] {
            std::thread thread([&] { stopped.StopArchive(FALSE); });
            thread.join();
        };
        m_host.Answer(yes);
        EXPECT_EQ(stopped.Flush(TRUE, mode, "Linka"), 1);
        EXPECT_EQ(stopped.GetFilePath(), QString());
        EXPECT_EQ(stopped.RefusedNewFile(), QString());
        EXPECT_EQ(stopped.GetQueuedBlockCount(), 0);
        m_host.whileAsking = nullptr;
    }
}

// Stopped and started again while the user is asked (a merge's pause): the
// late answer governs nothing any more; the restarted recording keeps its
// own file and writes on into it.
TEST_F(PeriodQuestionTest, ARestartWhileAskingWritesOnInTheRestartedFile)
{
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        TestArchivData recording;
        const QString base = Path(yes ? "ano" : "ne");
        const int mode = BeforeMidnight(recording, base);
        ASSERT_EQ(mode, 2);
        int nested = 0;
        int created = -1;
        QString restartedFile;
        m_host.whileAsking = [&] {
            if (nested++ > 0)
                return;
            std::thread thread([&] {
                recording.StopArchive(FALSE);
                created = recording.Create(86400, 1, 60, base, ".tst", FALSE, TRUE, "Linka");
            });
            thread.join();
            restartedFile = recording.GetFilePath();
        };
        for (int i = 0; i < 3; ++i)
            m_host.Answer(yes);
        EXPECT_EQ(recording.Flush(TRUE, mode, "Linka"), 1);
        m_host.whileAsking = nullptr;
        ASSERT_EQ(created, 1);
        ASSERT_FALSE(restartedFile.isEmpty());
        EXPECT_EQ(recording.GetFilePath(), restartedFile);
        EXPECT_EQ(recording.RefusedNewFile(), QString());
        const int slot = recording.WriteSlot();
        EXPECT_EQ(WriteWordBlock(recording, 7, true), 1);
        EXPECT_EQ(WriteWordBlock(recording, 8, true), 1);
        EXPECT_EQ(recording.GetQueuedBlockCount(), 0);
        EXPECT_EQ(ReadWords(restartedFile, slot), std::vector<DWORD>{7});
        EXPECT_EQ(ReadWords(restartedFile, slot + 1), std::vector<DWORD>{8});
    }
}

TEST_F(RingTest, WithoutOverwritingTheWritePositionStaysInsideTheTable)
{
    TestArchivData data;
    Prepare(data);
    // A day of two 12-hour blocks: 4 slots. Blocks that end early (recording
    // switched off and on, a new geometry) fill them long before the day ends.
    ASSERT_EQ(data.Create(86400, 720, 60, Path("kratky"), ".tst", FALSE, TRUE, "Linka"), 1);
    ASSERT_EQ(data.SlotCount(), 4);
    const QString path = data.GetFilePath();
    for (DWORD i = 0; i < 7; ++i)
        ASSERT_EQ(WriteWordBlock(data, i, true), 1);
    EXPECT_EQ(data.WriteSlot(), 7);
    EXPECT_GT(data.SlotCount(), 7);
    for (int slot = 0; slot < 7; ++slot)
        EXPECT_EQ(ReadWords(path, slot), std::vector<DWORD>{DWORD(slot)}) << slot;
}

TEST_F(RingTest, ResumingWritesOneGapBlockAfterTheNewest)
{
    {
        TestArchivData data;
        StartRing(data, 10);
        for (DWORD i = 0; i < 6; ++i)
            ASSERT_EQ(WriteWordBlock(data, i), 1);
    }
    m_clock.Advance(3600);
    TestArchivData data;
    StartRing(data, 10);
    EXPECT_EQ(data.WriteSlot(), 7);
    CArchivRecordList gap;
    {
        CArchivData reader;
        Prepare(reader);
        ASSERT_TRUE(reader.Open(Path("ring.tst")));
        ASSERT_TRUE(reader.ReadHeader());
        ASSERT_TRUE(reader.ReadBlock(6, gap));
    }
    ASSERT_EQ(gap.size(), 2u);
    EXPECT_EQ(gap[0].type, kRecordBlockMarker);
    EXPECT_EQ(gap[1].type, kRecordError);
    EXPECT_EQ(platform::FromCp1250(gap[1].data), platform::LoadString(platform::IDS_NOT_ALL_DATA_READ));
    EXPECT_EQ(ReadWords(Path("ring.tst"), 5), std::vector<DWORD>{5});
    // The block start that the new geometry aligned is queued again.
    const CArchivRecordList current = data.List(data.CurrentListIndex());
    ASSERT_EQ(current.size(), 1u);
    EXPECT_EQ(current[0].type, kRecordBlockMarker);
}

// An archive moved to another folder while the old folder stays: resumed
// there, its blocks, its next period's file and its messages follow the file,
// not the folder its header was written in.
TEST_F(RingTest, AResumedArchiveMovedToAnotherFolderKeepsToItsNewPlace)
{
    struct Case {
        const char* base;
        BOOL overwrite; // one file, or a file per day
        const char* file;
    };
    const Case cases[] = {{"ring", TRUE, "ring.tst"}, {"den", FALSE, "den_Y24D0310H10.tst"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base);
        const bool perPeriod = !c.overwrite;
        const int total = perPeriod ? 86400 : 4 * 60;
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("stary")));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath(QStringLiteral("novy")));
        const QString oldPath = Path(QStringLiteral("stary/") + c.file);
        const QString newPath = Path(QStringLiteral("novy/") + c.file);
        {
            TestArchivData data;
            Prepare(data);
            ASSERT_EQ(data.Create(total, 1, 60, Path(QStringLiteral("stary/") + c.base), ".tst", c.overwrite, TRUE,
                                  "Linka"),
                      1);
            ASSERT_EQ(WriteWordBlock(data, 1, perPeriod), 1);
        }
        ASSERT_TRUE(QFile::rename(oldPath, newPath));

        m_clock.Advance(600);
        TestArchivData data;
        Prepare(data);
        ASSERT_EQ(data.Create(total, 1, 60, Path(QStringLiteral("novy/") + c.base), ".tst", c.overwrite, TRUE, "Linka"),
                  1);
        ASSERT_EQ(data.GetFilePath(), newPath);
        EXPECT_EQ(data.Name(), newPath);
        ASSERT_EQ(WriteWordBlock(data, 2, perPeriod), 1);
        EXPECT_EQ(DiskHeader(newPath).name, newPath);
        EXPECT_FALSE(QFile::exists(oldPath));

        if (perPeriod) {
            // The day ends: the next day's file is made beside this one.
            m_clock.Set(CTime(2024, 3, 10, 23, 59, 0));
            ASSERT_EQ(WriteWordBlock(data, 3, true), 1);
            data.AddWordRecord(4);
            m_clock.Advance(60);
            ASSERT_EQ(data.EndBlock(TRUE, TRUE, 60), 2);
            ASSERT_EQ(data.Flush(TRUE, 2, "Linka"), 1);
            EXPECT_EQ(data.GetFilePath(), Path("novy/den_Y24D0311H00.tst"));
            EXPECT_FALSE(QFile::exists(Path("stary/den_Y24D0311H00.tst")));
        } else {
            // A file that cannot be put on disk is reported by where it is.
            m_provider->FailWhen([](const std::string& op, const std::string&) { return op == "flush"; });
            EXPECT_EQ(WriteWordBlock(data, 3), 0);
            ASSERT_EQ(m_host.FileErrors().size(), 1u);
            EXPECT_EQ(m_host.FileErrors()[0], newPath);
            m_provider->FailWhen(nullptr);
        }
    }
}

TEST_F(RingTest, AFailedBlockWriteStaysQueuedAndIsReported)
{
    TestArchivData data;
    StartRing(data, 6);
    ASSERT_EQ(WriteWordBlock(data, 0), 1);
    m_provider->FailWhen([](const std::string& op, const std::string& name) { return op == "write" && name == "A1"; });
    EXPECT_EQ(WriteWordBlock(data, 1), 0);
    EXPECT_EQ(data.GetQueuedBlockCount(), 1);
    EXPECT_EQ(m_host.NotWrittenReports(), 1);
    EXPECT_EQ(DiskHeader(Path("ring.tst")).slotTable[1], 0u); // not claimed on disk

    m_provider->FailWhen(nullptr);
    ASSERT_EQ(WriteWordBlock(data, 2), 1);
    EXPECT_EQ(data.GetQueuedBlockCount(), 0);
    EXPECT_EQ(ReadWords(Path("ring.tst"), 1), std::vector<DWORD>{1});
    EXPECT_EQ(ReadWords(Path("ring.tst"), 2), std::vector<DWORD>{2});
    EXPECT_NE(DiskHeader(Path("ring.tst")).slotTable[1], 0u);
}

// The disk fills up under a recording, with the real compound file behind
// the store: the write that the system refuses part-way leaves the open file
// unusable. The blocks wait in memory, the file is opened again as it is on
// disk, and once there is room every waiting block reaches it, in order and
// once, with the next block or when the recording stops; a document that
// shares the file reads them too. A disk still full at the stop gives the
// blocks up and says so; the file keeps what it had.
TEST_F(RingTest, BlocksHeldOnAFullDiskReachTheFileWhenThereIsRoom)
{
    std::atomic<bool> full{false};
    std::atomic<int> syncFailures{0};
    CArchivFileList::Instance().SetProvider(archive::CreateCfbStorageProvider([&](cfb::CompoundFile& file) {
        file.setFileFaultForTesting([&](cfb::CompoundFile::FileCall call, std::uint64_t, std::uint64_t) {
            if (call == cfb::CompoundFile::FileCall::Sync)
                return syncFailures.fetch_sub(1) > 0 ? EIO : 0;
            return full.load() ? ENOSPC : 0;
        });
    }));
    struct Case {
        const char* name;
        int fullBlocks;    // blocks ended while the disk is full
        int syncFailures;  // or: the next syncs fail, once the block is in
        bool roomAtStop;   // room again only when the recording stops
        bool stillFull;    // full until after the stop
    };
    const Case cases[] = {
        {"one block", 1, 0, false, false},
        {"several blocks", 4, 0, false, false},
        {"room at the stop", 3, 0, true, false},
        {"a failed sync", 0, 1, false, false},
        {"full at the stop", 3, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name).replace(' ', '_');
        const QString path = Path(name + ".tst");
        const int lostBefore = m_host.LostBlocks();
        {
            TestArchivData data;
            StartRing(data, 20, name);
            ASSERT_EQ(WriteWordBlock(data, 0), 1);
            CArchivData document;
            Prepare(document);
            ASSERT_EQ(document.Open(path), 1);

            full = c.fullBlocks > 0;
            syncFailures = c.syncFailures;
            const int failing = std::max(c.fullBlocks, c.syncFailures);
            for (int i = 1; i <= failing; ++i) {
                EXPECT_EQ(WriteWordBlock(data, DWORD(i)), 0) << i;
                EXPECT_EQ(data.GetQueuedBlockCount(), i);
            }
            EXPECT_EQ(data.GetFilePath(), path) << "the recording lost its file";

            int last = failing;
            if (!c.stillFull) {
                full = false;
                if (!c.roomAtStop) {
                    ASSERT_EQ(WriteWordBlock(data, DWORD(++last)), 1);
                }
            }
            data.StopArchive(TRUE);
            full = false;
            if (c.stillFull) {
                EXPECT_EQ(m_host.LostBlocks() - lostBefore, failing);
                last = 0;
            }
            EXPECT_EQ(data.GetQueuedBlockCount(), 0);
            EXPECT_TRUE(m_host.FileErrors().empty());

            // The document that kept the file open reads what the recording
            // wrote after the disk filled.
            ASSERT_EQ(document.ReadHeader(), 1);
            CArchivRecordList block;
            EXPECT_EQ(document.ReadBlock(last, block), 1);
            EXPECT_EQ(WordsOf(block), std::vector<DWORD>{DWORD(last)});
        }
        // A fresh reader: every block once, slot by slot in the order ended.
        std::vector<DWORD> words;
        for (int slot = 0; slot < 20; ++slot) {
            const std::vector<DWORD> got = ReadWords(path, slot);
            words.insert(words.end(), got.begin(), got.end());
        }
        std::vector<DWORD> expected(std::size_t(c.stillFull ? 1 : std::max(c.fullBlocks, c.syncFailures) + 1
                                                                      + (c.roomAtStop ? 0 : 1)));
        std::iota(expected.begin(), expected.end(), DWORD(0));
        EXPECT_EQ(words, expected);
    }
}

TEST_F(RingTest, AFileThatCannotBePutOnDiskStopsTheRecording)
{
    TestArchivData data;
    StartRing(data, 6);
    m_provider->FailWhen([](const std::string& op, const std::string&) { return op == "flush"; });
    EXPECT_EQ(WriteWordBlock(data, 0), 0);
    ASSERT_EQ(m_host.FileErrors().size(), 1u);
    EXPECT_EQ(m_host.FileErrors()[0], Path("ring.tst"));
    EXPECT_TRUE(data.GetFilePath().isEmpty());
    EXPECT_EQ(CArchivFileList::Instance().Find(Path("ring.tst")), nullptr);
    EXPECT_EQ(WriteWordBlock(data, 1), 0);
    EXPECT_EQ(data.GetQueuedBlockCount(), 2);
}

TEST_F(RingTest, AnUnreadableBlockEndsWithAnErrorRecord)
{
    TestArchivData data;
    StartRing(data, 6);
    ASSERT_EQ(WriteWordBlock(data, 0), 1);
    const CArchivRecordList records = {{1000, kRecordFull, "abc"}, {1060, kRecordChanged, "d"}};
    const QByteArray whole = archive::EncodeBlock(records);
    ASSERT_EQ(StorageOf(Path("ring.tst"))->WriteStream("A0", whole.left(whole.size() - 1)),
              archive::StorageStatus::Ok);

    CArchivData reader;
    Prepare(reader);
    ASSERT_TRUE(reader.Open(Path("ring.tst")));
    ASSERT_TRUE(reader.ReadHeader());
    CArchivRecordList out;
    EXPECT_EQ(reader.ReadBlock(0, out), 0);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].time, 1000u);
    EXPECT_EQ(out[1].type, kRecordError);
    EXPECT_EQ(out[1].time, 1002u);
    EXPECT_EQ(platform::FromCp1250(out[1].data), QString::fromUtf8("Nepadařilo se přečíst všechna data."));

    // A missing block: the error record follows the slot's start.
    out.clear();
    m_provider->FailWhen([](const std::string& op, const std::string&) { return op == "read"; });
    EXPECT_EQ(reader.ReadBlock(1, out), 0);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].time, 2u); // slot 1 is the collecting slot: start 0 on disk
    EXPECT_EQ(reader.ReadBlock(6, out), 0); // outside the ring: nothing
    EXPECT_EQ(out.size(), 1u);
}

} // namespace
} // namespace storetest
