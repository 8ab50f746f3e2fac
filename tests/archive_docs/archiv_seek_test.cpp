// Seeking in an archive window by time and by value-list row, the list and
// graph modes, and the window's block table and storage copy.
#include "DocTestSupport.h"

#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/ArchivFileList.h"
#include "archive/store/ArchivWindow.h"
#include "archive/store/CfbArchivStorage.h"

namespace {

using namespace doctest;

class ArchivSeekTest : public ArchivDocTest {
protected:
    void SetUp() override
    {
        ArchivDocTest::SetUp();
        for (int b = 0; b < 3; ++b)
            WriteBlock();
        m_doc = OpenDoc<CVKArchivDoc>(m_view);
    }
    CArchivNavigator& Nav() { return m_doc->Navigator(); }

    CVKArchivDoc* m_doc = nullptr;
    HintView* m_view = nullptr;
};

TEST_F(ArchivSeekTest, TimeAndThousandthsOfTheWindowFindTheLastRecordNotLaterThanThem)
{
    // 30 records a minute apart in three blocks; the window holds them all.
    struct Case {
        std::int64_t time;
        int expected;
    };
    const auto at = [this](int i, int offset) { return std::int64_t(m_times[std::size_t(i)].GetTime()) + offset; };
    const Case cases[] = {
        {at(5, 59), 5}, {at(15, 0), 15}, {at(15, -1), 14}, {at(0, -3600), 0}, {at(29, 3600), 29},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Nav().SeekTimeInBlocks(CTime(CTime::time_type(c.time))), 1) << c.time;
        EXPECT_EQ(Nav().GetCurrentRecord(), c.expected) << c.time;
        EXPECT_EQ(m_doc->GetFamilyArchiv().GetCurrentRecordTime(), m_times[std::size_t(c.expected)]);
    }
    CTime start;
    CTime end;
    Nav().GetWindow(start, end);
    const CTime middle = archive::SeekTimeOf(start, int(end.GetTime() - start.GetTime()), 500);
    EXPECT_EQ(middle.GetTime(), start.GetTime() + (end.GetTime() - start.GetTime()) / 2);
    for (const Case& c : {Case{0, 0}, Case{1000, 29}}) {
        EXPECT_EQ(Nav().SeekTime(int(c.time)), 1);
        EXPECT_EQ(Nav().GetCurrentRecord(), c.expected) << c.time;
    }
}

TEST_F(ArchivSeekTest, ListModeCountsTheRowsAndSeeksByRowWhileGraphModeLetsTheIndexGo)
{
    EXPECT_EQ(Nav().GetRecordCount(), 0);
    Nav().SetMode(archive::kModeList);
    EXPECT_EQ(Nav().GetMode(), archive::kModeList);
    ASSERT_EQ(Nav().GetRecordCount(), 30);
    EXPECT_EQ(Nav().SeekRecord(17), 1);
    EXPECT_EQ(Nav().GetCurrentRecord(), 17);
    // A row past the end leaves the current record.
    EXPECT_EQ(Nav().SeekRecord(30), 0);
    EXPECT_EQ(Nav().SeekRecord(-1), 0);
    EXPECT_EQ(Nav().GetCurrentRecord(), 17);

    Nav().SetMode(archive::kModeGraph);
    EXPECT_EQ(Nav().GetRecordCount(), 0);
    Nav().EnsureMode(archive::kModeList);
    EXPECT_EQ(Nav().GetRecordCount(), 30);
    Nav().SetMode(archive::kModeNone);
    EXPECT_EQ(Nav().GetRecordCount(), 0);

    // A narrower window counts only its own rows.
    Nav().SetMode(archive::kModeList);
    m_doc->SetWindow(m_times[3], m_times[6]);
    EXPECT_EQ(Nav().GetRecordCount(), 4);
    EXPECT_EQ(Nav().SeekRecord(2), 1);
    EXPECT_EQ(m_doc->GetFamilyArchiv().GetCurrentRecordTime(), m_times[5]);
}

TEST_F(ArchivSeekTest, BlockTableCarriesTheIndexAndThePlaceOfTheWindow)
{
    Nav().SetMode(archive::kModeList);
    CArchivBlockTable table;
    table.ringSlots = {7, 7, 7, 7, 7}; // an earlier copy's arrays are replaced
    Nav().GetBlockTable(table);
    ASSERT_EQ(table.ringSlots.size(), 3u);
    EXPECT_EQ(table.rowCounts, (std::vector<int>{10, 10, 10}));
    CTime start;
    CTime end;
    Nav().GetWindow(start, end);
    EXPECT_EQ(table.windowStart, start);
    EXPECT_EQ(table.windowLength, int(end.GetTime() - start.GetTime()));
    EXPECT_EQ(table.blockCount, 3);
    EXPECT_EQ(table.firstBlock, table.ringSlots.front());
}

// Takes every stream but cannot put anything on disk.
class UnflushableStorage final : public archive::Storage {
public:
    explicit UnflushableStorage(std::shared_ptr<archive::Storage> real) : m_real(std::move(real)) {}
    std::unique_ptr<archive::StorageStream> OpenStream(const std::string& n, archive::StorageStatus* s) override
    {
        return m_real->OpenStream(n, s);
    }
    std::unique_ptr<archive::StorageStream> CreateStream(const std::string& n, archive::StorageStatus* s) override
    {
        return m_real->CreateStream(n, s);
    }
    archive::StorageStatus ReadStream(const std::string& n, QByteArray& d) override { return m_real->ReadStream(n, d); }
    archive::StorageStatus WriteStream(const std::string& n, const QByteArray& d) override
    {
        return m_real->WriteStream(n, d);
    }
    archive::StorageStatus Destroy(const std::string& n) override { return m_real->Destroy(n); }
    bool Exists(const std::string& n) override { return m_real->Exists(n); }
    std::vector<std::string> StreamNames() override { return m_real->StreamNames(); }
    archive::StorageStatus Flush() override { return archive::StorageStatus::Failed; }
    void Close() override { m_real->Close(); }

private:
    std::shared_ptr<archive::Storage> m_real;
};

TEST_F(ArchivSeekTest, StorageCopyHoldsEveryStreamAndAFailedFlushIsNoSuccess)
{
    auto provider = archive::CreateCfbStorageProvider();
    auto copy = provider->Create(Path("copy.vk"), true);
    ASSERT_TRUE(copy);
    ASSERT_TRUE(Nav().CopyStorageTo(*copy));
    auto entry = CArchivFileList::Instance().Find(ArchivePath());
    auto source = entry ? entry->GetStorage() : nullptr;
    ASSERT_TRUE(source);
    auto names = source->StreamNames();
    auto copied = copy->StreamNames();
    std::sort(names.begin(), names.end());
    std::sort(copied.begin(), copied.end());
    EXPECT_EQ(copied, names);
    for (const std::string& name : names) {
        QByteArray a;
        QByteArray b;
        source->ReadStream(name, a);
        copy->ReadStream(name, b);
        EXPECT_EQ(a, b) << name;
    }
    copy->Close();

    auto second = provider->Create(Path("copy2.vk"), true);
    ASSERT_TRUE(second);
    UnflushableStorage unflushable(second);
    EXPECT_FALSE(Nav().CopyStorageTo(unflushable));
    second->Close();
}

} // namespace
